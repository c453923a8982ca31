// Fuzz target: any bytes as an existing Velmora.ini, then the result handshake's update.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzSupport.h"
#include "IniFile.h"

using namespace travalen;

namespace {

constexpr std::string_view kSection = "Transformadores";
constexpr std::string_view kKey = "Transformado";

// Lines with their line ends, as the update must keep them.
std::vector<std::string> Lines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    const std::size_t nl = bytes.find('\n', pos);
    const std::size_t end = nl == std::string::npos ? bytes.size() : nl + 1;
    lines.push_back(bytes.substr(pos, end - pos));
    pos = end;
  }
  return lines;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string_view WithoutLineEnd(std::string_view line) {
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// "Transformado = ..." in any letter case; a byte order mark may lead the file's first line.
bool IsKeyLine(std::string_view line) {
  line = WithoutLineEnd(line);
  if (line.starts_with("\xEF\xBB\xBF")) line.remove_prefix(3);
  const std::size_t eq = line.find('=');
  return eq != std::string_view::npos && SameName(Trim(line.substr(0, eq)), kKey);
}

// A line the update may add: the section's header or the key with the new value.
bool IsAddedLine(std::string_view line, const std::string& number) {
  const std::string_view text = WithoutLineEnd(line);
  if (text == "[" + std::string(kSection) + "]") return true;
  return text == std::string(kKey) + "=" + number;
}

// Lines outside the change are compared whole; the change itself may replace one key line
// (keeping what precedes its value), end a last line that had no line end, and add the
// section header and the key.
void CheckOnlyTheKeyChanged(const std::string& before, const std::string& after,
                            const std::string& number) {
  const std::vector<std::string> old = Lines(before);
  const std::vector<std::string> now = Lines(after);
  std::size_t head = 0;
  while (head < old.size() && head < now.size() && old[head] == now[head]) ++head;
  std::size_t tail = 0;
  while (tail < old.size() - head && tail < now.size() - head &&
         old[old.size() - 1 - tail] == now[now.size() - 1 - tail])
    ++tail;
  const std::vector<std::string> removed(old.begin() + head, old.end() - tail);
  std::vector<std::string> added(now.begin() + head, now.end() - tail);
  if (removed.size() > 1) fuzz::Fail("more than one line changed");
  if (removed.size() == 1) {
    const std::string& line = removed.front();
    const bool unterminated = head + 1 == old.size() && line.back() != '\n';
    const bool ended =
        !added.empty() && added.front().starts_with(line) &&
        (added.front().substr(line.size()) == "\n" || added.front().substr(line.size()) == "\r\n");
    if (unterminated && ended) {
      added.erase(added.begin());  // the last line got its line end, nothing else
    } else if (IsKeyLine(line) && !added.empty() &&
               added.front().starts_with(line.substr(0, line.find('=') + 1)) &&
               Trim(WithoutLineEnd(added.front()).substr(line.find('=') + 1)) == number) {
      added.erase(added.begin());  // the key's own line, its value replaced
    } else {
      fuzz::Fail("a line other than the key's changed");
    }
  }
  if (added.size() > 2) fuzz::Fail("more lines added than the section and the key");
  for (const std::string& line : added)
    if (!IsAddedLine(line, number)) fuzz::Fail("an added line is neither the section nor the key");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto file = fuzz::ProcessDir() / "Velmora.ini";
  fuzz::WriteBytes(file, data, size);
  const std::string before(reinterpret_cast<const char*>(data), size);
  // A value from the input too, so that sign and width vary.
  const int value = size == 0 ? 1 : static_cast<int>(static_cast<std::int8_t>(data[size - 1]));
  const std::string number = std::to_string(value);

  WriteIniInteger(file, std::string(kSection), std::string(kKey), value);

  CheckOnlyTheKeyChanged(before, fuzz::ReadBytes(file), number);
  if (ReadIniValue(file, std::string(kSection), std::string(kKey)) != number)
    fuzz::Fail("the value written does not read back");
  return 0;
}
