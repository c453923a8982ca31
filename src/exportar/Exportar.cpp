// The Séneca → timetable direction as one job: BExportarClick.
#include "Exportar.h"

#include <exception>
#include <system_error>

#include "Assignments.h"
#include "Calendar.h"
#include "Courses.h"
#include "ExportRun.h"
#include "JobBoundary.h"
#include "Staff.h"
#include "Subjects.h"
#include "TimeSlots.h"
#include "TravalenError.h"
#include "Units.h"

namespace travalen {

namespace {

constexpr const char* kFinished = "Proceso finalizado";

void PrepareExchangeDir(const std::filesystem::path& dir) {
  if (dir.empty())
    throw TravalenError(
        "No se ha indicado la carpeta de intercambio donde se escriben las tablas para el "
        "programa de horarios.");
  std::error_code error;
  // A first run on a machine may find the folder missing; the tables need it.
  std::filesystem::create_directories(dir, error);
  if (error || !std::filesystem::is_directory(dir))
    throw TravalenError("No se puede crear la carpeta de intercambio «" + PathForMessage(dir) +
                        "»: " + error.message() +
                        ". Compruebe que existe y que puede escribir en ella.");
}

enum class RunEnd { Completed, Stopped };

// The nine tables, in the order the steps write them.
constexpr const char* kTables[] = {"PERIODOS.DBF",  "CURSOST.DBF", "ASIGNOMT.DBF",
                                   "ASIGNOMT2.DBF", "PROFT.DBF",   "AULAT.DBF",
                                   "GRUPOST.DBF",   "ASIGT.DBF",   "DIASHORAST.DBF"};

// The nine steps, in the order the timetable program's tables depend on each other.
RunEnd RunSteps(Session& session, JobPort& port, ConversionReport& report) {
  const ExportRun run{*session.XmlDoc, session.exchangeDir, session.subjectLookupTable, &report};
  port.ShowProgress("Leyendo periodos");
  LeePeriodos(run);
  port.ShowProgress("Leyendo cursos");
  // A forced exit of the level/course dialog leaves courses without level; the groups
  // built from them would be wrong, so nothing more is written.
  if (LeeCursos(run, port, session.Reintento) == CoursesOutcome::ForcedExit) return RunEnd::Stopped;
  port.ShowProgress("Leyendo materias");
  LeeMaterias(run);
  port.ShowProgress("Leyendo actividades");
  LeeActividades(run);
  port.ShowProgress("Leyendo empleados");
  LeeEmpleados(run);
  port.ShowProgress("Leyendo dependencias");
  LeeDependencias(run);
  port.ShowProgress("Leyendo unidades");
  LeeUnidades(run);
  port.ShowProgress("Leyendo asignaciones");
  LeeAsignaciones(run);
  port.ShowProgress("Leyendo tramos horarios");
  LeeTramos(run);
  for (const char* table : kTables)
    report.tables.push_back({table, run.OpenTable(table).RowCount()});
  return RunEnd::Completed;
}

}  // namespace

void BExportarClick(Session& session, JobPort& port) {
  bool busy = false;
  try {
    if (!ChooseSenecaFile(session, port)) return;

    // A document that cannot be loaded leaves none behind to be mistaken for this one.
    session.XmlDoc.reset();
    session.XmlDoc = SenecaDocument::Load(session.XmlFileName);
    port.SetBusy(true);
    busy = true;
    PrepareExchangeDir(session.exchangeDir);

    ConversionReport report;
    report.direction = ConversionDirection::Exportar;
    const RunEnd end = RunSteps(session, port, report);
    port.SetBusy(false);
    busy = false;
    if (end == RunEnd::Stopped) {
      port.CloseWindow();
      return;
    }
    session.TransformResult = 1;
    port.ShowMessage(kFinished, MessageKind::Information);
    port.ShowReport(report);
    if (session.InHostMode()) port.CloseWindow();
  } catch (const TravalenError& error) {
    ReportJobFailure(port, busy, error.what());
  } catch (const std::exception& error) {
    ReportJobFailure(port, busy,
                     std::string("Error inesperado durante la exportación; las tablas pueden haber "
                                 "quedado a medias. Vuelva a intentarlo. Detalle: ") +
                         error.what());
  } catch (...) {
    ReportJobFailure(port, busy,
                     "Error inesperado durante la exportación; las tablas pueden haber quedado a "
                     "medias. Vuelva a intentarlo.");
  }
}

}  // namespace travalen
