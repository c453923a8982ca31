// The staff and rooms steps: teacher initials made distinct, rooms keyed by Séneca.
#include "Staff.h"

#include <gtest/gtest.h>

#include "ExportFixtures.h"

namespace travalen {
namespace {

using test::ReadColumn;
using test::ReadRows;
using test::Row;
using test::StepFixture;

// EMPLEADOS records: key, date, post, first, second and third name part.
std::vector<std::string> Teacher(const std::string& first, const std::string& second,
                                 const std::string& third) {
  return {"100", "01/09/2020", "Matemáticas", first, second, third};
}

std::vector<std::string> AbbreviationsFor(const std::vector<std::vector<std::string>>& staff) {
  StepFixture fixture({{"EMPLEADOS", staff}});
  LeeEmpleados(fixture.run);
  return ReadColumn(fixture.Table("PROFT.DBF"), "ABREV");
}

TEST(StaffAbbreviations, NumberedAgainstEveryEarlierOneLetterCaseAside) {
  struct Case {
    const char* title;
    std::vector<std::vector<std::string>> staff;
    std::vector<std::string> expected;
  };
  std::vector<std::vector<std::string>> twelve(12, Teacher("García", "López", "Ana"));
  std::vector<std::string> twelveExpected = {"GLA"};
  for (int n = 1; n <= 11; ++n) twelveExpected.push_back("GLA" + std::to_string(n));
  const std::vector<Case> cases = {
      {"lower case meets upper case",
       {Teacher("García", "López", "Ana"), Teacher("Gómez", "Luna", "Alberto"),
        Teacher("gil", "lara", "andrés")},
       {"GLA", "GLA1", "gla2"}},
      {"accented initials compare without case too",
       {Teacher("Álvarez", "Ruiz", "Eva"), Teacher("álvaro", "rey", "eloy")},
       {"ÁRE", "áre1"}},
      {"an empty part contributes nothing",
       {Teacher("Pérez", "", "Juan"), Teacher("Pi", "", "José")},
       {"PJ", "PJ1"}},
      {"an abbreviation another base gave is skipped",
       {Teacher("G", "L", "1x"), Teacher("G", "L", ""), Teacher("Gu", "Le", "")},
       {"GL1", "GL", "GL2"}},
      {"two digits", twelve, twelveExpected},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    EXPECT_EQ(AbbreviationsFor(c.staff), c.expected);
  }
}

TEST(Staff, RowsKeepTheValuesAsReadAndTheNameWithBothBlanks) {
  StepFixture fixture({{"EMPLEADOS",
                        {{"1234567", "01/09/2023", "Matemáticas-Profesores de Enseñanza Secundaria",
                          "García", "", "Ana"},
                         {"solo"},
                         {"99", "02/09/2023"}}}});
  LeeEmpleados(fixture.run);
  const auto rows = ReadRows(fixture.Table("PROFT.DBF"));
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0], (Row{{"ABREV", "GA"},
                          {"NOMBRE", "García  Ana"},
                          {"DEPART", "Matemáticas-Profesores de Enseñanza Secu"},
                          {"DNI", ""},
                          {"X_EMPLEADO", "1234567"},
                          {"F_TOMAPOS", "01/09/2023"}}));
  // Missing positions read as empty: no initials and a name of two blanks.
  EXPECT_EQ(rows[1].at("ABREV"), "");
  EXPECT_EQ(rows[1].at("X_EMPLEADO"), "99");
}

TEST(Rooms, KeyedByTheirSenecaKeyCutToTen) {
  StepFixture fixture(
      {{"DEPENDENCIAS", {{"123456789012", "Aula de música"}, {"1001", " Laboratorio "}, {"x"}}}});
  LeeDependencias(fixture.run);
  const auto rows = ReadRows(fixture.Table("AULAT.DBF"));
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].at("ABREV"), "1234567890");
  EXPECT_EQ(rows[0].at("DEPCENTRO"), "1234567890");
  EXPECT_EQ(rows[0].at("NOMBRE"), "Aula de música");
  EXPECT_EQ(rows[1].at("NOMBRE"), "Laboratorio");
  for (const auto& row : rows) {
    EXPECT_EQ(row.at("EDIFICIO"), "");
    EXPECT_EQ(row.at("MAXALUM"), "");
  }
}

}  // namespace
}  // namespace travalen
