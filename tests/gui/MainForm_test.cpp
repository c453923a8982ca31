// The main window: its look, the launch parameters, the result file, help.
#include "MainForm.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QLabel>
#include <QTextBrowser>

#include "GradientPanel.h"
#include "GuiFixtures.h"
#include "HelpWindow.h"
#include "IniFile.h"
#include "PathText.h"

namespace travalen {
namespace {

using test::FormFixture;
using test::PersonScript;

using Messages = std::vector<PersonScript::Message>;
const PersonScript::Message kNoFile{"No existe archivo", MessageKind::Error};

// A handle that is well-formed but names no window on any display we run on.
const char* const kNoWindow = "7FFFFFF0";

TEST(MainForm, LayoutAsDesigned) {
  FormFixture f;
  f.Show();
  TMForm& form = *f.form;
  EXPECT_EQ(form.windowTitle(), QStringLiteral("Exportar e importar datos entre Velmora y Séneca"));
  EXPECT_EQ(form.size(), QSize(632, 266));
  EXPECT_EQ(form.minimumSize(), form.maximumSize());
  EXPECT_FALSE(form.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));

  struct Panel {
    const char* name;
    QRect geometry;
    QColor start, middle, end;
  };
  const QColor orange(249, 211, 125), white(255, 255, 255), peach(255, 238, 221);
  for (const Panel& p : {Panel{"Draw3D2", {1, 0, 315, 169}, orange, white, peach},
                         Panel{"Draw3D3", {316, 0, 317, 169}, orange, white, peach},
                         Panel{"Draw3D1",
                               {0, 168, 633, 97},
                               QColor(194, 205, 254),
                               QColor(207, 242, 254),
                               QColor(204, 216, 230)}}) {
    SCOPED_TRACE(p.name);
    auto* panel = test::Find<GradientPanel>(form, p.name);
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->geometry(), p.geometry);
    EXPECT_EQ(panel->StartColour(), p.start);
    EXPECT_EQ(panel->MiddleColour(), p.middle);
    EXPECT_EQ(panel->EndColour(), p.end);
  }

  struct Control {
    const char* name;
    const char* parent;
    QRect geometry;
    const char* text;
  };
  for (const Control& c : {
           Control{"Label3",
                   "Draw3D2",
                   {24, 24, 265, 57},
                   "Transformar datos desde Séneca hacia Velmora "},
           Control{"BExportar", "Draw3D2", {96, 120, 89, 25}, "Aceptar"},
           Control{"Label4",
                   "Draw3D3",
                   {8, 24, 305, 57},
                   "Transformar datos desde Velmora hacia Séneca"},
           Control{"BImportar", "Draw3D3", {96, 120, 89, 25}, "Aceptar"},
           Control{"BClose", "Draw3D1", {256, 32, 89, 25}, "&Salir"},
           Control{"Button1", "Draw3D1", {264, 67, 75, 19}, "F1 AYUDA"},
           Control{"Label1", "Draw3D1", {8, 72, 227, 13}, "Travalen V-1.0"},
       }) {
    SCOPED_TRACE(c.name);
    auto* widget = test::Find<QWidget>(form, c.name);
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->parentWidget()->objectName(), c.parent);
    EXPECT_EQ(widget->geometry(), c.geometry);
    const QString text = widget->property("text").toString();
    EXPECT_EQ(text.toStdString(), c.text);
  }
  auto* label3 = test::Find<QLabel>(form, "Label3");
  EXPECT_TRUE(label3->font().bold());
  EXPECT_EQ(label3->font().pixelSize(), 16);  // 12 pt at 96 dpi
  EXPECT_TRUE(label3->wordWrap());
  auto* label1 = test::Find<QLabel>(form, "Label1");
  EXPECT_TRUE(label1->font().bold());
  EXPECT_EQ(label1->palette().color(QPalette::WindowText), QColor(255, 0, 0));
  EXPECT_FALSE(f.Button("BExportar")->icon().isNull());
  EXPECT_FALSE(f.Button("BClose")->icon().isNull());

  // Tab order: the bottom band first, then the job panels.
  QWidget* w = f.Button("BClose");
  for (const char* next : {"Button1", "BExportar", "BImportar"}) {
    w = w->nextInFocusChain();
    while (w->focusPolicy() == Qt::NoFocus) w = w->nextInFocusChain();
    EXPECT_EQ(w->objectName(), next);
  }
}

struct ParameterCase {
  const char* title;
  QStringList parameters;
  int hostLaunched;
  bool jobStarts;                            // the file dialog comes up by itself
  Messages messages;                         // after the job, with the dialog cancelled
  bool closesItself;                         // the job's end closes the window
  std::optional<std::string> iniAfterClose;  // nothing: no INI file written
};

TEST(MainForm, LaunchParametersDecideModeJobAndReport) {
  const QString badHandle = QStringLiteral("'$zz' no es un valor entero válido");
  const QString overflow = QStringLiteral("'$123456789' no es un valor entero válido");
  const std::vector<ParameterCase> cases = {
      {"none", {}, 0, false, {}, false, std::nullopt},
      {"EXPORTAR", {"EXPORTAR", kNoWindow}, 2, true, {kNoFile}, true, "-1"},
      {"Importar", {"Importar", kNoWindow}, 2, true, {kNoFile}, true, "-1"},
      {"export", {"export", kNoWindow}, 2, false, {}, false, "0"},
      {"three parameters", {"exportar", kNoWindow, "x"}, 0, false, {}, false, std::nullopt},
      {"handle not hex",
       {"exportar", "zz"},
       0,
       true,
       {{badHandle, MessageKind::Error}, kNoFile},
       false,
       std::nullopt},
      {"handle above 32 bits",
       {"importar", "123456789"},
       0,
       true,
       {{overflow, MessageKind::Error}, kNoFile},
       false,
       std::nullopt},
  };
  for (const ParameterCase& c : cases) {
    SCOPED_TRACE(c.title);
    FormFixture f(c.parameters);
    EXPECT_EQ(f.form->session().HostLaunched, c.hostLaunched);
    EXPECT_EQ(f.form->session().TransformResult, 0);
    f.Show();
    EXPECT_EQ(f.script.fileDialogDirs.size(), c.jobStarts ? 1u : 0u);
    EXPECT_EQ(f.script.messages, c.messages);
    EXPECT_EQ(f.form->isVisible(), !c.closesItself);
    EXPECT_TRUE(f.Button("BExportar")->isEnabled());
    EXPECT_TRUE(f.Button("BImportar")->isEnabled());
    if (!c.closesItself) QTest::mouseClick(f.Button("BClose"), Qt::LeftButton);
    EXPECT_FALSE(f.form->isVisible());
    EXPECT_EQ(ReadIniValue(f.IniFile(), "Transformadores", "Transformado"), c.iniAfterClose);
  }
}

TEST(MainForm, TheResultFileKeepsTheHostsOtherSettings) {
  FormFixture f({"importar", kNoWindow});
  test::WriteFile(f.IniFile(),
                  "[Velmora]\r\nUltimo=C:\\VTEMP\r\n\r\n[Transformadores]\r\nTransformado=1\r\n"
                  "Otro=3\r\n");
  f.Show();
  EXPECT_FALSE(f.form->isVisible());
  EXPECT_EQ(test::ReadFile(f.IniFile()),
            "[Velmora]\r\nUltimo=C:\\VTEMP\r\n\r\n[Transformadores]\r\nTransformado=-1\r\n"
            "Otro=3\r\n");
}

TEST(MainForm, FileDialogOpensInTheSenecaFolderWhenThereIsOne) {
  FormFixture f;
  f.Show();
  const auto exchange = f.form->session().exchangeDir;
  QTest::mouseClick(f.Button("BImportar"), Qt::LeftButton);  // no exchange folder yet
  std::filesystem::create_directories(exchange);
  QTest::mouseClick(f.Button("BImportar"), Qt::LeftButton);
  std::filesystem::create_directories(exchange / "seneca");
  QTest::mouseClick(f.Button("BExportar"), Qt::LeftButton);
  ASSERT_EQ(f.script.fileDialogDirs.size(), 3u);
  EXPECT_EQ(f.script.fileDialogDirs[0], ToPath(QDir::homePath()));
  EXPECT_EQ(f.script.fileDialogDirs[1], exchange);
  EXPECT_EQ(f.script.fileDialogDirs[2], exchange / "seneca");
  // Cancelled jobs leave the buttons as they were and no busy cursor behind.
  EXPECT_EQ(f.script.messages, (Messages{kNoFile, kNoFile, kNoFile}));
  EXPECT_TRUE(f.Button("BExportar")->isEnabled());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(MainForm, AFailedJobRestoresTheCursorAndKeepsTheButtons) {
  FormFixture f;
  const auto file = f.dir / "roto.xml";
  test::WriteFile(file, "<SERVICIO><BLOQUE_DATOS>");
  f.script.files = {file};
  f.Show();
  QTest::mouseClick(f.Button("BExportar"), Qt::LeftButton);
  ASSERT_EQ(f.script.messages.size(), 1u);
  EXPECT_EQ(f.script.messages[0].kind, MessageKind::Error);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_TRUE(f.Button("BExportar")->isEnabled());
  EXPECT_TRUE(f.Button("BImportar")->isEnabled());
  EXPECT_EQ(f.form->session().TransformResult, 0);
}

TEST(MainForm, HelpOpensTheManualsPagesWhenTheyAreThere) {
  FormFixture f;
  f.Show();
  // No manual installed: nothing opens and nothing is said.
  QTest::keyClick(f.form.get(), Qt::Key_F1);
  QTest::mouseClick(f.Button("Button1"), Qt::LeftButton);
  EXPECT_EQ(f.form->findChild<HelpWindow*>(), nullptr);
  EXPECT_TRUE(f.script.messages.empty());

  std::filesystem::create_directories(f.dir / "help");
  test::WriteFile(f.dir / "help" / "contexto1.html",
                  "<html><head><title>Ayuda: la ventana</title></head><body>Ventana</body></html>");
  test::WriteFile(f.dir / "help" / "indice.html",
                  "<html><head><title>Índice</title></head><body>Índice</body></html>");
  QTest::keyClick(f.form.get(), Qt::Key_F1);
  auto* help = f.form->findChild<HelpWindow*>();
  ASSERT_NE(help, nullptr);
  EXPECT_TRUE(help->isVisible());
  EXPECT_EQ(help->Browser()->source().toLocalFile().toStdString(),
            (f.dir / "help" / "contexto1.html").string());
  EXPECT_EQ(help->windowTitle(), QStringLiteral("Ayuda: la ventana"));

  QTest::mouseClick(f.Button("Button1"), Qt::LeftButton);
  EXPECT_EQ(f.form->findChildren<HelpWindow*>().size(), 1);
  EXPECT_EQ(help->Browser()->source().toLocalFile().toStdString(),
            (f.dir / "help" / "indice.html").string());
}

}  // namespace
}  // namespace travalen
