// The check the level/course dialog's OK runs, shared by the dialog and the CLI.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace travalen {

// True when `value` is empty once leading and trailing blanks and control characters
// (every byte up to code 32) are gone.
bool IsMissingLevelValue(const std::string& value);

// The CLAVE of every row of CURSOST.DBF whose NIVEL or CURSO is missing, in table order.
// Empty means the dialog may close and the run go on.
std::vector<std::string> CoursesMissingLevels(const std::filesystem::path& coursesTable);

}  // namespace travalen
