// The group names the units will get from the courses' levels, before anything is written.
#include "GroupPreview.h"

#include <map>
#include <set>

#include "Clipper.h"
#include "CourseLevels.h"
#include "ExportRun.h"
#include "Units.h"

namespace travalen {

namespace {

// As the group names take them: five characters of the level, one of the course number.
constexpr std::size_t kLevelCharacters = 5;

bool LacksLevel(const CourseRow& course) {
  return IsMissingLevelValue(course.nivel) || IsMissingLevelValue(course.curso);
}

// The part of a level that goes into group names, compared as they are: letter case aside.
std::string LevelKey(const CourseRow& course) {
  return FoldCase1252(course.nivel.substr(0, kLevelCharacters));
}

std::string Quoted(const std::string& text8) { return "«" + ForMessage(text8) + "»"; }

std::string QuotedList(const std::set<std::string>& texts8) {
  std::string list;
  for (const std::string& text : texts8) list += (list.empty() ? "" : ", ") + Quoted(text);
  return list;
}

CourseLevelWarning Warning(FindingCategory category, const std::vector<const CourseRow*>& rows,
                           std::string text) {
  CourseLevelWarning warning{category, {}, {}, std::move(text)};
  for (const CourseRow* row : rows) {
    warning.courses.push_back(row->clave);
    warning.item += (warning.item.empty() ? "" : ", ") + Quoted(row->clave) + " (" +
                    ForMessage(row->estud) + ")";
  }
  return warning;
}

}  // namespace

std::vector<CourseLevelWarning> CourseLevelWarnings(const std::vector<CourseRow>& courses) {
  std::vector<CourseLevelWarning> warnings;

  std::vector<const CourseRow*> withoutLevel;
  // Courses with both values, by the part of the level the names take, in row order.
  std::map<std::string, std::vector<const CourseRow*>> byLevelKey;
  std::vector<std::string> levelKeys;  // first appearance order
  for (const CourseRow& course : courses) {
    if (LacksLevel(course)) {
      withoutLevel.push_back(&course);
      continue;
    }
    auto [entry, added] = byLevelKey.try_emplace(LevelKey(course));
    if (added) levelKeys.push_back(entry->first);
    entry->second.push_back(&course);
  }
  if (!withoutLevel.empty())
    warnings.push_back(Warning(FindingCategory::CourseWithoutLevel, withoutLevel,
                               "Les falta el NIVEL o el CURSO. Los nombres de sus grupos se "
                               "forman con ellos: complételos antes de seguir."));

  for (const std::string& key : levelKeys) {
    const auto& rows = byLevelKey[key];
    std::set<std::string> levels;
    for (const CourseRow* row : rows) levels.insert(row->nivel);
    if (levels.size() < 2) continue;
    warnings.push_back(Warning(
        FindingCategory::LevelsShareFirstFive, rows,
        "Los niveles " + QuotedList(levels) +
            " son distintos, pero los nombres de grupo solo toman sus cinco primeros caracteres "
            "sin distinguir mayúsculas: los grupos de sus cursos con el mismo CURSO seguirán "
            "una sola serie de letras. Dé a cada nivel cinco primeros caracteres distintos."));
  }

  for (const std::string& key : levelKeys) {
    std::map<std::string, std::vector<const CourseRow*>> byFirst;
    std::vector<std::string> firsts;
    for (const CourseRow* row : byLevelKey[key]) {
      auto [entry, added] = byFirst.try_emplace(FoldCase1252(row->curso.substr(0, 1)));
      if (added) firsts.push_back(entry->first);
      entry->second.push_back(row);
    }
    for (const std::string& first : firsts) {
      const auto& rows = byFirst[first];
      std::set<std::string> numbers;
      for (const CourseRow* row : rows) numbers.insert(row->curso);
      if (numbers.size() < 2) continue;
      warnings.push_back(Warning(
          FindingCategory::CourseNumbersShareFirst, rows,
          "Los CURSOS " + QuotedList(numbers) + " del nivel " + Quoted(rows.front()->nivel) +
              " empiezan por el mismo carácter, y los nombres de grupo solo toman el primero: "
              "sus grupos seguirán una sola serie de letras. Use cursos que empiecen distinto."));
    }
  }
  return warnings;
}

GroupPreview PreviewGroupNames(const SenecaDocument& document,
                               const std::vector<CourseRow>& courses) {
  GroupPreview preview;
  NameUnitGroups(document, courses, [&](const UnitGroup& unit) {
    preview.groups.push_back({unit.code, unit.name, unit.courseCode, unit.abbreviation});
  });
  preview.warnings = CourseLevelWarnings(courses);
  return preview;
}

}  // namespace travalen
