// Levels the person confirmed, kept for the next run, and the dialog's proposals from them.
#include "RememberedLevels.h"

#include <fstream>
#include <sstream>
#include <system_error>
#include <unordered_set>

#include "Clipper.h"
#include "CourseLevels.h"
#include "CourseSuggestions.h"
#include "CsvText.h"
#include "ExportRun.h"
#include "Platform.h"
#include "Text8.h"
#include "TravalenError.h"

namespace travalen {

namespace {

constexpr const char* kFileName = "NIVELES_RECORDADOS.csv";
constexpr const char* kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::size_t kFields = 4;  // CLAVE;ESTUD;NIVEL;CURSO

bool IsComplete(const CourseRow& row) {
  return !IsMissingLevelValue(row.nivel) && !IsMissingLevelValue(row.curso);
}

std::string CodeKey(const std::string& clave) { return StripTrailingBlanks(clave); }
// Séneca may change the letter case of a description from one year to the next; the
// studies are the same.
std::string DescriptionKey(const std::string& estud) { return FoldCase1252(StripBlanks(estud)); }

std::string ReadWholeFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream bytes;
  if (in) bytes << in.rdbuf();
  if (!in || in.bad())
    throw TravalenError("No se puede leer el archivo de niveles recordados «" +
                        PathForMessage(file) + "».");
  return bytes.str();
}

std::string Quoted(const std::string& text8) { return "«" + Cp1252ToUtf8(text8) + "»"; }

}  // namespace

std::filesystem::path RememberedLevelsPath(const std::filesystem::path& exchangeDir) {
  return exchangeDir / kFileName;
}

std::vector<CourseRow> LoadRememberedLevels(const std::filesystem::path& exchangeDir) {
  const std::filesystem::path file = RememberedLevelsPath(exchangeDir);
  std::error_code error;
  if (!std::filesystem::exists(file, error)) return {};
  std::string text = ReadWholeFile(file);
  if (text.starts_with(kByteOrderMark)) text.erase(0, 3);
  std::vector<CourseRow> remembered;
  bool first = true;
  for (const auto& fields : ParseCsv(text)) {
    const bool header = first && UpperAsciiOnly(StripBlanks(fields[0])) == "CLAVE";
    first = false;
    if (header || fields.size() != kFields) continue;
    CourseRow row{Utf8ToCp1252(fields[0]), Utf8ToCp1252(fields[1]), Utf8ToCp1252(fields[2]),
                  Utf8ToCp1252(fields[3])};
    if (IsComplete(row)) remembered.push_back(std::move(row));
  }
  return remembered;
}

void SaveRememberedLevels(const std::filesystem::path& exchangeDir,
                          const std::vector<CourseRow>& confirmed) {
  std::vector<CourseRow> merged;
  std::unordered_set<std::string> codes, descriptions;
  for (const CourseRow& row : confirmed) {
    if (!IsComplete(row) || !codes.insert(CodeKey(row.clave)).second) continue;
    descriptions.insert(DescriptionKey(row.estud));
    merged.push_back(row);
  }
  if (merged.empty()) return;
  for (const CourseRow& old : LoadRememberedLevels(exchangeDir))
    if (!codes.contains(CodeKey(old.clave)) && !descriptions.contains(DescriptionKey(old.estud)))
      merged.push_back(old);

  std::string text = CsvLine({"CLAVE", "ESTUD", "NIVEL", "CURSO"}) + "\r\n";
  for (const CourseRow& row : merged)
    text += CsvLine({Cp1252ToUtf8(row.clave), Cp1252ToUtf8(row.estud), Cp1252ToUtf8(row.nivel),
                     Cp1252ToUtf8(row.curso)}) +
            "\r\n";
  WriteFileAtomically(RememberedLevelsPath(exchangeDir), text);
}

void RememberCourseLevels(const std::filesystem::path& exchangeDir,
                          const std::filesystem::path& coursesTable) {
  SaveRememberedLevels(exchangeDir, ReadCourseRows(DbfTable::Open(coursesTable)));
}

std::vector<CourseProposal> ProposeCourseLevels(const std::filesystem::path& exchangeDir,
                                                const std::vector<CourseRow>& rows) {
  const std::vector<CourseRow> remembered = LoadRememberedLevels(exchangeDir);
  auto find = [&](auto matches) -> const CourseRow* {
    for (const CourseRow& r : remembered)
      if (matches(r)) return &r;
    return nullptr;
  };

  std::vector<CourseProposal> proposals;
  proposals.reserve(rows.size());
  for (const CourseRow& row : rows) {
    CourseProposal proposal;
    const std::string code = CodeKey(row.clave);
    const std::string description = DescriptionKey(row.estud);
    if (!IsMissingLevelValue(row.nivel) || !IsMissingLevelValue(row.curso)) {
      proposal = {row.nivel, row.curso, ProposalOrigin::Stored, ""};
    } else if (const CourseRow* same = find([&](const CourseRow& r) {
                 return CodeKey(r.clave) == code && DescriptionKey(r.estud) == description;
               })) {
      proposal = {same->nivel, same->curso, ProposalOrigin::Remembered, ""};
    } else if (const CourseRow* alike = find(
                   [&](const CourseRow& r) { return DescriptionKey(r.estud) == description; })) {
      proposal = {
          alike->nivel, alike->curso, ProposalOrigin::Remembered,
          "Elegido antes para el curso " + Quoted(alike->clave) + ", con la misma descripción."};
    } else {
      const LevelSuggestion suggestion = SuggestCourseLevel(row.estud);
      if (!suggestion.Empty())
        proposal = {suggestion.nivel, suggestion.curso, ProposalOrigin::Suggested, ""};
      if (const CourseRow* renamed =
              find([&](const CourseRow& r) { return CodeKey(r.clave) == code; }))
        proposal.note = "Este código se recordaba con otra descripción, " + Quoted(renamed->estud) +
                        ", y NIVEL " + Quoted(renamed->nivel) + ", CURSO " +
                        Quoted(renamed->curso) +
                        "; como los estudios han cambiado, no se ha tomado.";
    }
    proposals.push_back(std::move(proposal));
  }
  return proposals;
}

}  // namespace travalen
