// The time slots step: TRAMOS_HORARIOS, repeated for the seven days, into DIASHORAST.DBF.
#include "TimeSlots.h"

#include <limits>

#include "TravalenError.h"

namespace travalen {

namespace {
constexpr int kDaysPerWeek = 7;
constexpr std::size_t kTimeWidth = 4;
constexpr const char* kSlotsBlock = "TRAMOS_HORARIOS";

std::int32_t WholeNumberOf(const std::string& text, std::size_t slot) {
  if (auto value = ParseWholeNumber(text)) return *value;
  throw TravalenError("'" + ForMessage(text) + "' no es un valor entero válido (tramo horario " +
                      std::to_string(slot) + ", «" + kSlotsBlock + "»)");
}
}  // namespace

std::optional<std::int32_t> ParseWholeNumber(const std::string& text) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return std::nullopt;
  // Accumulated as a negative number, which reaches the most negative 32-bit value.
  std::int64_t value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 - (text[i] - '0');
    if (value < std::numeric_limits<std::int32_t>::min()) return std::nullopt;
  }
  if (!negative) {
    value = -value;
    if (value > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
  }
  return static_cast<std::int32_t>(value);
}

std::string PaddedTime(const std::string& time) {
  return time.size() < kTimeWidth ? "0" + time : time;
}

void LeeTramos(const ExportRun& run) {
  DbfTable table = run.CreateTable("DIASHORAST.DBF");
  BlockReader reader(run.document);
  for (int day = 1; day <= kDaysPerWeek; ++day) {
    const std::string dayText = std::to_string(day);
    const std::size_t records = reader.SelectBlockRecords(kSlotsBlock);
    for (std::size_t i = 0; i < records; ++i) {
      const std::size_t slot = i + 1;
      // Every record is a slot, whatever it holds: the slot numbers must follow the
      // document, since the timetable program counts the periods of a day that way.
      reader.RecordValues(i);
      const std::string code = reader.ValueText(0);
      const std::string label = reader.ValueText(1);
      const std::string start = PaddedTime(reader.ValueText(2));
      const std::string end = PaddedTime(reader.ValueText(3));
      // Computed before the row is begun, so a bad time leaves no half-written row. The
      // difference of the two numbers, not of clock times, is what the program expects.
      const std::int64_t startValue = WholeNumberOf(start, slot);
      const std::int64_t endValue = WholeNumberOf(end, slot);
      const std::int64_t minutes = endValue - startValue;
      table.Append();
      table.SetText("DIHO", dayText + std::to_string(slot));
      table.SetText("DIA", dayText);
      table.SetText("HORA", label);
      table.SetText("TEXTOHOR", label);
      table.SetText("CODDIHO", code);
      table.SetText("HORADESDE", start);
      table.SetText("HORAHASTA", end);
      table.SetText("MINUTOS", std::to_string(minutes));
      table.Post();
    }
  }
  table.Close();
}

}  // namespace travalen
