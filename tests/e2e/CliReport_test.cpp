// travalen-cli on the sample school: the levels template, remembered choices, the report
// on the output and in files, and the result path still on the last line.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "DbfTable.h"
#include "TestSupport.h"

namespace travalen {
namespace {

using test::BinDir;
using test::ReadFile;
using test::SourceDir;
using test::TempDir;
using test::WriteFile;

std::string Quoted(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

class CliOnTheSample : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::copy_file(SourceDir() / "data/sample/seneca-export.xml", input_);
  }

  // Runs travalen-cli with `arguments`; keeps what it printed on each stream.
  int Cli(const std::string& arguments) {
    const std::string command = Quoted(BinDir() / "travalen-cli") + " " + arguments + " >" +
                                Quoted(dir_ / "out.txt") + " 2>" + Quoted(dir_ / "err.txt");
    const int status = std::system(command.c_str());
    out_ = ReadFile(dir_ / "out.txt");
    err_ = ReadFile(dir_ / "err.txt");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  int Exportar(const std::filesystem::path& levels, const std::string& more = "") {
    return Cli("exportar " + Quoted(input_) + " --dir " + Quoted(exchange_) + " --niveles " +
               Quoted(levels) + more);
  }
  int Importar(const std::string& more = "") {
    return Cli("importar " + Quoted(input_) + " --dir " + Quoted(exchange_) + more);
  }
  void Solve() {
    ASSERT_EQ(std::system((Quoted(BinDir() / "timetable-standin") + " --dir " + Quoted(exchange_) +
                           " >/dev/null")
                              .c_str()),
              0);
  }

  TempDir dir_;
  std::filesystem::path exchange_ = dir_ / "VTEMP";
  std::filesystem::path input_ = dir_ / "seneca-export.xml";
  std::filesystem::path result_ = dir_ / "ResultadoVelmoraseneca-export.xml";
  std::string out_, err_;
};

TEST_F(CliOnTheSample, TheLevelsTemplateSuggestsThenRemembersWhatWasConfirmed) {
  // With nothing remembered, the descriptions alone give the sample's own levels file.
  ASSERT_EQ(Cli("niveles " + Quoted(input_) + " --dir " + Quoted(exchange_)), 0) << err_;
  EXPECT_EQ(out_, ReadFile(SourceDir() / "data/sample/niveles.csv"));
  EXPECT_NE(err_.find("1º de Bachillerato (Ciencias y Tecnología)"), std::string::npos);

  // A choice the person made differently wins the next time.
  std::string levels = out_;
  levels.replace(levels.find("226507;BCT;1"), 12, "226507;BACH;1");
  WriteFile(dir_ / "mine.csv", levels);
  ASSERT_EQ(Exportar(dir_ / "mine.csv"), 0) << err_;
  ASSERT_EQ(Cli("niveles " + Quoted(input_) + " --dir " + Quoted(exchange_)), 0) << err_;
  EXPECT_EQ(out_, levels);

  // And what it prints goes back in as it is.
  WriteFile(dir_ / "again.csv", out_);
  EXPECT_EQ(Exportar(dir_ / "again.csv"), 0) << err_;

  // The levels file stands in for the person: what is remembered never fills its gaps.
  levels.erase(levels.find("224319;ESO;2\n"), 13);
  WriteFile(dir_ / "gap.csv", levels);
  EXPECT_EQ(Exportar(dir_ / "gap.csv"), 1);
  EXPECT_NE(err_.find("224319"), std::string::npos) << err_;
}

TEST_F(CliOnTheSample, ExportarPrintsItsReportBeforeTheLastMessageAndSavesItAsCsv) {
  ASSERT_EQ(Exportar(SourceDir() / "data/sample/niveles.csv",
                     " --report " + Quoted(dir_ / "informe.csv")),
            0)
      << err_;
  const auto out = Lines(out_);
  ASSERT_FALSE(out.empty());
  EXPECT_EQ(out.front(), "Informe de la exportación");
  EXPECT_EQ(out.back(), "Proceso finalizado");
  EXPECT_NE(out_.find("Profesor «Gómez Luna Alberto»"), std::string::npos);
  EXPECT_TRUE(err_.empty()) << err_;

  const std::string csv = ReadFile(dir_ / "informe.csv");
  ASSERT_EQ(csv.rfind("\xEF\xBB\xBF", 0), 0u);
  const auto lines = Lines(csv.substr(3));
  ASSERT_GE(lines.size(), 10u);
  EXPECT_EQ(lines[0], "GRAVEDAD;CATEGORIA;ELEMENTO;DETALLE");
  for (std::size_t i = 1; i <= 9; ++i) {
    const auto fields = lines[i].substr(lines[i].find(";filas_tabla;") + 13);
    const std::string table = fields.substr(0, fields.find(';'));
    EXPECT_EQ(fields.substr(fields.find(';') + 1),
              std::to_string(DbfTable::OpenIn(exchange_, table).RowCount()))
        << table;
  }
  EXPECT_NE(csv.find("aviso;iniciales_numeradas;Profesor «del Río Vega Sara»;"), std::string::npos);
}

TEST_F(CliOnTheSample, ImportarKeepsThePathLastOrPutsItInTheJson) {
  ASSERT_EQ(Exportar(SourceDir() / "data/sample/niveles.csv"), 0) << err_;
  Solve();

  ASSERT_EQ(Importar(" --report " + Quoted(dir_ / "informe.csv")), 0) << err_;
  auto out = Lines(out_);
  ASSERT_GE(out.size(), 3u);
  EXPECT_EQ(out.front(), "Informe de la importación");
  EXPECT_EQ(out[out.size() - 2], "Proceso finalizado");
  EXPECT_EQ(out.back(), result_.string());
  // The sample converts cleanly: nothing for the person to check.
  EXPECT_NE(out_.find("Nada que revisar."), std::string::npos);
  EXPECT_NE(ReadFile(dir_ / "informe.csv")
                .find("informacion;documento_resultado;" + result_.string() + ";"),
            std::string::npos);

  ASSERT_EQ(Importar(" --json"), 0) << err_;
  EXPECT_EQ(out_.front(), '{');
  EXPECT_EQ(out_.substr(out_.size() - 2), "}\n");
  EXPECT_NE(out_.find("\"sentido\": \"importar\""), std::string::npos);
  EXPECT_NE(out_.find("\"resultado\": \"" + result_.string() + "\""), std::string::npos);
  EXPECT_NE(out_.find("{\"tabla\": \"SOLUC.DBF\", \"filas\": "), std::string::npos);
  EXPECT_NE(out_.find("\"hallazgos\": []"), std::string::npos);
  EXPECT_EQ(out_.find("Proceso finalizado"), std::string::npos);
}

TEST_F(CliOnTheSample, AFailedRunPrintsNoReport) {
  ASSERT_EQ(Exportar(SourceDir() / "data/sample/niveles.csv"), 0);
  ASSERT_EQ(Importar(" --json --report " + Quoted(dir_ / "informe.csv")), 1);  // no SOLUC yet
  EXPECT_TRUE(out_.empty()) << out_;
  EXPECT_NE(err_.find("SOLUC"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "informe.csv"));
}

}  // namespace
}  // namespace travalen
