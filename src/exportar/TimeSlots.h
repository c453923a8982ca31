// The time slots step: TRAMOS_HORARIOS, repeated for the seven days, into DIASHORAST.DBF.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "ExportRun.h"

namespace travalen {

// Re-creates DIASHORAST.DBF with every time slot once for each day from 1 to 7. Throws
// TravalenError "'%s' no es un valor entero válido" naming the slot when a time is not a
// whole number; the rows before it stay.
void LeeTramos(const ExportRun& run);

// A whole decimal number: an optional sign, then decimal digits, within 32 bits.
std::optional<std::int32_t> ParseWholeNumber(const std::string& text);

// Séneca writes times as minutes since midnight with three or four digits; the table
// keeps them four wide, so a shorter one gets one "0" in front ("800" → "0800").
std::string PaddedTime(const std::string& time);

}  // namespace travalen
