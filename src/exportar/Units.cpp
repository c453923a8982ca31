// The units step: UNIDADES into GRUPOST.DBF, group names from the courses' levels.
#include "Units.h"

#include <unordered_map>
#include <unordered_set>

#include "Clipper.h"
#include "CourseLevels.h"
#include "TravalenError.h"

namespace travalen {

namespace {

// Group names are built from at most five characters of the level, as the level/course
// dialog tells the person.
constexpr std::size_t kLevelCharacters = 5;
constexpr const char* kLevelWhenEmpty = "NIV";
constexpr unsigned char kFirstLetter = 'A';
// Beyond Z the letters go on with the characters that follow in the code page, to its
// last one.
constexpr unsigned kLastLetter = 255;

// The given courses by CLAVE; the first row of a code counts, as a scan would find it.
std::unordered_map<std::string, const CourseRow*> IndexCourses(
    const std::vector<CourseRow>& courses) {
  std::unordered_map<std::string, const CourseRow*> byCode;
  for (const CourseRow& course : courses)
    byCode.try_emplace(StripTrailingBlanks(course.clave), &course);
  return byCode;
}

// The abbreviations given so far (UsedGroupAbbrevs), compared without letter case. A
// stem's letters are tried upward from where its last search ended: an abbreviation
// once given stays given, so the result is what a search from A would give.
class GroupAbbreviations {
 public:
  std::string Give(const std::string& stem) {
    std::string abbreviation = stem + static_cast<char>(kFirstLetter);
    if (used_.contains(FoldCase1252(abbreviation))) {
      unsigned& letter = nextLetter_.try_emplace(FoldCase1252(stem), kFirstLetter).first->second;
      for (;;) {
        if (letter > kLastLetter)
          throw TravalenError(
              "Hay demasiados grupos con la abreviatura «" + ForMessage(stem) +
              "»: no quedan letras para distinguirlos. Dé a sus cursos NIVEL o CURSO "
              "distintos en los cinco primeros caracteres del NIVEL.");
        abbreviation = stem + static_cast<char>(letter++);
        if (!used_.contains(FoldCase1252(abbreviation))) break;
      }
    }
    used_.insert(FoldCase1252(abbreviation));
    return abbreviation;
  }

 private:
  std::unordered_set<std::string> used_;
  std::unordered_map<std::string, unsigned> nextLetter_;
};

// What the person should know about a unit's group before the timetable is built on it.
void NoteUnit(const ExportRun& run, const UnitGroup& unit) {
  if (run.report == nullptr) return;
  const std::string item = "Unidad «" + ForMessage(unit.code) + "» (" + ForMessage(unit.name) + ")";
  if (unit.course == nullptr) {
    run.Note(FindingCategory::UnitWithoutCourse, item,
             (unit.courseCode.empty()
                  ? std::string("no indica su curso")
                  : "su curso «" + ForMessage(unit.courseCode) + "» no está en CURSOST.DBF") +
                 ": su grupo se llama «" + ForMessage(unit.abbreviation) + "» y lleva NIVEL «NIV»");
  } else if (IsMissingLevelValue(unit.course->nivel) || IsMissingLevelValue(unit.course->curso)) {
    run.Note(FindingCategory::UnitWithoutLevel, item,
             "su curso «" + ForMessage(unit.course->clave) + "» (" +
                 ForMessage(unit.course->estud) + ") no tiene NIVEL o CURSO: su grupo se llama «" +
                 ForMessage(unit.abbreviation) + "»");
  }
}

}  // namespace

void NameUnitGroups(const SenecaDocument& document, const std::vector<CourseRow>& courses,
                    const std::function<void(const UnitGroup&)>& onUnit,
                    const std::function<void(std::size_t)>& onShortRecord) {
  const auto byCode = IndexCourses(courses);
  GroupAbbreviations abbreviations;
  BlockReader reader(document);
  const std::size_t records = reader.SelectBlockRecords("UNIDADES");
  for (std::size_t i = 0; i < records; ++i) {
    if (reader.RecordValues(i) < BlockReader::kMinimumValues) {
      if (onShortRecord) onShortRecord(i);
      continue;
    }
    UnitGroup unit;
    unit.record = i;
    unit.code = reader.ValueText(0);
    unit.name = reader.ValueText(1);
    unit.courseCode = reader.ValueText(2);
    // A unit whose course is unknown still becomes a group, from an empty level.
    if (auto found = byCode.find(StripTrailingBlanks(unit.courseCode)); found != byCode.end())
      unit.course = found->second;
    const CourseRow noCourse;
    const CourseRow& course = unit.course != nullptr ? *unit.course : noCourse;
    unit.abbreviation =
        abbreviations.Give(course.nivel.substr(0, kLevelCharacters) + course.curso.substr(0, 1));
    onUnit(unit);
  }
}

void LeeUnidades(const ExportRun& run) {
  // The courses are read before GRUPOST is re-created, as the dialog left them.
  const std::vector<CourseRow> courses = ReadCourseRows(run.OpenTable("CURSOST.DBF"));
  DbfTable table = run.CreateTable("GRUPOST.DBF");
  const CourseRow noCourse;
  NameUnitGroups(
      run.document, courses,
      [&](const UnitGroup& unit) {
        const CourseRow& course = unit.course != nullptr ? *unit.course : noCourse;
        // "NIV" stands in for the level only in the table: the group's name was built from
        // the empty level, so it begins with the course number.
        const std::string level = course.nivel.empty() ? kLevelWhenEmpty : course.nivel;
        const std::string& abbreviation = unit.abbreviation;

        table.Append();
        table.SetText("ABREV", abbreviation);
        table.SetText("TURNO", "");
        table.SetText("NIVEL", level);
        table.SetText("CURSO", course.curso);
        table.SetText("GRUPO", abbreviation.substr(abbreviation.size() - 1));
        table.SetText("CLAVE", unit.code);
        table.SetText("CLAVECURSO", unit.courseCode);
        table.SetText("DESCRIP", course.estud);
        table.Post();
        NoteUnit(run, unit);
      },
      [&](std::size_t index) { run.NoteShortRecord("UNIDADES", index); });
  table.Close();
}

}  // namespace travalen
