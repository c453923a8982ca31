// Reading the saved import document back and checking it against what was written.
#include "ResultCheck.h"

#include <libxml/tree.h>
#include <libxml/xmlreader.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <limits>
#include <memory>
#include <optional>
#include <sstream>
#include <system_error>
#include <utility>

#include "SenecaDocument.h"
#include "TravalenError.h"

namespace travalen {

namespace {

constexpr const char* kTeacherSeq = "HORARIO_REGULAR_PROFESOR_";
constexpr const char* kActivitySeq = "ACTIVIDAD_";

bool IsElement(const xmlNode* node, const char* name) {
  return node != nullptr && node->type == XML_ELEMENT_NODE &&
         std::strcmp(reinterpret_cast<const char*>(node->name), name) == 0;
}

std::vector<const xmlNode*> Children(const xmlNode* parent, const char* name) {
  std::vector<const xmlNode*> children;
  for (const xmlNode* child = parent->children; child != nullptr; child = child->next)
    if (IsElement(child, name)) children.push_back(child);
  return children;
}

std::string Attribute(const xmlNode* node, const char* name) {
  xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
  std::string text = value != nullptr ? reinterpret_cast<const char*>(value) : "";
  xmlFree(value);
  return text;
}

// UTF-8, as libxml2 holds every text whatever the file's encoding.
std::string Content(const xmlNode* node) {
  xmlChar* value = xmlNodeGetContent(node);
  std::string text = value != nullptr ? reinterpret_cast<const char*>(value) : "";
  xmlFree(value);
  return text;
}

const xmlNode* TimetableBlock(const xmlDoc* doc) {
  const xmlNode* root = xmlDocGetRootElement(doc);
  if (!IsElement(root, "SERVICIO")) return nullptr;
  for (const xmlNode* container : Children(root, "BLOQUE_DATOS"))
    for (const xmlNode* block : Children(container, "grupo_datos"))
      if (Attribute(block, "seq") == "HORARIOS_REGULARES") return block;
  return nullptr;
}

// Every "dato" of the document in order, with where it is and what it holds.
struct Dato {
  std::string where;  // "HORARIO_REGULAR_PROFESOR_3 / ACTIVIDAD_2 / X_UNIDAD"
  std::string text;
};

// A text made only of white space reads back as nothing: the loader drops such text, as
// Séneca's own reader does, so that is no damage.
std::string AsRead(std::string text) {
  if (text.find_first_not_of(" \t\r\n") == std::string::npos) text.clear();
  return text;
}

// Walks the "dato" elements of a document in order, knowing where each one is. Nothing is
// kept of the ones passed: a region's result holds a million of them.
class DatoWalk {
 public:
  explicit DatoWalk(const xmlDoc* doc) {
    if (const xmlNode* root = xmlDocGetRootElement(doc)) frames_.push_back({root->children, 0});
  }

  // Moves to the next "dato"; false after the last one.
  bool Next() {
    while (!frames_.empty()) {
      Frame& frame = frames_.back();
      const xmlNode* node = frame.next;
      if (node == nullptr) {
        frames_.pop_back();
        continue;
      }
      frame.next = node->next;
      prefix_.resize(frame.prefixLength);
      if (IsElement(node, "dato")) {
        current_ = {prefix_ + Attribute(node, "nombre_dato"), AsRead(Content(node))};
        return true;
      }
      if (node->type == XML_ELEMENT_NODE) {
        const std::string seq = Attribute(node, "seq");
        if (!seq.empty()) prefix_ += seq + " / ";
        frames_.push_back({node->children, prefix_.size()});
      }
    }
    return false;
  }

  const Dato& Current() const { return current_; }

 private:
  struct Frame {
    const xmlNode* next;       // the next child to look at
    std::size_t prefixLength;  // of prefix_ for these children
  };
  std::vector<Frame> frames_;
  std::string prefix_;  // "HORARIO_REGULAR_PROFESOR_3 / ACTIVIDAD_2 / "
  Dato current_;
};

// The "dato" elements of a WrittenDatos in order, the way DatoWalk gives a tree's.
class WrittenWalk {
 public:
  explicit WrittenWalk(const WrittenDatos& written) : flat_(written.Flat()) {}

  bool Next() {
    if (at_ >= flat_.size()) return false;
    const std::size_t whereEnd = flat_.find('\0', at_);
    const std::size_t textEnd = flat_.find('\0', whereEnd + 1);
    current_.where.assign(flat_, at_, whereEnd - at_);
    current_.text.assign(flat_, whereEnd + 1, textEnd - whereEnd - 1);
    at_ = textEnd + 1;
    return true;
  }

  const Dato& Current() const { return current_; }

 private:
  const std::string& flat_;
  std::size_t at_ = 0;
  Dato current_;
};

void AddAll(DatoWalk& walk, std::string& flat, std::size_t& count) {
  while (walk.Next()) {
    const Dato& dato = walk.Current();
    flat += dato.where;
    flat += '\0';
    flat += dato.text;
    flat += '\0';
    ++count;
  }
}

class Checker {
 public:
  explicit Checker(std::string name) : name_(std::move(name)) {}

  void Fail(const std::string& where, const std::string& detail) {
    findings_.push_back({FindingCategory::ResultCheckFailed,
                         SeverityOf(FindingCategory::ResultCheckFailed),
                         where.empty() ? name_ : name_ + ": " + where, detail});
  }

  // "registros" says how many blocks follow, and the blocks count from 1 without gaps.
  void CheckBlocks(const xmlNode* parent, const std::string& where, const char* childSeq) {
    const auto blocks = Children(parent, "grupo_datos");
    const std::string registros = Attribute(parent, "registros");
    if (registros != std::to_string(blocks.size()))
      Fail(where, "«registros» dice «" + registros + "» y hay " + std::to_string(blocks.size()) +
                      " bloques");
    for (std::size_t i = 0; i < blocks.size(); ++i) {
      const std::string expected = childSeq + std::to_string(i + 1);
      const std::string seq = Attribute(blocks[i], "seq");
      if (seq != expected) {
        Fail(where, "el bloque " + std::to_string(i + 1) + " se llama «" + seq +
                        "» y debería llamarse «" + expected + "»");
        break;  // the rest of the numbering is off by the same gap
      }
    }
  }

  void CheckTimetable(const xmlDoc* doc) {
    const xmlNode* timetable = TimetableBlock(doc);
    if (timetable == nullptr) {
      Fail("", "no tiene el bloque HORARIOS_REGULARES en /SERVICIO/BLOQUE_DATOS");
      return;
    }
    CheckBlocks(timetable, "HORARIOS_REGULARES", kTeacherSeq);
    for (const xmlNode* teacher : Children(timetable, "grupo_datos"))
      CheckBlocks(teacher, Attribute(teacher, "seq"), kActivitySeq);
  }

  // `read` gives the saved document's "dato" elements in order, as DatoWalk does.
  template <class ReadWalk>
  void CheckTexts(ReadWalk& read, const WrittenDatos& written) {
    WrittenWalk wrote(written);
    std::size_t readCount = 0;
    std::size_t wroteCount = 0;
    std::size_t differences = 0;
    Dato firstRead;
    Dato firstWrote;
    for (;;) {
      const bool moreRead = read.Next();
      const bool moreWrote = wrote.Next();
      readCount += moreRead;
      wroteCount += moreWrote;
      if (!moreRead || !moreWrote) {
        while (moreRead && read.Next()) ++readCount;
        while (moreWrote && wrote.Next()) ++wroteCount;
        break;
      }
      const Dato& r = read.Current();
      const Dato& w = wrote.Current();
      if (r.where == w.where && r.text == w.text) continue;
      if (differences++ == 0) {
        firstRead = r;
        firstWrote = w;
      }
    }
    if (readCount != wroteCount)
      Fail("", "se escribieron " + std::to_string(wroteCount) + " datos y se leen " +
                   std::to_string(readCount));
    if (differences > 0)
      Fail(firstWrote.where,
           std::to_string(differences) +
               (differences == 1 ? " dato no se lee" : " datos no se leen") +
               " como se escribió; el primero: se escribió «" + firstWrote.text + "» (" +
               firstWrote.where + ") y se lee «" + firstRead.text + "» (" + firstRead.where +
               "). Compruebe la codificación del archivo antes de subirlo a Séneca.");
  }

  std::vector<Finding> Take() { return std::move(findings_); }

 private:
  std::string name_;
  std::vector<Finding> findings_;
};

// The checks of CheckTimetable for one block, made while the document streams past.
struct BlockCount {
  BlockCount(std::string where_, std::string registros_, const char* childSeq_)
      : where(std::move(where_)), registros(std::move(registros_)), childSeq(childSeq_) {}

  std::string where;
  std::string registros;
  const char* childSeq;
  std::size_t blocks = 0;
  std::string gap;  // the first block out of its place, if any
  bool gapSeen = false;

  void Child(const std::string& seq) {
    ++blocks;
    if (gapSeen) return;  // the rest of the numbering is off by the same gap
    const std::string expected = childSeq + std::to_string(blocks);
    if (seq == expected) return;
    gapSeen = true;
    gap = "el bloque " + std::to_string(blocks) + " se llama «" + seq + "» y debería llamarse «" +
          expected + "»";
  }

  void Close(std::vector<std::pair<std::string, std::string>>& failures) const {
    if (registros != std::to_string(blocks))
      failures.push_back({where, "«registros» dice «" + registros + "» y hay " +
                                     std::to_string(blocks) + " bloques"});
    if (gapSeen) failures.push_back({where, gap});
  }
};

void IgnoreReaderError(void*, xmlError*) {}

// Reads a saved document as a stream, giving its "dato" elements one by one as DatoWalk
// gives a tree's, and checking the block counts and numbering on the way: a region's
// result is never held as a tree.
class StreamWalk {
 public:
  explicit StreamWalk(xmlTextReader* reader) : reader_(reader) {}

  // Moves to the next "dato"; false after the last one or when the document breaks.
  bool Next() {
    while (!failed_) {
      const int step = xmlTextReaderRead(reader_);
      if (step <= 0) {
        failed_ = step < 0;
        return false;
      }
      const int type = xmlTextReaderNodeType(reader_);
      if (type == XML_READER_TYPE_DOCUMENT_TYPE) {
        failed_ = true;  // refused by the loader, with its reason
        return false;
      }
      if (type == XML_READER_TYPE_ELEMENT) {
        if (Open()) return true;
      } else if (type == XML_READER_TYPE_END_ELEMENT) {
        if (Close()) return true;
      } else if (inDato_ && (type == XML_READER_TYPE_TEXT || type == XML_READER_TYPE_CDATA)) {
        if (const xmlChar* value = xmlTextReaderConstValue(reader_))
          text_ += reinterpret_cast<const char*>(value);
      }
    }
    return false;
  }

  const Dato& Current() const { return current_; }
  bool Failed() const { return failed_; }
  bool FoundTimetable() const { return foundTimetable_; }
  // The block findings in the order CheckTimetable gives them.
  std::vector<std::pair<std::string, std::string>> BlockFailures() const {
    std::vector<std::pair<std::string, std::string>> all = timetableFailures_;
    all.insert(all.end(), teacherFailures_.begin(), teacherFailures_.end());
    return all;
  }

 private:
  enum class Role { Other, Root, Container, Timetable, Teacher, Dato };
  struct Element {
    Role role;
    std::size_t prefixLength;  // of prefix_ before this element
  };

  std::string Attribute(const char* name) const {
    xmlChar* value = xmlTextReaderGetAttribute(reader_, reinterpret_cast<const xmlChar*>(name));
    std::string text = value != nullptr ? reinterpret_cast<const char*>(value) : "";
    xmlFree(value);
    return text;
  }

  // True when the element was an empty "dato", complete at once.
  bool Open() {
    const char* name = reinterpret_cast<const char*>(xmlTextReaderConstLocalName(reader_));
    if (name == nullptr) name = "";
    const bool empty = xmlTextReaderIsEmptyElement(reader_) == 1;
    const std::size_t depth = open_.size();
    const Role parent = depth == 0 ? Role::Other : open_.back().role;
    const std::size_t prefixLength = prefix_.size();
    Role role = Role::Other;
    if (inDato_) {
      role = Role::Other;  // inside a value: only its text counts
    } else if (depth == 0) {
      role = std::strcmp(name, "SERVICIO") == 0 ? Role::Root : Role::Other;
      rootIsServicio_ = role == Role::Root;
    } else if (std::strcmp(name, "dato") == 0) {
      role = Role::Dato;
      inDato_ = true;
      datoName_ = Attribute("nombre_dato");
      text_.clear();
    } else {
      const std::string seq = Attribute("seq");
      const bool block = std::strcmp(name, "grupo_datos") == 0;
      if (parent == Role::Root && rootIsServicio_ && std::strcmp(name, "BLOQUE_DATOS") == 0) {
        role = Role::Container;
      } else if (parent == Role::Container && block && !foundTimetable_ &&
                 seq == "HORARIOS_REGULARES") {
        role = Role::Timetable;
        foundTimetable_ = true;
        timetable_ = BlockCount("HORARIOS_REGULARES", Attribute("registros"), kTeacherSeq);
      } else if (parent == Role::Timetable && block) {
        role = Role::Teacher;
        timetable_.Child(seq);
        teacher_ = BlockCount(seq, Attribute("registros"), kActivitySeq);
      } else if (parent == Role::Teacher && block) {
        teacher_.Child(seq);
      }
      if (!seq.empty()) prefix_ += seq + " / ";
    }
    open_.push_back({role, prefixLength});
    if (empty) return Close();
    return false;
  }

  // True when a "dato" is complete.
  bool Close() {
    if (open_.empty()) return false;
    const Element element = open_.back();
    open_.pop_back();
    prefix_.resize(element.prefixLength);
    switch (element.role) {
      case Role::Timetable:
        timetable_.Close(timetableFailures_);
        return false;
      case Role::Teacher:
        teacher_.Close(teacherFailures_);
        return false;
      case Role::Dato:
        inDato_ = false;
        current_ = {prefix_ + datoName_, AsRead(std::move(text_))};
        text_.clear();
        return true;
      default:
        return false;
    }
  }

  xmlTextReader* reader_;
  std::vector<Element> open_;
  std::string prefix_;  // "HORARIO_REGULAR_PROFESOR_3 / ACTIVIDAD_2 / "
  bool failed_ = false;
  bool rootIsServicio_ = false;
  bool foundTimetable_ = false;
  bool inDato_ = false;
  std::string datoName_;
  std::string text_;
  BlockCount timetable_{"", "", kTeacherSeq};
  BlockCount teacher_{"", "", kActivitySeq};
  std::vector<std::pair<std::string, std::string>> timetableFailures_;
  std::vector<std::pair<std::string, std::string>> teacherFailures_;
  Dato current_;
};

// The check made on a stream of the saved bytes; nothing when the stream cannot be read
// to its end, for the loader to say why.
std::optional<std::vector<Finding>> CheckStreamed(std::string_view savedBytes,
                                                  const WrittenDatos& written,
                                                  const std::string& name) {
  // Only a document starting in ASCII, without a document type (which could declare
  // entities the loader refuses to expand), and of a size libxml2 takes.
  if (savedBytes.empty() || savedBytes.front() != '<' ||
      savedBytes.size() > static_cast<std::size_t>(std::numeric_limits<int>::max()) ||
      savedBytes.find("<!DOCTYPE") != std::string_view::npos)
    return std::nullopt;
  std::unique_ptr<xmlTextReader, decltype(&xmlFreeTextReader)> reader(
      xmlReaderForMemory(
          savedBytes.data(), static_cast<int>(savedBytes.size()), nullptr, nullptr,
          XML_PARSE_NONET | XML_PARSE_NOWARNING | XML_PARSE_NOERROR | XML_PARSE_NOBLANKS),
      xmlFreeTextReader);
  if (!reader) return std::nullopt;
  xmlTextReaderSetStructuredErrorHandler(reader.get(), IgnoreReaderError, nullptr);
  StreamWalk read(reader.get());
  Checker texts(name);
  texts.CheckTexts(read, written);
  if (read.Failed()) return std::nullopt;
  Checker checker(name);
  if (!read.FoundTimetable())
    checker.Fail("", "no tiene el bloque HORARIOS_REGULARES en /SERVICIO/BLOQUE_DATOS");
  for (const auto& [where, detail] : read.BlockFailures()) checker.Fail(where, detail);
  std::vector<Finding> findings = checker.Take();
  for (Finding& finding : texts.Take()) findings.push_back(std::move(finding));
  return findings;
}

}  // namespace

void WrittenDatos::AddDocument(const xmlDoc* doc) {
  DatoWalk walk(doc);
  AddAll(walk, flat_, count_);
}

namespace {

// An attribute's value without a copy when it is the plain text the writer sets.
std::string_view AttributeView(const xmlNode* node, const char* name, std::string& spare) {
  const xmlAttr* attr = xmlHasProp(node, reinterpret_cast<const xmlChar*>(name));
  if (attr == nullptr || attr->type != XML_ATTRIBUTE_NODE) return {};
  if (attr->ns == nullptr && attr->children != nullptr && attr->children->type == XML_TEXT_NODE &&
      attr->children->next == nullptr && attr->children->content != nullptr)
    return reinterpret_cast<const char*>(attr->children->content);
  spare = Attribute(node, name);
  return spare;
}

// What DatoWalk gives for the blocks the writer has just made, a million values at region
// scale, without the copies a general walk makes. Our own blocks are a few levels deep.
void AddWritten(const xmlNode* node, std::string& prefix, std::string& flat, std::size_t& count) {
  std::string spare;
  if (IsElement(node, "dato")) {
    flat += prefix;
    flat += AttributeView(node, "nombre_dato", spare);
    flat += '\0';
    const xmlNode* only = node->children;
    if (only == nullptr) {
      // an empty value
    } else if (only->next == nullptr && only->type == XML_TEXT_NODE && only->content != nullptr) {
      flat += AsRead(reinterpret_cast<const char*>(only->content));
    } else {
      flat += AsRead(Content(node));
    }
    flat += '\0';
    ++count;
    return;
  }
  if (node->type != XML_ELEMENT_NODE) return;
  const std::size_t length = prefix.size();
  const std::string_view seq = AttributeView(node, "seq", spare);
  if (!seq.empty()) {
    prefix += seq;
    prefix += " / ";
  }
  for (const xmlNode* child = node->children; child != nullptr; child = child->next)
    AddWritten(child, prefix, flat, count);
  prefix.resize(length);
}

}  // namespace

void WrittenDatos::AddBlock(const xmlNode* block, const std::string& where) {
  std::string prefix = where;
  AddWritten(block, prefix, flat_, count_);
}

std::vector<Finding> CheckImportResult(std::string_view savedBytes, xmlDoc* written,
                                       const std::string& name) {
  WrittenDatos datos;
  datos.AddDocument(written);
  return CheckImportResult(savedBytes, datos, name);
}

std::vector<Finding> CheckImportResult(std::string_view savedBytes, const WrittenDatos& written,
                                       const std::string& name) {
  if (std::optional<std::vector<Finding>> findings = CheckStreamed(savedBytes, written, name))
    return std::move(*findings);
  // Whatever the stream could not read goes through the document loader, whose refusal
  // names the reason the way every other message about a broken document does.
  Checker checker(name);
  std::unique_ptr<SenecaDocument> saved;
  try {
    saved = SenecaDocument::Parse(savedBytes, name);
  } catch (const TravalenError& failure) {
    checker.Fail("", std::string(failure.what()) + ". No lo suba a Séneca: vuelva a importar.");
    return checker.Take();
  }
  checker.CheckTimetable(saved->Raw());
  DatoWalk read(saved->Raw());
  checker.CheckTexts(read, written);
  return checker.Take();
}

std::vector<Finding> CheckImportResultFile(const std::filesystem::path& saved, xmlDoc* written) {
  WrittenDatos datos;
  datos.AddDocument(written);
  return CheckImportResultFile(saved, datos);
}

std::vector<Finding> CheckImportResultFile(const std::filesystem::path& saved,
                                           const WrittenDatos& written) {
  const std::u8string utf8 = saved.filename().u8string();
  const std::string name(utf8.begin(), utf8.end());
  std::ifstream in(saved, std::ios::binary);
  // Read straight into one buffer of the file's size: a region's result is tens of
  // megabytes, and every extra copy costs as much again.
  std::error_code sizeError;
  const std::uintmax_t size = std::filesystem::file_size(saved, sizeError);
  std::string bytes;
  if (in && !sizeError && size <= std::numeric_limits<std::streamsize>::max()) {
    bytes.resize(static_cast<std::size_t>(size));
    in.read(bytes.data(), static_cast<std::streamsize>(size));
    if (in && in.peek() != std::char_traits<char>::eof()) in.setstate(std::ios::failbit);
  } else if (in) {
    std::ostringstream whole;
    whole << in.rdbuf();
    bytes = std::move(whole).str();
  }
  if (!in) {
    Checker checker(name);
    checker.Fail("", "no se puede leer de nuevo el archivo guardado para comprobarlo");
    return checker.Take();
  }
  return CheckImportResult(bytes, written, name);
}

}  // namespace travalen
