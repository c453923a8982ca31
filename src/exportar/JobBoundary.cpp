// What both jobs do at their start and when they fail.
#include "JobBoundary.h"

namespace travalen {

namespace {
constexpr const char* kNoFile = "No existe archivo";
}

std::optional<std::filesystem::path> ChooseSenecaFile(Session& session, JobPort& port) {
  const std::optional<std::filesystem::path> chosen = port.ChooseXmlFile();
  std::error_code error;
  if (chosen) {
    const std::filesystem::path full = std::filesystem::absolute(*chosen, error);
    session.XmlFileName = error ? *chosen : full;
  }
  // A cancelled dialog is no file, also after an earlier run: the person said no, and
  // going on with the previous file would act on something they did not choose now.
  if (chosen && std::filesystem::is_regular_file(session.XmlFileName, error))
    return session.XmlFileName;
  port.ShowMessage(kNoFile, MessageKind::Error);
  if (session.InHostMode()) {
    session.TransformResult = -1;
    port.CloseWindow();
  }
  return std::nullopt;
}

void ReportJobFailure(JobPort& port, bool busy, const std::string& message) {
  try {
    if (busy) port.SetBusy(false);
    port.ShowMessage(message, MessageKind::Error);
  } catch (...) {
  }
}

}  // namespace travalen
