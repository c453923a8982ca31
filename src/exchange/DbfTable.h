// A dBase table file: create, open, scan, locate, filter, append, edit and post rows.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace travalen {

enum class FieldKind { Text, Integer, Float, Logical };

struct FieldDef {
  std::string name;  // up to 11 bytes (the whole name slot; see DbfTable.cpp)
  FieldKind kind = FieldKind::Text;
  // Text: the width. Integer: the width when above 0, else wide enough for any 32-bit
  // value. Float and logical have fixed widths.
  int width = 0;
};

// Where the table layer's bytes go. The default writes the file itself; tests hand in
// one that fails after N bytes to show what a full disk does.
class TableStorage {
 public:
  virtual ~TableStorage() = default;
  // Writes `size` bytes at `offset`; throws TravalenError on failure.
  virtual void WriteAt(std::uint64_t offset, const char* data, std::size_t size) = 0;
  virtual void Flush() = 0;
};
using StorageFactory =
    std::function<std::unique_ptr<TableStorage>(const std::filesystem::path& file)>;

// Finds `name` in `dir` without regard to letter case; ".DBF" is added when the name has
// no extension ("SOLUC" finds "soluc.dbf", "CursosT" finds "CURSOST.DBF").
std::optional<std::filesystem::path> FindTableFile(const std::filesystem::path& dir,
                                                   const std::string& name);

// Deletes `dir`/NAME.DBF and then `dir`/NAME.MDX when they exist (the outcome is not
// examined), then writes an empty table named exactly `fileName` ("PROFT.DBF") with
// these fields in this order. Throws TravalenError when the file cannot be written.
void CreateTable(const std::filesystem::path& dir, const std::string& fileName,
                 const std::vector<FieldDef>& fields, const StorageFactory& storage = {});

// An open table. Rows are numbered 0..RowCount()-1 over the rows that are not deleted,
// in stored order. Texts are 8-bit (Windows-1252) bytes.
//
// Reading: a text field reads without its trailing blanks (leading blanks kept); a
// numeric field read as integer gives 0 when blank; any field reads as text.
// Writing: Append() begins a blank row (every field spaces, as dBase keeps an unset
// field) and Edit() begins changing the current row; Set* change the pending row and
// Post() writes it, leaving a valid dBase file on disk. Appending while a row is pending
// posts that row first. A text longer than its field is cut to the field's width.
// Every error (a damaged or foreign file, a field the table lacks, a write that fails)
// is a TravalenError naming the file.
class DbfTable {
 public:
  // Opens a table file written by us or by another program (dBase III, IV, FoxPro).
  static DbfTable Open(const std::filesystem::path& file, const StorageFactory& storage = {});
  // Opens `name` in `dir`, found without regard to letter case (see FindTableFile).
  static DbfTable OpenIn(const std::filesystem::path& dir, const std::string& name,
                         const StorageFactory& storage = {});

  DbfTable(DbfTable&&) noexcept;
  DbfTable& operator=(DbfTable&&) noexcept;
  ~DbfTable();

  const std::filesystem::path& Path() const;
  const std::vector<FieldDef>& Fields() const;
  bool HasField(const std::string& name) const;
  // Index of a field by name (case-insensitive, as dBase names are); throws when absent.
  int FieldIndex(const std::string& name) const;

  // Row access by index, for the scans and the indexes the steps build.
  std::size_t RowCount() const;
  std::string TextAt(std::size_t row, int field) const;
  std::int32_t IntegerAt(std::size_t row, int field) const;
  double FloatAt(std::size_t row, int field) const;
  bool LogicalAt(std::size_t row, int field) const;
  // The raw stored bytes of a field, blanks and all.
  std::string RawAt(std::size_t row, int field) const;

  // Cursor over the rows in stored order (over the filtered rows when a filter is on).
  // Past the last row, fields read as empty text, 0 or false.
  void First();
  void Next();
  bool Eof() const;
  std::size_t CurrentRow() const;  // a row index usable with TextAt
  std::string Text(const std::string& field) const;
  std::int32_t Integer(const std::string& field) const;
  double Float(const std::string& field) const;
  bool Logical(const std::string& field) const;

  // Moves to the first row whose fields equal the texts exactly (trailing blanks do not
  // count, since a field keeps none); false and the cursor unchanged when none does.
  bool Locate(const std::string& field, const std::string& value);
  bool Locate(const std::string& field1, const std::string& value1, const std::string& field2,
              const std::string& value2);

  // Only the rows whose field equals `value` (trailing blanks aside) stay visible to the
  // cursor; the cursor goes to the first of them. ClearFilter shows every row again.
  void SetFilter(const std::string& field, const std::string& value);
  void ClearFilter();

  void Append();
  void Edit();  // begins changing the current row
  bool Pending() const;
  void SetText(const std::string& field, const std::string& value);
  void SetInteger(const std::string& field, std::int32_t value);
  void SetFloat(const std::string& field, double value);
  void SetLogical(const std::string& field, bool value);
  void Post();
  void Cancel();  // drops the pending row
  // Posts a pending row; the table is closed when the object goes.
  void Close();

 private:
  struct Impl;
  explicit DbfTable(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace travalen
