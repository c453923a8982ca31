// The conversion report as a few lines for a person reading a terminal.
#include "ReportSummary.h"

#include <algorithm>
#include <ostream>
#include <vector>

namespace travalen {

namespace {

std::string Rows(std::size_t rows) {
  return std::to_string(rows) + (rows == 1 ? " fila" : " filas");
}

// Categories in the order their first finding came, with their findings.
std::vector<std::pair<FindingCategory, std::vector<const Finding*>>> ByCategory(
    const ConversionReport& report, bool information) {
  std::vector<std::pair<FindingCategory, std::vector<const Finding*>>> groups;
  for (const Finding& finding : report.findings) {
    if ((finding.severity == Severity::Information) != information) continue;
    auto group = std::find_if(groups.begin(), groups.end(),
                              [&](const auto& g) { return g.first == finding.category; });
    if (group == groups.end()) group = groups.insert(groups.end(), {finding.category, {}});
    group->second.push_back(&finding);
  }
  return groups;
}

}  // namespace

void PrintReportSummary(std::ostream& out, const ConversionReport& report) {
  const bool exportar = report.direction == ConversionDirection::Exportar;
  out << (exportar ? "Informe de la exportación" : "Informe de la importación") << '\n';
  out << (exportar ? "Tablas escritas:" : "Tablas leídas:") << '\n';
  for (const TableRowCount& table : report.tables)
    out << "  " << table.table << ": " << Rows(table.rows) << '\n';

  const auto problems = ByCategory(report, false);
  if (problems.empty()) out << "Nada que revisar.\n";
  for (const auto& [category, findings] : problems) {
    out << CategoryTitle(category) << " (" << findings.size() << "):\n";
    for (const Finding* f : findings)
      out << "  " << (f->severity == Severity::Error ? "ERROR: " : "") << f->item << ": "
          << f->detail << '\n';
  }
  const auto information = ByCategory(report, true);
  for (const auto& [category, findings] : information)
    out << CategoryTitle(category) << ": " << findings.size() << '\n';
  if (!information.empty()) out << "(El detalle de todo, con --report ARCHIVO.csv.)\n";
}

}  // namespace travalen
