// What the GUI tests share: scripted answers of the person, a driver for the modal
// level/course dialog, typing into the grid, and a main window over temporary folders.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "CoursesDialog.h"
#include "CoursesGrid.h"
#include "DbfTable.h"
#include "MainForm.h"
#include "Prompts.h"
#include "ReportWindow.h"
#include "SenecaBuilder.h"
#include "TestSupport.h"
#include "Text8.h"

namespace travalen::test {

// What the person answers and what they were shown, for one test.
struct PersonScript {
  struct Message {
    QString text;
    MessageKind kind;
    bool operator==(const Message&) const = default;
  };
  // Answers to the file dialog, in order; when they run out the person cancels.
  std::deque<std::optional<std::filesystem::path>> files;
  std::vector<std::filesystem::path> fileDialogDirs;
  std::vector<Message> messages;
  // Called while a message is up, to look at the window behind it.
  std::function<void(QWidget* owner, const QString& text)> onMessage;
  // Answers to "Guardar informe", in order; when they run out the person cancels.
  std::deque<std::optional<std::filesystem::path>> csvFiles;
  // The reports the jobs showed, in order.
  std::vector<ConversionReport> reports;
  // What the person does in the report window. Unset, the report is only recorded and
  // no window comes up; set, the real window comes up modally, this runs once it is up,
  // and the window is closed after it.
  std::function<void(ReportWindow& window)> onReport;
};

class ScriptedPrompts : public Prompts {
 public:
  explicit ScriptedPrompts(PersonScript& script) : script_(script) {}

  std::optional<std::filesystem::path> ChooseXmlFile(
      QWidget*, const std::filesystem::path& initialDir) override {
    script_.fileDialogDirs.push_back(initialDir);
    if (script_.files.empty()) return std::nullopt;
    auto answer = script_.files.front();
    script_.files.pop_front();
    return answer;
  }
  void ShowMessage(QWidget* owner, const QString& text, MessageKind kind) override {
    script_.messages.push_back({text, kind});
    if (script_.onMessage) script_.onMessage(owner, text);
  }
  std::optional<std::filesystem::path> ChooseCsvFile(QWidget*,
                                                     const std::filesystem::path&) override {
    if (script_.csvFiles.empty()) return std::nullopt;
    auto answer = script_.csvFiles.front();
    script_.csvFiles.pop_front();
    return answer;
  }
  void ShowReport(QWidget* owner, const ConversionReport& report,
                  const std::filesystem::path& suggestedCsv) override {
    script_.reports.push_back(report);
    if (!script_.onReport) return;
    ReportWindow window(report, *this, suggestedCsv, owner);
    QTimer::singleShot(0, &window, [&] {
      script_.onReport(window);
      window.accept();
    });
    window.exec();
  }

 private:
  PersonScript& script_;
};

// Acts on each level/course dialog as it comes up modally, one step per dialog. A dialog
// for which no step is left, or one still open long after its step, is a failure and is
// closed so that the test ends instead of waiting forever.
class CourseDialogDriver {
 public:
  using Step = std::function<void(TControlCursos&)>;

  explicit CourseDialogDriver(std::vector<Step> steps) : steps_(steps.begin(), steps.end()) {
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    timer_.start(10);
  }
  bool AllStepsTaken() const { return steps_.empty(); }
  int DialogsSeen() const { return seen_; }

 private:
  void Poll() {
    auto* dialog = qobject_cast<TControlCursos*>(QApplication::activeModalWidget());
    if (!dialog) return;
    // About ten seconds of polls: long enough for any step, short of a hung test.
    if (++pollsOnDialog_ > 1000) {
      ADD_FAILURE() << "the level/course dialog stayed open";
      dialog->reject();
      return;
    }
    if (dialog->property("driven").toBool()) return;
    // The person acts once the dialog has the keyboard, as they would.
    if (QApplication::activeWindow() != dialog) {
      dialog->activateWindow();
      return;
    }
    dialog->setProperty("driven", true);
    pollsOnDialog_ = 0;
    ++seen_;
    if (steps_.empty()) {
      ADD_FAILURE() << "an unexpected level/course dialog";
      dialog->reject();
      return;
    }
    Step step = steps_.front();
    steps_.pop_front();
    step(*dialog);
  }

  QTimer timer_;
  std::deque<Step> steps_;
  int seen_ = 0;
  int pollsOnDialog_ = 0;
};

template <typename T>
T* Find(const QObject& parent, const char* name) {
  T* child = parent.findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(child, nullptr) << name;
  return child;
}

// The person's keys, sent where the focus is, as the keyboard does.
inline void TypeKeys(const QString& text) {
  for (QChar c : text) {
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr) << "no widget has the keyboard focus";
    QTest::keyClicks(focus, QString(c));
  }
}
inline void PressKey(Qt::Key key) {
  QWidget* focus = QApplication::focusWidget();
  ASSERT_NE(focus, nullptr) << "no widget has the keyboard focus";
  QTest::keyClick(focus, key);
}

// Puts the cursor on a cell of the grid and types into it; the editor opens with the
// first key, as in any grid. Enter is left to the caller.
inline void TypeIntoCell(CoursesGrid& grid, int row, int column, const QString& text) {
  grid.setFocus(Qt::OtherFocusReason);
  grid.setCurrentIndex(grid.model()->index(row, column));
  TypeKeys(text);
}

inline QString CellText(const CoursesGrid& grid, int row, int column) {
  return grid.model()->index(row, column).data().toString();
}

// Every row of a table, one field, in UTF-8.
inline std::vector<std::string> ColumnOf(const std::filesystem::path& table,
                                         const std::string& field) {
  DbfTable dbf = DbfTable::Open(table);
  std::vector<std::string> values;
  const int index = dbf.FieldIndex(field);
  for (std::size_t r = 0; r < dbf.RowCount(); ++r)
    values.push_back(Cp1252ToUtf8(dbf.TextAt(r, index)));
  return values;
}

// The subject look-up table the program ships, empty: every code is generated.
inline std::filesystem::path WriteEmptySubjectLookup(const std::filesystem::path& file) {
  CreateTable(file.parent_path(), file.filename().string(),
              {{"NOMBRE", FieldKind::Text, 100},
               {"COD", FieldKind::Text, 12},
               {"CODLARGO", FieldKind::Text, 12}});
  return file;
}

// A small school: two courses, their subjects, one teacher, units of both courses.
inline std::vector<SenecaBlock> SchoolBlocks(bool withCourses = true) {
  std::vector<SenecaBlock> blocks = {
      {"ANNO_ACADEMICO", {}, {"2023", "01/09/2023", "31/08/2024"}},
      {"CURSOS_DEL_CENTRO", {{"212306", "1º de E.S.O."}, {"212307", "1º de Bachillerato"}}},
      {"MATERIAS", {{"212306", "10", "Matemáticas"}, {"212307", "11", "Física"}}},
      {"ACTIVIDADES", {{"S", "1", "Guardia"}}},
      {"DEPENDENCIAS", {{"1001", "Aula 1"}}},
      {"JORNADAS_ESCOLARES", {{"1", "L", "08/09/2023", "21/06/2024"}}},
      {"TRAMOS_HORARIOS", {{"100", "1ª", "480", "540"}}},
      {"UNIDADES", {{"u1", "1ºA", "212306"}, {"u2", "1ºA", "212307"}}},
      {"EMPLEADOS", {{"500", "01/09/2020", "Matemáticas", "García", "López", "Ana"}}}};
  if (!withCourses) blocks.erase(blocks.begin() + 1);
  return blocks;
}

// A main window over fresh folders: exchange folder, subject table, INI file and help
// all inside one temporary folder; the person's answers come from `script`.
// The level/course dialog's proposals and group names are off unless a test asks for
// them: most tests play a person who types every level into an empty grid.
struct FormFixture {
  explicit FormFixture(const QStringList& parameters = {}, bool courseLevelAids = false) {
    MFormSetup setup;
    setup.prompts = std::make_unique<ScriptedPrompts>(script);
    setup.courseLevelAids = courseLevelAids;
    setup.hostIniFile = IniFile();
    setup.helpDir = dir / "help";
    form = std::make_unique<TMForm>(parameters, std::move(setup));
    form->session().exchangeDir = dir / "VTEMP";
    form->session().subjectLookupTable = WriteEmptySubjectLookup(dir / "SENEMATERIAS.DBF");
  }
  ~FormFixture() {
    form.reset();
    // Nothing a test left behind may reach the next one.
    while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
  }

  std::filesystem::path IniFile() const { return dir / "Velmora.ini"; }
  std::filesystem::path Table(const std::string& name) const { return dir / "VTEMP" / name; }
  std::filesystem::path WriteSchool(bool withCourses = true) {
    return WriteSeneca(dir / "seneca.xml", SchoolBlocks(withCourses));
  }
  // Shows the window and lets FormShow, which runs once the window is up, run.
  void Show() {
    form->show();
    form->activateWindow();
    bool settled = false;
    QTimer::singleShot(0, [&] { settled = true; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return settled; }));
  }
  QPushButton* Button(const char* name) const { return Find<QPushButton>(*form, name); }

  TempDir dir;
  PersonScript script;
  std::unique_ptr<TMForm> form;
};

}  // namespace travalen::test
