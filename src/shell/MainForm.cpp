// The main window: its layout, the launch protocol, the jobs' port and the handshake.
#include "MainForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QTimer>
#include <QWindow>

#include "CoursesDialog.h"
#include "Exportar.h"
#include "FormLook.h"
#include "GradientPanel.h"
#include "HelpWindow.h"
#include "HostEmbedding.h"
#include "Importar.h"
#include "IniFile.h"
#include "PathText.h"
#include "Platform.h"
#include "Prompts.h"

namespace travalen {

namespace {

const QColor kJobPanelStart(249, 211, 125);
const QColor kJobPanelEnd(255, 238, 221);
const QColor kBandStart(194, 205, 254);
const QColor kBandMiddle(207, 242, 254);
const QColor kBandEnd(204, 216, 230);

QPushButton* PlaceButton(QWidget* parent, const char* name, const QIcon& icon, const QString& text,
                         const QRect& geometry) {
  auto* button = new QPushButton(icon, text, parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setGeometry(geometry);
  return button;
}

LabelLook JobLabelLook() {
  LabelLook look;
  look.font = ArialFont(12, true);
  return look;
}

}  // namespace

TMForm::TMForm(QStringList parameters, MFormSetup setup)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint),
      parameters_(std::move(parameters)),
      prompts_(setup.prompts ? std::move(setup.prompts) : MakeDialogPrompts()),
      hostIniFile_(setup.hostIniFile.empty() ? ProgramDir() / "Velmora.ini" : setup.hostIniFile),
      helpDir_(setup.helpDir.empty() ? ProgramDir() / "help" : setup.helpDir),
      courseLevelAids_(setup.courseLevelAids) {
  session_.exchangeDir = DefaultExchangeDir();
  session_.subjectLookupTable = ProgramDir() / "SENEMATERIAS.DBF";
  BuildForm();
  FormCreate();
}

TMForm::~TMForm() {
  // The foreign window object would take our native window down with it.
  if (host_) ReleaseFromHost(this);
  if (busy_) QApplication::restoreOverrideCursor();
}

void TMForm::BuildForm() {
  setObjectName(QStringLiteral("MForm"));
  setWindowTitle(QStringLiteral("Exportar e importar datos entre Velmora y Séneca"));
  setFont(FormFont());
  setFixedSize(632, 266);

  const QIcon okGlyph = style()->standardIcon(QStyle::SP_DialogOkButton);
  const QIcon closeGlyph = style()->standardIcon(QStyle::SP_DialogCloseButton);

  Draw3D2 = new GradientPanel(kJobPanelStart, kWhite, kJobPanelEnd, this);
  Draw3D2->setObjectName(QStringLiteral("Draw3D2"));
  Draw3D2->setGeometry(1, 0, 315, 169);
  Label3 =
      PlaceLabel(Draw3D2, "Label3", QStringLiteral("Transformar datos desde Séneca hacia Velmora "),
                 {24, 24, 265, 57}, JobLabelLook());
  BExportar =
      PlaceButton(Draw3D2, "BExportar", okGlyph, QStringLiteral("Aceptar"), {96, 120, 89, 25});

  Draw3D3 = new GradientPanel(kJobPanelStart, kWhite, kJobPanelEnd, this);
  Draw3D3->setObjectName(QStringLiteral("Draw3D3"));
  Draw3D3->setGeometry(316, 0, 317, 169);
  Label4 =
      PlaceLabel(Draw3D3, "Label4", QStringLiteral("Transformar datos desde Velmora hacia Séneca"),
                 {8, 24, 305, 57}, JobLabelLook());
  BImportar =
      PlaceButton(Draw3D3, "BImportar", okGlyph, QStringLiteral("Aceptar"), {96, 120, 89, 25});

  Draw3D1 = new GradientPanel(kBandStart, kBandMiddle, kBandEnd, this);
  Draw3D1->setObjectName(QStringLiteral("Draw3D1"));
  Draw3D1->setGeometry(0, 168, 633, 97);
  BClose = PlaceButton(Draw3D1, "BClose", closeGlyph, QStringLiteral("&Salir"), {256, 32, 89, 25});
  Button1 = PlaceButton(Draw3D1, "Button1", QIcon(), QStringLiteral("F1 AYUDA"), {264, 67, 75, 19});
  {
    LabelLook look;
    look.font = FormFont(true);
    look.text = kRed;
    look.wrap = false;
    Label1 =
        PlaceLabel(Draw3D1, "Label1", QStringLiteral("Travalen V-1.0"), {8, 72, 227, 13}, look);
  }
  {
    // On the line of the version, mirrored at the band's right: the one stretch of the
    // window that is free whatever the job does.
    LabelLook look;
    look.font = FormFont(true);
    look.text = kBlue;
    look.wrap = false;
    look.alignment = Qt::AlignRight | Qt::AlignVCenter;
    progress_ = PlaceLabel(Draw3D1, "LabelProgreso", QString(), {352, 72, 273, 13}, look);
  }

  // The bottom band first, then the two job panels.
  setTabOrder(BClose, Button1);
  setTabOrder(Button1, BExportar);
  setTabOrder(BExportar, BImportar);

  connect(BExportar, &QPushButton::clicked, this, &TMForm::BExportarClick);
  connect(BImportar, &QPushButton::clicked, this, &TMForm::BImportarClick);
  connect(BClose, &QPushButton::clicked, this, &QWidget::close);
  connect(Button1, &QPushButton::clicked, this, &TMForm::Button1Click);
  auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
  connect(help, &QShortcut::activated, this, &TMForm::ShowContextHelp);

  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
}

void TMForm::FormCreate() {
  session_.TransformResult = 0;
  launch_ = ParseLaunch(parameters_);
  if (!launch_.HostProtocol()) return;
  if (!launch_.hostWindow) {
    // The window keeps its border and the program runs on its own; the job named by
    // parameter 1 still starts when the window shows.
    prompts_->ShowMessage(this, launch_.conversionError, MessageKind::Error);
    return;
  }
  if (const auto hostSize = ForeignWindowSize(*launch_.hostWindow)) {
    host_.reset(EmbedInForeignWindow(this, *launch_.hostWindow, *hostSize));
  } else {
    // A well-formed handle that names no window (the host's window is gone, or we are
    // not on X11): the host still waits for the result in its INI file, so we stay in
    // host mode and report there, only in a window of our own.
    qWarning("travalen: %s names no window; running unembedded",
             qPrintable(QStringLiteral("$%1").arg(parameters_[1])));
  }
  session_.HostLaunched = static_cast<int>(parameters_.size());
}

void TMForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (shown_) return;
  shown_ = true;
  // Once the window is on the screen, not while it is being mapped: a dialog opened
  // during the show could otherwise appear before the window does.
  QTimer::singleShot(0, this, &TMForm::FormShow);
}

void TMForm::FormShow() {
  if (!launch_.HostProtocol()) return;
  if (launch_.RunsImportar()) BImportarClick();
  if (launch_.RunsExportar()) BExportarClick();
}

void TMForm::closeEvent(QCloseEvent* event) {
  FormClose();
  QWidget::closeEvent(event);
  // An embedded window is no top-level window of ours, so closing it would not end the
  // program on its own.
  if (session_.InHostMode()) QCoreApplication::quit();
}

void TMForm::FormClose() {
  if (!session_.InHostMode()) return;
  try {
    WriteIniInteger(hostIniFile_, "Transformadores", "Transformado", session_.TransformResult);
  } catch (const std::exception& error) {
    prompts_->ShowMessage(this, QString::fromUtf8(error.what()), MessageKind::Error);
  }
}

template <typename Job>
void TMForm::RunJob(Job job) {
  if (jobRunning_) return;
  jobRunning_ = true;
  job();
  jobRunning_ = false;
  // Whatever way the job ended, the cursor is the normal one again.
  SetBusy(false);
  // One completed job per start of the program.
  if (session_.TransformResult == 1) {
    BExportar->setEnabled(false);
    BImportar->setEnabled(false);
  }
  if (closeRequested_) {
    closeRequested_ = false;
    close();
  }
}

void TMForm::BExportarClick() {
  RunJob([this] { travalen::BExportarClick(session_, *this); });
}

void TMForm::BImportarClick() {
  RunJob([this] { travalen::BImportarClick(session_, *this); });
}

void TMForm::Button1Click() { OpenHelpPage(help_, this, helpDir_ / kHelpContents); }

void TMForm::ShowContextHelp() { OpenHelpPage(help_, this, helpDir_ / kHelpContextPage); }

std::optional<std::filesystem::path> TMForm::ChooseXmlFile() {
  // Séneca's files usually wait in "seneca" inside the exchange folder.
  std::error_code ec;
  std::filesystem::path initialDir = session_.exchangeDir / "seneca";
  if (!std::filesystem::is_directory(initialDir, ec)) initialDir = session_.exchangeDir;
  if (!std::filesystem::is_directory(initialDir, ec)) initialDir = ToPath(QDir::homePath());
  return prompts_->ChooseXmlFile(this, initialDir);
}

void TMForm::ShowMessage(const std::string& text, MessageKind kind) {
  prompts_->ShowMessage(this, QString::fromStdString(text), kind);
}

void TMForm::SetBusy(bool busy) {
  // The steps are over when the busy time is: the last words of a job (its end, or its
  // failure) come with an empty progress line.
  if (!busy) progress_->clear();
  // One entry on the toolkit's cursor stack at most, so that every exit, early or not,
  // leaves it as it found it.
  if (busy == busy_) return;
  busy_ = busy;
  if (busy) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

CourseDialogResult TMForm::EditCourseLevels(const std::filesystem::path& coursesTable, bool retry) {
  CourseLevelAids aids;
  if (courseLevelAids_ && session_.XmlDoc) {
    aids.document = session_.XmlDoc.get();
    aids.exchangeDir = session_.exchangeDir;
    // Only the first pass of a run proposes. A later pass follows an OK that found
    // courses without level: a cell empty then was left or emptied by the person, and
    // filling it again behind their back would undo what they did and what OK told them.
    aids.propose = !retry;
    if (!retry) runProposals_.clear();
    aids.proposals = &runProposals_;
  }
  TControlCursos dialog(coursesTable, retry, *prompts_, helpDir_, DialogParent(this),
                        std::move(aids));
  KeepAboveHost(&dialog, this);
  dialog.exec();
  if (dialog.Failure()) std::rethrow_exception(dialog.Failure());
  return {dialog.FaltanDatos(), dialog.Salida() == QLatin1String("fuera")};
}

void TMForm::ShowProgress(const std::string& step) {
  progress_->setText(QString::fromStdString(step) + QStringLiteral("…"));
  // The job holds the event loop until it next asks something, so the label is painted
  // now rather than when the loop would have got round to it.
  progress_->repaint();
}

void TMForm::ShowReport(const ConversionReport& report) {
  // "Guardar CSV…" proposes the folder of the chosen Séneca file, where the result of
  // importar goes too.
  const std::string direction =
      report.direction == ConversionDirection::Exportar ? "exportar" : "importar";
  const std::filesystem::path folder = session_.XmlFileName.parent_path();
  const std::filesystem::path suggested =
      folder /
      ToPath(QStringLiteral("Informe-%1-%2.csv")
                 .arg(QString::fromStdString(direction), ToQString(session_.XmlFileName.stem())));
  prompts_->ShowReport(this, report, suggested);
}

void TMForm::CloseWindow() {
  // Closed once the job has returned: the job goes on after asking (a forced exit of the
  // level/course dialog still runs the remaining steps), and the window must not go
  // while the job still uses it.
  closeRequested_ = true;
}

}  // namespace travalen
