// What a job shows besides its messages: the step it is at, and the report at its end.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QLabel>
#include <QTableView>
#include <algorithm>

#include "GuiFixtures.h"
#include "IniFile.h"
#include "ReportWindow.h"

namespace travalen {
namespace {

using test::CourseDialogDriver;
using test::Find;
using test::FormFixture;
using test::PersonScript;

using Messages = std::vector<PersonScript::Message>;
const PersonScript::Message kFinished{"Proceso finalizado", MessageKind::Information};

// A finding as one copied line: the cells as the window shows them, tab-separated.
QString Line(const Finding& finding) {
  const char* severity = finding.severity == Severity::Error     ? "Error"
                         : finding.severity == Severity::Warning ? "Aviso"
                                                                 : "Información";
  return QStringList{QString::fromUtf8(severity),
                     QString::fromUtf8(CategoryTitle(finding.category)),
                     QString::fromStdString(finding.item), QString::fromStdString(finding.detail)}
      .join(QLatin1Char('\t'));
}

TEST(JobReport, HostedExportarShowsItsStepsThenWaitsOnTheReportBeforeClosing) {
  FormFixture f({"Exportar", "7FFFFFF0"}, /*courseLevelAids=*/true);
  f.script.files = {f.WriteSchool()};
  f.script.csvFiles = {f.dir / "informe.csv"};
  QLabel* progress = Find<QLabel>(*f.form, "LabelProgreso");
  ASSERT_NE(progress, nullptr);
  EXPECT_EQ(progress->parentWidget()->objectName(), "Draw3D1");

  QString progressDuringCourses;
  CourseDialogDriver driver({[&](TControlCursos& d) {
    progressDuringCourses = progress->text();
    // Both courses came proposed; OK goes through at once.
    QTest::mouseClick(Find<QPushButton>(d, "BitBtn1"), Qt::LeftButton);
  }});
  QString progressAtTheEnd = QStringLiteral("(no message)");
  f.script.onMessage = [&](QWidget*, const QString&) { progressAtTheEnd = progress->text(); };

  bool reportShown = false;
  f.script.onReport = [&](ReportWindow& window) {
    reportShown = true;
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Informe de la conversión"));
    EXPECT_TRUE(window.isModal());
    // The job waits on the report: the hosted window has not closed yet.
    EXPECT_TRUE(f.form->isVisible());
    EXPECT_EQ(f.script.messages, (Messages{kFinished}));
    ASSERT_EQ(f.script.reports.size(), 1u);
    const ConversionReport& report = f.script.reports.front();
    ASSERT_GE(report.findings.size(), 2u);
    EXPECT_EQ(report.tables.size(), 9u);
    EXPECT_TRUE(Find<QLabel>(window, "InformeTablas")->text().contains("GRUPOST.DBF"));

    QTableView* view = window.Findings();
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(view->isSortingEnabled());
    // The worst first; within a severity, in the order the run found them.
    std::vector<Finding> shown = report.findings;
    std::stable_sort(shown.begin(), shown.end(),
                     [](const Finding& a, const Finding& b) { return a.severity > b.severity; });
    ASSERT_EQ(view->model()->rowCount(), static_cast<int>(shown.size()));

    // Ctrl+C copies the selected findings, whole, one line each.
    view->setFocus();
    view->selectRow(0);
    view->selectionModel()->select(view->model()->index(1, 0),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), Line(shown[0]) + "\n" + Line(shown[1]));

    QTest::mouseClick(Find<QPushButton>(window, "BCopiarTodo"), Qt::LeftButton);
    QStringList all;
    all << QStringLiteral("Gravedad\tTipo\tElemento\tDetalle");
    for (const Finding& finding : shown) all << Line(finding);
    EXPECT_EQ(QApplication::clipboard()->text(), all.join(QLatin1Char('\n')));

    QTest::mouseClick(Find<QPushButton>(window, "BGuardarCsv"), Qt::LeftButton);
    EXPECT_EQ(test::ReadFile(f.dir / "informe.csv"), ReportCsv(report));
  };

  f.Show();  // launched by the host: the job starts by itself
  EXPECT_TRUE(QTest::qWaitFor([&] { return !f.form->isVisible(); }));
  EXPECT_TRUE(driver.AllStepsTaken());
  EXPECT_TRUE(reportShown);
  EXPECT_EQ(progressDuringCourses, QStringLiteral("Leyendo cursos…"));
  EXPECT_EQ(progressAtTheEnd, QString());
  EXPECT_EQ(progress->text(), QString());
  EXPECT_EQ(ReadIniValue(f.IniFile(), "Transformadores", "Transformado"),
            std::optional<std::string>("1"));
}

TEST(JobReport, AReportWithNothingToCheckStillGivesTheRowsOfEachTable) {
  ConversionReport report;
  report.direction = ConversionDirection::Importar;
  report.tables = {{"PROFT.DBF", 12}, {"SOLUC.DBF", 340}};
  report.resultFile = "/tmp/ResultadoVelmoraseneca.xml";
  PersonScript script;
  test::ScriptedPrompts prompts{script};
  ReportWindow window(report, prompts, "/tmp/informe.csv");
  window.show();
  EXPECT_EQ(window.Findings(), nullptr);
  EXPECT_FALSE(Find<QPushButton>(window, "BCopiarTodo")->isEnabled());
  EXPECT_TRUE(Find<QPushButton>(window, "BGuardarCsv")->isEnabled());
  const QString tables = Find<QLabel>(window, "InformeTablas")->text();
  EXPECT_TRUE(tables.contains("SOLUC.DBF") && tables.contains("340")) << tables.toStdString();
  EXPECT_TRUE(Find<QLabel>(window, "InformeResultado")->text().contains("ResultadoVelmora"));
  EXPECT_TRUE(Find<QLabel>(window, "InformeResumen")->text().startsWith("Sin observaciones"));
}

}  // namespace
}  // namespace travalen
