// What a job needs from whoever runs it: the window, the command line or a test.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "ConversionReport.h"

namespace travalen {

enum class MessageKind { Information, Warning, Error };

// How one pass of the level/course dialog ended.
struct CourseDialogResult {
  bool missingData = false;  // OK found a course without NIVEL or CURSO (FaltanDatos)
  bool forcedExit = false;   // "Forzar Salida Sin Terminar Proceso " was pressed (Salida)
};

// The drivers talk to the person only through this. Texts are UTF-8.
class JobPort {
 public:
  virtual ~JobPort() = default;
  // The file dialog "Archivo XML"; nothing when the person cancels.
  virtual std::optional<std::filesystem::path> ChooseXmlFile() = 0;
  // A message the person acknowledges before the job goes on.
  virtual void ShowMessage(const std::string& text, MessageKind kind) = 0;
  virtual void SetBusy(bool busy) = 0;
  // One pass of the level/course dialog over `coursesTable` (CURSOST.DBF); `retry` is
  // set from the second pass on, which shows the force-exit button from the start.
  virtual CourseDialogResult EditCourseLevels(const std::filesystem::path& coursesTable,
                                              bool retry) = 0;
  // Asks the window to close once the job returns.
  virtual void CloseWindow() = 0;
  // Which step is running, for a progress line; the default shows nothing.
  virtual void ShowProgress(const std::string& /*step*/) {}
  // What a completed job did and what to check, right after "Proceso finalizado" and
  // before the window is asked to close; the default shows nothing. The report is the
  // job's: copy what must outlive the call.
  virtual void ShowReport(const ConversionReport& /*report*/) {}
};

}  // namespace travalen
