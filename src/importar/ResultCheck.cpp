// Reading the saved import document back and checking it against what was written.
#include "ResultCheck.h"

#include <libxml/tree.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>

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

  void CheckTexts(const xmlDoc* saved, const xmlDoc* written) {
    DatoWalk read(saved);
    DatoWalk wrote(written);
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

}  // namespace

std::vector<Finding> CheckImportResult(std::string_view savedBytes, xmlDoc* written,
                                       const std::string& name) {
  Checker checker(name);
  std::unique_ptr<SenecaDocument> saved;
  try {
    saved = SenecaDocument::Parse(savedBytes, name);
  } catch (const TravalenError& failure) {
    checker.Fail("", std::string(failure.what()) + ". No lo suba a Séneca: vuelva a importar.");
    return checker.Take();
  }
  checker.CheckTimetable(saved->Raw());
  checker.CheckTexts(saved->Raw(), written);
  return checker.Take();
}

std::vector<Finding> CheckImportResultFile(const std::filesystem::path& saved, xmlDoc* written) {
  const std::u8string utf8 = saved.filename().u8string();
  const std::string name(utf8.begin(), utf8.end());
  std::ifstream in(saved, std::ios::binary);
  std::ostringstream bytes;
  if (in) bytes << in.rdbuf();
  if (!in) {
    Checker checker(name);
    checker.Fail("", "no se puede leer de nuevo el archivo guardado para comprobarlo");
    return checker.Take();
  }
  return CheckImportResult(bytes.str(), written, name);
}

}  // namespace travalen
