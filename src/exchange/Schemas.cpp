// The nine exchange tables' file names and fields, in one place.
#include "Schemas.h"

#include <algorithm>

#include "TravalenError.h"

namespace travalen {
namespace {

FieldDef Text(const char* name, int width) { return {name, FieldKind::Text, width}; }
FieldDef Integer(const char* name) { return {name, FieldKind::Integer, 0}; }
FieldDef Float(const char* name) { return {name, FieldKind::Float, 0}; }
FieldDef Logical(const char* name) { return {name, FieldKind::Logical, 0}; }

bool SameFileName(const std::string& a, const std::string& b) {
  auto upper = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [&](char x, char y) { return upper(x) == upper(y); });
}

}  // namespace

const std::vector<TableSchema>& ExchangeSchemas() {
  static const std::vector<TableSchema> schemas = {
      {"PERIODOS.DBF", {Text("CURSOANNO", 4), Text("F_INICIO", 10), Text("F_FIN", 10)}},
      {"CURSOST.DBF",
       {Text("ABREV", 3), Text("TURNO", 1), Text("NIVEL", 5), Text("CURSO", 3), Text("CLAVE", 10),
        Text("ESTUD", 80)}},
      {"ASIGNOMT.DBF",
       {Text("COD", 10), Text("CODLARGO", 10), Text("NOMBRE", 80), Text("CODTAREA", 10),
        Logical("ESTAREA")}},
      {"ASIGNOMT2.DBF",
       {Text("COD", 10), Text("CODLARGO", 10), Text("NOMBRE", 80), Text("MATERIA", 20),
        Text("OFERTAMATRI", 20), Text("CODTAREA", 10), Logical("ESTAREA")}},
      {"PROFT.DBF",
       {Text("ABREV", 10), Text("NOMBRE", 80), Text("DEPART", 40), Integer("DNI"),
        Text("X_EMPLEADO", 10), Text("F_TOMAPOS", 10)}},
      {"AULAT.DBF",
       {Text("ABREV", 10), Text("NOMBRE", 80), Text("EDIFICIO", 1), Integer("MAXALUM"),
        Text("DEPCENTRO", 10)}},
      {"GRUPOST.DBF",
       {Text("ABREV", 10), Text("TURNO", 1), Text("NIVEL", 5), Text("CURSO", 3), Text("GRUPO", 2),
        Text("CLAVE", 10), Text("CLAVECURSO", 10), Text("DESCRIP", 80)}},
      {"ASIGT.DBF",
       {Text("CASIG", 10), Text("CPROF", 10), Text("CGRUP", 10), Text("CAULA", 10),
        Text("TURNO", 1), Text("NIVEL", 5), Text("CURSO", 3), Text("GRUPO", 2), Float("HORAS"),
        Text("SESIONES", 20), Text("NCONEX", 4), Text("CLAVE", 10), Text("CLAVECURSO", 10),
        Text("CTAREA", 10)}},
      {"DIASHORAST.DBF",
       {Text("DIHO", 10), Text("CODDIHO", 10), Text("DIA", 20), Text("TEXTODIA", 20),
        Text("HORA", 8), Text("TEXTOHOR", 8), Text("HORADESDE", 8), Text("HORAHASTA", 8),
        Text("MINUTOS", 8)}},
  };
  return schemas;
}

const TableSchema& ExchangeSchema(const std::string& fileName) {
  for (const TableSchema& schema : ExchangeSchemas()) {
    if (SameFileName(schema.fileName, fileName)) return schema;
  }
  throw TravalenError("«" + fileName + "» no es ninguna de las tablas de intercambio.");
}

void CreateExchangeTable(const std::filesystem::path& dir, const std::string& fileName,
                         const StorageFactory& storage) {
  const TableSchema& schema = ExchangeSchema(fileName);
  CreateTable(dir, schema.fileName, schema.fields, storage);
}

}  // namespace travalen
