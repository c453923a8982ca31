// Reading the saved import document back and checking it against what was written.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "ConversionReport.h"

typedef struct _xmlDoc xmlDoc;

namespace travalen {

// Checks the bytes of a saved import document against `written`, the document they were
// saved from:
//   - they are well-formed XML with /SERVICIO/BLOQUE_DATOS and the HORARIOS_REGULARES block;
//   - "registros" of that block equals its teacher blocks, and "registros" of every teacher
//     block its activity blocks;
//   - teacher blocks are HORARIO_REGULAR_PROFESOR_1, _2 … and each teacher's activity
//     blocks ACTIVIDAD_1, _2 …, without gaps;
//   - every "dato" reads back with the name and the text it was written with (an accent
//     lost to a wrong encoding shows here).
// Gives one finding (ResultCheckFailed) per problem, none when the document is sound; a
// broken document is a finding, never an exception. `name` stands for the file.
std::vector<Finding> CheckImportResult(std::string_view savedBytes, xmlDoc* written,
                                       const std::string& name);

// The same for the file at `saved`, read from disk; a file that cannot be read is a
// finding too.
std::vector<Finding> CheckImportResultFile(const std::filesystem::path& saved, xmlDoc* written);

}  // namespace travalen
