// How the level/course grid marks a NIVEL or CURSO that the dialog proposed itself.
#pragma once

#include <QColor>
#include <QString>

#include "RememberedLevels.h"

namespace travalen {

// The tint of a proposed cell; invalid for a value the person typed (Stored) or none.
QColor ProposalTint(ProposalOrigin origin);
// What a proposed cell's tooltip says it is; empty for the person's own values.
QString ProposalMeaning(ProposalOrigin origin);
// The word the grid's legend uses for it.
QString ProposalLegendWord(ProposalOrigin origin);

}  // namespace travalen
