// Documents made to hurt the reader, where importar differs: it writes the document back.
#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <string>

#include "ImportFixture.h"

namespace travalen::test {
namespace {

constexpr int kEarlierResult = -1;
constexpr const char* kSecret = "CONTENIDO-SECRETO";

// The small export with a DOCTYPE put in front of its root. Before such documents were
// refused, the DOCTYPE went on into the result that Séneca is given.
std::string WithDoctype(const std::string& doctype) {
  std::string xml = SmallSenecaXml();
  xml.insert(xml.find("<SERVICIO"), doctype + "\n");
  return xml;
}

TEST(HostileImport, DocumentsDeclaringEntitiesAreRefusedAndNothingIsSaved) {
  struct Case {
    const char* what;
    std::string (*doctype)(const fs::path& secret);
  } const cases[] = {
      {"an external entity naming a local file",
       [](const fs::path& secret) {
         return "<!DOCTYPE SERVICIO [<!ENTITY x SYSTEM \"" + secret.string() + "\">]>";
       }},
      {"a parameter entity naming a local file",
       [](const fs::path& secret) {
         return "<!DOCTYPE SERVICIO [<!ENTITY % p SYSTEM \"" + secret.string() + "\"> %p;]>";
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ImportRun run;
    run.session.TransformResult = kEarlierResult;
    const fs::path secret = run.temp / "secreto.txt";
    WriteFile(secret, kSecret);
    WriteFile(run.xml, WithDoctype(c.doctype(secret)));
    run.Run();

    const std::string message = run.port.OnlyMessage();
    EXPECT_NE(message.find("«" + run.xml.string() + "»"), std::string::npos) << message;
    EXPECT_NE(message.find("declara entidades o un DTD"), std::string::npos) << message;
    EXPECT_EQ(message.find(kSecret), std::string::npos) << message;
    ASSERT_FALSE(run.port.messages.empty());
    EXPECT_EQ(run.port.messages[0].second, MessageKind::Error);
    EXPECT_EQ(run.session.TransformResult, kEarlierResult);
    EXPECT_EQ(run.port.busy, (std::vector<bool>{true, false}));
    EXPECT_FALSE(fs::exists(run.result));
  }
}

// UTF-16LE with a byte-order mark: every Latin-1 character becomes the UTF-16 unit of the
// same number.
std::string Utf16WithByteOrderMark(const std::string& latin1) {
  std::string utf16 = "\xFF\xFE";
  for (char c : latin1) {
    utf16 += c;
    utf16 += '\0';
  }
  return utf16;
}

TEST(HostileImport, Utf16WithAByteOrderMarkIsReadAndWrittenBackReadable) {
  ImportRun run;
  std::string xml = SmallSenecaXml("2024");
  xml.replace(xml.find("ISO-8859-1"), 10, "UTF-16");
  // A comment beside the root stays in the result: the accents must survive both ways.
  xml.insert(xml.find("<SERVICIO"), "<!-- Exportaci\xF3n de S\xE9neca -->\n");
  WriteFile(run.xml, Utf16WithByteOrderMark(xml));
  run.Run();

  EXPECT_EQ(run.port.OnlyMessage(), "Proceso finalizado");
  EXPECT_EQ(run.session.TransformResult, 1);
  const ImportResult result = ReadImportResult(run.result);
  EXPECT_EQ(result.rootName, "SERVICIO");
  EXPECT_EQ(result.year, "2024");

  std::unique_ptr<xmlDoc, XmlDocFree> doc(xmlReadMemory(result.bytes.data(),
                                                        static_cast<int>(result.bytes.size()),
                                                        nullptr, nullptr, XML_PARSE_NONET));
  ASSERT_NE(doc, nullptr);
  const xmlNode* comment = doc->children;
  while (comment != nullptr && comment->type != XML_COMMENT_NODE) comment = comment->next;
  ASSERT_NE(comment, nullptr);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(comment->content)),
            " Exportación de Séneca ");
}

}  // namespace
}  // namespace travalen::test
