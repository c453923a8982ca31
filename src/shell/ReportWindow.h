// "Informe de la conversión": the rows of each table and the findings of a completed job.
#pragma once

#include <QDialog>
#include <QString>
#include <filesystem>

#include "ConversionReport.h"

class QLabel;
class QPushButton;
class QTableView;

namespace travalen {

class Prompts;

// Modal: the job waits on it before it ends (and, launched by the host, before the
// window closes). The findings can be sorted by any column, and copied or saved for
// whoever has to act on them.
class ReportWindow : public QDialog {
  Q_OBJECT

 public:
  // Keeps a copy of `report`. "Guardar CSV…" asks through `prompts`, proposing
  // `suggestedCsv`, and reports there a file it could not write.
  ReportWindow(const ConversionReport& report, Prompts& prompts, std::filesystem::path suggestedCsv,
               QWidget* parent = nullptr);

  // The findings as shown; null when the report has none.
  QTableView* Findings() const { return findings_; }
  // The selected findings, or all of them under a line of titles, as lines of
  // tab-separated cells in the order shown: what Ctrl+C and "Copiar todo" put on the
  // clipboard.
  QString SelectedText() const;
  QString AllText() const;

 private:
  void CopyAll();
  void SaveCsv();

  ConversionReport report_;
  Prompts& prompts_;
  std::filesystem::path suggestedCsv_;
  QTableView* findings_ = nullptr;
  QLabel* saved_;
};

}  // namespace travalen
