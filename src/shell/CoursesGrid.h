// The level/course grid: a table view whose first column stays put, Enter moving on as
// Tab does, and enter/leave signals for the grid as a whole, its cell editor included.
#pragma once

#include <QTableView>

namespace travalen {

class CoursesModel;

class CoursesGrid : public QTableView {
  Q_OBJECT

 public:
  explicit CoursesGrid(QWidget* parent = nullptr);
  ~CoursesGrid() override;

  void SetCoursesModel(CoursesModel* model);
  // Writes what the open cell editor holds into the model and closes the editor.
  void CommitEditor();
  // Closes the open cell editor, dropping what was typed.
  void RevertEditor();
  // Opens the editor on the current cell, or on NIVEL of the current row when the
  // current cell cannot be edited.
  void EditCurrent();
  // Moves the current row by `delta`, kept within the rows, in the current column.
  void MoveRows(int delta);
  void MoveToRow(int row);

  // The view showing the first column over the scrolled one.
  QTableView* FrozenColumn() const { return frozen_; }

 signals:
  // The focus came into the grid from elsewhere, or left it for a widget outside it.
  void Entered();
  void Exited();
  // Another column became the current one.
  void ColumnEntered(int column);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
  void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
  void updateGeometries() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FocusChanged(QWidget* old, QWidget* now);
  void PlaceFrozenColumn();
  bool Contains(const QWidget* widget) const;
  void ApplyColumnWidths();

  QTableView* frozen_;
  CoursesModel* model_ = nullptr;
};

}  // namespace travalen
