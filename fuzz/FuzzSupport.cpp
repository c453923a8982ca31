// What the fuzz targets share: a folder per process, a scripted person, a small document.
#include "FuzzSupport.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <system_error>

#include "CourseLevels.h"
#include "DbfTable.h"
#include "Exportar.h"
#include "Schemas.h"
#include "Session.h"
#include "TravalenError.h"

namespace travalen::fuzz {

namespace fs = std::filesystem;

namespace {

// Removed with everything in it at a normal exit. A crash ends the process without exit
// handlers; its folder is the price of the report.
struct OwnedDir {
  fs::path path;
  ~OwnedDir() {
    std::error_code ignored;
    fs::remove_all(path, ignored);
  }
};

fs::path MakeProcessDir() {
  std::random_device random;
  fs::path dir = fs::temp_directory_path() /
                 ("travalen-fuzz-" + std::to_string(random()) + std::to_string(random()));
  fs::create_directories(dir);
  return dir;
}

}  // namespace

const fs::path& ProcessDir() {
  static const OwnedDir dir{MakeProcessDir()};
  return dir.path;
}

void WriteBytes(const fs::path& file, const std::uint8_t* data, std::size_t size) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  if (!out.flush()) Fail("cannot write " + file.string());
}

void WriteBytes(const fs::path& file, const std::string& bytes) {
  WriteBytes(file, reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

std::string ReadBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) Fail("cannot read " + file.string());
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Fail(const std::string& what) {
  std::fprintf(stderr, "fuzz check failed: %s\n", what.c_str());
  std::fflush(stderr);
  std::abort();
}

void FuzzPort::ShowMessage(const std::string& text, MessageKind) {
  lastMessage_ = text;
  // The drivers turn only exceptions they did not expect into this message.
  if (text.starts_with("Error inesperado"))
    Fail("unexpected exception reached the person: " + text);
}

CourseDialogResult FuzzPort::EditCourseLevels(const fs::path& coursesTable, bool) {
  DbfTable table = DbfTable::Open(coursesTable);
  for (table.First(); !table.Eof(); table.Next()) {
    const bool noLevel = IsMissingLevelValue(table.Text("NIVEL"));
    const bool noCourse = IsMissingLevelValue(table.Text("CURSO"));
    if (!noLevel && !noCourse) continue;
    table.Edit();
    if (noLevel) table.SetText("NIVEL", "ESO");
    if (noCourse) table.SetText("CURSO", "1");
    table.Post();
  }
  table.Close();
  return {};
}

std::string SmallSenecaDocument() {
  // Values as Séneca writes them, "\xF3" and friends being ISO-8859-1 letters.
  return "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
         "<SERVICIO modulo=\"HORARIOS\" tipo=\"E\" autor=\"SENECA\" fecha=\"12/09/2025 "
         "10:31:44\">\n"
         "<BLOQUE_DATOS>\n"
         "<grupo_datos seq=\"ANNO_ACADEMICO\">\n"
         "<dato nombre_dato=\"C_ANNO\">2025</dato>\n"
         "<dato nombre_dato=\"F_INIHORREG\">15/09/2025</dato>\n"
         "<dato nombre_dato=\"F_FINHORREG\">22/06/2026</dato>\n"
         "</grupo_datos>\n"
         "<grupo_datos seq=\"CURSOS_DEL_CENTRO\" registros=\"1\">\n"
         "<grupo_datos seq=\"CURSO_1\">\n"
         "<dato nombre_dato=\"X_OFERTAMATRIG\">224318</dato>\n"
         "<dato nombre_dato=\"D_OFERTAMATRIG\">1\xBA de E.S.O.</dato>\n"
         "</grupo_datos>\n"
         "</grupo_datos>\n"
         "<grupo_datos seq=\"MATERIAS\" registros=\"3\">\n"
         "<grupo_datos seq=\"MATERIA_1\">\n"
         "<dato nombre_dato=\"X_OFERTAMATRIG\">224318</dato>\n"
         "<dato nombre_dato=\"X_MATERIAOMG\">192482</dato>\n"
         "<dato nombre_dato=\"D_MATERIAOMG\">Biolog\xED"
         "a y Geolog\xED"
         "a</dato>\n"
         "<dato nombre_dato=\"N_HORAS\">3</dato>\n"
         "</grupo_datos>\n"
         "<grupo_datos seq=\"MATERIA_2\">\n"
         "<dato nombre_dato=\"X_OFERTAMATRIG\">224318</dato>\n"
         "<dato nombre_dato=\"X_MATERIAOMG\">192490</dato>\n"
         "<dato nombre_dato=\"D_MATERIAOMG\">Matem\xE1ticas</dato>\n"
         "<dato nombre_dato=\"N_HORAS\">4</dato>\n"
         "</grupo_datos>\n"
         "<grupo_datos seq=\"MATERIA_3\">\n"
         "<dato nombre_dato=\"X_OFERTAMATRIG\">224318</dato>\n"
         "<dato nombre_dato=\"X_MATERIAOMG\">192499</dato>\n"
         "<dato nombre_dato=\"D_MATERIAOMG\">Educaci\xF3n F\xEDsica</dato>\n"
         "<dato nombre_dato=\"N_HORAS\">2</dato>\n"
         "</grupo_datos>\n"
         "</grupo_datos>\n"
         "<grupo_datos seq=\"ACTIVIDADES\" registros=\"2\">\n"
         "<grupo_datos seq=\"ACTIVIDAD_1\">\n"
         "<dato nombre_dato=\"L_REQUNIDAD\">N</dato>\n"
         "<dato nombre_dato=\"X_ACTIVIDAD\">1</dato>\n"
         "<dato nombre_dato=\"D_ACTIVIDAD\">Guardia</dato>\n"
         "</grupo_datos>\n"
         "<grupo_datos seq=\"ACTIVIDAD_2\">\n"
         "<dato nombre_dato=\"L_REQUNIDAD\">S</dato>\n"
         "<dato nombre_dato=\"X_ACTIVIDAD\">2038</dato>\n"
         "<dato nombre_dato=\"D_ACTIVIDAD\">Reuni\xF3n de equipo educativo</dato>\n"
         "</grupo_datos>\n"
         "</grupo_datos>\n"
         "<grupo_datos seq=\"DEPENDENCIAS\" registros=\"2\">\n"
         "<grupo_datos seq=\"DEPENDENCIA_1\">\n"
         "<dato nombre_dato=\"X_DEPENDENCIA\">3101</dato>\n"
         "<dato nombre_dato=\"D_DEPENDENCIA\">Aula 1.01</dato>\n"
         "</grupo_datos>\n"
         "<grupo_datos seq=\"DEPENDENCIA_2\">\n"
         "<dato nombre_dato=\"X_DEPENDENCIA\">3102</dato>\n"
         "<dato nombre_dato=\"D_DEPENDENCIA\">Gimnasio</dato>\n"
         "</grupo_datos>\n"
         "</grupo_datos>\n"
         "<grupo_datos seq=\"JORNADAS_ESCOLARES\" registros=\"1\">\n"
         "<grupo_datos seq=\"JORNADA_1\">\n"
         "<dato nombre_dato=\"X_JORNADA\">4183</dato>\n"
         "<dato nombre_dato=\"D_JORNADA\">Jornada escolar de ma\xF1"
         "ana</dato>\n"
         "<dato nombre_dato=\"F_INICIO\">15/09/2025</dato>\n"
         "<dato nombre_dato=\"F_FIN\">22/06/2026</dato>\n"
         "</grupo_datos>\n"
         "</grupo_datos>\n"
         "<grupo_datos seq=\"TRAMOS_HORARIOS\" registros=\"3\">\n"
         "<grupo_datos seq=\"TRAMO_1\">\n"
         "<dato nombre_dato=\"X_TRAMO\">348644</dato>\n"
         "<dato nombre_dato=\"T_HORCEN\">1\xAA</dato>\n"
         "<dato nombre_dato=\"N_INICIO\">495</dato>\n"
         "<dato nombre_dato=\"N_FIN\">555</dato>\n"
         "</grupo_datos>\n"
         "<grupo_datos seq=\"TRAMO_2\">\n"
         "<dato nombre_dato=\"X_TRAMO\">646108</dato>\n"
         "<dato nombre_dato=\"T_HORCEN\">Recreo</dato>\n"
         "<dato nombre_dato=\"N_INICIO\">555</dato>\n"
         "<dato nombre_dato=\"N_FIN\">585</dato>\n"
         "</grupo_datos>\n"
         "<grupo_datos seq=\"TRAMO_3\">\n"
         "<dato nombre_dato=\"X_TRAMO\">348645</dato>\n"
         "<dato nombre_dato=\"T_HORCEN\">2\xAA</dato>\n"
         "<dato nombre_dato=\"N_INICIO\">585</dato>\n"
         "<dato nombre_dato=\"N_FIN\">645</dato>\n"
         "</grupo_datos>\n"
         "</grupo_datos>\n"
         "<grupo_datos seq=\"UNIDADES\" registros=\"2\">\n"
         "<grupo_datos seq=\"UNIDAD_1\">\n"
         "<dato nombre_dato=\"X_UNIDAD\">10455973</dato>\n"
         "<dato nombre_dato=\"T_NOMBRE\">1\xBA"
         "ESO-A</dato>\n"
         "<dato nombre_dato=\"X_OFERTAMATRIG\">224318</dato>\n"
         "</grupo_datos>\n"
         "<grupo_datos seq=\"UNIDAD_2\">\n"
         "<dato nombre_dato=\"X_UNIDAD\">10455974</dato>\n"
         "<dato nombre_dato=\"T_NOMBRE\">1\xBA"
         "ESO-B</dato>\n"
         "<dato nombre_dato=\"X_OFERTAMATRIG\">224318</dato>\n"
         "</grupo_datos>\n"
         "</grupo_datos>\n"
         "<grupo_datos seq=\"EMPLEADOS\" registros=\"2\">\n"
         "<grupo_datos seq=\"EMPLEADO_1\">\n"
         "<dato nombre_dato=\"X_EMPLEADO\">2831752</dato>\n"
         "<dato nombre_dato=\"F_TOMAPOS\">01/09/2016</dato>\n"
         "<dato nombre_dato=\"D_PUESTO\">Matem\xE1ticas-Profesores de Ense\xF1"
         "anza "
         "Secundaria</dato>\n"
         "<dato nombre_dato=\"T_APELLIDO1\">Garc\xED"
         "a</dato>\n"
         "<dato nombre_dato=\"T_APELLIDO2\">L\xF3pez</dato>\n"
         "<dato nombre_dato=\"T_NOMBRE\">Ana</dato>\n"
         "</grupo_datos>\n"
         "<grupo_datos seq=\"EMPLEADO_2\">\n"
         "<dato nombre_dato=\"X_EMPLEADO\">2831760</dato>\n"
         "<dato nombre_dato=\"F_TOMAPOS\">01/09/2020</dato>\n"
         "<dato nombre_dato=\"D_PUESTO\">Educaci\xF3n F\xEDsica-Profesores de Ense\xF1"
         "anza "
         "Secundaria</dato>\n"
         "<dato nombre_dato=\"T_APELLIDO1\">Mu\xF1oz</dato>\n"
         "<dato nombre_dato=\"T_APELLIDO2\"></dato>\n"
         "<dato nombre_dato=\"T_NOMBRE\">Jos\xE9</dato>\n"
         "</grupo_datos>\n"
         "</grupo_datos>\n"
         "</BLOQUE_DATOS>\n"
         "</SERVICIO>\n";
}

void WriteSubjectLookup(const fs::path& file) {
  CreateTable(file.parent_path(), file.filename().string(),
              {{"NOMBRE", FieldKind::Text, 100},
               {"COD", FieldKind::Text, 12},
               {"CODLARGO", FieldKind::Text, 12}});
  DbfTable table = DbfTable::Open(file);
  const std::array<const char*, 3> rows[] = {{"Matem\xE1ticas", "MAT", "Matem\xE1t."},
                                             {"Biolog\xED"
                                              "a y Geolog\xED"
                                              "a",
                                              "BYG",
                                              "Biolog\xED"
                                              "a"},
                                             {"Lengua Castellana y Literatura", "LCL", "Lengua"}};
  for (const auto& row : rows) {
    table.Append();
    table.SetText("NOMBRE", row[0]);
    table.SetText("COD", row[1]);
    table.SetText("CODLARGO", row[2]);
    table.Post();
  }
  table.Close();
}

void CheckExchangeTables(const fs::path& dir) {
  for (const TableSchema& schema : ExchangeSchemas()) {
    try {
      const DbfTable table = DbfTable::OpenIn(dir, schema.fileName);
      const auto& fields = table.Fields();
      if (fields.size() != schema.fields.size())
        Fail(schema.fileName + " does not have its schema's fields");
      for (std::size_t f = 0; f < fields.size(); ++f)
        if (fields[f].name != schema.fields[f].name || fields[f].kind != schema.fields[f].kind)
          Fail(schema.fileName + " has field " + fields[f].name + " out of its schema");
      for (std::size_t row = 0; row < table.RowCount(); ++row)
        for (std::size_t f = 0; f < fields.size(); ++f) table.TextAt(row, static_cast<int>(f));
    } catch (const TravalenError& error) {
      Fail("an exported table does not read back: " + std::string(error.what()));
    }
  }
}

bool RunExportar(const fs::path& xml, const fs::path& exchangeDir, const fs::path& subjectLookup) {
  Session session;
  session.exchangeDir = exchangeDir;
  session.subjectLookupTable = subjectLookup;
  FuzzPort port(xml);
  BExportarClick(session, port);
  return session.TransformResult == 1;
}

}  // namespace travalen::fuzz
