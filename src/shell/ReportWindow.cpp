// The findings live in an item model behind a sorting proxy; copying reads the proxy, so
// what lands on the clipboard is in the order the person sees.
#include "ReportWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "PathText.h"
#include "Platform.h"
#include "Prompts.h"
#include "TravalenError.h"

namespace travalen {

namespace {

enum FindingColumn { kGravedad = 0, kTipo, kElemento, kDetalle, kFindingColumns };

// What the columns sort by: the severity by its weight, the rest by their text.
constexpr int kSortRole = Qt::UserRole + 1;

QString SeverityName(Severity severity) {
  switch (severity) {
    case Severity::Information:
      return QStringLiteral("Información");
    case Severity::Warning:
      return QStringLiteral("Aviso");
    case Severity::Error:
      return QStringLiteral("Error");
  }
  return {};
}

QStyle::StandardPixmap SeverityIcon(Severity severity) {
  switch (severity) {
    case Severity::Information:
      return QStyle::SP_MessageBoxInformation;
    case Severity::Warning:
      return QStyle::SP_MessageBoxWarning;
    case Severity::Error:
      return QStyle::SP_MessageBoxCritical;
  }
  return QStyle::SP_MessageBoxInformation;
}

// One cell of a copied line: a tab or a line break inside it would split the line.
QString CopiedCell(QString text) {
  text.replace(QLatin1Char('\t'), QLatin1Char(' '));
  text.replace(QLatin1Char('\n'), QLatin1Char(' '));
  text.remove(QLatin1Char('\r'));
  return text;
}

QString CopiedLine(const QAbstractItemModel& model, int row) {
  QStringList cells;
  for (int column = 0; column < model.columnCount(); ++column)
    cells << CopiedCell(model.index(row, column).data().toString());
  return cells.join(QLatin1Char('\t'));
}

// Ctrl+C copies whole findings; a table view on its own copies the current cell only.
class FindingsView : public QTableView {
 public:
  FindingsView(const ReportWindow& window, QWidget* parent) : QTableView(parent), window_(window) {}

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->matches(QKeySequence::Copy)) {
      QApplication::clipboard()->setText(window_.SelectedText());
      event->accept();
      return;
    }
    QTableView::keyPressEvent(event);
  }

 private:
  const ReportWindow& window_;
};

// Wrapped texts get a little air above and below, or two lines touch the grid lines.
class RoomyDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return QStyledItemDelegate::sizeHint(option, index) + QSize(0, 6);
  }
};

QString TablesText(const ConversionReport& report) {
  // Three tables to a line, each with its rows: nine or ten tables in a glance.
  QString html = QStringLiteral("<table cellspacing='0' cellpadding='1'>");
  for (std::size_t i = 0; i < report.tables.size(); ++i) {
    if (i % 3 == 0) html += QStringLiteral("<tr>");
    html += QStringLiteral(
                "<td>%1</td><td align='right'>&nbsp;<b>%2</b></td>"
                "<td width='28'></td>")
                .arg(QString::fromStdString(report.tables[i].table).toHtmlEscaped())
                .arg(report.tables[i].rows);
    if (i % 3 == 2 || i + 1 == report.tables.size()) html += QStringLiteral("</tr>");
  }
  return html + QStringLiteral("</table>");
}

QString SummaryText(const ConversionReport& report) {
  if (report.findings.empty()) return QStringLiteral("Sin observaciones: no hay nada que revisar.");
  std::size_t counts[3] = {};
  for (const Finding& finding : report.findings) ++counts[static_cast<int>(finding.severity)];
  QStringList parts;
  const auto part = [&](Severity severity, const char* one, const char* many) {
    const std::size_t n = counts[static_cast<int>(severity)];
    if (n > 0) parts << QStringLiteral("%1 %2").arg(n).arg(QString::fromUtf8(n == 1 ? one : many));
  };
  part(Severity::Error, "error", "errores");
  part(Severity::Warning, "aviso", "avisos");
  part(Severity::Information, "nota", "notas");
  return QStringLiteral(
             "Observaciones: %1. Pulse un título para ordenar; Ctrl+C copia las "
             "filas elegidas.")
      .arg(parts.join(QStringLiteral(", ")));
}

}  // namespace

ReportWindow::ReportWindow(const ConversionReport& report, Prompts& prompts,
                           std::filesystem::path suggestedCsv, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::WindowMaximizeButtonHint),
      report_(report),
      prompts_(prompts),
      suggestedCsv_(std::move(suggestedCsv)) {
  setObjectName(QStringLiteral("InformeConversion"));
  setWindowTitle(QStringLiteral("Informe de la conversión"));
  setSizeGripEnabled(true);

  auto* layout = new QVBoxLayout(this);

  auto* heading = new QLabel(report_.direction == ConversionDirection::Exportar
                                 ? QStringLiteral("Séneca → Velmora: filas de las tablas escritas")
                                 : QStringLiteral("Velmora → Séneca: filas de las tablas leídas"),
                             this);
  QFont bold = heading->font();
  bold.setBold(true);
  heading->setFont(bold);
  layout->addWidget(heading);

  auto* tables = new QLabel(TablesText(report_), this);
  tables->setObjectName(QStringLiteral("InformeTablas"));
  tables->setTextFormat(Qt::RichText);
  layout->addWidget(tables);

  if (!report_.resultFile.empty()) {
    auto* result = new QLabel(
        QStringLiteral("Documento guardado: %1").arg(ToQString(report_.resultFile)), this);
    result->setObjectName(QStringLiteral("InformeResultado"));
    result->setWordWrap(true);
    result->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(result);
  }

  auto* summary = new QLabel(SummaryText(report_), this);
  summary->setObjectName(QStringLiteral("InformeResumen"));
  summary->setWordWrap(true);
  layout->addWidget(summary);

  if (!report_.findings.empty()) {
    auto* model = new QStandardItemModel(0, kFindingColumns, this);
    model->setHorizontalHeaderLabels({QStringLiteral("Gravedad"), QStringLiteral("Tipo"),
                                      QStringLiteral("Elemento"), QStringLiteral("Detalle")});
    for (const Finding& finding : report_.findings) {
      QList<QStandardItem*> cells;
      auto* severity = new QStandardItem(style()->standardIcon(SeverityIcon(finding.severity)),
                                         SeverityName(finding.severity));
      severity->setData(static_cast<int>(finding.severity), kSortRole);
      cells << severity;
      for (const QString& text :
           {QString::fromUtf8(CategoryTitle(finding.category)),
            QString::fromStdString(finding.item), QString::fromStdString(finding.detail)}) {
        auto* cell = new QStandardItem(text);
        cell->setData(text, kSortRole);
        cell->setToolTip(text);
        cells << cell;
      }
      for (QStandardItem* cell : cells) cell->setEditable(false);
      model->appendRow(cells);
    }
    auto* sorted = new QSortFilterProxyModel(this);
    sorted->setSourceModel(model);
    sorted->setSortRole(kSortRole);
    sorted->setSortCaseSensitivity(Qt::CaseInsensitive);
    sorted->setSortLocaleAware(true);

    findings_ = new FindingsView(*this, this);
    findings_->setObjectName(QStringLiteral("InformeHallazgos"));
    findings_->setModel(sorted);
    findings_->setItemDelegate(new RoomyDelegate(findings_));
    findings_->setSelectionBehavior(QAbstractItemView::SelectRows);
    findings_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    findings_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    findings_->setWordWrap(true);
    findings_->setTextElideMode(Qt::ElideRight);
    findings_->setAlternatingRowColors(true);
    findings_->verticalHeader()->hide();
    findings_->setSortingEnabled(true);
    // The worst first; the sort is stable, so within a severity the run's own order stays.
    findings_->sortByColumn(kGravedad, Qt::DescendingOrder);
    QHeaderView* titles = findings_->horizontalHeader();
    titles->setStretchLastSection(true);
    findings_->setColumnWidth(kGravedad, 110);
    findings_->setColumnWidth(kTipo, 290);
    findings_->setColumnWidth(kElemento, 230);
    // Rows as tall as their wrapped texts, again whenever a column changes width.
    findings_->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(findings_, 1);
  }

  saved_ = new QLabel(this);
  saved_->setObjectName(QStringLiteral("InformeGuardado"));
  saved_->setWordWrap(true);
  saved_->hide();
  layout->addWidget(saved_);

  auto* buttons = new QHBoxLayout;
  auto* copyAll = new QPushButton(QStringLiteral("Copiar todo"), this);
  copyAll->setObjectName(QStringLiteral("BCopiarTodo"));
  copyAll->setEnabled(findings_ != nullptr);
  copyAll->setAutoDefault(false);
  auto* save = new QPushButton(QStringLiteral("Guardar CSV…"), this);
  save->setObjectName(QStringLiteral("BGuardarCsv"));
  save->setAutoDefault(false);
  auto* close = new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton),
                                QStringLiteral("Cerrar"), this);
  close->setObjectName(QStringLiteral("BCerrar"));
  close->setDefault(true);
  buttons->addWidget(copyAll);
  buttons->addWidget(save);
  buttons->addStretch(1);
  buttons->addWidget(close);
  layout->addLayout(buttons);

  connect(copyAll, &QPushButton::clicked, this, &ReportWindow::CopyAll);
  connect(save, &QPushButton::clicked, this, &ReportWindow::SaveCsv);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);

  // With nothing to list, the counts alone make a small window.
  if (findings_) {
    resize(1000, 560);
  } else {
    adjustSize();
    resize(std::max(width(), 480), height());
  }
  close->setFocus();
}

QString ReportWindow::SelectedText() const {
  if (!findings_) return {};
  QList<int> rows;
  for (const QModelIndex& index : findings_->selectionModel()->selectedRows()) rows << index.row();
  std::sort(rows.begin(), rows.end());
  QStringList lines;
  for (int row : rows) lines << CopiedLine(*findings_->model(), row);
  return lines.join(QLatin1Char('\n'));
}

QString ReportWindow::AllText() const {
  if (!findings_) return {};
  const QAbstractItemModel& model = *findings_->model();
  QStringList titles;
  for (int column = 0; column < model.columnCount(); ++column)
    titles << model.headerData(column, Qt::Horizontal).toString();
  QStringList lines{titles.join(QLatin1Char('\t'))};
  for (int row = 0; row < model.rowCount(); ++row) lines << CopiedLine(model, row);
  return lines.join(QLatin1Char('\n'));
}

void ReportWindow::CopyAll() { QApplication::clipboard()->setText(AllText()); }

void ReportWindow::SaveCsv() {
  const auto file = prompts_.ChooseCsvFile(this, suggestedCsv_);
  if (!file) return;
  try {
    WriteFileAtomically(*file, ReportCsv(report_));
  } catch (const TravalenError& failure) {
    prompts_.ShowMessage(this, QString::fromUtf8(failure.what()), MessageKind::Error);
    return;
  }
  saved_->setText(QStringLiteral("Guardado en %1").arg(ToQString(*file)));
  saved_->show();
}

}  // namespace travalen
