// The courses step: CURSOS_DEL_CENTRO into CURSOST.DBF, then the level/course dialog.
#include "Courses.h"

namespace travalen {

namespace {
constexpr const char* kCoursesTable = "CURSOST.DBF";

void WriteCourses(const ExportRun& run) {
  DbfTable table = run.CreateTable(kCoursesTable);
  BlockReader reader(run.document);
  const std::size_t records = reader.SelectBlockRecords("CURSOS_DEL_CENTRO");
  for (std::size_t i = 0; i < records; ++i) {
    if (reader.RecordValues(i) < BlockReader::kMinimumValues) continue;
    table.Append();
    table.SetText("CLAVE", reader.ValueText(0));
    table.SetText("ESTUD", reader.ValueText(1));
    table.Post();
  }
  // Closed before the dialog opens the same file.
  table.Close();
}
}  // namespace

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
    return pass.forcedExit ? CoursesOutcome::ForcedExit : CoursesOutcome::Completed;
  }
}

}  // namespace travalen
