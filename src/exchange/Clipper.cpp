// The five small text functions of the conversion, and the case rules built on them.
#include "Clipper.h"

#include <algorithm>

namespace travalen {

namespace {
constexpr char kBlank = ' ';
}

std::string StripBlanks(std::string text) {
  return StripLeadingBlanks(StripTrailingBlanks(std::move(text)));
}

std::string StripTrailingBlanks(std::string text) {
  auto end = text.find_last_not_of(kBlank);
  text.erase(end == std::string::npos ? 0 : end + 1);
  return text;
}

std::string StripLeadingBlanks(std::string text) {
  text.erase(0, std::min(text.find_first_not_of(kBlank), text.size()));
  return text;
}

std::string CapitalsOnly(const std::string& text) {
  std::string result;
  for (char c : text)
    if (c >= 'A' && c <= 'Z') result += c;
  return result;
}

std::string InitialsAfterBlanks(const std::string& text) {
  std::string result;
  for (std::size_t i = 0; i + 1 < text.size(); ++i)
    if (text[i] == kBlank) result += text[i + 1];
  return result;
}

bool IsBlank(const std::string& text) {
  return text.find_first_not_of(kBlank) == std::string::npos;
}

std::string UpperAsciiOnly(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

namespace {
// Windows-1252 lower case to upper case. Beyond ASCII: š/Š, œ/Œ, ž/Ž, ÿ/Ÿ, and the
// Latin-1 letters à..þ to À..Þ (÷ and ß have no capital here).
unsigned char Upper1252(unsigned char c) {
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 32);
  switch (c) {
    case 0x9A:
      return 0x8A;
    case 0x9C:
      return 0x8C;
    case 0x9E:
      return 0x8E;
    case 0xFF:
      return 0x9F;
    default:
      return c;
  }
}
}  // namespace

std::string FoldCase1252(std::string text) {
  for (char& c : text) c = static_cast<char>(Upper1252(static_cast<unsigned char>(c)));
  return text;
}

bool EqualsIgnoreCase1252(const std::string& a, const std::string& b) {
  return a.size() == b.size() && FoldCase1252(a) == FoldCase1252(b);
}

}  // namespace travalen
