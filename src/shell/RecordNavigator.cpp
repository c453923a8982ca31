// Ten equal buttons side by side; the ones that move repeat while held.
#include "RecordNavigator.h"

#include <QToolButton>

namespace travalen {

namespace {

struct ButtonInfo {
  const char* name;
  const char* glyph;
  const char* hint;
  bool repeats;
};

// Held down, only the moving buttons repeat: repeating an edit, a post, a cancel or a
// refresh would do nothing more than doing it once.
const ButtonInfo kButtons[RecordNavigator::kButtonCount] = {
    {"First", "|◀", "Primera fila", true},
    {"PriorPage", "◀◀", "10 filas atrás", true},
    {"Prior", "◀", "Fila anterior", true},
    {"Next", "▶", "Fila siguiente", true},
    {"NextPage", "▶▶", "10 filas adelante", true},
    {"Last", "▶|", "Última fila", true},
    {"Edit", "✎", "Modificar", false},
    {"Post", "✔", "Grabar", false},
    {"Cancel", "✘", "Cancelar", false},
    {"Refresh", "↻", "Refrescar", false},
};

constexpr int kRepeatDelayMs = 500;
constexpr int kRepeatIntervalMs = 100;

}  // namespace

RecordNavigator::RecordNavigator(QWidget* parent) : QWidget(parent) {
  for (int i = 0; i < kButtonCount; ++i) {
    auto* button = new QToolButton(this);
    button->setObjectName(QString::fromLatin1(kButtons[i].name));
    button->setText(QString::fromUtf8(kButtons[i].glyph));
    button->setToolTip(QString::fromUtf8(kButtons[i].hint));
    // The grid keeps the focus while its rows are moved through.
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoRepeat(kButtons[i].repeats);
    button->setAutoRepeatDelay(kRepeatDelayMs);
    button->setAutoRepeatInterval(kRepeatIntervalMs);
    connect(button, &QToolButton::clicked, this,
            [this, i] { emit Clicked(static_cast<Button>(i)); });
    buttons_[i] = button;
  }
}

void RecordNavigator::resizeEvent(QResizeEvent* /*event*/) {
  for (int i = 0; i < kButtonCount; ++i) {
    const int left = width() * i / kButtonCount;
    const int right = width() * (i + 1) / kButtonCount;
    buttons_[i]->setGeometry(left, 0, right - left, height());
  }
}

}  // namespace travalen
