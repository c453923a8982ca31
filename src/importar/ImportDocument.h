// The Séneca import document: its frame around the timetable, and writing it to bytes.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

typedef struct _xmlDoc xmlDoc;
typedef struct _xmlNode xmlNode;
typedef struct _xmlSaveCtxt xmlSaveCtxt;

namespace travalen {

// The academic year of a loaded Séneca export: the text of the first child node of
// /SERVICIO/BLOQUE_DATOS in 8-bit text, cut to its first four bytes. Throws TravalenError
// naming `fileName` when the document has no such block or the block has no child.
std::string AcademicYear(const xmlDoc* doc, const std::string& fileName);

// Throws away the document's root element with everything in it and appends a new root
// "SERVICIO" with BLOQUE_DATOS, the year block and an empty timetable block counting
// `teacherCount` teachers. Every other top-level node (comments, processing instructions)
// stays where it was. Texts are 8-bit. Gives the timetable block, owned by `doc`.
xmlNode* BuildImportFrame(xmlDoc* doc, const std::string& academicYear, const std::string& fecha,
                          std::size_t teacherCount);

// A new element `name` appended to `parent`, owned by the document.
xmlNode* AppendElement(xmlNode* parent, const char* name);
// Sets attribute `name` to the 8-bit text `value`, after the attributes already set.
void SetAttribute(xmlNode* element, const char* name, const std::string& value);
// Appends <dato nombre_dato="name">text</dato> to `block`; `text` is 8-bit.
void AppendDato(xmlNode* block, const char* name, const std::string& text);

// The whole document as bytes in the encoding its XML declaration names, with that
// declaration; UTF-8 with a declaration when the loaded file had none. No indentation
// is added. Throws TravalenError when the encoding cannot be written.
std::string SerializeImportDocument(xmlDoc* doc);

// Writes the import document block by block, so that a region's timetable never has to
// stand in memory as a tree: the frame is written at once around the empty timetable
// block, and each teacher block is written into its place when it is finished and then
// thrown away. The bytes are the ones SerializeImportDocument gives for the whole tree.
class StreamedImportDocument {
 public:
  // `timetableBlock` is the empty block BuildImportFrame gave for `doc`.
  StreamedImportDocument(xmlDoc* doc, xmlNode* timetableBlock);
  ~StreamedImportDocument();
  StreamedImportDocument(const StreamedImportDocument&) = delete;
  StreamedImportDocument& operator=(const StreamedImportDocument&) = delete;

  // Writes `block`, the last child of the timetable block, and frees it; in an encoding
  // that cannot be written in pieces the block stays, to be written by Finish.
  void Append(xmlNode* block);
  // The whole document; nothing may be appended afterwards.
  std::string Finish();

 private:
  xmlDoc* doc_;
  std::string encoding_;
  std::string bytes_;  // everything written so far
  std::string tail_;   // what follows the timetable block's children
  xmlSaveCtxt* save_ = nullptr;
};

// Where the result of importing `xmlFile` goes: "ResultadoVelmora" followed by the
// file's own name, in the same folder.
std::filesystem::path ImportResultPath(const std::filesystem::path& xmlFile);

}  // namespace travalen
