// Reading and updating one key of a Windows-style INI file, leaving every other byte alone.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace travalen {

// Sets `key` of `[section]` to `value` in decimal, as an ordinary INI update does: the
// file and the section are created when missing, an existing value of the key is
// replaced on its own line, and every other line stays byte for byte, its line ends
// (CRLF or LF) included. Section and key names compare without regard to the case of
// ASCII letters, as Windows compares them; the first section and the first key of that
// name count. The file is replaced atomically; throws TravalenError when it cannot be.
void WriteIniInteger(const std::filesystem::path& file, const std::string& section,
                     const std::string& key, int value);

// The value of `key` in `[section]` with blanks around it removed; nothing when the file,
// the section or the key is missing. Names compare as WriteIniInteger compares them.
std::optional<std::string> ReadIniValue(const std::filesystem::path& file,
                                        const std::string& section, const std::string& key);

}  // namespace travalen
