// The program's help: a browser window over the HTML manual in help/ beside the program.
#pragma once

#include <QPointer>
#include <QWidget>
#include <filesystem>

class QTextBrowser;

namespace travalen {

// The manual's pages that the program opens itself.
inline constexpr const char* kHelpContents = "indice.html";        // "F1 AYUDA"
inline constexpr const char* kHelpContextPage = "contexto1.html";  // F1, help context 1

class HelpWindow : public QWidget {
  Q_OBJECT

 public:
  explicit HelpWindow(QWidget* parent = nullptr);
  void ShowPage(const std::filesystem::path& page);
  QTextBrowser* Browser() const { return browser_; }

 private:
  QTextBrowser* browser_;
};

// Shows `page` in the help window kept in `window` for `owner`, creating it when there is
// none yet. When the page does not exist nothing opens and nothing is reported: the
// manual is an optional part of an installation. Returns whether a page is shown.
bool OpenHelpPage(QPointer<HelpWindow>& window, QWidget* owner, const std::filesystem::path& page);

}  // namespace travalen
