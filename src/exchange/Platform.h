// The few things that differ between Windows and elsewhere, kept in one place.
#pragma once

#include <filesystem>
#include <string>

namespace travalen {

// The folder of the running executable (where SENEMATERIAS.DBF and the help live).
std::filesystem::path ProgramDir();

// Replaces `target` with `bytes` atomically: a temporary file in the same folder, flushed,
// then renamed over the target. A failure leaves the target as it was and no temporary.
// Throws TravalenError naming the target.
void WriteFileAtomically(const std::filesystem::path& target, const std::string& bytes);

// The moment of a run as the import document's "fecha": the user's short date and long
// time on Windows, dd/mm/yyyy HH:MM:SS elsewhere.
std::string NowAsFecha();

}  // namespace travalen
