// subject-table CSV DBF: writes the subject look-up table from its UTF-8 source.
#include <fstream>
#include <iostream>
#include <string>

#include "Clipper.h"
#include "DbfTable.h"
#include "Text8.h"
#include "TravalenError.h"

namespace {

// NOMBRE is compared with whole subject names, which Séneca writes up to 80 characters.
const std::vector<travalen::FieldDef> kFields = {
    {"NOMBRE", travalen::FieldKind::Text, 80},
    {"COD", travalen::FieldKind::Text, 10},
    {"CODLARGO", travalen::FieldKind::Text, 10},
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "uso: subject-table senematerias.csv SENEMATERIAS.DBF\n";
    return 2;
  }
  try {
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) throw travalen::TravalenError(std::string("No se puede abrir ") + argv[1]);
    const std::filesystem::path target = argv[2];
    travalen::CreateTable(target.parent_path(), target.filename().string(), kFields);
    auto table = travalen::DbfTable::Open(target);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
      if (++number == 1) continue;  // header NOMBRE;COD;CODLARGO
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (travalen::IsBlank(line)) continue;
      auto first = line.find(';');
      auto second = line.find(';', first == std::string::npos ? first : first + 1);
      if (second == std::string::npos || line.find(';', second + 1) != std::string::npos)
        throw travalen::TravalenError(std::string(argv[1]) + ", línea " + std::to_string(number) +
                                      ": se esperaba NOMBRE;COD;CODLARGO");
      table.Append();
      table.SetText("NOMBRE", travalen::Utf8ToCp1252(line.substr(0, first)));
      table.SetText("COD", travalen::Utf8ToCp1252(line.substr(first + 1, second - first - 1)));
      table.SetText("CODLARGO", travalen::Utf8ToCp1252(line.substr(second + 1)));
      table.Post();
    }
    table.Close();
  } catch (const travalen::TravalenError& e) {
    std::cerr << e.what() << '\n';
    return 1;
  }
  return 0;
}
