// Writes small Séneca export documents for tests, dressed as the real files are.
#pragma once

#include <iconv.h>

#include <filesystem>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace travalen::test {

// One block: its "seq", its own "dato" values (ANNO_ACADEMICO has them) and its records,
// each a list of values. Values are UTF-8 here and written as the file's encoding.
struct SenecaBlock {
  std::string seq;
  std::vector<std::vector<std::string>> records;
  std::vector<std::string> ownValues;
};

inline std::string XmlEscape(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

inline std::string Utf8ToLatin1(const std::string& utf8) {
  iconv_t cd = iconv_open("ISO-8859-1", "UTF-8");
  std::string out(utf8.size() + 1, '\0');
  char* in = const_cast<char*>(utf8.data());
  size_t inLeft = utf8.size();
  char* dst = out.data();
  size_t outLeft = out.size();
  iconv(cd, &in, &inLeft, &dst, &outLeft);
  iconv_close(cd);
  out.resize(out.size() - outLeft);
  return out;
}

// The document as Séneca writes it: ISO-8859-1 declaration, two-space indentation,
// "registros" on every block but the first, "seq" on records.
inline std::string SenecaXml(const std::vector<SenecaBlock>& blocks) {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n\n\n"
      "<SERVICIO modulo=\"HORARIOS\" tipo=\"E\" autor=\"SENECA\" fecha=\"16/01/2024 "
      "20:59:15\">\n  <BLOQUE_DATOS>\n";
  bool first = true;
  for (const auto& block : blocks) {
    xml += "    <grupo_datos seq=\"" + block.seq + "\"";
    if (!first) xml += " registros=\"" + std::to_string(block.records.size()) + "\"";
    xml += ">\n";
    for (const auto& value : block.ownValues)
      xml += "      <dato nombre_dato=\"V\">" + XmlEscape(value) + "</dato>\n";
    int n = 1;
    for (const auto& record : block.records) {
      xml += "      <grupo_datos seq=\"R_" + std::to_string(n++) + "\">\n";
      for (const auto& value : record)
        xml += "        <dato nombre_dato=\"V\">" + XmlEscape(value) + "</dato>\n";
      xml += "      </grupo_datos>\n";
    }
    xml += "    </grupo_datos>\n";
    first = false;
  }
  xml += "  </BLOQUE_DATOS>\n</SERVICIO>\n";
  return Utf8ToLatin1(xml);
}

inline std::filesystem::path WriteSeneca(const std::filesystem::path& file,
                                         const std::vector<SenecaBlock>& blocks) {
  WriteFile(file, SenecaXml(blocks));
  return file;
}

}  // namespace travalen::test
