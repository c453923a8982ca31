// The school calendar step: which blocks give PERIODOS rows and where the dates come from.
#include "Calendar.h"

#include <gtest/gtest.h>

#include "ExportFixtures.h"
#include "TravalenError.h"

namespace travalen {
namespace {

using test::ReadRows;
using test::Row;
using test::SenecaBlock;
using test::StepFixture;

struct CalendarCase {
  const char* title;
  std::vector<SenecaBlock> blocks;
  std::vector<Row> expected;
};

Row Period(const char* year, const char* start, const char* end) {
  return {{"CURSOANNO", year}, {"F_INICIO", start}, {"F_FIN", end}};
}

const SenecaBlock kSchoolDays{"JORNADAS_ESCOLARES", {{"1", "L", "08/09/2023", "21/06/2024"}}};

class CalendarTest : public ::testing::TestWithParam<CalendarCase> {};

TEST_P(CalendarTest, WritesTheRowsOfTheFirstTwoBlocks) {
  SCOPED_TRACE(GetParam().title);
  StepFixture fixture(GetParam().blocks);
  LeePeriodos(fixture.run);
  EXPECT_EQ(ReadRows(fixture.Table("PERIODOS.DBF")), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CalendarTest,
    ::testing::Values(
        CalendarCase{"year block then nested records: one row, school days unread",
                     {{"ANNO_ACADEMICO", {}, {" 2023 ", "01/09/2023", "31/08/2024"}},
                      {"CURSOS_DEL_CENTRO", {{"1", "ESO"}}},
                      kSchoolDays},
                     {Period("2023", "01/09/2023", "31/08/2024")}},
        CalendarCase{"blank start: both dates from the first school-days record",
                     {{"ANNO_ACADEMICO", {}, {"2023", "   ", "31/08/2024"}},
                      {"CURSOS_DEL_CENTRO", {}},
                      kSchoolDays,
                      {"JORNADAS_ESCOLARES", {{"2", "M", "otra", "otra"}}}},
                     {Period("2023", "08/09/2023", "21/06/2024")}},
        CalendarCase{"two year blocks: two rows, the fallback looks at the second only",
                     {{"ANNO_ACADEMICO", {}, {"2023", "01/09/2023", "31/08/2024"}},
                      {"OTRO", {}, {"2024", "", ""}},
                      kSchoolDays},
                     {Period("2023", "01/09/2023", "31/08/2024"),
                      Period("2024", "08/09/2023", "21/06/2024")}},
        CalendarCase{"a school-days record with one value leaves the dates",
                     {{"ANNO_ACADEMICO", {}, {"2023", "01/09/2023"}},
                      {"CURSOS_DEL_CENTRO", {}},
                      {"JORNADAS_ESCOLARES", {{"1"}}}},
                     {Period("2023", "01/09/2023", "")}},
        CalendarCase{"no school days at all leaves the dates",
                     {{"ANNO_ACADEMICO", {}, {"2023", "", "31/08/2024"}}},
                     {Period("2023", "", "31/08/2024")}},
        CalendarCase{"a year longer than the field is cut to four characters",
                     {{"ANNO_ACADEMICO", {}, {"2023/24", "01/09/2023", "31/08/2024"}}},
                     {Period("2023", "01/09/2023", "31/08/2024")}}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST(Calendar, NoUsableFirstBlockStopsWithAClearMessageAndAnEmptyTable) {
  for (const auto& blocks : std::vector<std::vector<SenecaBlock>>{
           {},
           {{"ANNO_ACADEMICO", {}, {"2023"}}, {"CURSOS_DEL_CENTRO", {{"1", "ESO"}}}, kSchoolDays},
       }) {
    StepFixture fixture(blocks);
    try {
      LeePeriodos(fixture.run);
      ADD_FAILURE() << "expected an error";
    } catch (const TravalenError& error) {
      EXPECT_NE(std::string(error.what()).find("PERIODOS.DBF"), std::string::npos);
      EXPECT_NE(std::string(error.what()).find("prueba.xml"), std::string::npos);
    }
    EXPECT_TRUE(ReadRows(fixture.Table("PERIODOS.DBF")).empty());
  }
}

TEST(Calendar, ARunReplacesTheTableOfAnEarlierOne) {
  StepFixture fixture({{"ANNO_ACADEMICO", {}, {"2023", "01/09/2023", "31/08/2024"}}});
  LeePeriodos(fixture.run);
  LeePeriodos(fixture.run);
  EXPECT_EQ(ReadRows(fixture.Table("PERIODOS.DBF")).size(), 1u);
}

}  // namespace
}  // namespace travalen
