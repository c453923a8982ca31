// The group-name preview: the names LeeUnidades writes, and the warnings about levels.
#include "GroupPreview.h"

#include <gtest/gtest.h>

#include "ExportFixtures.h"
#include "Units.h"

namespace travalen {
namespace {

using test::ReadRows;
using test::SourceDir;
using test::TempDir;

CourseRow Row(const char* clave, const char* nivel, const char* curso, const char* estud = "") {
  return {Utf8ToCp1252(clave), Utf8ToCp1252(estud), Utf8ToCp1252(nivel), Utf8ToCp1252(curso)};
}

// Writes `courses` as CURSOST and runs the units step; gives GRUPOST as group names.
std::vector<GroupName> WrittenGroups(const SenecaDocument& document,
                                     const std::vector<CourseRow>& courses) {
  TempDir dir;
  CreateExchangeTable(dir.path(), "CURSOST.DBF");
  {
    DbfTable table = DbfTable::Open(dir / "CURSOST.DBF");
    for (const CourseRow& course : courses) {
      table.Append();
      table.SetText("CLAVE", course.clave);
      table.SetText("ESTUD", course.estud);
      table.SetText("NIVEL", course.nivel);
      table.SetText("CURSO", course.curso);
      table.Post();
    }
  }
  LeeUnidades(ExportRun{document, dir.path(), {}});
  std::vector<GroupName> groups;
  for (const auto& row : ReadRows(dir / "GRUPOST.DBF"))
    groups.push_back({Utf8ToCp1252(row.at("CLAVE")), "", Utf8ToCp1252(row.at("CLAVECURSO")),
                      Utf8ToCp1252(row.at("ABREV"))});
  return groups;
}

TEST(PreviewGroupNames, GivesTheNamesTheUnitsStepWritesOnTheSample) {
  const auto document = SenecaDocument::Load(SourceDir() / "data/sample/seneca-export.xml");
  std::vector<CourseRow> sample = DocumentCourses(*document);
  ASSERT_EQ(sample.size(), 6u);
  const std::vector<std::pair<const char*, const char*>> levels = {
      {"ESO", "1"}, {"ESO", "2"}, {"ESO", "3"}, {"ESO", "4"}, {"BCT", "1"}, {"BCT", "2"}};
  for (std::size_t i = 0; i < sample.size(); ++i) {
    sample[i].nivel = levels[i].first;
    sample[i].curso = levels[i].second;
  }
  // As the dialog may have them mid-edit: a level in other letter case, one course
  // without level, one with a two-digit number.
  std::vector<CourseRow> edited = sample;
  edited[1].nivel = "eso";
  edited[1].curso = "1";
  edited[2].nivel = "";
  edited[5].curso = "10";

  for (const auto* courses : {&sample, &edited}) {
    const GroupPreview preview = PreviewGroupNames(*document, *courses);
    std::vector<GroupName> withoutNames = preview.groups;
    for (GroupName& group : withoutNames) {
      EXPECT_FALSE(group.unitName.empty());
      group.unitName.clear();
    }
    EXPECT_EQ(withoutNames, WrittenGroups(*document, *courses));
  }
  EXPECT_EQ(Cp1252ToUtf8(PreviewGroupNames(*document, sample).groups.front().groupName), "ESO1A");
}

TEST(PreviewGroupNames, ListsEveryUnitWithItsSenecaLabelAndUnknownCoursesToo) {
  test::StepFixture fixture(
      {{"UNIDADES", {{"u1", "1ºA", "c1"}, {"solo"}, {"u2", "1ºB", "c1"}, {"u3", "Z", "zz"}}}});
  const GroupPreview preview = PreviewGroupNames(*fixture.document, {Row("c1", "ESO", "1")});
  EXPECT_EQ(preview.groups, (std::vector<GroupName>{{"u1", Utf8ToCp1252("1ºA"), "c1", "ESO1A"},
                                                    {"u2", Utf8ToCp1252("1ºB"), "c1", "ESO1B"},
                                                    {"u3", "Z", "zz", "A"}}));
  EXPECT_TRUE(preview.warnings.empty());
}

TEST(CourseLevelWarnings, NameTheCoursesWhoseGroupNamesWillClash) {
  const std::vector<CourseRow> courses = {
      Row("c1", "ESO", "1", "1º de E.S.O."),
      Row("c2", "eso", "2", "2º de E.S.O."),  // same five characters as ESO, letter case aside
      Row("c3", "FP", "1"),
      Row("c4", "FP", "10"),  // begins as "1"
      Row("c5", "", "1"),
      Row("c6", "BCT", " "),
      Row("c7", "BCT", "1"),
      Row("c8", "BCT", "2"),
      Row("c9", "FP", "1"),
  };
  struct Expected {
    FindingCategory category;
    std::vector<std::string> courses;
    std::vector<std::string> inText;
  };
  const std::vector<Expected> expected = {
      {FindingCategory::CourseWithoutLevel, {"c5", "c6"}, {}},
      {FindingCategory::LevelsShareFirstFive, {"c1", "c2"}, {"«ESO»", "«eso»"}},
      {FindingCategory::CourseNumbersShareFirst, {"c3", "c4", "c9"}, {"«1»", "«10»", "«FP»"}},
  };
  const auto warnings = CourseLevelWarnings(courses);
  ASSERT_EQ(warnings.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(warnings[i].category, expected[i].category);
    EXPECT_EQ(warnings[i].courses, expected[i].courses);
    for (const std::string& clave : expected[i].courses)
      EXPECT_NE(warnings[i].item.find("«" + clave + "»"), std::string::npos) << warnings[i].item;
    for (const std::string& text : expected[i].inText)
      EXPECT_NE(warnings[i].text.find(text), std::string::npos) << warnings[i].text;
  }
  EXPECT_NE(warnings[1].item.find("1º de E.S.O."), std::string::npos);

  EXPECT_TRUE(CourseLevelWarnings({Row("c1", "ESO", "1"), Row("c2", "ESO", "2"),
                                   Row("c3", "BCT", "1"), Row("c4", "BCT", "1")})
                  .empty());
}

}  // namespace
}  // namespace travalen
