// The few things that differ between Windows and elsewhere, kept in one place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace travalen {

// The folder of the running executable (where SENEMATERIAS.DBF and the help live).
std::filesystem::path ProgramDir();

// Replaces `target` with `bytes` atomically: a temporary file in the same folder, flushed,
// then renamed over the target. A failure leaves the target as it was and no temporary.
// Throws TravalenError naming the target.
void WriteFileAtomically(const std::filesystem::path& target, const std::string& bytes);

// A file written at given offsets: one system call per write and no shared position to
// move first, which halves the calls a table makes for every row it posts. Each write
// reaches the file before WriteAt returns, so the order of the writes is the order on disk,
// and a write that fails leaves nothing behind to be written later.
class OffsetWriter {
 public:
  // Opens `file` for writing, emptied when `truncate`. Throws TravalenError with the
  // system's reason (not naming the file: the caller does).
  OffsetWriter(const std::filesystem::path& file, bool truncate);
  ~OffsetWriter();
  OffsetWriter(const OffsetWriter&) = delete;
  OffsetWriter& operator=(const OffsetWriter&) = delete;

  // Writes all `size` bytes at `offset`; throws TravalenError with the system's reason.
  void WriteAt(std::uint64_t offset, const char* data, std::size_t size);

 private:
#ifdef _WIN32
  void* handle_;
#else
  int fd_;
#endif
};

// The moment of a run as the import document's "fecha": the user's short date and long
// time on Windows, dd/mm/yyyy HH:MM:SS elsewhere.
std::string NowAsFecha();

}  // namespace travalen
