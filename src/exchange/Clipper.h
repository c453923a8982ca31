// The five small text functions of the conversion, over bytes of 8-bit text.
#pragma once

#include <string>

namespace travalen {

// A blank is the space character (code 32) and nothing else: tabs, line breaks and the
// no-break space are ordinary characters here.
std::string StripBlanks(std::string text);
std::string StripTrailingBlanks(std::string text);
std::string StripLeadingBlanks(std::string text);
// The characters A to Z of the text, in order; accented capitals (codes above 127) drop.
std::string CapitalsOnly(const std::string& text);
// The character after each blank, in order; the last position is never examined.
std::string InitialsAfterBlanks(const std::string& text);

// "Blank" in the job rules: empty once StripBlanks has run.
bool IsBlank(const std::string& text);

// Upper-cases a to z only; accented letters stay as they are.
std::string UpperAsciiOnly(std::string text);

// Windows-1252 letters compared without case, accented letters included (Á equals á).
bool EqualsIgnoreCase1252(const std::string& a, const std::string& b);
// The key under which EqualsIgnoreCase1252 treats texts as equal (for hash look-ups).
std::string FoldCase1252(std::string text);

}  // namespace travalen
