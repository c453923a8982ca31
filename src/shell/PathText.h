// Paths between std::filesystem and Qt's strings, without a detour through 8-bit text.
#pragma once

#include <QString>
#include <filesystem>

namespace travalen {

inline QString ToQString(const std::filesystem::path& path) {
  return QString::fromStdU16String(path.u16string());
}

inline std::filesystem::path ToPath(const QString& text) {
  return std::filesystem::path(text.toStdU16String());
}

}  // namespace travalen
