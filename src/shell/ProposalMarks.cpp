// Tints light enough for the cell text to stay black on them, and far from both row colours
// of the grid (pale blue, lavender) and from the selection's blue.
#include "ProposalMarks.h"

namespace travalen {

QColor ProposalTint(ProposalOrigin origin) {
  switch (origin) {
    case ProposalOrigin::Remembered:
      return QColor(198, 239, 190);  // pale green: the school's own choice of before
    case ProposalOrigin::Suggested:
      return QColor(255, 236, 160);  // pale amber: a guess worth a look
    case ProposalOrigin::Stored:
    case ProposalOrigin::None:
      break;
  }
  return {};
}

QString ProposalMeaning(ProposalOrigin origin) {
  switch (origin) {
    case ProposalOrigin::Remembered:
      return QStringLiteral("Recordado del año pasado");
    case ProposalOrigin::Suggested:
      return QStringLiteral("Sugerido a partir de la descripción");
    case ProposalOrigin::Stored:
    case ProposalOrigin::None:
      break;
  }
  return {};
}

QString ProposalLegendWord(ProposalOrigin origin) {
  switch (origin) {
    case ProposalOrigin::Remembered:
      return QStringLiteral("Recordado");
    case ProposalOrigin::Suggested:
      return QStringLiteral("Sugerido");
    case ProposalOrigin::Stored:
    case ProposalOrigin::None:
      break;
  }
  return {};
}

}  // namespace travalen
