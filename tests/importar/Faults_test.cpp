// importar when a table is damaged or the result cannot be saved: nothing half-written.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ImportFixture.h"
#include "OsFaults.h"

namespace travalen::test {
namespace {

constexpr int kEarlierResult = -1;
constexpr const char* kEarlierText = "resultado anterior";

std::string PathText(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

std::vector<std::string> FileNames(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir))
    names.push_back(PathText(entry.path().filename()));
  std::sort(names.begin(), names.end());
  return names;
}

// A run with three teachers and an entry each, so that every table has whole rows to cut.
struct FilledRun : ImportRun {
  FilledRun() {
    AppendRows(exchange, {"PROFT",
                          {"ABREV", "X_EMPLEADO", "F_TOMAPOS"},
                          {{"GLA", "2831752", "01/09/2020"},
                           {"MPS", "2831753", "01/09/2021"},
                           {"RRO", "2831754", "01/09/2022"}}});
    AppendRows(exchange,
               {"SOLUC",
                {"PROF", "DIA", "HORA", "ASIG"},
                {{"GLA", "1", "1", "MAT"}, {"MPS", "2", "3", "LCL"}, {"RRO", "3", "2", "FQ"}}});
    session.TransformResult = kEarlierResult;
  }
};

TEST(ImportFaults, ATruncatedTableStopsTheRunNamingItAndSavesNothing) {
  struct Case {
    const char* what;
    const char* table;
    std::uintmax_t (*cut)(std::uintmax_t size);  // the size the table is cut to
  } const cases[] = {
      {"PROFT cut in the middle of its second row", "PROFT.DBF",
       [](std::uintmax_t size) { return size - 162 - 162 / 2 - 1; }},
      {"SOLUC cut in the middle of its last row", "SOLUC.DBF",
       [](std::uintmax_t size) { return size - 20; }},
      {"PROFT cut inside its header", "PROFT.DBF",
       [](std::uintmax_t) -> std::uintmax_t { return 40; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FilledRun run;
    const fs::path table = run.exchange / c.table;
    fs::resize_file(table, c.cut(fs::file_size(table)));
    WriteFile(run.result, kEarlierText);
    run.Run();

    const std::string message = run.port.OnlyMessage();
    EXPECT_NE(message.find("«" + PathText(table) + "» está dañado"), std::string::npos) << message;
    ASSERT_FALSE(run.port.messages.empty());
    EXPECT_EQ(run.port.messages[0].second, MessageKind::Error);
    EXPECT_EQ(run.session.TransformResult, kEarlierResult);
    EXPECT_EQ(run.port.busy, (std::vector<bool>{true, false}));
    EXPECT_EQ(ReadFile(run.result), kEarlierText);
  }
}

#ifndef _WIN32
TEST(ImportFaults, ASaveThatFailsKeepsTheEarlierResultAndLeavesNoTemporaryFile) {
  struct Case {
    const char* what;
    bool fullDisk;     // the disk fills up while the result is written
    bool folderInWay;  // a folder holds the result's name
  } const cases[] = {
      {"a full disk", true, false},
      {"a folder with the result's name", false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FilledRun run;
    if (c.folderInWay) {
      fs::create_directory(run.result);
      WriteFile(run.result / "dentro.txt", kEarlierText);
    } else {
      WriteFile(run.result, kEarlierText);
    }
    const auto filesBefore = FileNames(run.temp.path());
    if (c.fullDisk) {
      // The disk has room for 200 bytes of a result several times that size.
      FileSizeLimit disk(200);
      ASSERT_TRUE(disk.Active());
      run.Run();
    } else {
      run.Run();
    }

    const std::string message = run.port.OnlyMessage();
    EXPECT_NE(message.find("No se ha podido guardar «" + PathText(run.result) + "»"),
              std::string::npos)
        << message;
    EXPECT_EQ(run.session.TransformResult, kEarlierResult);
    EXPECT_EQ(run.port.busy, (std::vector<bool>{true, false}));
    EXPECT_EQ(FileNames(run.temp.path()), filesBefore);
    EXPECT_EQ(ReadFile(c.folderInWay ? run.result / "dentro.txt" : run.result), kEarlierText);
  }
}

// Root writes into any folder, so the run goes to a child process that is not root.
TEST(ImportFaults, AReadOnlyFolderForTheResultIsNamedAndNothingIsWritten) {
  FilledRun run;
  WriteFile(run.result, kEarlierText);
  const auto filesBefore = FileNames(run.temp.path());
  fs::permissions(run.temp.path(), fs::perms::owner_read | fs::perms::owner_exec |
                                       fs::perms::group_read | fs::perms::group_exec |
                                       fs::perms::others_read | fs::perms::others_exec);
  const auto outcome = RunWithoutPrivileges([&](std::string& out) {
    run.Run();
    for (const auto& [text, kind] : run.port.messages) out += text + "\n";
    return run.session.TransformResult == kEarlierResult ? 0 : 1;
  });
  fs::permissions(run.temp.path(), fs::perms::owner_all, fs::perm_options::add);
  if (!outcome) GTEST_SKIP() << "root cannot become another user here";

  EXPECT_EQ(outcome->exitCode, 0) << "TransformResult keeps its earlier value";
  EXPECT_NE(outcome->output.find("No se ha podido guardar «" + PathText(run.result) + "»"),
            std::string::npos)
      << outcome->output;
  EXPECT_EQ(FileNames(run.temp.path()), filesBefore);
  EXPECT_EQ(ReadFile(run.result), kEarlierText);
}
#endif

}  // namespace
}  // namespace travalen::test
