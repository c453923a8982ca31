// The nine exchange tables Travalen writes for the timetable program, as data.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "DbfTable.h"

namespace travalen {

struct TableSchema {
  std::string fileName;  // "PROFT.DBF": the name files are created with
  std::vector<FieldDef> fields;
};

// In the order the export writes them: PERIODOS, CURSOST, ASIGNOMT, ASIGNOMT2, PROFT,
// AULAT, GRUPOST, ASIGT, DIASHORAST.
const std::vector<TableSchema>& ExchangeSchemas();
// The schema whose file name is `fileName` ("PROFT.DBF"); throws when there is none.
const TableSchema& ExchangeSchema(const std::string& fileName);

// Deletes and re-creates one of the nine tables in `dir`, empty.
void CreateExchangeTable(const std::filesystem::path& dir, const std::string& fileName,
                         const StorageFactory& storage = {});

}  // namespace travalen
