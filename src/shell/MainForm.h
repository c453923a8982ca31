// The main window TMForm: the two job buttons, the launch protocol, the host handshake.
#pragma once

#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <filesystem>
#include <memory>
#include <vector>

#include "JobPort.h"
#include "LaunchProtocol.h"
#include "Prompts.h"
#include "RememberedLevels.h"
#include "Session.h"

class QLabel;
class QPushButton;
class QWindow;

namespace travalen {

class GradientPanel;
class HelpWindow;

// Where the window meets the outside world; tests replace these, the program does not.
struct MFormSetup {
  std::unique_ptr<Prompts> prompts;   // null: the toolkit's file dialog and message boxes
  std::filesystem::path hostIniFile;  // empty: "Velmora.ini" beside the executable
  std::filesystem::path helpDir;      // empty: "help" beside the executable
  // false: the level/course dialog shows the table alone, with no proposals and no group
  // names beside it, as a person meets it who types every level.
  bool courseLevelAids = true;
};

// The window owns the job state (Session) and is the jobs' port to the person. The jobs
// themselves are the core's BExportarClick and BImportarClick.
class TMForm : public QWidget, public JobPort {
  Q_OBJECT

 public:
  // `parameters`: the program's arguments without its name. Runs FormCreate: parses them
  // and, for the host's launch, embeds the window in the host's window.
  explicit TMForm(QStringList parameters, MFormSetup setup = {});
  ~TMForm() override;

  Session& session() { return session_; }
  const LaunchRequest& Launch() const { return launch_; }
  // Whether the window sits inside a window of another program.
  bool Embedded() const { return host_ != nullptr; }

  // The port.
  std::optional<std::filesystem::path> ChooseXmlFile() override;
  void ShowMessage(const std::string& text, MessageKind kind) override;
  void SetBusy(bool busy) override;
  CourseDialogResult EditCourseLevels(const std::filesystem::path& coursesTable,
                                      bool retry) override;
  void CloseWindow() override;
  void ShowProgress(const std::string& step) override;
  void ShowReport(const ConversionReport& report) override;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildForm();
  void FormCreate();
  void FormShow();
  void FormClose();
  void BExportarClick();
  void BImportarClick();
  void Button1Click();
  void ShowContextHelp();
  // Runs a job and then does what the window does after every job.
  template <typename Job>
  void RunJob(Job job);

  QStringList parameters_;
  LaunchRequest launch_;
  Session session_;
  std::unique_ptr<Prompts> prompts_;
  std::filesystem::path hostIniFile_;
  std::filesystem::path helpDir_;
  bool courseLevelAids_;
  // What the level/course dialog proposed in the current run's first pass.
  std::vector<CourseProposal> runProposals_;
  std::unique_ptr<QWindow> host_;
  bool busy_ = false;
  bool closeRequested_ = false;
  bool jobRunning_ = false;
  bool shown_ = false;

  GradientPanel* Draw3D1;
  GradientPanel* Draw3D2;
  GradientPanel* Draw3D3;
  QPushButton* BExportar;
  QPushButton* BImportar;
  QPushButton* BClose;
  QPushButton* Button1;
  QLabel* Label1;
  QLabel* Label3;
  QLabel* Label4;
  // The step a job is at, in the bottom band while the job runs.
  QLabel* progress_;
  QPointer<HelpWindow> help_;
};

}  // namespace travalen
