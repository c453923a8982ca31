// The school calendar step: academic year and school-year dates into PERIODOS.DBF.
#pragma once

#include "ExportRun.h"

namespace travalen {

// Writes one PERIODOS row for each of the document's first two blocks that carries two
// or more values of its own; when the last row lacks a date, both dates come from the
// first JORNADAS_ESCOLARES record. Throws TravalenError when no row can be written.
void LeePeriodos(const ExportRun& run);

}  // namespace travalen
