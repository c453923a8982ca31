// Layout, visibility rules and handlers of the level/course dialog.
#include "CoursesDialog.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QTimer>

#include "CourseLevels.h"
#include "CoursesGrid.h"
#include "CoursesModel.h"
#include "FormLook.h"
#include "GradientPanel.h"
#include "GroupPreviewWindow.h"
#include "HelpWindow.h"
#include "Prompts.h"
#include "ProposalMarks.h"
#include "RecordNavigator.h"
#include "RememberedLevels.h"
#include "TravalenError.h"

namespace travalen {

namespace {

LabelLook Look(QColor text, bool underline = false, QColor background = {}) {
  LabelLook look;
  look.font = FormFont(true);
  look.text = text;
  look.underline = underline;
  look.background = background;
  return look;
}

}  // namespace

TControlCursos::TControlCursos(std::filesystem::path coursesTable, bool reintento, Prompts& prompts,
                               std::filesystem::path helpDir, QWidget* parent, CourseLevelAids aids)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      coursesTable_(std::move(coursesTable)),
      reintento_(reintento),
      prompts_(prompts),
      helpDir_(std::move(helpDir)),
      model_(new CoursesModel(this)),
      aids_(std::move(aids)) {
  setObjectName(QStringLiteral("ControlCursos"));
  setWindowTitle(QStringLiteral("Asignación de Niveles y Cursos"));
  setFont(FormFont());
  setFixedSize(686, 499);
  move(283, 200);

  Draw3D1 = new GradientPanel(kGreen, kWhite, kGreen, this);
  Draw3D1->setObjectName(QStringLiteral("Draw3D1"));
  Draw3D1->setGeometry(1, 1, 684, 496);
  QWidget* panel = Draw3D1;

  {
    LabelLook look = Look(kWhite, true);
    look.font = FormFont(true, 12);
    Label1 = PlaceLabel(panel, "Label1", QStringLiteral("ASIGNACIÓN DE NIVELES Y CURSOS"),
                        {86, 5, 320, 20}, look);
  }

  wwDBNavigator1 = new RecordNavigator(panel);
  wwDBNavigator1->setObjectName(QStringLiteral("wwDBNavigator1"));
  wwDBNavigator1->setGeometry(105, 29, 275, 24);

  CursosTDBGrid = new CoursesGrid(panel);
  CursosTDBGrid->setObjectName(QStringLiteral("CursosTDBGrid"));
  CursosTDBGrid->setGeometry(3, 56, 454, 433);
  model_->SetErrorHandler([this](std::exception_ptr error) {
    if (!failure_) failure_ = error;
    QTimer::singleShot(0, this, [this] { done(QDialog::Rejected); });
  });
  CursosTDBGrid->SetCoursesModel(model_);
  // The model goes with the grid, after it: a view never shows a model that is gone.
  model_->setParent(CursosTDBGrid);

  {
    LabelLook look = Look(kRed, true, kWhite);
    look.wrap = false;
    look.alignment = Qt::AlignHCenter | Qt::AlignTop;
    Label3 = PlaceLabel(panel, "Label3", QStringLiteral("INCIDENCIAS EN EL TRASPASO"),
                        {468, 56, 190, 13}, look);
  }
  Label2 = PlaceLabel(panel, "Label2",
                      QStringLiteral("Se ha detectado que falta por indicar algún NIVEL  o "
                                     "CURSO. Complete el/los datos que falten, para poder "
                                     "concluir el proceso, antes de Salir."),
                      {473, 72, 180, 65}, Look(kRed, false, kYellow));
  {
    LabelLook look = Look(kRed, true);
    look.font = FormFont(true, 10);
    PlaceLabel(panel, "Label4", QStringLiteral("¡ IMPORTANTE !"), {471, 140, 116, 16}, look);
  }
  PlaceLabel(panel, "Label5",
             QStringLiteral("Las Abreviaturas de sus Grupos (Unidades), se formarán, en función "
                            "del NIVEL y CURSO, del siguiente modo: "),
             {472, 156, 185, 52}, Look(kMaroon));
  PlaceLabel(panel, "Label6",
             QStringLiteral("Por ejemplo, NIVEL=ESO y CURSO=1 daría como resultado"),
             {472, 207, 140, 39}, Look(kBlue));
  PlaceLabel(panel, "Label10", QStringLiteral("Abreviatura del Grupo = ESO1A"), {473, 244, 180, 13},
             Look(kFuchsia, true));
  PlaceLabel(panel, "Label7",
             QStringLiteral("y así secuencialmente para el resto de Grupos del mismo NIVEL y "
                            "CURSO, ESO1B, ESO1C."),
             {472, 257, 200, 39}, Look(kPurple));
  PlaceLabel(panel, "Label11",
             QStringLiteral("Ejemplos de Niveles: BCT=Bach.C.T., BHC=Bach.Hum., "
                            "BT=Bach.Tecnol., LS=Leng.Signos, GAD=Gest.Admin., EDSO=ESO "
                            "Diversificación, etc..."),
             {462, 300, 215, 52}, Look(kMaroon, false, kWhite));
  PlaceLabel(panel, "Label9",
             QStringLiteral("Luego es de vital IMPORTANCIA que para cada NIVEL sus 5 Primeros "
                            "caracteres sean DISTINTOS."),
             {462, 354, 217, 39}, Look(kRed, true, kSkyBlue));

  BitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton),
                            QStringLiteral("Aceptar"), panel);
  BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
  BitBtn1->setGeometry(519, 397, 101, 25);
  BitBtn1->setFont(FormFont(true));
  BitBtn1->setDefault(true);

  BitBtn2 = new QPushButton(QStringLiteral("Forzar Salida Sin Terminar Proceso "), panel);
  BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
  BitBtn2->setGeometry(463, 424, 218, 24);
  BitBtn2->setFont(FormFont(true));
  SetTextColour(BitBtn2, kRed);

  {
    LabelLook look = Look(kRed, false, kYellow);
    look.alignment = Qt::AlignHCenter | Qt::AlignTop;
    Label8 = PlaceLabel(panel, "Label8",
                        QStringLiteral("¡ Atención ! Si fuerza la Salida, los Datos recogidos "
                                       "serán INCOHERENTES."),
                        {479, 450, 182, 39}, look);
  }

  Label3->hide();
  Label2->hide();
  BitBtn2->hide();
  Label8->hide();

  // The legend of the proposed cells goes in the one free corner that is still beside the
  // grid, left of the navigator, where it reads as a caption of the grid; each cell's
  // tooltip says the same in full. It shows only in a pass that opens with proposed cells.
  {
    auto legend = [panel](const char* name, ProposalOrigin origin, int top) {
      LabelLook look;
      look.background = ProposalTint(origin);
      look.wrap = false;
      look.alignment = Qt::AlignCenter;
      QLabel* label = PlaceLabel(panel, name, ProposalLegendWord(origin), {4, top, 96, 13}, look);
      label->setToolTip(ProposalMeaning(origin));
      label->hide();
      return label;
    };
    rememberedLegend_ = legend("LeyendaRecordado", ProposalOrigin::Remembered, 28);
    suggestedLegend_ = legend("LeyendaSugerido", ProposalOrigin::Suggested, 42);
  }
  // Above the incidences, in the strip the title leaves free. It takes no focus on a
  // click, so that opening the names does not end the edit of a cell.
  previewButton_ = new QPushButton(QStringLiteral("Vista previa de grupos"), panel);
  previewButton_->setObjectName(QStringLiteral("BVistaPrevia"));
  previewButton_->setGeometry(468, 29, 190, 24);
  previewButton_->setFocusPolicy(Qt::TabFocus);
  previewButton_->setVisible(aids_.document != nullptr);

  setTabOrder(CursosTDBGrid, BitBtn1);
  setTabOrder(BitBtn1, BitBtn2);

  connect(BitBtn1, &QPushButton::clicked, this, &TControlCursos::BitBtn1Click);
  connect(BitBtn2, &QPushButton::clicked, this, &TControlCursos::BitBtn2Click);
  connect(CursosTDBGrid, &CoursesGrid::Entered, this, &TControlCursos::CursosTDBGridEnter);
  connect(CursosTDBGrid, &CoursesGrid::Exited, this, &TControlCursos::CursosTDBGridExit);
  connect(CursosTDBGrid, &CoursesGrid::ColumnEntered, this, &TControlCursos::CursosTDBGridColEnter);
  connect(previewButton_, &QPushButton::clicked, this, &TControlCursos::OpenPreview);
  connect(wwDBNavigator1, &RecordNavigator::Clicked, this,
          [this](RecordNavigator::Button button) { NavigatorClick(button); });
  auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
  connect(help, &QShortcut::activated, this,
          [this] { OpenHelpPage(help_, this, helpDir_ / kHelpContextPage); });
}

TControlCursos::~TControlCursos() {
  // The grid outlives this object's own part; what it signals while it goes down must not
  // reach the handlers of a dialog that is already gone.
  disconnect(CursosTDBGrid, nullptr, this, nullptr);
}

template <typename Handler>
void TControlCursos::Guarded(Handler handler) {
  // Nothing may be thrown through the toolkit's event loop: the error is kept, the pass
  // ends, and the caller hands the error to the job once the dialog has closed.
  try {
    handler();
  } catch (...) {
    if (!failure_) failure_ = std::current_exception();
    CloseTable();
    QDialog::done(QDialog::Rejected);
  }
}

void TControlCursos::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (shown_) return;
  shown_ = true;
  FormShow();
}

void TControlCursos::FormShow() {
  try {
    model_->Open(coursesTable_);
  } catch (...) {
    failure_ = std::current_exception();
    // Not while the dialog is still being shown: close it once its loop runs.
    QTimer::singleShot(0, this, [this] { QDialog::done(QDialog::Rejected); });
    return;
  }
  ProposeLevels();
  CursosTDBGrid->setCurrentIndex(model_->index(0, 0));
  if (reintento_) {
    BitBtn2->show();
    Label8->show();
  }
  if (aids_.document && !failure_) OpenPreview();
}

void TControlCursos::ProposeLevels() {
  if (!aids_.document || failure_) return;
  if (aids_.propose) {
    std::vector<CourseProposal> proposals;
    try {
      proposals = ProposeCourseLevels(aids_.exchangeDir, model_->CourseRows());
    } catch (const TravalenError& trouble) {
      // The remembered levels are only a help: the pass goes on without proposals, and
      // the preview says why the grid came up empty.
      proposalTrouble_ =
          QStringLiteral("No se proponen niveles: %1").arg(QString::fromUtf8(trouble.what()));
    }
    for (std::size_t row = 0; row < proposals.size() && !failure_; ++row)
      model_->ApplyProposal(static_cast<int>(row), proposals[row]);
    if (aids_.proposals) *aids_.proposals = std::move(proposals);
  } else if (aids_.proposals) {
    // A value proposed in an earlier pass and left as it was is still not the person's
    // own: it keeps its mark until they change it.
    for (std::size_t row = 0; row < aids_.proposals->size(); ++row)
      model_->MarkProposal(static_cast<int>(row), (*aids_.proposals)[row]);
  }
  const bool marked = model_->HasProposedCells();
  rememberedLegend_->setVisible(marked);
  suggestedLegend_->setVisible(marked);
}

void TControlCursos::OpenPreview() {
  if (!aids_.document) return;
  if (!preview_) {
    preview_ = new GroupPreviewWindow(*aids_.document, this);
    preview_->SetNotice(proposalTrouble_);
    // Every committed cell, and the navigator's refresh, shows in the names at once.
    connect(model_, &QAbstractItemModel::dataChanged, this, &TControlCursos::UpdatePreview);
    connect(model_, &QAbstractItemModel::modelReset, this, &TControlCursos::UpdatePreview);
    connect(model_, &QAbstractItemModel::rowsInserted, this, &TControlCursos::UpdatePreview);
    connect(model_, &QAbstractItemModel::rowsRemoved, this, &TControlCursos::UpdatePreview);
    UpdatePreview();
    preview_->PlaceBeside(*this);
  }
  preview_->show();
  preview_->raise();
}

GroupPreviewWindow* TControlCursos::Preview() const { return preview_; }

void TControlCursos::UpdatePreview() {
  if (!preview_ || !model_->IsOpen()) return;
  Guarded([this] { preview_->ShowCourses(model_->CourseRows()); });
}

void TControlCursos::hideEvent(QHideEvent* event) {
  // A window of the dialog's own goes when the dialog goes, whichever way it ends.
  if (preview_) preview_->hide();
  QDialog::hideEvent(event);
}

void TControlCursos::CursosTDBGridEnter() { model_->BeginBlankRowIfEmpty(); }

void TControlCursos::CursosTDBGridExit() { model_->PostPending(); }

void TControlCursos::CursosTDBGridColEnter() {
  BitBtn2->hide();
  Label8->hide();
}

void TControlCursos::BitBtn1Click() {
  Guarded([this] {
    // A value still in the cell editor is saved first, whether or not the click moved
    // the focus out of the grid (a keyboard shortcut does not).
    CursosTDBGrid->CommitEditor();
    model_->PostPending();
    faltanDatos_ = false;
    if (failure_) return;
    faltanDatos_ = !CoursesMissingLevels(coursesTable_).empty();
    if (faltanDatos_) {
      Label3->show();
      Label2->show();
      prompts_.ShowMessage(this, QStringLiteral("¡Atención! Falta algún Dato"),
                           MessageKind::Warning);
      BitBtn2->show();
    }
    CloseTable();
    accept();
  });
}

void TControlCursos::BitBtn2Click() {
  Guarded([this] {
    CloseTable();
    faltanDatos_ = false;
    salida_ = QStringLiteral("fuera");
    QDialog::done(QDialog::Rejected);
  });
}

void TControlCursos::NavigatorClick(int button) {
  Guarded([this, button] {
    switch (button) {
      case RecordNavigator::kFirst:
        CursosTDBGrid->MoveToRow(0);
        break;
      case RecordNavigator::kPriorPage:
        CursosTDBGrid->MoveRows(-RecordNavigator::kPageRows);
        break;
      case RecordNavigator::kPrior:
        CursosTDBGrid->MoveRows(-1);
        break;
      case RecordNavigator::kNext:
        CursosTDBGrid->MoveRows(1);
        break;
      case RecordNavigator::kNextPage:
        CursosTDBGrid->MoveRows(RecordNavigator::kPageRows);
        break;
      case RecordNavigator::kLast:
        CursosTDBGrid->MoveToRow(model_->rowCount() - 1);
        break;
      case RecordNavigator::kEdit:
        CursosTDBGrid->setFocus(Qt::OtherFocusReason);
        CursosTDBGrid->EditCurrent();
        break;
      case RecordNavigator::kPost:
        CursosTDBGrid->CommitEditor();
        model_->PostPending();
        break;
      case RecordNavigator::kCancel:
        CursosTDBGrid->RevertEditor();
        model_->CancelPending();
        break;
      case RecordNavigator::kRefresh:
        CursosTDBGrid->CommitEditor();
        model_->Refresh();
        break;
    }
  });
}

void TControlCursos::CloseTable() {
  if (!model_->IsOpen()) return;
  try {
    CursosTDBGrid->CommitEditor();
    model_->Close();
  } catch (...) {
    if (!failure_) failure_ = std::current_exception();
  }
}

void TControlCursos::done(int result) {
  // Closing by the title bar keeps what was typed, as leaving the grid does.
  CloseTable();
  QDialog::done(result);
}

void TControlCursos::keyPressEvent(QKeyEvent* event) {
  // The dialog has no cancel button: Escape must not end the pass behind the check.
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace travalen
