// Semicolon-separated text as spreadsheet programs write it: quoting and reading back.
#pragma once

#include <string>
#include <vector>

namespace travalen {

// One line without its line end. A field holding ';', '"' or a line break is put in
// double quotes, with its own double quotes doubled.
std::string CsvLine(const std::vector<std::string>& fields);

// Every line of `text` as its fields, quoted fields undone; a quoted field may hold line
// breaks. Line ends may be "\n" or "\r\n"; lines made only of blanks are left out.
std::vector<std::vector<std::string>> ParseCsv(const std::string& text);

}  // namespace travalen
