// A plain QTextBrowser window; links inside the manual stay in it, outside links go to
// the desktop's browser.
#include "HelpWindow.h"

#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "HostEmbedding.h"
#include "PathText.h"

namespace travalen {

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("HelpWindow"));
  setWindowTitle(QStringLiteral("Ayuda de Travalen"));
  setAttribute(Qt::WA_QuitOnClose, false);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  browser_ = new QTextBrowser(this);
  browser_->setObjectName(QStringLiteral("HelpBrowser"));
  browser_->setOpenExternalLinks(true);
  layout->addWidget(browser_);
  connect(browser_, &QTextBrowser::sourceChanged, this, [this] {
    const QString title = browser_->documentTitle();
    setWindowTitle(title.isEmpty() ? QStringLiteral("Ayuda de Travalen") : title);
  });
  resize(720, 540);
}

void HelpWindow::ShowPage(const std::filesystem::path& page) {
  browser_->setSource(QUrl::fromLocalFile(ToQString(page)));
}

bool OpenHelpPage(QPointer<HelpWindow>& window, QWidget* owner, const std::filesystem::path& page) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(page, ec)) return false;
  if (!window) {
    // A child window of the owner's window closes with it and is not blocked while that
    // window runs a modal loop. An embedded owner cannot have child windows, so its help
    // goes without a parent, above the host, and is removed with the owner.
    QWidget* parent = DialogParent(owner);
    window = new HelpWindow(parent);
    if (!parent) {
      KeepAboveHost(window, owner);
      QObject::connect(owner, &QObject::destroyed, window, &QObject::deleteLater);
    }
  }
  window->ShowPage(page);
  window->show();
  window->raise();
  window->activateWindow();
  return true;
}

}  // namespace travalen
