// The units step: UNIDADES into GRUPOST.DBF, group names from the courses' levels.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "Courses.h"
#include "ExportRun.h"
#include "SenecaDocument.h"

namespace travalen {

// Re-creates GRUPOST.DBF with one row per unit record; the group's abbreviation is up to
// five characters of its course's NIVEL, the first character of its CURSO and the first
// letter from A upward that no earlier group of the run took, letter case aside. Reads
// the courses from the CURSOST.DBF of this run. Throws TravalenError when one base runs
// out of letters.
void LeeUnidades(const ExportRun& run);

// One record of the UNIDADES block and the group it becomes. Texts are 8-bit.
struct UnitGroup {
  std::size_t record = 0;             // the record's index in the block
  std::string code;                   // position 0: the unit's Séneca code
  std::string name;                   // position 1: Séneca's label ("1ºA"), not written
  std::string courseCode;             // position 2: the code of the unit's course
  const CourseRow* course = nullptr;  // the first of the given courses with that code
  std::string abbreviation;           // the group's name (GRUPOST.ABREV)
};

// Names the group of every unit record with two values or more, in document order, from
// `courses` (the rows of CURSOST, or the dialog's rows being edited), exactly as
// LeeUnidades names them: `onUnit` hears each one as it is named, `onShortRecord` the
// index of every record passed over. `UnitGroup::course` points into `courses`. Throws
// TravalenError when one base runs out of letters.
void NameUnitGroups(const SenecaDocument& document, const std::vector<CourseRow>& courses,
                    const std::function<void(const UnitGroup&)>& onUnit,
                    const std::function<void(std::size_t)>& onShortRecord = {});

}  // namespace travalen
