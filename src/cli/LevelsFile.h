// The levels file that stands in for the level/course dialog on the command line.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "Courses.h"
#include "RememberedLevels.h"

namespace travalen {

struct CourseLevel {
  std::string clave;  // the course code stored in CURSOST (8-bit text)
  std::string nivel;
  std::string curso;
};

// Reads LEVELS.csv: UTF-8 (a byte-order mark is allowed), header CLAVE;NIVEL;CURSO, one
// line per course. Throws TravalenError naming the file and line of a malformed line.
std::vector<CourseLevel> ReadLevelsFile(const std::filesystem::path& file);

// Writes the levels into CURSOST.DBF, every row of each course. Throws TravalenError
// naming the CLAVE of a line that names no course of the table.
void ApplyCourseLevels(const std::filesystem::path& coursesTable,
                       const std::vector<CourseLevel>& levels);

// A LEVELS.csv for `courses`, filled with `proposals` (one per course, in the same
// order; see ProposeCourseLevels): UTF-8, header CLAVE;NIVEL;CURSO, one line per course,
// NIVEL and CURSO empty where nothing is proposed. ReadLevelsFile reads it back as it is.
std::string LevelsFileText(const std::vector<CourseRow>& courses,
                           const std::vector<CourseProposal>& proposals);

}  // namespace travalen
