// travalen-cli: both conversions without a screen, for scripts, tests and outside checks.
#include <CLI/CLI.hpp>
#include <iostream>

#include "CliPort.h"
#include "Exportar.h"
#include "Importar.h"
#include "Platform.h"
#include "TravalenError.h"

namespace {

constexpr int kUsageError = 2;

travalen::Session NewSession(const std::string& dir) {
  travalen::Session session;
  session.exchangeDir = dir.empty() ? travalen::DefaultExchangeDir() : std::filesystem::path(dir);
  session.subjectLookupTable = travalen::ProgramDir() / "SENEMATERIAS.DBF";
  return session;
}

int Exportar(const std::string& xml, const std::string& dir, const std::string& levels,
             const std::string& materias, bool force) {
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
  return session.TransformResult == 1 ? 0 : 1;
}

int Importar(const std::string& xml, const std::string& dir) {
  travalen::Session session = NewSession(dir);
  const std::filesystem::path file = std::filesystem::absolute(xml);
  travalen::CliPort port(file, std::cout, std::cerr);
  travalen::BImportarClick(session, port);
  if (session.TransformResult != 1) return 1;
  std::cout << (file.parent_path() / ("ResultadoVelmora" + file.filename().string())).string()
            << '\n';
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Travalen: convierte los datos de horario entre Séneca y Velmora."};
  app.require_subcommand(1);

  std::string xml, dir, levels, materias;
  bool force = false;
  auto* exportar = app.add_subcommand("exportar", "Séneca → tablas de intercambio de Velmora");
  exportar->add_option("SENECA.xml", xml, "Exportación de Séneca")->required();
  exportar->add_option("--dir", dir, "Carpeta de intercambio (tablas .DBF)");
  exportar->add_option("--niveles", levels, "LEVELS.csv: CLAVE;NIVEL;CURSO por curso")->required();
  exportar->add_option("--materias", materias, "Tabla de materias (SENEMATERIAS.DBF)");
  exportar->add_flag("--forzar", force, "Seguir aunque algún curso no tenga NIVEL o CURSO");

  std::string importXml, importDir;
  auto* importar = app.add_subcommand("importar", "Solución de Velmora → documento para Séneca");
  importar->add_option("SENECA.xml", importXml, "Exportación de Séneca")->required();
  importar->add_option("--dir", importDir, "Carpeta de intercambio (tablas .DBF y SOLUC)");

  try {
    app.parse(argc, argv);
  } catch (const CLI::Success& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return kUsageError;
  }
  if (*exportar) return Exportar(xml, dir, levels, materias, force);
  return Importar(importXml, importDir);
}
