// Semicolon-separated text as spreadsheet programs write it: quoting and reading back.
#include "CsvText.h"

namespace travalen {

namespace {
constexpr char kSeparator = ';';
constexpr char kQuote = '"';

bool NeedsQuotes(const std::string& field) {
  return field.find_first_of(";\"\r\n") != std::string::npos;
}

bool IsBlankLine(const std::vector<std::string>& fields) {
  return fields.size() == 1 && fields[0].find_first_not_of(' ') == std::string::npos;
}
}  // namespace

std::string CsvLine(const std::vector<std::string>& fields) {
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) line += kSeparator;
    if (!NeedsQuotes(fields[i])) {
      line += fields[i];
      continue;
    }
    line += kQuote;
    for (char c : fields[i]) {
      if (c == kQuote) line += kQuote;
      line += c;
    }
    line += kQuote;
  }
  return line;
}

std::vector<std::vector<std::string>> ParseCsv(const std::string& text) {
  std::vector<std::vector<std::string>> lines;
  std::vector<std::string> fields(1);
  bool quoted = false;
  auto endLine = [&] {
    if (!IsBlankLine(fields)) lines.push_back(std::move(fields));
    fields.assign(1, std::string());
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c != kQuote) {
        fields.back() += c;
      } else if (i + 1 < text.size() && text[i + 1] == kQuote) {
        fields.back() += kQuote;
        ++i;
      } else {
        quoted = false;
      }
    } else if (c == kQuote) {
      quoted = true;
    } else if (c == kSeparator) {
      fields.emplace_back();
    } else if (c == '\n') {
      endLine();
    } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      // the "\n" ends the line
    } else {
      fields.back() += c;
    }
  }
  endLine();
  return lines;
}

}  // namespace travalen
