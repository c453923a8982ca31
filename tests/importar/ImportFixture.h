// What the importar tests share: a scripted person, exchange tables written from a few
// rows, a run of the job and its result document read back.
#pragma once

#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "DbfTable.h"
#include "ImportDocument.h"
#include "Importar.h"
#include "JobPort.h"
#include "Schemas.h"
#include "Session.h"
#include "TestSupport.h"
#include "Text8.h"

namespace travalen::test {

namespace fs = std::filesystem;

// Plays the person: answers the file dialog as scripted and records everything shown.
class FakePort : public JobPort {
 public:
  std::optional<fs::path> nextFile;
  std::vector<std::pair<std::string, MessageKind>> messages;
  std::vector<bool> busy;
  std::vector<std::string> progress;
  std::vector<ConversionReport> reports;
  std::size_t messagesBeforeReport = 0;
  int closesBeforeReport = 0;
  int closeRequests = 0;

  std::optional<fs::path> ChooseXmlFile() override { return nextFile; }
  void ShowMessage(const std::string& text, MessageKind kind) override {
    messages.emplace_back(text, kind);
  }
  void SetBusy(bool on) override { busy.push_back(on); }
  CourseDialogResult EditCourseLevels(const fs::path&, bool) override {
    ADD_FAILURE() << "importar never opens the level/course dialog";
    return {};
  }
  void CloseWindow() override { ++closeRequests; }
  void ShowProgress(const std::string& step) override { progress.push_back(step); }
  void ShowReport(const ConversionReport& report) override {
    reports.push_back(report);
    messagesBeforeReport = messages.size();
    closesBeforeReport = closeRequests;
  }

  // The only message shown, or a failure when there was not exactly one.
  std::string OnlyMessage() const {
    EXPECT_EQ(messages.size(), 1u);
    return messages.empty() ? std::string() : messages.front().first;
  }
};

// Some rows of one table: its name, the fields given, one list of UTF-8 values per row.
// Fields not given stay blank, as dBase keeps an unset field.
struct TableRows {
  std::string table;
  std::vector<std::string> fields;
  std::vector<std::vector<std::string>> rows;
};

inline void AppendRows(const fs::path& dir, const TableRows& rows) {
  DbfTable table = DbfTable::OpenIn(dir, rows.table);
  for (const auto& row : rows.rows) {
    table.Append();
    for (std::size_t i = 0; i < rows.fields.size(); ++i)
      table.SetText(rows.fields[i], Utf8ToCp1252(row.at(i)));
    table.Post();
  }
  table.Close();
}

// SOLUC as the timetable program leaves it; DIA and HORA numeric unless a test needs
// them as text.
inline void CreateSoluc(const fs::path& dir, FieldKind dayAndPeriod = FieldKind::Integer) {
  const int width = dayAndPeriod == FieldKind::Text ? 4 : 2;
  CreateTable(dir, "SOLUC.DBF",
              {{"PROF", FieldKind::Text, 10},
               {"DIA", dayAndPeriod, width},
               {"HORA", dayAndPeriod, width},
               {"ASIG", FieldKind::Text, 10},
               {"CODGRUPO", FieldKind::Text, 10},
               {"TAREA", FieldKind::Text, 10},
               {"AULA", FieldKind::Text, 10}});
}

// Every table an import run reads, all empty: the nine exchange tables and SOLUC.
inline void CreateEmptyTables(const fs::path& dir, FieldKind dayAndPeriod = FieldKind::Integer) {
  fs::create_directories(dir);
  for (const auto& schema : ExchangeSchemas()) CreateExchangeTable(dir, schema.fileName);
  CreateSoluc(dir, dayAndPeriod);
}

// A Séneca export as small as the job needs: the year block and one more.
inline std::string SmallSenecaXml(const std::string& year = "2023") {
  return "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
         "<SERVICIO modulo=\"HORARIOS\" tipo=\"E\" autor=\"SENECA\" fecha=\"16/01/2024 "
         "20:59:15\">\n"
         "  <BLOQUE_DATOS>\n"
         "    <grupo_datos seq=\"ANNO_ACADEMICO\">\n"
         "      <dato nombre_dato=\"C_ANNO\">" +
         year +
         "</dato>\n"
         "      <dato nombre_dato=\"F_INIHORREG\">01/09/2023</dato>\n"
         "    </grupo_datos>\n"
         "    <grupo_datos seq=\"EMPLEADOS\" registros=\"0\"/>\n"
         "  </BLOQUE_DATOS>\n"
         "</SERVICIO>\n";
}

// A folder with the exchange tables in VTEMP/ and the chosen file beside it.
struct ImportRun {
  TempDir temp;
  fs::path exchange = temp / "VTEMP";
  fs::path xml = temp / "Horarios.xml";
  fs::path result = temp / "ResultadoVelmoraHorarios.xml";
  Session session;
  FakePort port;

  ImportRun() {
    session.exchangeDir = exchange;
    port.nextFile = xml;
    CreateEmptyTables(exchange);
    AppendRows(
        exchange,
        {"PERIODOS", {"CURSOANNO", "F_INICIO", "F_FIN"}, {{"2023", "15/09/2023", "21/06/2024"}}});
    WriteFile(xml, SmallSenecaXml());
  }

  void Run() { BImportarClick(session, port); }
};

struct XmlDocFree {
  void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};

inline std::string Attribute(const xmlNode* node, const char* name) {
  xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
  std::string text = value ? reinterpret_cast<const char*>(value) : "";
  xmlFree(value);
  return text;
}

inline std::vector<const xmlNode*> Elements(const xmlNode* parent) {
  std::vector<const xmlNode*> children;
  for (const xmlNode* child = parent->children; child; child = child->next)
    if (child->type == XML_ELEMENT_NODE) children.push_back(child);
  return children;
}

inline std::string Text(const xmlNode* node) {
  xmlChar* value = xmlNodeGetContent(node);
  std::string text = value ? reinterpret_cast<const char*>(value) : "";
  xmlFree(value);
  return text;
}

// One "dato": its nombre_dato and its text (UTF-8).
using Dato = std::pair<std::string, std::string>;

struct ActivityBlock {
  std::string seq;
  std::vector<Dato> datos;
  std::string operator[](const std::string& name) const {
    for (const auto& [n, text] : datos)
      if (n == name) return text;
    ADD_FAILURE() << "no dato " << name;
    return {};
  }
};

struct TeacherBlock {
  std::string seq, registros;
  std::vector<Dato> datos;  // the teacher's own, before the activities
  std::vector<ActivityBlock> activities;
  std::vector<std::string> childNames;  // element children in order, "dato:NAME" or "grupo_datos"
};

// The import document as the tests look at it.
struct ImportResult {
  std::string bytes;
  std::string rootName, modulo, tipo, autor, fecha;
  std::size_t rootAttributes = 0;
  std::string year;
  std::string timetableRegistros;
  std::vector<TeacherBlock> teachers;
};

inline std::vector<Dato> Datos(const xmlNode* block) {
  std::vector<Dato> datos;
  for (const xmlNode* child : Elements(block))
    if (std::strcmp(reinterpret_cast<const char*>(child->name), "dato") == 0)
      datos.emplace_back(Attribute(child, "nombre_dato"), Text(child));
  return datos;
}

inline ImportResult ReadImportResult(const fs::path& file) {
  ImportResult result;
  result.bytes = ReadFile(file);
  std::unique_ptr<xmlDoc, XmlDocFree> doc(
      xmlReadMemory(result.bytes.data(), static_cast<int>(result.bytes.size()), nullptr, nullptr,
                    XML_PARSE_NONET | XML_PARSE_NOBLANKS));
  if (!doc) {
    ADD_FAILURE() << "the result is not well-formed XML";
    return result;
  }
  const xmlNode* root = xmlDocGetRootElement(doc.get());
  result.rootName = reinterpret_cast<const char*>(root->name);
  for (const xmlAttr* a = root->properties; a; a = a->next) ++result.rootAttributes;
  result.modulo = Attribute(root, "modulo");
  result.tipo = Attribute(root, "tipo");
  result.autor = Attribute(root, "autor");
  result.fecha = Attribute(root, "fecha");
  const auto containers = Elements(root);
  if (containers.size() != 1) {
    ADD_FAILURE() << "SERVICIO holds " << containers.size() << " elements";
    return result;
  }
  const auto blocks = Elements(containers[0]);
  if (blocks.size() != 2) {
    ADD_FAILURE() << "BLOQUE_DATOS holds " << blocks.size() << " elements";
    return result;
  }
  const auto yearDatos = Datos(blocks[0]);
  EXPECT_EQ(Attribute(blocks[0], "seq"), "ANNO_ACADEMICO");
  EXPECT_EQ(yearDatos.size(), 1u);
  if (!yearDatos.empty()) {
    EXPECT_EQ(yearDatos[0].first, "C_ANNO");
    result.year = yearDatos[0].second;
  }
  EXPECT_EQ(Attribute(blocks[1], "seq"), "HORARIOS_REGULARES");
  result.timetableRegistros = Attribute(blocks[1], "registros");
  for (const xmlNode* teacherNode : Elements(blocks[1])) {
    TeacherBlock teacher;
    teacher.seq = Attribute(teacherNode, "seq");
    teacher.registros = Attribute(teacherNode, "registros");
    teacher.datos = Datos(teacherNode);
    for (const xmlNode* child : Elements(teacherNode)) {
      const std::string name = reinterpret_cast<const char*>(child->name);
      teacher.childNames.push_back(name == "dato" ? "dato:" + Attribute(child, "nombre_dato")
                                                  : name);
      if (name != "grupo_datos") continue;
      teacher.activities.push_back({Attribute(child, "seq"), Datos(child)});
    }
    result.teachers.push_back(std::move(teacher));
  }
  return result;
}

}  // namespace travalen::test
