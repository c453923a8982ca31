// travalen-cli: both conversions without a screen, for scripts, tests and outside checks.
#include <CLI/CLI.hpp>
#include <iostream>

#include "CliPort.h"
#include "Courses.h"
#include "Exportar.h"
#include "Importar.h"
#include "Platform.h"
#include "RememberedLevels.h"
#include "ReportSummary.h"
#include "SenecaDocument.h"
#include "Text8.h"
#include "TravalenError.h"

namespace {

constexpr int kUsageError = 2;

travalen::Session NewSession(const std::string& dir) {
  travalen::Session session;
  session.exchangeDir = dir.empty() ? travalen::DefaultExchangeDir() : std::filesystem::path(dir);
  session.subjectLookupTable = travalen::ProgramDir() / "SENEMATERIAS.DBF";
  return session;
}

// How a completed run tells what it did.
struct ReportOptions {
  std::string csvFile;  // --report: the report as CSV, besides what is printed
  bool json = false;    // --json: the report as JSON is all that goes to the output
};

// The end of a run on the standard output: the report first, then the run's closing
// message and, for importar, the result's path as the very last line. With --json the
// JSON alone, which names the result itself.
int Conclude(travalen::CliPort& port, bool completed, const ReportOptions& options,
             const std::string& lastLine = {}) {
  if (!completed || !port.Report()) {
    port.PrintNotices();
    return 1;
  }
  const travalen::ConversionReport& report = *port.Report();
  // The run completed, but what it saved is not what it should be: said where a script
  // or a person looks for trouble, whatever goes to the output.
  if (report.HasErrors())
    std::cerr << "El informe señala errores: revíselo antes de usar el resultado.\n";
  if (!options.csvFile.empty()) {
    try {
      travalen::WriteFileAtomically(options.csvFile, travalen::ReportCsv(report));
    } catch (const travalen::TravalenError& e) {
      std::cerr << e.what() << '\n';
      return 1;
    }
  }
  if (options.json) {
    std::cout << travalen::ReportJson(report);
    return 0;
  }
  travalen::PrintReportSummary(std::cout, report);
  port.PrintNotices();
  if (!lastLine.empty()) std::cout << lastLine << '\n';
  return 0;
}

int Exportar(const std::string& xml, const std::string& dir, const std::string& levels,
             const std::string& materias, bool force, const ReportOptions& options) {
  travalen::Session session = NewSession(dir);
  if (!materias.empty()) session.subjectLookupTable = materias;
  travalen::CliPort port(std::filesystem::absolute(xml), std::cout, std::cerr);
  try {
    port.SetCourseLevels(travalen::ReadLevelsFile(levels), force);
  } catch (const travalen::TravalenError& e) {
    std::cerr << e.what() << '\n';
    return 1;
  }
  travalen::BExportarClick(session, port);
  return Conclude(port, session.TransformResult == 1, options);
}

int Importar(const std::string& xml, const std::string& dir, const ReportOptions& options) {
  travalen::Session session = NewSession(dir);
  const std::filesystem::path file = std::filesystem::absolute(xml);
  travalen::CliPort port(file, std::cout, std::cerr);
  travalen::BImportarClick(session, port);
  return Conclude(port, session.TransformResult == 1, options,
                  (file.parent_path() / ("ResultadoVelmora" + file.filename().string())).string());
}

// A LEVELS.csv to start from: what the person chose before, else what the descriptions
// suggest. The descriptions go to the error stream, so the output can be fed back as it
// is.
int Niveles(const std::string& xml, const std::string& dir) {
  const std::filesystem::path file = std::filesystem::absolute(xml);
  if (!std::filesystem::is_regular_file(file)) {
    std::cerr << "No existe archivo\n";
    return 1;
  }
  try {
    const auto document = travalen::SenecaDocument::Load(file);
    const std::vector<travalen::CourseRow> courses = travalen::DocumentCourses(*document);
    const std::filesystem::path exchangeDir =
        dir.empty() ? travalen::DefaultExchangeDir() : std::filesystem::path(dir);
    const auto proposals = travalen::ProposeCourseLevels(exchangeDir, courses);
    for (std::size_t i = 0; i < courses.size(); ++i) {
      const auto& proposal = proposals[i];
      std::cerr << travalen::Cp1252ToUtf8(courses[i].clave) << "  "
                << travalen::Cp1252ToUtf8(courses[i].estud) << "  ("
                << (proposal.origin == travalen::ProposalOrigin::Remembered  ? "recordado"
                    : proposal.origin == travalen::ProposalOrigin::Suggested ? "sugerido"
                                                                             : "sin propuesta")
                << ")" << (proposal.note.empty() ? "" : " " + proposal.note) << '\n';
    }
    std::cout << travalen::LevelsFileText(courses, proposals);
  } catch (const travalen::TravalenError& e) {
    std::cerr << e.what() << '\n';
    return 1;
  }
  return 0;
}

void AddReportOptions(CLI::App* command, ReportOptions& options, const char* jsonHelp) {
  command
      ->add_option("--report", options.csvFile,
                   "Guarda además el informe en FILE.csv (UTF-8, separado por ';')")
      ->option_text("FILE.csv");
  command->add_flag("--json", options.json, jsonHelp);
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Travalen: convierte los datos de horario entre Séneca y Velmora."};
  app.require_subcommand(1);

  std::string xml, dir, levels, materias;
  bool force = false;
  ReportOptions exportReport;
  auto* exportar = app.add_subcommand(
      "exportar",
      "Séneca → tablas de intercambio de Velmora. Al terminar imprime un informe (filas por "
      "tabla, avisos) y después \"Proceso finalizado\".");
  exportar->add_option("SENECA.xml", xml, "Exportación de Séneca")->required();
  exportar->add_option("--dir", dir, "Carpeta de intercambio (tablas .DBF)");
  exportar->add_option("--niveles", levels, "LEVELS.csv: CLAVE;NIVEL;CURSO por curso")->required();
  exportar->add_option("--materias", materias, "Tabla de materias (SENEMATERIAS.DBF)");
  exportar->add_flag("--forzar", force, "Seguir aunque algún curso no tenga NIVEL o CURSO");
  AddReportOptions(exportar, exportReport,
                   "Imprime solo el informe en JSON, en lugar del resumen y del mensaje final");

  std::string importXml, importDir;
  ReportOptions importReport;
  auto* importar = app.add_subcommand(
      "importar",
      "Solución de Velmora → documento para Séneca. Imprime un informe y, como última línea, "
      "la ruta del documento guardado.");
  importar->add_option("SENECA.xml", importXml, "Exportación de Séneca")->required();
  importar->add_option("--dir", importDir, "Carpeta de intercambio (tablas .DBF y SOLUC)");
  AddReportOptions(importar, importReport,
                   "Imprime solo el informe en JSON; la ruta del documento guardado va en él, "
                   "en \"resultado\", y no en una última línea aparte");

  std::string levelsXml, levelsDir;
  auto* niveles = app.add_subcommand(
      "niveles",
      "Imprime un LEVELS.csv (CLAVE;NIVEL;CURSO) para --niveles con los niveles elegidos "
      "antes o, si no, los que sugieren las descripciones; las descripciones van a la "
      "salida de errores.");
  niveles->add_option("SENECA.xml", levelsXml, "Exportación de Séneca")->required();
  niveles->add_option("--dir", levelsDir,
                      "Carpeta de intercambio, donde se recuerdan los niveles elegidos");

  try {
    app.parse(argc, argv);
  } catch (const CLI::Success& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return kUsageError;
  }
  if (*exportar) return Exportar(xml, dir, levels, materias, force, exportReport);
  if (*niveles) return Niveles(levelsXml, levelsDir);
  return Importar(importXml, importDir, importReport);
}
