// Reading the saved import document back and checking it against what was written.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "ConversionReport.h"

typedef struct _xmlDoc xmlDoc;
typedef struct _xmlNode xmlNode;

namespace travalen {

// Every "dato" written, in order, with where it is and its text: what the check compares
// the saved file with, kept as flat text so that a document written block by block need
// not be kept as a tree.
class WrittenDatos {
 public:
  // Every "dato" of `doc`, as it stands.
  void AddDocument(const xmlDoc* doc);
  // Every "dato" within `block`, whose parent blocks make `where` ("HORARIOS_REGULARES / ").
  void AddBlock(const xmlNode* block, const std::string& where);

  std::size_t Count() const { return count_; }
  const std::string& Flat() const { return flat_; }

 private:
  std::string flat_;  // where, NUL, text, NUL, for each one: XML text never holds a NUL
  std::size_t count_ = 0;
};

// Checks the bytes of a saved import document against `written`, the document they were
// saved from:
//   - they are well-formed XML with /SERVICIO/BLOQUE_DATOS and the HORARIOS_REGULARES block;
//   - "registros" of that block equals its teacher blocks, and "registros" of every teacher
//     block its activity blocks;
//   - teacher blocks are HORARIO_REGULAR_PROFESOR_1, _2 … and each teacher's activity
//     blocks ACTIVIDAD_1, _2 …, without gaps;
//   - every "dato" reads back with the name and the text it was written with (an accent
//     lost to a wrong encoding shows here).
// Gives one finding (ResultCheckFailed) per problem, none when the document is sound; a
// broken document is a finding, never an exception. `name` stands for the file.
std::vector<Finding> CheckImportResult(std::string_view savedBytes, xmlDoc* written,
                                       const std::string& name);

std::vector<Finding> CheckImportResult(std::string_view savedBytes, const WrittenDatos& written,
                                       const std::string& name);

// The same for the file at `saved`, read from disk; a file that cannot be read is a
// finding too.
std::vector<Finding> CheckImportResultFile(const std::filesystem::path& saved, xmlDoc* written);
std::vector<Finding> CheckImportResultFile(const std::filesystem::path& saved,
                                           const WrittenDatos& written);

}  // namespace travalen
