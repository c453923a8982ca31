// What an importar run reports: the keys it could not find, per teacher and entry, the
// teachers to look at, a document of another year, and its progress.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ImportFixture.h"

namespace travalen::test {
namespace {

// A school whose solution shows each kind of key that cannot be found, and entries that
// need none. SOLUC rows are numbered from 1 in the comments, as the findings count them.
void WriteSchool(const fs::path& dir) {
  AppendRows(dir, {"PROFT",
                   {"ABREV", "NOMBRE", "X_EMPLEADO", "F_TOMAPOS"},
                   {{"ANA", "Pérez Gil Ana", "1001", "01/09/2020"},
                    {"LUIS", "Ruiz Sol Luis", "1002", "01/09/2021"},
                    {"EVA", "Mora Paz Eva", "1003", "01/09/2022"}}});
  AppendRows(dir, {"SOLUC",
                   {"PROF", "DIA", "HORA", "ASIG", "CODGRUPO", "TAREA", "AULA"},
                   {{"ANA", "1", "1", "MAT", "ESO1A", "", ""},     // 1: every key found
                    {"ANA", "1", "9", "MAT", "ESO1A", "", ""},     // 2: no such slot
                    {"ANA", "2", "1", "MAT", "ESO9Z", "", ""},     // 3: no such group
                    {"ANA", "3", "1", "GUA", "", "", ""},          // 4: a duty by its subject
                    {"ANA", "4", "1", "REU", "", "55", ""},        // 5: a duty by its own TAREA
                    {"ANA", "1", "2", "LEN", "ESO1B", "", ""},     // 6: no subject for the offer
                    {"ANA", "1", "1", "ING", "ESO1B", "", ""},     // 7: row 1's slot again
                    {"EVA", "1", "2", "", "", "", ""},             // 8: a class without group
                    {"EVA", "0", "3", "MAT", "ESO1A", "", ""},     // 9: not placed
                    {"EVA", "2", "1", "TUT", "ESO1A", "", ""},     // 10: a duty with its group
                    {"EVA", "2", "2", "TUT", "ESO9Z", "", ""}}});  // 11: ... and an unknown one
  AppendRows(
      dir, {"ASIGT", {"CASIG", "CGRUP", "CLAVE", "CLAVECURSO"}, {{"MAT", "ESO1A", "500", "2001"}}});
  AppendRows(dir, {"ASIGNOMT",
                   {"COD", "CODTAREA"},
                   {{"MAT", ""}, {"GUA", "44"}, {"TUT", "77"}, {"LEN", ""}, {"ING", ""}}});
  AppendRows(dir, {"ASIGNOMT2", {"COD", "MATERIA", "OFERTAMATRI"}, {{"ING", "801", "2002"}}});
  AppendRows(dir, {"DIASHORAST",
                   {"DIHO", "CODDIHO", "DIA", "HORADESDE", "HORAHASTA"},
                   {{"11", "T11", "1", "0800", "0900"},
                    {"12", "T12", "1", "0900", "1000"},
                    {"21", "T21", "2", "0800", "0900"},
                    {"22", "T22", "2", "0900", "1000"},
                    {"31", "T31", "3", "0800", "0900"},
                    {"41", "T41", "4", "0800", "0900"}}});
  AppendRows(dir, {"GRUPOST",
                   {"ABREV", "CLAVE", "CLAVECURSO"},
                   {{"ESO1A", "U1", "2001"}, {"ESO1B", "U2", "2002"}}});
}

std::vector<const Finding*> Of(const ConversionReport& report, FindingCategory category) {
  std::vector<const Finding*> found;
  for (const Finding& f : report.findings)
    if (f.category == category) found.push_back(&f);
  return found;
}

class SchoolReport : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteSchool(run.exchange);
    run.session.HostLaunched = 2;
    run.Run();
    ASSERT_EQ(run.port.reports.size(), 1u);
  }
  const ConversionReport& Report() const { return run.port.reports.front(); }
  ImportRun run;
};

TEST_F(SchoolReport, EveryKeyThatShouldBeThereAndIsNotIsNamedWithItsEntry) {
  struct Expected {
    const char* teacher;
    int solucRow;
    std::vector<std::string> present;  // in the detail
    std::vector<std::string> absent;
  };
  const Expected expected[] = {
      {"ANA",
       2,
       {"N_DIASEMANA y X_TRAMO", "«19»", "ASIG «MAT»", "DIA 1, HORA 9"},
       {"X_UNIDAD", "X_MATERIAOMG"}},
      {"ANA",
       3,
       {"X_UNIDAD: GRUPOST no tiene el grupo «ESO9Z»", "X_OFERTAMATRIG", "X_MATERIAOMG"},
       {"N_DIASEMANA"}},
      {"ANA", 6, {"X_MATERIAOMG", "«LEN»"}, {"X_UNIDAD", "X_OFERTAMATRIG"}},
      {"EVA", 8, {"X_UNIDAD: la entrada no tiene grupo", "X_OFERTAMATRIG", "X_MATERIAOMG"}, {}},
      {"EVA", 11, {"X_UNIDAD", "X_OFERTAMATRIG"}, {"X_MATERIAOMG"}},
  };
  const auto findings = Of(Report(), FindingCategory::EmptyKey);
  ASSERT_EQ(findings.size(), std::size(expected));
  for (std::size_t i = 0; i < findings.size(); ++i) {
    const Expected& e = expected[i];
    SCOPED_TRACE("SOLUC fila " + std::to_string(e.solucRow));
    EXPECT_EQ(findings[i]->severity, Severity::Warning);
    EXPECT_EQ(findings[i]->item.rfind(std::string("Profesor «") + e.teacher + "»", 0), 0u)
        << findings[i]->item;
    const std::string& detail = findings[i]->detail;
    EXPECT_EQ(detail.rfind("SOLUC fila " + std::to_string(e.solucRow) + " (", 0), 0u) << detail;
    for (const auto& text : e.present) EXPECT_NE(detail.find(text), std::string::npos) << detail;
    for (const auto& text : e.absent) EXPECT_EQ(detail.find(text), std::string::npos) << detail;
  }
  EXPECT_EQ(Of(Report(), FindingCategory::EmptyKey)[0]->item,
            "Profesor «ANA» Pérez Gil Ana (empleado 1001)");
}

TEST_F(SchoolReport, TeachersWithoutActivitiesOrTwiceInASlotAreNamed) {
  const auto idle = Of(Report(), FindingCategory::TeacherWithoutActivities);
  ASSERT_EQ(idle.size(), 1u);
  EXPECT_EQ(idle[0]->item, "Profesor «LUIS» Ruiz Sol Luis (empleado 1002)");

  const auto twice = Of(Report(), FindingCategory::TeacherTwiceInSlot);
  ASSERT_EQ(twice.size(), 1u);
  EXPECT_EQ(twice[0]->item.rfind("Profesor «ANA»", 0), 0u);
  EXPECT_NE(twice[0]->detail.find("SOLUC fila 1 (ASIG «MAT»"), std::string::npos);
  EXPECT_NE(twice[0]->detail.find("SOLUC fila 7 (ASIG «ING»"), std::string::npos);

  // The document itself is sound, and the years agree.
  EXPECT_TRUE(Of(Report(), FindingCategory::ResultCheckFailed).empty());
  EXPECT_TRUE(Of(Report(), FindingCategory::AcademicYearMismatch).empty());
  EXPECT_EQ(Report().findings.size(), 7u);
}

TEST_F(SchoolReport, ComesAfterTheLastMessageWithTheResultAndTheTablesRead) {
  EXPECT_EQ(run.port.messagesBeforeReport, 1u);
  EXPECT_EQ(run.port.messages[0].first, "Proceso finalizado");
  EXPECT_EQ(run.port.closesBeforeReport, 0);
  EXPECT_EQ(run.port.closeRequests, 1);
  EXPECT_EQ(Report().direction, ConversionDirection::Importar);
  EXPECT_EQ(Report().resultFile, run.result);
  std::vector<std::pair<std::string, std::size_t>> tables;
  for (const TableRowCount& t : Report().tables) tables.emplace_back(t.table, t.rows);
  EXPECT_EQ(tables, (std::vector<std::pair<std::string, std::size_t>>{{"SOLUC.DBF", 11},
                                                                      {"GRUPOST.DBF", 2},
                                                                      {"CURSOST.DBF", 0},
                                                                      {"PROFT.DBF", 3},
                                                                      {"AULAT.DBF", 0},
                                                                      {"ASIGNOMT.DBF", 5},
                                                                      {"ASIGNOMT2.DBF", 1},
                                                                      {"DIASHORAST.DBF", 6},
                                                                      {"ASIGT.DBF", 1},
                                                                      {"PERIODOS.DBF", 1}}));
  EXPECT_EQ(
      run.port.progress,
      (std::vector<std::string>{"Abriendo tablas", "Leyendo el documento de Séneca",
                                "Escribiendo horarios", "Guardando", "Comprobando el resultado"}));
}

TEST(ImportReport, ADocumentOfAnotherYearIsNamed) {
  ImportRun run;
  WriteFile(run.xml, SmallSenecaXml("2022"));
  run.Run();
  ASSERT_EQ(run.port.reports.size(), 1u);
  const auto mismatch = Of(run.port.reports[0], FindingCategory::AcademicYearMismatch);
  ASSERT_EQ(mismatch.size(), 1u);
  EXPECT_EQ(mismatch[0]->item, "Horarios.xml");
  EXPECT_NE(mismatch[0]->detail.find("«2022»"), std::string::npos);
  EXPECT_NE(mismatch[0]->detail.find("«2023»"), std::string::npos);
}

TEST(ImportReport, AnEarlyEndShowsNoReport) {
  ImportRun run;
  fs::remove(run.exchange / "PERIODOS.DBF");
  run.Run();
  EXPECT_TRUE(run.port.reports.empty());
  EXPECT_EQ(run.port.progress,
            (std::vector<std::string>{"Abriendo tablas", "Leyendo el documento de Séneca"}));
}

}  // namespace
}  // namespace travalen::test
