// The subjects step and the activities step: MATERIAS and ACTIVIDADES into ASIGNOMT.DBF
// and ASIGNOMT2.DBF, with the short codes the timetable program names subjects by.
#pragma once

#include "ExportRun.h"

namespace travalen {

// Re-creates ASIGNOMT.DBF and ASIGNOMT2.DBF and writes one subject row per distinct
// subject and one subject-offer row per distinct pair of subject key and offer key.
// Throws TravalenError when the subject look-up table is missing or unreadable.
void LeeMaterias(const ExportRun& run);

// Appends one activity row per ACTIVIDADES record to the ASIGNOMT.DBF that LeeMaterias
// wrote in this run.
void LeeActividades(const ExportRun& run);

}  // namespace travalen
