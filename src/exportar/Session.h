// The job state the program keeps between runs, owned by the main window.
#pragma once

#include <filesystem>
#include <memory>

#include "SenecaDocument.h"

namespace travalen {

struct Session {
  // The Séneca file last confirmed in the file dialog, shared by both directions.
  std::filesystem::path XmlFileName;
  // The document of the last run that found its file.
  std::unique_ptr<SenecaDocument> XmlDoc;
  // What the host is told: 0 no job completed, 1 a job completed, -1 file missing.
  int TransformResult = 0;
  // 2 when the host launched us with two parameters and the window was embedded.
  int HostLaunched = 0;
  // Set once a level/course dialog came back with missing data; from then on every
  // dialog of this program start offers the forced exit at once. Never cleared.
  bool Reintento = false;

  // Where the nine tables live.
  std::filesystem::path exchangeDir;
  // The subject look-up table, normally SENEMATERIAS.DBF beside the executable.
  std::filesystem::path subjectLookupTable;

  bool InHostMode() const { return HostLaunched == 2; }
};

// "C:\VTEMP" on Windows; elsewhere $TRAVALEN_EXCHANGE_DIR, or else $HOME/VTEMP.
std::filesystem::path DefaultExchangeDir();

}  // namespace travalen
