// Levels the person confirmed, kept for the next run, and the dialog's proposals from them.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "Courses.h"

namespace travalen {

// NIVELES_RECORDADOS.csv in the exchange folder: UTF-8, ';' between fields, header
// CLAVE;ESTUD;NIVEL;CURSO, one line per remembered course, the latest choices first. It
// lives beside the tables because it belongs to the school whose tables they are, and
// the timetable program ignores it.
std::filesystem::path RememberedLevelsPath(const std::filesystem::path& exchangeDir);

// The remembered courses, each with CLAVE, ESTUD, NIVEL and CURSO (8-bit), latest first.
// No file gives none; a line that is not four fields or lacks NIVEL or CURSO is passed
// over (the file is only a memory: what it lost is asked again). Throws TravalenError
// when the file exists but cannot be read.
std::vector<CourseRow> LoadRememberedLevels(const std::filesystem::path& exchangeDir);

// Adds `confirmed` to what is remembered and saves the file atomically. Only rows with
// both NIVEL and CURSO count. A confirmed course replaces every remembered one with its
// CLAVE or its description, so the file holds the latest choice for each. Nothing is
// written when no row counts. Throws TravalenError when the file cannot be written.
void SaveRememberedLevels(const std::filesystem::path& exchangeDir,
                          const std::vector<CourseRow>& confirmed);

// Remembers the complete rows of CURSOST.DBF at `coursesTable` (SaveRememberedLevels).
// LeeCursos calls it when the person has confirmed the levels. Throws TravalenError.
void RememberCourseLevels(const std::filesystem::path& exchangeDir,
                          const std::filesystem::path& coursesTable);

enum class ProposalOrigin {
  Stored,      // the row already has a NIVEL or a CURSO: the person's, left as it is
  Remembered,  // what the person chose for this course before
  Suggested,   // read from the course's description (SuggestCourseLevel)
  None,        // nothing to propose
};

struct CourseProposal {
  std::string nivel;  // 8-bit; empty with None
  std::string curso;  // 8-bit; empty with None
  ProposalOrigin origin = ProposalOrigin::None;
  // Why, when it is not plain (UTF-8, Spanish); empty otherwise.
  std::string note;
};

// One proposal per row of `rows` (CURSOST as written or as being edited), in their order:
//   1. a row with a NIVEL or a CURSO is Stored, with its own values: we never mix ours in;
//   2. else a remembered course with the same CLAVE and description is Remembered;
//   3. else a remembered course with the same description (letter case aside) and
//      another CLAVE is Remembered too: Séneca gives an offer a new code some years, and
//      the same studies keep their level (the note says which course it was);
//   4. else the description's suggestion, Suggested; or None.
// A remembered course with this CLAVE but another description is not taken: the code now
// names other studies, or studies renamed, and the old choice may not fit; the note
// tells what it was, so the person can take it back. Throws TravalenError when the file
// of remembered levels exists but cannot be read.
std::vector<CourseProposal> ProposeCourseLevels(const std::filesystem::path& exchangeDir,
                                                const std::vector<CourseRow>& rows);

}  // namespace travalen
