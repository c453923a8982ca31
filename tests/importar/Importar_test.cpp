// The importar job as the person sees it: file choice, early exits, the end of a run.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "ImportFixture.h"

namespace travalen::test {
namespace {

TEST(BImportarClick, NoFileChosenStopsBeforeTouchingAnything) {
  struct Case {
    const char* what;
    bool hostMode;
    bool earlierPath;
  } const cases[] = {
      {"cancelled, first run, stand-alone", false, false},
      {"cancelled, first run, launched by Velmora", true, false},
      {"cancelled after an earlier run: that file is not taken instead", false, true},
      {"cancelled after an earlier run, launched by Velmora", true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ImportRun run;
    run.session.HostLaunched = c.hostMode ? 2 : 0;
    if (c.earlierPath) run.session.XmlFileName = run.xml;
    run.port.nextFile.reset();
    run.Run();
    EXPECT_EQ(run.port.OnlyMessage(), "No existe archivo");
    EXPECT_TRUE(run.port.busy.empty());
    EXPECT_EQ(run.session.TransformResult, c.hostMode ? -1 : 0);
    EXPECT_EQ(run.port.closeRequests, c.hostMode ? 1 : 0);
    EXPECT_FALSE(fs::exists(run.result));
    EXPECT_EQ(run.session.XmlDoc, nullptr);
  }
}

TEST(BImportarClick, AChosenFileThatDoesNotExistIsNoFile) {
  ImportRun run;
  run.port.nextFile = run.temp / "Otro.xml";
  run.Run();
  EXPECT_EQ(run.port.OnlyMessage(), "No existe archivo");
  EXPECT_EQ(run.session.XmlFileName, run.temp / "Otro.xml");
  EXPECT_TRUE(run.port.busy.empty());
}

TEST(BImportarClick, ACompletedRunSavesReportsAndClosesInHostMode) {
  for (bool hostMode : {false, true}) {
    SCOPED_TRACE(hostMode ? "launched by Velmora" : "stand-alone");
    ImportRun run;
    run.session.HostLaunched = hostMode ? 2 : 0;
    WriteFile(run.result, "resultado anterior");
    run.Run();
    ASSERT_EQ(run.port.messages.size(), 1u);
    EXPECT_EQ(run.port.messages[0].first, "Proceso finalizado");
    EXPECT_EQ(run.port.messages[0].second, MessageKind::Information);
    EXPECT_EQ(run.port.busy, (std::vector<bool>{true, false}));
    EXPECT_EQ(run.session.TransformResult, 1);
    EXPECT_EQ(run.port.closeRequests, hostMode ? 1 : 0);
    EXPECT_EQ(run.session.XmlFileName, run.xml);
    ASSERT_NE(run.session.XmlDoc, nullptr);
    EXPECT_EQ(ReadImportResult(run.result).tipo, "I");
    EXPECT_NE(ReadFile(run.result), "resultado anterior");
  }
}

TEST(BImportarClick, TablesAreFoundWhateverTheirLetterCase) {
  ImportRun run;
  for (const auto& entry : fs::directory_iterator(run.exchange)) {
    std::string lower = entry.path().filename().string();
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    fs::rename(entry.path(), run.exchange / lower);
  }
  run.Run();
  EXPECT_EQ(run.port.OnlyMessage(), "Proceso finalizado");
  EXPECT_TRUE(fs::exists(run.result));
}

// What an earlier run in host mode may have left: the early exits must keep it.
constexpr int kEarlierResult = -1;

// The early exits leave everything as it was, and the cursor as it was too.
void ExpectNothingDone(const ImportRun& run) {
  EXPECT_EQ(run.port.busy, (std::vector<bool>{true, false}));
  EXPECT_EQ(run.session.TransformResult, kEarlierResult);
  EXPECT_EQ(run.port.closeRequests, 0);
  EXPECT_FALSE(fs::exists(run.result));
}

TEST(BImportarClick, MissingCalendarWarnsAndEnds) {
  ImportRun run;
  run.session.HostLaunched = 2;
  run.session.TransformResult = kEarlierResult;
  fs::remove(run.exchange / "PERIODOS.DBF");
  run.Run();
  ASSERT_EQ(run.port.messages.size(), 1u);
  EXPECT_EQ(run.port.messages[0].first,
            "ATENCIÓN - PERIODOS.DBF No encontrado - Importe de nuevo XML de SÉNECA.");
  EXPECT_EQ(run.port.messages[0].second, MessageKind::Warning);
  ExpectNothingDone(run);
}

TEST(BImportarClick, AMissingTableStopsTheRunNamingIt) {
  struct Case {
    const char* file;
    const char* named;
    const char* whatToDo;
  } const cases[] = {
      {"SOLUC.DBF", "SOLUC", "Calcule el horario en Velmora antes de importar."},
      {"GRUPOST.DBF", "GRUPOST", "Exporte de nuevo"},
      {"CURSOST.DBF", "CURSOST", "Exporte de nuevo"},
      {"PROFT.DBF", "PROFT", "Exporte de nuevo"},
      {"AULAT.DBF", "AULAT", "Exporte de nuevo"},
      {"ASIGNOMT.DBF", "ASIGNOMT", "Exporte de nuevo"},
      {"ASIGNOMT2.DBF", "ASIGNOMT2", "Exporte de nuevo"},
      {"DIASHORAST.DBF", "DIASHORAST", "Exporte de nuevo"},
      {"ASIGT.DBF", "ASIGT", "Exporte de nuevo"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    ImportRun run;
    run.session.TransformResult = kEarlierResult;
    fs::remove(run.exchange / c.file);
    fs::remove(run.exchange / "PERIODOS.DBF");  // the tables are looked for first
    run.Run();
    const std::string message = run.port.OnlyMessage();
    const std::string expected = std::string("No se encuentra la tabla ") + c.named + " en «" +
                                 run.exchange.string() + "». ";
    EXPECT_EQ(message.substr(0, expected.size()), expected);
    EXPECT_NE(message.find(c.whatToDo), std::string::npos) << message;
    ASSERT_FALSE(run.port.messages.empty());
    EXPECT_EQ(run.port.messages[0].second, MessageKind::Error);
    ExpectNothingDone(run);
  }
}

TEST(BImportarClick, ADocumentThatCannotBeReadStopsTheRun) {
  const char* const documents[] = {
      "<SERVICIO><BLOQUE_DATOS>",                                       // not well-formed
      "<?xml version=\"1.0\"?>\n<SERVICIO><OTRO/></SERVICIO>",          // no BLOQUE_DATOS
      "<?xml version=\"1.0\"?>\n<SERVICIO><BLOQUE_DATOS/></SERVICIO>",  // no year
  };
  for (const char* xml : documents) {
    SCOPED_TRACE(xml);
    ImportRun run;
    run.session.TransformResult = kEarlierResult;
    WriteFile(run.xml, xml);
    run.Run();
    EXPECT_NE(run.port.OnlyMessage().find("Horarios.xml"), std::string::npos);
    ASSERT_FALSE(run.port.messages.empty());
    EXPECT_EQ(run.port.messages[0].second, MessageKind::Error);
    ExpectNothingDone(run);
  }
}

TEST(BImportarClick, AFailedSaveKeepsTheEarlierResult) {
  // The result is written to a temporary file beside it and renamed; a name at the file
  // system's limit leaves no room for the temporary one, so the save fails where the
  // earlier result can still be written and read.
  constexpr std::size_t kNameLimit = 255;
  ImportRun run;
  const std::string name =
      std::string(kNameLimit - std::string("ResultadoVelmora").size() - 4, 'h') + ".xml";
  const fs::path xml = run.temp / name;
  const fs::path result = ImportResultPath(xml);
  ASSERT_EQ(result.filename().string().size(), kNameLimit);
  fs::rename(run.xml, xml);
  WriteFile(result, "resultado anterior");
  run.port.nextFile = xml;
  run.session.TransformResult = kEarlierResult;
  run.Run();

  ASSERT_FALSE(run.port.messages.empty());
  EXPECT_EQ(run.port.messages[0].second, MessageKind::Error);
  EXPECT_NE(run.port.OnlyMessage().find("No se ha podido guardar"), std::string::npos);
  EXPECT_EQ(run.port.busy, (std::vector<bool>{true, false}));
  EXPECT_EQ(run.session.TransformResult, kEarlierResult);
  EXPECT_EQ(ReadFile(result), "resultado anterior");
  std::size_t files = 0;
  for (const auto& entry : fs::directory_iterator(run.temp.path()))
    files += entry.is_regular_file();
  EXPECT_EQ(files, 2u) << "the input and the earlier result, no temporary left";
}

}  // namespace
}  // namespace travalen::test
