// The dBase table layer: writing, reading other writers' tables, damage, cursor and posts.
#include "DbfTable.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <fstream>
#include <set>

#include "Schemas.h"
#include "TestSupport.h"
#include "Text8.h"
#include "TravalenError.h"

namespace travalen {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

std::string PathText(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

std::string Cp(const char* utf8) { return Utf8ToCp1252(utf8); }

// Runs `action` and gives the message of the TravalenError it throws ("" when none).
template <typename Action>
std::string ErrorOf(Action&& action) {
  try {
    action();
  } catch (const TravalenError& error) {
    return error.what();
  }
  return "";
}

std::set<std::string> FileNames(const fs::path& dir) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) {
    names.insert(PathText(entry.path().filename()));
  }
  return names;
}

std::uint32_t Le(const std::string& bytes, std::size_t at, int size) {
  std::uint32_t value = 0;
  for (int i = 0; i < size; ++i) {
    value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
  }
  return value;
}

std::string LeBytes(std::uint32_t value, int size) {
  std::string bytes;
  for (int i = 0; i < size; ++i) bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
  return bytes;
}

// A table as another program writes it, byte by byte.
struct RawField {
  std::string name;
  char type;
  int width;
  int decimals;
};

std::string BuildTable(unsigned char version, const std::vector<RawField>& fields,
                       const std::vector<std::string>& records, std::size_t afterTerminator) {
  std::size_t recordLength = 1;
  for (const RawField& field : fields) recordLength += field.width;
  const std::size_t headerLength = 32 + 32 * fields.size() + 1 + afterTerminator;
  std::string bytes(32, '\0');
  bytes[0] = static_cast<char>(version);
  bytes[1] = 124;
  bytes[2] = 5;
  bytes[3] = 17;
  bytes.replace(4, 4, LeBytes(static_cast<std::uint32_t>(records.size()), 4));
  bytes.replace(8, 2, LeBytes(static_cast<std::uint32_t>(headerLength), 2));
  bytes.replace(10, 2, LeBytes(static_cast<std::uint32_t>(recordLength), 2));
  bytes[29] = 0x03;
  std::size_t displacement = 1;
  for (const RawField& field : fields) {
    std::string descriptor(32, '\0');
    descriptor.replace(0, field.name.size(), field.name);
    descriptor[11] = field.type;
    descriptor.replace(12, 4, LeBytes(static_cast<std::uint32_t>(displacement), 4));
    descriptor[16] = static_cast<char>(field.width);
    descriptor[17] = static_cast<char>(field.decimals);
    bytes += descriptor;
    displacement += field.width;
  }
  bytes += '\x0D';
  bytes += std::string(afterTerminator, '\0');  // Visual FoxPro's backlink
  for (const std::string& record : records) {
    EXPECT_EQ(record.size(), recordLength);
    bytes += record;
  }
  bytes += '\x1A';
  return bytes;
}

const std::vector<FieldDef> kEveryKind = {
    {"T", FieldKind::Text, 5},    {"N", FieldKind::Integer, 0},  {"F", FieldKind::Float, 0},
    {"L", FieldKind::Logical, 0}, {"UNSET", FieldKind::Text, 3},
};

TEST(DbfTable, CreatesADbaseIIITableReadersTakeForWindows1252) {
  TempDir dir;
  CreateTable(dir.path(), "KINDS.DBF", kEveryKind);
  const std::string bytes = ReadFile(dir / "KINDS.DBF");
  const std::size_t headerLength = 32 + 32 * kEveryKind.size() + 1;
  const std::size_t recordLength = 1 + 5 + 11 + 19 + 1 + 3;
  ASSERT_EQ(bytes.size(), headerLength + 1);
  EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0x03);
  EXPECT_GT(bytes[2], 0);  // month of the last update
  EXPECT_EQ(Le(bytes, 4, 4), 0u);
  EXPECT_EQ(Le(bytes, 8, 2), headerLength);
  EXPECT_EQ(Le(bytes, 10, 2), recordLength);
  EXPECT_EQ(static_cast<unsigned char>(bytes[29]), 0x57);
  EXPECT_EQ(bytes[headerLength - 1], '\x0D');
  EXPECT_EQ(bytes.back(), '\x1A');
  // Descriptors: name, type, width, decimals.
  const struct {
    const char* name;
    char type;
    int width;
    int decimals;
  } expected[] = {{"T", 'C', 5, 0},
                  {"N", 'N', 11, 0},
                  {"F", 'N', 19, 4},
                  {"L", 'L', 1, 0},
                  {"UNSET", 'C', 3, 0}};
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    const std::string descriptor = bytes.substr(32 + 32 * i, 32);
    EXPECT_EQ(std::string(descriptor.c_str()), expected[i].name);
    EXPECT_EQ(descriptor[11], expected[i].type);
    EXPECT_EQ(descriptor[16], expected[i].width);
    EXPECT_EQ(descriptor[17], expected[i].decimals);
  }
}

TEST(DbfTable, EveryKindReadsBackAsWritten) {
  TempDir dir;
  CreateTable(dir.path(), "KINDS.DBF", kEveryKind);
  {
    DbfTable table = DbfTable::Open(dir / "KINDS.DBF");
    table.Append();
    table.SetText("T", "  abcdefgh");  // leading blanks stay; cut to 5
    table.SetInteger("N", INT_MIN);
    table.SetFloat("F", -1234.5);
    table.SetLogical("L", true);
    table.Post();
    table.Append();
    table.SetText("T", Cp("ñé  "));  // trailing blanks go
    table.SetInteger("N", INT_MAX);
    table.SetFloat("F", 4.25);
    table.SetLogical("L", false);
    table.Post();
    table.Append();  // nothing set: every field blank
    table.Post();
    table.Close();
  }
  const DbfTable table = DbfTable::Open(dir / "KINDS.DBF");
  ASSERT_EQ(table.RowCount(), 3u);
  const int t = table.FieldIndex("t");  // names without regard to case
  const int n = table.FieldIndex("N");
  const int f = table.FieldIndex("F");
  const int l = table.FieldIndex("L");
  const int unset = table.FieldIndex("UNSET");

  EXPECT_EQ(table.TextAt(0, t), "  abc");
  EXPECT_EQ(table.IntegerAt(0, n), INT_MIN);
  EXPECT_EQ(table.RawAt(0, n), "-2147483648");
  EXPECT_DOUBLE_EQ(table.FloatAt(0, f), -1234.5);
  EXPECT_EQ(table.RawAt(0, f), "         -1234.5000");
  EXPECT_TRUE(table.LogicalAt(0, l));
  EXPECT_EQ(table.RawAt(0, l), "T");

  EXPECT_EQ(table.TextAt(1, t), Cp("ñé"));
  EXPECT_EQ(table.RawAt(1, t), Cp("ñé   "));
  EXPECT_EQ(table.IntegerAt(1, n), INT_MAX);
  EXPECT_EQ(table.RawAt(1, n), " 2147483647");
  EXPECT_EQ(table.TextAt(1, n), "2147483647");  // a number's alignment is not its text
  EXPECT_DOUBLE_EQ(table.FloatAt(1, f), 4.25);
  EXPECT_FALSE(table.LogicalAt(1, l));
  EXPECT_EQ(table.RawAt(1, l), "F");

  for (int field : {t, n, f, l, unset}) {
    const std::string raw = table.RawAt(2, field);
    EXPECT_EQ(raw, std::string(raw.size(), ' ')) << "field " << field;
    EXPECT_EQ(table.TextAt(2, field), "");
  }
  EXPECT_EQ(table.IntegerAt(2, n), 0);
  EXPECT_EQ(table.FloatAt(2, f), 0.0);
  EXPECT_FALSE(table.LogicalAt(2, l));
  EXPECT_EQ(table.RawAt(0, unset), "   ");

  // The whole file: header, three records, the end-of-file marker, nothing else.
  const std::string bytes = ReadFile(dir / "KINDS.DBF");
  EXPECT_EQ(Le(bytes, 4, 4), 3u);
  EXPECT_EQ(bytes.size(), 32 + 32 * 5 + 1 + 3 * (1 + 5 + 11 + 19 + 1 + 3) + 1);
  EXPECT_EQ(bytes.back(), '\x1A');
}

TEST(DbfTable, ValuesTooWideAreRefusedNotStarred) {
  TempDir dir;
  CreateTable(dir.path(), "W.DBF", {{"SHORT", FieldKind::Text, 3}, {"F", FieldKind::Float, 0}});
  DbfTable table = DbfTable::Open(dir / "W.DBF");
  table.Append();
  const std::string tooWideText = ErrorOf([&] { table.SetInteger("SHORT", 12345); });
  EXPECT_NE(tooWideText.find("12345"), std::string::npos) << tooWideText;
  EXPECT_NE(tooWideText.find("SHORT"), std::string::npos) << tooWideText;
  EXPECT_NE(ErrorOf([&] { table.SetFloat("F", 1e20); }), "");
  table.SetFloat("F", 99999999999999.0);  // 14 places before the point still fit
  table.Post();
  EXPECT_EQ(table.RawAt(0, 1), "99999999999999.0000");
  EXPECT_EQ(table.RawAt(0, 0), "   ");
}

TEST(DbfTable, CreateDeletesTheOldTableAndItsIndexAndKeepsTheNamesSpelling) {
  TempDir dir;
  // A table with rows and a stale production index from an older run.
  CreateExchangeTable(dir.path(), "PROFT.DBF");
  {
    DbfTable table = DbfTable::OpenIn(dir.path(), "PROFT");
    table.Append();
    table.SetText("ABREV", "OLD");
    table.Post();
  }
  WriteFile(dir / "PROFT.MDX", "stale index");
  WriteFile(dir / "proft.mdx", "stale index, other spelling");
  WriteFile(dir / "AULAT.MDX", "another table's index");

  CreateExchangeTable(dir.path(), "PROFT.DBF");
  EXPECT_EQ(FileNames(dir.path()), (std::set<std::string>{"AULAT.MDX", "PROFT.DBF"}));
  EXPECT_EQ(DbfTable::OpenIn(dir.path(), "proft").RowCount(), 0u);

  // Without an index to delete, creating is no different.
  CreateExchangeTable(dir.path(), "PROFT.DBF");
  EXPECT_EQ(FileNames(dir.path()), (std::set<std::string>{"AULAT.MDX", "PROFT.DBF"}));

  // A lower-case table of an older program is replaced, not kept beside ours.
  WriteFile(dir / "aulat.dbf", "old");
  CreateExchangeTable(dir.path(), "aulat.dbf");
  EXPECT_EQ(FileNames(dir.path()), (std::set<std::string>{"AULAT.DBF", "PROFT.DBF"}));
}

TEST(DbfTable, FindsTablesWithoutRegardToCase) {
  TempDir dir;
  WriteFile(dir / "soluc.dbf", "x");
  WriteFile(dir / "CURSOST.DBF", "x");
  WriteFile(dir / "SENEMATERIAS.DBF", "x");
  fs::create_directory(dir / "FOLDER.DBF");
  EXPECT_EQ(FindTableFile(dir.path(), "SOLUC"), dir / "soluc.dbf");
  EXPECT_EQ(FindTableFile(dir.path(), "CursosT"), dir / "CURSOST.DBF");
  EXPECT_EQ(FindTableFile(dir.path(), "SENEMATERIAS.DBF"), dir / "SENEMATERIAS.DBF");
  EXPECT_EQ(FindTableFile(dir.path(), "FOLDER"), std::nullopt);
  EXPECT_EQ(FindTableFile(dir.path(), "PROFT"), std::nullopt);
  EXPECT_EQ(FindTableFile(dir / "missing", "SOLUC"), std::nullopt);
  const std::string missing = ErrorOf([&] { DbfTable::OpenIn(dir.path(), "PROFT"); });
  EXPECT_NE(missing.find("PROFT"), std::string::npos) << missing;
  EXPECT_NE(missing.find(PathText(dir.path())), std::string::npos) << missing;
}

// Velmora's solution table as a FoxPro writer leaves it: 263 bytes after the
// terminator, a deleted row, numbers in 'N' fields, a binary integer, a lower-case name.
TEST(DbfTable, ReadsAFoxProTableOfAnotherProgram) {
  TempDir dir;
  const std::vector<RawField> fields = {{"PROF", 'C', 10, 0}, {"DIA", 'N', 2, 0},
                                        {"HORA", 'N', 3, 0},  {"ASIG", 'C', 6, 0},
                                        {"NUM", 'I', 4, 0},   {"PESO", 'N', 6, 2}};
  const std::vector<std::string> records = {
      std::string(" ") + "ABC       " + " 3" + "  2" + "MAT   " + LeBytes(7, 4) + "  1.50",
      std::string("*") + "DELETED   " + " 9" + "  9" + "XXX   " + LeBytes(9, 4) + "  9.00",
      std::string(" ") + Cp("ÑÚÑ") + "       " + "  " + "   " + "LEN   " +
          LeBytes(static_cast<std::uint32_t>(-5), 4) + "      ",
  };
  WriteFile(dir / "soluc.dbf", BuildTable(0x30, fields, records, 263));

  DbfTable table = DbfTable::OpenIn(dir.path(), "SOLUC");
  EXPECT_EQ(table.Path(), dir / "soluc.dbf");
  ASSERT_EQ(table.RowCount(), 2u);
  ASSERT_EQ(table.Fields().size(), fields.size());
  EXPECT_EQ(table.Fields()[1].name, "DIA");
  EXPECT_EQ(table.Fields()[1].kind, FieldKind::Integer);
  EXPECT_EQ(table.Fields()[4].kind, FieldKind::Integer);
  EXPECT_EQ(table.Fields()[5].kind, FieldKind::Float);

  table.First();
  EXPECT_EQ(table.Text("PROF"), "ABC");
  EXPECT_EQ(table.Integer("DIA"), 3);
  EXPECT_EQ(table.Text("DIA"), "3");
  EXPECT_EQ(table.Integer("HORA"), 2);
  EXPECT_EQ(table.Integer("NUM"), 7);
  EXPECT_EQ(table.Text("NUM"), "7");
  EXPECT_DOUBLE_EQ(table.Float("PESO"), 1.5);
  table.Next();  // the deleted row is not there
  EXPECT_EQ(table.Text("PROF"), Cp("ÑÚÑ"));
  EXPECT_EQ(table.Integer("DIA"), 0);  // blank reads as 0
  EXPECT_EQ(table.Text("DIA"), "");
  EXPECT_EQ(table.Integer("NUM"), -5);
  EXPECT_EQ(table.Float("PESO"), 0.0);
  table.Next();
  EXPECT_TRUE(table.Eof());
  EXPECT_FALSE(table.Locate("PROF", "DELETED"));
}

TEST(DbfTable, ReadsTheVersionsOfDbaseAndFoxPro) {
  for (unsigned char version :
       {0x03, 0x83, 0x04, 0x8B, 0x8E, 0x43, 0x63, 0xCB, 0x30, 0x31, 0x32, 0xF5, 0xFB, 0x02}) {
    SCOPED_TRACE(static_cast<int>(version));
    TempDir dir;
    const std::size_t backlink = (version >= 0x30 && version <= 0x32) ? 263 : 0;
    WriteFile(dir / "T.DBF", BuildTable(version, {{"A", 'C', 3, 0}}, {" abc"}, backlink));
    const DbfTable table = DbfTable::Open(dir / "T.DBF");
    ASSERT_EQ(table.RowCount(), 1u);
    EXPECT_EQ(table.TextAt(0, 0), "abc");
  }
}

TEST(DbfTable, DamagedTablesAreRefusedNamingTheFile) {
  const std::string good =
      BuildTable(0x03, {{"A", 'C', 3, 0}, {"B", 'N', 2, 0}}, {" abc 1", " def 2"}, 0);
  auto with = [&](std::size_t at, std::string bytes) {
    std::string damaged = good;
    damaged.replace(at, bytes.size(), bytes);
    return damaged;
  };
  const struct {
    const char* what;
    std::string bytes;
    const char* expected;
  } cases[] = {
      {"empty", "", "menos de 32 bytes"},
      {"short header", good.substr(0, 20), "menos de 32 bytes"},
      {"unknown version", with(0, "\x05"), "no es una tabla dBase"},
      {"header beyond the file", with(8, LeBytes(5000, 2)), "el archivo tiene"},
      {"header shorter than one field", with(8, LeBytes(40, 2)), "menos que un solo campo"},
      {"no record length", with(10, LeBytes(0, 2)), "longitud de fila es cero"},
      {"fields wider than a record", with(10, LeBytes(4, 2)), "más que la longitud de fila"},
      {"no fields", with(32, "\x0D"), "no tiene ningún campo"},
      {"binary integer not 4 bytes", with(32 + 11, "I"), "no ocupa 4 bytes"},
      {"truncated", good.substr(0, good.size() - 5),
       "(truncado: se esperaban 2 filas y contiene 1)"},
      {"more rows than the file", with(4, LeBytes(1000000, 4)),
       "(truncado: se esperaban 1000000 filas y contiene 2)"},
  };
  TempDir dir;
  const fs::path file = dir / "PROFT.DBF";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WriteFile(file, c.bytes);
    const std::string message = ErrorOf([&] { DbfTable::Open(file); });
    EXPECT_NE(message.find("«" + PathText(file) + "»"), std::string::npos) << message;
    EXPECT_NE(message.find(c.expected), std::string::npos) << message;
  }
  EXPECT_EQ(ErrorOf([&] { DbfTable::Open(file); }),
            "El archivo de tabla «" + PathText(file) +
                "» está dañado: el archivo termina antes de tiempo (truncado: se esperaban "
                "1000000 filas y contiene 2). Vuelva a generarlo con el programa que lo "
                "escribió.");
  EXPECT_NE(ErrorOf([&] { DbfTable::Open(dir / "NONE.DBF"); }).find("NONE.DBF"), std::string::npos);
}

// Whatever a damaged file holds, opening and reading it ends in a table or a
// TravalenError, never in a read outside the file (run under the sanitizers).
TEST(DbfTable, NoCutOrOverwrittenHeaderByteReadsOutsideTheFile) {
  const std::string good =
      BuildTable(0x30, {{"A", 'C', 3, 0}, {"N", 'N', 4, 1}, {"I", 'I', 4, 0}, {"L", 'L', 1, 0}},
                 {" abc 1.5" + LeBytes(3, 4) + "T", "*xyz  12" + LeBytes(4, 4) + "F"}, 263);
  TempDir dir;
  const fs::path file = dir / "F.DBF";
  auto readAll = [&](const std::string& bytes) {
    WriteFile(file, bytes);
    try {
      const DbfTable table = DbfTable::Open(file);
      for (std::size_t row = 0; row < table.RowCount(); ++row) {
        for (int field = 0; field < static_cast<int>(table.Fields().size()); ++field) {
          table.RawAt(row, field);
          table.TextAt(row, field);
          table.LogicalAt(row, field);
          try {
            table.IntegerAt(row, field);
            table.FloatAt(row, field);
          } catch (const TravalenError&) {
          }
        }
      }
    } catch (const TravalenError&) {
    }
  };
  for (std::size_t size = 0; size < good.size(); ++size) readAll(good.substr(0, size));
  for (std::size_t at = 0; at < 32 + 4 * 32 + 1; ++at) {
    for (char value : {'\0', '\x01', '\x0D', '\x7F', '\xFF'}) {
      std::string damaged = good;
      damaged[at] = value;
      readAll(damaged);
    }
  }
}

// SOLUC's DIA and HORA may come as text from other writers; they must still be numbers.
TEST(DbfTable, IntegersAreReadFromTextOrNumbersAndAnythingElseIsNamed) {
  TempDir dir;
  CreateTable(dir.path(), "SOLUC.DBF", {{"DIA", FieldKind::Text, 20}});
  const struct {
    const char* stored;
    std::optional<std::int32_t> expected;
  } cases[] = {
      {"12", 12},
      {"  12  ", 12},
      {"-3", -3},
      {"+4", 4},
      {"12.0000", 12},
      {"", 0},
      {"007", 7},
      {"-2147483648", INT_MIN},
      {"x", std::nullopt},
      {"12.5", std::nullopt},
      {"1 2", std::nullopt},
      {"2147483648", std::nullopt},
      {"99999999999999999999", std::nullopt},
      {".0", std::nullopt},
      {"-", std::nullopt},
      {"1e3", std::nullopt},
  };
  {
    DbfTable table = DbfTable::Open(dir / "SOLUC.DBF");
    for (const auto& c : cases) {
      table.Append();
      table.SetText("DIA", c.stored);
    }
    table.Close();
  }
  DbfTable table = DbfTable::Open(dir / "SOLUC.DBF");
  ASSERT_EQ(table.RowCount(), std::size(cases));
  table.First();
  for (std::size_t row = 0; row < std::size(cases); ++row, table.Next()) {
    SCOPED_TRACE(cases[row].stored);
    if (cases[row].expected) {
      EXPECT_EQ(table.IntegerAt(row, 0), *cases[row].expected);
      EXPECT_EQ(table.Integer("DIA"), *cases[row].expected);
    } else {
      const std::string message = ErrorOf([&] { table.Integer("DIA"); });
      EXPECT_EQ(message, "En la tabla SOLUC, fila " + std::to_string(row + 1) +
                             ", el campo DIA no es un número entero: «" +
                             std::string(cases[row].stored) + "»");
    }
  }
}

TEST(DbfTable, AFieldTheTableLacksIsNamed) {
  TempDir dir;
  CreateExchangeTable(dir.path(), "PROFT.DBF");
  DbfTable table = DbfTable::Open(dir / "PROFT.DBF");
  EXPECT_TRUE(table.HasField("x_empleado"));
  EXPECT_FALSE(table.HasField("X_EMPLEADOS"));
  for (const std::string& message : {ErrorOf([&] { table.Text("X_EMPLEADOS"); }), ErrorOf([&] {
                                       table.Locate("ABREV", "A", "X_EMPLEADOS", "B");
                                     }),
                                     ErrorOf([&] { table.SetFilter("X_EMPLEADOS", "A"); })}) {
    EXPECT_EQ(message,
              "La tabla «" + PathText(dir / "PROFT.DBF") + "» no tiene el campo «X_EMPLEADOS».");
  }
}

// Three subjects, one of them an activity; "Educación " is what cutting a longer code
// leaves.
DbfTable SubjectsTable(const TempDir& dir) {
  CreateExchangeTable(dir.path(), "ASIGNOMT.DBF");
  DbfTable table = DbfTable::OpenIn(dir.path(), "ASIGNOMT");
  const struct {
    const char* cod;
    const char* codlargo;
    const char* nombre;
  } rows[] = {{"EF", "EF1", "Educación Física"},
              {"ED", "ED1", "Educación"},
              {"ED", "ED2", "Educación"},
              {"ed", "ED3", "educación"}};
  for (const auto& row : rows) {
    table.Append();
    table.SetText("COD", row.cod);
    table.SetText("CODLARGO", row.codlargo);
    table.SetText("NOMBRE", Cp(row.nombre));
    table.Post();
  }
  return table;
}

TEST(DbfTable, LocateIgnoresTrailingBlanksOnBothSidesAndNothingElse) {
  TempDir dir;
  DbfTable table = SubjectsTable(dir);
  EXPECT_TRUE(table.Locate("NOMBRE", Cp("Educación ")));
  EXPECT_EQ(table.CurrentRow(), 1u);
  EXPECT_TRUE(table.Locate("COD", "ED", "CODLARGO", "ED2   "));
  EXPECT_EQ(table.CurrentRow(), 2u);
  // No match: false, and the cursor stays where it was.
  EXPECT_FALSE(table.Locate("NOMBRE", Cp(" Educación")));
  EXPECT_FALSE(table.Locate("NOMBRE", Cp("EDUCACIÓN")));
  EXPECT_FALSE(table.Locate("COD", "EF", "CODLARGO", "ED1"));
  EXPECT_FALSE(table.Locate("NOMBRE", Cp("Educación Físicaaaaaa")));
  EXPECT_EQ(table.CurrentRow(), 2u);
  EXPECT_TRUE(table.Locate("COD", "ed"));  // letter case counts
  EXPECT_EQ(table.CurrentRow(), 3u);
}

TEST(DbfTable, AFilterShowsTheCursorOnlyItsRows) {
  TempDir dir;
  DbfTable table = SubjectsTable(dir);
  table.SetFilter("COD", "ED  ");
  std::vector<std::string> seen;
  for (; !table.Eof(); table.Next()) seen.push_back(table.Text("CODLARGO"));
  EXPECT_EQ(seen, (std::vector<std::string>{"ED1", "ED2"}));
  EXPECT_EQ(table.RowCount(), 4u);  // rows by index are all there
  EXPECT_FALSE(table.Locate("COD", "EF"));
  EXPECT_TRUE(table.Locate("CODLARGO", "ED2"));
  EXPECT_EQ(table.CurrentRow(), 2u);

  table.SetFilter("COD", "O'Neil");  // nothing: an empty cursor reads blank
  EXPECT_TRUE(table.Eof());
  EXPECT_EQ(table.Text("COD"), "");
  EXPECT_EQ(ErrorOf([&] { table.CurrentRow(); }).empty(), false);

  table.ClearFilter();
  table.First();
  seen.clear();
  for (; !table.Eof(); table.Next()) seen.push_back(table.Text("CODLARGO"));
  EXPECT_EQ(seen, (std::vector<std::string>{"EF1", "ED1", "ED2", "ED3"}));
}

TEST(DbfTable, PendingRowsArePostedByAppendAndCloseAndReadBackBeforehand) {
  TempDir dir;
  CreateExchangeTable(dir.path(), "PERIODOS.DBF");
  {
    DbfTable table = DbfTable::OpenIn(dir.path(), "PERIODOS");
    EXPECT_NE(ErrorOf([&] { table.SetText("CURSOANNO", "2024"); }), "");  // nothing pending
    table.Append();
    table.SetText("CURSOANNO", "2024");
    EXPECT_EQ(table.Text("CURSOANNO"), "2024");  // the pending row is what reads see
    table.Append();                              // posts the first row
    table.SetText("CURSOANNO", "2025");
    table.SetText("F_INICIO", "15/09/2025");
    EXPECT_EQ(table.RowCount(), 1u);
    table.Close();  // posts the second
    EXPECT_EQ(table.RowCount(), 2u);
  }
  {
    DbfTable table = DbfTable::OpenIn(dir.path(), "PERIODOS");
    ASSERT_EQ(table.RowCount(), 2u);
    EXPECT_EQ(table.TextAt(0, 0), "2024");
    EXPECT_EQ(table.TextAt(1, 1), "15/09/2025");
    // Edit changes the current row; Cancel forgets the change.
    table.First();
    table.Edit();
    table.SetText("F_FIN", "30/06/2025");
    table.Post();
    table.Next();
    table.Edit();
    table.SetText("F_FIN", "never");
    table.Cancel();
    table.Append();  // untouched, so dropped rather than posted as an empty row
    table.Next();
    EXPECT_TRUE(table.Eof());
    EXPECT_NE(ErrorOf([&] { table.Edit(); }), "");
  }
  const DbfTable table = DbfTable::OpenIn(dir.path(), "PERIODOS");
  ASSERT_EQ(table.RowCount(), 2u);
  EXPECT_EQ(table.TextAt(0, 2), "30/06/2025");
  EXPECT_EQ(table.TextAt(1, 2), "");
}

TEST(DbfTable, TheDestructorPostsAFinishedRowButNotOneAnErrorInterrupted) {
  TempDir dir;
  CreateExchangeTable(dir.path(), "PERIODOS.DBF");
  {
    DbfTable table = DbfTable::OpenIn(dir.path(), "PERIODOS");
    table.Append();
    table.SetText("CURSOANNO", "2024");
  }
  try {
    DbfTable table = DbfTable::OpenIn(dir.path(), "PERIODOS");
    table.Append();
    table.SetText("CURSOANNO", "half");
    throw TravalenError("the step failed here");
  } catch (const TravalenError&) {
  }
  const DbfTable table = DbfTable::OpenIn(dir.path(), "PERIODOS");
  ASSERT_EQ(table.RowCount(), 1u);
  EXPECT_EQ(table.TextAt(0, 0), "2024");
}

// A storage that writes the real file but only `budget` bytes in all, like a disk that
// fills up.
class FullDisk : public TableStorage {
 public:
  FullDisk(const fs::path& file, std::size_t budget)
      : out_(file, std::ios::in | std::ios::out | std::ios::binary), budget_(budget) {}
  void WriteAt(std::uint64_t offset, const char* data, std::size_t size) override {
    const std::size_t fits = std::min(size, budget_);
    out_.seekp(static_cast<std::streamoff>(offset));
    out_.write(data, static_cast<std::streamsize>(fits));
    out_.flush();
    budget_ -= fits;
    if (fits < size) throw TravalenError("No queda espacio en el disco");
  }
  void Flush() override { out_.flush(); }

 private:
  std::fstream out_;
  std::size_t budget_;
};

TEST(DbfTable, AFullDiskStopsAtAPostAndLeavesAValidTable) {
  const std::size_t recordLength = 1 + 4 + 10 + 10;
  const std::size_t perPost = recordLength + 1 + 7;  // record, end marker, date and count
  const struct {
    const char* what;
    std::size_t budget;
  } cases[] = {
      {"in the record", 2 * perPost + 5},
      {"in the end marker", 2 * perPost + recordLength},
      {"before the header", 2 * perPost + recordLength + 1},
      {"in the header", 2 * perPost + recordLength + 1 + 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    CreateExchangeTable(dir.path(), "PERIODOS.DBF");
    const fs::path file = dir / "PERIODOS.DBF";
    const StorageFactory full = [&](const fs::path& path) {
      return std::make_unique<FullDisk>(path, c.budget);
    };
    DbfTable table = DbfTable::Open(file, full);
    std::string message;
    for (int row = 0; row < 3 && message.empty(); ++row) {
      table.Append();
      table.SetText("CURSOANNO", std::to_string(2020 + row));
      message = ErrorOf([&] { table.Post(); });
      if (row < 2) EXPECT_EQ(message, "");
    }
    EXPECT_NE(message.find("«" + PathText(file) + "»"), std::string::npos) << message;
    EXPECT_NE(message.find("No queda espacio en el disco"), std::string::npos) << message;
    EXPECT_TRUE(table.Pending());  // the row is still there to retry or cancel
    table.Cancel();

    const DbfTable reopened = DbfTable::Open(file);
    ASSERT_EQ(reopened.RowCount(), 2u);
    EXPECT_EQ(reopened.TextAt(0, 0), "2020");
    EXPECT_EQ(reopened.TextAt(1, 0), "2021");
  }
}

TEST(DbfTable, AFullDiskWhileCreatingNamesTheFile) {
  TempDir dir;
  const StorageFactory full = [](const fs::path& path) {
    WriteFile(path, "");
    return std::make_unique<FullDisk>(path, 10);
  };
  const std::string message = ErrorOf([&] { CreateExchangeTable(dir.path(), "AULAT.DBF", full); });
  EXPECT_NE(message.find("«" + PathText(dir / "AULAT.DBF") + "»"), std::string::npos) << message;
}

TEST(DbfTable, AppendsToATableOfAnotherProgramKeepingItValid) {
  TempDir dir;
  // A deleted last row and bytes after the end marker, as some writers leave.
  std::string bytes = BuildTable(0x30, {{"A", 'C', 3, 0}, {"I", 'I', 4, 0}},
                                 {" abc" + LeBytes(1, 4), "*del" + LeBytes(2, 4)}, 263);
  bytes += "garbage";
  WriteFile(dir / "T.DBF", bytes);
  {
    DbfTable table = DbfTable::Open(dir / "T.DBF");
    table.Append();
    table.SetText("A", "new");
    table.Post();
    table.Append();
    table.SetInteger("I", -9);
    table.Post();
  }
  const DbfTable table = DbfTable::Open(dir / "T.DBF");
  ASSERT_EQ(table.RowCount(), 3u);
  EXPECT_EQ(table.TextAt(1, 0), "new");
  EXPECT_EQ(table.IntegerAt(1, 1), 0);  // a new binary integer starts at 0, not blanks
  EXPECT_EQ(table.IntegerAt(2, 1), -9);
  EXPECT_EQ(table.TextAt(2, 0), "");
}

}  // namespace
}  // namespace travalen
