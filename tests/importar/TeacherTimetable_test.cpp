// The teacher and activity blocks: selection of entries, look-ups, fallbacks and numbering.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ImportFixture.h"

namespace travalen::test {
namespace {

const char* const kDatoNames[] = {"N_DIASEMANA",    "X_TRAMO",      "X_DEPENDENCIA", "X_UNIDAD",
                                  "X_OFERTAMATRIG", "X_MATERIAOMG", "F_INICIO",      "F_FIN",
                                  "N_HORINI",       "N_HORFIN",     "X_ACTIVIDAD"};

// One school small enough to read, with every awkward case in it. Duplicate rows come
// after the ones that must win.
void WriteSchool(const fs::path& dir) {
  AppendRows(dir, {"PROFT",
                   {"ABREV", "X_EMPLEADO", "F_TOMAPOS"},
                   {{"ANA", "1001", "01/09/2020"},
                    {"NOENT", "1002", "01/09/2021"},
                    {"O'BR", "1003", "01/09/2022"},
                    {"ANA", "1004", "01/09/2019"},
                    {"", "1005", "01/09/2018"},
                    {"ZERO", "1006", "01/09/2017"}}});
  AppendRows(dir, {"SOLUC",
                   {"PROF", "DIA", "HORA", "ASIG", "CODGRUPO", "TAREA", "AULA"},
                   {{"ANA", "1", "1", "MAT", "ESO1A", "", "A01"},
                    {"ZERO", "0", "2", "MAT", "ESO1A", "", ""},
                    {"ANA", "0", "3", "MAT", "ESO1A", "", "A01"},
                    {"ANA", "2", "1", "LEN", "ESO1B", "", ""},
                    {"ana", "1", "5", "MAT", "ESO1A", "", ""},
                    {"ANA", "2", "9", "ING", "ESO1A", "", "A02"},
                    {"ANA", "", "4", "MAT", "ESO1A", "", ""},
                    {"ANA", "1", "2", "GUA", "", "", ""},
                    {"O'BR", "4", "1", "MAT", "ESO1A", "", "Aula 3"},
                    {"O''BR", "4", "2", "MAT", "ESO1A", "", ""},
                    {"O", "4", "3", "MAT", "ESO1A", "", ""},
                    {"ANA", "1", "3", "REU", "", "55", ""},
                    {"", "5", "1", "MAT", "ESO1A", "", ""},
                    {"ANA", "3", "1", "XXX", "ZZZ", "", ""},
                    {"ZERO", "", "1", "MAT", "ESO1A", "", ""},
                    {"ANA", "1", "4", "BLK", "ESO1A", "", ""}}});
  AppendRows(dir, {"ASIGT",
                   {"CASIG", "CGRUP", "CLAVE", "CLAVECURSO"},
                   {{"MAT", "ESO1A", "500", "2001"},
                    {"ING", "ESO1A", "", "2005"},
                    {"MAT", "ESO1A", "599", "2099"}}});
  AppendRows(dir, {"ASIGNOMT",
                   {"COD", "CODTAREA"},
                   {{"MAT", ""}, {"GUA", "44"}, {"REU", "66"}, {"BLK", ""}, {"GUA", "45"}}});
  AppendRows(dir, {"ASIGNOMT2",
                   {"COD", "MATERIA", "OFERTAMATRI"},
                   {{"LEN", "698", "2001"},
                    {"LEN", "700", "2002"},
                    {"LEN", "701", "2002"},
                    {"ING", "801", "2001"},
                    {"ING", "800", "2005"},
                    {"BLK", "900", "2001"},
                    {"LEN", "799", "2009"}}});
  AppendRows(dir, {"DIASHORAST",
                   {"DIHO", "CODDIHO", "DIA", "HORADESDE", "HORAHASTA"},
                   {{"11", "T11", "1", "0800", "0900"},
                    {"12", "T12", "1", "0900", "1000"},
                    {"13", "T13", "1", "1000", "1100"},
                    {"14", "T14", "1", "1100", "1200"},
                    {"21", "T21", "2", "0800", "0900"},
                    {"31", "T31", "3", "0800", "0900"},
                    {"41", "T41", "4", "0800", "0900"},
                    {"51", "T51", "5", "0800", "0900"},
                    {"11", "T99", "1", "1500", "1600"}}});
  AppendRows(dir, {"GRUPOST",
                   {"ABREV", "CLAVE", "CLAVECURSO"},
                   {{"ESO1A", "U1", "2001"}, {"ESO1B", "U2", "2002"}, {"ESO1B", "U9", "2009"}}});
}

class SchoolImport : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteSchool(run.exchange);
    run.Run();
    ASSERT_EQ(run.port.OnlyMessage(), "Proceso finalizado");
    result = ReadImportResult(run.result);
    ASSERT_EQ(result.teachers.size(), 6u);
  }
  ImportRun run;
  ImportResult result;
};

struct ActivityCase {
  const char* what;
  std::size_t activity;             // ANA's block, counted from 0
  std::vector<std::string> values;  // the eleven, in kDatoNames order
};

TEST_F(SchoolImport, ActivityValuesFollowTheLookUps) {
  const std::string s = "15/09/2023", e = "21/06/2024";
  const ActivityCase cases[] = {
      {"assignment found; the first ASIGT and DIASHORAST rows win over later duplicates",
       0,
       {"1", "T11", "A01", "U1", "2001", "500", s, e, "0800", "0900", "1"}},
      {"pair missing from ASIGT: course key from the first GRUPOST row, subject key from the "
       "first ASIGNOMT2 row for it; blank AULA is empty",
       1,
       {"2", "T21", "", "U2", "2002", "700", s, e, "0800", "0900", "1"}},
      {"ASIGT row with course key and blank subject key: course key kept, subject from "
       "ASIGNOMT2 with it; slot without a DIASHORAST row after one with",
       2,
       {"", "", "A02", "U1", "2005", "800", s, e, "", "", "1"}},
      {"blank TAREA takes CODTAREA of the first ASIGNOMT row; no group, no keys",
       3,
       {"1", "T12", "", "", "", "", s, e, "0900", "1000", "44"}},
      {"TAREA given is written as read, ASIGNOMT not consulted",
       4,
       {"1", "T13", "", "", "", "", s, e, "1000", "1100", "55"}},
      {"nothing found anywhere: every dato present and empty, activity 1",
       5,
       {"3", "T31", "", "", "", "", s, e, "0800", "0900", "1"}},
      {"blank CODTAREA gives 1; the unit's course key feeds the subject fallback",
       6,
       {"1", "T14", "", "U1", "2001", "900", s, e, "1100", "1200", "1"}},
  };
  const TeacherBlock& ana = result.teachers[0];
  ASSERT_EQ(ana.activities.size(), std::size(cases));
  for (const ActivityCase& c : cases) {
    SCOPED_TRACE(c.what);
    const ActivityBlock& block = ana.activities[c.activity];
    ASSERT_EQ(block.datos.size(), std::size(kDatoNames));
    for (std::size_t i = 0; i < std::size(kDatoNames); ++i) {
      EXPECT_EQ(block.datos[i].first, kDatoNames[i]);
      EXPECT_EQ(block.datos[i].second, c.values[i]) << kDatoNames[i];
    }
  }
}

TEST_F(SchoolImport, EveryTeacherRowIsABlockWithItsPlacedEntriesOnly) {
  EXPECT_EQ(result.timetableRegistros, "6");
  struct Expected {
    const char* what;
    std::string employee, takingUp;
    std::size_t activities;
  } const expected[] = {
      {"entries with DIA 0 or empty between placed ones leave no gap", "1001", "01/09/2020", 7},
      {"a teacher without entries", "1002", "01/09/2021", 0},
      {"a quote in the abbreviation selects exactly that teacher", "1003", "01/09/2022", 1},
      {"the same abbreviation twice: the same entries again", "1004", "01/09/2019", 7},
      {"a blank abbreviation takes the entries with a blank PROF", "1005", "01/09/2018", 1},
      {"entries with DIA 0 or empty only", "1006", "01/09/2017", 0},
  };
  for (std::size_t t = 0; t < std::size(expected); ++t) {
    SCOPED_TRACE(expected[t].what);
    const TeacherBlock& teacher = result.teachers[t];
    EXPECT_EQ(teacher.seq, "HORARIO_REGULAR_PROFESOR_" + std::to_string(t + 1));
    EXPECT_EQ(teacher.registros, std::to_string(expected[t].activities));
    std::vector<std::string> children = {"dato:X_EMPLEADO", "dato:F_TOMAPOS"};
    children.resize(2 + expected[t].activities, "grupo_datos");
    EXPECT_EQ(teacher.childNames, children);
    EXPECT_EQ(teacher.datos, (std::vector<Dato>{{"X_EMPLEADO", expected[t].employee},
                                                {"F_TOMAPOS", expected[t].takingUp}}));
    for (std::size_t a = 0; a < teacher.activities.size(); ++a)
      EXPECT_EQ(teacher.activities[a].seq, "ACTIVIDAD_" + std::to_string(a + 1));
  }
  for (std::size_t a = 0; a < 7; ++a)
    EXPECT_EQ(result.teachers[3].activities[a].datos, result.teachers[0].activities[a].datos);
  EXPECT_EQ(result.teachers[2].activities[0]["N_DIASEMANA"], "4");
  EXPECT_EQ(result.teachers[2].activities[0]["X_TRAMO"], "T41");
  EXPECT_EQ(result.teachers[2].activities[0]["X_DEPENDENCIA"], "Aula 3");
  EXPECT_EQ(result.teachers[4].activities[0]["N_DIASEMANA"], "5");
}

// SOLUC as text fields: Velmora's field types are its own.
class TextDayImport : public ::testing::Test {
 protected:
  TextDayImport() {
    CreateSoluc(run.exchange, FieldKind::Text);
    AppendRows(run.exchange, {"PROFT", {"ABREV", "X_EMPLEADO"}, {{"ANA", "1001"}}});
    AppendRows(
        run.exchange,
        {"DIASHORAST", {"DIHO", "CODDIHO", "DIA"}, {{"20", "T20", "2"}, {"31", "T31", "3"}}});
  }
  void Solution(const std::vector<std::vector<std::string>>& rows) {
    AppendRows(run.exchange, {"SOLUC", {"PROF", "DIA", "HORA"}, rows});
  }
  ImportRun run;
};

TEST_F(TextDayImport, DayIsTakenAsWrittenAndEmptyNumbersReadAsZero) {
  Solution({{"ANA", " 2", ""}, {"ANA", "", "5"}, {"ANA", "3", "+1"}});
  run.Run();
  ASSERT_EQ(run.port.OnlyMessage(), "Proceso finalizado");
  const ImportResult result = ReadImportResult(run.result);
  ASSERT_EQ(result.teachers.size(), 1u);
  ASSERT_EQ(result.teachers[0].registros, "2");
  EXPECT_EQ(result.teachers[0].activities[0]["X_TRAMO"], "T20");
  EXPECT_EQ(result.teachers[0].activities[1]["X_TRAMO"], "T31");
}

TEST(SolucNumbers, NotANumberStopsTheRunNamingTableRowAndField) {
  struct Case {
    const char* field;
    std::vector<std::string> badRow;
    const char* value;
  } const cases[] = {{"DIA", {"ANA", "x3", "1"}, "x3"}, {"HORA", {"ANA", "2", "1a"}, "1a"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.field);
    ImportRun bad;
    CreateSoluc(bad.exchange, FieldKind::Text);
    AppendRows(bad.exchange, {"PROFT", {"ABREV"}, {{"ANA"}}});
    AppendRows(bad.exchange, {"SOLUC", {"PROF", "DIA", "HORA"}, {{"ANA", "1", "1"}, c.badRow}});
    bad.session.TransformResult = -1;  // left by an earlier run
    bad.Run();
    const std::string message = bad.port.OnlyMessage();
    EXPECT_NE(message.find("SOLUC"), std::string::npos) << message;
    EXPECT_NE(message.find("fila 2"), std::string::npos) << message;
    EXPECT_NE(message.find(c.field), std::string::npos) << message;
    EXPECT_NE(message.find(c.value), std::string::npos) << message;
    EXPECT_NE(message.find("Velmora"), std::string::npos) << "says what to do: " << message;
    ASSERT_FALSE(bad.port.messages.empty());
    EXPECT_EQ(bad.port.messages[0].second, MessageKind::Error);
    EXPECT_EQ(bad.port.busy, (std::vector<bool>{true, false}));
    EXPECT_EQ(bad.session.TransformResult, -1);
    EXPECT_FALSE(fs::exists(bad.result));
  }
}

// TAREA and AULA are copied into the document; a control character there would make a file
// Séneca cannot load, so the run stops before anything is saved.
TEST(SolucTexts, AControlCharacterStopsTheRunNamingRowAndField) {
  struct Case {
    const char* field;
    const char* tarea;
    const char* aula;
  } const cases[] = {{"TAREA", "\x1C", ""}, {"AULA", "", "A\x01"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.field);
    ImportRun bad;
    AppendRows(bad.exchange, {"PROFT", {"ABREV"}, {{"ANA"}}});
    AppendRows(bad.exchange, {"SOLUC",
                              {"PROF", "DIA", "HORA", "TAREA", "AULA"},
                              {{"ANA", "1", "1", "", "A1"}, {"ANA", "1", "2", c.tarea, c.aula}}});
    bad.Run();
    const std::string message = bad.port.OnlyMessage();
    EXPECT_NE(message.find("SOLUC, fila 2, el campo " + std::string(c.field)), std::string::npos)
        << message;
    ASSERT_FALSE(bad.port.messages.empty());
    EXPECT_EQ(bad.port.messages[0].second, MessageKind::Error);
    EXPECT_EQ(bad.session.TransformResult, 0);
    EXPECT_FALSE(fs::exists(bad.result));
  }
}

}  // namespace
}  // namespace travalen::test
