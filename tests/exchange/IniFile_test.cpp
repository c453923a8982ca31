// The result handshake's INI update: one key changes, every other byte stays.
#include "IniFile.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace travalen {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

struct IniCase {
  const char* name;
  const char* before;  // nullptr: no file at all
  int value;
  const char* after;
};

class IniUpdate : public ::testing::TestWithParam<IniCase> {};

TEST_P(IniUpdate, ChangesOnlyTheKey) {
  const IniCase& c = GetParam();
  TempDir dir;
  const auto file = dir / "Velmora.ini";
  if (c.before) WriteFile(file, c.before);

  WriteIniInteger(file, "Transformadores", "Transformado", c.value);

  EXPECT_EQ(ReadFile(file), c.after);
  EXPECT_EQ(ReadIniValue(file, "Transformadores", "Transformado"), std::to_string(c.value));
  // Nothing is left behind by the atomic replacement.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

#ifdef _WIN32
#define NL "\r\n"
#else
#define NL "\n"
#endif

const IniCase kCases[] = {
    {"ExistingKeyWithCrlfAmongOtherSections",
     "; Velmora\r\n[General]\r\nRuta=C:\\VTEMP\r\nTransformado=7\r\n\r\n"
     "[Transformadores]\r\nOtro=x\r\nTransformado=0\r\nUltimo=  z  \r\n\r\n[Fin]\r\nA=1\r\n",
     1,
     "; Velmora\r\n[General]\r\nRuta=C:\\VTEMP\r\nTransformado=7\r\n\r\n"
     "[Transformadores]\r\nOtro=x\r\nTransformado=1\r\nUltimo=  z  \r\n\r\n[Fin]\r\nA=1\r\n"},
    {"SpacingAroundTheEqualsSignKept", "[Transformadores]\nTransformado = 1  \nX=2\n", -1,
     "[Transformadores]\nTransformado = -1\nX=2\n"},
    {"NamesCompareWithoutCase", "[ TRANSFORMADORES ]\ntransformado=5\n", 0,
     "[ TRANSFORMADORES ]\ntransformado=0\n"},
    {"MissingFileIsCreated", nullptr, 1, "[Transformadores]" NL "Transformado=1" NL},
    {"EmptyFileGetsTheSection", "", -1, "[Transformadores]" NL "Transformado=-1" NL},
    {"MissingSectionIsAppendedWithTheFilesLineEnds", "[General]\r\nA=1\r\n", 1,
     "[General]\r\nA=1\r\n[Transformadores]\r\nTransformado=1\r\n"},
    {"LastLineWithoutLineEndIsEndedFirst", "[General]\nA=1", 1,
     "[General]\nA=1\n[Transformadores]\nTransformado=1\n"},
    {"MissingKeyGoesAfterTheSectionsLastLine",
     "[Transformadores]\r\nOtro=x\r\n\r\n[Fin]\r\nTransformado=9\r\n", 1,
     "[Transformadores]\r\nOtro=x\r\nTransformado=1\r\n\r\n[Fin]\r\nTransformado=9\r\n"},
    {"SectionAtTheEndWithoutLineEnd", "[Transformadores]", 1,
     "[Transformadores]" NL "Transformado=1" NL},
    {"ByteOrderMarkBeforeTheSection", "\xEF\xBB\xBF[Transformadores]\nTransformado=0\n", 1,
     "\xEF\xBB\xBF[Transformadores]\nTransformado=1\n"},
    // A CR that ends the last line is text, not half a line end: the LF that closes the
    // line must not make "[Transformadores\r" a header of the section.
    {"LastLineEndingInCrWithoutSection", "[Tr\n[Transformadores\r", 1,
     "[Tr\n[Transformadores\r\r\n[Transformadores]\nTransformado=1\n"},
    {"LastLineEndingInCrInTheSection", "[Transformadores]\nA=1\r", 1,
     "[Transformadores]\nA=1\r\r\nTransformado=1\n"},
    {"FirstOfTwoSectionsOfTheSameName",
     "[Transformadores]\nTransformado=0\n[Transformadores]\nTransformado=0\n", 1,
     "[Transformadores]\nTransformado=1\n[Transformadores]\nTransformado=0\n"},
};

INSTANTIATE_TEST_SUITE_P(Cases, IniUpdate, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(IniRead, MissingFileSectionOrKeyReadAsNothing) {
  TempDir dir;
  const auto file = dir / "Velmora.ini";
  EXPECT_EQ(ReadIniValue(file, "Transformadores", "Transformado"), std::nullopt);
  WriteFile(file, "[Otra]\nTransformado=1\n[Transformadores]\nOtro=2\n");
  EXPECT_EQ(ReadIniValue(file, "Transformadores", "Transformado"), std::nullopt);
  EXPECT_EQ(ReadIniValue(file, "Nada", "Transformado"), std::nullopt);
  EXPECT_EQ(ReadIniValue(file, "otra", "TRANSFORMADO"), "1");
}

TEST(IniWrite, UnwritableFolderThrowsAndLeavesTheFile) {
  TempDir dir;
  const auto file = dir / "Velmora.ini";
  WriteFile(file, "[Transformadores]\nTransformado=0\n");
  std::filesystem::permissions(
      dir.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  if (std::filesystem::path probe = dir / "probe"; std::ofstream(probe).is_open())
    GTEST_SKIP() << "running with rights that ignore folder permissions";
  EXPECT_ANY_THROW(WriteIniInteger(file, "Transformadores", "Transformado", 1));
  EXPECT_EQ(ReadFile(file), "[Transformadores]\nTransformado=0\n");
}

}  // namespace
}  // namespace travalen
