// The importar job: the exchange tables and SOLUC back into a Séneca import document.
#include "Importar.h"

#include <exception>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "Clipper.h"
#include "DbfTable.h"
#include "ImportDocument.h"
#include "Platform.h"
#include "TeacherTimetable.h"
#include "TravalenError.h"

namespace travalen {

namespace {

constexpr const char* kNoFile = "No existe archivo";
constexpr const char* kNoCalendar =
    "ATENCIÓN - PERIODOS.DBF No encontrado - Importe de nuevo XML de SÉNECA.";
constexpr const char* kDone = "Proceso finalizado";

constexpr const char* kComputeFirst = "Calcule el horario en Velmora antes de importar.";
constexpr const char* kExportFirst =
    "Exporte de nuevo el XML de Séneca hacia Velmora antes de importar.";

std::string Utf8Path(const std::filesystem::path& path) {
  std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

DbfTable OpenRunTable(const std::filesystem::path& dir, const std::string& name,
                      const char* whatToDo) {
  if (!FindTableFile(dir, name))
    throw TravalenError("No se encuentra la tabla " + UpperAsciiOnly(name) + " en «" +
                        Utf8Path(dir) + "». " + whatToDo);
  return DbfTable::OpenIn(dir, name);
}

ImportTables OpenImportTables(const std::filesystem::path& dir) {
  // In this order, SOLUC first: when the timetable has not been computed yet, that is
  // what the person has to hear about. The braces open them left to right, and the ones
  // already open close again when a later one fails.
  return ImportTables{
      OpenRunTable(dir, "SOLUC", kComputeFirst),    OpenRunTable(dir, "GRUPOST", kExportFirst),
      OpenRunTable(dir, "CursosT", kExportFirst),   OpenRunTable(dir, "PROFT", kExportFirst),
      OpenRunTable(dir, "AULAT", kExportFirst),     OpenRunTable(dir, "ASIGNOMT", kExportFirst),
      OpenRunTable(dir, "ASIGNOMT2", kExportFirst), OpenRunTable(dir, "DIASHORAST", kExportFirst),
      OpenRunTable(dir, "ASIGT", kExportFirst),
  };
}

// The first row's dates exactly as stored, no date parsed; a table without rows gives
// two empty texts and the run goes on.
SchoolYearDates ReadSchoolYearDates(const std::filesystem::path& file) {
  DbfTable periods = DbfTable::Open(file);
  if (periods.RowCount() == 0) return {};
  return {periods.TextAt(0, periods.FieldIndex("F_INICIO")),
          periods.TextAt(0, periods.FieldIndex("F_FIN"))};
}

// The import document's bytes, or nothing when the school calendar is missing. The
// tables are closed again when this returns, before anything is saved.
std::optional<std::string> BuildImportDocument(Session& session,
                                               const std::filesystem::path& file) {
  ImportTables tables = OpenImportTables(session.exchangeDir);

  session.XmlDoc.reset();
  session.XmlDoc = SenecaDocument::Load(file);
  xmlDoc* doc = session.XmlDoc->Raw();
  // Read before the document is taken apart: the year lives in the old root.
  const std::string academicYear = AcademicYear(doc, Utf8Path(file));

  std::optional<std::filesystem::path> calendar =
      FindTableFile(session.exchangeDir, "PERIODOS.DBF");
  if (!calendar) return std::nullopt;
  const SchoolYearDates dates = ReadSchoolYearDates(*calendar);

  xmlNode* timetable =
      BuildImportFrame(doc, academicYear, NowAsFecha(), tables.profesor.RowCount());
  WriteTeacherTimetables(timetable, dates, tables);
  return SerializeImportDocument(doc);
}

// The last words of a failed run; the port failing now must not escape either.
void ReportFailure(JobPort& port, bool busy, const std::string& message) {
  try {
    if (busy) port.SetBusy(false);
    port.ShowMessage(message, MessageKind::Error);
  } catch (...) {
  }
}

}  // namespace

void BImportarClick(Session& session, JobPort& port) {
  bool busy = false;
  try {
    std::optional<std::filesystem::path> chosen = port.ChooseXmlFile();
    std::error_code error;
    if (chosen) {
      std::filesystem::path full = std::filesystem::absolute(*chosen, error);
      session.XmlFileName = error ? *chosen : full;
    }
    // A cancelled dialog means no: the file of an earlier run is not taken in its place,
    // which would act on a file the person just declined to choose.
    if (!chosen || !std::filesystem::is_regular_file(session.XmlFileName, error)) {
      port.ShowMessage(kNoFile, MessageKind::Error);
      if (session.InHostMode()) {
        session.TransformResult = -1;
        port.CloseWindow();
      }
      return;
    }
    const std::filesystem::path file = session.XmlFileName;

    port.SetBusy(true);
    busy = true;
    std::optional<std::string> document = BuildImportDocument(session, file);
    if (!document) {
      port.SetBusy(false);
      busy = false;
      port.ShowMessage(kNoCalendar, MessageKind::Warning);
      return;
    }
    // All or nothing: a save that fails leaves no half-written file and keeps the
    // result of an earlier run as it was.
    WriteFileAtomically(ImportResultPath(file), *document);

    port.SetBusy(false);
    busy = false;
    session.TransformResult = 1;
    port.ShowMessage(kDone, MessageKind::Information);
    if (session.InHostMode()) port.CloseWindow();
  } catch (const TravalenError& failure) {
    ReportFailure(port, busy, failure.what());
  } catch (const std::exception& failure) {
    ReportFailure(port, busy, std::string("Error inesperado al importar: ") + failure.what());
  } catch (...) {
    ReportFailure(port, busy, "Error inesperado al importar.");
  }
}

}  // namespace travalen
