// The frame of the import document: year, header, what survives of the input, encoding.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "ImportFixture.h"
#include "SenecaBuilder.h"
#include "SenecaDocument.h"
#include "TravalenError.h"

namespace travalen::test {
namespace {

std::string YearOf(const std::string& blockContent) {
  const std::string xml =
      "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<SERVICIO><BLOQUE_DATOS>" + blockContent +
      "</BLOQUE_DATOS></SERVICIO>";
  auto doc = SenecaDocument::Parse(Utf8ToLatin1(xml), "Horarios.xml");
  return AcademicYear(doc->Raw(), doc->Name());
}

TEST(AcademicYear, IsTheFirstFourCharactersOfTheFirstChildsText) {
  struct Case {
    const char* what;
    std::string block;
    std::string year;  // 8-bit
  } const cases[] = {
      {"a Séneca year block",
       "<grupo_datos seq=\"ANNO_ACADEMICO\"><dato>2023</dato><dato>01/09/2023</dato></grupo_datos>",
       "2023"},
      {"indented: blanks between elements are not text",
       "\n  <grupo_datos>\n    <dato>2024</dato>\n  </grupo_datos>", "2024"},
      {"shorter than four", "<grupo_datos><dato>23</dato></grupo_datos>", "23"},
      {"an empty first block", "<grupo_datos/><grupo_datos><dato>2023</dato></grupo_datos>", ""},
      {"text of everything beneath, joined", "<g><dato>20</dato><x><dato>2</dato></x>9</g>",
       "2029"},
      {"a comment first: its own text",
       "<!--2025/26--><grupo_datos><dato>2023</dato></grupo_datos>", "2025"},
      {"counted in 8-bit characters after the conversion", "<g>Año 2023</g>", "A\xF1o "},
      {"a character Windows-1252 lacks is one \"?\"", "<g>&#937;2023</g>", "?202"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(YearOf(c.block), c.year);
  }
}

TEST(AcademicYear, ADocumentWithoutItStopsWithAClearMessage) {
  const char* const documents[] = {
      "<SERVICIO><OTRO/></SERVICIO>",
      "<EXPORTACION><BLOQUE_DATOS><g>2023</g></BLOQUE_DATOS></EXPORTACION>",
      "<SERVICIO><BLOQUE_DATOS/></SERVICIO>",
      "<SERVICIO><BLOQUE_DATOS>\n  \n</BLOQUE_DATOS></SERVICIO>",
  };
  for (const char* xml : documents) {
    SCOPED_TRACE(xml);
    auto doc = SenecaDocument::Parse(xml, "Horarios.xml");
    try {
      AcademicYear(doc->Raw(), doc->Name());
      ADD_FAILURE() << "no error";
    } catch (const TravalenError& error) {
      const std::string message = error.what();
      EXPECT_NE(message.find("«Horarios.xml»"), std::string::npos) << message;
      EXPECT_NE(message.find("BLOQUE_DATOS"), std::string::npos) << message;
      EXPECT_NE(message.find("año académico"), std::string::npos) << message;
    }
  }
}

TEST(ImportResultPath, PrefixesTheFileNameInTheSameFolder) {
  EXPECT_EQ(ImportResultPath("/datos/seneca/Horarios.xml"),
            fs::path("/datos/seneca/ResultadoVelmoraHorarios.xml"));
  EXPECT_EQ(ImportResultPath("Horarios.XML"), fs::path("ResultadoVelmoraHorarios.XML"));
}

// Everything around the root survives in its place; the root itself is all new.
TEST(ImportFrame, KeepsTopLevelNodesDeclarationAndEncoding) {
  ImportRun run;
  AppendRows(run.exchange,
             {"PROFT", {"ABREV", "X_EMPLEADO", "F_TOMAPOS"}, {{"ANA", "Martínez", "01/09/2020"}}});
  AppendRows(run.exchange,
             {"SOLUC", {"PROF", "DIA", "HORA", "AULA"}, {{"ANA", "1", "1", "Aula €"}}});
  WriteFile(run.xml, Utf8ToLatin1("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
                                  "<!-- exportación de Séneca -->\n"
                                  "<?velmora marca?>\n"
                                  "<SERVICIO modulo=\"HORARIOS\" tipo=\"E\" autor=\"SENECA\" "
                                  "fecha=\"16/01/2024 20:59:15\" extra=\"x\">\n"
                                  "  <BLOQUE_DATOS>\n"
                                  "    <grupo_datos seq=\"ANNO_ACADEMICO\"><dato>2023</dato>"
                                  "</grupo_datos>\n"
                                  "    <grupo_datos seq=\"CURSOS_DEL_CENTRO\" registros=\"1\">"
                                  "<grupo_datos><dato>CURSO_VIEJO</dato></grupo_datos>"
                                  "</grupo_datos>\n"
                                  "  </BLOQUE_DATOS>\n"
                                  "  <OTRO>resto</OTRO>\n"
                                  "</SERVICIO>\n"
                                  "<!-- después -->\n"));
  run.Run();
  ASSERT_EQ(run.port.OnlyMessage(), "Proceso finalizado");
  const std::string bytes = ReadFile(run.result);

  const std::string head =
      "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
      "<!-- exportaci\xF3n de S\xE9neca -->\n"
      "<?velmora marca?>\n"
      "<!-- despu\xE9s -->\n"
      "<SERVICIO modulo=\"HORARIOS\" tipo=\"I\" autor=\"VELMORA\" fecha=\"";
  ASSERT_EQ(bytes.substr(0, head.size()), head);
  // Latin-1 bytes for the accents, and a character Latin-1 lacks kept as a reference.
  EXPECT_NE(bytes.find("<dato nombre_dato=\"X_EMPLEADO\">Mart\xEDnez</dato>"), std::string::npos);
  EXPECT_NE(bytes.find("<dato nombre_dato=\"X_DEPENDENCIA\">Aula &#8364;</dato>"),
            std::string::npos);
  EXPECT_EQ(bytes.find("\xC3"), std::string::npos) << "no UTF-8 in a Latin-1 file";
  // Nothing of the old root: its attributes, blocks and other children are gone.
  for (const char* gone : {"SENECA", "extra", "CURSO_VIEJO", "OTRO", "resto", "tipo=\"E\""})
    EXPECT_EQ(bytes.find(gone), std::string::npos) << gone;
  // No indentation inside the new root: it is written on one line.
  const std::string root = bytes.substr(bytes.find("<SERVICIO"));
  EXPECT_EQ(root.find('\n'), root.size() - 1);

  const ImportResult result = ReadImportResult(run.result);
  EXPECT_EQ(result.rootAttributes, 4u);
  EXPECT_TRUE(std::regex_match(result.fecha, std::regex(R"(\d\d/\d\d/\d{4} \d\d:\d\d:\d\d)")))
      << result.fecha;
  EXPECT_EQ(result.year, "2023");
  EXPECT_EQ(result.timetableRegistros, "1");
  ASSERT_EQ(result.teachers.size(), 1u);
  ASSERT_EQ(result.teachers[0].activities.size(), 1u);
  EXPECT_EQ(result.teachers[0].activities[0]["X_DEPENDENCIA"], "Aula €");
  EXPECT_EQ(result.teachers[0].activities[0]["F_INICIO"], "15/09/2023");
  EXPECT_EQ(result.teachers[0].activities[0]["F_FIN"], "21/06/2024");
}

TEST(ImportFrame, AnInputWithoutDeclarationGivesUtf8WithOne) {
  ImportRun run;
  AppendRows(run.exchange, {"PROFT", {"ABREV", "X_EMPLEADO"}, {{"ANA", "Martínez"}}});
  WriteFile(run.xml,
            "<!-- sin declaración -->\n<SERVICIO><BLOQUE_DATOS><g>2023</g>"
            "</BLOQUE_DATOS></SERVICIO>");
  run.Run();
  ASSERT_EQ(run.port.OnlyMessage(), "Proceso finalizado");
  const std::string bytes = ReadFile(run.result);
  const std::string head =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- sin declaración -->\n<SERVICIO ";
  EXPECT_EQ(bytes.substr(0, head.size()), head);
  EXPECT_NE(bytes.find("Martínez"), std::string::npos);
}

TEST(ImportFrame, EmptyTeachersAndCalendarGiveAnEmptyTimetable) {
  ImportRun run;
  CreateExchangeTable(run.exchange, "PERIODOS.DBF");  // present, without rows
  AppendRows(run.exchange, {"SOLUC", {"PROF", "DIA", "HORA"}, {{"ANA", "1", "1"}}});
  run.Run();
  ASSERT_EQ(run.port.OnlyMessage(), "Proceso finalizado");
  EXPECT_NE(ReadFile(run.result)
                .find("<grupo_datos seq=\"ANNO_ACADEMICO\"><dato nombre_dato=\"C_ANNO\">2023"
                      "</dato></grupo_datos><grupo_datos seq=\"HORARIOS_REGULARES\" "
                      "registros=\"0\"></grupo_datos></BLOQUE_DATOS></SERVICIO>"),
            std::string::npos);
}

TEST(ImportFrame, EmptyCalendarLeavesTheDatesEmptyInEveryActivity) {
  ImportRun run;
  CreateExchangeTable(run.exchange, "PERIODOS.DBF");
  AppendRows(run.exchange, {"PROFT", {"ABREV"}, {{"ANA"}}});
  AppendRows(run.exchange,
             {"SOLUC", {"PROF", "DIA", "HORA"}, {{"ANA", "1", "1"}, {"ANA", "2", "1"}}});
  run.Run();
  ASSERT_EQ(run.port.OnlyMessage(), "Proceso finalizado");
  const ImportResult result = ReadImportResult(run.result);
  ASSERT_EQ(result.teachers.size(), 1u);
  ASSERT_EQ(result.teachers[0].activities.size(), 2u);
  for (const ActivityBlock& block : result.teachers[0].activities) {
    EXPECT_EQ(block["F_INICIO"], "");
    EXPECT_EQ(block["F_FIN"], "");
  }
}

}  // namespace
}  // namespace travalen::test
