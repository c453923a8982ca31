// The exportar job from the file dialog to the ninth table, through a scripted port.
#include "Exportar.h"

#include <gtest/gtest.h>

#include <chrono>
#include <iostream>

#include "ExportFixtures.h"

namespace travalen {
namespace {

using test::FakePort;
using test::ReadColumn;
using test::ReadRows;
using test::Row;
using test::SenecaBlock;
using test::TempDir;
using test::WriteSeneca;
using test::WriteSubjectLookup;

const std::vector<std::string> kTables = {"PERIODOS.DBF",  "CURSOST.DBF", "ASIGNOMT.DBF",
                                          "ASIGNOMT2.DBF", "PROFT.DBF",   "AULAT.DBF",
                                          "GRUPOST.DBF",   "ASIGT.DBF",   "DIASHORAST.DBF"};

const std::vector<std::string> kSteps = {
    "Leyendo periodos",    "Leyendo cursos",       "Leyendo materias",
    "Leyendo actividades", "Leyendo empleados",    "Leyendo dependencias",
    "Leyendo unidades",    "Leyendo asignaciones", "Leyendo tramos horarios"};

std::vector<SenecaBlock> SchoolBlocks() {
  return {{"ANNO_ACADEMICO", {}, {"2023", "01/09/2023", "31/08/2024"}},
          {"CURSOS_DEL_CENTRO", {{"212306", "1º de E.S.O."}, {"212307", "1º de Bachillerato"}}},
          {"MATERIAS",
           {{"212306", "10", "Matemáticas"},
            {"212307", "10", "Matemáticas"},
            {"212306", "11", "Lengua Castellana y Literatura"}}},
          {"ACTIVIDADES", {{"S", "1", "Guardia"}}},
          {"DEPENDENCIAS", {{"1001", "Aula 1"}}},
          {"JORNADAS_ESCOLARES", {{"1", "L", "08/09/2023", "21/06/2024"}}},
          {"TRAMOS_HORARIOS", {{"100", "1ª", "480", "540"}}},
          {"UNIDADES", {{"u1", "1ºA", "212306"}, {"u2", "1ºB", "212306"}, {"u3", "1ºB", "212307"}}},
          {"EMPLEADOS", {{"500", "01/09/2020", "Matemáticas", "García", "López", "Ana"}}}};
}

// Gives every course of the table NIVEL "L" + its code's last three characters, CURSO 1.
CourseDialogResult GiveEveryCourseALevel(const std::filesystem::path& coursesTable, int) {
  DbfTable table = DbfTable::Open(coursesTable);
  for (table.First(); !table.Eof(); table.Next()) {
    const std::string code = table.Text("CLAVE");
    table.Edit();
    table.SetText("NIVEL", "L" + code.substr(code.size() > 3 ? code.size() - 3 : 0));
    table.SetText("CURSO", "1");
    table.Post();
  }
  table.Close();
  return {};
}

// A session over fresh folders, the Séneca file written, a port that picks it.
struct JobFixture {
  explicit JobFixture(const std::vector<SenecaBlock>& blocks = SchoolBlocks()) {
    session.exchangeDir = dir / "VTEMP";
    session.subjectLookupTable = WriteSubjectLookup(dir / "SENEMATERIAS.DBF");
    port.file = WriteSeneca(dir / "seneca.xml", blocks);
    port.dialog = GiveEveryCourseALevel;
  }
  std::filesystem::path Table(const std::string& name) const { return session.exchangeDir / name; }
  bool NoTableWritten() const {
    return !std::filesystem::exists(session.exchangeDir) ||
           std::filesystem::is_empty(session.exchangeDir);
  }
  std::map<std::string, std::vector<Row>> AllTables() const {
    std::map<std::string, std::vector<Row>> tables;
    for (const auto& name : kTables) tables[name] = ReadRows(Table(name));
    return tables;
  }

  TempDir dir;
  Session session;
  FakePort port;
};

using Messages = std::vector<std::pair<std::string, MessageKind>>;

TEST(Exportar, ACompleteRunWritesTheNineTablesInOrderAndSaysSo) {
  for (int hostLaunched : {0, 2}) {
    SCOPED_TRACE(hostLaunched);
    JobFixture job;
    job.session.HostLaunched = hostLaunched;
    BExportarClick(job.session, job.port);

    EXPECT_EQ(job.port.messages, (Messages{{"Proceso finalizado", MessageKind::Information}}));
    EXPECT_EQ(job.session.TransformResult, 1);
    EXPECT_EQ(job.port.busy, (std::vector<bool>{true, false}));
    EXPECT_EQ(job.port.progress, kSteps);
    EXPECT_EQ(job.port.closes, hostLaunched == 2 ? 1 : 0);
    EXPECT_EQ(job.session.XmlFileName, *job.port.file);
    ASSERT_NE(job.session.XmlDoc, nullptr);

    for (const auto& name : kTables) EXPECT_TRUE(std::filesystem::exists(job.Table(name))) << name;
    EXPECT_EQ(ReadRows(job.Table("PERIODOS.DBF")),
              (std::vector<Row>{
                  {{"CURSOANNO", "2023"}, {"F_INICIO", "01/09/2023"}, {"F_FIN", "31/08/2024"}}}));
    EXPECT_EQ(ReadColumn(job.Table("CURSOST.DBF"), "NIVEL"),
              (std::vector<std::string>{"L306", "L307"}));
    EXPECT_EQ(ReadColumn(job.Table("ASIGNOMT.DBF"), "COD"),
              (std::vector<std::string>{"Matemá", "LCL", "1"}));
    EXPECT_EQ(ReadColumn(job.Table("ASIGNOMT2.DBF"), "OFERTAMATRI"),
              (std::vector<std::string>{"212306", "212307", "212306"}));
    EXPECT_EQ(ReadColumn(job.Table("PROFT.DBF"), "ABREV"), (std::vector<std::string>{"GLA"}));
    EXPECT_EQ(ReadColumn(job.Table("AULAT.DBF"), "ABREV"), (std::vector<std::string>{"1001"}));
    EXPECT_EQ(ReadColumn(job.Table("GRUPOST.DBF"), "ABREV"),
              (std::vector<std::string>{"L3061A", "L3061B", "L3071A"}));
    EXPECT_EQ(ReadColumn(job.Table("ASIGT.DBF"), "CGRUP"),
              (std::vector<std::string>{"L3061A", "L3061B", "L3071A", "L3061A", "L3061B"}));
    EXPECT_EQ(ReadColumn(job.Table("ASIGT.DBF"), "CASIG"),
              (std::vector<std::string>{"Matemá", "Matemá", "Matemá", "LCL", "LCL"}));
    EXPECT_EQ(ReadColumn(job.Table("DIASHORAST.DBF"), "MINUTOS"),
              std::vector<std::string>(7, "60"));
  }
}

TEST(Exportar, NoFileEndsTheRunBeforeAnythingIsTouched) {
  struct Case {
    const char* title;
    bool earlierFile;  // an earlier run confirmed an existing file
    bool cancel;
    int hostLaunched;
  };
  for (const Case& c : std::vector<Case>{{"cancelled first dialog", false, true, 0},
                                         {"cancelled first dialog, host mode", false, true, 2},
                                         {"cancelled after an earlier run", true, true, 0},
                                         {"cancelled after an earlier run, host", true, true, 2},
                                         {"a typed name that does not exist", false, false, 2}}) {
    SCOPED_TRACE(c.title);
    JobFixture job;
    job.session.HostLaunched = c.hostLaunched;
    const auto existing = *job.port.file;
    if (c.earlierFile) job.session.XmlFileName = existing;
    if (c.cancel)
      job.port.file.reset();
    else
      job.port.file = job.dir / "no-existe.xml";
    BExportarClick(job.session, job.port);

    EXPECT_EQ(job.port.messages, (Messages{{"No existe archivo", MessageKind::Error}}));
    EXPECT_EQ(job.session.TransformResult, c.hostLaunched == 2 ? -1 : 0);
    EXPECT_EQ(job.port.closes, c.hostLaunched == 2 ? 1 : 0);
    EXPECT_TRUE(job.port.busy.empty());
    EXPECT_TRUE(job.NoTableWritten());
    EXPECT_EQ(job.session.XmlDoc, nullptr);
    if (c.cancel)
      EXPECT_EQ(job.session.XmlFileName, c.earlierFile ? existing : std::filesystem::path());
    else
      EXPECT_EQ(job.session.XmlFileName, job.dir / "no-existe.xml");
  }
}

TEST(Exportar, AFileThatIsNoXmlIsReportedAndChangesNothing) {
  JobFixture job;
  test::WriteFile(*job.port.file, "<SERVICIO><BLOQUE_DATOS>");
  job.session.HostLaunched = 2;
  BExportarClick(job.session, job.port);
  ASSERT_EQ(job.port.messages.size(), 1u);
  EXPECT_EQ(job.port.messages[0].second, MessageKind::Error);
  EXPECT_NE(job.port.messages[0].first.find("seneca.xml"), std::string::npos);
  EXPECT_EQ(job.session.TransformResult, 0);
  EXPECT_TRUE(job.port.BusyRestored());
  EXPECT_EQ(job.port.closes, 0);
  EXPECT_TRUE(job.NoTableWritten());
}

TEST(Exportar, AForcedExitOfTheDialogStopsTheRunAfterTheCourses) {
  JobFixture job;
  job.port.dialog = [](const std::filesystem::path&, int pass) {
    return pass == 1 ? CourseDialogResult{true, false} : CourseDialogResult{false, true};
  };
  BExportarClick(job.session, job.port);
  EXPECT_EQ(job.port.progress, (std::vector<std::string>{kSteps[0], kSteps[1]}));
  EXPECT_TRUE(std::filesystem::exists(job.Table("CURSOST.DBF")));
  EXPECT_FALSE(std::filesystem::exists(job.Table("ASIGNOMT.DBF")));
  EXPECT_TRUE(job.port.messages.empty());
  EXPECT_EQ(job.session.TransformResult, 0);
  EXPECT_EQ(job.port.busy, (std::vector<bool>{true, false}));
  EXPECT_EQ(job.port.closes, 1);
  EXPECT_TRUE(job.session.Reintento);
}

TEST(Exportar, TheRetryFlagOutlivesTheRunThatSetIt) {
  JobFixture job;
  job.port.dialog = [](const std::filesystem::path& table, int pass) {
    if (pass == 1) return CourseDialogResult{true, false};
    return GiveEveryCourseALevel(table, pass);
  };
  BExportarClick(job.session, job.port);
  job.port.dialog = GiveEveryCourseALevel;
  BExportarClick(job.session, job.port);
  EXPECT_EQ(job.port.dialogRetries, (std::vector<bool>{false, true, true}));
}

TEST(Exportar, AFailedStepIsReportedAndARunAfterItBuildsEverythingAgain) {
  JobFixture job;
  const auto lookup = job.session.subjectLookupTable;
  job.session.subjectLookupTable = job.dir / "falta" / "SENEMATERIAS.DBF";
  BExportarClick(job.session, job.port);
  ASSERT_EQ(job.port.messages.size(), 1u);
  EXPECT_EQ(job.port.messages[0].second, MessageKind::Error);
  EXPECT_NE(job.port.messages[0].first.find("SENEMATERIAS.DBF"), std::string::npos);
  EXPECT_EQ(job.session.TransformResult, 0);
  EXPECT_EQ(job.port.busy, (std::vector<bool>{true, false}));
  EXPECT_EQ(job.port.progress.back(), "Leyendo materias");
  EXPECT_FALSE(std::filesystem::exists(job.Table("PROFT.DBF")));

  job.session.subjectLookupTable = lookup;
  job.port.messages.clear();
  BExportarClick(job.session, job.port);
  EXPECT_EQ(job.port.messages, (Messages{{"Proceso finalizado", MessageKind::Information}}));
  EXPECT_EQ(job.session.TransformResult, 1);

  JobFixture fresh;
  BExportarClick(fresh.session, fresh.port);
  EXPECT_EQ(job.AllTables(), fresh.AllTables());
}

TEST(Exportar, ABadTimeStopsTheLastStepWithTheEarlierTablesComplete) {
  auto blocks = SchoolBlocks();
  // Shorter than four characters: the message shows it with the "0" put in front.
  blocks[6].records.push_back({"101", "2ª", "9.0", "600"});
  JobFixture job(blocks);
  BExportarClick(job.session, job.port);
  ASSERT_EQ(job.port.messages.size(), 1u);
  EXPECT_EQ(job.port.messages[0],
            std::make_pair(std::string("'09.0' no es un valor entero válido (tramo horario 2, "
                                       "«TRAMOS_HORARIOS»)"),
                           MessageKind::Error));
  EXPECT_EQ(job.session.TransformResult, 0);
  EXPECT_TRUE(job.port.BusyRestored());
  EXPECT_EQ(ReadRows(job.Table("ASIGT.DBF")).size(), 5u);
  EXPECT_EQ(ReadColumn(job.Table("DIASHORAST.DBF"), "DIHO"), (std::vector<std::string>{"11"}));
}

TEST(Exportar, TwentyThousandSubjectRecordsConvertInSeconds) {
  constexpr int kCourses = 200;
  constexpr int kSubjectsPerCourse = 100;
  constexpr int kDistinctNames = 2000;
  std::vector<SenecaBlock> blocks = {{"ANNO_ACADEMICO", {}, {"2023", "01/09/2023", "31/08/2024"}},
                                     {"CURSOS_DEL_CENTRO", {}},
                                     {"MATERIAS", {}},
                                     {"ACTIVIDADES", {}},
                                     {"DEPENDENCIAS", {}},
                                     {"JORNADAS_ESCOLARES", {}},
                                     {"TRAMOS_HORARIOS", {}},
                                     {"UNIDADES", {}},
                                     {"EMPLEADOS", {}}};
  for (int c = 0; c < kCourses; ++c) {
    const std::string course = std::to_string(100000 + c);
    blocks[1].records.push_back({course, "Curso " + course});
    for (int s = 0; s < kSubjectsPerCourse; ++s) {
      const int subject = (c * 37 + s * 13) % kDistinctNames;
      blocks[2].records.push_back(
          {course, std::to_string(subject), "Materia número " + std::to_string(subject)});
    }
    for (const char* unit : {"A", "B"}) blocks[7].records.push_back({course + unit, unit, course});
  }
  for (int i = 0; i < 500; ++i) {
    blocks[3].records.push_back({"S", std::to_string(i), "Actividad " + std::to_string(i)});
    blocks[8].records.push_back(
        {std::to_string(i), "01/09/2020", "Dpto", "García", "López", "Ana"});
  }
  for (int i = 0; i < 12; ++i)
    blocks[6].records.push_back(
        {std::to_string(i), "h", std::to_string(480 + 60 * i), std::to_string(540 + 60 * i)});
  JobFixture job(blocks);

  const auto start = std::chrono::steady_clock::now();
  BExportarClick(job.session, job.port);
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  std::cout << "[ timing ] 20000 MATERIAS records: " << elapsed.count() << " s\n";

  EXPECT_EQ(job.port.messages, (Messages{{"Proceso finalizado", MessageKind::Information}}));
  EXPECT_LT(elapsed.count(), 20.0);
  const auto codes = ReadColumn(job.Table("ASIGNOMT.DBF"), "COD");
  EXPECT_EQ(codes.size(), static_cast<std::size_t>(kDistinctNames + 500));
  EXPECT_EQ(std::set<std::string>(codes.begin(), codes.begin() + kDistinctNames).size(),
            static_cast<std::size_t>(kDistinctNames));
  EXPECT_EQ(ReadRows(job.Table("ASIGT.DBF")).size(),
            static_cast<std::size_t>(2 * kCourses * kSubjectsPerCourse));
  EXPECT_EQ(ReadColumn(job.Table("PROFT.DBF"), "ABREV").back(), "GLA499");
}

}  // namespace
}  // namespace travalen
