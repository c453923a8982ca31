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
#include "HelpWindow.h"
#include "Prompts.h"
#include "RecordNavigator.h"

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
                               std::filesystem::path helpDir, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      coursesTable_(std::move(coursesTable)),
      reintento_(reintento),
      prompts_(prompts),
      helpDir_(std::move(helpDir)),
      model_(new CoursesModel(this)) {
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

  setTabOrder(CursosTDBGrid, BitBtn1);
  setTabOrder(BitBtn1, BitBtn2);

  connect(BitBtn1, &QPushButton::clicked, this, &TControlCursos::BitBtn1Click);
  connect(BitBtn2, &QPushButton::clicked, this, &TControlCursos::BitBtn2Click);
  connect(CursosTDBGrid, &CoursesGrid::Entered, this, &TControlCursos::CursosTDBGridEnter);
  connect(CursosTDBGrid, &CoursesGrid::Exited, this, &TControlCursos::CursosTDBGridExit);
  connect(CursosTDBGrid, &CoursesGrid::ColumnEntered, this, &TControlCursos::CursosTDBGridColEnter);
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
  CursosTDBGrid->setCurrentIndex(model_->index(0, 0));
  if (reintento_) {
    BitBtn2->show();
    Label8->show();
  }
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
