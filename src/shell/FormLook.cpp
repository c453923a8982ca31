// Font substitutes chosen for their widths: the layouts are fixed in pixels.
#include "FormLook.h"

#include <QPalette>
#include <QStringList>

namespace travalen {

namespace {

// The forms were laid out in pixels for Windows at 96 dots per inch, where a font of
// `points` is drawn round(points * 96 / 72) pixels high. Fonts are given in pixels so
// that a different screen resolution does not push texts out of their fixed places.
int PixelsForPoints(int points) { return (points * 96 + 36) / 72; }

QFont FontOf(const QStringList& families, int points, bool bold) {
  QFont font;
  font.setFamilies(families);
  font.setPixelSize(PixelsForPoints(points));
  font.setBold(bold);
  font.setStyleHint(QFont::SansSerif);
  return font;
}

}  // namespace

QFont FormFont(bool bold, int points) {
  // MS Sans Serif exists on Windows only. Liberation Sans comes closest in width among
  // the free fonts (DejaVu Sans runs about a tenth wider and overflows the fixed labels).
  return FontOf({"MS Sans Serif", "Microsoft Sans Serif", "Liberation Sans", "Arial"}, points,
                bold);
}

QFont ArialFont(int points, bool bold) {
  // Liberation Sans has Arial's metrics glyph for glyph.
  return FontOf({"Arial", "Liberation Sans"}, points, bold);
}

QLabel* PlaceLabel(QWidget* parent, const char* name, const QString& text, const QRect& geometry,
                   LabelLook look) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromLatin1(name));
  QFont font = look.font;
  font.setUnderline(look.underline);
  label->setFont(font);
  label->setGeometry(geometry);
  label->setWordWrap(look.wrap);
  label->setAlignment(look.alignment);
  label->setTextFormat(Qt::PlainText);
  label->setMargin(0);
  if (look.text.isValid()) SetTextColour(label, look.text);
  if (look.background.isValid()) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, look.background);
    label->setPalette(palette);
    label->setAutoFillBackground(true);
  }
  return label;
}

void SetTextColour(QWidget* widget, const QColor& colour) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::WindowText, colour);
  palette.setColor(QPalette::ButtonText, colour);
  palette.setColor(QPalette::Text, colour);
  widget->setPalette(palette);
}

}  // namespace travalen
