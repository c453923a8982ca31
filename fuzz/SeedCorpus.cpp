// fuzz-seeds: writes the fuzz targets' starting inputs from real exports and small files.
//
// Usage: fuzz-seeds CORPUS_DIR SAMPLE.xml
// Fills CORPUS_DIR/<target>/ with documents, table files, solution tables and INI files
// that reach deep into each target, so that fuzzing mutates working inputs rather than
// searching for the file formats from nothing.
#include <cstdint>
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "DbfTable.h"
#include "FuzzSupport.h"
#include "TravalenError.h"

using namespace travalen;
namespace fs = std::filesystem;

namespace {

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at))
    text.replace(at, from.size(), to), at += to.size();
}

std::vector<std::string> Column(const DbfTable& table, const char* field) {
  std::vector<std::string> values;
  const int index = table.FieldIndex(field);
  for (std::size_t row = 0; row < table.RowCount(); ++row)
    values.push_back(table.TextAt(row, index));
  return values;
}

// A solution as the timetable program might leave it for the exported tables: each
// assignment on a day and period in turn, a non-teaching duty, and one entry left unplaced.
// DIA and HORA numeric, or text as some versions write them.
void WriteSolution(const fs::path& exchange, const fs::path& file, FieldKind dayKind) {
  const DbfTable teachers = DbfTable::OpenIn(exchange, "PROFT");
  const DbfTable assignments = DbfTable::OpenIn(exchange, "ASIGT");
  const DbfTable rooms = DbfTable::OpenIn(exchange, "AULAT");
  const DbfTable subjects = DbfTable::OpenIn(exchange, "ASIGNOMT");
  const auto profs = Column(teachers, "ABREV");
  const auto subjectCodes = Column(assignments, "CASIG");
  const auto groups = Column(assignments, "CGRUP");
  const auto roomCodes = Column(rooms, "ABREV");
  const auto taskCodes = Column(subjects, "CODTAREA");
  if (profs.empty()) throw TravalenError("the export wrote no teacher");

  const int width = dayKind == FieldKind::Text ? 4 : 2;
  CreateTable(file.parent_path(), file.filename().string(),
              {{"PROF", FieldKind::Text, 10},
               {"DIA", dayKind, width},
               {"HORA", dayKind, width},
               {"ASIG", FieldKind::Text, 10},
               {"CODGRUPO", FieldKind::Text, 10},
               {"TAREA", FieldKind::Text, 10},
               {"AULA", FieldKind::Text, 10}});
  DbfTable solution = DbfTable::Open(file);
  auto add = [&](const std::string& prof, int day, int period, const std::string& subject,
                 const std::string& group, const std::string& task, const std::string& room) {
    solution.Append();
    solution.SetText("PROF", prof);
    solution.SetText("DIA", std::to_string(day));
    solution.SetText("HORA", std::to_string(period));
    solution.SetText("ASIG", subject);
    solution.SetText("CODGRUPO", group);
    solution.SetText("TAREA", task);
    solution.SetText("AULA", room);
    solution.Post();
  };
  for (std::size_t i = 0; i < subjectCodes.size(); ++i) {
    add(profs[i % profs.size()], static_cast<int>(i % 5) + 1, static_cast<int>(i / 5 % 3) + 1,
        subjectCodes[i], groups[i], "", roomCodes.empty() ? "" : roomCodes[i % roomCodes.size()]);
  }
  for (const std::string& task : taskCodes)
    if (!task.empty()) add(profs.front(), 5, 3, "", "", task, "");
  add(profs.back(), 0, 0, subjectCodes.empty() ? "" : subjectCodes.front(), "", "", "");
  solution.Close();
}

// A table no program of ours writes: a Visual FoxPro binary integer, a date, a deleted row.
std::string ForeignTable() {
  std::string header(32 + 3 * 32 + 1, '\0');
  header[0] = 0x30;
  const std::size_t recordLength = 1 + 4 + 8 + 5;
  header[4] = 2;  // rows
  header[8] = static_cast<char>(header.size());
  header[10] = static_cast<char>(recordLength);
  const struct {
    const char* name;
    char type;
    int width;
  } fields[] = {{"NUM", 'I', 4}, {"FECHA", 'D', 8}, {"IMPORTE", 'N', 5}};
  for (int i = 0; i < 3; ++i) {
    const std::size_t at = 32 + 32 * static_cast<std::size_t>(i);
    header.replace(at, std::string(fields[i].name).size(), fields[i].name);
    header[at + 11] = fields[i].type;
    header[at + 16] = static_cast<char>(fields[i].width);
    header[at + 17] = fields[i].type == 'N' ? 1 : 0;
  }
  header.back() = 0x0D;
  return header + " " + std::string("\x07\x00\x00\x00", 4) + "20250915" + " 12.5" + "*" +
         std::string("\xFF\xFF\xFF\xFF", 4) + "        " + "  -.3" + "\x1A";
}

void WriteIniSeeds(const fs::path& dir) {
  const std::pair<const char*, std::string> seeds[] = {
      {"con-clave.ini",
       "; Velmora\r\n[General]\r\nRuta=C:\\VTEMP\r\n\r\n[Transformadores]\r\nOtro=x\r\n"
       "Transformado=0\r\n\r\n[Fin]\r\nA=1\r\n"},
      {"sin-clave.ini", "[Transformadores]\nOtro = y\n\n[Fin]\nTransformado=3\n"},
      {"sin-seccion.ini", "[General]\nA=1"},
      {"bom.ini", "\xEF\xBB\xBF[ TRANSFORMADORES ]\ntransformado =  5  ; comentario\n"},
  };
  for (const auto& [name, bytes] : seeds) fuzz::WriteBytes(dir / name, bytes);
}

void CopyTables(const fs::path& from, const fs::path& to, const std::string& prefix) {
  for (const auto& entry : fs::directory_iterator(from))
    if (entry.path().extension() == ".DBF")
      fs::copy_file(entry.path(), to / (prefix + entry.path().filename().string()),
                    fs::copy_options::overwrite_existing);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "Uso: fuzz-seeds CARPETA_CORPUS MUESTRA.xml\n";
    return 2;
  }
  try {
    const fs::path corpus = argv[1];
    const fs::path sample = argv[2];
    const fs::path work = fuzz::ProcessDir();
    for (const char* target : {"fuzz_dbf", "fuzz_exportar", "fuzz_importar", "fuzz_ini"})
      fs::create_directories(corpus / target);
    const fs::path lookup = work / "SENEMATERIAS.DBF";
    fuzz::WriteSubjectLookup(lookup);

    // Documents: the sample school, the small one, the small one in another declared
    // encoding, and a document with nothing but the year.
    const fs::path documents = corpus / "fuzz_exportar";
    fs::copy_file(sample, documents / "muestra.xml", fs::copy_options::overwrite_existing);
    std::string small = fuzz::SmallSenecaDocument();
    fuzz::WriteBytes(documents / "pequeno.xml", small);
    ReplaceAll(small, "ISO-8859-1", "windows-1252");
    fuzz::WriteBytes(documents / "pequeno-1252.xml", small);
    fuzz::WriteBytes(documents / "solo-anno.xml",
                     "<SERVICIO><BLOQUE_DATOS><grupo_datos seq=\"ANNO_ACADEMICO\"><dato "
                     "nombre_dato=\"C_ANNO\">2025</dato></grupo_datos></BLOQUE_DATOS></SERVICIO>");

    // Tables: what the two exports write, the solutions, a foreign table.
    const fs::path tables = corpus / "fuzz_dbf";
    const fs::path solutions = corpus / "fuzz_importar";
    for (const char* name : {"muestra", "pequeno"}) {
      const fs::path exchange = work / name;
      const fs::path xml = documents / (std::string(name) + ".xml");
      if (!fuzz::RunExportar(xml, exchange, lookup))
        throw TravalenError(xml.string() + " does not export");
      CopyTables(exchange, tables, std::string(name) + "-");
      WriteSolution(exchange, exchange / "SOLUC.DBF", FieldKind::Integer);
      fs::copy_file(exchange / "SOLUC.DBF", solutions / (std::string(name) + "-SOLUC.DBF"),
                    fs::copy_options::overwrite_existing);
      WriteSolution(exchange, exchange / "SOLUC.DBF", FieldKind::Text);
      fs::copy_file(exchange / "SOLUC.DBF", solutions / (std::string(name) + "-SOLUC-texto.DBF"),
                    fs::copy_options::overwrite_existing);
    }
    CopyTables(solutions, tables, "");
    fs::copy_file(lookup, tables / "SENEMATERIAS.DBF", fs::copy_options::overwrite_existing);
    fuzz::WriteBytes(tables / "foxpro.DBF", ForeignTable());

    WriteIniSeeds(corpus / "fuzz_ini");
  } catch (const std::exception& error) {
    std::cerr << "fuzz-seeds: " << error.what() << '\n';
    return 1;
  }
  return 0;
}
