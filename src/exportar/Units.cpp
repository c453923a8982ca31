// The units step: UNIDADES into GRUPOST.DBF, group names from the courses' levels.
#include "Units.h"

#include <unordered_map>
#include <unordered_set>

#include "Clipper.h"
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

struct CourseRow {
  std::string estud;
  std::string nivel;
  std::string curso;
};

// CURSOST by CLAVE; the first row of a code counts, as a scan would find it.
std::unordered_map<std::string, CourseRow> LoadCourses(const ExportRun& run) {
  const DbfTable courses = run.OpenTable("CURSOST.DBF");
  const int clave = courses.FieldIndex("CLAVE");
  const int estud = courses.FieldIndex("ESTUD");
  const int nivel = courses.FieldIndex("NIVEL");
  const int curso = courses.FieldIndex("CURSO");
  std::unordered_map<std::string, CourseRow> byCode;
  for (std::size_t row = 0; row < courses.RowCount(); ++row)
    byCode.try_emplace(StripTrailingBlanks(courses.TextAt(row, clave)),
                       CourseRow{courses.TextAt(row, estud), courses.TextAt(row, nivel),
                                 courses.TextAt(row, curso)});
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

}  // namespace

void LeeUnidades(const ExportRun& run) {
  // The courses are read before GRUPOST is re-created, as the dialog left them.
  const auto courses = LoadCourses(run);
  DbfTable table = run.CreateTable("GRUPOST.DBF");
  GroupAbbreviations abbreviations;
  BlockReader reader(run.document);
  const std::size_t records = reader.SelectBlockRecords("UNIDADES");
  for (std::size_t i = 0; i < records; ++i) {
    if (reader.RecordValues(i) < BlockReader::kMinimumValues) continue;
    const std::string code = reader.ValueText(0);
    const std::string courseCode = reader.ValueText(2);

    // A unit whose course is unknown still becomes a group, from an empty level.
    CourseRow course;
    if (auto found = courses.find(StripTrailingBlanks(courseCode)); found != courses.end())
      course = found->second;

    const std::string abbreviation =
        abbreviations.Give(course.nivel.substr(0, kLevelCharacters) + course.curso.substr(0, 1));
    // "NIV" stands in for the level only in the table: the group's name was built from
    // the empty level, so it begins with the course number.
    const std::string level = course.nivel.empty() ? kLevelWhenEmpty : course.nivel;

    table.Append();
    table.SetText("ABREV", abbreviation);
    table.SetText("TURNO", "");
    table.SetText("NIVEL", level);
    table.SetText("CURSO", course.curso);
    table.SetText("GRUPO", abbreviation.substr(abbreviation.size() - 1));
    table.SetText("CLAVE", code);
    table.SetText("CLAVECURSO", courseCode);
    table.SetText("DESCRIP", course.estud);
    table.Post();
  }
  table.Close();
}

}  // namespace travalen
