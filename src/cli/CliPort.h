// The job port of travalen-cli: the file comes from the command line, levels from a file.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <vector>

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
  void ShowMessage(const std::string& text, MessageKind kind) override;
  void SetBusy(bool) override {}
  CourseDialogResult EditCourseLevels(const std::filesystem::path& coursesTable,
                                      bool retry) override;
  void CloseWindow() override {}

 private:
  std::filesystem::path xmlFile_;
  std::ostream& out_;
  std::ostream& err_;
  std::vector<CourseLevel> levels_;
  bool force_ = false;
};

}  // namespace travalen
