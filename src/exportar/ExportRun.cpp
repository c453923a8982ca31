// The working state of one exportar run and the small helpers its steps share.
#include "ExportRun.h"

#include "Clipper.h"
#include "Schemas.h"
#include "Text8.h"

namespace travalen {

DbfTable ExportRun::CreateTable(const std::string& fileName) const {
  CreateExchangeTable(exchangeDir, fileName);
  return DbfTable::Open(exchangeDir / fileName);
}

DbfTable ExportRun::OpenTable(const std::string& fileName) const {
  return DbfTable::OpenIn(exchangeDir, fileName);
}

void ExportRun::Note(FindingCategory category, std::string item, std::string detail) const {
  if (report != nullptr) report->Add(category, std::move(item), std::move(detail));
}

void ExportRun::NoteShortRecord(const std::string& block, std::size_t index) const {
  Note(FindingCategory::ShortRecord, block + ", registro " + std::to_string(index + 1),
       "tiene menos de dos datos y no se ha leído");
}

std::size_t TextWidth(const DbfTable& table, const std::string& field) {
  return static_cast<std::size_t>(table.Fields()[table.FieldIndex(field)].width);
}

std::string StoredText(const std::string& text, std::size_t width) {
  return StripTrailingBlanks(text.substr(0, width));
}

std::string ForMessage(const std::string& text8) { return Cp1252ToUtf8(text8); }

std::string PathForMessage(const std::filesystem::path& path) {
  const std::u8string utf8 = path.u8string();
  return std::string(utf8.begin(), utf8.end());
}

}  // namespace travalen
