// The check the level/course dialog's OK runs, shared by the dialog and the CLI.
#include "CourseLevels.h"

#include "DbfTable.h"

namespace travalen {

namespace {
// Blanks and every control character count as nothing typed.
bool IsSpaceOrControl(char c) { return static_cast<unsigned char>(c) <= 32; }
}  // namespace

bool IsMissingLevelValue(const std::string& value) {
  for (char c : value)
    if (!IsSpaceOrControl(c)) return false;
  return true;
}

std::vector<std::string> CoursesMissingLevels(const std::filesystem::path& coursesTable) {
  DbfTable table = DbfTable::Open(coursesTable);
  const int nivel = table.FieldIndex("NIVEL");
  const int curso = table.FieldIndex("CURSO");
  const int clave = table.FieldIndex("CLAVE");
  std::vector<std::string> missing;
  for (std::size_t row = 0; row < table.RowCount(); ++row)
    if (IsMissingLevelValue(table.TextAt(row, nivel)) ||
        IsMissingLevelValue(table.TextAt(row, curso)))
      missing.push_back(table.TextAt(row, clave));
  return missing;
}

}  // namespace travalen
