// The whole round trip on the bundled sample school, through the programs a user runs:
// travalen-cli exportar → timetable stand-in writes SOLUC → travalen-cli importar.
#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/xpath.h>

#include <cstdlib>
#include <map>
#include <set>

#include "DbfTable.h"
#include "TestSupport.h"

namespace travalen {
namespace {

using test::BinDir;
using test::ReadFile;
using test::SourceDir;
using test::TempDir;

int RunCommand(const std::string& command) {
  int status = std::system((command + " >/dev/null").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Quoted(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

// A parsed document with XPath string and node-list queries.
class Xml {
 public:
  explicit Xml(const std::filesystem::path& file)
      : doc_(xmlReadFile(file.c_str(), nullptr, XML_PARSE_NONET | XML_PARSE_NOBLANKS)) {
    if (doc_ == nullptr) throw std::runtime_error("cannot parse " + file.string());
    ctx_ = xmlXPathNewContext(doc_);
  }
  ~Xml() {
    xmlXPathFreeContext(ctx_);
    xmlFreeDoc(doc_);
  }
  std::vector<xmlNode*> Nodes(const std::string& path, xmlNode* from = nullptr) const {
    ctx_->node = from != nullptr ? from : xmlDocGetRootElement(doc_);
    xmlXPathObject* result = xmlXPathEvalExpression(BAD_CAST path.c_str(), ctx_);
    std::vector<xmlNode*> nodes;
    if (result != nullptr && result->nodesetval != nullptr)
      for (int i = 0; i < result->nodesetval->nodeNr; ++i)
        nodes.push_back(result->nodesetval->nodeTab[i]);
    xmlXPathFreeObject(result);
    return nodes;
  }

 private:
  xmlDoc* doc_;
  xmlXPathContext* ctx_;
};

std::string Text(const xmlNode* node) {
  xmlChar* content = xmlNodeGetContent(node);
  std::string text = content ? reinterpret_cast<char*>(content) : "";
  xmlFree(content);
  auto first = text.find_first_not_of(' ');
  auto last = text.find_last_not_of(' ');
  return first == std::string::npos ? "" : text.substr(first, last - first + 1);
}

std::string Attribute(const xmlNode* node, const char* name) {
  xmlChar* value = xmlGetProp(node, BAD_CAST name);
  std::string text = value ? reinterpret_cast<char*>(value) : "";
  xmlFree(value);
  return text;
}

std::vector<std::string> Values(const Xml& xml, xmlNode* record) {
  std::vector<std::string> values;
  for (xmlNode* dato : xml.Nodes("dato", record)) values.push_back(Text(dato));
  return values;
}

std::string WithLeadingZero(const std::string& time) { return time.size() < 4 ? "0" + time : time; }

class SampleRoundTrip : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(exchange_);
    std::filesystem::copy_file(SourceDir() / "data/sample/seneca-export.xml", input_);
  }
  TempDir dir_;
  std::filesystem::path exchange_ = dir_ / "VTEMP";
  std::filesystem::path input_ = dir_ / "seneca-export.xml";
  std::filesystem::path cli_ = BinDir() / "travalen-cli";
};

TEST_F(SampleRoundTrip, ImportDocumentCarriesTheRightSenecaKeys) {
  ASSERT_EQ(
      RunCommand(Quoted(cli_) + " exportar " + Quoted(input_) + " --dir " + Quoted(exchange_) +
                 " --niveles " + Quoted(SourceDir() / "data/sample/niveles.csv")),
      0);
  ASSERT_EQ(RunCommand(Quoted(BinDir() / "timetable-standin") + " --dir " + Quoted(exchange_)), 0);
  ASSERT_EQ(
      RunCommand(Quoted(cli_) + " importar " + Quoted(input_) + " --dir " + Quoted(exchange_)), 0);
  const auto resultFile = dir_ / "ResultadoVelmoraseneca-export.xml";
  ASSERT_TRUE(std::filesystem::exists(resultFile));

  // What the export says, read independently of the program.
  Xml input(input_);
  const std::string blocks = "/SERVICIO/BLOQUE_DATOS/grupo_datos";
  std::map<std::string, std::string> unitCourse;
  for (auto* r : input.Nodes(blocks + "[@seq='UNIDADES']/grupo_datos")) {
    auto v = Values(input, r);
    unitCourse[v[0]] = v[2];
  }
  std::set<std::pair<std::string, std::string>> offeredSubjects;  // course, subject
  for (auto* r : input.Nodes(blocks + "[@seq='MATERIAS']/grupo_datos")) {
    auto v = Values(input, r);
    offeredSubjects.insert({v[0], v[1]});
  }
  std::map<std::string, std::pair<std::string, std::string>> slotTimes;
  for (auto* r : input.Nodes(blocks + "[@seq='TRAMOS_HORARIOS']/grupo_datos")) {
    auto v = Values(input, r);
    slotTimes[v[0]] = {WithLeadingZero(v[2]), WithLeadingZero(v[3])};
  }
  std::set<std::string> rooms, activities;
  for (auto* r : input.Nodes(blocks + "[@seq='DEPENDENCIAS']/grupo_datos"))
    rooms.insert(Values(input, r)[0]);
  for (auto* r : input.Nodes(blocks + "[@seq='ACTIVIDADES']/grupo_datos"))
    activities.insert(Values(input, r)[1]);
  auto staff = input.Nodes(blocks + "[@seq='EMPLEADOS']/grupo_datos");

  // The result: declaration and encoding kept, the new frame, every teacher in order.
  const std::string bytes = ReadFile(resultFile);
  EXPECT_EQ(bytes.rfind("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>", 0), 0u);
  Xml result(resultFile);
  auto root = result.Nodes("/SERVICIO");
  ASSERT_EQ(root.size(), 1u);
  EXPECT_EQ(Attribute(root[0], "tipo"), "I");
  EXPECT_EQ(Attribute(root[0], "autor"), "VELMORA");
  EXPECT_EQ(
      Text(result.Nodes("/SERVICIO/BLOQUE_DATOS/grupo_datos[@seq='ANNO_ACADEMICO']/dato").at(0)),
      "2025");
  auto timetable = result.Nodes("/SERVICIO/BLOQUE_DATOS/grupo_datos[@seq='HORARIOS_REGULARES']");
  ASSERT_EQ(timetable.size(), 1u);
  auto teachers = result.Nodes("grupo_datos", timetable[0]);
  ASSERT_EQ(teachers.size(), staff.size());
  EXPECT_EQ(Attribute(timetable[0], "registros"), std::to_string(staff.size()));

  const std::vector<std::string> datoNames = {
      "N_DIASEMANA", "X_TRAMO", "X_DEPENDENCIA", "X_UNIDAD", "X_OFERTAMATRIG", "X_MATERIAOMG",
      "F_INICIO",    "F_FIN",   "N_HORINI",      "N_HORFIN", "X_ACTIVIDAD"};
  std::size_t classes = 0, activityEntries = 0;
  for (std::size_t t = 0; t < teachers.size(); ++t) {
    SCOPED_TRACE("teacher " + std::to_string(t + 1));
    EXPECT_EQ(Attribute(teachers[t], "seq"), "HORARIO_REGULAR_PROFESOR_" + std::to_string(t + 1));
    auto own = result.Nodes("dato", teachers[t]);
    ASSERT_EQ(own.size(), 2u);
    EXPECT_EQ(Text(own[0]), Values(input, staff[t])[0]);
    EXPECT_EQ(Text(own[1]), Values(input, staff[t])[1]);
    auto blocksOfTeacher = result.Nodes("grupo_datos", teachers[t]);
    EXPECT_EQ(Attribute(teachers[t], "registros"), std::to_string(blocksOfTeacher.size()));
    for (std::size_t a = 0; a < blocksOfTeacher.size(); ++a) {
      EXPECT_EQ(Attribute(blocksOfTeacher[a], "seq"), "ACTIVIDAD_" + std::to_string(a + 1));
      auto datos = result.Nodes("dato", blocksOfTeacher[a]);
      ASSERT_EQ(datos.size(), datoNames.size());
      std::map<std::string, std::string> v;
      for (std::size_t d = 0; d < datos.size(); ++d) {
        EXPECT_EQ(Attribute(datos[d], "nombre_dato"), datoNames[d]);
        v[datoNames[d]] = Text(datos[d]);
      }
      EXPECT_TRUE(v["N_DIASEMANA"] >= "1" && v["N_DIASEMANA"] <= "5") << v["N_DIASEMANA"];
      ASSERT_TRUE(slotTimes.count(v["X_TRAMO"])) << v["X_TRAMO"];
      EXPECT_EQ(v["N_HORINI"], slotTimes[v["X_TRAMO"]].first);
      EXPECT_EQ(v["N_HORFIN"], slotTimes[v["X_TRAMO"]].second);
      EXPECT_EQ(v["F_INICIO"], "15/09/2025");
      EXPECT_EQ(v["F_FIN"], "22/06/2026");
      EXPECT_TRUE(rooms.count(v["X_DEPENDENCIA"]) || v["X_DEPENDENCIA"].empty());
      if (activities.count(v["X_ACTIVIDAD"]) && v["X_UNIDAD"].empty()) {
        ++activityEntries;
        continue;
      }
      ++classes;
      EXPECT_EQ(v["X_ACTIVIDAD"], "1");
      ASSERT_TRUE(unitCourse.count(v["X_UNIDAD"])) << v["X_UNIDAD"];
      EXPECT_EQ(v["X_OFERTAMATRIG"], unitCourse[v["X_UNIDAD"]]);
      EXPECT_TRUE(offeredSubjects.count({v["X_OFERTAMATRIG"], v["X_MATERIAOMG"]}))
          << v["X_OFERTAMATRIG"] << " / " << v["X_MATERIAOMG"];
    }
  }
  EXPECT_GT(classes, 100u);
  EXPECT_GT(activityEntries, 0u);

  // Every placed SOLUC row became exactly one activity block.
  auto soluc = DbfTable::OpenIn(exchange_, "SOLUC");
  std::size_t placed = 0;
  for (std::size_t row = 0; row < soluc.RowCount(); ++row)
    placed += soluc.IntegerAt(row, soluc.FieldIndex("DIA")) != 0;
  EXPECT_EQ(classes + activityEntries, placed);
}

}  // namespace
}  // namespace travalen
