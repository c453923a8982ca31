// Fuzz target: any bytes as a dBase table file, opened, scanned field by field and edited.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "DbfTable.h"
#include "FuzzSupport.h"
#include "TravalenError.h"

using namespace travalen;

namespace {

// Every way a step reads a field; a value that is no number is the table's fault and
// comes back as TravalenError, anything else is ours. Once a column has refused to be read
// as a number, later rows of it are not tried that way again: the refusal is known, and a
// thrown exception per cell would cost most of a run on large tables.
void ReadEveryField(const DbfTable& table) {
  const std::size_t fields = table.Fields().size();
  std::vector<bool> integerRefused(fields), floatRefused(fields);
  for (std::size_t row = 0; row < table.RowCount(); ++row) {
    for (std::size_t f = 0; f < fields; ++f) {
      const int field = static_cast<int>(f);
      table.TextAt(row, field);
      table.RawAt(row, field);
      table.LogicalAt(row, field);
      try {
        if (!integerRefused[f]) table.IntegerAt(row, field);
      } catch (const TravalenError&) {
        integerRefused[f] = true;
      }
      try {
        if (!floatRefused[f]) table.FloatAt(row, field);
      } catch (const TravalenError&) {
        floatRefused[f] = true;
      }
    }
  }
}

// What the look-ups do with a foreign table: search by the first row's values, filter,
// then write the first row back as the dialog's grid does.
void SearchAndEdit(DbfTable& table) {
  if (table.RowCount() == 0) return;
  const std::string& name = table.Fields().front().name;
  const std::string value = table.TextAt(0, 0);
  if (!table.Locate(name, value)) fuzz::Fail("Locate misses the value the first row holds");
  table.SetFilter(name, value);
  if (table.Eof()) fuzz::Fail("a filter on the first row's value shows no row");
  table.ClearFilter();
  table.Edit();
  try {
    table.SetText(name, value);
  } catch (const TravalenError&) {
  }
  table.Post();
  table.Close();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto file = fuzz::ProcessDir() / "TABLA.DBF";
  fuzz::WriteBytes(file, data, size);
  try {
    DbfTable table = DbfTable::Open(file);
    ReadEveryField(table);
    SearchAndEdit(table);
    // What the edit left behind must still be a table.
    ReadEveryField(DbfTable::Open(file));
  } catch (const TravalenError&) {
  }
  return 0;
}
