// Faults the system makes, also under root: a folder one may not write, a full disk.
#pragma once

#ifndef _WIN32

#include <grp.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <exception>
#include <functional>
#include <optional>
#include <string>

namespace travalen::test {

// What a job run in a child process left: its exit code and the text it handed back.
struct ChildOutcome {
  int exitCode = -1;
  std::string output;
};

// Runs `job` in a child process that cannot ignore file permissions: under root, as the
// tests run in CI, the child first becomes the user and group "nobody". The job puts what
// the test checks into the string it is given and returns the child's exit code; it must
// not use test assertions, which would be lost with the child. Gives nothing when root
// cannot give up its privileges here.
inline std::optional<ChildOutcome> RunWithoutPrivileges(
    const std::function<int(std::string&)>& job) {
  constexpr uid_t kNobody = 65534;
  // An exit code the job itself never returns: the child could not become "nobody".
  constexpr int kStillPrivileged = 125;
  constexpr int kJobThrew = 126;

  int channel[2];
  if (::pipe(channel) != 0) return std::nullopt;
  const pid_t pid = ::fork();
  if (pid < 0) return std::nullopt;
  if (pid == 0) {
    ::close(channel[0]);
    if (::geteuid() == 0 &&
        (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
      ::_exit(kStillPrivileged);
    std::string output;
    int code = kJobThrew;
    try {
      code = job(output);
    } catch (const std::exception& error) {
      output = error.what();
    }
    for (std::size_t sent = 0; sent < output.size();) {
      const ssize_t done = ::write(channel[1], output.data() + sent, output.size() - sent);
      if (done <= 0) break;
      sent += static_cast<std::size_t>(done);
    }
    // No destructor of the parent's objects (temporary folders) may run in the child.
    ::_exit(code);
  }
  ::close(channel[1]);
  ChildOutcome outcome;
  char buffer[4096];
  for (ssize_t got; (got = ::read(channel[0], buffer, sizeof buffer)) > 0;)
    outcome.output.append(buffer, static_cast<std::size_t>(got));
  ::close(channel[0]);
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return outcome;
  outcome.exitCode = WEXITSTATUS(status);
  if (outcome.exitCode == kStillPrivileged) return std::nullopt;
  return outcome;
}

// While it lives, no file of this process may grow beyond `bytes`: a write past it fails
// with EFBIG as a full disk fails with ENOSPC, and unlike file permissions the limit holds
// for root as well. The signal that would end the process is ignored meanwhile.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    savedHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    ok_ = ::getrlimit(RLIMIT_FSIZE, &saved_) == 0;
    struct rlimit limited = saved_;
    limited.rlim_cur = bytes;
    ok_ = ok_ && ::setrlimit(RLIMIT_FSIZE, &limited) == 0;
  }
  ~FileSizeLimit() {
    if (ok_) ::setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, savedHandler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;
  bool Active() const { return ok_; }

 private:
  struct rlimit saved_ {};
  void (*savedHandler_)(int) = SIG_DFL;
  bool ok_ = false;
};

}  // namespace travalen::test

#endif
