// The courses step: CURSOS_DEL_CENTRO into CURSOST.DBF, then the level/course dialog.
#pragma once

#include "ExportRun.h"
#include "JobPort.h"

namespace travalen {

enum class CoursesOutcome {
  Completed,   // every pass ended, the last one without missing data
  ForcedExit,  // the person forced the dialog's exit: the run must stop here
};

// Writes one CURSOST row per course record, then shows the level/course dialog through
// the port until a pass comes back without missing data. `reintento` is set before any
// pass that follows missing data and is never cleared here.
CoursesOutcome LeeCursos(const ExportRun& run, JobPort& port, bool& reintento);

}  // namespace travalen
