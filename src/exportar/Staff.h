// The staff step and the rooms step: EMPLEADOS into PROFT.DBF, DEPENDENCIAS into AULAT.DBF.
#pragma once

#include "ExportRun.h"

namespace travalen {

// Re-creates PROFT.DBF with one row per staff record, each with initials that no earlier
// teacher of the run carries, letter case aside.
void LeeEmpleados(const ExportRun& run);

// Re-creates AULAT.DBF with one row per room; a room's abbreviation is its Séneca key.
void LeeDependencias(const ExportRun& run);

}  // namespace travalen
