// exportar when the exchange folder cannot be made or written, or the disk fills up.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ExportFixtures.h"
#include "Exportar.h"
#include "OsFaults.h"

namespace travalen {
namespace {

namespace fs = std::filesystem;
using test::FakePort;
using test::ReadFile;
using test::ReadRows;
using test::SenecaBlock;
using test::TempDir;
using test::WriteFile;

const std::vector<std::string> kTables = {"PERIODOS.DBF",  "CURSOST.DBF", "ASIGNOMT.DBF",
                                          "ASIGNOMT2.DBF", "PROFT.DBF",   "AULAT.DBF",
                                          "GRUPOST.DBF",   "ASIGT.DBF",   "DIASHORAST.DBF"};

// A school whose staff table is by far its largest, so that a small disk fills up there.
std::vector<SenecaBlock> SchoolBlocks(int teachers = 1) {
  std::vector<SenecaBlock> blocks = {
      {"ANNO_ACADEMICO", {}, {"2023", "01/09/2023", "31/08/2024"}},
      {"CURSOS_DEL_CENTRO", {{"212306", "1º de E.S.O."}}},
      {"MATERIAS", {{"212306", "10", "Matemáticas"}}},
      {"ACTIVIDADES", {{"S", "1", "Guardia"}}},
      {"DEPENDENCIAS", {{"1001", "Aula 1"}}},
      {"JORNADAS_ESCOLARES", {{"1", "Jornada", "08/09/2023", "21/06/2024"}}},
      {"TRAMOS_HORARIOS", {{"100", "1ª", "480", "540"}}},
      {"UNIDADES", {{"10455973", "1ºESO-A", "212306"}}},
      {"EMPLEADOS", {}}};
  for (int t = 0; t < teachers; ++t)
    blocks[8].records.push_back({std::to_string(2831752 + t), "01/09/2020", "Matemáticas", "García",
                                 "López", "Profesor " + std::to_string(t + 1)});
  return blocks;
}

struct FaultRun {
  explicit FaultRun(int teachers = 1) {
    session.exchangeDir = dir / "VTEMP";
    session.subjectLookupTable = test::WriteSubjectLookup(dir / "SENEMATERIAS.DBF");
    port.file = test::WriteSeneca(dir / "seneca.xml", SchoolBlocks(teachers));
    port.dialog = [](const fs::path& courses, int) { return test::GiveEveryCourseEso1(courses); };
  }
  void Run() { BExportarClick(session, port); }
  std::map<std::string, std::string> TableBytes() const {
    std::map<std::string, std::string> bytes;
    for (const auto& name : kTables)
      if (fs::exists(session.exchangeDir / name))
        bytes[name] = ReadFile(session.exchangeDir / name);
    return bytes;
  }

  TempDir dir;
  Session session;
  FakePort port;
};

std::string PathText(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

TEST(ExportFaults, AnExchangeFolderThatCannotBeMadeIsNamed) {
  struct Case {
    const char* what;
    const char* blocker;   // a regular file, where a folder would have to be
    const char* exchange;  // the exchange folder, under the run's folder
  } const cases[] = {
      {"a file in the place of the folder", "VTEMP", "VTEMP"},
      {"a file in the place of its parent", "horarios", "horarios/VTEMP"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FaultRun run;
    WriteFile(run.dir / c.blocker, "no es una carpeta");
    run.session.exchangeDir = run.dir / c.exchange;
    run.Run();

    ASSERT_EQ(run.port.messages.size(), 1u);
    const auto& [message, kind] = run.port.messages[0];
    EXPECT_EQ(kind, MessageKind::Error);
    EXPECT_NE(message.find("carpeta de intercambio «" + PathText(run.session.exchangeDir) + "»"),
              std::string::npos)
        << message;
    EXPECT_EQ(run.session.TransformResult, 0);
    EXPECT_TRUE(run.port.BusyRestored());
    EXPECT_EQ(ReadFile(run.dir / c.blocker), "no es una carpeta");
  }
}

#ifndef _WIN32
// Root writes into any folder, so the run goes to a child process that is not root.
TEST(ExportFaults, AReadOnlyExchangeFolderStopsAtTheFirstTableAndKeepsTheEarlierOnes) {
  FaultRun run;
  run.Run();
  ASSERT_EQ(run.session.TransformResult, 1) << "an earlier run wrote the tables";
  const auto earlier = run.TableBytes();
  ASSERT_EQ(earlier.size(), kTables.size());
  for (const auto& name : kTables)
    fs::permissions(run.session.exchangeDir / name,
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  const fs::perms readOnly = fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                             fs::perms::group_exec | fs::perms::others_read |
                             fs::perms::others_exec;
  fs::permissions(run.session.exchangeDir, readOnly);

  run.session.TransformResult = 0;
  run.port.messages.clear();
  const auto outcome = test::RunWithoutPrivileges([&](std::string& out) {
    run.Run();
    for (const auto& [text, kind] : run.port.messages) out += text + "\n";
    return run.session.TransformResult;
  });
  fs::permissions(run.session.exchangeDir, fs::perms::owner_all, fs::perm_options::add);
  if (!outcome) GTEST_SKIP() << "root cannot become another user here";

  EXPECT_EQ(outcome->exitCode, 0) << "TransformResult stays 0";
  const std::string& message = outcome->output;
  EXPECT_NE(message.find("«" + PathText(run.session.exchangeDir / "PERIODOS.DBF") + "»"),
            std::string::npos)
      << message;
  EXPECT_NE(message.find("se puede escribir en la carpeta"), std::string::npos) << message;
  EXPECT_EQ(run.TableBytes(), earlier);
}

// How many rows python3-dbfread finds in a table: it reads up to the end marker and does
// not trust the header's count, so a half-written row would show there.
std::size_t DbfreadRowCount(const fs::path& table) {
  const std::string command =
      "/usr/bin/python3 -c 'import sys; from dbfread import DBF; "
      "print(len(DBF(sys.argv[1], load=True).records))' '" +
      table.string() + "'";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) return static_cast<std::size_t>(-1);
  char line[64] = {};
  if (std::fgets(line, sizeof line, pipe.get()) == nullptr) return static_cast<std::size_t>(-1);
  return static_cast<std::size_t>(std::stoul(line));
}

TEST(ExportFaults, AFullDiskStopsTheRunAtARowAndLeavesThatTableValid) {
  ASSERT_TRUE(fs::exists("/usr/bin/python3")) << "python3-dbfread is installed by scripts/setup";
  // A staff row takes 162 bytes: the earlier tables fit in 4 KB, the 40 teachers do not.
  constexpr int kTeachers = 40;
  constexpr rlim_t kDiskBytes = 4096;
  FaultRun run(kTeachers);
  {
    test::FileSizeLimit disk(kDiskBytes);
    ASSERT_TRUE(disk.Active());
    run.Run();
  }
  const fs::path staff = run.session.exchangeDir / "PROFT.DBF";
  ASSERT_EQ(run.port.messages.size(), 1u);
  const auto& [message, kind] = run.port.messages[0];
  EXPECT_EQ(kind, MessageKind::Error);
  EXPECT_NE(message.find("No se ha podido guardar una fila en la tabla «" + PathText(staff) + "»"),
            std::string::npos)
      << message;
  EXPECT_EQ(run.session.TransformResult, 0);
  EXPECT_TRUE(run.port.BusyRestored());

  // Every row that reached the table is whole, and both kinds of reader agree on them.
  const auto rows = ReadRows(staff);
  ASSERT_GT(rows.size(), 0u);
  ASSERT_LT(rows.size(), static_cast<std::size_t>(kTeachers));
  for (std::size_t r = 0; r < rows.size(); ++r)
    EXPECT_EQ(rows[r].at("X_EMPLEADO"), std::to_string(2831752 + r));
  EXPECT_EQ(DbfreadRowCount(staff), rows.size());
  // The tables before it are complete; the ones after it were not begun.
  EXPECT_EQ(ReadRows(run.session.exchangeDir / "CURSOST.DBF").size(), 1u);
  for (const char* later : {"AULAT.DBF", "GRUPOST.DBF", "ASIGT.DBF", "DIASHORAST.DBF"})
    EXPECT_FALSE(fs::exists(run.session.exchangeDir / later)) << later;
}
#endif

}  // namespace
}  // namespace travalen
