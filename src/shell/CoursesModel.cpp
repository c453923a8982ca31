// Rows are kept as UTF-8 QStrings for the view and written back as Windows-1252 bytes.
#include "CoursesModel.h"

#include <QColor>
#include <QStringList>
#include <algorithm>

#include "ProposalMarks.h"
#include "Text8.h"

namespace travalen {

namespace {

struct ColumnInfo {
  const char* field;
  int widthInCharacters;
  const char* title;
  bool editable;
};

const ColumnInfo kColumns[CoursesModel::kColumnCount] = {
    {"CLAVE", 10, "CÓD.SÉNECA", false},
    {"ESTUD", 40, "ESTUDIOS", false},
    {"NIVEL", 5, "NIVEL", true},
    {"CURSO", 3, "CURSO", true},
};

}  // namespace

CoursesModel::CoursesModel(QObject* parent) : QAbstractTableModel(parent) {}

void CoursesModel::SetErrorHandler(std::function<void(std::exception_ptr)> handler) {
  errorHandler_ = std::move(handler);
}

void CoursesModel::Report(std::exception_ptr error) {
  if (!errorHandler_) std::rethrow_exception(error);
  errorHandler_(error);
}

void CoursesModel::Open(const std::filesystem::path& file) {
  table_.emplace(DbfTable::Open(file));
  for (const ColumnInfo& column : kColumns) table_->FieldIndex(column.field);  // all present?
  ReadRows();
}

void CoursesModel::ReadRows() {
  beginResetModel();
  const std::vector<Row> before = std::move(rows_);
  rows_.clear();
  appendPending_ = false;
  if (table_) {
    int fields[kColumnCount];
    for (int c = 0; c < kColumnCount; ++c) fields[c] = table_->FieldIndex(kColumns[c].field);
    for (std::size_t r = 0; r < table_->RowCount(); ++r) {
      Row row;
      for (int c = 0; c < kColumnCount; ++c)
        row.texts[c] = QString::fromStdString(Cp1252ToUtf8(table_->TextAt(r, fields[c])));
      rows_.push_back(row);
    }
  }
  // Reading the file again (the navigator's refresh) keeps the marks of the values that
  // are still the proposed ones: they are no more the person's than before.
  for (std::size_t r = 0; r < std::min(before.size(), rows_.size()); ++r) {
    if (before[r].texts[kClave] != rows_[r].texts[kClave]) continue;
    rows_[r].note = before[r].note;
    for (int c : {kNivel, kCurso})
      if (before[r].texts[c] == rows_[r].texts[c]) rows_[r].origins[c] = before[r].origins[c];
  }
  endResetModel();
}

void CoursesModel::Close() {
  if (!table_) return;
  std::optional<DbfTable> table = std::move(table_);
  table_.reset();
  appendPending_ = false;
  table->Close();
}

void CoursesModel::Refresh() {
  if (!table_) return;
  PostPending();
  const std::filesystem::path file = table_->Path();
  table_.reset();
  table_.emplace(DbfTable::Open(file));
  ReadRows();
}

void CoursesModel::BeginBlankRowIfEmpty() {
  if (!table_ || !rows_.empty()) return;
  try {
    table_->Append();
  } catch (...) {
    Report(std::current_exception());
    return;
  }
  beginInsertRows({}, 0, 0);
  rows_.push_back(Row{});
  appendPending_ = true;
  endInsertRows();
}

void CoursesModel::PostPending() {
  if (!table_ || !appendPending_) return;
  appendPending_ = false;
  try {
    table_->Post();
  } catch (...) {
    Report(std::current_exception());
  }
}

void CoursesModel::CancelPending() {
  if (!table_ || !appendPending_) return;
  appendPending_ = false;
  table_->Cancel();
  const int last = static_cast<int>(rows_.size()) - 1;
  beginRemoveRows({}, last, last);
  rows_.pop_back();
  endRemoveRows();
}

int CoursesModel::WidthInCharacters(int column) {
  return column >= 0 && column < kColumnCount ? kColumns[column].widthInCharacters : 0;
}

int CoursesModel::MaxLength(int column) const {
  if (column < 0 || column >= kColumnCount) return 0;
  if (table_) {
    const FieldDef& field = table_->Fields()[table_->FieldIndex(kColumns[column].field)];
    if (field.width > 0) return field.width;
  }
  return kColumns[column].widthInCharacters;
}

int CoursesModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int CoursesModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

QVariant CoursesModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const Row& row = rows_[static_cast<std::size_t>(index.row())];
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
      return row.texts[index.column()];
    case Qt::BackgroundRole:
      if (const QColor tint = ProposalTint(row.origins[index.column()]); tint.isValid())
        return tint;
      return {};
    case Qt::ToolTipRole: {
      if (index.column() != kNivel && index.column() != kCurso) return {};
      QStringList lines;
      if (const QString meaning = ProposalMeaning(row.origins[index.column()]); !meaning.isEmpty())
        lines << meaning;
      if (!row.note.isEmpty()) lines << row.note;
      return lines.isEmpty() ? QVariant() : QVariant(lines.join(QLatin1Char('\n')));
    }
    default:
      return {};
  }
}

QVariant CoursesModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount) return {};
  switch (role) {
    case Qt::DisplayRole:
      return QString::fromUtf8(kColumns[section].title);
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    default:
      return {};
  }
}

Qt::ItemFlags CoursesModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
  if (kColumns[index.column()].editable && table_) flags |= Qt::ItemIsEditable;
  return flags;
}

bool CoursesModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || !index.isValid() || !(flags(index) & Qt::ItemIsEditable))
    return false;
  const auto row = static_cast<std::size_t>(index.row());
  const QString text = value.toString().left(MaxLength(index.column()));
  if (text == rows_[row].texts[index.column()]) return true;
  if (!WriteCell(row, index.column(), text)) return false;
  // What the person typed is theirs, whatever was proposed before.
  rows_[row].origins[index.column()] = ProposalOrigin::Stored;
  emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole, Qt::BackgroundRole});
  return true;
}

bool CoursesModel::WriteCell(std::size_t row, int column, const QString& text) {
  try {
    const std::string field = kColumns[column].field;
    const std::string bytes = Utf8ToCp1252(text.toStdString());
    const bool pendingRow = appendPending_ && row + 1 == rows_.size();
    if (!pendingRow) {
      // Edit works on the table's current row; walk the cursor to this one.
      table_->First();
      for (std::size_t i = 0; i < row; ++i) table_->Next();
      table_->Edit();
    }
    table_->SetText(field, bytes);
    if (!pendingRow) table_->Post();
  } catch (...) {
    Report(std::current_exception());
    return false;
  }
  rows_[row].texts[column] = text;
  return true;
}

std::vector<CourseRow> CoursesModel::CourseRows() const {
  if (!table_) return {};
  return ReadCourseRows(*table_);
}

namespace {

bool IsProposed(ProposalOrigin origin) {
  return origin == ProposalOrigin::Remembered || origin == ProposalOrigin::Suggested;
}

}  // namespace

void CoursesModel::ApplyProposal(int row, const CourseProposal& proposal) {
  if (!table_ || row < 0 || row >= rowCount()) return;
  if (IsProposed(proposal.origin)) {
    const auto r = static_cast<std::size_t>(row);
    const std::pair<int, const std::string*> cells[] = {{kNivel, &proposal.nivel},
                                                        {kCurso, &proposal.curso}};
    for (const auto& [column, value] : cells) {
      const QString text = QString::fromStdString(Cp1252ToUtf8(*value)).left(MaxLength(column));
      if (!WriteCell(r, column, text)) return;
    }
  }
  MarkProposal(row, proposal);
}

void CoursesModel::MarkProposal(int row, const CourseProposal& proposal) {
  if (row < 0 || row >= rowCount()) return;
  Row& target = rows_[static_cast<std::size_t>(row)];
  target.note = QString::fromStdString(proposal.note);
  if (IsProposed(proposal.origin)) {
    const std::pair<int, const std::string*> cells[] = {{kNivel, &proposal.nivel},
                                                        {kCurso, &proposal.curso}};
    for (const auto& [column, value] : cells) {
      const QString text = QString::fromStdString(Cp1252ToUtf8(*value)).left(MaxLength(column));
      if (target.texts[column] == text) target.origins[column] = proposal.origin;
    }
  }
  emit dataChanged(index(row, kNivel), index(row, kCurso),
                   {Qt::DisplayRole, Qt::EditRole, Qt::BackgroundRole, Qt::ToolTipRole});
}

bool CoursesModel::HasProposedCells() const {
  return std::any_of(rows_.begin(), rows_.end(), [](const Row& row) {
    return IsProposed(row.origins[kNivel]) || IsProposed(row.origins[kCurso]);
  });
}

ProposalOrigin CoursesModel::OriginAt(const QModelIndex& index) const {
  if (!index.isValid() || index.row() >= rowCount()) return ProposalOrigin::Stored;
  return rows_[static_cast<std::size_t>(index.row())].origins[index.column()];
}

}  // namespace travalen
