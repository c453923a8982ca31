// The program's folder, atomic file replacement, writing at offsets and the run's date: the
// Windows and POSIX calls of the core, all here.
#include "Platform.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <random>
#include <string>
#include <system_error>

#include "TravalenError.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace travalen {
namespace {

namespace fs = std::filesystem;

std::string PathText(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

[[noreturn]] void CannotWrite(const fs::path& target, const std::string& cause) {
  throw TravalenError("No se ha podido guardar «" + PathText(target) + "»: " + cause +
                      ". Compruebe que la carpeta existe, que se puede escribir en ella y que "
                      "queda espacio en el disco.");
}

// A name beside the target that no other run picks: the target's name, a dot and random
// letters, so that an abandoned one still tells whose it was.
fs::path TemporaryBeside(const fs::path& target) {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  static std::mt19937 random{std::random_device{}()};
  std::uniform_int_distribution<std::size_t> pick(0, sizeof(kLetters) - 2);
  std::string suffix = ".";
  for (int i = 0; i < 8; ++i) suffix += kLetters[pick(random)];
  suffix += ".tmp";
  fs::path name = target.filename();
  name += suffix;
  return target.parent_path() / name;
}

// How many names to try when another file already has the temporary name.
constexpr int kTemporaryNameAttempts = 16;

#ifdef _WIN32

std::string ErrorText(DWORD code) { return std::system_category().message(static_cast<int>(code)); }

// Windows' UTF-16 to the 8-bit text the core keeps (Windows-1252).
std::string ToCp1252(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(1252, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                       0, "?", nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(1252, 0, text.data(), static_cast<int>(text.size()), out.data(), size, "?",
                      nullptr);
  return out;
}

#endif

}  // namespace

fs::path ProgramDir() {
#ifdef _WIN32
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) {
      throw TravalenError("No se encuentra la carpeta del programa: " + ErrorText(GetLastError()) +
                          ".");
    }
    if (length < buffer.size()) {
      buffer.resize(length);
      return fs::path(buffer).parent_path();
    }
    buffer.resize(buffer.size() * 2);  // the path was cut: try a larger buffer
  }
#else
  std::error_code error;
  const fs::path program = fs::read_symlink("/proc/self/exe", error);
  if (error) {
    throw TravalenError("No se encuentra la carpeta del programa: " + error.message() + ".");
  }
  return program.parent_path();
#endif
}

#ifdef _WIN32

void WriteFileAtomically(const fs::path& target, const std::string& bytes) {
  HANDLE file = INVALID_HANDLE_VALUE;
  fs::path temporary;
  for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
    temporary = TemporaryBeside(target);
    file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) break;
  }
  if (file == INVALID_HANDLE_VALUE) CannotWrite(target, ErrorText(GetLastError()));

  std::size_t written = 0;
  bool ok = true;
  while (ok && written < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - written, 1 << 20));
    DWORD done = 0;
    ok = WriteFile(file, bytes.data() + written, chunk, &done, nullptr) != 0;
    written += done;
  }
  ok = ok && FlushFileBuffers(file) != 0;
  DWORD error = ok ? 0 : GetLastError();
  CloseHandle(file);
  if (ok && !MoveFileExW(temporary.c_str(), target.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    ok = false;
    error = GetLastError();
  }
  if (!ok) {
    DeleteFileW(temporary.c_str());
    CannotWrite(target, ErrorText(error));
  }
}

OffsetWriter::OffsetWriter(const fs::path& file, bool truncate) {
  handle_ = CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        truncate ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle_ == INVALID_HANDLE_VALUE) throw TravalenError(ErrorText(GetLastError()));
}

OffsetWriter::~OffsetWriter() { CloseHandle(handle_); }

void OffsetWriter::WriteAt(std::uint64_t offset, const char* data, std::size_t size) {
  while (size > 0) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1 << 20));
    DWORD done = 0;
    if (!WriteFile(handle_, data, chunk, &done, &at))
      throw TravalenError(ErrorText(GetLastError()));
    offset += done;
    data += done;
    size -= done;
  }
}

std::string NowAsFecha() {
  // The user's short date and long time, as the regional settings give them.
  SYSTEMTIME now;
  GetLocalTime(&now);
  wchar_t date[128] = {};
  wchar_t time[128] = {};
  GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, date, 128);
  GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &now, nullptr, time, 128);
  return ToCp1252(std::wstring(date) + L" " + time);
}

#else

namespace {

// Removes the temporary file unless the rename made it the target.
class TemporaryFile {
 public:
  TemporaryFile(fs::path path, int fd) : path_(std::move(path)), fd_(fd) {}
  ~TemporaryFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!path_.empty()) ::unlink(path_.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  int fd() const { return fd_; }
  const fs::path& path() const { return path_; }
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }
  void Keep() { path_.clear(); }

 private:
  fs::path path_;
  int fd_;
};

}  // namespace

void WriteFileAtomically(const fs::path& target, const std::string& bytes) {
  auto fail = [&] { CannotWrite(target, std::generic_category().message(errno)); };

  // 0666 less the umask, as any new file; replacing a file keeps its permissions.
  mode_t mode = 0666;
  struct stat existing {};
  const bool replacing = ::stat(target.c_str(), &existing) == 0;
  if (replacing && S_ISDIR(existing.st_mode)) {
    CannotWrite(target, "hay una carpeta con ese nombre");
  }
  int fd = -1;
  fs::path temporary;
  for (int attempt = 0; attempt < kTemporaryNameAttempts && fd < 0; ++attempt) {
    temporary = TemporaryBeside(target);
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) fail();
  TemporaryFile file(temporary, fd);
  if (replacing) ::fchmod(file.fd(), existing.st_mode & 07777);

  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t done = ::write(file.fd(), bytes.data() + written, bytes.size() - written);
    if (done < 0) {
      if (errno == EINTR) continue;
      fail();
    }
    written += static_cast<std::size_t>(done);
  }
  if (::fsync(file.fd()) != 0 || !file.Close()) fail();
  if (::rename(file.path().c_str(), target.c_str()) != 0) fail();
  file.Keep();

  // The rename itself reaches the disk once the folder is synced; a folder that cannot be
  // opened for that changes nothing about the file, which is in place.
  const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
}

OffsetWriter::OffsetWriter(const fs::path& file, bool truncate) {
  fd_ = ::open(file.c_str(), O_RDWR | O_CLOEXEC | (truncate ? O_CREAT | O_TRUNC : 0), 0666);
  if (fd_ < 0) throw TravalenError(std::generic_category().message(errno));
}

OffsetWriter::~OffsetWriter() { ::close(fd_); }

void OffsetWriter::WriteAt(std::uint64_t offset, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t done = ::pwrite(fd_, data, size, static_cast<off_t>(offset));
    if (done < 0) {
      if (errno == EINTR) continue;
      throw TravalenError(std::generic_category().message(errno));
    }
    offset += static_cast<std::uint64_t>(done);
    data += done;
    size -= static_cast<std::size_t>(done);
  }
}

std::string NowAsFecha() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  char text[64] = {};
  std::strftime(text, sizeof text, "%d/%m/%Y %H:%M:%S", &local);
  return text;
}

#endif

}  // namespace travalen
