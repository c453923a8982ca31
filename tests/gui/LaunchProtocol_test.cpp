// The host's launch parameters: how many, which job, which window.
#include "LaunchProtocol.h"

#include <gtest/gtest.h>

namespace travalen {
namespace {

struct LaunchCase {
  const char* title;
  QStringList parameters;
  bool hostProtocol;
  bool importar;
  bool exportar;
  std::optional<std::uint32_t> handle;
  const char* error;  // the conversion message, "" when none
};

TEST(LaunchProtocol, ParametersDecideModeJobAndWindow) {
  const std::vector<LaunchCase> cases = {
      {"none", {}, false, false, false, std::nullopt, ""},
      {"one", {"exportar"}, false, false, false, std::nullopt, ""},
      {"three", {"exportar", "1A", "x"}, false, false, false, std::nullopt, ""},
      {"exportar", {"exportar", "1a2B"}, true, false, true, 0x1A2B, ""},
      {"capitals", {"EXPORTAR", "400001"}, true, false, true, 0x400001, ""},
      {"mixed case", {"Importar", "FFFFFFFF"}, true, true, false, 0xFFFFFFFF, ""},
      {"other word", {"export", "1A"}, true, false, false, 0x1A, ""},
      {"word with more", {"exportar2", "1A"}, true, false, false, 0x1A, ""},
      {"leading zeros", {"importar", "0000000001A"}, true, true, false, 0x1A, ""},
      {"not hex",
       {"exportar", "zz"},
       true,
       false,
       true,
       std::nullopt,
       "'$zz' no es un valor entero válido"},
      {"above 32 bits",
       {"exportar", "100000000"},
       true,
       false,
       true,
       std::nullopt,
       "'$100000000' no es un valor entero válido"},
      {"prefix",
       {"exportar", "0x1A"},
       true,
       false,
       true,
       std::nullopt,
       "'$0x1A' no es un valor entero válido"},
      {"sign",
       {"exportar", "-1"},
       true,
       false,
       true,
       std::nullopt,
       "'$-1' no es un valor entero válido"},
      {"blank",
       {"exportar", " 1A"},
       true,
       false,
       true,
       std::nullopt,
       "'$ 1A' no es un valor entero válido"},
      {"empty",
       {"exportar", ""},
       true,
       false,
       true,
       std::nullopt,
       "'$' no es un valor entero válido"},
  };
  for (const LaunchCase& c : cases) {
    SCOPED_TRACE(c.title);
    const LaunchRequest request = ParseLaunch(c.parameters);
    EXPECT_EQ(request.parameterCount, c.parameters.size());
    EXPECT_EQ(request.HostProtocol(), c.hostProtocol);
    EXPECT_EQ(request.RunsImportar(), c.importar);
    EXPECT_EQ(request.RunsExportar(), c.exportar);
    EXPECT_EQ(request.hostWindow, c.handle);
    EXPECT_EQ(request.conversionError.toStdString(), c.error);
  }
}

TEST(LaunchProtocol, OnlyAsciiLettersFoldForTheJob) {
  // The dotted capital I lower-cases to "i" plus a combining dot: not "importar".
  EXPECT_FALSE(ParseLaunch({QStringLiteral("İMPORTAR"), "1"}).RunsImportar());
  EXPECT_TRUE(ParseLaunch({QStringLiteral("IMPORTAR"), "1"}).RunsImportar());
}

}  // namespace
}  // namespace travalen
