// The real dialogs and message boxes, placed above the host's window when embedded.
#include "Prompts.h"

#include <QFileDialog>
#include <QMessageBox>

#include "HostEmbedding.h"
#include "PathText.h"
#include "ReportWindow.h"

namespace travalen {

namespace {

QMessageBox::Icon IconFor(MessageKind kind) {
  switch (kind) {
    case MessageKind::Information:
      return QMessageBox::Information;
    case MessageKind::Warning:
      return QMessageBox::Warning;
    case MessageKind::Error:
      return QMessageBox::Critical;
  }
  return QMessageBox::NoIcon;
}

class DialogPrompts : public Prompts {
 public:
  std::optional<std::filesystem::path> ChooseXmlFile(
      QWidget* owner, const std::filesystem::path& initialDir) override {
    QFileDialog dialog(DialogParent(owner), QStringLiteral("Archivo XML"), ToQString(initialDir),
                       QStringLiteral("*.xml"));
    dialog.setObjectName(QStringLiteral("OpenDialogXML"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("xml"));
    KeepAboveHost(&dialog, owner);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return ToPath(dialog.selectedFiles().constFirst());
  }

  void ShowMessage(QWidget* owner, const QString& text, MessageKind kind) override {
    QMessageBox box(IconFor(kind), QStringLiteral("Travalen"), text, QMessageBox::Ok,
                    DialogParent(owner));
    KeepAboveHost(&box, owner);
    box.exec();
  }

  std::optional<std::filesystem::path> ChooseCsvFile(
      QWidget* owner, const std::filesystem::path& suggested) override {
    QFileDialog dialog(DialogParent(owner), QStringLiteral("Guardar informe"), ToQString(suggested),
                       QStringLiteral("CSV (*.csv)"));
    dialog.setObjectName(QStringLiteral("SaveDialogCSV"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    KeepAboveHost(&dialog, owner);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return ToPath(dialog.selectedFiles().constFirst());
  }

  void ShowReport(QWidget* owner, const ConversionReport& report,
                  const std::filesystem::path& suggestedCsv) override {
    ReportWindow window(report, *this, suggestedCsv, DialogParent(owner));
    KeepAboveHost(&window, owner);
    window.exec();
  }
};

}  // namespace

std::unique_ptr<Prompts> MakeDialogPrompts() { return std::make_unique<DialogPrompts>(); }

}  // namespace travalen
