// The job port of travalen-cli.
#include "CliPort.h"

#include <ostream>

#include "CourseLevels.h"
#include "Text8.h"
#include "TravalenError.h"

namespace travalen {

void CliPort::ShowMessage(const std::string& text, MessageKind kind) {
  if (kind == MessageKind::Information)
    notices_.push_back(text);
  else
    err_ << text << '\n';
}

void CliPort::PrintNotices() {
  for (const std::string& notice : notices_) out_ << notice << '\n';
  notices_.clear();
}

CourseDialogResult CliPort::EditCourseLevels(const std::filesystem::path& coursesTable,
                                             bool /*retry*/) {
  ApplyCourseLevels(coursesTable, levels_);
  auto missing = CoursesMissingLevels(coursesTable);
  if (missing.empty() || force_) return {};
  // Without a person to ask again, a course without level stops the run here, before
  // any group name is built from it.
  std::string list;
  for (const auto& clave : missing) list += (list.empty() ? "" : ", ") + Cp1252ToUtf8(clave);
  throw TravalenError("¡Atención! Falta algún Dato: los cursos " + list +
                      " no tienen NIVEL o CURSO. Complételos en el archivo de niveles, o use "
                      "--forzar para seguir sin ellos.");
}

}  // namespace travalen
