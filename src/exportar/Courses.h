// The courses step (CURSOS_DEL_CENTRO into CURSOST.DBF, the dialog loop) and CURSOST rows.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "DbfTable.h"
#include "ExportRun.h"
#include "JobPort.h"
#include "SenecaDocument.h"

namespace travalen {

enum class CoursesOutcome {
  Completed,   // every pass ended, the last one without missing data
  ForcedExit,  // the person forced the dialog's exit: the run must stop here
};

// Writes one CURSOST row per course record, then shows the level/course dialog through
// the port until a pass comes back without missing data. `reintento` is set before any
// pass that follows missing data and is never cleared here. When the loop ends without a
// forced exit, the complete rows are remembered for the next run (RememberCourseLevels)
// and the run's report hears of courses whose levels will give clashing group names; a
// failure to remember is a finding, not a failure of the run.
CoursesOutcome LeeCursos(const ExportRun& run, JobPort& port, bool& reintento);

// One row of CURSOST.DBF. Texts are 8-bit, as the table gives them back (cut to the
// field's width, no trailing blanks).
struct CourseRow {
  std::string clave;  // the course's Séneca code
  std::string estud;  // the description of its studies
  std::string nivel;
  std::string curso;

  bool operator==(const CourseRow&) const = default;
};

// The rows of an open CURSOST.DBF, in table order. Throws TravalenError when the table
// lacks one of the four fields.
std::vector<CourseRow> ReadCourseRows(const DbfTable& coursesTable);

// The rows LeeCursos writes for the document's CURSOS_DEL_CENTRO block: one per record
// with two values or more, in document order, CLAVE and ESTUD as CURSOST will hold them,
// NIVEL and CURSO empty. `onShortRecord` hears the index of every record passed over.
std::vector<CourseRow> DocumentCourses(const SenecaDocument& document,
                                       const std::function<void(std::size_t)>& onShortRecord = {});

}  // namespace travalen
