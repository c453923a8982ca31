// Documents made to hurt the reader: entities, nesting, sheer size, no XML at all.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "ExportFixtures.h"
#include "Exportar.h"

namespace travalen {
namespace {

namespace fs = std::filesystem;
using test::FakePort;
using test::ReadRows;
using test::Row;
using test::SenecaBlock;
using test::TempDir;
using test::WriteFile;

const std::vector<std::string> kTables = {"PERIODOS.DBF",  "CURSOST.DBF", "ASIGNOMT.DBF",
                                          "ASIGNOMT2.DBF", "PROFT.DBF",   "AULAT.DBF",
                                          "GRUPOST.DBF",   "ASIGT.DBF",   "DIASHORAST.DBF"};

// What a secret file holds; it must show nowhere.
constexpr const char* kSecret = "CONTENIDO-SECRETO";

std::vector<SenecaBlock> SchoolBlocks() {
  return {{"ANNO_ACADEMICO", {}, {"2023", "01/09/2023", "31/08/2024"}},
          {"CURSOS_DEL_CENTRO", {{"212306", "1º de E.S.O."}}},
          {"MATERIAS", {{"212306", "10", "Educación Física"}}},
          {"ACTIVIDADES", {{"S", "1", "Reunión de departamento"}}},
          {"DEPENDENCIAS", {{"1001", "Aula de Música"}}},
          {"JORNADAS_ESCOLARES", {{"1", "Jornada de mañana", "08/09/2023", "21/06/2024"}}},
          {"TRAMOS_HORARIOS", {{"100", "1ª", "480", "540"}}},
          {"UNIDADES", {{"10455973", "1ºESO-A", "212306"}}},
          {"EMPLEADOS",
           {{"2831752", "01/09/2020", "Matemáticas", "Muñoz", "Ibáñez", "María Ángeles"}}}};
}

// The root every document below carries, with one value that a case fills in.
std::string Servicio(const std::string& value) {
  return "<SERVICIO><BLOQUE_DATOS><grupo_datos seq=\"ANNO_ACADEMICO\"><dato>2023</dato>"
         "<dato>01/09/2023</dato><dato>" +
         value + "</dato></grupo_datos></BLOQUE_DATOS></SERVICIO>\n";
}

constexpr const char* kDeclaration = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n";

// Ten entities, each naming the one before ten times: 10^9 copies of "lol" once expanded.
std::string LaughingEntities() {
  std::string dtd = "<!DOCTYPE SERVICIO [<!ENTITY l0 \"lol\">";
  for (int i = 1; i < 10; ++i) {
    dtd += "<!ENTITY l" + std::to_string(i) + " \"";
    for (int n = 0; n < 10; ++n) dtd += "&l" + std::to_string(i - 1) + ";";
    dtd += "\">";
  }
  return dtd + "]>\n";
}

// The same with parameter entities, which expand while the DTD itself is read, into 10^9
// declarations.
std::string LaughingParameterEntities() {
  std::string dtd = "<!DOCTYPE SERVICIO [<!ENTITY % p0 \"<!ENTITY e0 'lol'>\">";
  for (int i = 1; i < 10; ++i) {
    dtd += "<!ENTITY % p" + std::to_string(i) + " \"";
    for (int n = 0; n < 10; ++n) dtd += "&#37;p" + std::to_string(i - 1) + ";";
    dtd += "\">";
  }
  return dtd + "%p9;]>\n";
}

std::string DeeplyNested(int depth) {
  std::string xml = std::string(kDeclaration) + "<SERVICIO><BLOQUE_DATOS>";
  xml.reserve(xml.size() + 7u * static_cast<std::size_t>(depth) + 40);
  for (int i = 0; i < depth; ++i) xml += "<a>";
  for (int i = 0; i < depth; ++i) xml += "</a>";
  return xml + "</BLOQUE_DATOS></SERVICIO>\n";
}

// A session over a fresh folder whose port picks `seneca.xml` and gives every course a level.
struct HostileRun {
  HostileRun() {
    session.exchangeDir = dir / "VTEMP";
    session.subjectLookupTable = test::WriteSubjectLookup(dir / "SENEMATERIAS.DBF");
    port.file = dir / "seneca.xml";
    port.dialog = [](const fs::path& courses, int) { return test::GiveEveryCourseEso1(courses); };
  }
  void Run() { BExportarClick(session, port); }
  bool NoTableWritten() const {
    for (const auto& name : kTables)
      if (fs::exists(session.exchangeDir / name)) return false;
    return true;
  }
  std::map<std::string, std::vector<Row>> AllTables() const {
    std::map<std::string, std::vector<Row>> tables;
    for (const auto& name : kTables) tables[name] = ReadRows(session.exchangeDir / name);
    return tables;
  }

  TempDir dir;
  Session session;
  FakePort port;
};

TEST(HostileDocuments, AreRefusedNamingTheFileBeforeAnyTableIsWritten) {
  struct Case {
    const char* what;
    std::function<void(const fs::path& file, const fs::path& secret)> write;
    const char* said;  // what the message says about the file
    bool quick;        // refused within two seconds, whatever the machine
  } const cases[] = {
      {"an external entity naming a local file",
       [](const fs::path& file, const fs::path& secret) {
         WriteFile(file, std::string(kDeclaration) + "<!DOCTYPE SERVICIO [<!ENTITY x SYSTEM \"" +
                             secret.string() + "\">]>\n" + Servicio("&x;"));
       },
       "declara entidades o un DTD", true},
      {"a parameter entity naming a local file",
       [](const fs::path& file, const fs::path& secret) {
         WriteFile(file, std::string(kDeclaration) + "<!DOCTYPE SERVICIO [<!ENTITY % p SYSTEM \"" +
                             secret.string() + "\"> %p;]>\n" + Servicio("x"));
       },
       "declara entidades o un DTD", true},
      {"an external DTD",
       [](const fs::path& file, const fs::path& secret) {
         WriteFile(file, std::string(kDeclaration) + "<!DOCTYPE SERVICIO SYSTEM \"" +
                             secret.string() + "\">\n" + Servicio("x"));
       },
       "declara entidades o un DTD", true},
      {"nested entities (a billion laughs)",
       [](const fs::path& file, const fs::path&) {
         WriteFile(file, kDeclaration + LaughingEntities() + Servicio("&l9;"));
       },
       "declara entidades o un DTD", true},
      {"nested parameter entities",
       [](const fs::path& file, const fs::path&) {
         WriteFile(file, kDeclaration + LaughingParameterEntities() + Servicio("x"));
       },
       "declara entidades o un DTD", true},
      {"elements nested 100,000 deep",
       [](const fs::path& file, const fs::path&) { WriteFile(file, DeeplyNested(100000)); },
       "no es un XML válido", true},
      {"a value of 50 MB",
       [](const fs::path& file, const fs::path&) {
         WriteFile(file, kDeclaration + Servicio(std::string(50u << 20, 'x')));
       },
       "no es un XML válido", false},
      {"bytes that are no XML",
       [](const fs::path& file, const fs::path&) {
         std::string bytes = "\x89PNG\r\n\x1a\n";
         for (int i = 0; i < 4096; ++i) bytes += static_cast<char>(i * 7);
         WriteFile(file, bytes);
       },
       "no es un XML válido", true},
      {"an empty file", [](const fs::path& file, const fs::path&) { WriteFile(file, ""); },
       "está vacío", true},
      {"a file over 2 GB (sparse: nothing of it is read)",
       [](const fs::path& file, const fs::path&) {
         WriteFile(file, kDeclaration + Servicio("x"));
         fs::resize_file(file, (std::uintmax_t{1} << 31) + 16);
       },
       "es demasiado grande", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HostileRun run;
    const fs::path secret = run.dir / "secreto.txt";
    WriteFile(secret, kSecret);
    c.write(*run.port.file, secret);

    const auto start = std::chrono::steady_clock::now();
    run.Run();
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;

    ASSERT_EQ(run.port.messages.size(), 1u);
    const auto& [message, kind] = run.port.messages[0];
    EXPECT_EQ(kind, MessageKind::Error);
    EXPECT_NE(message.find("«" + run.port.file->string() + "»"), std::string::npos) << message;
    EXPECT_NE(message.find(c.said), std::string::npos) << message;
    EXPECT_EQ(message.find(kSecret), std::string::npos) << message;
    EXPECT_EQ(run.session.TransformResult, 0);
    EXPECT_TRUE(run.port.BusyRestored());
    EXPECT_EQ(run.port.closes, 0);
    EXPECT_TRUE(run.NoTableWritten());
    EXPECT_EQ(run.session.XmlDoc, nullptr);
    if (c.quick) EXPECT_LT(elapsed.count(), 2.0);
  }
}

// The same document in UTF-16LE with a byte-order mark, as an editor may save it.
std::string Utf16WithByteOrderMark(const std::string& latin1Xml) {
  std::string xml = latin1Xml;
  const std::string declared = "encoding=\"ISO-8859-1\"";
  xml.replace(xml.find(declared), declared.size(), "encoding=\"UTF-16\"");
  std::string utf16 = "\xFF\xFE";
  for (char c : xml) {
    utf16 += c;  // every Latin-1 character is the UTF-16 unit of the same number
    utf16 += '\0';
  }
  return utf16;
}

TEST(HostileDocuments, Utf16WithAByteOrderMarkReadsAsTheLatin1Original) {
  HostileRun latin1;
  test::WriteSeneca(*latin1.port.file, SchoolBlocks());
  latin1.Run();
  ASSERT_EQ(latin1.port.messages.size(), 1u);
  ASSERT_EQ(latin1.port.messages[0].first, "Proceso finalizado");

  HostileRun utf16;
  WriteFile(*utf16.port.file, Utf16WithByteOrderMark(test::SenecaXml(SchoolBlocks())));
  utf16.Run();
  ASSERT_EQ(utf16.port.messages.size(), 1u);
  EXPECT_EQ(utf16.port.messages[0].first, "Proceso finalizado");
  EXPECT_EQ(utf16.session.TransformResult, 1);

  EXPECT_EQ(utf16.AllTables(), latin1.AllTables());
  const fs::path& dir = utf16.session.exchangeDir;
  EXPECT_EQ(ReadRows(dir / "PROFT.DBF").at(0).at("NOMBRE"), "Muñoz Ibáñez María Ángeles");
  EXPECT_EQ(ReadRows(dir / "ASIGNOMT.DBF").at(0).at("NOMBRE"), "Educación Física");
  EXPECT_EQ(ReadRows(dir / "AULAT.DBF").at(0).at("NOMBRE"), "Aula de Música");
}

}  // namespace
}  // namespace travalen
