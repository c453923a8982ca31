// The job port of travalen-cli: the file comes from the command line, levels from a file.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "ConversionReport.h"
#include "JobPort.h"
#include "LevelsFile.h"

namespace travalen {

class CliPort : public JobPort {
 public:
  CliPort(std::filesystem::path xmlFile, std::ostream& out, std::ostream& err)
      : xmlFile_(std::move(xmlFile)), out_(out), err_(err) {}

  // Levels to write into CURSOST in place of the dialog; `force` goes on with courses
  // that still lack a level, as the tables allow.
  void SetCourseLevels(std::vector<CourseLevel> levels, bool force) {
    levels_ = std::move(levels);
    force_ = force;
  }

  std::optional<std::filesystem::path> ChooseXmlFile() override { return xmlFile_; }
  // Warnings and errors go to the error stream at once. Information ("Proceso
  // finalizado") waits for the end of the run, so that the report comes before it and a
  // script still finds the result on the last line.
  void ShowMessage(const std::string& text, MessageKind kind) override;
  void SetBusy(bool) override {}
  CourseDialogResult EditCourseLevels(const std::filesystem::path& coursesTable,
                                      bool retry) override;
  void CloseWindow() override {}
  void ShowReport(const ConversionReport& report) override { report_ = report; }

  // The report of a completed run; nothing before one.
  const std::optional<ConversionReport>& Report() const { return report_; }
  // Writes the information messages of the run, in order, to the output stream.
  void PrintNotices();

 private:
  std::filesystem::path xmlFile_;
  std::ostream& out_;
  std::ostream& err_;
  std::vector<CourseLevel> levels_;
  bool force_ = false;
  std::optional<ConversionReport> report_;
  std::vector<std::string> notices_;
};

}  // namespace travalen
