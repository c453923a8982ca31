// The level/course dialog: one pass over CURSOST.DBF in a grid, with OK and force exit.
#pragma once

#include <QDialog>
#include <QPointer>
#include <exception>
#include <filesystem>

class QLabel;
class QPushButton;

namespace travalen {

class CoursesGrid;
class CoursesModel;
class GradientPanel;
class HelpWindow;
class Prompts;
class RecordNavigator;

// A new dialog is made for every pass. It edits the table while it is shown and closes it
// when it closes, whichever way that happens.
class TControlCursos : public QDialog {
  Q_OBJECT

 public:
  // `reintento`: a pass after one that found missing data; the force-exit button and its
  // warning show from the start. Messages go through `prompts`; F1 opens the page of help
  // context 1 in `helpDir`.
  TControlCursos(std::filesystem::path coursesTable, bool reintento, Prompts& prompts,
                 std::filesystem::path helpDir, QWidget* parent = nullptr);
  ~TControlCursos() override;

  // OK found a course without NIVEL or CURSO.
  bool FaltanDatos() const { return faltanDatos_; }
  // "fuera" after the force exit, empty otherwise.
  const QString& Salida() const { return salida_; }
  // An error of the table layer that ended the pass early, or null. The caller rethrows
  // it once the dialog has closed, so that the job reports it as every table error.
  std::exception_ptr Failure() const { return failure_; }

  CoursesGrid* Grid() const { return CursosTDBGrid; }

 public slots:
  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void FormShow();
  void BitBtn1Click();
  void BitBtn2Click();
  void CursosTDBGridEnter();
  void CursosTDBGridExit();
  void CursosTDBGridColEnter();
  void NavigatorClick(int button);
  // Runs `handler`; a table error it raises ends the pass (see Failure).
  template <typename Handler>
  void Guarded(Handler handler);
  void CloseTable();

  std::filesystem::path coursesTable_;
  bool reintento_;
  Prompts& prompts_;
  std::filesystem::path helpDir_;
  bool faltanDatos_ = false;
  QString salida_;
  std::exception_ptr failure_;
  bool shown_ = false;

  CoursesModel* model_;
  GradientPanel* Draw3D1;
  QLabel* Label1;
  RecordNavigator* wwDBNavigator1;
  CoursesGrid* CursosTDBGrid;
  QLabel* Label2;
  QLabel* Label3;
  QLabel* Label8;
  QPushButton* BitBtn1;
  QPushButton* BitBtn2;
  QPointer<HelpWindow> help_;
};

}  // namespace travalen
