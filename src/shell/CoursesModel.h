// CURSOST.DBF as the rows of the level/course grid; every committed cell is posted to it.
#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <exception>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

#include "DbfTable.h"

namespace travalen {

class CoursesModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column { kClave = 0, kEstud, kNivel, kCurso, kColumnCount };

  explicit CoursesModel(QObject* parent = nullptr);

  // Errors of the table layer met while the grid edits (inside the event loop, where
  // nothing may be thrown) go here; without a handler they are rethrown.
  void SetErrorHandler(std::function<void(std::exception_ptr)> handler);

  // Opens the table and reads its rows. Throws TravalenError.
  void Open(const std::filesystem::path& file);
  // Posts a pending row and closes the table; the rows stay shown.
  void Close();
  bool IsOpen() const { return table_.has_value(); }
  // Reads the rows again from the file, after posting a pending row.
  void Refresh();

  // The grid was entered: an empty table begins a blank row, which shows at once.
  void BeginBlankRowIfEmpty();
  // The grid was left: a begun row is posted.
  void PostPending();
  // The begun row is dropped.
  void CancelPending();
  bool HasPendingRow() const { return appendPending_; }

  // The width of a column in characters, and the most a cell of it may hold.
  static int WidthInCharacters(int column);
  int MaxLength(int column) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

 private:
  struct Row {
    QString texts[kColumnCount];
  };
  void ReadRows();
  void Report(std::exception_ptr error);

  std::optional<DbfTable> table_;
  std::vector<Row> rows_;
  bool appendPending_ = false;
  std::function<void(std::exception_ptr)> errorHandler_;
};

}  // namespace travalen
