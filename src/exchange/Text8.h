// Conversion between UTF-8 (XML, GUI, messages) and the 8-bit text the tables hold.
#pragma once

#include <string>
#include <string_view>

namespace travalen {

// The core keeps every text as Windows-1252 bytes; these convert at the edges only.
// A character that Windows-1252 cannot hold becomes one "?"; so do the five byte
// values Windows-1252 leaves undefined when going back to UTF-8.
std::string Utf8ToCp1252(std::string_view utf8);
std::string Cp1252ToUtf8(std::string_view cp1252);

}  // namespace travalen
