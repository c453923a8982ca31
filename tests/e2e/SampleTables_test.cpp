// travalen-cli exportar on the sample school writes the nine tables row by row as the
// reviewed copies in sample-tables/ show them (one file per table, enumerated from disk).
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "DbfTable.h"
#include "TestSupport.h"
#include "Text8.h"

namespace travalen {
namespace {

using test::BinDir;
using test::ReadFile;
using test::SourceDir;
using test::TempDir;

// A table as text: its field names, then one line per row, fields joined by "|", in
// UTF-8 so that a reviewer reads accents as accents.
std::string Dump(const std::filesystem::path& file) {
  auto table = DbfTable::Open(file);
  std::string text;
  for (std::size_t f = 0; f < table.Fields().size(); ++f)
    text += (f ? "|" : "") + table.Fields()[f].name;
  text += '\n';
  for (std::size_t row = 0; row < table.RowCount(); ++row) {
    for (std::size_t f = 0; f < table.Fields().size(); ++f)
      text += (f ? "|" : "") + Cp1252ToUtf8(table.TextAt(row, static_cast<int>(f)));
    text += '\n';
  }
  return text;
}

TEST(SampleTables, ExportWritesTheReviewedRows) {
  TempDir dir;
  const auto exchange = dir / "VTEMP";
  const std::string command = "'" + (BinDir() / "travalen-cli").string() + "' exportar '" +
                              (SourceDir() / "data/sample/seneca-export.xml").string() +
                              "' --dir '" + exchange.string() + "' --niveles '" +
                              (SourceDir() / "data/sample/niveles.csv").string() + "' >/dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);

  std::set<std::string> written;
  for (const auto& entry : std::filesystem::directory_iterator(exchange))
    if (entry.path().extension() == ".DBF") written.insert(entry.path().stem().string());
  std::set<std::string> reviewed;
  for (const auto& entry :
       std::filesystem::directory_iterator(SourceDir() / "tests/e2e/sample-tables")) {
    const std::string table = entry.path().stem().string();
    reviewed.insert(table);
    SCOPED_TRACE(table);
    ASSERT_TRUE(std::filesystem::exists(exchange / (table + ".DBF")));
    EXPECT_EQ(Dump(exchange / (table + ".DBF")), ReadFile(entry.path()));
  }
  EXPECT_EQ(written, reviewed);
  EXPECT_EQ(reviewed.size(), 9u);
}

}  // namespace
}  // namespace travalen
