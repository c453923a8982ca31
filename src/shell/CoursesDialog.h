// The level/course dialog: one pass over CURSOST.DBF in a grid, with OK and force exit.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>
#include <exception>
#include <filesystem>
#include <vector>

#include "RememberedLevels.h"

class QLabel;
class QPushButton;

namespace travalen {

class CoursesGrid;
class CoursesModel;
class GradientPanel;
class GroupPreviewWindow;
class HelpWindow;
class Prompts;
class RecordNavigator;
class SenecaDocument;

// What the dialog offers the person beyond the table, when the run can tell it.
struct CourseLevelAids {
  // The run's document, which outlives the dialog; null: the table alone, with neither
  // proposals nor the group names beside it.
  const SenecaDocument* document = nullptr;
  // The exchange folder, where the levels of earlier runs are remembered.
  std::filesystem::path exchangeDir;
  // Whether this pass fills the courses that have no NIVEL and no CURSO with proposals.
  bool propose = false;
  // The proposals of the run, one per row: a pass that proposes keeps them here, and a
  // later pass marks the cells that still hold them. Null: nothing is kept.
  std::vector<CourseProposal>* proposals = nullptr;
};

// A new dialog is made for every pass. It edits the table while it is shown and closes it
// when it closes, whichever way that happens.
class TControlCursos : public QDialog {
  Q_OBJECT

 public:
  // `reintento`: a pass after one that found missing data; the force-exit button and its
  // warning show from the start. Messages go through `prompts`; F1 opens the page of help
  // context 1 in `helpDir`.
  TControlCursos(std::filesystem::path coursesTable, bool reintento, Prompts& prompts,
                 std::filesystem::path helpDir, QWidget* parent = nullptr,
                 CourseLevelAids aids = {});
  ~TControlCursos() override;

  // OK found a course without NIVEL or CURSO.
  bool FaltanDatos() const { return faltanDatos_; }
  // "fuera" after the force exit, empty otherwise.
  const QString& Salida() const { return salida_; }
  // An error of the table layer that ended the pass early, or null. The caller rethrows
  // it once the dialog has closed, so that the job reports it as every table error.
  std::exception_ptr Failure() const { return failure_; }

  CoursesGrid* Grid() const { return CursosTDBGrid; }
  // The group names beside the dialog; null without a document, or before it shows.
  GroupPreviewWindow* Preview() const;

 public slots:
  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
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
  void ProposeLevels();
  void OpenPreview();
  void UpdatePreview();

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

  CourseLevelAids aids_;
  // Why nothing was proposed although the pass should have; empty when all went well.
  QString proposalTrouble_;
  QLabel* rememberedLegend_;
  QLabel* suggestedLegend_;
  QPushButton* previewButton_;
  QPointer<GroupPreviewWindow> preview_;
};

}  // namespace travalen
