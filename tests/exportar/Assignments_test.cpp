// The assignments step: each subject record to each group of its course.
#include "Assignments.h"

#include <gtest/gtest.h>

#include "ExportFixtures.h"

namespace travalen {
namespace {

using test::ReadRows;
using test::Row;
using test::StepFixture;
using test::WriteExchangeTable;

Row Subject(const std::string& code, const std::string& name, const char* task = "F") {
  return {{"COD", code}, {"NOMBRE", name}, {"ESTAREA", task}};
}
Row Group(const char* abbreviation, const char* courseKey) {
  std::string abbrev = abbreviation;
  return {{"ABREV", abbrev},
          {"NIVEL", abbrev.substr(0, 3)},
          {"CURSO", abbrev.substr(3, 1)},
          {"GRUPO", abbrev.substr(4)},
          {"CLAVECURSO", courseKey}};
}

// Runs the step on MATERIAS records (course key, subject key, name) over these tables.
struct AssignmentsRun {
  AssignmentsRun(const std::vector<std::vector<std::string>>& records,
                 const std::vector<Row>& subjects, const std::vector<Row>& groups)
      : fixture({{"MATERIAS", records}}) {
    WriteExchangeTable(fixture.dir.path(), "ASIGNOMT.DBF", subjects);
    WriteExchangeTable(fixture.dir.path(), "GRUPOST.DBF", groups);
    LeeAsignaciones(fixture.run);
  }
  // Each row as "CASIG CGRUP CLAVE CLAVECURSO".
  std::vector<std::string> Rows() const {
    std::vector<std::string> lines;
    for (const Row& row : ReadRows(fixture.Table("ASIGT.DBF")))
      lines.push_back(row.at("CASIG") + " " + row.at("CGRUP") + " " + row.at("CLAVE") + " " +
                      row.at("CLAVECURSO"));
    return lines;
  }
  StepFixture fixture;
};

const std::vector<Row> kGroups = {Group("ESO1A", "c1"), Group("BCT1A", "c2"), Group("ESO1B", "c1"),
                                  Group("ESO1C", "c1")};

TEST(Assignments, OneRowPerRecordAndGroupOfItsCourseInStoredOrder) {
  const std::string longName(85, 'x');
  struct Case {
    const char* title;
    std::vector<std::vector<std::string>> records;
    std::vector<Row> subjects;
    std::vector<std::string> expected;
  };
  const std::vector<Case> cases = {
      {"a course with three groups",
       {{"c1", "10", "Matemáticas"}},
       {Subject("Matemá", "Matemáticas")},
       {"Matemá ESO1A 10 c1", "Matemá ESO1B 10 c1", "Matemá ESO1C 10 c1"}},
      {"one subject in two courses",
       {{"c2", "10", "Matemáticas"}, {"c1", "11", "Matemáticas"}},
       {Subject("Matemá", "Matemáticas")},
       {"Matemá BCT1A 10 c2", "Matemá ESO1A 11 c1", "Matemá ESO1B 11 c1", "Matemá ESO1C 11 c1"}},
      {"two identical records give every row twice",
       {{"c2", "10", "Física"}, {"c2", "10", "Física"}},
       {Subject("F", "Física")},
       {"F BCT1A 10 c2", "F BCT1A 10 c2"}},
      {"names compare with a to z upper-cased: the first row wins",
       {{"c2", "10", "matemáticas"}, {"c2", "11", "Matemáticas"}},
       {Subject("Matemá", "Matemáticas"), Subject("matemá", "matemáticas")},
       {"Matemá BCT1A 10 c2", "Matemá BCT1A 11 c2"}},
      {"a name longer than eighty characters matches on its first eighty",
       {{"c2", "10", longName}},
       {Subject("X", longName)},
       {"X BCT1A 10 c2"}},
      {"no group for the course, no subject row, no name: no row",
       {{"c9", "10", "Matemáticas"}, {"c2", "11", "Griego"}, {"c2", "12", ""}, {"c2", "13"}},
       {Subject("Matemá", "Matemáticas"), Subject("7", "", "T")},
       {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    EXPECT_EQ(AssignmentsRun(c.records, c.subjects, kGroups).Rows(), c.expected);
  }
}

TEST(Assignments, RowsCarryGroupDataFourHoursAndTheirSessions) {
  AssignmentsRun run({{"c2", "10", "Matemáticas"}}, {Subject("Matemá", "Matemáticas")}, kGroups);
  auto rows = ReadRows(run.fixture.Table("ASIGT.DBF"));
  ASSERT_EQ(rows.size(), 1u);
  rows[0].erase("HORAS");  // a number: read as one below
  EXPECT_EQ(rows[0], (Row{{"CASIG", "Matemá"},
                          {"CPROF", ""},
                          {"CGRUP", "BCT1A"},
                          {"CAULA", ""},
                          {"TURNO", ""},
                          {"NIVEL", "BCT"},
                          {"CURSO", "1"},
                          {"GRUPO", "A"},
                          {"SESIONES", "1111"},
                          {"NCONEX", ""},
                          {"CLAVE", "10"},
                          {"CLAVECURSO", "c2"},
                          {"CTAREA", "1"}}));
  DbfTable table = DbfTable::Open(run.fixture.Table("ASIGT.DBF"));
  EXPECT_EQ(table.FloatAt(0, table.FieldIndex("HORAS")), 4.0);
}

TEST(Assignments, HoursAndSessions) {
  for (const auto& [minutes, hours] :
       std::vector<std::pair<int, int>>{{240, 4}, {60, 1}, {61, 2}, {0, 1}, {-30, 1}})
    EXPECT_EQ(HoursForMinutes(minutes), hours) << minutes;
  const std::string thirteen(13, '1');
  for (const auto& [hours, sessions] : std::vector<std::pair<int, std::string>>{
           {1, "1"}, {4, "1111"}, {13, thirteen}, {14, "1" + thirteen}, {20, "7" + thirteen}})
    EXPECT_EQ(SessionsText(hours), sessions) << hours;
}

}  // namespace
}  // namespace travalen
