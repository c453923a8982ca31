// Vertical gradient painting for the forms' panels.
#include "GradientPanel.h"

#include <QLinearGradient>
#include <QPaintEvent>
#include <QPainter>

namespace travalen {

GradientPanel::GradientPanel(const QColor& start, const QColor& middle, const QColor& end,
                             QWidget* parent)
    : QWidget(parent), start_(start), middle_(middle), end_(end) {
  // Every pixel is painted here, so the area below need not be cleared first; Qt's
  // backing store already double-buffers the painting, so the panel never flickers.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void GradientPanel::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  QLinearGradient gradient(0, 0, 0, height());
  gradient.setColorAt(0.0, start_);
  gradient.setColorAt(0.5, middle_);
  gradient.setColorAt(1.0, end_);
  painter.fillRect(event->rect(), gradient);
}

}  // namespace travalen
