// How the windows ask and tell the person: the file dialogs, message boxes, the report.
#pragma once

#include <QString>
#include <filesystem>
#include <memory>
#include <optional>

#include "JobPort.h"

class QWidget;

namespace travalen {

// The one seam between the windows and the dialogs they open, so that a test can script
// the person's answers without global state.
class Prompts {
 public:
  virtual ~Prompts() = default;
  // The dialog "Archivo XML" of the window `owner`, opened in `initialDir`; nothing when
  // the person cancels. The file need not exist: the job checks that itself.
  virtual std::optional<std::filesystem::path> ChooseXmlFile(
      QWidget* owner, const std::filesystem::path& initialDir) = 0;
  // A message box titled "Travalen" over `owner`; returns once acknowledged.
  virtual void ShowMessage(QWidget* owner, const QString& text, MessageKind kind) = 0;
  // The dialog "Guardar informe" for a CSV file, proposing `suggested`; nothing when the
  // person cancels.
  virtual std::optional<std::filesystem::path> ChooseCsvFile(
      QWidget* owner, const std::filesystem::path& suggested) = 0;
  // The window "Informe de la conversión" over `owner`, modal; returns once closed.
  // "Guardar CSV…" in it proposes `suggestedCsv`.
  virtual void ShowReport(QWidget* owner, const ConversionReport& report,
                          const std::filesystem::path& suggestedCsv) = 0;
};

// The toolkit's file dialog and message boxes.
std::unique_ptr<Prompts> MakeDialogPrompts();

}  // namespace travalen
