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
