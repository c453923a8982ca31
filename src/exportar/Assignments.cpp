// The subject assignments step: every MATERIAS record to every group of its course, into
// ASIGT.DBF.
#include "Assignments.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <vector>

#include "Clipper.h"

namespace travalen {

namespace {

// Séneca's export carries no weekly time per subject; every subject gets four hours,
// which the person adjusts in the timetable program.
constexpr int kSubjectMinutes = 240;
// The timetable program's sessions text lists at most this many sessions one by one.
constexpr int kListedSessions = 13;
// Assignments are marked as teaching (task 1) for the timetable program.
constexpr const char* kTeachingTask = "1";

struct GroupRow {
  std::string abrev;
  std::string nivel;
  std::string curso;
  std::string grupo;
};

// GRUPOST by CLAVECURSO, each course's groups in stored order.
std::unordered_map<std::string, std::vector<GroupRow>> LoadGroups(const ExportRun& run) {
  const DbfTable groups = run.OpenTable("GRUPOST.DBF");
  const int claveCurso = groups.FieldIndex("CLAVECURSO");
  const int abrev = groups.FieldIndex("ABREV");
  const int nivel = groups.FieldIndex("NIVEL");
  const int curso = groups.FieldIndex("CURSO");
  const int grupo = groups.FieldIndex("GRUPO");
  std::unordered_map<std::string, std::vector<GroupRow>> byCourse;
  for (std::size_t row = 0; row < groups.RowCount(); ++row)
    byCourse[StripTrailingBlanks(groups.TextAt(row, claveCurso))].push_back(
        GroupRow{groups.TextAt(row, abrev), groups.TextAt(row, nivel), groups.TextAt(row, curso),
                 groups.TextAt(row, grupo)});
  return byCourse;
}

std::string NameKey(const std::string& name) { return StripBlanks(UpperAsciiOnly(name)); }

struct SubjectIndex {
  // Upper-cased, stripped NOMBRE of ASIGNOMT → COD of the first such row, activities
  // included, as a scan from the first row would find it.
  std::unordered_map<std::string, std::string> codeByName;
  std::size_t nameWidth = 0;
};

SubjectIndex LoadSubjects(const ExportRun& run) {
  const DbfTable subjects = run.OpenTable("ASIGNOMT.DBF");
  const int nombre = subjects.FieldIndex("NOMBRE");
  const int cod = subjects.FieldIndex("COD");
  SubjectIndex index;
  index.nameWidth = TextWidth(subjects, "NOMBRE");
  for (std::size_t row = 0; row < subjects.RowCount(); ++row)
    index.codeByName.try_emplace(NameKey(subjects.TextAt(row, nombre)), subjects.TextAt(row, cod));
  return index;
}

}  // namespace

int HoursForMinutes(int minutes) {
  return std::max(1, static_cast<int>(std::ceil(minutes / 60.0)));
}

std::string SessionsText(int hours) {
  const int sessions = std::max(1, hours);
  if (sessions <= kListedSessions) return std::string(static_cast<std::size_t>(sessions), '1');
  return std::to_string(sessions - kListedSessions) +
         std::string(static_cast<std::size_t>(kListedSessions), '1');
}

void LeeAsignaciones(const ExportRun& run) {
  DbfTable table = run.CreateTable("ASIGT.DBF");
  const auto groups = LoadGroups(run);
  const SubjectIndex subjects = LoadSubjects(run);
  const int hours = HoursForMinutes(kSubjectMinutes);
  const std::string sessions = SessionsText(hours);

  BlockReader reader(run.document);
  const std::size_t records = reader.SelectBlockRecords("MATERIAS");
  for (std::size_t i = 0; i < records; ++i) {
    // The subjects step has told of the records passed over here.
    if (reader.RecordValues(i) < BlockReader::kMinimumValues) continue;
    const std::string courseKey = reader.ValueText(0);
    const std::string subjectKey = reader.ValueText(1);
    const std::string name = reader.ValueText(2);
    // The subjects step gave a record without a name no row; it names no subject here
    // either (an activity without a name must not stand in for it).
    if (name.empty()) continue;

    const std::string item = "Materia «" + ForMessage(name) + "» del curso «" +
                             ForMessage(courseKey) + "» (MATERIAS, registro " +
                             std::to_string(i + 1) + ")";
    auto subject = subjects.codeByName.find(NameKey(name.substr(0, subjects.nameWidth)));
    if (subject == subjects.codeByName.end() || subject->second.empty()) {
      run.Note(FindingCategory::SubjectNotAssigned, item,
               "ASIGNOMT.DBF no le da código: no se ha asignado a ningún grupo");
      continue;
    }
    auto courseGroups = groups.find(StripTrailingBlanks(courseKey));
    if (courseGroups == groups.end()) {
      run.Note(FindingCategory::OfferWithoutGroups, item,
               "su curso no tiene grupos (unidades) en GRUPOST.DBF: no se ha asignado");
      continue;
    }

    for (const GroupRow& group : courseGroups->second) {
      table.Append();
      table.SetText("CASIG", subject->second);
      table.SetText("CGRUP", group.abrev);
      table.SetText("CAULA", "");
      table.SetText("TURNO", "");
      table.SetText("NIVEL", group.nivel);
      table.SetText("CURSO", group.curso);
      table.SetText("GRUPO", group.grupo);
      table.SetFloat("HORAS", hours);
      table.SetText("SESIONES", sessions);
      table.SetText("CLAVE", subjectKey);
      table.SetText("CLAVECURSO", courseKey);
      table.SetText("CTAREA", kTeachingTask);
      table.Post();
    }
  }
  table.Close();
}

}  // namespace travalen
