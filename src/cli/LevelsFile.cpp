// Reading LEVELS.csv and writing its values into CURSOST.DBF.
#include "LevelsFile.h"

#include <fstream>
#include <unordered_map>

#include "Clipper.h"
#include "DbfTable.h"
#include "Text8.h"
#include "TravalenError.h"

namespace travalen {

namespace {

std::vector<std::string> SplitFields(const std::string& line) {
  std::vector<std::string> fields(1);
  for (char c : line) {
    if (c == ';')
      fields.emplace_back();
    else
      fields.back() += c;
  }
  return fields;
}

}  // namespace

std::vector<CourseLevel> ReadLevelsFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw TravalenError("No se puede abrir el archivo de niveles «" + file.string() + "».");
  std::vector<CourseLevel> levels;
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (number == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
    if (StripBlanks(line).empty()) continue;
    auto fields = SplitFields(line);
    if (number == 1 && fields.size() >= 1 && UpperAsciiOnly(StripBlanks(fields[0])) == "CLAVE")
      continue;
    if (fields.size() != 3)
      throw TravalenError("El archivo de niveles «" + file.string() + "», línea " +
                          std::to_string(number) + ", no tiene la forma CLAVE;NIVEL;CURSO: «" +
                          line + "».");
    levels.push_back({Utf8ToCp1252(StripBlanks(fields[0])), Utf8ToCp1252(StripBlanks(fields[1])),
                      Utf8ToCp1252(StripBlanks(fields[2]))});
  }
  return levels;
}

std::string LevelsFileText(const std::vector<CourseRow>& courses,
                           const std::vector<CourseProposal>& proposals) {
  std::string text = "CLAVE;NIVEL;CURSO\n";
  for (std::size_t i = 0; i < courses.size(); ++i) {
    const CourseProposal none;
    const CourseProposal& proposal = i < proposals.size() ? proposals[i] : none;
    text += Cp1252ToUtf8(courses[i].clave) + ";" + Cp1252ToUtf8(proposal.nivel) + ";" +
            Cp1252ToUtf8(proposal.curso) + "\n";
  }
  return text;
}

void ApplyCourseLevels(const std::filesystem::path& coursesTable,
                       const std::vector<CourseLevel>& levels) {
  DbfTable table = DbfTable::Open(coursesTable);
  const int clave = table.FieldIndex("CLAVE");
  std::unordered_multimap<std::string, std::size_t> rowsByCode;
  for (std::size_t row = 0; row < table.RowCount(); ++row)
    rowsByCode.emplace(table.TextAt(row, clave), row);

  for (const auto& level : levels) {
    auto [first, last] = rowsByCode.equal_range(StripTrailingBlanks(level.clave));
    if (first == last)
      throw TravalenError("El archivo de niveles nombra el curso «" + Cp1252ToUtf8(level.clave) +
                          "», que no está en la exportación de Séneca. Corrija su CLAVE.");
    for (auto it = first; it != last; ++it) {
      table.First();
      while (!table.Eof() && table.CurrentRow() != it->second) table.Next();
      table.Edit();
      table.SetText("NIVEL", level.nivel);
      table.SetText("CURSO", level.curso);
      table.Post();
    }
  }
  table.Close();
}

}  // namespace travalen
