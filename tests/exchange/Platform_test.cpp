// The program's folder, atomic replacement of a file and the run's date.
#include "Platform.h"

#include <gtest/gtest.h>

#include <regex>

#include "TestSupport.h"
#include "TravalenError.h"

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#endif

namespace travalen {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

std::string PathText(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

std::vector<std::string> FileNames(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) {
    names.push_back(PathText(entry.path().filename()));
  }
  std::sort(names.begin(), names.end());
  return names;
}

template <typename Action>
std::string ErrorOf(Action&& action) {
  try {
    action();
  } catch (const TravalenError& error) {
    return error.what();
  }
  return "";
}

TEST(Platform, ProgramDirIsTheFolderOfTheRunningExecutable) {
  EXPECT_EQ(fs::canonical(ProgramDir()), fs::canonical(test::BinDir()));
}

TEST(Platform, NowAsFechaIsDayMonthYearAndTime) {
  EXPECT_TRUE(std::regex_match(NowAsFecha(), std::regex(R"(\d\d/\d\d/\d{4} \d\d:\d\d:\d\d)")))
      << NowAsFecha();
}

TEST(Platform, WriteFileAtomicallyReplacesTheFileAndKeepsItsPermissions) {
  TempDir dir;
  const fs::path target = dir / "ResultadoVelmora.xml";
  WriteFileAtomically(target, "first");
  EXPECT_EQ(ReadFile(target), "first");
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  WriteFileAtomically(target, std::string(100000, 'x'));
  EXPECT_EQ(ReadFile(target), std::string(100000, 'x'));
  EXPECT_EQ(fs::status(target).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(FileNames(dir.path()), std::vector<std::string>{"ResultadoVelmora.xml"});
}

TEST(Platform, WriteFileAtomicallyFailsNamingTheTargetAndLeavesNothingBehind) {
  TempDir dir;
  // A folder that does not exist.
  const fs::path missing = dir / "missing" / "out.xml";
  std::string message = ErrorOf([&] { WriteFileAtomically(missing, "new"); });
  EXPECT_NE(message.find("«" + PathText(missing) + "»"), std::string::npos) << message;
  EXPECT_TRUE(FileNames(dir.path()).empty());

  // A folder in the target's place.
  const fs::path folder = dir / "out.xml";
  fs::create_directory(folder);
  WriteFile(folder / "inside", "kept");
  message = ErrorOf([&] { WriteFileAtomically(folder, "new"); });
  EXPECT_NE(message.find("«" + PathText(folder) + "»"), std::string::npos) << message;
  EXPECT_EQ(FileNames(dir.path()), std::vector<std::string>{"out.xml"});
  EXPECT_EQ(ReadFile(folder / "inside"), "kept");
}

#ifndef _WIN32
// A write that fails half way (here the file size limit, which holds for root as well):
// the old file stays as it was and no temporary file remains.
TEST(Platform, WriteFileAtomicallyKeepsTheOldFileWhenTheWriteFails) {
  TempDir dir;
  const fs::path target = dir / "out.xml";
  WriteFile(target, "old");
  struct rlimit saved {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto savedHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 1000;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const std::string message = ErrorOf([&] { WriteFileAtomically(target, std::string(5000, 'n')); });
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, savedHandler);

  EXPECT_NE(message.find("«" + PathText(target) + "»"), std::string::npos) << message;
  EXPECT_EQ(ReadFile(target), "old");
  EXPECT_EQ(FileNames(dir.path()), std::vector<std::string>{"out.xml"});
}
#endif

}  // namespace
}  // namespace travalen
