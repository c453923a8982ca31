// What a conversion did and what the person should look at: rows per table and findings.
#include "ConversionReport.h"

#include <algorithm>
#include <cstdio>

#include "CsvText.h"

namespace travalen {

namespace {

struct CategoryText {
  FindingCategory category;
  Severity severity;
  const char* id;
  const char* title;
};

constexpr CategoryText kCategories[] = {
    {FindingCategory::ShortRecord, Severity::Warning, "registro_incompleto",
     "Registros con menos de dos datos, no leídos"},
    {FindingCategory::SubjectWithoutName, Severity::Warning, "materia_sin_nombre",
     "Materias sin nombre, no leídas"},
    {FindingCategory::SubjectCodeFromLookup, Severity::Information, "codigo_de_tabla",
     "Materias con el código de la tabla de materias"},
    {FindingCategory::SubjectCodeGenerated, Severity::Information, "codigo_generado",
     "Materias con un código formado con su nombre"},
    {FindingCategory::SubjectCodeNumbered, Severity::Warning, "codigo_numerado",
     "Códigos de materia numerados por estar ya dados"},
    {FindingCategory::TeacherInitialsNumbered, Severity::Warning, "iniciales_numeradas",
     "Profesores con iniciales numeradas por estar ya dadas"},
    {FindingCategory::UnitWithoutLevel, Severity::Warning, "unidad_sin_nivel",
     "Unidades cuyo curso no tiene NIVEL o CURSO"},
    {FindingCategory::UnitWithoutCourse, Severity::Warning, "unidad_sin_curso",
     "Unidades cuyo curso no está en CURSOST"},
    {FindingCategory::SubjectNotAssigned, Severity::Warning, "materia_sin_codigo",
     "Materias sin código, no asignadas a grupos"},
    {FindingCategory::OfferWithoutGroups, Severity::Warning, "oferta_sin_grupos",
     "Materias de cursos sin grupos, no asignadas"},
    {FindingCategory::CourseWithoutLevel, Severity::Warning, "curso_sin_nivel",
     "Cursos sin NIVEL o CURSO"},
    {FindingCategory::LevelsShareFirstFive, Severity::Warning, "niveles_cinco_caracteres",
     "Niveles distintos con los mismos cinco primeros caracteres"},
    {FindingCategory::CourseNumbersShareFirst, Severity::Warning, "cursos_primer_caracter",
     "Cursos de un nivel con el mismo primer carácter"},
    {FindingCategory::LevelsNotRemembered, Severity::Warning, "niveles_no_recordados",
     "Niveles que no se han podido recordar"},
    {FindingCategory::EmptyKey, Severity::Warning, "clave_vacia",
     "Actividades escritas con claves vacías"},
    {FindingCategory::TeacherWithoutActivities, Severity::Warning, "profesor_sin_actividades",
     "Profesores sin actividades en el horario"},
    {FindingCategory::TeacherTwiceInSlot, Severity::Warning, "profesor_dos_veces",
     "Profesores colocados más de una vez en un tramo"},
    {FindingCategory::AcademicYearMismatch, Severity::Warning, "anno_distinto",
     "Documento de otro año académico que las tablas"},
    {FindingCategory::ResultCheckFailed, Severity::Error, "resultado_defectuoso",
     "El documento guardado no se lee como se escribió"},
};

const CategoryText& TextOf(FindingCategory category) {
  return *std::find_if(std::begin(kCategories), std::end(kCategories),
                       [&](const CategoryText& c) { return c.category == category; });
}

std::string Utf8Path(const std::filesystem::path& path) {
  const std::u8string utf8 = path.u8string();
  return std::string(utf8.begin(), utf8.end());
}

const char* DirectionId(ConversionDirection direction) {
  return direction == ConversionDirection::Exportar ? "exportar" : "importar";
}

// A JSON string: quotes, backslashes and control characters escaped, UTF-8 kept as it is.
std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

}  // namespace

void ConversionReport::Add(FindingCategory category, std::string item, std::string detail) {
  findings.push_back({category, SeverityOf(category), std::move(item), std::move(detail)});
}

std::size_t ConversionReport::Count(FindingCategory category) const {
  return static_cast<std::size_t>(std::count_if(
      findings.begin(), findings.end(), [&](const Finding& f) { return f.category == category; }));
}

bool ConversionReport::HasErrors() const {
  return std::any_of(findings.begin(), findings.end(),
                     [](const Finding& f) { return f.severity == Severity::Error; });
}

Severity SeverityOf(FindingCategory category) { return TextOf(category).severity; }
const char* CategoryId(FindingCategory category) { return TextOf(category).id; }
const char* CategoryTitle(FindingCategory category) { return TextOf(category).title; }

const char* SeverityId(Severity severity) {
  switch (severity) {
    case Severity::Information:
      return "informacion";
    case Severity::Warning:
      return "aviso";
    case Severity::Error:
      return "error";
  }
  return "";
}

std::string ReportCsv(const ConversionReport& report) {
  // The mark lets spreadsheet programs on Windows read the file as UTF-8.
  std::string csv =
      "\xEF\xBB\xBF" + CsvLine({"GRAVEDAD", "CATEGORIA", "ELEMENTO", "DETALLE"}) + "\r\n";
  for (const TableRowCount& table : report.tables)
    csv += CsvLine({SeverityId(Severity::Information), "filas_tabla", table.table,
                    std::to_string(table.rows)}) +
           "\r\n";
  if (!report.resultFile.empty())
    csv += CsvLine({SeverityId(Severity::Information), "documento_resultado",
                    Utf8Path(report.resultFile), ""}) +
           "\r\n";
  for (const Finding& f : report.findings)
    csv += CsvLine({SeverityId(f.severity), CategoryId(f.category), f.item, f.detail}) + "\r\n";
  return csv;
}

std::string ReportJson(const ConversionReport& report) {
  std::string json = "{\n  \"sentido\": " + JsonString(DirectionId(report.direction)) + ",\n";
  json +=
      "  \"resultado\": " +
      (report.resultFile.empty() ? std::string("null") : JsonString(Utf8Path(report.resultFile))) +
      ",\n";
  json += "  \"tablas\": [";
  for (std::size_t i = 0; i < report.tables.size(); ++i)
    json += std::string(i == 0 ? "\n" : ",\n") +
            "    {\"tabla\": " + JsonString(report.tables[i].table) +
            ", \"filas\": " + std::to_string(report.tables[i].rows) + "}";
  json += report.tables.empty() ? "],\n" : "\n  ],\n";
  json += "  \"hallazgos\": [";
  for (std::size_t i = 0; i < report.findings.size(); ++i) {
    const Finding& f = report.findings[i];
    json += std::string(i == 0 ? "\n" : ",\n") +
            "    {\"gravedad\": " + JsonString(SeverityId(f.severity)) +
            ", \"categoria\": " + JsonString(CategoryId(f.category)) +
            ", \"elemento\": " + JsonString(f.item) + ", \"detalle\": " + JsonString(f.detail) +
            "}";
  }
  json += report.findings.empty() ? "]\n" : "\n  ]\n";
  return json + "}\n";
}

}  // namespace travalen
