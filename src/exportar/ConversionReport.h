// What a conversion did and what the person should look at: rows per table and findings.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace travalen {

enum class ConversionDirection { Exportar, Importar };

enum class Severity {
  Information,  // how something was done, for the record
  Warning,      // something the person should check; the result is usable
  Error,        // the result is not what it should be
};

// Each kind of finding. CategoryId gives the stable name used in CSV and JSON.
enum class FindingCategory {
  // exportar
  ShortRecord,              // a record with fewer than two values, not read
  SubjectWithoutName,       // a MATERIAS record without name, not read
  SubjectCodeFromLookup,    // a subject's short code taken from the look-up table
  SubjectCodeGenerated,     // a subject's short code built from its name
  SubjectCodeNumbered,      // a short code already given, numbered to tell them apart
  TeacherInitialsNumbered,  // a teacher's initials already given, numbered
  UnitWithoutLevel,         // a unit whose course has no NIVEL or CURSO
  UnitWithoutCourse,        // a unit whose course is not in CURSOST
  SubjectNotAssigned,       // a MATERIAS record without short code: no ASIGT row
  OfferWithoutGroups,       // a MATERIAS record whose course has no group: no ASIGT row
  CourseWithoutLevel,       // courses left without NIVEL or CURSO
  LevelsShareFirstFive,     // different levels with the same first five characters
  CourseNumbersShareFirst,  // course numbers of one level with the same first character
  LevelsNotRemembered,      // the confirmed levels could not be kept for the next run
  // importar
  EmptyKey,                  // an activity block written without a key it needs
  TeacherWithoutActivities,  // a teacher block without activity blocks
  TeacherTwiceInSlot,        // a teacher placed more than once in one time slot
  AcademicYearMismatch,      // the chosen document is of another year than the tables
  ResultCheckFailed,         // the saved result does not read back as written
};

struct Finding {
  FindingCategory category;
  Severity severity;
  std::string item;    // what it is about: a teacher, a course, a subject, a record
  std::string detail;  // what happened and, where it helps, what to do
};

struct TableRowCount {
  std::string table;  // "PROFT.DBF"
  std::size_t rows = 0;
};

// Filled by the steps of one run and handed to the port at its end. Every text is UTF-8.
struct ConversionReport {
  ConversionDirection direction = ConversionDirection::Exportar;
  // exportar: the nine tables written; importar: the tables read.
  std::vector<TableRowCount> tables;
  std::vector<Finding> findings;
  // importar: the document saved; empty for exportar.
  std::filesystem::path resultFile;

  // Adds a finding with the severity its category has (SeverityOf).
  void Add(FindingCategory category, std::string item, std::string detail);
  std::size_t Count(FindingCategory category) const;
  bool HasErrors() const;
};

Severity SeverityOf(FindingCategory category);
// Stable lower-case ASCII names for files and scripts ("clave_vacia", "aviso").
const char* CategoryId(FindingCategory category);
const char* SeverityId(Severity severity);
// A heading for people, in Spanish ("Claves vacías en el documento").
const char* CategoryTitle(FindingCategory category);

// The report as CSV: UTF-8 with a byte-order mark, ';' between fields, header
// GRAVEDAD;CATEGORIA;ELEMENTO;DETALLE; first one line per table (category "filas_tabla",
// the count as detail), then the result file for importar ("documento_resultado"), then
// one line per finding.
std::string ReportCsv(const ConversionReport& report);

// The report as one JSON object: {"sentido", "resultado" (importar, else null), "tablas":
// [{"tabla", "filas"}], "hallazgos": [{"gravedad", "categoria", "elemento", "detalle"}]}.
std::string ReportJson(const ConversionReport& report);

}  // namespace travalen
