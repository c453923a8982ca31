// Writing the import document block by block gives the very bytes of writing it whole.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ImportDocument.h"
#include "SenecaBuilder.h"
#include "SenecaDocument.h"

namespace travalen::test {
namespace {

// The document for `input` with two teacher blocks full of what needs escaping, written
// whole or block by block.
std::string Written(const std::string& input, bool blockByBlock) {
  auto doc = SenecaDocument::Parse(input, "Horarios.xml");
  xmlNode* timetable = BuildImportFrame(doc->Raw(), "2023", "01/09/2023 10:00", 2);
  std::unique_ptr<StreamedImportDocument> stream;
  if (blockByBlock) stream = std::make_unique<StreamedImportDocument>(doc->Raw(), timetable);
  for (int i = 1; i <= 2; ++i) {
    xmlNode* teacher = AppendElement(timetable, "grupo_datos");
    // 8-bit texts: 0x80 is the euro sign, 0xF3 an accented o.
    SetAttribute(teacher, "seq", "P \"<&>\t\n\r\x80\xF3" + std::to_string(i));
    AppendDato(teacher, "A", "a&b<c>d\r\n\t\x80\xF3");
    AppendDato(teacher, "B", "");
    AppendDato(teacher, "C", "]]> '\"  ");
    if (stream) stream->Append(teacher);
  }
  return stream ? stream->Finish() : SerializeImportDocument(doc->Raw());
}

TEST(StreamedImportDocument, GivesTheBytesOfTheWholeDocument) {
  const std::string inputs[] = {
      Utf8ToLatin1("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<!-- Exportación -->\n"
                   "<?pi dato?><SERVICIO><BLOQUE_DATOS><g>2023</g></BLOQUE_DATOS></SERVICIO>\n"
                   "<!-- después -->"),
      "<SERVICIO><BLOQUE_DATOS><g>2023</g></BLOQUE_DATOS></SERVICIO>",
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><SERVICIO><BLOQUE_DATOS><g>2023</g>"
      "</BLOQUE_DATOS></SERVICIO><!--travalen:timetable-blocks-go-here-->",
  };
  for (const std::string& input : inputs) {
    SCOPED_TRACE(input);
    const std::string whole = Written(input, false);
    EXPECT_EQ(Written(input, true), whole);
    EXPECT_NE(whole.find("<dato nombre_dato=\"B\"></dato>"), std::string::npos);
  }
}

}  // namespace
}  // namespace travalen::test
