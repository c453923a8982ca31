// The level/course dialog's proposals for courses without level and its group names.
#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QTreeWidget>

#include "CoursesModel.h"
#include "GroupPreviewWindow.h"
#include "GuiFixtures.h"
#include "ProposalMarks.h"
#include "RememberedLevels.h"
#include "Schemas.h"

namespace travalen {
namespace {

using test::CellText;
using test::ColumnOf;
using test::CourseDialogDriver;
using test::Find;
using test::FormFixture;
using test::PersonScript;
using test::PressKey;
using test::TempDir;
using test::TypeIntoCell;
using test::TypeKeys;

using Messages = std::vector<PersonScript::Message>;
const PersonScript::Message kMissing{"¡Atención! Falta algún Dato", MessageKind::Warning};
const PersonScript::Message kFinished{"Proceso finalizado", MessageKind::Information};

const std::string kBach1 = "1º de Bachillerato (Ciencias y Tecnología)";

// Courses described as Séneca describes them, one the descriptions say nothing about,
// and the units of each.
std::vector<test::SenecaBlock> SchoolWithStudies() {
  return {{"ANNO_ACADEMICO", {}, {"2025", "01/09/2025", "31/08/2026"}},
          {"CURSOS_DEL_CENTRO",
           {{"224318", "1º de E.S.O."},
            {"226507", kBach1},
            {"226508", "2º de Bachillerato (Ciencias y Tecnología)"},
            {"230001", "Taller de teatro"}}},
          {"MATERIAS", {{"224318", "10", "Matemáticas"}}},
          {"ACTIVIDADES", {{"S", "1", "Guardia"}}},
          {"DEPENDENCIAS", {{"1001", "Aula 1"}}},
          {"JORNADAS_ESCOLARES", {{"1", "L", "08/09/2025", "19/06/2026"}}},
          {"TRAMOS_HORARIOS", {{"100", "1ª", "480", "540"}}},
          {"UNIDADES",
           {{"u1", "1ºESO-A", "224318"},
            {"u2", "1ºESO-B", "224318"},
            {"u3", "1ºBACH-A", "226507"},
            {"u4", "2ºBACH-A", "226508"},
            {"u5", "Teatro", "230001"}}},
          {"EMPLEADOS", {{"500", "01/09/2020", "Matemáticas", "García", "López", "Ana"}}}};
}

const CoursesModel& ModelOf(const TControlCursos& dialog) {
  return *qobject_cast<const CoursesModel*>(dialog.Grid()->model());
}

ProposalOrigin Origin(const TControlCursos& dialog, int row, int column) {
  const CoursesModel& model = ModelOf(dialog);
  return model.OriginAt(model.index(row, column));
}

QStringList GroupNames(const GroupPreviewWindow& preview) {
  QStringList names;
  for (int i = 0; i < preview.Groups()->topLevelItemCount(); ++i)
    names << preview.Groups()->topLevelItem(i)->text(0);
  return names;
}

QString Warnings(const GroupPreviewWindow& preview) {
  QStringList texts;
  for (int i = 0; i < preview.Warnings()->count(); ++i)
    texts << preview.Warnings()->item(i)->text();
  return texts.join(QLatin1Char('\n'));
}

TEST(CourseLevelAids, TheFirstPassProposesAndMarksWhatThePersonHasNotChanged) {
  FormFixture f({}, /*courseLevelAids=*/true);
  f.script.files = {test::WriteSeneca(f.dir / "seneca.xml", SchoolWithStudies())};
  // Last year the school called its first of Bachillerato "BACH", not what the
  // description suggests.
  const auto exchange = f.form->session().exchangeDir;
  std::filesystem::create_directories(exchange);
  SaveRememberedLevels(exchange, {{"226507", Utf8ToCp1252(kBach1), "BACH", "1"}});

  CourseDialogDriver driver({
      [&](TControlCursos& d) {
        struct Row {
          const char* nivel;
          const char* curso;
          ProposalOrigin origin;
        };
        const Row rows[] = {{"ESO", "1", ProposalOrigin::Suggested},
                            {"BACH", "1", ProposalOrigin::Remembered},
                            {"BCT", "2", ProposalOrigin::Suggested},
                            {"", "", ProposalOrigin::Stored}};
        CoursesGrid* grid = d.Grid();
        for (int r = 0; r < 4; ++r) {
          SCOPED_TRACE(r);
          EXPECT_EQ(CellText(*grid, r, CoursesModel::kNivel), rows[r].nivel);
          EXPECT_EQ(CellText(*grid, r, CoursesModel::kCurso), rows[r].curso);
          for (int column : {CoursesModel::kNivel, CoursesModel::kCurso}) {
            EXPECT_EQ(Origin(d, r, column), rows[r].origin);
            const QModelIndex cell = grid->model()->index(r, column);
            EXPECT_EQ(cell.data(Qt::BackgroundRole).value<QColor>(), ProposalTint(rows[r].origin));
            EXPECT_EQ(cell.data(Qt::ToolTipRole).toString(), ProposalMeaning(rows[r].origin));
          }
        }
        EXPECT_NE(ProposalTint(ProposalOrigin::Suggested),
                  ProposalTint(ProposalOrigin::Remembered));
        EXPECT_TRUE(Find<QLabel>(d, "LeyendaRecordado")->isVisible());
        EXPECT_TRUE(Find<QLabel>(d, "LeyendaSugerido")->isVisible());
        // In the table as if typed: OK's check sees them.
        EXPECT_EQ(ColumnOf(f.Table("CURSOST.DBF"), "NIVEL"),
                  (std::vector<std::string>{"ESO", "BACH", "BCT", ""}));
        EXPECT_EQ(ColumnOf(f.Table("CURSOST.DBF"), "CURSO"),
                  (std::vector<std::string>{"1", "1", "2", ""}));

        // A changed value is the person's; the other cell of the row keeps its mark.
        TypeIntoCell(*grid, 0, CoursesModel::kNivel, "SEC");
        PressKey(Qt::Key_Return);
        EXPECT_EQ(Origin(d, 0, CoursesModel::kNivel), ProposalOrigin::Stored);
        EXPECT_EQ(Origin(d, 0, CoursesModel::kCurso), ProposalOrigin::Suggested);
        // The person empties a proposal on purpose, both its cells.
        for (int column : {CoursesModel::kNivel, CoursesModel::kCurso}) {
          grid->setCurrentIndex(grid->model()->index(2, column));
          PressKey(Qt::Key_F2);
          PressKey(Qt::Key_Backspace);
          PressKey(Qt::Key_Return);
          EXPECT_EQ(CellText(*grid, 2, column), "");
        }
        QTest::mouseClick(Find<QPushButton>(d, "BitBtn1"), Qt::LeftButton);
      },
      [&](TControlCursos& d) {
        // The pass after OK's warning proposes nothing: the emptied cell stays empty, and
        // what the person kept of the proposals still shows where it came from.
        CoursesGrid* grid = d.Grid();
        for (int column : {CoursesModel::kNivel, CoursesModel::kCurso}) {
          EXPECT_EQ(CellText(*grid, 2, column), "");
          EXPECT_EQ(Origin(d, 2, column), ProposalOrigin::Stored);
        }
        EXPECT_EQ(Origin(d, 1, CoursesModel::kNivel), ProposalOrigin::Remembered);
        EXPECT_EQ(Origin(d, 0, CoursesModel::kNivel), ProposalOrigin::Stored);
        EXPECT_EQ(Origin(d, 0, CoursesModel::kCurso), ProposalOrigin::Suggested);
        TypeIntoCell(*grid, 2, CoursesModel::kNivel, "BCT");
        PressKey(Qt::Key_Return);
        TypeKeys("2");
        PressKey(Qt::Key_Return);
        TypeIntoCell(*grid, 3, CoursesModel::kNivel, "TEA");
        PressKey(Qt::Key_Return);
        TypeKeys("1");
        PressKey(Qt::Key_Return);
        QTest::mouseClick(Find<QPushButton>(d, "BitBtn1"), Qt::LeftButton);
      },
  });
  f.Show();
  QTest::mouseClick(f.Button("BExportar"), Qt::LeftButton);

  EXPECT_TRUE(driver.AllStepsTaken());
  EXPECT_EQ(f.script.messages, (Messages{kMissing, kFinished}));
  EXPECT_EQ(ColumnOf(f.Table("GRUPOST.DBF"), "ABREV"),
            (std::vector<std::string>{"SEC1A", "SEC1B", "BACH1A", "BCT2A", "TEA1A"}));
}

// A CURSOST.DBF whose courses already have these levels (code, studies, level, course).
std::filesystem::path WriteCourseLevels(const std::filesystem::path& dir,
                                        const std::vector<std::vector<std::string>>& rows) {
  CreateExchangeTable(dir, "CURSOST.DBF");
  DbfTable table = DbfTable::Open(dir / "CURSOST.DBF");
  for (const auto& row : rows) {
    table.Append();
    table.SetText("CLAVE", row[0]);
    table.SetText("ESTUD", Utf8ToCp1252(row[1]));
    table.SetText("NIVEL", row[2]);
    table.SetText("CURSO", row[3]);
    table.Post();
  }
  table.Close();
  return dir / "CURSOST.DBF";
}

TEST(CourseLevelAids, ThePreviewNamesTheGroupsAndFollowsEveryEdit) {
  TempDir dir;
  const auto document =
      SenecaDocument::Load(test::WriteSeneca(dir / "seneca.xml", SchoolWithStudies()));
  const auto table = WriteCourseLevels(dir.path(), {{"224318", "1º de E.S.O.", "ESO", "1"},
                                                    {"226507", kBach1, "BACH", "1"},
                                                    {"226508", "2º de Bachillerato", "BCT", "2"},
                                                    {"230001", "Taller de teatro", "TEA", "1"}});
  PersonScript script;
  test::ScriptedPrompts prompts{script};
  CourseLevelAids aids;
  aids.document = document.get();
  aids.exchangeDir = dir.path();
  TControlCursos dialog(table, false, prompts, dir / "help", nullptr, aids);
  dialog.show();
  dialog.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));

  GroupPreviewWindow* preview = dialog.Preview();
  ASSERT_NE(preview, nullptr);
  EXPECT_TRUE(preview->isVisible());
  EXPECT_EQ(preview->windowTitle(), QStringLiteral("Vista previa de grupos"));
  EXPECT_EQ(preview->parentWidget(), &dialog);  // above it, and gone with it
  EXPECT_EQ(preview->windowType(), Qt::Tool);
  EXPECT_EQ(GroupNames(*preview), (QStringList{"ESO1A", "ESO1B", "BACH1A", "BCT2A", "TEA1A"}));
  EXPECT_FALSE(Warnings(*preview).contains(
      QString::fromUtf8(CategoryTitle(FindingCategory::LevelsShareFirstFive))));
  // Nothing was proposed: every value is the table's.
  EXPECT_FALSE(Find<QLabel>(dialog, "LeyendaSugerido")->isVisible());

  CoursesGrid* grid = dialog.Grid();
  TypeIntoCell(*grid, 0, CoursesModel::kNivel, "SEC");
  PressKey(Qt::Key_Return);
  EXPECT_EQ(GroupNames(*preview), (QStringList{"SEC1A", "SEC1B", "BACH1A", "BCT2A", "TEA1A"}));

  // Two levels that differ only in letter case share their first five characters.
  TypeIntoCell(*grid, 1, CoursesModel::kNivel, "bct");
  PressKey(Qt::Key_Return);
  EXPECT_EQ(GroupNames(*preview), (QStringList{"SEC1A", "SEC1B", "bct1A", "BCT2A", "TEA1A"}));
  const QString warnings = Warnings(*preview);
  EXPECT_TRUE(
      warnings.contains(QString::fromUtf8(CategoryTitle(FindingCategory::LevelsShareFirstFive))))
      << warnings.toStdString();
  EXPECT_TRUE(warnings.contains(QStringLiteral("«226507»")));
  EXPECT_TRUE(warnings.contains(QStringLiteral("«226508»")));
  // The groups the warning is about carry its sign.
  EXPECT_FALSE(preview->Groups()->topLevelItem(2)->icon(0).isNull());
  EXPECT_TRUE(preview->Groups()->topLevelItem(0)->icon(0).isNull());
  // The keyboard stayed in the grid all along.
  EXPECT_EQ(QApplication::activeWindow(), &dialog);
  QWidget* focus = QApplication::focusWidget();
  EXPECT_TRUE(focus == grid || grid->isAncestorOf(focus));

  // Closed by the person, it comes back from its button; it goes with the dialog.
  preview->close();
  QTest::mouseClick(Find<QPushButton>(dialog, "BVistaPrevia"), Qt::LeftButton);
  EXPECT_TRUE(preview->isVisible());
  dialog.close();
  EXPECT_FALSE(preview->isVisible());
}

}  // namespace
}  // namespace travalen
