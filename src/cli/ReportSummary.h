// The conversion report as a few lines for a person reading a terminal.
#pragma once

#include <iosfwd>

#include "ConversionReport.h"

namespace travalen {

// Writes, in Spanish and UTF-8: the rows of each table; every warning and error, one line
// each, under its category's heading; then, for information, only how many of each kind
// there are, with a pointer to --report for the whole list.
void PrintReportSummary(std::ostream& out, const ConversionReport& report);

}  // namespace travalen
