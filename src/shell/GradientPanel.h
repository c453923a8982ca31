// A panel painted with a three-colour gradient, the background of both forms.
#pragma once

#include <QColor>
#include <QWidget>

namespace travalen {

// Runs from `start` at the top through `middle` halfway down to `end` at the bottom.
class GradientPanel : public QWidget {
  Q_OBJECT

 public:
  GradientPanel(const QColor& start, const QColor& middle, const QColor& end, QWidget* parent);

  QColor StartColour() const { return start_; }
  QColor MiddleColour() const { return middle_; }
  QColor EndColour() const { return end_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor start_;
  QColor middle_;
  QColor end_;
};

}  // namespace travalen
