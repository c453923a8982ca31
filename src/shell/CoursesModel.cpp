// Rows are kept as UTF-8 QStrings for the view and written back as Windows-1252 bytes.
#include "CoursesModel.h"

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
  if (role == Qt::DisplayRole || role == Qt::EditRole)
    return rows_[static_cast<std::size_t>(index.row())].texts[index.column()];
  return {};
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
  QString text = value.toString().left(MaxLength(index.column()));
  if (text == rows_[row].texts[index.column()]) return true;
  try {
    const std::string field = kColumns[index.column()].field;
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
  rows_[row].texts[index.column()] = text;
  emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
  return true;
}

}  // namespace travalen
