// The record navigator above the course grid: move, edit, post, cancel and refresh.
#pragma once

#include <QWidget>

class QToolButton;

namespace travalen {

class RecordNavigator : public QWidget {
  Q_OBJECT

 public:
  enum Button {
    kFirst,
    kPriorPage,
    kPrior,
    kNext,
    kNextPage,
    kLast,
    kEdit,
    kPost,
    kCancel,
    kRefresh,
    kButtonCount
  };
  // How far the page buttons move.
  static constexpr int kPageRows = 10;

  explicit RecordNavigator(QWidget* parent = nullptr);
  QToolButton* ButtonAt(Button button) const { return buttons_[button]; }

 signals:
  void Clicked(RecordNavigator::Button button);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  QToolButton* buttons_[kButtonCount];
};

}  // namespace travalen
