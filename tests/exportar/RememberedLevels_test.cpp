// Remembered levels: what the person confirmed comes back first, suggestions second.
#include "RememberedLevels.h"

#include <gtest/gtest.h>

#include "CourseLevels.h"
#include "Courses.h"
#include "ExportFixtures.h"

namespace travalen {
namespace {

using test::FakePort;
using test::FillCourseLevels;
using test::ReadFile;
using test::SenecaBlock;
using test::StepFixture;
using test::TempDir;
using test::WriteFile;

// A course row from UTF-8 texts.
CourseRow Row(const char* clave, const char* estud, const char* nivel = "",
              const char* curso = "") {
  return {Utf8ToCp1252(clave), Utf8ToCp1252(estud), Utf8ToCp1252(nivel), Utf8ToCp1252(curso)};
}

TEST(ProposeCourseLevels, TheRowsOwnValuesThenRememberedThenSuggested) {
  TempDir dir;
  SaveRememberedLevels(
      dir.path(),
      {Row("1001", "1º de E.S.O.", "ESOB", "1"),
       Row("1999", "1º de Bachillerato (Ciencias y Tecnología)", "BC", "1"),
       Row("1003", "3º de E.S.O.", "E3X", "3"), Row("1006", "Aula Específica", "AE", "1")});
  struct Case {
    CourseRow row;
    const char* nivel;
    const char* curso;
    ProposalOrigin origin;
    const char* inNote;  // empty: no note
  };
  const Case cases[] = {
      // What the person chose wins over what the description suggests (ESO 1).
      {Row("1001", "1º de E.S.O.", " ", ""), "ESOB", "1", ProposalOrigin::Remembered, ""},
      // A row already begun is the person's: nothing of ours is mixed into it.
      {Row("1001", "1º de E.S.O.", "X"), "X", "", ProposalOrigin::Stored, ""},
      // A new code for the same studies (letter case aside) keeps their level.
      {Row("2001", "1º de bachillerato (ciencias y tecnología)"), "BC", "1",
       ProposalOrigin::Remembered, "«1999»"},
      // The code now names other studies: the old choice is told, not taken.
      {Row("1003", "3º de E.S.O. (LOMLOE)"), "ESO", "3", ProposalOrigin::Suggested, "«E3X»"},
      // Remembered where nothing could be suggested.
      {Row("1006", "Aula Específica"), "AE", "1", ProposalOrigin::Remembered, ""},
      {Row("1005", "4º de E.S.O."), "ESO", "4", ProposalOrigin::Suggested, ""},
      {Row("1004", "Enseñanzas Profesionales de Música"), "", "", ProposalOrigin::None, ""},
  };
  std::vector<CourseRow> rows;
  for (const Case& c : cases) rows.push_back(c.row);
  const std::vector<CourseProposal> proposals = ProposeCourseLevels(dir.path(), rows);
  ASSERT_EQ(proposals.size(), rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(Cp1252ToUtf8(rows[i].clave + " " + rows[i].estud));
    EXPECT_EQ(proposals[i].nivel, cases[i].nivel);
    EXPECT_EQ(proposals[i].curso, cases[i].curso);
    EXPECT_EQ(proposals[i].origin, cases[i].origin);
    if (*cases[i].inNote == '\0')
      EXPECT_EQ(proposals[i].note, "");
    else
      EXPECT_NE(proposals[i].note.find(cases[i].inNote), std::string::npos) << proposals[i].note;
  }
}

TEST(SaveRememberedLevels, TheLatestChoiceReplacesEveryOldOneForItsCodeOrDescription) {
  TempDir dir;
  SaveRememberedLevels(
      dir.path(), {Row("1001", "1º de E.S.O. (antigua)", "OLD", "1"),
                   Row("0900", "2º de E.S.O.", "OLD", "2"), Row("0800", "Otra cosa", "OTR", "1")});
  SaveRememberedLevels(
      dir.path(), {Row("1001", "1º de E.S.O.", "ESO", "1"), Row("1002", "2º de E.S.O.", "ESO", "2"),
                   Row("1003", "3º de E.S.O.", "ESO", " ")});
  EXPECT_EQ(LoadRememberedLevels(dir.path()),
            (std::vector<CourseRow>{Row("1001", "1º de E.S.O.", "ESO", "1"),
                                    Row("1002", "2º de E.S.O.", "ESO", "2"),
                                    Row("0800", "Otra cosa", "OTR", "1")}));
}

TEST(SaveRememberedLevels, NothingCompleteWritesNothing) {
  TempDir dir;
  SaveRememberedLevels(dir.path(), {Row("1001", "1º de E.S.O.", "ESO", ""), Row("1002", "x")});
  EXPECT_FALSE(std::filesystem::exists(RememberedLevelsPath(dir.path())));
}

TEST(RememberedLevelsFile, IsUtf8CsvThatKeepsAnyDescriptionAndSkipsDamagedLines) {
  TempDir dir;
  const CourseRow awkward = Row("1001", "1º; \"Diversificación\"\nCurricular", "EDSO", "3");
  SaveRememberedLevels(dir.path(), {awkward});
  const std::string text = ReadFile(RememberedLevelsPath(dir.path()));
  EXPECT_EQ(text.rfind("CLAVE;ESTUD;NIVEL;CURSO\r\n", 0), 0u);
  EXPECT_NE(text.find("Diversificación"), std::string::npos);  // UTF-8 on disk
  EXPECT_EQ(LoadRememberedLevels(dir.path()), std::vector<CourseRow>{awkward});

  WriteFile(RememberedLevelsPath(dir.path()),
            "\xEF\xBB\xBF"
            "CLAVE;ESTUD;NIVEL;CURSO\n"
            "1001;1º de E.S.O.;ESO;1\n"
            "roto\n"
            "1002;2º de E.S.O.;;2\n"
            "1003;3º de E.S.O.;ESO;3;de más\n"
            "1004;4º de E.S.O.;ESO;4\n");
  EXPECT_EQ(LoadRememberedLevels(dir.path()),
            (std::vector<CourseRow>{Row("1001", "1º de E.S.O.", "ESO", "1"),
                                    Row("1004", "4º de E.S.O.", "ESO", "4")}));
}

const std::vector<SenecaBlock> kCourses = {
    {"ANNO_ACADEMICO", {}, {"2023", "01/09/2023", "31/08/2024"}},
    {"CURSOS_DEL_CENTRO", {{"212306", "1º de E.S.O."}, {"212307", "2º de E.S.O."}}}};

TEST(LeeCursos, RemembersTheConfirmedLevelsButNotAfterAForcedExit) {
  for (bool forced : {false, true}) {
    SCOPED_TRACE(forced ? "forced exit" : "confirmed");
    StepFixture fixture(kCourses);
    FakePort port;
    port.dialog = [&](const std::filesystem::path& table, int pass) {
      // The first pass leaves a course incomplete; only what the last pass confirms counts.
      if (pass == 1) {
        FillCourseLevels(table, {{"212306", {"OLD", "9"}}, {"212307", {"ESO", ""}}});
        return CourseDialogResult{true, false};
      }
      FillCourseLevels(table, {{"212306", {"ESO", "1"}}, {"212307", {"ESO", "2"}}});
      return CourseDialogResult{false, forced};
    };
    bool retry = false;
    LeeCursos(fixture.run, port, retry);
    if (forced) {
      EXPECT_FALSE(std::filesystem::exists(RememberedLevelsPath(fixture.dir.path())));
    } else {
      EXPECT_EQ(LoadRememberedLevels(fixture.dir.path()),
                (std::vector<CourseRow>{Row("212306", "1º de E.S.O.", "ESO", "1"),
                                        Row("212307", "2º de E.S.O.", "ESO", "2")}));
    }
  }
}

TEST(LeeCursos, AFileThatCannotBeWrittenIsAFindingAndTheStepGoesOn) {
  StepFixture fixture(kCourses);
  ConversionReport report;
  fixture.run.report = &report;
  // A folder where the file should be: neither readable nor replaceable as a file.
  std::filesystem::create_directories(RememberedLevelsPath(fixture.dir.path()) / "x");
  FakePort port;
  port.dialog = [](const std::filesystem::path& table, int) {
    FillCourseLevels(table, {{"212306", {"ESO", "1"}}, {"212307", {"ESO", "2"}}});
    return CourseDialogResult{};
  };
  bool retry = false;
  EXPECT_EQ(LeeCursos(fixture.run, port, retry), CoursesOutcome::Completed);
  ASSERT_EQ(report.Count(FindingCategory::LevelsNotRemembered), 1u);
  EXPECT_EQ(report.findings.size(), 1u);
}

}  // namespace
}  // namespace travalen
