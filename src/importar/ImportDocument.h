// The Séneca import document: its frame around the timetable, and writing it to bytes.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

typedef struct _xmlDoc xmlDoc;
typedef struct _xmlNode xmlNode;

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

// Where the result of importing `xmlFile` goes: "ResultadoVelmora" followed by the
// file's own name, in the same folder.
std::filesystem::path ImportResultPath(const std::filesystem::path& xmlFile);

}  // namespace travalen
