// The dBase table layer: the file format, the rows in memory, the cursor and the writes.
#include "DbfTable.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <ctime>
#include <exception>
#include <fstream>
#include <limits>
#include <string_view>
#include <system_error>

#include "Platform.h"
#include "Text8.h"
#include "TravalenError.h"

namespace travalen {
namespace {

namespace fs = std::filesystem;

// ---------------------------------------------------------------------------------------
// The file format. We write plain dBase III, the one every dBase, FoxPro, GIS and office
// reader opens, and read what dBase III/IV and (Visual) FoxPro write.

// The fixed part of the header, before the field descriptors.
constexpr std::size_t kHeaderPrefixSize = 32;
// Each field descriptor takes 32 bytes.
constexpr std::size_t kFieldDescriptorSize = 32;
// Ends the list of field descriptors.
constexpr char kHeaderTerminator = 0x0D;
// Follows the last record; old dBase programs stop reading there.
constexpr char kEndOfFileMarker = 0x1A;
// The first byte of every record: a blank for a live row, '*' for a deleted one.
constexpr char kLiveRowFlag = ' ';
constexpr char kDeletedRowFlag = '*';

// dBase III without memo file: the most widely understood version byte.
constexpr unsigned char kDbaseIIIVersion = 0x03;
// Version bytes of the tables we read: dBase III (0x03, 0x83 with memo), dBase IV (0x04,
// 0x8B, 0x8E, 0x43, 0x63, 0xCB), FoxBASE/FoxPro/Visual FoxPro (0x02, 0x30, 0x31, 0x32,
// 0xF5, 0xFB). Their records all have the same layout; they differ in what follows.
constexpr std::array<unsigned char, 14> kReadableVersions = {
    0x02, 0x03, 0x04, 0x30, 0x31, 0x32, 0x43, 0x63, 0x83, 0x8B, 0x8E, 0xCB, 0xF5, 0xFB};

// Header offsets.
constexpr std::size_t kDateOffset = 1;           // YY MM DD of the last update, YY from 1900
constexpr std::size_t kRecordCountOffset = 4;    // 32-bit little-endian
constexpr std::size_t kHeaderLengthOffset = 8;   // 16-bit little-endian, descriptors included
constexpr std::size_t kRecordLengthOffset = 10;  // 16-bit little-endian, deletion flag included
// Bytes 1 to 7 (date and row count) are all a post rewrites in the header.
constexpr std::size_t kDateAndCountSize = 7;
constexpr std::size_t kLanguageDriverOffset = 29;
// Language driver 0x57 is Windows ANSI (code page 1252): readers take the code page from
// it instead of guessing, and every text we store is Windows-1252.
constexpr unsigned char kLanguageDriverCp1252 = 0x57;

// Field descriptor offsets.
constexpr std::size_t kFieldNameBytes = 11;  // the name, NUL-padded
constexpr std::size_t kFieldTypeOffset = 11;
constexpr std::size_t kFieldWidthOffset = 16;
constexpr std::size_t kFieldDecimalsOffset = 17;

// dBase III limits on what we create.
// dBase means the name's 11th byte for a NUL and allows 10 characters, but the exchange
// tables have "OFERTAMATRI": a name may fill all 11 bytes, which readers take up to the
// first NUL or the 11th byte (dbfread, GDAL and our own reader do).
constexpr std::size_t kMaxFieldNameLength = kFieldNameBytes;
constexpr std::size_t kMaxFieldCount = 128;     // dBase III's most fields per table
constexpr int kMaxTextWidth = 254;              // dBase III's widest character field
constexpr std::size_t kMaxRecordLength = 4000;  // dBase III's longest record

// The physical shape of the field kinds we create.
// Integer: 'N' wide enough for every 32-bit integer with its sign ("-2147483648").
constexpr int kIntegerWidth = 11;
// Float: 'N' of 19 places, the widest numeric field dBase III allows, with 4 decimals:
// hours and minutes keep their fractions and 14 places remain before the point.
constexpr int kFloatWidth = 19;
constexpr int kFloatDecimals = 4;
// Logical: one byte, 'T' or 'F', or a blank while unset (never '?', which dBase III
// readers take for damage).
constexpr int kLogicalWidth = 1;
// Visual FoxPro's 'I' field: a 4-byte little-endian binary integer.
constexpr int kBinaryIntegerWidth = 4;

// ---------------------------------------------------------------------------------------
// Small helpers.

std::string PathText(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

// A name for messages about one row: the table's name without folder and extension
// ("SOLUC"), as the person knows the table.
std::string TableName(const fs::path& path) { return PathText(path.stem()); }

// Texts inside the tables are Windows-1252; messages are UTF-8.
std::string Quoted(const std::string& text8) { return "«" + Cp1252ToUtf8(text8) + "»"; }

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return AsciiUpper(x) == AsciiUpper(y);
         });
}

// Text fields are padded with blanks; some writers pad with NULs instead, which are never
// part of a text either.
bool IsPadding(char c) { return c == ' ' || c == '\0'; }

std::string_view WithoutTrailingPadding(std::string_view text) {
  while (!text.empty() && IsPadding(text.back())) text.remove_suffix(1);
  return text;
}

std::string_view WithoutPadding(std::string_view text) {
  text = WithoutTrailingPadding(text);
  while (!text.empty() && IsPadding(text.front())) text.remove_prefix(1);
  return text;
}

std::uint32_t ReadLe(std::string_view bytes, std::size_t offset, std::size_t size) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < size; ++i) {
    value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[offset + i])) << (8 * i);
  }
  return value;
}

void WriteLe(std::string& bytes, std::size_t offset, std::uint32_t value, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) {
    bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  }
}

// Today as the header keeps it: YY, MM, DD, the year counted from 1900 as tm_year is.
// The program runs on one thread, so the standard localtime is safe here.
std::string HeaderDate() {
  const std::time_t now = std::time(nullptr);
  const std::tm* local = std::localtime(&now);
  std::string date(3, '\0');
  if (local != nullptr) {
    date[0] = static_cast<char>(std::clamp(local->tm_year, 0, 255));
    date[1] = static_cast<char>(local->tm_mon + 1);
    date[2] = static_cast<char>(local->tm_mday);
  }
  return date;
}

// A whole number as dBase writers store it: an optional sign and digits, also followed
// by a point and zeros only ("12", "-3", "12.0000"). Anything else is not one.
std::optional<std::int32_t> ParseWholeNumber(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  const std::size_t point = text.find('.');
  std::string_view digits = text.substr(0, point);
  if (point != std::string_view::npos) {
    const std::string_view fraction = text.substr(point + 1);
    if (fraction.find_first_not_of('0') != std::string_view::npos) return std::nullopt;
  }
  if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos) {
    return std::nullopt;
  }
  std::int64_t magnitude = 0;
  const auto [end, error] =
      std::from_chars(digits.data(), digits.data() + digits.size(), magnitude);
  if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  const std::int64_t value = negative ? -magnitude : magnitude;
  if (value < std::numeric_limits<std::int32_t>::min() ||
      value > std::numeric_limits<std::int32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(value);
}

// A decimal number, read the same in every locale (strtod would follow the user's
// decimal comma).
std::optional<double> ParseNumber(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  double value = 0;
  const auto [end, error] =
      std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

std::string FormatFixed(double value, int decimals) {
  if (value == 0) value = 0;  // no "-0.0000"
  std::array<char, 400> buffer{};
  const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                          std::chars_format::fixed, decimals);
  if (error != std::errc()) return std::string(buffer.size(), '9');  // too wide for any field
  return std::string(buffer.data(), end);
}

std::string FormatShortest(double value) {
  if (value == 0) value = 0;
  std::array<char, 400> buffer{};
  const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
  if (error != std::errc()) return std::string(buffer.size(), '9');
  return std::string(buffer.data(), end);
}

// ---------------------------------------------------------------------------------------
// The default storage: the table file itself, kept open while the table writes.

class FileStorage : public TableStorage {
 public:
  FileStorage(const fs::path& file, bool create) : file_(Open(file, create)) {}

  // Every write goes to the file at once, so the order of our writes is the order on disk
  // (the record before the header's count), a full disk is reported at the write that met
  // it, and a write that failed leaves nothing behind to be written later.
  void WriteAt(std::uint64_t offset, const char* data, std::size_t size) override {
    try {
      file_.WriteAt(offset, data, size);
    } catch (const TravalenError& error) {
      throw TravalenError(std::string("la escritura ha fallado (") + error.what() + ")");
    }
  }

  void Flush() override {}

 private:
  static OffsetWriter Open(const fs::path& file, bool create) {
    try {
      return OffsetWriter(file, create);
    } catch (const TravalenError& error) {
      throw TravalenError(
          std::string(create ? "no se puede crear el archivo" : "no se puede abrir") + " (" +
          error.what() + ")");
    }
  }

  OffsetWriter file_;
};

std::unique_ptr<TableStorage> MakeStorage(const StorageFactory& factory, const fs::path& file,
                                          bool create) {
  if (!factory) return std::make_unique<FileStorage>(file, create);
  std::unique_ptr<TableStorage> storage = factory(file);
  if (!storage) throw TravalenError("no hay dónde escribir el archivo");
  return storage;
}

// Runs a write and, when it fails, names the table and says what to check.
template <typename Write>
void WriteNamingFile(const fs::path& file, const char* what, Write&& write) {
  try {
    write();
  } catch (const std::exception& error) {
    throw TravalenError(std::string(what) + " «" + PathText(file) + "»: " + error.what() +
                        ". Compruebe que se puede escribir en la carpeta, que queda espacio en "
                        "el disco y que ningún otro programa tiene abierto el archivo.");
  }
}

[[noreturn]] void Damaged(const fs::path& file, const std::string& what) {
  throw TravalenError("El archivo de tabla «" + PathText(file) + "» está dañado: " + what +
                      ". Vuelva a generarlo con el programa que lo escribió.");
}

struct Column {
  std::size_t offset = 0;  // within the record, after the deletion flag
  std::size_t width = 0;
  char type = 'C';
  int decimals = 0;
};

bool IsNumeric(const Column& column) { return column.type == 'N' || column.type == 'F'; }
bool IsBinaryInteger(const Column& column) { return column.type == 'I'; }
bool IsLogical(const Column& column) { return column.type == 'L'; }

Column ColumnFor(const FieldDef& def) {
  switch (def.kind) {
    case FieldKind::Text:
      return {0, static_cast<std::size_t>(def.width), 'C', 0};
    case FieldKind::Integer:
      // Other programs' tables may be narrower ("DIA" numeric 2 in a solution table).
      return {0, def.width > 0 ? static_cast<std::size_t>(def.width) : kIntegerWidth, 'N', 0};
    case FieldKind::Float:
      return {0, kFloatWidth, 'N', kFloatDecimals};
    case FieldKind::Logical:
      return {0, kLogicalWidth, 'L', 0};
  }
  return {};
}

FieldKind KindOf(const Column& column) {
  if (IsBinaryInteger(column)) return FieldKind::Integer;
  if (IsNumeric(column)) return column.decimals == 0 ? FieldKind::Integer : FieldKind::Float;
  if (IsLogical(column)) return FieldKind::Logical;
  // Character, date, memo and every other kind read as text.
  return FieldKind::Text;
}

bool IsValidFieldName(const std::string& name) {
  if (name.empty() || name.size() > kMaxFieldNameLength) return false;
  return std::all_of(name.begin(), name.end(), [](char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
  });
}

std::string AsciiUpperName(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), AsciiUpper);
  return text;
}

}  // namespace

// ---------------------------------------------------------------------------------------

std::optional<fs::path> FindTableFile(const fs::path& dir, const std::string& name) {
  std::string wanted = name;
  if (!fs::path(name).has_extension()) wanted += ".DBF";
  std::error_code error;
  if (fs::is_regular_file(dir / wanted, error)) return dir / wanted;
  // Where letter case counts (not on Windows), the same table may be spelled otherwise;
  // of several spellings the first in name order wins, so the choice does not depend on
  // the order the folder lists them.
  std::optional<fs::path> found;
  for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error)) {
    const fs::path candidate = it->path();
    if (!EqualsIgnoreAsciiCase(PathText(candidate.filename()), wanted)) continue;
    std::error_code ignored;
    if (!fs::is_regular_file(candidate, ignored)) continue;
    if (!found || candidate.filename() < found->filename()) found = candidate;
  }
  return found;
}

namespace {

// Deletes every spelling of `fileName` in `dir`: on Windows there is one; elsewhere a
// stale "proft.mdx" must go as surely as "PROFT.MDX" would. Failures are not examined:
// the write that follows replaces the table anyway.
void RemoveAllSpellings(const fs::path& dir, const std::string& fileName) {
  std::error_code ignored;
  fs::remove(dir / fileName, ignored);
  std::vector<fs::path> others;
  std::error_code error;
  for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error)) {
    if (EqualsIgnoreAsciiCase(PathText(it->path().filename()), fileName)) {
      others.push_back(it->path());
    }
  }
  for (const fs::path& other : others) fs::remove(other, ignored);
}

}  // namespace

void CreateTable(const fs::path& dir, const std::string& fileName,
                 const std::vector<FieldDef>& fields, const StorageFactory& storage) {
  const fs::path file = dir / fileName;
  auto refuse = [&](const std::string& what) {
    throw TravalenError("No se puede crear la tabla «" + PathText(file) + "»: " + what + ".");
  };
  if (fields.empty()) refuse("no tiene campos");
  if (fields.size() > kMaxFieldCount) refuse("tiene más de 128 campos");

  // The header: the fixed part, one descriptor per field, the terminator.
  const std::size_t headerLength = kHeaderPrefixSize + kFieldDescriptorSize * fields.size() + 1;
  std::string bytes(headerLength, '\0');
  std::size_t recordLength = 1;
  std::vector<std::string> seen;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const FieldDef& def = fields[i];
    if (!IsValidFieldName(def.name)) {
      refuse("el nombre de campo " + Quoted(def.name) +
             " no vale (de 1 a 11 letras, cifras o «_»)");
    }
    const std::string upper = AsciiUpperName(def.name);
    if (std::find(seen.begin(), seen.end(), upper) != seen.end()) {
      refuse("el campo " + Quoted(def.name) + " aparece dos veces");
    }
    seen.push_back(upper);
    if (def.kind == FieldKind::Text && (def.width < 1 || def.width > kMaxTextWidth)) {
      refuse("el campo " + Quoted(def.name) + " debe tener de 1 a 254 caracteres");
    }
    const Column column = ColumnFor(def);
    const std::size_t at = kHeaderPrefixSize + kFieldDescriptorSize * i;
    std::copy(def.name.begin(), def.name.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
    bytes[at + kFieldTypeOffset] = column.type;
    bytes[at + kFieldWidthOffset] = static_cast<char>(column.width);
    bytes[at + kFieldDecimalsOffset] = static_cast<char>(column.decimals);
    recordLength += column.width;
  }
  if (recordLength > kMaxRecordLength) refuse("sus filas ocupan más de 4000 bytes");
  bytes[0] = static_cast<char>(kDbaseIIIVersion);
  const std::string date = HeaderDate();
  std::copy(date.begin(), date.end(), bytes.begin() + kDateOffset);
  WriteLe(bytes, kRecordCountOffset, 0, 4);
  WriteLe(bytes, kHeaderLengthOffset, static_cast<std::uint32_t>(headerLength), 2);
  WriteLe(bytes, kRecordLengthOffset, static_cast<std::uint32_t>(recordLength), 2);
  bytes[kLanguageDriverOffset] = static_cast<char>(kLanguageDriverCp1252);
  bytes[headerLength - 1] = kHeaderTerminator;
  bytes += kEndOfFileMarker;

  const std::string stem = PathText(fs::path(fileName).stem());
  RemoveAllSpellings(dir, stem + ".DBF");
  RemoveAllSpellings(dir, stem + ".MDX");

  WriteNamingFile(file, "No se ha podido crear la tabla", [&] {
    std::unique_ptr<TableStorage> out = MakeStorage(storage, file, /*create=*/true);
    out->WriteAt(0, bytes.data(), bytes.size());
    out->Flush();
  });
}

// ---------------------------------------------------------------------------------------

struct DbfTable::Impl {
  fs::path path;
  StorageFactory storageFactory;
  std::unique_ptr<TableStorage> storage;  // opened at the first write

  std::vector<FieldDef> fields;
  std::vector<Column> columns;
  std::size_t headerLength = 0;
  std::size_t recordLength = 0;
  std::string records;            // every stored record, deleted ones too
  std::vector<std::size_t> live;  // the stored index of every row not deleted

  struct Filter {
    int field = 0;
    std::string value;
  };
  std::optional<Filter> filter;
  std::optional<std::vector<std::size_t>> filterRows;  // the rows the filter lets through
  std::size_t position = 0;                            // within the cursor's rows

  struct Pending {
    std::string bytes;               // the whole record, deletion flag included
    std::optional<std::size_t> row;  // the row being edited; none for an appended one
    bool modified = false;
  };
  std::optional<Pending> pending;
  // The date a post writes into the header, taken at the first post: finding out the local
  // time zone costs the system more than writing the row does.
  std::string headerDate;

  // Exceptions already in flight when the table was opened, to tell in the destructor
  // whether it runs because of a new one.
  int uncaughtAtOpen = std::uncaught_exceptions();

  std::size_t StoredCount() const { return records.size() / recordLength; }

  std::string_view Record(std::size_t row) const {
    return std::string_view(records).substr(live[row] * recordLength, recordLength);
  }

  std::size_t CursorSize() const { return filterRows ? filterRows->size() : live.size(); }
  std::size_t CursorRowAt(std::size_t at) const { return filterRows ? (*filterRows)[at] : at; }
  bool AtEnd() const { return position >= CursorSize(); }

  [[noreturn]] void Fail(const std::string& what) const {
    throw TravalenError("Tabla «" + PathText(path) + "»: " + what + ".");
  }

  int Field(const std::string& name) const {
    for (std::size_t i = 0; i < fields.size(); ++i) {
      if (EqualsIgnoreAsciiCase(fields[i].name, name)) return static_cast<int>(i);
    }
    throw TravalenError("La tabla «" + PathText(path) + "» no tiene el campo " + Quoted(name) +
                        ".");
  }

  // A field's name for messages (the names of other writers' tables may hold any byte).
  std::string Name(int field) const {
    return Cp1252ToUtf8(fields[static_cast<std::size_t>(field)].name);
  }

  void CheckRow(std::size_t row, int field) const {
    if (row >= live.size()) {
      Fail("no existe la fila " + std::to_string(row + 1) + " (tiene " +
           std::to_string(live.size()) + ")");
    }
    if (field < 0 || static_cast<std::size_t>(field) >= columns.size()) {
      Fail("no existe el campo número " + std::to_string(field + 1));
    }
  }

  std::string_view Raw(std::string_view record, int field) const {
    const Column& column = columns[static_cast<std::size_t>(field)];
    return record.substr(1 + column.offset, column.width);
  }

  // `rowNumber` counts from 1 and only serves the messages.
  [[noreturn]] void BadValue(std::size_t rowNumber, int field, const char* what,
                             std::string_view value) const {
    throw TravalenError("En la tabla " + TableName(path) + ", fila " + std::to_string(rowNumber) +
                        ", el campo " + Name(field) + " " + what + ": " +
                        Quoted(std::string(value)));
  }

  std::string TextOf(std::string_view record, int field) const {
    const Column& column = columns[static_cast<std::size_t>(field)];
    const std::string_view raw = Raw(record, field);
    if (IsBinaryInteger(column)) {
      return std::to_string(static_cast<std::int32_t>(ReadLe(raw, 0, kBinaryIntegerWidth)));
    }
    // A number's leading blanks only align it in its field; they are not part of it.
    if (IsNumeric(column)) return std::string(WithoutPadding(raw));
    return std::string(WithoutTrailingPadding(raw));
  }

  std::int32_t IntegerOf(std::string_view record, int field, std::size_t rowNumber) const {
    const Column& column = columns[static_cast<std::size_t>(field)];
    const std::string_view raw = Raw(record, field);
    if (IsBinaryInteger(column)) {
      return static_cast<std::int32_t>(ReadLe(raw, 0, kBinaryIntegerWidth));
    }
    const std::string_view text = WithoutPadding(raw);
    if (text.empty()) return 0;
    if (IsLogical(column)) BadValue(rowNumber, field, "no es un número entero", text);
    const std::optional<std::int32_t> value = ParseWholeNumber(text);
    if (!value) BadValue(rowNumber, field, "no es un número entero", text);
    return *value;
  }

  double FloatOf(std::string_view record, int field, std::size_t rowNumber) const {
    const Column& column = columns[static_cast<std::size_t>(field)];
    const std::string_view raw = Raw(record, field);
    if (IsBinaryInteger(column)) {
      return static_cast<std::int32_t>(ReadLe(raw, 0, kBinaryIntegerWidth));
    }
    const std::string_view text = WithoutPadding(raw);
    if (text.empty()) return 0;
    const std::optional<double> value = IsLogical(column) ? std::nullopt : ParseNumber(text);
    if (!value) BadValue(rowNumber, field, "no es un número", text);
    return *value;
  }

  bool LogicalOf(std::string_view record, int field) const {
    const std::string text = TextOf(record, field);
    return !text.empty() && std::string_view("TtYy").find(text.front()) != std::string_view::npos;
  }

  // The text a comparison sees: what reading the field as text gives, and the wanted
  // value without the trailing blanks that a field never keeps.
  bool Matches(std::size_t row, int field, std::string_view wanted) const {
    const Column& column = columns[static_cast<std::size_t>(field)];
    wanted = IsNumeric(column) ? WithoutPadding(wanted) : WithoutTrailingPadding(wanted);
    return TextOf(Record(row), field) == wanted;
  }

  // The record the cursor's field reads see: the pending one while a row is being
  // written (a step may read back what it has just set), else the current row, else
  // none when the cursor is past the last row.
  std::optional<std::string_view> CursorRecord(std::size_t& rowNumber) const {
    if (pending) {
      rowNumber = pending->row ? *pending->row + 1 : live.size() + 1;
      return std::string_view(pending->bytes);
    }
    if (AtEnd()) return std::nullopt;
    const std::size_t row = CursorRowAt(position);
    rowNumber = row + 1;
    return Record(row);
  }

  Pending& PendingFor(const std::string& field) {
    if (!pending) {
      Fail("no hay ninguna fila en edición para asignar el campo " + Cp1252ToUtf8(field) +
           " (falta Append o Edit)");
    }
    return *pending;
  }

  void Store(int field, std::string_view bytes) {
    const Column& column = columns[static_cast<std::size_t>(field)];
    std::copy(bytes.begin(), bytes.end(),
              pending->bytes.begin() + static_cast<std::ptrdiff_t>(1 + column.offset));
    pending->modified = true;
  }

  [[noreturn]] void TooWide(int field, const std::string& text) const {
    Fail("el valor " + Quoted(text) + " no cabe en el campo " + Name(field) + ", de " +
         std::to_string(columns[static_cast<std::size_t>(field)].width) + " caracteres");
  }

  [[noreturn]] void WrongKind(int field, const char* what) const {
    Fail("el campo " + Name(field) + " no admite " + what);
  }

  // A number goes right-aligned into its field, as dBase keeps it; one that does not fit
  // is refused rather than stored as asterisks.
  void StoreNumberText(int field, const std::string& text) {
    const std::size_t width = columns[static_cast<std::size_t>(field)].width;
    if (text.size() > width) TooWide(field, text);
    Store(field, std::string(width - text.size(), ' ') + text);
  }

  void StoreBinaryInteger(int field, std::int32_t value) {
    std::string bytes(kBinaryIntegerWidth, '\0');
    WriteLe(bytes, 0, static_cast<std::uint32_t>(value), kBinaryIntegerWidth);
    Store(field, bytes);
  }

  // A row as Append begins it: every field blank, as dBase keeps an unset field (a
  // binary integer has no blank and starts at 0).
  std::string BlankRecord() const {
    std::string bytes(recordLength, ' ');
    bytes[0] = kLiveRowFlag;
    for (const Column& column : columns) {
      if (IsBinaryInteger(column)) {
        std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(1 + column.offset),
                    kBinaryIntegerWidth, '\0');
      }
    }
    return bytes;
  }

  TableStorage& Storage() {
    if (!storage) storage = MakeStorage(storageFactory, path, /*create=*/false);
    return *storage;
  }

  // Writes the pending row so that the file is a valid table after every step: first the
  // record (and, for a new row, the end-of-file marker after it), then the header's row
  // count and date. A failure before the count is written leaves the table as it was
  // before this post. The memory is changed only once the file is.
  void Post() {
    if (!pending) return;
    const std::size_t stored = pending->row ? live[*pending->row] : StoredCount();
    const std::size_t newCount = pending->row ? StoredCount() : StoredCount() + 1;
    WriteNamingFile(path, "No se ha podido guardar una fila en la tabla", [&] {
      TableStorage& out = Storage();
      const std::uint64_t at = headerLength + static_cast<std::uint64_t>(stored) * recordLength;
      std::string bytes = pending->bytes;
      if (!pending->row) bytes += kEndOfFileMarker;
      try {
        out.WriteAt(at, bytes.data(), bytes.size());
      } catch (...) {
        // A new row goes where the end marker stood. When the disk fills up part way, the
        // marker goes back: readers that trust the row count (dBase) do not see the half
        // row, and neither do those that read up to the marker (dbfread). Putting one byte
        // back needs no new room on the disk; if even that fails, the first error counts.
        if (!pending->row) {
          try {
            out.WriteAt(at, &kEndOfFileMarker, 1);
          } catch (...) {
          }
        }
        throw;
      }
      if (headerDate.empty()) headerDate = HeaderDate();
      std::string header = headerDate;
      header.resize(kDateAndCountSize);
      WriteLe(header, kRecordCountOffset - kDateOffset, static_cast<std::uint32_t>(newCount), 4);
      out.WriteAt(kDateOffset, header.data(), header.size());
      out.Flush();
    });
    std::size_t row = 0;
    if (pending->row) {
      row = *pending->row;
      std::copy(pending->bytes.begin(), pending->bytes.end(),
                records.begin() + static_cast<std::ptrdiff_t>(stored * recordLength));
    } else {
      records += pending->bytes;
      row = live.size();
      live.push_back(stored);
    }
    pending.reset();
    // The cursor stands on the row just posted, when the filter lets it through.
    if (filter) ApplyFilter();
    position = PositionOf(row);
  }

  void ApplyFilter() {
    std::vector<std::size_t> rows;
    for (std::size_t row = 0; row < live.size(); ++row) {
      if (Matches(row, filter->field, filter->value)) rows.push_back(row);
    }
    filterRows = std::move(rows);
  }

  std::size_t PositionOf(std::size_t row) const {
    if (!filterRows) return row;
    const auto it = std::find(filterRows->begin(), filterRows->end(), row);
    return static_cast<std::size_t>(it - filterRows->begin());
  }

  // What moving the cursor, appending again or closing does to a pending row: a row with
  // values set is posted, a row left untouched is dropped, as dBase programs do.
  void Settle() {
    if (!pending) return;
    if (pending->modified) {
      Post();
    } else {
      pending.reset();
    }
  }

  // What the destructor does. A row still pending is posted as Close does, unless an
  // exception is unwinding the code that was writing it: that row was never finished and
  // must not reach the file. Errors cannot leave a destructor; whoever needs to know that
  // the last row reached the disk calls Close or Post, which throw.
  void SettleQuietly() noexcept {
    if (pending && std::uncaught_exceptions() > uncaughtAtOpen) pending.reset();
    try {
      Settle();
    } catch (...) {
    }
  }
};

DbfTable::DbfTable(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
DbfTable::DbfTable(DbfTable&&) noexcept = default;

DbfTable& DbfTable::operator=(DbfTable&& other) noexcept {
  if (this != &other) {
    if (impl_) impl_->SettleQuietly();
    impl_ = std::move(other.impl_);
  }
  return *this;
}

DbfTable::~DbfTable() {
  if (impl_) impl_->SettleQuietly();
}

DbfTable DbfTable::Open(const fs::path& file, const StorageFactory& storage) {
  std::error_code error;
  if (!fs::is_regular_file(file, error)) {
    throw TravalenError("No existe la tabla «" + PathText(file) + "».");
  }
  std::ifstream in(file, std::ios::binary);
  std::string data;
  if (in) data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (!in.is_open() || in.bad()) {
    throw TravalenError("No se puede leer la tabla «" + PathText(file) +
                        "». Compruebe que ningún otro programa la tiene abierta.");
  }

  auto impl = std::make_unique<Impl>();
  impl->path = file;
  impl->storageFactory = storage;

  if (data.size() < kHeaderPrefixSize) {
    Damaged(file, "la cabecera ocupa menos de 32 bytes (el archivo tiene " +
                      std::to_string(data.size()) + ")");
  }
  const auto version = static_cast<unsigned char>(data[0]);
  if (std::find(kReadableVersions.begin(), kReadableVersions.end(), version) ==
      kReadableVersions.end()) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    const std::string code = {'0', 'x', kHex[version >> 4], kHex[version & 0xF]};
    throw TravalenError("El archivo «" + PathText(file) +
                        "» no es una tabla dBase que Travalen sepa leer (versión " + code + ").");
  }
  const std::uint64_t count = ReadLe(data, kRecordCountOffset, 4);
  impl->headerLength = ReadLe(data, kHeaderLengthOffset, 2);
  impl->recordLength = ReadLe(data, kRecordLengthOffset, 2);
  if (impl->headerLength < kHeaderPrefixSize + kFieldDescriptorSize) {
    Damaged(file, "la cabecera dice ocupar " + std::to_string(impl->headerLength) +
                      " bytes, menos que un solo campo");
  }
  if (impl->headerLength > data.size()) {
    Damaged(file, "la cabecera dice ocupar " + std::to_string(impl->headerLength) +
                      " bytes y el archivo tiene " + std::to_string(data.size()));
  }
  if (impl->recordLength == 0) Damaged(file, "la longitud de fila es cero");

  // Field descriptors run from byte 32 to the terminator; the header length is trusted
  // for where the rows begin (Visual FoxPro puts 263 more bytes after the terminator).
  std::size_t used = 1;
  for (std::size_t at = kHeaderPrefixSize;
       at + kFieldDescriptorSize <= impl->headerLength && data[at] != kHeaderTerminator;
       at += kFieldDescriptorSize) {
    const std::string_view descriptor = std::string_view(data).substr(at, kFieldDescriptorSize);
    FieldDef def;
    def.name = std::string(descriptor.substr(0, kFieldNameBytes));
    def.name.resize(std::min(def.name.find('\0'), def.name.size()));
    Column column;
    column.type = AsciiUpper(descriptor[kFieldTypeOffset]);
    column.width = static_cast<unsigned char>(descriptor[kFieldWidthOffset]);
    column.decimals = static_cast<unsigned char>(descriptor[kFieldDecimalsOffset]);
    column.offset = used - 1;
    if (IsBinaryInteger(column) && column.width != kBinaryIntegerWidth) {
      Damaged(file, "el campo entero " + Quoted(def.name) + " no ocupa 4 bytes");
    }
    used += column.width;
    if (used > impl->recordLength) {
      Damaged(file, "los campos ocupan más que la longitud de fila (" +
                        std::to_string(impl->recordLength) + " bytes)");
    }
    def.kind = KindOf(column);
    def.width = static_cast<int>(column.width);
    impl->fields.push_back(std::move(def));
    impl->columns.push_back(column);
  }
  if (impl->fields.empty()) Damaged(file, "no tiene ningún campo");

  const std::uint64_t needed = impl->headerLength + count * impl->recordLength;
  if (data.size() < needed) {
    const std::uint64_t present = (data.size() - impl->headerLength) / impl->recordLength;
    Damaged(file, "el archivo termina antes de tiempo (truncado: se esperaban " +
                      std::to_string(count) + " filas y contiene " + std::to_string(present) + ")");
  }
  impl->records = data.substr(impl->headerLength, count * impl->recordLength);
  for (std::size_t stored = 0; stored < count; ++stored) {
    if (impl->records[stored * impl->recordLength] != kDeletedRowFlag) {
      impl->live.push_back(stored);
    }
  }
  return DbfTable(std::move(impl));
}

DbfTable DbfTable::OpenIn(const fs::path& dir, const std::string& name,
                          const StorageFactory& storage) {
  const std::optional<fs::path> file = FindTableFile(dir, name);
  if (!file) {
    throw TravalenError("No se encuentra la tabla " + Quoted(name) + " en la carpeta «" +
                        PathText(dir) + "».");
  }
  return Open(*file, storage);
}

namespace {

// The state of a table; only an object whose table was moved elsewhere has none.
template <typename State>
State& Checked(const std::unique_ptr<State>& state) {
  if (!state) throw TravalenError("La tabla ya no está abierta.");
  return *state;
}

}  // namespace

const fs::path& DbfTable::Path() const {
  Impl& t = Checked(impl_);
  return t.path;
}

const std::vector<FieldDef>& DbfTable::Fields() const {
  Impl& t = Checked(impl_);
  return t.fields;
}

bool DbfTable::HasField(const std::string& name) const {
  Impl& t = Checked(impl_);
  return std::any_of(t.fields.begin(), t.fields.end(),
                     [&](const FieldDef& def) { return EqualsIgnoreAsciiCase(def.name, name); });
}

int DbfTable::FieldIndex(const std::string& name) const {
  Impl& t = Checked(impl_);
  return t.Field(name);
}

std::size_t DbfTable::RowCount() const {
  Impl& t = Checked(impl_);
  return t.live.size();
}

std::string DbfTable::TextAt(std::size_t row, int field) const {
  Impl& t = Checked(impl_);
  t.CheckRow(row, field);
  return t.TextOf(t.Record(row), field);
}

std::int32_t DbfTable::IntegerAt(std::size_t row, int field) const {
  Impl& t = Checked(impl_);
  t.CheckRow(row, field);
  return t.IntegerOf(t.Record(row), field, row + 1);
}

double DbfTable::FloatAt(std::size_t row, int field) const {
  Impl& t = Checked(impl_);
  t.CheckRow(row, field);
  return t.FloatOf(t.Record(row), field, row + 1);
}

bool DbfTable::LogicalAt(std::size_t row, int field) const {
  Impl& t = Checked(impl_);
  t.CheckRow(row, field);
  return t.LogicalOf(t.Record(row), field);
}

std::string DbfTable::RawAt(std::size_t row, int field) const {
  Impl& t = Checked(impl_);
  t.CheckRow(row, field);
  return std::string(t.Raw(t.Record(row), field));
}

void DbfTable::First() {
  Impl& t = Checked(impl_);
  t.Settle();
  t.position = 0;
}

void DbfTable::Next() {
  Impl& t = Checked(impl_);
  t.Settle();
  if (!t.AtEnd()) ++t.position;
}

bool DbfTable::Eof() const {
  Impl& t = Checked(impl_);
  return t.AtEnd();
}

std::size_t DbfTable::CurrentRow() const {
  Impl& t = Checked(impl_);
  if (t.AtEnd()) t.Fail("no hay fila actual (se ha pasado de la última)");
  return t.CursorRowAt(t.position);
}

// Past the last row (an empty table, say) a field reads as blank: empty text, 0, false.
std::string DbfTable::Text(const std::string& field) const {
  Impl& t = Checked(impl_);
  const int index = t.Field(field);
  std::size_t rowNumber = 0;
  const auto record = t.CursorRecord(rowNumber);
  return record ? t.TextOf(*record, index) : std::string();
}

std::int32_t DbfTable::Integer(const std::string& field) const {
  Impl& t = Checked(impl_);
  const int index = t.Field(field);
  std::size_t rowNumber = 0;
  const auto record = t.CursorRecord(rowNumber);
  return record ? t.IntegerOf(*record, index, rowNumber) : 0;
}

double DbfTable::Float(const std::string& field) const {
  Impl& t = Checked(impl_);
  const int index = t.Field(field);
  std::size_t rowNumber = 0;
  const auto record = t.CursorRecord(rowNumber);
  return record ? t.FloatOf(*record, index, rowNumber) : 0.0;
}

bool DbfTable::Logical(const std::string& field) const {
  Impl& t = Checked(impl_);
  const int index = t.Field(field);
  std::size_t rowNumber = 0;
  const auto record = t.CursorRecord(rowNumber);
  return record ? t.LogicalOf(*record, index) : false;
}

bool DbfTable::Locate(const std::string& field, const std::string& value) {
  Impl& t = Checked(impl_);
  const int index = t.Field(field);
  t.Settle();
  for (std::size_t at = 0; at < t.CursorSize(); ++at) {
    if (t.Matches(t.CursorRowAt(at), index, value)) {
      t.position = at;
      return true;
    }
  }
  return false;
}

bool DbfTable::Locate(const std::string& field1, const std::string& value1,
                      const std::string& field2, const std::string& value2) {
  Impl& t = Checked(impl_);
  const int index1 = t.Field(field1);
  const int index2 = t.Field(field2);
  t.Settle();
  for (std::size_t at = 0; at < t.CursorSize(); ++at) {
    const std::size_t row = t.CursorRowAt(at);
    if (t.Matches(row, index1, value1) && t.Matches(row, index2, value2)) {
      t.position = at;
      return true;
    }
  }
  return false;
}

void DbfTable::SetFilter(const std::string& field, const std::string& value) {
  Impl& t = Checked(impl_);
  const int index = t.Field(field);
  t.Settle();
  t.filter = Impl::Filter{index, value};
  t.ApplyFilter();
  t.position = 0;
}

void DbfTable::ClearFilter() {
  Impl& t = Checked(impl_);
  t.Settle();
  // The cursor keeps its row, now among all of them.
  const std::size_t row = t.AtEnd() ? t.live.size() : t.CursorRowAt(t.position);
  t.filter.reset();
  t.filterRows.reset();
  t.position = row;
}

void DbfTable::Append() {
  Impl& t = Checked(impl_);
  t.Settle();
  t.pending = Impl::Pending{t.BlankRecord(), std::nullopt, false};
}

void DbfTable::Edit() {
  Impl& t = Checked(impl_);
  t.Settle();
  if (t.AtEnd()) t.Fail("no hay fila actual que modificar");
  const std::size_t row = t.CursorRowAt(t.position);
  t.pending = Impl::Pending{std::string(t.Record(row)), row, false};
}

bool DbfTable::Pending() const {
  Impl& t = Checked(impl_);
  return t.pending.has_value();
}

void DbfTable::SetText(const std::string& field, const std::string& value) {
  Impl& t = Checked(impl_);
  const int index = t.Field(field);
  t.PendingFor(field);
  const Column& column = t.columns[static_cast<std::size_t>(index)];
  const std::string_view stripped = WithoutPadding(value);
  if (IsNumeric(column) || IsBinaryInteger(column)) {
    // A number given as text: checked, so that the field holds a number or nothing.
    if (stripped.empty()) {
      if (IsBinaryInteger(column)) {
        t.StoreBinaryInteger(index, 0);
      } else {
        t.Store(index, std::string(column.width, ' '));
      }
      return;
    }
    // Stored as the number it is, in the field's own format.
    if (IsBinaryInteger(column) || column.decimals == 0) {
      const std::optional<std::int32_t> number = ParseWholeNumber(stripped);
      if (!number) t.Fail("el campo " + t.Name(index) + " no admite el texto " + Quoted(value));
      if (IsBinaryInteger(column)) {
        t.StoreBinaryInteger(index, *number);
      } else {
        t.StoreNumberText(index, std::to_string(*number));
      }
    } else {
      const std::optional<double> number = ParseNumber(stripped);
      if (!number) t.Fail("el campo " + t.Name(index) + " no admite el texto " + Quoted(value));
      t.StoreNumberText(index, FormatFixed(*number, column.decimals));
    }
    return;
  }
  if (IsLogical(column)) {
    if (stripped.empty()) {
      t.Store(index, " ");
    } else if (std::string_view("TtYy").find(stripped.front()) != std::string_view::npos) {
      t.Store(index, "T");
    } else if (std::string_view("FfNn").find(stripped.front()) != std::string_view::npos) {
      t.Store(index, "F");
    } else {
      t.Fail("el campo " + t.Name(index) + " no admite el texto " + Quoted(value));
    }
    return;
  }
  // A text longer than its field is cut to the field's width.
  std::string bytes = value.substr(0, column.width);
  bytes.resize(column.width, ' ');
  t.Store(index, bytes);
}

void DbfTable::SetInteger(const std::string& field, std::int32_t value) {
  Impl& t = Checked(impl_);
  const int index = t.Field(field);
  t.PendingFor(field);
  const Column& column = t.columns[static_cast<std::size_t>(index)];
  if (IsBinaryInteger(column)) {
    t.StoreBinaryInteger(index, value);
  } else if (IsNumeric(column)) {
    t.StoreNumberText(index, FormatFixed(value, column.decimals));
  } else if (IsLogical(column)) {
    t.WrongKind(index, "números");
  } else {
    const std::string text = std::to_string(value);
    if (text.size() > column.width) t.TooWide(index, text);
    t.Store(index, text + std::string(column.width - text.size(), ' '));
  }
}

void DbfTable::SetFloat(const std::string& field, double value) {
  Impl& t = Checked(impl_);
  const int index = t.Field(field);
  t.PendingFor(field);
  const Column& column = t.columns[static_cast<std::size_t>(index)];
  if (!std::isfinite(value)) t.Fail("el campo " + t.Name(index) + " no admite ese valor");
  if (IsBinaryInteger(column)) {
    if (value != std::trunc(value) || value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max()) {
      t.Fail("el campo " + t.Name(index) + " solo admite números enteros");
    }
    t.StoreBinaryInteger(index, static_cast<std::int32_t>(value));
  } else if (IsNumeric(column)) {
    t.StoreNumberText(index, FormatFixed(value, column.decimals));
  } else if (IsLogical(column)) {
    t.WrongKind(index, "números");
  } else {
    const std::string text = FormatShortest(value);
    if (text.size() > column.width) t.TooWide(index, text);
    t.Store(index, text + std::string(column.width - text.size(), ' '));
  }
}

void DbfTable::SetLogical(const std::string& field, bool value) {
  Impl& t = Checked(impl_);
  const int index = t.Field(field);
  t.PendingFor(field);
  if (!IsLogical(t.columns[static_cast<std::size_t>(index)])) {
    t.WrongKind(index, "valores lógicos");
  }
  t.Store(index, value ? "T" : "F");
}

void DbfTable::Post() {
  Impl& t = Checked(impl_);
  t.Post();
}

void DbfTable::Cancel() {
  Impl& t = Checked(impl_);
  t.pending.reset();
}

// Posts a row with values set and lets the file go; the rows stay readable, and a later
// write opens the file again.
void DbfTable::Close() {
  Impl& t = Checked(impl_);
  t.Settle();
  t.storage.reset();
}

}  // namespace travalen
