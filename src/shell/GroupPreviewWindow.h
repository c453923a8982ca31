// "Vista previa de grupos": the names the units' groups will get, beside the course dialog.
#pragma once

#include <QString>
#include <QWidget>
#include <vector>

#include "Courses.h"
#include "SenecaDocument.h"

class QLabel;
class QListWidget;
class QTreeWidget;

namespace travalen {

// A tool window of the level/course dialog. The dialog's own layout is fixed and full, so
// the names go into a window of their own placed beside it rather than into the dialog:
// nothing of the dialog moves or hides, and the person can keep both in sight while
// typing. It is owned by the dialog (above it, not blocked by its modality, gone with it)
// and never takes the keyboard from the grid by itself.
class GroupPreviewWindow : public QWidget {
  Q_OBJECT

 public:
  // `document` is the run's document; it must outlive the window.
  GroupPreviewWindow(const SenecaDocument& document, QWidget* owner);

  // Shows the group names the units get when CURSOST holds `courses`, and what in those
  // levels will give names the person does not expect.
  void ShowCourses(const std::vector<CourseRow>& courses);
  // Something the dialog could not do that the person should know of, shown first among
  // the warnings; empty for nothing.
  void SetNotice(const QString& text);
  // Puts the window beside `dialog`: to its right when the screen has room, else to its
  // left, else under it, else over its right edge.
  void PlaceBeside(const QWidget& dialog);

  QTreeWidget* Groups() const { return groups_; }
  QListWidget* Warnings() const { return warnings_; }

 private:
  const SenecaDocument& document_;
  QString notice_;
  QLabel* heading_;
  QTreeWidget* groups_;
  QListWidget* warnings_;
};

}  // namespace travalen
