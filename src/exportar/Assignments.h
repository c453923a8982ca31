// The subject assignments step: every MATERIAS record to every group of its course, into
// ASIGT.DBF.
#pragma once

#include <string>

#include "ExportRun.h"

namespace travalen {

// Re-creates ASIGT.DBF: for each subject record whose name ASIGNOMT.DBF knows, one row
// per GRUPOST.DBF group of the record's course, in stored order of the groups.
void LeeAsignaciones(const ExportRun& run);

// Whole hours for a weekly number of minutes, rounded up, and never less than one.
int HoursForMinutes(int minutes);
// The sessions a subject of `hours` weekly hours is split into, as the timetable program
// reads them: one "1" per one-hour session, at most thirteen, the rest counted in front
// (4 → "1111"; 14 → "1" and thirteen "1"; 20 → "7" and thirteen "1").
std::string SessionsText(int hours);

}  // namespace travalen
