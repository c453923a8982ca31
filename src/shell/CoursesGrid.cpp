// The first column stays in place through a second view laid over it, sharing the model
// and the selection (the way Qt's own frozen-column example does it).
#include "CoursesGrid.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <algorithm>

#include "CoursesModel.h"

namespace travalen {

namespace {

const QColor kTitleColour(254, 228, 169);
const QColor kCellColour(240, 251, 255);
const QColor kOtherRowColour(207, 217, 254);

bool IsEnter(const QKeyEvent* key) {
  return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

// Cell editors that hold no more than the field does, and Enter moving to the next cell
// with the value kept, as Tab does.
class CellDelegate : public QStyledItemDelegate {
 public:
  explicit CellDelegate(CoursesModel* model, QObject* parent)
      : QStyledItemDelegate(parent), model_(model) {}

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override {
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
      line->setObjectName(QStringLiteral("CellEditor"));
      line->setMaxLength(model_->MaxLength(index.column()));
      line->setFrame(false);
    }
    return editor;
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* editor = qobject_cast<QWidget*>(watched);
    if (editor && event->type() == QEvent::KeyPress && IsEnter(static_cast<QKeyEvent*>(event))) {
      emit commitData(editor);
      emit closeEditor(editor, QAbstractItemDelegate::EditNextItem);
      return true;
    }
    return QStyledItemDelegate::eventFilter(watched, event);
  }

 private:
  CoursesModel* model_;
};

void StyleView(QTableView* view) {
  QPalette palette = view->palette();
  palette.setColor(QPalette::Base, kCellColour);
  palette.setColor(QPalette::AlternateBase, kOtherRowColour);
  view->setPalette(palette);
  view->setAlternatingRowColors(true);
  view->setWordWrap(false);
  view->verticalHeader()->hide();
  view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 5);
  QHeaderView* titles = view->horizontalHeader();
  titles->setSectionsClickable(false);
  titles->setHighlightSections(false);
  titles->setSectionResizeMode(QHeaderView::Interactive);
  titles->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  QFont bold = view->font();
  bold.setBold(true);
  titles->setFont(bold);
  // Room for titles of two lines.
  titles->setMinimumHeight(2 * QFontMetrics(bold).lineSpacing() + 6);
}

}  // namespace

CoursesGrid::CoursesGrid(QWidget* parent) : QTableView(parent), frozen_(new QTableView(this)) {
  // Scoped to the grid and its title bars only: a style sheet set higher up would leak
  // into every dialog the form opens.
  setStyleSheet(QStringLiteral("QHeaderView::section { background-color: rgb(%1, %2, %3); "
                               "border: none; border-right: 1px solid #a0a0a0; "
                               "border-bottom: 1px solid #a0a0a0; padding-left: 3px; }")
                    .arg(kTitleColour.red())
                    .arg(kTitleColour.green())
                    .arg(kTitleColour.blue()));
  StyleView(this);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                  QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
  setTabKeyNavigation(true);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);

  frozen_->setObjectName(QStringLiteral("FrozenColumn"));
  frozen_->setFocusPolicy(Qt::NoFocus);
  frozen_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  StyleView(frozen_);
  frozen_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  frozen_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  frozen_->setFrameShape(QFrame::NoFrame);
  frozen_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  viewport()->stackUnder(frozen_);
  // A click on the fixed column puts the focus in the grid, as a click on any cell does.
  frozen_->viewport()->installEventFilter(this);
  connect(frozen_->verticalScrollBar(), &QAbstractSlider::valueChanged, verticalScrollBar(),
          &QAbstractSlider::setValue);
  connect(verticalScrollBar(), &QAbstractSlider::valueChanged, frozen_->verticalScrollBar(),
          &QAbstractSlider::setValue);
  connect(horizontalHeader(), &QHeaderView::sectionResized, this,
          [this](int section, int, int size) {
            if (section == 0) {
              frozen_->setColumnWidth(0, size);
              PlaceFrozenColumn();
            }
          });
  connect(qApp, &QApplication::focusChanged, this, &CoursesGrid::FocusChanged);
}

CoursesGrid::~CoursesGrid() {
  // Children going away move the focus; this grid must not hear of it half destroyed.
  disconnect(qApp, nullptr, this, nullptr);
}

void CoursesGrid::SetCoursesModel(CoursesModel* model) {
  model_ = model;
  setModel(model);
  setItemDelegate(new CellDelegate(model, this));
  frozen_->setModel(model);
  frozen_->setSelectionModel(selectionModel());
  for (int column = 1; column < model->columnCount(); ++column)
    frozen_->setColumnHidden(column, true);
  connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current, const QModelIndex& previous) {
            if (previous.isValid() && current.isValid() && current.column() != previous.column())
              emit ColumnEntered(current.column());
          });
  ApplyColumnWidths();
}

void CoursesGrid::ApplyColumnWidths() {
  // A column is as wide as its number of average characters, and never narrower than its
  // title, which is how a grid sizes columns given in characters.
  const int average = fontMetrics().averageCharWidth();
  const QFontMetrics titleMetrics(horizontalHeader()->font());
  for (int column = 0; column < model_->columnCount(); ++column) {
    const QString title = model_->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
    const int width = std::max(CoursesModel::WidthInCharacters(column) * average + 4,
                               titleMetrics.horizontalAdvance(title) + 10);
    setColumnWidth(column, width);
  }
  frozen_->setColumnWidth(0, columnWidth(0));
  PlaceFrozenColumn();
}

void CoursesGrid::PlaceFrozenColumn() {
  frozen_->horizontalHeader()->setMinimumHeight(horizontalHeader()->height());
  frozen_->setGeometry(verticalHeader()->width() + frameWidth(), frameWidth(), columnWidth(0),
                       viewport()->height() + horizontalHeader()->height());
}

void CoursesGrid::resizeEvent(QResizeEvent* event) {
  QTableView::resizeEvent(event);
  PlaceFrozenColumn();
}

void CoursesGrid::updateGeometries() {
  QTableView::updateGeometries();
  PlaceFrozenColumn();
}

QModelIndex CoursesGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
  QModelIndex current = QTableView::moveCursor(action, modifiers);
  // Keep a cell reached by moving left from hiding under the fixed column.
  if (current.isValid() && current.column() > 0) {
    const int hiddenBy = frozen_->columnWidth(0) - visualRect(current).left();
    if (hiddenBy > 0) horizontalScrollBar()->setValue(horizontalScrollBar()->value() - hiddenBy);
  }
  return current;
}

void CoursesGrid::scrollTo(const QModelIndex& index, ScrollHint hint) {
  // The first column is always in sight; scrolling to it would only jump sideways.
  if (index.column() > 0) {
    QTableView::scrollTo(index, hint);
  } else if (index.isValid()) {
    QTableView::scrollTo(model()->index(index.row(), 1), hint);
  }
}

void CoursesGrid::keyPressEvent(QKeyEvent* event) {
  if (IsEnter(event) && state() != EditingState) {
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QTableView::keyPressEvent(&tab);
    event->setAccepted(tab.isAccepted());
    return;
  }
  QTableView::keyPressEvent(event);
}

bool CoursesGrid::eventFilter(QObject* watched, QEvent* event) {
  if (watched == frozen_->viewport() && event->type() == QEvent::MouseButtonPress)
    setFocus(Qt::MouseFocusReason);
  return QTableView::eventFilter(watched, event);
}

bool CoursesGrid::Contains(const QWidget* widget) const {
  return widget && (widget == this || isAncestorOf(widget));
}

void CoursesGrid::FocusChanged(QWidget* old, QWidget* now) {
  const bool wasIn = Contains(old);
  const bool isIn = Contains(now);
  if (!wasIn && isIn) emit Entered();
  // Only a move to another widget leaves the grid; a window losing the focus does not.
  if (wasIn && !isIn && now) emit Exited();
}

void CoursesGrid::CommitEditor() {
  if (state() != EditingState) return;
  if (QWidget* editor = indexWidget(currentIndex())) {
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
  }
}

void CoursesGrid::RevertEditor() {
  if (state() != EditingState) return;
  if (QWidget* editor = indexWidget(currentIndex()))
    closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
}

void CoursesGrid::EditCurrent() {
  QModelIndex index = currentIndex();
  if (!index.isValid()) index = model()->index(0, 0);
  if (!index.isValid()) return;
  if (!(index.flags() & Qt::ItemIsEditable))
    index = model()->index(index.row(), CoursesModel::kNivel);
  setCurrentIndex(index);
  edit(index);
}

void CoursesGrid::MoveRows(int delta) {
  const QModelIndex current = currentIndex();
  MoveToRow((current.isValid() ? current.row() : 0) + delta);
}

void CoursesGrid::MoveToRow(int row) {
  const int rows = model()->rowCount();
  if (rows == 0) return;
  CommitEditor();
  const QModelIndex current = currentIndex();
  const int column = current.isValid() ? current.column() : 0;
  setCurrentIndex(model()->index(std::clamp(row, 0, rows - 1), column));
}

}  // namespace travalen
