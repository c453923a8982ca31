// The school calendar step: academic year and school-year dates into PERIODOS.DBF.
#include "Calendar.h"

#include "Clipper.h"
#include "TravalenError.h"

namespace travalen {

namespace {
// The academic year sits in the values of the document's first blocks, whatever their
// names; the first two are read.
constexpr std::size_t kCalendarBlocks = 2;
}  // namespace

void LeePeriodos(const ExportRun& run) {
  DbfTable table = run.CreateTable("PERIODOS.DBF");
  BlockReader reader(run.document);
  const std::size_t blocks = reader.SelectAllBlocks();

  // The working texts outlive a block that gives no row: the fallback below looks at
  // the dates of the block that gave the last row.
  std::string year, start, end;
  bool rowPending = false;
  for (std::size_t block = 0; block < kCalendarBlocks; ++block) {
    // A block the document does not have reads as one without values.
    if (block >= blocks || reader.RecordValues(block) < BlockReader::kMinimumValues) continue;
    year = reader.ValueText(0);
    start = reader.ValueText(1);
    end = reader.ValueText(2);
    table.Append();  // posts the previous block's row
    table.SetText("CURSOANNO", year);
    table.SetText("F_INICIO", start);
    table.SetText("F_FIN", end);
    rowPending = true;
  }

  if (IsBlank(start) || IsBlank(end)) {
    // Exports without dates in their first blocks carry them in the school days; both
    // dates are taken from there so that they belong together.
    if (reader.SelectBlockRecords("JORNADAS_ESCOLARES") > 0 &&
        reader.RecordValues(0) >= BlockReader::kMinimumValues) {
      start = reader.ValueText(2);
      end = reader.ValueText(3);
    }
  }

  if (!rowPending)
    throw TravalenError(
        "El archivo «" + run.document.Name() +
        "» no trae el año académico: ninguno de sus dos primeros bloques tiene al menos dos "
        "valores propios, así que no se puede escribir «PERIODOS.DBF». Compruebe que es una "
        "exportación de horarios de Séneca y expórtela de nuevo.");
  table.SetText("F_INICIO", start);
  table.SetText("F_FIN", end);
  table.Post();
  table.Close();
}

}  // namespace travalen
