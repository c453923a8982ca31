// Reading the saved result back: a broken or altered document is named, never a crash.
#include "ResultCheck.h"

#include <gtest/gtest.h>

#include "ImportDocument.h"
#include "SenecaBuilder.h"
#include "SenecaDocument.h"

namespace travalen::test {
namespace {

// What the writer produced: two teachers, the first with two activities, an accent.
std::unique_ptr<SenecaDocument> Written() {
  return SenecaDocument::Parse(
      Utf8ToLatin1(
          "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
          "<SERVICIO modulo=\"HORARIOS\" tipo=\"I\" autor=\"VELMORA\" fecha=\"x\"><BLOQUE_DATOS>"
          "<grupo_datos seq=\"ANNO_ACADEMICO\"><dato nombre_dato=\"C_ANNO\">2023</dato>"
          "</grupo_datos><grupo_datos seq=\"HORARIOS_REGULARES\" registros=\"2\">"
          "<grupo_datos seq=\"HORARIO_REGULAR_PROFESOR_1\" registros=\"2\">"
          "<dato nombre_dato=\"X_EMPLEADO\">1001</dato>"
          "<dato nombre_dato=\"F_TOMAPOS\">01/09/2020</dato>"
          "<grupo_datos seq=\"ACTIVIDAD_1\"><dato nombre_dato=\"X_DEPENDENCIA\">Dirección</dato>"
          "<dato nombre_dato=\"X_UNIDAD\"></dato></grupo_datos>"
          "<grupo_datos seq=\"ACTIVIDAD_2\"><dato nombre_dato=\"X_DEPENDENCIA\">Sala</dato>"
          "<dato nombre_dato=\"X_UNIDAD\">U1</dato></grupo_datos></grupo_datos>"
          "<grupo_datos seq=\"HORARIO_REGULAR_PROFESOR_2\" registros=\"0\">"
          "<dato nombre_dato=\"X_EMPLEADO\">1002</dato>"
          "<dato nombre_dato=\"F_TOMAPOS\">01/09/2021</dato></grupo_datos>"
          "</grupo_datos></BLOQUE_DATOS></SERVICIO>\n"),
      "escrito.xml");
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  const auto at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

TEST(CheckImportResult, ASoundDocumentGivesNoFinding) {
  auto written = Written();
  EXPECT_TRUE(
      CheckImportResult(SerializeImportDocument(written->Raw()), written->Raw(), "r.xml").empty());
}

TEST(CheckImportResult, EveryKindOfDamageIsAnErrorFinding) {
  auto written = Written();
  const std::string good = SerializeImportDocument(written->Raw());
  struct Case {
    const char* damage;
    std::string bytes;
    const char* inDetail;
  };
  const Case cases[] = {
      {"cut short", good.substr(0, good.size() / 2), "no es un XML válido"},
      {"teacher count", Replaced(good, "registros=\"2\">", "registros=\"3\">"), "«registros»"},
      {"activity count",
       Replaced(good, "PROFESOR_1\" registros=\"2\"", "PROFESOR_1\" registros=\"1\""),
       "«registros» dice «1» y hay 2"},
      {"a gap in the activities", Replaced(good, "ACTIVIDAD_2", "ACTIVIDAD_3"),
       "debería llamarse «ACTIVIDAD_2»"},
      {"a gap in the teachers", Replaced(good, "PROFESOR_2", "PROFESOR_4"),
       "debería llamarse «HORARIO_REGULAR_PROFESOR_2»"},
      {"UTF-8 bytes under a Latin-1 declaration", Replaced(good, "\xF3", "\xC3\xB3"),
       "se escribió «Dirección»"},
      {"a value changed", Replaced(good, ">U1<", ">U2<"), "se lee «U2»"},
      {"a value lost", Replaced(good, "<dato nombre_dato=\"X_UNIDAD\">U1</dato>", ""),
       "se escribieron 9 datos y se leen 8"},
      {"no timetable block", Replaced(good, "\"HORARIOS_REGULARES\"", "\"OTRO\""),
       "HORARIOS_REGULARES"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.damage);
    const auto findings = CheckImportResult(c.bytes, written->Raw(), "r.xml");
    ASSERT_FALSE(findings.empty());
    std::string details;
    for (const Finding& f : findings) {
      EXPECT_EQ(f.category, FindingCategory::ResultCheckFailed);
      EXPECT_EQ(f.severity, Severity::Error);
      EXPECT_EQ(f.item.rfind("r.xml", 0), 0u) << f.item;
      details += f.detail + "\n";
    }
    EXPECT_NE(details.find(c.inDetail), std::string::npos) << details;
  }
}

TEST(CheckImportResultFile, AFileThatIsGoneIsAFindingToo) {
  TempDir dir;
  auto written = Written();
  const auto findings = CheckImportResultFile(dir / "no-esta.xml", written->Raw());
  ASSERT_EQ(findings.size(), 1u);
  EXPECT_EQ(findings[0].item, "no-esta.xml");
  EXPECT_EQ(findings[0].severity, Severity::Error);
}

}  // namespace
}  // namespace travalen::test
