// CURSOST.DBF as the rows of the level/course grid; every committed cell is posted to it.
#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <exception>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

#include "Courses.h"
#include "DbfTable.h"
#include "RememberedLevels.h"

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

  // The rows as the open table holds them, read as the core reads CURSOST. Throws
  // TravalenError.
  std::vector<CourseRow> CourseRows() const;
  // Writes `proposal` into `row` as if the person had typed it, and marks its NIVEL and
  // CURSO with where it came from until the person changes them. A Stored or None proposal
  // writes nothing; its note, when it has one, still shows on the row's two cells. Errors
  // of the table layer go to the error handler.
  void ApplyProposal(int row, const CourseProposal& proposal);
  // Marks the cells of `row` that still hold what `proposal` (made in an earlier pass)
  // put there, and takes its note; writes nothing.
  void MarkProposal(int row, const CourseProposal& proposal);
  bool HasProposedCells() const;
  // Remembered or Suggested while the cell holds what the dialog proposed; else Stored.
  ProposalOrigin OriginAt(const QModelIndex& index) const;

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
    // Zero is Stored: a value is the person's unless the dialog put it there.
    ProposalOrigin origins[kColumnCount] = {};
    QString note;  // why a proposal was or was not made, for the row's level cells
  };
  void ReadRows();
  // Writes one cell into the table and the row; false when the table refused it.
  bool WriteCell(std::size_t row, int column, const QString& text);
  void Report(std::exception_ptr error);

  std::optional<DbfTable> table_;
  std::vector<Row> rows_;
  bool appendPending_ = false;
  std::function<void(std::exception_ptr)> errorHandler_;
};

}  // namespace travalen
