// The units step: group names from the courses' levels, letters in document order.
#include "Units.h"

#include <gtest/gtest.h>

#include "ExportFixtures.h"

namespace travalen {
namespace {

using test::ReadColumn;
using test::ReadRows;
using test::Row;
using test::StepFixture;
using test::WriteExchangeTable;

Row Course(const char* code, const char* level, const char* course, const char* studies = "") {
  return {{"CLAVE", code}, {"NIVEL", level}, {"CURSO", course}, {"ESTUD", studies}};
}

// Runs the units step on unit records (unit key, label, course key) over these courses.
struct UnitsRun {
  UnitsRun(const std::vector<Row>& courses, const std::vector<std::vector<std::string>>& units)
      : fixture({{"UNIDADES", units}}) {
    WriteExchangeTable(fixture.dir.path(), "CURSOST.DBF", courses);
    LeeUnidades(fixture.run);
  }
  std::vector<std::string> Groups(const char* field) const {
    return ReadColumn(fixture.Table("GRUPOST.DBF"), field);
  }
  StepFixture fixture;
};

TEST(GroupAbbreviations, LettersFollowTheBaseAcrossCoursesAndLetterCase) {
  struct Case {
    const char* title;
    std::vector<Row> courses;
    std::vector<std::string> unitCourses;  // the course key of each unit, in order
    std::vector<std::string> expected;
  };
  const std::vector<Case> cases = {
      {"three units of one course, another course between",
       {Course("c1", "ESO", "1"), Course("c2", "BCT", "1")},
       {"c1", "c2", "c1", "c1"},
       {"ESO1A", "BCT1A", "ESO1B", "ESO1C"}},
      {"two courses with one level and course number share one sequence",
       {Course("c1", "BACHC", "1"), Course("c2", "BACHC", "1")},
       {"c1", "c2", "c1"},
       {"BACHC1A", "BACHC1B", "BACHC1C"}},
      {"course numbers with one first character share one sequence",
       {Course("c1", "FP", "1"), Course("c2", "FP", "10")},
       {"c1", "c2"},
       {"FP1A", "FP1B"}},
      {"levels that differ in letter case share one sequence",
       {Course("c1", "eso", "1"), Course("c2", "ESO", "1")},
       {"c1", "c2"},
       {"eso1A", "ESO1B"}},
      {"an empty level: the course number and the letter",
       {Course("c1", "", "2"), Course("c2", "", "2")},
       {"c1", "c2"},
       {"2A", "2B"}},
      {"an unknown course: bare letters",
       {Course("c1", "ESO", "1")},
       {"zz", "", "zz"},
       {"A", "B", "C"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    std::vector<std::vector<std::string>> units;
    for (std::size_t i = 0; i < c.unitCourses.size(); ++i)
      units.push_back({"U" + std::to_string(i), "1ºA", c.unitCourses[i]});
    EXPECT_EQ(UnitsRun(c.courses, units).Groups("ABREV"), c.expected);
  }
}

TEST(GroupAbbreviations, BeyondZTheCharactersThatFollowItAndNoLowerCaseLetters) {
  std::vector<std::vector<std::string>> units(33, {"U", "x", "c1"});
  const auto groups = UnitsRun({Course("c1", "ESO", "1")}, units).Groups("GRUPO");
  ASSERT_EQ(groups.size(), 33u);
  EXPECT_EQ(groups[0], "A");
  EXPECT_EQ(groups[25], "Z");
  EXPECT_EQ(std::vector<std::string>(groups.begin() + 26, groups.end()),
            (std::vector<std::string>{"[", "\\", "]", "^", "_", "`", "{"}));
}

TEST(Units, RowsCarryTheCourseDataAndNivForAnEmptyLevel) {
  UnitsRun run({Course("c1", "ESO", "1", "1º de E.S.O."), Course("c2", "", "2", "FPB")},
               {{"10001", "1ºA", "c1"}, {"10002", "x", "c2"}, {"10003", "x"}, {"1"}});
  const auto rows = ReadRows(run.fixture.Table("GRUPOST.DBF"));
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0], (Row{{"ABREV", "ESO1A"},
                          {"TURNO", ""},
                          {"NIVEL", "ESO"},
                          {"CURSO", "1"},
                          {"GRUPO", "A"},
                          {"CLAVE", "10001"},
                          {"CLAVECURSO", "c1"},
                          {"DESCRIP", "1º de E.S.O."}}));
  EXPECT_EQ(rows[1].at("ABREV"), "2A");
  EXPECT_EQ(rows[1].at("NIVEL"), "NIV");
  EXPECT_EQ(rows[1].at("DESCRIP"), "FPB");
  // Two values only: no course key, so no course.
  EXPECT_EQ(rows[2].at("ABREV"), "A");
  EXPECT_EQ(rows[2].at("NIVEL"), "NIV");
  EXPECT_EQ(rows[2].at("CURSO"), "");
}

TEST(Units, ARunStartsEverySequenceAgain) {
  UnitsRun run({Course("c1", "ESO", "1")}, {{"U1", "x", "c1"}, {"U2", "x", "c1"}});
  LeeUnidades(run.fixture.run);
  EXPECT_EQ(run.Groups("ABREV"), (std::vector<std::string>{"ESO1A", "ESO1B"}));
}

}  // namespace
}  // namespace travalen
