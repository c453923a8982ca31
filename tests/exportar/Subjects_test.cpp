// The subjects and activities steps: short and long codes, offers, activity rows.
#include "Subjects.h"

#include <gtest/gtest.h>

#include <set>

#include "ExportFixtures.h"
#include "TravalenError.h"

namespace travalen {
namespace {

using test::ReadColumn;
using test::ReadRows;
using test::Row;
using test::SenecaBlock;
using test::StepFixture;
using test::WriteSubjectLookup;

// MATERIAS records: offer key, subject key, name.
using Records = std::vector<std::vector<std::string>>;

// Runs the subjects step on these records with a look-up table of these rows.
struct SubjectsRun {
  SubjectsRun(const Records& subjects, const std::vector<Row>& lookupRows = {},
              const Records& activities = {})
      : fixture({{"ANNO_ACADEMICO", {}, {"2023"}},
                 {"MATERIAS", subjects},
                 {"ACTIVIDADES", activities}}) {
    fixture.run.subjectLookupTable =
        WriteSubjectLookup(fixture.dir / "SENEMATERIAS.DBF", lookupRows);
    LeeMaterias(fixture.run);
  }
  std::vector<std::string> Subjects(const char* field) const {
    return ReadColumn(fixture.Table("ASIGNOMT.DBF"), field);
  }
  std::vector<std::string> Offers(const char* field) const {
    return ReadColumn(fixture.Table("ASIGNOMT2.DBF"), field);
  }
  StepFixture fixture;
};

struct CodeCase {
  const char* name;
  const char* shortCode;
  const char* storedLongCode;
};

TEST(SubjectCodes, GeneratedForNamesTheLookupTableDoesNotList) {
  const std::vector<CodeCase> cases = {
      {"Lengua Castellana y Literatura", "LCL", "Lengua Cas"},
      {"Matemáticas", "Matemá", "Matemá"},
      // The long code is "Educación " with its blank; the field keeps none.
      {"Educación física", "Ef", "Educación"},
      {"inglés", "inglés", "inglés"},
      {"Ámbito Científico-Matemático", "ÁCM", "Ámbito Cie"},
      {"Valores Éticos", "VÉ", "Valores Ét"},
      {"Latín Cultura Latina", "LC1", "Latín Cult"},
      {"PROYECTO INTEGRADO DE CARÁCTER PRÁCTICO", "PROYECTOIN", "PROYECTOIN"},
      {"PROYECTO INTEGRADO DE CARÁCTER TEÓRICO", "PROYECTOI1", "PROYECTOIN"},
      {"matemáticas", "matemá", "matemá"},
  };
  Records records;
  std::vector<std::string> names, codes, longCodes;
  for (std::size_t i = 0; i < cases.size(); ++i) {
    records.push_back({"O" + std::to_string(i), "M" + std::to_string(i), cases[i].name});
    names.push_back(cases[i].name);
    codes.push_back(cases[i].shortCode);
    longCodes.push_back(cases[i].storedLongCode);
  }
  SubjectsRun run(records);
  EXPECT_EQ(run.Subjects("NOMBRE"), names);
  EXPECT_EQ(run.Subjects("COD"), codes);
  EXPECT_EQ(run.Subjects("CODLARGO"), longCodes);
  EXPECT_EQ(run.Subjects("ESTAREA"), std::vector<std::string>(cases.size(), "F"));
  EXPECT_EQ(run.Subjects("CODTAREA"), std::vector<std::string>(cases.size(), ""));
  EXPECT_EQ(run.Offers("COD"), codes);
  EXPECT_EQ(run.Offers("MATERIA")[6], "M6");
  EXPECT_EQ(run.Offers("OFERTAMATRI")[6], "O6");
}

TEST(SubjectCodes, TwelveSubjectsSharingANineCharacterStemAllGetTheirOwnCode) {
  Records records;
  for (char suffix = 'a'; suffix < 'a' + 12; ++suffix)
    records.push_back({"1", std::string(1, suffix), std::string("ABCDEFGHIJ ") + suffix});
  SubjectsRun run(records);
  EXPECT_EQ(run.Subjects("COD"),
            (std::vector<std::string>{"ABCDEFGHIJ", "ABCDEFGHI1", "ABCDEFGHI2", "ABCDEFGHI3",
                                      "ABCDEFGHI4", "ABCDEFGHI5", "ABCDEFGHI6", "ABCDEFGHI7",
                                      "ABCDEFGHI8", "ABCDEFGHI9", "ABCDEFGH10",
                                      // cutting ABCDEFGHI10 again would repeat the eleventh
                                      "ABCDEFGH11"}));
}

TEST(SubjectCodes, HundredsOfSubjectsOnOneStemStayDistinct) {
  Records records;
  for (int i = 0; i < 250; ++i)
    records.push_back({"1", std::to_string(i), "ABCDEFGHIJ x" + std::to_string(i)});
  SubjectsRun run(records);
  const auto codes = run.Subjects("COD");
  ASSERT_EQ(codes.size(), 250u);
  EXPECT_EQ(std::set<std::string>(codes.begin(), codes.end()).size(), codes.size());
  for (const auto& code : codes) EXPECT_LE(code.size(), 10u) << code;
  // Beyond two digits the number stays whole and the stem gives way.
  EXPECT_EQ(codes[101], "ABCDEFG101");
}

TEST(SubjectCodes, TakenFromTheLookupTableWhenItListsTheName) {
  SubjectsRun run({{"1", "10", "Matemáticas"},
                   {"1", "11", "Física y Química"},
                   {"1", "12", "Proyecto largo"},
                   {"1", "13", "Religión"},
                   {"1", "14", "Música"}},
                  {{{"NOMBRE", "Matemáticas"}, {"COD", "MAT"}},
                   {{"NOMBRE", "Matemáticas"}, {"COD", "OTRO"}},  // the first row counts
                   {{"NOMBRE", "Física y Química"}, {"CODLARGO", "FISYQUIM"}},
                   {{"NOMBRE", "Proyecto largo"}, {"COD", "ABCDEFGHIJKL"}},
                   {{"NOMBRE", "Religión"}, {"COD", "R"}},
                   {{"NOMBRE", "música"}, {"COD", "MUS"}}});  // letter case counts
  EXPECT_EQ(run.Subjects("COD"),
            (std::vector<std::string>{"MAT", "FQ", "ABCDEFGHIJ", "R", "Música"}));
  EXPECT_EQ(
      run.Subjects("CODLARGO"),
      (std::vector<std::string>{"Matemática", "FISYQUIM", "ABCDEFGHIJ", "Religión", "Música"}));
}

TEST(SubjectOffers, AKnownSubjectGetsOneOfferRowPerNewPairOfKeys) {
  SubjectsRun run({{"O1", "10", "Matemáticas"},
                   {"O2", "10", "Matemáticas"},
                   {"O2", "10", "Matemáticas"},
                   {"O1", "20", "Educación física"},
                   {"O3", "20", "Educación física"}});
  EXPECT_EQ(run.Subjects("NOMBRE"), (std::vector<std::string>{"Matemáticas", "Educación física"}));
  const auto offers = ReadRows(run.fixture.Table("ASIGNOMT2.DBF"));
  ASSERT_EQ(offers.size(), 4u);
  EXPECT_EQ(offers[1].at("COD"), "Matemá");
  EXPECT_EQ(offers[1].at("OFERTAMATRI"), "O2");
  // The long code "Educación " finds the stored "Educación".
  EXPECT_EQ(offers[3].at("COD"), "Ef");
  EXPECT_EQ(offers[3].at("CODLARGO"), "Educación");
  EXPECT_EQ(offers[3].at("MATERIA"), "20");
  EXPECT_EQ(offers[3].at("OFERTAMATRI"), "O3");
  for (const auto& offer : offers) EXPECT_EQ(offer.at("CODTAREA"), "");
}

TEST(SubjectOffers, RecordsWithoutNameOrWithOneValueGiveNoRow) {
  SubjectsRun run({{"1", "10", ""}, {"1", "11", "   "}, {"1", "12"}, {"1"}, {}});
  EXPECT_TRUE(run.Subjects("COD").empty());
  EXPECT_TRUE(run.Offers("COD").empty());
}

TEST(Subjects, AMissingLookupTableStopsWithWhereItWasLookedFor) {
  StepFixture fixture({{"MATERIAS", {{"1", "10", "Matemáticas"}}}},
                      std::filesystem::path("/no/existe/SENEMATERIAS.DBF"));
  try {
    LeeMaterias(fixture.run);
    FAIL() << "expected an error";
  } catch (const TravalenError& error) {
    EXPECT_EQ(std::string(error.what()),
              "No se encuentra la tabla de materias SENEMATERIAS.DBF en «/no/existe»; reinstale "
              "el programa o indique otra con --materias");
  }
  EXPECT_TRUE(ReadRows(fixture.Table("ASIGNOMT.DBF")).empty());
  EXPECT_TRUE(ReadRows(fixture.Table("ASIGNOMT2.DBF")).empty());
}

TEST(Activities, AppendedAfterTheSubjectsWithTheirKeysUnchanged) {
  SubjectsRun run({{"1", "10", "Matemáticas"}}, {},
                  {{"S", "12345678901", "Guardia de recreo"},
                   {"N", "7", " Reunión de departamento"},
                   {"N", "7", "Otra"},
                   {"S"}});
  LeeActividades(run.fixture.run);
  const auto rows = ReadRows(run.fixture.Table("ASIGNOMT.DBF"));
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0].at("COD"), "Matemá");
  EXPECT_EQ(rows[1], (Row{{"COD", "1234567890"},
                          {"CODLARGO", "Guardia de"},
                          {"NOMBRE", "Guardia de recreo"},
                          {"CODTAREA", "1234567890"},
                          {"ESTAREA", "T"}}));
  EXPECT_EQ(rows[2].at("NOMBRE"), "Reunión de departamento");
  EXPECT_EQ(rows[3].at("COD"), "7");
  EXPECT_EQ(rows[3].at("CODTAREA"), "7");
  EXPECT_EQ(run.Offers("COD").size(), 1u);
}

}  // namespace
}  // namespace travalen
