// What the fuzz targets share: a folder per process, a scripted person, a small document.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "JobPort.h"

namespace travalen::fuzz {

// A fresh folder for this process, made at the first call and removed at a normal exit.
// Inputs overwrite the files in it, so that a run costs no directory churn.
const std::filesystem::path& ProcessDir();

void WriteBytes(const std::filesystem::path& file, const std::uint8_t* data, std::size_t size);
void WriteBytes(const std::filesystem::path& file, const std::string& bytes);
std::string ReadBytes(const std::filesystem::path& file);

// Stops the process with a message; libFuzzer keeps the input that led here.
[[noreturn]] void Fail(const std::string& what);

// The person at the screen, reduced to what a fuzz run needs: the file is always the given
// one, and the level/course dialog gives every course that lacks them level "ESO" and
// course "1" before it closes with OK. A message that reports an unexpected exception (one
// the core let through without turning it into a message for the person) stops the process:
// that is a bug, whatever the input.
class FuzzPort : public JobPort {
 public:
  explicit FuzzPort(std::filesystem::path file) : file_(std::move(file)) {}

  std::optional<std::filesystem::path> ChooseXmlFile() override { return file_; }
  void ShowMessage(const std::string& text, MessageKind kind) override;
  void SetBusy(bool) override {}
  CourseDialogResult EditCourseLevels(const std::filesystem::path& coursesTable,
                                      bool retry) override;
  void CloseWindow() override {}

  const std::string& LastMessage() const { return lastMessage_; }

 private:
  std::filesystem::path file_;
  std::string lastMessage_;
};

// A Séneca export as small as still reaches every step with something to write: one
// course, subjects and an activity, rooms, a school day, three time slots, two units and
// two teachers. ISO-8859-1, like the real files.
std::string SmallSenecaDocument();

// A subject look-up table like the shipped one, with a few of the small document's names.
void WriteSubjectLookup(const std::filesystem::path& file);

// Every exchange table in `dir` opens, has its schema's fields and reads row by row;
// stops the process otherwise. What a completed export wrote must be usable, whatever the
// document held.
void CheckExchangeTables(const std::filesystem::path& dir);

// Runs the whole exportar job on `xml` into `exchangeDir`; true when it completed.
bool RunExportar(const std::filesystem::path& xml, const std::filesystem::path& exchangeDir,
                 const std::filesystem::path& subjectLookup);

}  // namespace travalen::fuzz
