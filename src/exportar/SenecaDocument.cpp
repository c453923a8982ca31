// Loading a Séneca document safely with libxml2, and reading blocks, records and values.
#include "SenecaDocument.h"

#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <limits>
#include <sstream>
#include <system_error>

#include "Clipper.h"
#include "Text8.h"
#include "TravalenError.h"

namespace travalen {

namespace {

struct ParserContextFree {
  void operator()(xmlParserCtxt* ctxt) const { xmlFreeParserCtxt(ctxt); }
};
struct DocFree {
  void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
using DocPtr = std::unique_ptr<xmlDoc, DocFree>;

// No network, no DTD loading, no entity substitution: a downloaded file must not make
// us read other files or expand itself without bound. NOBLANKS spares building the
// indentation between elements, half the nodes of a Séneca file, only to drop it again:
// what it leaves (white space libxml2 cannot tell from content) DropWhiteSpaceNodes
// removes, so the tree is the same either way.
constexpr int kParseOptions =
    XML_PARSE_NONET | XML_PARSE_NOWARNING | XML_PARSE_NOERROR | XML_PARSE_NOBLANKS;

bool IsElement(const xmlNode* node, const char* name) {
  return node->type == XML_ELEMENT_NODE && node->ns == nullptr &&
         std::strcmp(reinterpret_cast<const char*>(node->name), name) == 0;
}

bool IsWhiteSpaceOnly(const xmlChar* text) {
  if (text == nullptr) return true;
  for (; *text; ++text)
    if (*text != ' ' && *text != '\t' && *text != '\n' && *text != '\r') return false;
  return true;
}

// Drops the text nodes made only of white space, as the Windows XML service does when it
// loads a document: indentation between elements is not content.
void DropWhiteSpaceNodes(xmlNode* root) {
  std::vector<xmlNode*> pending{root};
  while (!pending.empty()) {
    xmlNode* node = pending.back();
    pending.pop_back();
    for (xmlNode* child = node->children; child != nullptr;) {
      xmlNode* next = child->next;
      if (child->type == XML_TEXT_NODE && IsWhiteSpaceOnly(child->content)) {
        xmlUnlinkNode(child);
        xmlFreeNode(child);
      } else if (child->type == XML_ELEMENT_NODE) {
        pending.push_back(child);
      }
      child = next;
    }
  }
}

bool DeclaresEntities(const xmlDoc* doc) {
  return doc->intSubset != nullptr || doc->extSubset != nullptr;
}

// Stops the parser at "<!DOCTYPE", before it reads what the declaration holds: parameter
// entities that expand into further declarations are expanded while the DTD is read, with
// no bound on their number, so a few hundred bytes can keep the parser busy for hours. A
// Séneca export has no DOCTYPE; a document with one is refused anyway (see ParseChecked).
void StopAtDocumentType(void* context, const xmlChar* name, const xmlChar* externalId,
                        const xmlChar* systemId) {
  auto* ctxt = static_cast<xmlParserCtxt*>(context);
  // Recorded in the document, so that the refusal below names the real reason.
  xmlSAX2InternalSubset(context, name, externalId, systemId);
  xmlStopParser(ctxt);
}

std::string Utf8Name(const std::string& name) { return "«" + name + "»"; }

// libxml2 takes the size of a document in memory as an int; a larger one would be cut
// to what the int keeps and read as a different, shorter document.
constexpr std::size_t kMaxDocumentBytes = std::numeric_limits<int>::max();

[[noreturn]] void RefuseTooLarge(const std::string& name) {
  throw TravalenError("El archivo " + Utf8Name(name) +
                      " es demasiado grande (más de 2 GB) para ser una exportación de Séneca. "
                      "Vuelva a descargar la exportación de Séneca.");
}

[[noreturn]] void RefuseDocumentType(const std::string& name) {
  throw TravalenError("El archivo " + Utf8Name(name) +
                      " declara entidades o un DTD, que una exportación de Séneca no lleva; "
                      "no se lee por seguridad. Vuelva a descargar la exportación de Séneca.");
}

DocPtr ParseChecked(xmlParserCtxt* ctxt, xmlDoc* parsed, const std::string& name) {
  DocPtr doc(parsed);
  // A parser stopped at the DOCTYPE may or may not hand back the document it began.
  if ((doc && DeclaresEntities(doc.get())) || ctxt->errNo == XML_ERR_USER_STOP)
    RefuseDocumentType(name);
  if (!doc || !ctxt->wellFormed) {
    const xmlError* error = xmlCtxtGetLastError(ctxt);
    std::ostringstream message;
    message << "El archivo " << Utf8Name(name) << " no es un XML válido";
    if (error != nullptr) {
      message << " (línea " << error->line << ": ";
      std::string text = error->message ? error->message : "";
      while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
      message << text << ")";
    }
    message << ". Vuelva a descargar la exportación de Séneca.";
    throw TravalenError(message.str());
  }
  if (xmlDocGetRootElement(doc.get()) != nullptr)
    DropWhiteSpaceNodes(xmlDocGetRootElement(doc.get()));
  return doc;
}

std::unique_ptr<xmlParserCtxt, ParserContextFree> NewContext() {
  std::unique_ptr<xmlParserCtxt, ParserContextFree> ctxt(xmlNewParserCtxt());
  if (!ctxt) throw TravalenError("No queda memoria para leer el documento XML.");
  ctxt->sax->internalSubset = StopAtDocumentType;
  return ctxt;
}

}  // namespace

std::unique_ptr<SenecaDocument> SenecaDocument::Load(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw TravalenError("No se puede abrir el archivo " + Utf8Name(file.string()) + ".");
  // Read into one buffer of the file's size: the document is held once, not once per
  // copy, and a file too large to parse is refused before a byte of it is read.
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(file, error);
  if (!error && size > kMaxDocumentBytes) RefuseTooLarge(file.string());
  std::string bytes;
  if (!error) bytes.reserve(static_cast<std::size_t>(size));
  std::array<char, 1 << 16> chunk{};
  while (in.read(chunk.data(), static_cast<std::streamsize>(chunk.size())) || in.gcount() > 0) {
    bytes.append(chunk.data(), static_cast<std::size_t>(in.gcount()));
    // The file may grow while it is read.
    if (bytes.size() > kMaxDocumentBytes) RefuseTooLarge(file.string());
  }
  if (in.bad()) throw TravalenError("No se puede leer el archivo " + Utf8Name(file.string()) + ".");
  return Parse(bytes, file.string());
}

std::unique_ptr<SenecaDocument> SenecaDocument::Parse(std::string_view bytes,
                                                      const std::string& name) {
  if (bytes.empty())
    throw TravalenError("El archivo " + Utf8Name(name) +
                        " está vacío. Vuelva a descargar la exportación de Séneca.");
  if (bytes.size() > kMaxDocumentBytes) RefuseTooLarge(name);
  auto ctxt = NewContext();
  xmlDoc* parsed = xmlCtxtReadMemory(ctxt.get(), bytes.data(), static_cast<int>(bytes.size()),
                                     nullptr, nullptr, kParseOptions);
  DocPtr doc = ParseChecked(ctxt.get(), parsed, name);
  return std::unique_ptr<SenecaDocument>(new SenecaDocument(doc.release(), name));
}

SenecaDocument::~SenecaDocument() { xmlFreeDoc(doc_); }

std::string ElementText8(const xmlNode* node) {
  std::string utf8;
  std::vector<const xmlNode*> pending;
  for (const xmlNode* child = node->last; child != nullptr; child = child->prev)
    pending.push_back(child);
  while (!pending.empty()) {
    const xmlNode* current = pending.back();
    pending.pop_back();
    if (current->type == XML_TEXT_NODE || current->type == XML_CDATA_SECTION_NODE) {
      if (current->content) utf8 += reinterpret_cast<const char*>(current->content);
    } else if (current->type == XML_ELEMENT_NODE) {
      for (const xmlNode* child = current->last; child != nullptr; child = child->prev)
        pending.push_back(child);
    }
  }
  return Utf8ToCp1252(utf8);
}

namespace {

bool SeqEquals(const xmlNode* block, const std::string& seq) {
  xmlChar* value = xmlGetNoNsProp(block, reinterpret_cast<const xmlChar*>("seq"));
  bool equal = value != nullptr && seq == reinterpret_cast<const char*>(value);
  xmlFree(value);
  return equal;
}

// Every block of /SERVICIO/BLOQUE_DATOS/grupo_datos, in document order.
std::vector<xmlNode*> Blocks(const SenecaDocument& doc) {
  std::vector<xmlNode*> blocks;
  xmlNode* root = xmlDocGetRootElement(doc.Raw());
  if (root == nullptr || !IsElement(root, "SERVICIO")) return blocks;
  for (xmlNode* container = root->children; container; container = container->next) {
    if (!IsElement(container, "BLOQUE_DATOS")) continue;
    for (xmlNode* block = container->children; block; block = block->next)
      if (IsElement(block, "grupo_datos")) blocks.push_back(block);
  }
  return blocks;
}

}  // namespace

std::size_t BlockReader::SelectBlockRecords(const std::string& seq) {
  records_.clear();
  for (xmlNode* block : Blocks(doc_)) {
    if (!SeqEquals(block, seq)) continue;
    for (xmlNode* record = block->children; record; record = record->next)
      if (IsElement(record, "grupo_datos")) records_.push_back(record);
  }
  return records_.size();
}

std::size_t BlockReader::SelectAllBlocks() {
  records_ = Blocks(doc_);
  return records_.size();
}

std::size_t BlockReader::RecordValues(std::size_t index) {
  values_.clear();
  if (index >= records_.size()) return 0;
  for (xmlNode* value = records_[index]->children; value; value = value->next)
    if (IsElement(value, "dato")) values_.push_back(value);
  return values_.size();
}

std::string BlockReader::ValueText(std::size_t position) const {
  if (position >= values_.size()) return {};
  return StripBlanks(ElementText8(values_[position]));
}

}  // namespace travalen
