// The courses step: CURSOS_DEL_CENTRO into CURSOST.DBF, then the level/course dialog.
#include "Courses.h"

#include "GroupPreview.h"
#include "RememberedLevels.h"
#include "Schemas.h"
#include "TravalenError.h"

namespace travalen {

namespace {
constexpr const char* kCoursesTable = "CURSOST.DBF";
constexpr const char* kCoursesBlock = "CURSOS_DEL_CENTRO";

std::size_t CourseFieldWidth(const std::string& field) {
  for (const FieldDef& def : ExchangeSchema(kCoursesTable).fields)
    if (def.name == field) return static_cast<std::size_t>(def.width);
  throw TravalenError("CURSOST.DBF no tiene el campo " + field + ".");
}

void WriteCourses(const ExportRun& run) {
  DbfTable table = run.CreateTable(kCoursesTable);
  for (const CourseRow& course : DocumentCourses(
           run.document, [&](std::size_t index) { run.NoteShortRecord(kCoursesBlock, index); })) {
    table.Append();
    table.SetText("CLAVE", course.clave);
    table.SetText("ESTUD", course.estud);
    table.Post();
  }
  // Closed before the dialog opens the same file.
  table.Close();
}

// What the person confirmed is kept for the next run, and what will clash in the group
// names is said now, while the courses are fresh in mind.
void AfterConfirmation(const ExportRun& run, const std::filesystem::path& coursesPath) {
  try {
    RememberCourseLevels(run.exchangeDir, coursesPath);
  } catch (const TravalenError& failure) {
    run.Note(FindingCategory::LevelsNotRemembered,
             PathForMessage(RememberedLevelsPath(run.exchangeDir)),
             std::string(failure.what()) +
                 ". La conversión sigue; la próxima vez el diálogo no los propondrá.");
  }
  if (run.report == nullptr) return;
  for (const CourseLevelWarning& warning :
       CourseLevelWarnings(ReadCourseRows(DbfTable::Open(coursesPath))))
    run.Note(warning.category, warning.item, warning.text);
}
}  // namespace

std::vector<CourseRow> ReadCourseRows(const DbfTable& coursesTable) {
  const int clave = coursesTable.FieldIndex("CLAVE");
  const int estud = coursesTable.FieldIndex("ESTUD");
  const int nivel = coursesTable.FieldIndex("NIVEL");
  const int curso = coursesTable.FieldIndex("CURSO");
  std::vector<CourseRow> rows;
  rows.reserve(coursesTable.RowCount());
  for (std::size_t row = 0; row < coursesTable.RowCount(); ++row)
    rows.push_back({coursesTable.TextAt(row, clave), coursesTable.TextAt(row, estud),
                    coursesTable.TextAt(row, nivel), coursesTable.TextAt(row, curso)});
  return rows;
}

std::vector<CourseRow> DocumentCourses(const SenecaDocument& document,
                                       const std::function<void(std::size_t)>& onShortRecord) {
  const std::size_t claveWidth = CourseFieldWidth("CLAVE");
  const std::size_t estudWidth = CourseFieldWidth("ESTUD");
  std::vector<CourseRow> courses;
  BlockReader reader(document);
  const std::size_t records = reader.SelectBlockRecords(kCoursesBlock);
  for (std::size_t i = 0; i < records; ++i) {
    if (reader.RecordValues(i) < BlockReader::kMinimumValues) {
      if (onShortRecord) onShortRecord(i);
      continue;
    }
    courses.push_back({StoredText(reader.ValueText(0), claveWidth),
                       StoredText(reader.ValueText(1), estudWidth), "", ""});
  }
  return courses;
}

CoursesOutcome LeeCursos(const ExportRun& run, JobPort& port, bool& reintento) {
  WriteCourses(run);
  const auto coursesPath = run.exchangeDir / kCoursesTable;
  for (;;) {
    const CourseDialogResult pass = port.EditCourseLevels(coursesPath, reintento);
    if (pass.missingData) {
      reintento = true;
      continue;
    }
    // Closing the dialog by its close box ends the loop too, without a check.
    if (pass.forcedExit) return CoursesOutcome::ForcedExit;
    AfterConfirmation(run, coursesPath);
    return CoursesOutcome::Completed;
  }
}

}  // namespace travalen
