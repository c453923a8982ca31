// What the exportar tests share: a document in memory, a scripted port, table reading.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "DbfTable.h"
#include "ExportRun.h"
#include "JobPort.h"
#include "Schemas.h"
#include "SenecaBuilder.h"
#include "SenecaDocument.h"
#include "Text8.h"

namespace travalen::test {

// A parsed document and a run over a fresh exchange folder.
struct StepFixture {
  explicit StepFixture(const std::vector<SenecaBlock>& blocks, std::filesystem::path lookup = {})
      : document(SenecaDocument::Parse(SenecaXml(blocks), "prueba.xml")),
        run{*document, dir.path(), std::move(lookup)} {}

  std::filesystem::path Table(const std::string& name) const { return dir / name; }

  TempDir dir;
  std::unique_ptr<SenecaDocument> document;
  ExportRun run;
};

// Every row of a table, field name → text in UTF-8.
using Row = std::map<std::string, std::string>;
inline std::vector<Row> ReadRows(const std::filesystem::path& file) {
  DbfTable table = DbfTable::Open(file);
  std::vector<Row> rows;
  for (std::size_t r = 0; r < table.RowCount(); ++r) {
    Row row;
    for (std::size_t f = 0; f < table.Fields().size(); ++f)
      row[table.Fields()[f].name] = Cp1252ToUtf8(table.TextAt(r, static_cast<int>(f)));
    rows.push_back(std::move(row));
  }
  return rows;
}

// One field of every row, in UTF-8.
inline std::vector<std::string> ReadColumn(const std::filesystem::path& file,
                                           const std::string& field) {
  std::vector<std::string> values;
  for (const Row& row : ReadRows(file)) values.push_back(row.at(field));
  return values;
}

// Appends rows to a new exchange table; values are UTF-8, by field name.
inline void WriteExchangeTable(const std::filesystem::path& dir, const std::string& fileName,
                               const std::vector<Row>& rows) {
  CreateExchangeTable(dir, fileName);
  DbfTable table = DbfTable::Open(dir / fileName);
  for (const Row& row : rows) {
    table.Append();
    for (const auto& [field, value] : row) table.SetText(field, Utf8ToCp1252(value));
    table.Post();
  }
  table.Close();
}

// A subject look-up table like the one shipped beside the program.
inline std::filesystem::path WriteSubjectLookup(const std::filesystem::path& file,
                                                const std::vector<Row>& rows = {}) {
  CreateTable(file.parent_path(), file.filename().string(),
              {{"NOMBRE", FieldKind::Text, 100},
               {"COD", FieldKind::Text, 12},
               {"CODLARGO", FieldKind::Text, 12}});
  DbfTable table = DbfTable::Open(file);
  for (const Row& row : rows) {
    table.Append();
    for (const auto& [field, value] : row) table.SetText(field, Utf8ToCp1252(value));
    table.Post();
  }
  table.Close();
  return file;
}

// Gives every course of CURSOST.DBF a level and a course number, as the dialog would.
inline void FillCourseLevels(
    const std::filesystem::path& coursesTable,
    const std::map<std::string, std::pair<std::string, std::string>>& levelsByCode) {
  DbfTable table = DbfTable::Open(coursesTable);
  for (const auto& [code, levels] : levelsByCode) {
    ASSERT_TRUE(table.Locate("CLAVE", Utf8ToCp1252(code))) << code;
    table.Edit();
    table.SetText("NIVEL", Utf8ToCp1252(levels.first));
    table.SetText("CURSO", Utf8ToCp1252(levels.second));
    table.Post();
  }
  table.Close();
}

// A dialog pass that gives every course level ESO and course 1, whatever it held.
inline CourseDialogResult GiveEveryCourseEso1(const std::filesystem::path& coursesTable) {
  DbfTable table = DbfTable::Open(coursesTable);
  for (table.First(); !table.Eof(); table.Next()) {
    table.Edit();
    table.SetText("NIVEL", "ESO");
    table.SetText("CURSO", "1");
    table.Post();
  }
  table.Close();
  return CourseDialogResult{};
}

// A port whose answers the test scripts and whose calls it records.
class FakePort : public JobPort {
 public:
  using Dialog = std::function<CourseDialogResult(const std::filesystem::path&, int pass)>;

  std::optional<std::filesystem::path> file;
  Dialog dialog = [](const std::filesystem::path&, int) { return CourseDialogResult{}; };

  std::vector<std::pair<std::string, MessageKind>> messages;
  std::vector<bool> busy;
  std::vector<bool> dialogRetries;
  std::vector<std::string> progress;
  int closes = 0;
  // Every report shown, with how many messages and close requests came before it.
  struct ShownReport {
    ConversionReport report;
    std::size_t messagesBefore = 0;
    int closesBefore = 0;
  };
  std::vector<ShownReport> reports;

  std::optional<std::filesystem::path> ChooseXmlFile() override { return file; }
  void ShowMessage(const std::string& text, MessageKind kind) override {
    messages.emplace_back(text, kind);
  }
  void SetBusy(bool on) override { busy.push_back(on); }
  CourseDialogResult EditCourseLevels(const std::filesystem::path& table, bool retry) override {
    dialogRetries.push_back(retry);
    return dialog(table, static_cast<int>(dialogRetries.size()));
  }
  void CloseWindow() override { ++closes; }
  void ShowProgress(const std::string& step) override { progress.push_back(step); }
  void ShowReport(const ConversionReport& report) override {
    reports.push_back({report, messages.size(), closes});
  }

  bool BusyRestored() const { return busy.empty() || !busy.back(); }
};

}  // namespace travalen::test
