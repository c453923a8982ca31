// What both jobs do at their start and when they fail: the file choice and last words.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "JobPort.h"
#include "Session.h"

namespace travalen {

// Asks for the Séneca file and keeps it, as a full path, in session.XmlFileName. Gives
// nothing when the dialog was cancelled or no file is there: then "No existe archivo"
// has been shown and, in host mode, the result set to -1 and the window asked to close.
std::optional<std::filesystem::path> ChooseSenecaFile(Session& session, JobPort& port);

// The last words of a failed job: the cursor back (when the job had made it busy) and
// the message. The port failing now must not escape either.
void ReportJobFailure(JobPort& port, bool busy, const std::string& message);

}  // namespace travalen
