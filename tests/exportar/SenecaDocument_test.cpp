// Loading Séneca documents and reading blocks, records and values by position.
#include "SenecaDocument.h"

#include <gtest/gtest.h>

#include "SenecaBuilder.h"
#include "Text8.h"
#include "TravalenError.h"

namespace travalen {
namespace {

using test::SenecaBlock;
using test::SenecaXml;
using test::TempDir;

std::unique_ptr<SenecaDocument> FromBlocks(const std::vector<SenecaBlock>& blocks) {
  return SenecaDocument::Parse(SenecaXml(blocks), "prueba.xml");
}

TEST(SenecaReader, SelectsBlocksByExactSeqInDocumentOrder) {
  auto doc = FromBlocks({{"ANNO_ACADEMICO", {}, {"2025"}},
                         {"MATERIAS", {{"1", "10", "Física"}}},
                         {"materias", {{"2", "20", "Química"}}},
                         {"UNIDADES", {{"u1", "x", "c1"}}},
                         {"MATERIAS", {{"3", "30", "Latín"}, {"4", "40", "Griego"}}}});
  BlockReader reader(*doc);
  ASSERT_EQ(reader.SelectBlockRecords("MATERIAS"), 3u);
  std::vector<std::string> names;
  for (std::size_t i = 0; i < 3; ++i) {
    reader.RecordValues(i);
    names.push_back(Cp1252ToUtf8(reader.ValueText(2)));
  }
  EXPECT_EQ(names, (std::vector<std::string>{"Física", "Latín", "Griego"}));
  EXPECT_EQ(reader.SelectBlockRecords("NO_EXISTE"), 0u);
  EXPECT_EQ(reader.SelectAllBlocks(), 5u);
  EXPECT_EQ(reader.RecordValues(0), 1u);
  EXPECT_EQ(reader.ValueText(0), "2025");
}

TEST(SenecaReader, ValuesAreStrippedOfBlanksOnlyAndMissingPositionsAreEmpty) {
  auto doc = SenecaDocument::Parse(
      "<SERVICIO><BLOQUE_DATOS><grupo_datos seq=\"B\"><grupo_datos>"
      "<dato>  uno  </dato><dato>\tdos </dato><dato>   </dato><otro>x</otro>"
      "<dato>a<!-- nota -->b<![CDATA[c]]></dato><dato>\n\t</dato>"
      "</grupo_datos><grupo_datos><dato>solo</dato></grupo_datos>"
      "</grupo_datos></BLOQUE_DATOS></SERVICIO>",
      "p.xml");
  BlockReader reader(*doc);
  ASSERT_EQ(reader.SelectBlockRecords("B"), 2u);
  ASSERT_EQ(reader.RecordValues(0), 5u);
  EXPECT_EQ(reader.ValueText(0), "uno");
  EXPECT_EQ(reader.ValueText(1), "\tdos");
  EXPECT_EQ(reader.ValueText(2), "");
  EXPECT_EQ(reader.ValueText(3), "abc");
  EXPECT_EQ(reader.ValueText(4), "");
  EXPECT_EQ(reader.ValueText(9), "");
  // A record with one value: the steps skip it, the reader just counts it.
  EXPECT_LT(reader.RecordValues(1), BlockReader::kMinimumValues);
}

TEST(SenecaReader, ReadsLatin1AccentsAsWindows1252) {
  TempDir dir;
  auto file = test::WriteSeneca(dir / "s.xml", {{"EMPLEADOS", {{"1", "x", "Muñoz Ibáñez"}}}});
  auto doc = SenecaDocument::Load(file);
  BlockReader reader(*doc);
  reader.SelectBlockRecords("EMPLEADOS");
  reader.RecordValues(0);
  EXPECT_EQ(reader.ValueText(2),
            "Mu\xF1oz Ib\xE1\xF1"
            "ez");
}

TEST(SenecaReader, RefusesDocumentsThatAreNotWellFormedNamingFileAndLine) {
  try {
    SenecaDocument::Parse("<SERVICIO>\n<BLOQUE_DATOS>\n</SERVICIO>", "roto.xml");
    FAIL() << "a broken document was accepted";
  } catch (const TravalenError& e) {
    std::string message = e.what();
    EXPECT_NE(message.find("roto.xml"), std::string::npos) << message;
    EXPECT_NE(message.find("línea 3"), std::string::npos) << message;
  }
  EXPECT_THROW(SenecaDocument::Parse("", "vacio.xml"), TravalenError);
  EXPECT_THROW(SenecaDocument::Load("/no/existe/seneca.xml"), TravalenError);
}

TEST(SenecaReader, NeverResolvesAnExternalEntity) {
  TempDir dir;
  test::WriteFile(dir / "secreto.txt", "CONTENIDO-SECRETO");
  const std::string xml = "<?xml version=\"1.0\"?>\n<!DOCTYPE SERVICIO [<!ENTITY x SYSTEM \"" +
                          (dir / "secreto.txt").string() +
                          "\">]>\n<SERVICIO><BLOQUE_DATOS><grupo_datos seq=\"B\"><grupo_datos>"
                          "<dato>&x;</dato><dato>b</dato></grupo_datos></grupo_datos>"
                          "</BLOQUE_DATOS></SERVICIO>";
  try {
    auto doc = SenecaDocument::Parse(xml, "entidad.xml");
    BlockReader reader(*doc);
    reader.SelectBlockRecords("B");
    reader.RecordValues(0);
    EXPECT_EQ(reader.ValueText(0).find("SECRETO"), std::string::npos);
  } catch (const TravalenError& e) {
    EXPECT_EQ(std::string(e.what()).find("SECRETO"), std::string::npos);
  }
}

}  // namespace
}  // namespace travalen
