// The five text functions and the case rules, over a table of edge cases.
#include "Clipper.h"

#include <gtest/gtest.h>

#include "Text8.h"

namespace travalen {
namespace {

struct Case {
  const char* function;
  std::string input;
  std::string expected;
};

std::string Apply(const std::string& function, const std::string& input) {
  if (function == "StripBlanks") return StripBlanks(input);
  if (function == "StripLeadingBlanks") return StripLeadingBlanks(input);
  if (function == "StripTrailingBlanks") return StripTrailingBlanks(input);
  if (function == "CapitalsOnly") return CapitalsOnly(input);
  return InitialsAfterBlanks(input);
}

TEST(Clipper, EdgeCases) {
  const std::string aAcute = Utf8ToCp1252("Á");
  const Case cases[] = {
      {"StripBlanks", "", ""},
      {"StripBlanks", "    ", ""},
      {"StripBlanks", "  a b  ", "a b"},
      {"StripBlanks", "\tx\n", "\tx\n"},
      {"StripBlanks", " \tx ", "\tx"},
      {"StripBlanks", "\xA0x\xA0", "\xA0x\xA0"},  // the no-break space is no blank
      {"StripLeadingBlanks", "  a  ", "a  "},
      {"StripTrailingBlanks", "  a  ", "  a"},
      {"StripTrailingBlanks", "", ""},
      {"CapitalsOnly", "Lengua Castellana y Literatura", "LCL"},
      {"CapitalsOnly", Utf8ToCp1252("Educación Física"), "EF"},
      {"CapitalsOnly", "sin capitales 123", ""},
      {"CapitalsOnly", aAcute + "LGEBRA", "LGEBRA"},
      {"InitialsAfterBlanks", "Lengua Castellana y Literatura", "CyL"},
      {"InitialsAfterBlanks", "Palabra", ""},
      {"InitialsAfterBlanks", "ab ", ""},
      {"InitialsAfterBlanks", "A  B", " B"},
      {"InitialsAfterBlanks", "   ", "  "},
      {"InitialsAfterBlanks", "", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Apply(c.function, c.input), c.expected) << c.function << "(\"" << c.input << "\")";
}

TEST(Clipper, ArgumentIsNotChanged) {
  const std::string text = "  a  ";
  (void)StripBlanks(text);
  EXPECT_EQ(text, "  a  ");
}

TEST(Clipper, CaseRules) {
  EXPECT_EQ(UpperAsciiOnly(Utf8ToCp1252("Matemáticas")), Utf8ToCp1252("MATEMáTICAS"));
  EXPECT_TRUE(EqualsIgnoreCase1252("GLA", "gla"));
  EXPECT_TRUE(EqualsIgnoreCase1252(Utf8ToCp1252("ÁÑ"), Utf8ToCp1252("áñ")));
  EXPECT_FALSE(EqualsIgnoreCase1252("GLA1", "GLA"));
  EXPECT_TRUE(IsBlank("   "));
  EXPECT_FALSE(IsBlank(" \t "));
}

TEST(Text8, ConvertsBothWaysAndMarksWhatCp1252CannotHold) {
  EXPECT_EQ(Utf8ToCp1252("Educación"), "Educaci\xF3n");
  EXPECT_EQ(Utf8ToCp1252("€ ñ"), "\x80 \xF1");
  EXPECT_EQ(Utf8ToCp1252("a\xE2\x88\x9E"
                         "b"),
            "a?b");                                  // ∞
  EXPECT_EQ(Utf8ToCp1252("\xF0\x9F\x98\x80"), "?");  // an emoji is one character
  EXPECT_EQ(Cp1252ToUtf8("Educaci\xF3n \x80"), "Educación €");
  EXPECT_EQ(Cp1252ToUtf8("\x81"), "?");
  EXPECT_EQ(Utf8ToCp1252(""), "");
}

}  // namespace
}  // namespace travalen
