// The staff step and the rooms step: EMPLEADOS into PROFT.DBF, DEPENDENCIAS into AULAT.DBF.
#include "Staff.h"

#include <cstdint>
#include <unordered_map>
#include <unordered_set>

#include "Clipper.h"

namespace travalen {

namespace {

// The abbreviations given so far (UsedStaffAbbrevs), compared without letter case. A
// base's numbers are tried upward from where its last search ended: an abbreviation
// once given stays given, so the result is what a search from 1 would give.
class StaffAbbreviations {
 public:
  std::string Give(const std::string& base) {
    std::string abbreviation = base;
    if (used_.contains(FoldCase1252(base))) {
      std::uint64_t& n = nextNumber_.try_emplace(FoldCase1252(base), 1).first->second;
      do {
        abbreviation = base + std::to_string(n++);
      } while (used_.contains(FoldCase1252(abbreviation)));
    }
    used_.insert(FoldCase1252(abbreviation));
    return abbreviation;
  }

 private:
  std::unordered_set<std::string> used_;
  std::unordered_map<std::string, std::uint64_t> nextNumber_;
};

std::string FirstCharacter(const std::string& text) { return text.substr(0, 1); }

}  // namespace

void LeeEmpleados(const ExportRun& run) {
  DbfTable table = run.CreateTable("PROFT.DBF");
  StaffAbbreviations abbreviations;
  BlockReader reader(run.document);
  const std::size_t records = reader.SelectBlockRecords("EMPLEADOS");
  for (std::size_t i = 0; i < records; ++i) {
    if (reader.RecordValues(i) < BlockReader::kMinimumValues) {
      run.NoteShortRecord("EMPLEADOS", i);
      continue;
    }
    const std::string first = reader.ValueText(3);
    const std::string second = reader.ValueText(4);
    const std::string third = reader.ValueText(5);
    const std::string initials =
        FirstCharacter(first) + FirstCharacter(second) + FirstCharacter(third);
    const std::string abbreviation = abbreviations.Give(initials);
    if (abbreviation != initials)
      run.Note(FindingCategory::TeacherInitialsNumbered,
               "Profesor «" + ForMessage(first + " " + second + " " + third) + "»",
               "sus iniciales «" + ForMessage(initials) + "» ya eran de otro profesor: lleva «" +
                   ForMessage(abbreviation) + "»");
    table.Append();
    table.SetText("ABREV", abbreviation);
    // Both blanks stay also around an empty part, as the timetable program expects.
    table.SetText("NOMBRE", first + " " + second + " " + third);
    table.SetText("X_EMPLEADO", reader.ValueText(0));
    table.SetText("F_TOMAPOS", reader.ValueText(1));
    table.SetText("DEPART", reader.ValueText(2));
    table.Post();
  }
  table.Close();
}

void LeeDependencias(const ExportRun& run) {
  DbfTable table = run.CreateTable("AULAT.DBF");
  const std::size_t abbreviationWidth = TextWidth(table, "ABREV");
  BlockReader reader(run.document);
  const std::size_t records = reader.SelectBlockRecords("DEPENDENCIAS");
  for (std::size_t i = 0; i < records; ++i) {
    if (reader.RecordValues(i) < BlockReader::kMinimumValues) {
      run.NoteShortRecord("DEPENDENCIAS", i);
      continue;
    }
    const std::string key = reader.ValueText(0);
    table.Append();
    table.SetText("ABREV", key.substr(0, abbreviationWidth));
    table.SetText("NOMBRE", reader.ValueText(1));
    table.SetText("DEPCENTRO", key);
    table.Post();
  }
  table.Close();
}

}  // namespace travalen
