// A loaded Séneca document and the reading of its blocks, records and values.
#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

typedef struct _xmlDoc xmlDoc;
typedef struct _xmlNode xmlNode;

namespace travalen {

// Owns a libxml2 document. Loading never touches the network and never loads a DTD or
// an external entity; text nodes made only of white space are dropped, as the Windows
// XML service does by default.
class SenecaDocument {
 public:
  // Throws TravalenError naming the file, the line and the parser's message when the
  // file cannot be read or is not well-formed XML; naming the file when it is empty,
  // larger than 2 GB, or carries a DOCTYPE (entities or a DTD), which is refused unread.
  static std::unique_ptr<SenecaDocument> Load(const std::filesystem::path& file);
  // The same from bytes in memory; `name` stands for the file in messages.
  static std::unique_ptr<SenecaDocument> Parse(std::string_view bytes, const std::string& name);

  ~SenecaDocument();
  SenecaDocument(const SenecaDocument&) = delete;
  SenecaDocument& operator=(const SenecaDocument&) = delete;

  const std::string& Name() const { return name_; }
  // The document itself, for the writer of the import document, which rebuilds it.
  xmlDoc* Raw() const { return doc_; }

 private:
  SenecaDocument(xmlDoc* doc, std::string name) : doc_(doc), name_(std::move(name)) {}
  xmlDoc* doc_;
  std::string name_;
};

// The text of an element: every text node beneath it joined, comments excluded,
// converted to 8-bit text, not stripped.
std::string ElementText8(const xmlNode* node);

// The reading references of one step: the records of the block being read, the record
// being read and its values. Values are taken by position, never by name.
class BlockReader {
 public:
  explicit BlockReader(const SenecaDocument& doc) : doc_(doc) {}

  // The records ("grupo_datos" children) of every block whose "seq" equals `seq`
  // exactly, in document order; gives their number.
  std::size_t SelectBlockRecords(const std::string& seq);
  // The blocks themselves, whatever their "seq", as records (the calendar step reads
  // the "dato" children of the first two blocks).
  std::size_t SelectAllBlocks();
  // Makes record `index` current and gives the number of its "dato" children.
  std::size_t RecordValues(std::size_t index);
  // The text of value `position` of the current record, in 8-bit text, without leading
  // and trailing blanks. A position beyond the record's last value reads as empty.
  std::string ValueText(std::size_t position) const;

  // Records with fewer values than this are skipped by every step but the time slots.
  static constexpr std::size_t kMinimumValues = 2;

 private:
  const SenecaDocument& doc_;
  std::vector<xmlNode*> records_;
  std::vector<xmlNode*> values_;
};

}  // namespace travalen
