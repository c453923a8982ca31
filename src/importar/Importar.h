// The timetable → Séneca direction as one job: BImportarClick.
#pragma once

#include "JobPort.h"
#include "Session.h"

namespace travalen {

// Asks for the Séneca file, reads the exchange tables and SOLUC from session.exchangeDir
// and saves "ResultadoVelmora" + the file's name beside it. Never throws: every failure
// reaches the person through the port; TransformResult is 1 only after a saved result.
void BImportarClick(Session& session, JobPort& port);

}  // namespace travalen
