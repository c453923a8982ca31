// The units step: UNIDADES into GRUPOST.DBF, group names from the courses' levels.
#pragma once

#include "ExportRun.h"

namespace travalen {

// Re-creates GRUPOST.DBF with one row per unit record; the group's abbreviation is up to
// five characters of its course's NIVEL, the first character of its CURSO and the first
// letter from A upward that no earlier group of the run took, letter case aside. Reads
// the courses from the CURSOST.DBF of this run. Throws TravalenError when one base runs
// out of letters.
void LeeUnidades(const ExportRun& run);

}  // namespace travalen
