// The group names the units will get from the courses' levels, before anything is written.
#pragma once

#include <string>
#include <vector>

#include "ConversionReport.h"
#include "Courses.h"
#include "SenecaDocument.h"

namespace travalen {

// A choice of levels and course numbers that will give group names the person does not
// expect.
struct CourseLevelWarning {
  // CourseWithoutLevel, LevelsShareFirstFive or CourseNumbersShareFirst.
  FindingCategory category;
  // The CLAVE of each course concerned, 8-bit, in the order of the rows given.
  std::vector<std::string> courses;
  // The same courses for people: «224318» (1º de E.S.O.), … UTF-8.
  std::string item;
  // What will happen and what to do, in Spanish. UTF-8.
  std::string text;
};

// The warnings for a set of course rows (as CURSOST holds them or as the dialog is
// editing them), one per problem, in this order:
//   - courses without NIVEL or CURSO (blanks and control characters count as nothing);
//   - different levels whose first five characters are the same, letter case aside: the
//     groups of their courses with the same number share one series of letters;
//   - course numbers of one level (its first five characters) whose first character is
//     the same ("1" and "10"): their groups share one series.
std::vector<CourseLevelWarning> CourseLevelWarnings(const std::vector<CourseRow>& courses);

// One unit and the name its group will get. Texts are 8-bit.
struct GroupName {
  std::string unitCode;    // UNIDADES position 0 (GRUPOST.CLAVE)
  std::string unitName;    // UNIDADES position 1, Séneca's own label ("1ºA")
  std::string courseCode;  // UNIDADES position 2 (GRUPOST.CLAVECURSO)
  std::string groupName;   // GRUPOST.ABREV

  bool operator==(const GroupName&) const = default;
};

struct GroupPreview {
  std::vector<GroupName> groups;  // in document order, one per unit the step writes
  std::vector<CourseLevelWarning> warnings;
};

// What LeeUnidades would write for `document` if CURSOST held `courses`: the same code
// names the groups. Throws TravalenError, as LeeUnidades does, when one name runs out of
// letters.
GroupPreview PreviewGroupNames(const SenecaDocument& document,
                               const std::vector<CourseRow>& courses);

}  // namespace travalen
