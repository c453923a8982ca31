// What an exportar run reports: rows per table and a finding for everything worth a look.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "Assignments.h"
#include "ConversionReport.h"
#include "ExportFixtures.h"
#include "Exportar.h"

namespace travalen {
namespace {

using test::FakePort;
using test::FillCourseLevels;
using test::ReadRows;
using test::SenecaBlock;
using test::SourceDir;
using test::StepFixture;
using test::TempDir;
using test::WriteExchangeTable;
using test::WriteSeneca;
using test::WriteSubjectLookup;

const std::vector<std::string> kTables = {"PERIODOS.DBF",  "CURSOST.DBF", "ASIGNOMT.DBF",
                                          "ASIGNOMT2.DBF", "PROFT.DBF",   "AULAT.DBF",
                                          "GRUPOST.DBF",   "ASIGT.DBF",   "DIASHORAST.DBF"};

// A completed run over a document, with the levels the dialog is given.
struct ReportedRun {
  ReportedRun(const std::filesystem::path& xml,
              const std::map<std::string, std::pair<std::string, std::string>>& levels,
              const std::vector<test::Row>& lookup = {}) {
    session.exchangeDir = dir / "VTEMP";
    session.subjectLookupTable = WriteSubjectLookup(dir / "SENEMATERIAS.DBF", lookup);
    session.HostLaunched = 2;
    port.file = xml;
    // The person leaves courses out and closes the dialog: the run goes on without them.
    port.dialog = [levels](const std::filesystem::path& table, int) {
      FillCourseLevels(table, levels);
      return CourseDialogResult{};
    };
    BExportarClick(session, port);
  }
  const ConversionReport& Report() const {
    if (port.reports.size() != 1) throw std::runtime_error("no single report shown");
    return port.reports.front().report;
  }
  // The items of one kind of finding, in order.
  std::vector<std::string> Items(FindingCategory category) const {
    std::vector<std::string> items;
    for (const Finding& f : Report().findings)
      if (f.category == category) items.push_back(f.item);
    return items;
  }

  TempDir dir;
  Session session;
  FakePort port;
};

TEST(ExportReport, IsShownOnceAfterTheLastMessageAndBeforeTheWindowCloses) {
  TempDir source;
  const auto xml = source / "seneca.xml";
  std::filesystem::copy_file(SourceDir() / "data/sample/seneca-export.xml", xml);
  ReportedRun run(xml, {{"224318", {"ESO", "1"}},
                        {"224319", {"ESO", "2"}},
                        {"224321", {"ESO", "3"}},
                        {"224322", {"ESO", "4"}},
                        {"226507", {"BCT", "1"}},
                        {"226508", {"BCT", "2"}}});
  ASSERT_EQ(run.port.reports.size(), 1u);
  EXPECT_EQ(run.port.reports[0].messagesBefore, 1u);  // "Proceso finalizado"
  EXPECT_EQ(run.port.reports[0].closesBefore, 0);
  EXPECT_EQ(run.port.closes, 1);

  const ConversionReport& report = run.Report();
  EXPECT_EQ(report.direction, ConversionDirection::Exportar);
  EXPECT_TRUE(report.resultFile.empty());
  std::vector<std::string> names;
  for (const TableRowCount& table : report.tables) {
    names.push_back(table.table);
    EXPECT_EQ(table.rows, ReadRows(run.session.exchangeDir / table.table).size()) << table.table;
  }
  EXPECT_EQ(names, kTables);

  // The sample's two pairs of teachers with the same initials, and nothing else to check.
  EXPECT_EQ(
      run.Items(FindingCategory::TeacherInitialsNumbered),
      (std::vector<std::string>{"Profesor «Gómez Luna Alberto»", "Profesor «del Río Vega Sara»"}));
  std::size_t subjects = 0;
  for (const auto& row : ReadRows(run.session.exchangeDir / "ASIGNOMT.DBF"))
    subjects += row.at("ESTAREA") == "F";
  EXPECT_EQ(report.Count(FindingCategory::SubjectCodeFromLookup) +
                report.Count(FindingCategory::SubjectCodeGenerated),
            subjects);
  for (const Finding& f : report.findings)
    if (f.category != FindingCategory::TeacherInitialsNumbered)
      EXPECT_EQ(f.severity, Severity::Information) << CategoryId(f.category) << " " << f.item;
}

TEST(ExportReport, NamesEveryRecordPassedOverAndEveryNameToCheck) {
  TempDir source;
  const auto xml = WriteSeneca(
      source / "seneca.xml",
      {{"ANNO_ACADEMICO", {}, {"2023", "01/09/2023", "31/08/2024"}},
       {"CURSOS_DEL_CENTRO",
        {{"c1", "1º de E.S.O."}, {"solo"}, {"c2", "2º de E.S.O."}, {"c3", "Otro"}}},
       {"MATERIAS",
        {{"c1", "10", "Matemáticas"},
         {"c1", "11", "Lengua Castellana y Literatura"},
         {"c2", "12", "Lengua Catalana y Literatura"},
         {"c1", "13", ""},
         {"c3", "14", "Física"},
         {"c9"}}},
       {"ACTIVIDADES", {{"S"}, {"S", "1", "Guardia"}}},
       {"DEPENDENCIAS", {{"1001", "Aula 1"}, {}}},
       {"JORNADAS_ESCOLARES", {{"1", "L", "08/09/2023", "21/06/2024"}}},
       {"TRAMOS_HORARIOS", {{"100", "1ª", "480", "540"}}},
       {"UNIDADES", {{"u1", "1ºA", "c1"}, {"u2", "2ºA", "c2"}, {"u3", "X", "c7"}, {"u4"}}},
       {"EMPLEADOS",
        {{"500", "01/09/2020", "Mat", "García", "López", "Ana"},
         {"501", "01/09/2021", "Mat", "Gómez", "Luna", "Alba"},
         {"502"}}}});
  // c2 is left without level: the dialog is closed with it missing.
  ReportedRun run(xml, {{"c1", {"ESO", "1"}}, {"c3", {"OTR", "1"}}},
                  {{{"NOMBRE", "Matemáticas"}, {"COD", "MAT"}, {"CODLARGO", "MATES"}}});
  ASSERT_EQ(run.port.messages.size(), 1u);

  using C = FindingCategory;
  const std::vector<std::pair<C, std::vector<std::string>>> expected = {
      {C::ShortRecord,
       {"CURSOS_DEL_CENTRO, registro 2", "MATERIAS, registro 6", "ACTIVIDADES, registro 1",
        "EMPLEADOS, registro 3", "DEPENDENCIAS, registro 2", "UNIDADES, registro 4"}},
      {C::SubjectWithoutName, {"MATERIAS, registro 4"}},
      {C::SubjectCodeFromLookup, {"Materia «Matemáticas»"}},
      {C::SubjectCodeGenerated,
       {"Materia «Lengua Castellana y Literatura»", "Materia «Lengua Catalana y Literatura»",
        "Materia «Física»"}},
      {C::SubjectCodeNumbered, {"Materia «Lengua Catalana y Literatura»"}},
      {C::TeacherInitialsNumbered, {"Profesor «Gómez Luna Alba»"}},
      {C::CourseWithoutLevel, {"«c2» (2º de E.S.O.)"}},
      {C::UnitWithoutLevel, {"Unidad «u2» (2ºA)"}},
      {C::UnitWithoutCourse, {"Unidad «u3» (X)"}},
      {C::OfferWithoutGroups, {"Materia «Física» del curso «c3» (MATERIAS, registro 5)"}},
  };
  std::set<C> seen;
  for (const auto& [category, items] : expected) {
    SCOPED_TRACE(CategoryId(category));
    std::vector<std::string> got = run.Items(category);
    std::sort(got.begin(), got.end());
    std::vector<std::string> want = items;
    std::sort(want.begin(), want.end());
    EXPECT_EQ(got, want);
    seen.insert(category);
  }
  for (const Finding& f : run.Report().findings)
    EXPECT_TRUE(seen.contains(f.category)) << CategoryId(f.category) << ": " << f.item;

  // The details say what became of each.
  for (const Finding& f : run.Report().findings) {
    if (f.category == C::SubjectCodeNumbered)
      EXPECT_NE(f.detail.find("«LC1»"), std::string::npos) << f.detail;
    if (f.category == C::UnitWithoutLevel) EXPECT_NE(f.detail.find("«A»"), std::string::npos);
    if (f.category == C::UnitWithoutCourse) EXPECT_NE(f.detail.find("«c7»"), std::string::npos);
  }
}

TEST(ExportReport, ASubjectWithoutShortCodeIsNotAssignedAndSaysSo) {
  StepFixture fixture({{"MATERIAS", {{"c1", "10", "Química"}, {"c1", "11", "Física"}}}});
  WriteExchangeTable(fixture.dir.path(), "ASIGNOMT.DBF",
                     {{{"COD", "FQ"}, {"NOMBRE", "Física"}}, {{"COD", ""}, {"NOMBRE", "Química"}}});
  WriteExchangeTable(fixture.dir.path(), "GRUPOST.DBF",
                     {{{"ABREV", "ESO1A"}, {"CLAVECURSO", "c1"}}});
  ConversionReport report;
  fixture.run.report = &report;
  LeeAsignaciones(fixture.run);
  EXPECT_EQ(ReadRows(fixture.Table("ASIGT.DBF")).size(), 1u);
  ASSERT_EQ(report.findings.size(), 1u);
  EXPECT_EQ(report.findings[0].category, FindingCategory::SubjectNotAssigned);
  EXPECT_EQ(report.findings[0].item, "Materia «Química» del curso «c1» (MATERIAS, registro 1)");
}

TEST(ConversionReport, CsvAndJsonCarryEveryTextIntact) {
  ConversionReport report;
  report.direction = ConversionDirection::Importar;
  report.tables = {{"SOLUC.DBF", 12}, {"PROFT.DBF", 1}};
  report.resultFile = "/tmp/Resultado \"año\".xml";
  report.Add(FindingCategory::EmptyKey, "Profesor «GLA»; Ana", "línea 1\nlínea \"2\"\t\x01");
  report.Add(FindingCategory::ResultCheckFailed, "r.xml", "roto");

  EXPECT_EQ(ReportCsv(report),
            "\xEF\xBB\xBF"
            "GRAVEDAD;CATEGORIA;ELEMENTO;DETALLE\r\n"
            "informacion;filas_tabla;SOLUC.DBF;12\r\n"
            "informacion;filas_tabla;PROFT.DBF;1\r\n"
            "informacion;documento_resultado;\"/tmp/Resultado \"\"año\"\".xml\";\r\n"
            "aviso;clave_vacia;\"Profesor «GLA»; Ana\";\"línea 1\nlínea \"\"2\"\"\t\x01\"\r\n"
            "error;resultado_defectuoso;r.xml;roto\r\n");
  EXPECT_EQ(ReportJson(report),
            "{\n"
            "  \"sentido\": \"importar\",\n"
            "  \"resultado\": \"/tmp/Resultado \\\"año\\\".xml\",\n"
            "  \"tablas\": [\n"
            "    {\"tabla\": \"SOLUC.DBF\", \"filas\": 12},\n"
            "    {\"tabla\": \"PROFT.DBF\", \"filas\": 1}\n"
            "  ],\n"
            "  \"hallazgos\": [\n"
            "    {\"gravedad\": \"aviso\", \"categoria\": \"clave_vacia\", \"elemento\": "
            "\"Profesor «GLA»; Ana\", \"detalle\": \"línea 1\\nlínea \\\"2\\\"\\t\\u0001\"},\n"
            "    {\"gravedad\": \"error\", \"categoria\": \"resultado_defectuoso\", \"elemento\": "
            "\"r.xml\", \"detalle\": \"roto\"}\n"
            "  ]\n"
            "}\n");
  EXPECT_TRUE(report.HasErrors());

  const ConversionReport empty;
  EXPECT_EQ(ReportJson(empty),
            "{\n  \"sentido\": \"exportar\",\n  \"resultado\": null,\n  \"tablas\": [],\n"
            "  \"hallazgos\": []\n}\n");
  EXPECT_FALSE(empty.HasErrors());
}

}  // namespace
}  // namespace travalen
