// The time slots step: the slots of the block repeated for seven days.
#include "TimeSlots.h"

#include <gtest/gtest.h>

#include "ExportFixtures.h"
#include "TravalenError.h"

namespace travalen {
namespace {

using test::ReadColumn;
using test::ReadRows;
using test::Row;
using test::SenecaBlock;
using test::StepFixture;

TEST(TimeSlots, EverySlotForEachOfSevenDays) {
  StepFixture fixture(
      {{"TRAMOS_HORARIOS", {{"1001", "1ª", "800", "900"}, {"1002", "2ª", "0900", "1000"}}}});
  LeeTramos(fixture.run);
  const auto rows = ReadRows(fixture.Table("DIASHORAST.DBF"));
  ASSERT_EQ(rows.size(), 14u);
  EXPECT_EQ(rows[0], (Row{{"DIHO", "11"},
                          {"CODDIHO", "1001"},
                          {"DIA", "1"},
                          {"TEXTODIA", ""},
                          {"HORA", "1ª"},
                          {"TEXTOHOR", "1ª"},
                          {"HORADESDE", "0800"},
                          {"HORAHASTA", "0900"},
                          {"MINUTOS", "100"}}));
  EXPECT_EQ(rows[1].at("DIHO"), "12");
  EXPECT_EQ(rows[1].at("MINUTOS"), "100");
  EXPECT_EQ(rows[12].at("DIHO"), "71");
  EXPECT_EQ(rows[13].at("DIHO"), "72");
  EXPECT_EQ(rows[13].at("DIA"), "7");
}

TEST(TimeSlots, TimesAndMinutes) {
  struct Case {
    std::vector<std::string> slot;
    const char* start;
    const char* end;
    const char* minutes;
  };
  const std::vector<Case> cases = {
      {{"1", "a", "830", "925"}, "0830", "0925", "95"},  // numbers, not clock times
      {{"1", "a", "55", "1290"}, "055", "1290", "1235"},
      {{"1", "a", "1000", "900"}, "1000", "0900", "-100"},
      {{"1", "a", "", ""}, "0", "0", "0"},
      {{"1"}, "0", "0", "0"},  // every record is a slot, however few values it has
      {{"1", "a", "+800", "1000"}, "+800", "1000", "200"},
  };
  for (const auto& c : cases) {
    StepFixture fixture({{"TRAMOS_HORARIOS", {c.slot}}});
    LeeTramos(fixture.run);
    const auto rows = ReadRows(fixture.Table("DIASHORAST.DBF"));
    ASSERT_EQ(rows.size(), 7u);
    EXPECT_EQ(rows[0].at("HORADESDE"), c.start);
    EXPECT_EQ(rows[0].at("HORAHASTA"), c.end);
    EXPECT_EQ(rows[0].at("MINUTOS"), c.minutes);
  }
}

TEST(TimeSlots, TwelveSlotsKeyedByDayThenSlot) {
  std::vector<std::vector<std::string>> slots(12, {"1", "h", "800", "900"});
  StepFixture fixture({{"TRAMOS_HORARIOS", slots}});
  LeeTramos(fixture.run);
  const auto keys = ReadColumn(fixture.Table("DIASHORAST.DBF"), "DIHO");
  ASSERT_EQ(keys.size(), 84u);
  EXPECT_EQ(keys[0], "11");
  EXPECT_EQ(keys[11], "112");
  EXPECT_EQ(keys[12], "21");
  EXPECT_EQ(keys[23], "212");
}

TEST(TimeSlots, AnEmptyBlockGivesAnEmptyTable) {
  StepFixture fixture({SenecaBlock{"TRAMOS_HORARIOS"}});
  LeeTramos(fixture.run);
  EXPECT_TRUE(ReadRows(fixture.Table("DIASHORAST.DBF")).empty());
}

TEST(TimeSlots, ATimeThatIsNoWholeNumberStopsAtItsSlotKeepingTheRowsBefore) {
  StepFixture fixture(
      {{"TRAMOS_HORARIOS",
        {{"1", "a", "800", "900"}, {"2", "b", "900", "1000"}, {"3", "c", "8:30", "925"}}}});
  try {
    LeeTramos(fixture.run);
    FAIL() << "expected an error";
  } catch (const TravalenError& error) {
    EXPECT_EQ(std::string(error.what()),
              "'8:30' no es un valor entero válido (tramo horario 3, «TRAMOS_HORARIOS»)");
  }
  EXPECT_EQ(ReadColumn(fixture.Table("DIASHORAST.DBF"), "DIHO"),
            (std::vector<std::string>{"11", "12"}));
}

TEST(TimeSlots, WholeNumbersAreASignAndDecimalDigitsWithin32Bits) {
  for (const auto& [text, value] :
       std::vector<std::pair<std::string, std::int32_t>>{{"0", 0},
                                                         {"0800", 800},
                                                         {"+12", 12},
                                                         {"-5", -5},
                                                         {"2147483647", 2147483647},
                                                         {"-2147483648", -2147483647 - 1}})
    EXPECT_EQ(ParseWholeNumber(text), value) << text;
  for (const char* text : {"", "+", "-", "8:30", " 800", "800 ", "2147483648", "-2147483649",
                           "0x10", "$10", "1e3", "１"})
    EXPECT_FALSE(ParseWholeNumber(text).has_value()) << text;
}

}  // namespace
}  // namespace travalen
