// The importar job: the exchange tables and SOLUC back into a Séneca import document.
#include "Importar.h"

#include <exception>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "Clipper.h"
#include "ConversionReport.h"
#include "DbfTable.h"
#include "ImportDocument.h"
#include "JobBoundary.h"
#include "Platform.h"
#include "ResultCheck.h"
#include "TeacherTimetable.h"
#include "Text8.h"
#include "TravalenError.h"

namespace travalen {

namespace {

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

struct Calendar {
  SchoolYearDates dates;
  std::string year;  // CURSOANNO, only to compare with the document's year
  std::size_t rows = 0;
};

// The first row's dates exactly as stored, no date parsed; a table without rows gives
// two empty texts and the run goes on.
Calendar ReadCalendar(const std::filesystem::path& file) {
  DbfTable periods = DbfTable::Open(file);
  if (periods.RowCount() == 0) return {};
  return {{periods.TextAt(0, periods.FieldIndex("F_INICIO")),
           periods.TextAt(0, periods.FieldIndex("F_FIN"))},
          periods.HasField("CURSOANNO") ? periods.TextAt(0, periods.FieldIndex("CURSOANNO"))
                                        : std::string(),
          periods.RowCount()};
}

// The tables were written from this year's export; a document of another year is most
// likely last year's file picked by mistake, whose year would go to Séneca.
void NoteYearMismatch(ConversionReport& report, const std::filesystem::path& file,
                      const std::string& documentYear, const std::string& tablesYear) {
  const std::string document = StripBlanks(documentYear);
  const std::string tables = StripBlanks(tablesYear);
  if (document.empty() || tables.empty() || document == tables) return;
  report.Add(FindingCategory::AcademicYearMismatch, Utf8Path(file.filename()),
             "el documento elegido es del año académico «" + Cp1252ToUtf8(document) +
                 "» y las tablas (PERIODOS.DBF) del «" + Cp1252ToUtf8(tables) +
                 "»: puede ser el archivo de otro curso. El resultado lleva el año del documento; "
                 "compruebe que ha elegido la exportación de Séneca de este curso.");
}

void NoteTableRows(ConversionReport& report, const ImportTables& tables,
                   const std::filesystem::path& calendarFile, std::size_t calendarRows) {
  for (const DbfTable* table :
       {&tables.soluc, &tables.grupos, &tables.cursos, &tables.profesor, &tables.aulas,
        &tables.nomAsg, &tables.nomAsg2, &tables.tramos, &tables.asig})
    report.tables.push_back({Utf8Path(table->Path().filename()), table->RowCount()});
  report.tables.push_back({Utf8Path(calendarFile.filename()), calendarRows});
}

// The import document's bytes, or nothing when the school calendar is missing; `written`
// gets every value written, for the check of the saved file. The tables are closed again
// when this returns, before anything is saved.
std::optional<std::string> BuildImportDocument(Session& session, const std::filesystem::path& file,
                                               JobPort& port, ConversionReport& report,
                                               WrittenDatos& written) {
  port.ShowProgress("Abriendo tablas");
  ImportTables tables = OpenImportTables(session.exchangeDir);

  port.ShowProgress("Leyendo el documento de Séneca");
  session.XmlDoc.reset();
  session.XmlDoc = SenecaDocument::Load(file);
  xmlDoc* doc = session.XmlDoc->Raw();
  // Read before the document is taken apart: the year lives in the old root.
  const std::string academicYear = AcademicYear(doc, Utf8Path(file));

  std::optional<std::filesystem::path> calendar =
      FindTableFile(session.exchangeDir, "PERIODOS.DBF");
  if (!calendar) return std::nullopt;
  const Calendar school = ReadCalendar(*calendar);
  NoteYearMismatch(report, file, academicYear, school.year);
  NoteTableRows(report, tables, *calendar, school.rows);

  port.ShowProgress("Escribiendo horarios");
  xmlNode* timetable =
      BuildImportFrame(doc, academicYear, NowAsFecha(), tables.profesor.RowCount());
  written.AddDocument(doc);
  // A region has a million values: each teacher block is written out and dropped as soon
  // as it is complete, so the document never stands whole in memory.
  StreamedImportDocument document(doc, timetable);
  const std::string where = "HORARIOS_REGULARES / ";
  WriteTeacherTimetables(timetable, school.dates, tables, &report, [&](xmlNode* teacher) {
    written.AddBlock(teacher, where);
    document.Append(teacher);
  });
  return document.Finish();
}

}  // namespace

void BImportarClick(Session& session, JobPort& port) {
  bool busy = false;
  try {
    const std::optional<std::filesystem::path> chosen = ChooseSenecaFile(session, port);
    if (!chosen) return;
    const std::filesystem::path file = *chosen;

    port.SetBusy(true);
    busy = true;
    ConversionReport report;
    report.direction = ConversionDirection::Importar;
    WrittenDatos written;
    std::optional<std::string> document = BuildImportDocument(session, file, port, report, written);
    if (!document) {
      port.SetBusy(false);
      busy = false;
      port.ShowMessage(kNoCalendar, MessageKind::Warning);
      return;
    }
    // All or nothing: a save that fails leaves no half-written file and keeps the
    // result of an earlier run as it was.
    port.ShowProgress("Guardando");
    const std::filesystem::path result = ImportResultPath(file);
    WriteFileAtomically(result, *document);
    report.resultFile = result;
    // What reaches Séneca is the file, not our document in memory: read it back.
    port.ShowProgress("Comprobando el resultado");
    for (Finding& finding : CheckImportResultFile(result, written))
      report.findings.push_back(std::move(finding));

    port.SetBusy(false);
    busy = false;
    session.TransformResult = 1;
    port.ShowMessage(kDone, MessageKind::Information);
    port.ShowReport(report);
    if (session.InHostMode()) port.CloseWindow();
  } catch (const TravalenError& failure) {
    ReportJobFailure(port, busy, failure.what());
  } catch (const std::exception& failure) {
    ReportJobFailure(port, busy, std::string("Error inesperado al importar: ") + failure.what());
  } catch (...) {
    ReportJobFailure(port, busy, "Error inesperado al importar.");
  }
}

}  // namespace travalen
