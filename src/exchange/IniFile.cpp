// INI key update by line surgery: only the one line that holds the key is rewritten.
#include "IniFile.h"

#include <fstream>
#include <sstream>
#include <string_view>
#include <vector>

#include "Platform.h"

namespace travalen {

namespace {

// A file we create follows the platform's custom; an existing file keeps its own.
#ifdef _WIN32
constexpr std::string_view kNewFileLineEnd = "\r\n";
#else
constexpr std::string_view kNewFileLineEnd = "\n";
#endif

// Some editors put a byte order mark before the first section header.
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

struct Line {
  std::size_t begin = 0;  // offset of the first byte of the line's text
  std::size_t end = 0;    // offset just past the text, where its line end begins
  std::string_view ending;
};

std::vector<Line> SplitLines(const std::string& bytes) {
  std::vector<Line> lines;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    std::size_t nl = bytes.find('\n', pos);
    Line line;
    line.begin = pos;
    if (nl == std::string::npos) {
      line.end = bytes.size();
      pos = bytes.size();
    } else {
      bool crlf = nl > pos && bytes[nl - 1] == '\r';
      line.end = crlf ? nl - 1 : nl;
      line.ending = crlf ? std::string_view("\r\n") : std::string_view("\n");
      pos = nl + 1;
    }
    lines.push_back(line);
  }
  return lines;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

// The text of a line as the parser sees it: without the byte order mark of line one.
std::string_view LineText(const std::string& bytes, const Line& line) {
  std::string_view text(bytes.data() + line.begin, line.end - line.begin);
  if (line.begin == 0 && text.substr(0, kUtf8Bom.size()) == kUtf8Bom)
    text.remove_prefix(kUtf8Bom.size());
  return text;
}

// The name of a "[section]" line, or nothing when the line is no section header.
std::optional<std::string_view> SectionName(std::string_view text) {
  text = Trim(text);
  if (text.empty() || text.front() != '[') return std::nullopt;
  text.remove_prefix(1);
  std::size_t close = text.find(']');
  return Trim(text.substr(0, close));
}

// Where in a "key=value" line the value begins (after the blanks that follow '='), or
// nothing when the line holds a different key or no key at all.
std::optional<std::size_t> ValueOffset(std::string_view text, std::string_view key) {
  std::size_t eq = text.find('=');
  if (eq == std::string_view::npos || !SameName(Trim(text.substr(0, eq)), key)) return std::nullopt;
  std::size_t value = eq + 1;
  while (value < text.size() && IsBlank(text[value])) ++value;
  return value;
}

struct KeyPlace {
  std::optional<std::size_t> sectionLine;  // index of the section's header line
  std::optional<std::size_t> keyLine;      // index of the key's line
  std::size_t lastFilledLine = 0;          // last line of the section that is not blank
};

KeyPlace FindKey(const std::string& bytes, const std::vector<Line>& lines, std::string_view section,
                 std::string_view key) {
  KeyPlace place;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string_view text = LineText(bytes, lines[i]);
    auto name = SectionName(text);
    if (!place.sectionLine) {
      if (name && SameName(*name, section)) place.sectionLine = place.lastFilledLine = i;
      continue;
    }
    if (name) break;  // the next section begins: the key is not in ours
    if (!Trim(text).empty()) place.lastFilledLine = i;
    if (ValueOffset(text, key)) {
      place.keyLine = i;
      break;
    }
  }
  return place;
}

// The line end that closes a last line left without one. A CR at the end of such a line is
// part of its text: "\n" after it would read as a CRLF line end, and "[Transformadores\r"
// would turn into a section header.
std::string_view LineEndAfter(const std::string& bytes, std::string_view eol) {
  return !bytes.empty() && bytes.back() == '\r' ? std::string_view("\r\n") : eol;
}

std::string ReadWholeFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

}  // namespace

void WriteIniInteger(const std::filesystem::path& file, const std::string& section,
                     const std::string& key, int value) {
  std::error_code ec;
  const std::string bytes = std::filesystem::exists(file, ec) ? ReadWholeFile(file) : "";
  const std::vector<Line> lines = SplitLines(bytes);
  const std::string number = std::to_string(value);

  std::string_view eol = kNewFileLineEnd;
  for (const Line& line : lines) {
    if (!line.ending.empty()) {
      eol = line.ending;
      break;
    }
  }

  std::string out;
  const KeyPlace place = FindKey(bytes, lines, section, key);
  if (place.keyLine) {
    const Line& line = lines[*place.keyLine];
    std::string_view text = LineText(bytes, line);
    std::size_t valueBegin =
        static_cast<std::size_t>(text.data() - bytes.data()) + *ValueOffset(text, key);
    out = bytes.substr(0, valueBegin) + number + bytes.substr(line.end);
  } else if (place.sectionLine) {
    const Line& after = lines[place.lastFilledLine];
    std::size_t insertAt = after.end + after.ending.size();
    std::string inserted;
    // The section ends the file without a line end.
    if (after.ending.empty()) inserted += LineEndAfter(bytes, eol);
    inserted += key + "=" + number + std::string(eol);
    out = bytes.substr(0, insertAt) + inserted + bytes.substr(insertAt);
  } else {
    out = bytes;
    if (!out.empty() && out.back() != '\n') out += LineEndAfter(out, eol);
    out += "[" + section + "]" + std::string(eol) + key + "=" + number + std::string(eol);
  }
  WriteFileAtomically(file, out);
}

std::optional<std::string> ReadIniValue(const std::filesystem::path& file,
                                        const std::string& section, const std::string& key) {
  std::error_code ec;
  if (!std::filesystem::exists(file, ec)) return std::nullopt;
  const std::string bytes = ReadWholeFile(file);
  const std::vector<Line> lines = SplitLines(bytes);
  const KeyPlace place = FindKey(bytes, lines, section, key);
  if (!place.keyLine) return std::nullopt;
  std::string_view text = LineText(bytes, lines[*place.keyLine]);
  return std::string(Trim(text.substr(*ValueOffset(text, key))));
}

}  // namespace travalen
