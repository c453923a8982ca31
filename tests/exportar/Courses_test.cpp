// The courses step and the level/course loop, and the check the dialog's OK runs.
#include "Courses.h"

#include <gtest/gtest.h>

#include "CourseLevels.h"
#include "ExportFixtures.h"

namespace travalen {
namespace {

using test::FakePort;
using test::FillCourseLevels;
using test::ReadColumn;
using test::ReadRows;
using test::SenecaBlock;
using test::StepFixture;
using test::WriteExchangeTable;

const std::vector<SenecaBlock> kCourses = {
    {"ANNO_ACADEMICO", {}, {"2023", "01/09/2023", "31/08/2024"}},
    {"CURSOS_DEL_CENTRO",
     {{"212306", " 1º de E.S.O. (LOMLOE) "}, {"solo"}, {}, {"212307", "2º de E.S.O.", "x"}}}};

TEST(Courses, OneRowPerRecordWithTwoValuesInDocumentOrder) {
  StepFixture fixture(kCourses);
  FakePort port;
  bool retry = false;
  EXPECT_EQ(LeeCursos(fixture.run, port, retry), CoursesOutcome::Completed);
  const auto rows = ReadRows(fixture.Table("CURSOST.DBF"));
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].at("CLAVE"), "212306");
  EXPECT_EQ(rows[0].at("ESTUD"), "1º de E.S.O. (LOMLOE)");
  EXPECT_EQ(rows[1].at("CLAVE"), "212307");
  for (const auto& row : rows)
    for (const char* empty : {"ABREV", "TURNO", "NIVEL", "CURSO"}) EXPECT_EQ(row.at(empty), "");
}

TEST(Courses, MissingDataShowsTheDialogAgainWithRetryUntilComplete) {
  StepFixture fixture(kCourses);
  FakePort port;
  port.dialog = [](const std::filesystem::path& table, int pass) {
    // The first pass leaves a course without CURSO; the dialog reports it.
    if (pass == 1) {
      FillCourseLevels(table, {{"212306", {"ESO", "1"}}, {"212307", {"ESO", " "}}});
    } else {
      FillCourseLevels(table, {{"212307", {"ESO", "2"}}});
    }
    return CourseDialogResult{!CoursesMissingLevels(table).empty(), false};
  };
  bool retry = false;
  EXPECT_EQ(LeeCursos(fixture.run, port, retry), CoursesOutcome::Completed);
  EXPECT_EQ(port.dialogRetries, (std::vector<bool>{false, true}));
  EXPECT_TRUE(retry);
  EXPECT_EQ(ReadColumn(fixture.Table("CURSOST.DBF"), "CURSO"),
            (std::vector<std::string>{"1", "2"}));
  EXPECT_EQ(port.closes, 0);
}

TEST(Courses, ForcedExitEndsTheLoopAndSaysSo) {
  StepFixture fixture(kCourses);
  FakePort port;
  port.dialog = [](const std::filesystem::path&, int pass) {
    return pass == 1 ? CourseDialogResult{true, false} : CourseDialogResult{false, true};
  };
  bool retry = false;
  EXPECT_EQ(LeeCursos(fixture.run, port, retry), CoursesOutcome::ForcedExit);
  EXPECT_EQ(port.dialogRetries, (std::vector<bool>{false, true}));
}

TEST(Courses, ADialogClosedWithoutCheckEndsTheLoop) {
  StepFixture fixture(kCourses);
  FakePort port;      // every pass comes back with neither flag, as the close box leaves it
  bool retry = true;  // an earlier run of this program start needed a second pass
  EXPECT_EQ(LeeCursos(fixture.run, port, retry), CoursesOutcome::Completed);
  EXPECT_EQ(port.dialogRetries, (std::vector<bool>{true}));
  EXPECT_TRUE(retry);
}

TEST(Courses, WithoutCourseRecordsTheDialogOpensOnAnEmptyTable) {
  StepFixture fixture({{"ANNO_ACADEMICO", {}, {"2023"}}});
  FakePort port;
  bool retry = false;
  EXPECT_EQ(LeeCursos(fixture.run, port, retry), CoursesOutcome::Completed);
  EXPECT_EQ(port.dialogRetries.size(), 1u);
  EXPECT_TRUE(ReadRows(fixture.Table("CURSOST.DBF")).empty());
}

TEST(CourseLevels, BlanksAndControlCharactersCountAsMissing) {
  for (const char* missing : {"", " ", "   ", "\t", " \r\n ", "\x1f"})
    EXPECT_TRUE(IsMissingLevelValue(missing)) << '[' << missing << ']';
  for (const char* given : {"ESO", " 1 ", "\tB\n", "\xc1", "!"})
    EXPECT_FALSE(IsMissingLevelValue(given)) << '[' << given << ']';
}

TEST(CourseLevels, ListsEveryCourseLackingLevelOrCourseInTableOrder) {
  test::TempDir dir;
  WriteExchangeTable(dir.path(), "CURSOST.DBF",
                     {{{"CLAVE", "1"}, {"NIVEL", "ESO"}, {"CURSO", "1"}},
                      {{"CLAVE", "2"}, {"NIVEL", "ESO"}, {"CURSO", " "}},
                      {{"CLAVE", "3"}, {"NIVEL", ""}, {"CURSO", "3"}},
                      {{"CLAVE", "4"}, {"NIVEL", "BCT"}, {"CURSO", "2"}}});
  EXPECT_EQ(CoursesMissingLevels(dir / "CURSOST.DBF"), (std::vector<std::string>{"2", "3"}));
}

}  // namespace
}  // namespace travalen
