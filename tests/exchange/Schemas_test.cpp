// The nine exchange tables as an independent reader (python3-dbfread) sees them.
#include "Schemas.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "TestSupport.h"
#include "Text8.h"
#include "TravalenError.h"

namespace travalen {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

// The system's python, where python3-dbfread is installed (not a python found on PATH).
constexpr const char* kPython = "/usr/bin/python3";

std::string PathText(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

// What tests/exchange/dbfread_check.py prints for `table`.
std::string ReadWithDbfread(const fs::path& table) {
  const fs::path script = test::SourceDir() / "tests" / "exchange" / "dbfread_check.py";
  const std::string command =
      std::string(kPython) + " '" + PathText(script) + "' '" + PathText(table) + "' 2>&1";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) return "cannot run " + command;
  std::string out;
  char buffer[4096];
  for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe.get())) > 0;) {
    out.append(buffer, n);
  }
  return out;
}

// JSON as Python's json.dumps writes it (", " and ": " separators, UTF-8 text).
std::string JsonText(const std::string& utf8) {
  std::string out = "\"";
  for (char c : utf8) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

std::string Join(const std::vector<std::string>& parts) {
  std::string out;
  for (const std::string& part : parts) out += (out.empty() ? "" : ", ") + part;
  return out;
}

// A distinctive value per field: accented letters and the euro sign, which only
// Windows-1252 puts at 0x80, cut to the field's width.
std::string TextFor(const FieldDef& field) {
  std::string value = Utf8ToCp1252("€ñ" + field.name + " Educación");
  value.resize(std::min<std::size_t>(value.size(), static_cast<std::size_t>(field.width)));
  while (!value.empty() && value.back() == ' ') value.pop_back();
  return value;
}

TEST(Schemas, NineTablesInTheOrderTheExportWritesThem) {
  std::vector<std::string> names;
  for (const TableSchema& schema : ExchangeSchemas()) names.push_back(schema.fileName);
  EXPECT_EQ(names, (std::vector<std::string>{"PERIODOS.DBF", "CURSOST.DBF", "ASIGNOMT.DBF",
                                             "ASIGNOMT2.DBF", "PROFT.DBF", "AULAT.DBF",
                                             "GRUPOST.DBF", "ASIGT.DBF", "DIASHORAST.DBF"}));
  EXPECT_EQ(ExchangeSchema("cursost.dbf").fileName, "CURSOST.DBF");
  EXPECT_THROW(ExchangeSchema("SOLUC.DBF"), TravalenError);
}

// Every exchange table, with one row of values and one row left blank, reads back the
// same through dbfread, which takes the code page from the table itself.
TEST(Schemas, EveryTableReadsBackTheSameThroughDbfread) {
  ASSERT_TRUE(fs::exists(kPython)) << "python3-dbfread is installed by scripts/setup";
  TempDir dir;
  for (const TableSchema& schema : ExchangeSchemas()) {
    SCOPED_TRACE(schema.fileName);
    CreateExchangeTable(dir.path(), schema.fileName);
    std::vector<std::string> fields, values, blanks;
    {
      DbfTable table = DbfTable::OpenIn(dir.path(), schema.fileName);
      table.Append();
      for (const FieldDef& field : schema.fields) {
        std::string type, value, blank = "null";
        int width = 0, decimals = 0;
        switch (field.kind) {
          case FieldKind::Text:
            table.SetText(field.name, TextFor(field));
            type = "C";
            width = field.width;
            value = JsonText(Cp1252ToUtf8(TextFor(field)));
            blank = "\"\"";
            break;
          case FieldKind::Integer:
            table.SetInteger(field.name, -2147483647);
            type = "N";
            width = 11;
            value = "-2147483647";
            break;
          case FieldKind::Float:
            table.SetFloat(field.name, 4.25);
            type = "N";
            width = 19;
            decimals = 4;
            value = "4.25";
            break;
          case FieldKind::Logical:
            table.SetLogical(field.name, true);
            type = "L";
            width = 1;
            value = "true";
            break;
        }
        fields.push_back("[" +
                         Join({JsonText(field.name), JsonText(type), std::to_string(width),
                               std::to_string(decimals)}) +
                         "]");
        values.push_back(JsonText(field.name) + ": " + value);
        blanks.push_back(JsonText(field.name) + ": " + blank);
      }
      table.Post();
      table.Append();
      table.Post();
    }
    const std::string expected = "{\"encoding\": \"cp1252\", \"fields\": [" + Join(fields) +
                                 "], \"records\": [{" + Join(values) + "}, {" + Join(blanks) +
                                 "}]}";
    EXPECT_EQ(ReadWithDbfread(dir / schema.fileName), expected);
  }
}

}  // namespace
}  // namespace travalen
