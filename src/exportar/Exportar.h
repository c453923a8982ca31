// The Séneca → timetable direction as one job: BExportarClick.
#pragma once

#include "JobPort.h"
#include "Session.h"

namespace travalen {

// Asks for the Séneca file, loads it into session.XmlDoc and runs the nine block steps
// into session.exchangeDir. Never throws: every failure reaches the person through
// the port, and session.TransformResult is 1 only after a completed run.
void BExportarClick(Session& session, JobPort& port);

}  // namespace travalen
