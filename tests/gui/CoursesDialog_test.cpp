// The level/course dialog, alone and inside a whole exportar run from the main window.
#include "CoursesDialog.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QToolButton>

#include "CoursesModel.h"
#include "GradientPanel.h"
#include "GuiFixtures.h"
#include "IniFile.h"
#include "RecordNavigator.h"
#include "Schemas.h"
#include "TravalenError.h"

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

bool Shows(const TControlCursos& dialog, const char* name) {
  auto* widget = Find<QWidget>(dialog, name);
  return widget && widget->isVisible();
}

// A CURSOST.DBF with these courses (code, studies) and nothing else filled in.
std::filesystem::path WriteCourses(const std::filesystem::path& dir,
                                   const std::vector<std::pair<std::string, std::string>>& rows) {
  CreateExchangeTable(dir, "CURSOST.DBF");
  DbfTable table = DbfTable::Open(dir / "CURSOST.DBF");
  for (const auto& [code, studies] : rows) {
    table.Append();
    table.SetText("CLAVE", code);
    table.SetText("ESTUD", Utf8ToCp1252(studies));
    table.Post();
  }
  table.Close();
  return dir / "CURSOST.DBF";
}

// The dialog shown on its own, not modally, over a table in a temporary folder.
struct DialogFixture {
  explicit DialogFixture(bool reintento,
                         const std::vector<std::pair<std::string, std::string>>& rows =
                             {{"212306", "1º de E.S.O."}, {"212307", "1º de Bachillerato"}})
      : table(WriteCourses(dir.path(), rows)), dialog(table, reintento, prompts, dir / "help") {
    dialog.show();
    dialog.activateWindow();  // a window manager would; offscreen and bare X do not
    EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
  }
  PersonScript script;
  test::ScriptedPrompts prompts{script};
  TempDir dir;
  std::filesystem::path table;
  TControlCursos dialog;
};

TEST(CoursesDialog, LayoutAsDesigned) {
  DialogFixture f(false);
  TControlCursos& d = f.dialog;
  EXPECT_EQ(d.windowTitle(), QStringLiteral("Asignación de Niveles y Cursos"));
  EXPECT_EQ(d.size(), QSize(686, 499));
  EXPECT_EQ(d.minimumSize(), d.maximumSize());
  EXPECT_EQ(d.pos(), QPoint(283, 200));

  auto* panel = Find<GradientPanel>(d, "Draw3D1");
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(panel->geometry(), QRect(1, 1, 684, 496));
  EXPECT_EQ(panel->StartColour(), QColor(0, 128, 0));
  EXPECT_EQ(panel->MiddleColour(), QColor(255, 255, 255));
  EXPECT_EQ(panel->EndColour(), QColor(0, 128, 0));

  struct Control {
    const char* name;
    QRect geometry;
    const char* text;  // nullptr: no text of its own
    QColor colour;     // invalid: not checked
    QColor background;
    bool visible;
  };
  const QColor red(255, 0, 0), white(255, 255, 255), yellow(255, 255, 0);
  const std::vector<Control> controls = {
      {"Label1", {86, 5, 320, 20}, "ASIGNACIÓN DE NIVELES Y CURSOS", white, {}, true},
      {"wwDBNavigator1", {105, 29, 275, 24}, nullptr, {}, {}, true},
      {"CursosTDBGrid", {3, 56, 454, 433}, nullptr, {}, {}, true},
      {"Label3", {468, 56, 190, 13}, "INCIDENCIAS EN EL TRASPASO", red, white, false},
      {"Label2",
       {473, 72, 180, 65},
       "Se ha detectado que falta por indicar algún NIVEL  o CURSO. Complete el/los datos que "
       "falten, para poder concluir el proceso, antes de Salir.",
       red,
       yellow,
       false},
      {"Label4", {471, 140, 116, 16}, "¡ IMPORTANTE !", red, {}, true},
      {"Label5",
       {472, 156, 185, 52},
       "Las Abreviaturas de sus Grupos (Unidades), se formarán, en función del NIVEL y CURSO, "
       "del siguiente modo: ",
       QColor(128, 0, 0),
       {},
       true},
      {"Label6",
       {472, 207, 140, 39},
       "Por ejemplo, NIVEL=ESO y CURSO=1 daría como resultado",
       QColor(0, 0, 255),
       {},
       true},
      {"Label10",
       {473, 244, 180, 13},
       "Abreviatura del Grupo = ESO1A",
       QColor(255, 0, 255),
       {},
       true},
      {"Label7",
       {472, 257, 200, 39},
       "y así secuencialmente para el resto de Grupos del mismo NIVEL y CURSO, ESO1B, ESO1C.",
       QColor(128, 0, 128),
       {},
       true},
      {"Label11",
       {462, 300, 215, 52},
       "Ejemplos de Niveles: BCT=Bach.C.T., BHC=Bach.Hum., BT=Bach.Tecnol., LS=Leng.Signos, "
       "GAD=Gest.Admin., EDSO=ESO Diversificación, etc...",
       QColor(128, 0, 0),
       white,
       true},
      {"Label9",
       {462, 354, 217, 39},
       "Luego es de vital IMPORTANCIA que para cada NIVEL sus 5 Primeros caracteres sean "
       "DISTINTOS.",
       red,
       QColor(166, 202, 240),
       true},
      {"BitBtn1", {519, 397, 101, 25}, "Aceptar", {}, {}, true},
      {"BitBtn2", {463, 424, 218, 24}, "Forzar Salida Sin Terminar Proceso ", red, {}, false},
      {"Label8",
       {479, 450, 182, 39},
       "¡ Atención ! Si fuerza la Salida, los Datos recogidos serán INCOHERENTES.",
       red,
       yellow,
       false},
  };
  for (const Control& c : controls) {
    SCOPED_TRACE(c.name);
    auto* widget = Find<QWidget>(d, c.name);
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->parentWidget(), panel);
    EXPECT_EQ(widget->geometry(), c.geometry);
    EXPECT_EQ(widget->isVisible(), c.visible);
    if (c.text) EXPECT_EQ(widget->property("text").toString().toStdString(), c.text);
    if (c.colour.isValid()) {
      EXPECT_EQ(widget->palette().color(QPalette::WindowText), c.colour);
      EXPECT_TRUE(widget->font().bold());
    }
    if (c.background.isValid()) {
      EXPECT_TRUE(widget->autoFillBackground());
      EXPECT_EQ(widget->palette().color(QPalette::Window), c.background);
    }
  }
  auto* ok = Find<QPushButton>(d, "BitBtn1");
  EXPECT_TRUE(ok->isDefault());
  EXPECT_FALSE(ok->icon().isNull());

  // The grid: four columns, two read-only, titles as given.
  CoursesGrid* grid = d.Grid();
  ASSERT_EQ(grid->model()->columnCount(), 4);
  QStringList titles;
  for (int c = 0; c < 4; ++c) titles << grid->model()->headerData(c, Qt::Horizontal).toString();
  EXPECT_EQ(titles, (QStringList{"CÓD.SÉNECA", "ESTUDIOS", "NIVEL", "CURSO"}));
  EXPECT_FALSE(grid->model()->index(0, 0).flags() & Qt::ItemIsEditable);
  EXPECT_FALSE(grid->model()->index(0, 1).flags() & Qt::ItemIsEditable);
  EXPECT_TRUE(grid->model()->index(0, 2).flags() & Qt::ItemIsEditable);
  EXPECT_TRUE(grid->model()->index(0, 3).flags() & Qt::ItemIsEditable);
  EXPECT_EQ(CellText(*grid, 1, 1), QStringLiteral("1º de Bachillerato"));
  EXPECT_EQ(grid->palette().color(QPalette::Base), QColor(240, 251, 255));
  EXPECT_EQ(grid->palette().color(QPalette::AlternateBase), QColor(207, 217, 254));
  EXPECT_TRUE(grid->alternatingRowColors());
  EXPECT_FALSE(grid->horizontalHeader()->sectionsClickable());
  EXPECT_TRUE(grid->hasFocus());  // first in the tab order

  // The navigator's moving buttons repeat while held, after half a second.
  auto* next = Find<QToolButton>(d, "Next");
  EXPECT_TRUE(next->autoRepeat());
  EXPECT_EQ(next->autoRepeatDelay(), 500);
  EXPECT_EQ(next->autoRepeatInterval(), 100);
}

TEST(CoursesDialog, EnterMovesOnLikeTabAndCellsHoldNoMoreThanTheirFields) {
  DialogFixture f(false);
  CoursesGrid* grid = f.dialog.Grid();
  TypeIntoCell(*grid, 0, CoursesModel::kNivel, "ESOBACH");  // NIVEL holds 5 characters
  PressKey(Qt::Key_Return);
  EXPECT_EQ(grid->currentIndex(), grid->model()->index(0, CoursesModel::kCurso));
  TypeKeys("1234");  // the editor is open on CURSO already
  PressKey(Qt::Key_Return);
  EXPECT_EQ(grid->currentIndex(), grid->model()->index(1, CoursesModel::kClave));
  EXPECT_EQ(CellText(*grid, 0, CoursesModel::kNivel), "ESOBA");
  EXPECT_EQ(CellText(*grid, 0, CoursesModel::kCurso), "123");
  // Posted as they were committed.
  EXPECT_EQ(ColumnOf(f.table, "NIVEL"), (std::vector<std::string>{"ESOBA", ""}));
  EXPECT_EQ(ColumnOf(f.table, "CURSO"), (std::vector<std::string>{"123", ""}));
  // Read-only cells take no typing.
  TypeKeys("x");
  EXPECT_EQ(CellText(*grid, 1, CoursesModel::kClave), "212307");
}

TEST(CoursesDialog, RetryShowsTheForcedExitUntilAnotherColumnIsEntered) {
  DialogFixture f(true);
  EXPECT_TRUE(Shows(f.dialog, "BitBtn2"));
  EXPECT_TRUE(Shows(f.dialog, "Label8"));
  // Moving within the column keeps them...
  PressKey(Qt::Key_Down);
  EXPECT_TRUE(Shows(f.dialog, "BitBtn2"));
  // ...another column hides both.
  PressKey(Qt::Key_Right);
  EXPECT_FALSE(Shows(f.dialog, "BitBtn2"));
  EXPECT_FALSE(Shows(f.dialog, "Label8"));
}

TEST(CoursesDialog, EscapeDoesNotEndThePass) {
  DialogFixture f(false);
  QTest::keyClick(&f.dialog, Qt::Key_Escape);
  EXPECT_TRUE(f.dialog.isVisible());
}

TEST(CoursesDialog, NavigatorMovesThroughTheRows) {
  std::vector<std::pair<std::string, std::string>> rows;
  for (int i = 0; i < 25; ++i) rows.push_back({std::to_string(1000 + i), "Curso"});
  DialogFixture f(false, rows);
  CoursesGrid* grid = f.dialog.Grid();
  struct Step {
    const char* button;
    int row;
  };
  for (const Step& s : {Step{"Next", 1}, Step{"NextPage", 11}, Step{"Last", 24},
                        Step{"PriorPage", 14}, Step{"Prior", 13}, Step{"First", 0}}) {
    SCOPED_TRACE(s.button);
    QTest::mouseClick(Find<QToolButton>(f.dialog, s.button), Qt::LeftButton);
    EXPECT_EQ(grid->currentIndex().row(), s.row);
    EXPECT_TRUE(grid->hasFocus());
  }
  // Edit opens the editor on the current row's NIVEL; Cancel drops what was typed.
  QTest::mouseClick(Find<QToolButton>(f.dialog, "Edit"), Qt::LeftButton);
  TypeKeys("ESO");
  QTest::mouseClick(Find<QToolButton>(f.dialog, "Cancel"), Qt::LeftButton);
  EXPECT_EQ(CellText(*grid, 0, CoursesModel::kNivel), "");
  QTest::mouseClick(Find<QToolButton>(f.dialog, "Edit"), Qt::LeftButton);
  TypeKeys("ESO");
  QTest::mouseClick(Find<QToolButton>(f.dialog, "Post"), Qt::LeftButton);
  EXPECT_EQ(ColumnOf(f.table, "NIVEL")[0], "ESO");
}

TEST(CoursesDialog, TheFirstColumnStaysInPlaceWhenScrollingSideways) {
  DialogFixture f(false);
  CoursesGrid* grid = f.dialog.Grid();
  grid->setColumnWidth(CoursesModel::kEstud, 900);  // wider than the grid
  QApplication::processEvents();
  ASSERT_GT(grid->horizontalScrollBar()->maximum(), 0);
  grid->horizontalScrollBar()->setValue(grid->horizontalScrollBar()->maximum());
  QTableView* fixed = grid->FrozenColumn();
  EXPECT_TRUE(fixed->isVisible());
  EXPECT_EQ(fixed->width(), grid->columnWidth(CoursesModel::kClave));
  EXPECT_EQ(fixed->model()->index(0, 0).data().toString(), QStringLiteral("212306"));
}

// A whole exportar run from the main window's button, the levels typed into the grid.
TEST(CoursesDialogRun, MissingDataAsksAgainAndTheTypedLevelsMakeTheGroups) {
  FormFixture f;
  f.script.files = {f.WriteSchool()};
  std::vector<std::pair<bool, bool>> warningsBehindMessage;  // Label3, Label2
  f.script.onMessage = [&](QWidget* owner, const QString&) {
    if (auto* dialog = qobject_cast<TControlCursos*>(owner))
      warningsBehindMessage.push_back({Shows(*dialog, "Label3"), Shows(*dialog, "Label2")});
  };
  CourseDialogDriver driver({
      [&](TControlCursos& d) {
        // The busy cursor stays over the dialog while the job waits for it.
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        EXPECT_FALSE(Shows(d, "BitBtn2"));
        EXPECT_FALSE(Shows(d, "Label8"));
        EXPECT_FALSE(Shows(d, "Label3"));
        EXPECT_FALSE(Shows(d, "Label2"));
        CoursesGrid* grid = d.Grid();
        EXPECT_EQ(CellText(*grid, 0, CoursesModel::kClave), "212306");
        EXPECT_EQ(CellText(*grid, 1, CoursesModel::kEstud), "1º de Bachillerato");
        TypeIntoCell(*grid, 0, CoursesModel::kNivel, "ESO");
        PressKey(Qt::Key_Return);
        TypeKeys("1");
        PressKey(Qt::Key_Return);
        TypeIntoCell(*grid, 1, CoursesModel::kNivel, "BCT");  // CURSO left empty
        PressKey(Qt::Key_Return);
        QTest::mouseClick(Find<QPushButton>(d, "BitBtn1"), Qt::LeftButton);
      },
      [&](TControlCursos& d) {
        EXPECT_TRUE(Shows(d, "BitBtn2"));
        EXPECT_TRUE(Shows(d, "Label8"));
        EXPECT_FALSE(Shows(d, "Label3"));
        CoursesGrid* grid = d.Grid();
        EXPECT_EQ(CellText(*grid, 1, CoursesModel::kNivel), "BCT");  // kept from pass one
        TypeIntoCell(*grid, 1, CoursesModel::kCurso, "2");
        EXPECT_FALSE(Shows(d, "BitBtn2"));  // another column was entered
        EXPECT_FALSE(Shows(d, "Label8"));
        // OK straight from the open cell: the value is saved before the check.
        QTest::mouseClick(Find<QPushButton>(d, "BitBtn1"), Qt::LeftButton);
      },
  });
  f.Show();
  QTest::mouseClick(f.Button("BExportar"), Qt::LeftButton);

  EXPECT_TRUE(driver.AllStepsTaken());
  EXPECT_EQ(f.script.messages, (Messages{kMissing, kFinished}));
  EXPECT_EQ(warningsBehindMessage, (std::vector<std::pair<bool, bool>>{{true, true}}));
  EXPECT_EQ(f.form->session().TransformResult, 1);
  EXPECT_FALSE(f.Button("BExportar")->isEnabled());
  EXPECT_FALSE(f.Button("BImportar")->isEnabled());
  EXPECT_TRUE(f.Button("BClose")->isEnabled());
  EXPECT_TRUE(f.form->isVisible());  // stand-alone: the window stays
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(ColumnOf(f.Table("CURSOST.DBF"), "NIVEL"), (std::vector<std::string>{"ESO", "BCT"}));
  EXPECT_EQ(ColumnOf(f.Table("CURSOST.DBF"), "CURSO"), (std::vector<std::string>{"1", "2"}));
  EXPECT_EQ(ColumnOf(f.Table("GRUPOST.DBF"), "ABREV"),
            (std::vector<std::string>{"ESO1A", "BCT2A"}));
  // Stand-alone: nothing is reported to the host.
  QTest::mouseClick(f.Button("BClose"), Qt::LeftButton);
  EXPECT_FALSE(std::filesystem::exists(f.IniFile()));
}

TEST(CoursesDialogRun, ForcedExitClosesTheWindowAfterTheJob) {
  for (bool host : {false, true}) {
    SCOPED_TRACE(host ? "host mode" : "stand-alone");
    FormFixture f(host ? QStringList{"Exportar", "7FFFFFF0"} : QStringList{});
    f.script.files = {f.WriteSchool()};
    CourseDialogDriver driver({
        [](TControlCursos& d) {
          QTest::mouseClick(Find<QPushButton>(d, "BitBtn1"), Qt::LeftButton);
        },
        [](TControlCursos& d) {
          QTest::mouseClick(Find<QPushButton>(d, "BitBtn2"), Qt::LeftButton);
        },
    });
    f.Show();
    if (!host) QTest::mouseClick(f.Button("BExportar"), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !f.form->isVisible(); }));
    EXPECT_TRUE(driver.AllStepsTaken());
    EXPECT_EQ(f.script.messages, (Messages{kMissing}));
    EXPECT_EQ(f.form->session().TransformResult, 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(ReadIniValue(f.IniFile(), "Transformadores", "Transformado"),
              host ? std::optional<std::string>("0") : std::nullopt);
  }
}

TEST(CoursesDialogRun, ClosingByTheTitleBarEndsTheLoopAndKeepsWhatWasTyped) {
  FormFixture f;
  f.script.files = {f.WriteSchool()};
  CourseDialogDriver driver({[](TControlCursos& d) {
    TypeIntoCell(*d.Grid(), 0, CoursesModel::kNivel, "ESO");
    d.close();
  }});
  f.Show();
  QTest::mouseClick(f.Button("BExportar"), Qt::LeftButton);
  EXPECT_TRUE(driver.AllStepsTaken());
  EXPECT_EQ(driver.DialogsSeen(), 1);
  EXPECT_EQ(ColumnOf(f.Table("CURSOST.DBF"), "NIVEL"), (std::vector<std::string>{"ESO", ""}));
  EXPECT_EQ(f.script.messages, (Messages{kFinished}));
}

TEST(CoursesDialogRun, AnEmptyCourseTableBeginsABlankRowThatCountsAsMissing) {
  FormFixture f;
  f.script.files = {f.WriteSchool(/*withCourses=*/false)};
  CourseDialogDriver driver({
      [](TControlCursos& d) {
        EXPECT_EQ(d.Grid()->model()->rowCount(), 1);  // begun when the grid got the focus
        QTest::mouseClick(Find<QPushButton>(d, "BitBtn1"), Qt::LeftButton);
      },
      [](TControlCursos& d) {
        EXPECT_EQ(d.Grid()->model()->rowCount(), 1);  // posted by the first pass
        QTest::mouseClick(Find<QPushButton>(d, "BitBtn2"), Qt::LeftButton);
      },
  });
  f.Show();
  QTest::mouseClick(f.Button("BExportar"), Qt::LeftButton);
  EXPECT_TRUE(driver.AllStepsTaken());
  EXPECT_EQ(f.script.messages, (Messages{kMissing}));
  EXPECT_EQ(ColumnOf(f.Table("CURSOST.DBF"), "CLAVE"), (std::vector<std::string>{""}));
}

TEST(CoursesDialogRun, ATableThatCannotBeReadEndsThePassWithTheTableLayersError) {
  FormFixture f;
  const auto broken = f.dir / "CURSOST.DBF";
  test::WriteFile(broken, "esto no es una tabla");
  // The dialog closes by itself and the error goes back to the job, which reports it.
  EXPECT_THROW(f.form->EditCourseLevels(broken, false), TravalenError);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

}  // namespace
}  // namespace travalen
