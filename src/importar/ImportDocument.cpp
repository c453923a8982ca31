// Building the frame of the Séneca import document and writing it in its own encoding.
#include "ImportDocument.h"

#include <libxml/tree.h>
#include <libxml/xmlsave.h>

#include <cstring>
#include <memory>

#include "SenecaDocument.h"
#include "Text8.h"
#include "TravalenError.h"

namespace travalen {

namespace {

// The year is the first calendar year of the course, "2023" for 2023/24.
constexpr std::size_t kAcademicYearLength = 4;

// An import document that Séneca accepts carries an empty namespace and these fixed
// header values; "fecha" is the moment of the run.
constexpr const char* kModulo = "HORARIOS";
constexpr const char* kTipo = "I";
constexpr const char* kAutor = "VELMORA";

const xmlChar* Xml(const char* text) { return reinterpret_cast<const xmlChar*>(text); }

struct XmlFree {
  void operator()(xmlChar* text) const { xmlFree(text); }
};
using XmlText = std::unique_ptr<xmlChar, XmlFree>;

bool IsElement(const xmlNode* node, const char* name) {
  return node != nullptr && node->type == XML_ELEMENT_NODE && node->ns == nullptr &&
         std::strcmp(reinterpret_cast<const char*>(node->name), name) == 0;
}

const xmlNode* FirstChildElement(const xmlNode* parent, const char* name) {
  for (const xmlNode* child = parent->children; child != nullptr; child = child->next)
    if (IsElement(child, name)) return child;
  return nullptr;
}

// The text content of any node: an element joins the texts beneath it; a comment, a text
// or a processing instruction gives its own text.
std::string NodeText8(const xmlNode* node) {
  if (node->type == XML_ELEMENT_NODE) return ElementText8(node);
  return node->content != nullptr ? Utf8ToCp1252(reinterpret_cast<const char*>(node->content))
                                  : std::string();
}

xmlNode* NewElement(xmlDoc* doc, const char* name) {
  xmlNode* element = xmlNewDocNode(doc, nullptr, Xml(name), nullptr);
  if (element == nullptr) throw TravalenError("No queda memoria para crear el documento XML.");
  return element;
}

void AppendOrFree(xmlNode* parent, xmlNode* child) {
  if (xmlAddChild(parent, child) == nullptr) {
    xmlFreeNode(child);
    throw TravalenError("No queda memoria para crear el documento XML.");
  }
}

}  // namespace

std::string AcademicYear(const xmlDoc* doc, const std::string& fileName) {
  const xmlNode* root = xmlDocGetRootElement(doc);
  const xmlNode* container =
      IsElement(root, "SERVICIO") ? FirstChildElement(root, "BLOQUE_DATOS") : nullptr;
  if (container == nullptr)
    throw TravalenError("El archivo «" + fileName +
                        "» no es una exportación de Séneca: le falta /SERVICIO/BLOQUE_DATOS, "
                        "de donde se toma el año académico. Elija el XML que exportó Séneca.");
  if (container->children == nullptr)
    throw TravalenError("El bloque BLOQUE_DATOS del archivo «" + fileName +
                        "» está vacío y no trae el año académico. Elija el XML completo que "
                        "exportó Séneca.");
  std::string year = NodeText8(container->children);
  // Cut after the conversion: the year is counted in characters of 8-bit text.
  if (year.size() > kAcademicYearLength) year.resize(kAcademicYearLength);
  return year;
}

xmlNode* AppendElement(xmlNode* parent, const char* name) {
  xmlNode* element = NewElement(parent->doc, name);
  AppendOrFree(parent, element);
  return element;
}

void SetAttribute(xmlNode* element, const char* name, const std::string& value) {
  if (xmlNewProp(element, Xml(name), Xml(Cp1252ToUtf8(value).c_str())) == nullptr)
    throw TravalenError("No queda memoria para crear el documento XML.");
}

void AppendDato(xmlNode* block, const char* name, const std::string& text) {
  xmlNode* dato = AppendElement(block, "dato");
  SetAttribute(dato, "nombre_dato", name);
  if (text.empty()) return;  // an empty value is an empty element, never a missing one
  xmlNode* content = xmlNewDocText(block->doc, Xml(Cp1252ToUtf8(text).c_str()));
  if (content == nullptr) throw TravalenError("No queda memoria para crear el documento XML.");
  AppendOrFree(dato, content);
}

xmlNode* BuildImportFrame(xmlDoc* doc, const std::string& academicYear, const std::string& fecha,
                          std::size_t teacherCount) {
  // Only the root goes: the declaration, comments and processing instructions around it
  // stay, and the new root takes the last place, after anything that followed the old one.
  if (xmlNode* oldRoot = xmlDocGetRootElement(doc)) {
    xmlUnlinkNode(oldRoot);
    xmlFreeNode(oldRoot);
  }
  xmlNode* servicio = NewElement(doc, "SERVICIO");
  AppendOrFree(reinterpret_cast<xmlNode*>(doc), servicio);
  SetAttribute(servicio, "modulo", kModulo);
  SetAttribute(servicio, "tipo", kTipo);
  SetAttribute(servicio, "autor", kAutor);
  SetAttribute(servicio, "fecha", fecha);

  xmlNode* blocks = AppendElement(servicio, "BLOQUE_DATOS");
  xmlNode* yearBlock = AppendElement(blocks, "grupo_datos");
  SetAttribute(yearBlock, "seq", "ANNO_ACADEMICO");
  AppendDato(yearBlock, "C_ANNO", academicYear);

  xmlNode* timetable = AppendElement(blocks, "grupo_datos");
  SetAttribute(timetable, "seq", "HORARIOS_REGULARES");
  SetAttribute(timetable, "registros", std::to_string(teacherCount));
  return timetable;
}

std::string SerializeImportDocument(xmlDoc* doc) {
  // Séneca's files declare ISO-8859-1; writing back in the declared encoding keeps the
  // declaration truthful. A file without a declaration is UTF-8 by the XML rules, and we
  // say so explicitly.
  const char* encoding =
      doc->encoding != nullptr ? reinterpret_cast<const char*>(doc->encoding) : "UTF-8";
  // Empty values are written as <dato ...></dato>, the way Séneca's own files spell them.
  std::unique_ptr<xmlBuffer, decltype(&xmlBufferFree)> buffer(xmlBufferCreate(), xmlBufferFree);
  xmlSaveCtxt* save = buffer ? xmlSaveToBuffer(buffer.get(), encoding, XML_SAVE_NO_EMPTY) : nullptr;
  bool written = save != nullptr && xmlSaveDoc(save, doc) >= 0;
  if (save != nullptr) written = xmlSaveClose(save) >= 0 && written;
  if (!written)
    throw TravalenError(std::string("No se puede escribir el documento en la codificación «") +
                        encoding + "» que declara el archivo de Séneca.");
  return std::string(reinterpret_cast<const char*>(xmlBufferContent(buffer.get())),
                     static_cast<std::size_t>(xmlBufferLength(buffer.get())));
}

namespace {

// Unlikely to be in any document, and made only of ASCII so that every encoding writes
// it the same.
constexpr const char* kSpliceMark = "travalen:timetable-blocks-go-here";

int AppendBytes(void* context, const char* bytes, int length) {
  static_cast<std::string*>(context)->append(bytes, static_cast<std::size_t>(length));
  return length;
}

[[noreturn]] void CannotWrite(const std::string& encoding) {
  throw TravalenError("No se puede escribir el documento en la codificación «" + encoding +
                      "» que declara el archivo de Séneca.");
}

}  // namespace

StreamedImportDocument::StreamedImportDocument(xmlDoc* doc, xmlNode* timetableBlock)
    : doc_(doc),
      encoding_(doc->encoding != nullptr ? reinterpret_cast<const char*>(doc->encoding) : "UTF-8") {
  // The frame is written by the same code as a whole document, with a mark where the
  // teacher blocks go; cutting there gives the bytes before and after them.
  xmlNode* mark = xmlNewDocComment(doc, Xml(kSpliceMark));
  if (mark == nullptr) throw TravalenError("No queda memoria para crear el documento XML.");
  AppendOrFree(timetableBlock, mark);
  std::string frame;
  try {
    frame = SerializeImportDocument(doc);
  } catch (...) {
    xmlUnlinkNode(mark);
    xmlFreeNode(mark);
    throw;
  }
  xmlUnlinkNode(mark);
  xmlFreeNode(mark);
  const std::string serializedMark = std::string("<!--") + kSpliceMark + "-->";
  // From the end: the input's own comments stand before the new root and could, however
  // unlikely, spell the same mark; only the closing tags of the frame follow ours.
  const std::size_t at = frame.rfind(serializedMark);
  // An encoding that does not write ASCII as ASCII (UTF-16) cannot be cut this way, and
  // may open with a byte order mark: such a document is kept whole and saved at the end.
  if (at == std::string::npos) return;
  tail_ = frame.substr(at + serializedMark.size());
  frame.resize(at);
  bytes_ = std::move(frame);
  save_ = xmlSaveToIO(AppendBytes, nullptr, &bytes_, encoding_.c_str(), XML_SAVE_NO_EMPTY);
  if (save_ == nullptr) CannotWrite(encoding_);
}

StreamedImportDocument::~StreamedImportDocument() {
  if (save_ != nullptr) xmlSaveClose(save_);
}

void StreamedImportDocument::Append(xmlNode* block) {
  if (save_ == nullptr) return;  // kept in the tree, see the constructor
  // While a whole document is saved, libxml2 lets the document name the output encoding,
  // which decides how attribute values are escaped; a block must see the same.
  const xmlChar* declared = doc_->encoding;
  doc_->encoding = Xml(encoding_.c_str());
  const long written = xmlSaveTree(save_, block);
  doc_->encoding = declared;
  xmlUnlinkNode(block);
  xmlFreeNode(block);
  if (written < 0 || xmlSaveFlush(save_) < 0) CannotWrite(encoding_);
}

std::string StreamedImportDocument::Finish() {
  if (save_ == nullptr) return SerializeImportDocument(doc_);
  const bool closed = xmlSaveClose(save_) >= 0;
  save_ = nullptr;
  if (!closed) CannotWrite(encoding_);
  bytes_ += tail_;
  tail_.clear();
  return std::move(bytes_);
}

std::filesystem::path ImportResultPath(const std::filesystem::path& xmlFile) {
  std::filesystem::path result = xmlFile.parent_path() / "ResultadoVelmora";
  result += xmlFile.filename();
  return result;
}

}  // namespace travalen
