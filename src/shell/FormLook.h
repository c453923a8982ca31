// The fonts, colours and label styles both of the program's forms are drawn with.
#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QRect>
#include <QString>

namespace travalen {

// The named colours of the forms, as Windows defines them.
inline const QColor kWhite(255, 255, 255);
inline const QColor kRed(255, 0, 0);
inline const QColor kMaroon(128, 0, 0);
inline const QColor kGreen(0, 128, 0);
inline const QColor kBlue(0, 0, 255);
inline const QColor kFuchsia(255, 0, 255);
inline const QColor kPurple(128, 0, 128);
inline const QColor kYellow(255, 255, 0);
inline const QColor kSkyBlue(166, 202, 240);

// The forms' own font, "MS Sans Serif", 8 pt unless told.
QFont FormFont(bool bold = false, int points = 8);
// "Arial" at `points`.
QFont ArialFont(int points, bool bold);

struct LabelLook {
  QFont font = FormFont();
  QColor text;        // invalid: the window-text colour
  QColor background;  // invalid: transparent
  bool wrap = true;
  bool underline = false;
  Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop;
};

// A fixed-size label at `geometry` of `parent`, named `name`, as the forms place them.
QLabel* PlaceLabel(QWidget* parent, const char* name, const QString& text, const QRect& geometry,
                   LabelLook look);

// Paints the text of `widget` (a label or a button) in `colour`.
void SetTextColour(QWidget* widget, const QColor& colour);

}  // namespace travalen
