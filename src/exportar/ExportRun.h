// The working state of one exportar run: the document, the exchange folder, the tables.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

#include "ConversionReport.h"
#include "DbfTable.h"
#include "SenecaDocument.h"

namespace travalen {

// Built afresh by every run, so a run after one that failed starts from nothing: each
// step keeps its own sets and indexes and reads earlier steps only through the tables.
struct ExportRun {
  const SenecaDocument& document;
  std::filesystem::path exchangeDir;
  // SENEMATERIAS.DBF or whatever the caller put in its place.
  std::filesystem::path subjectLookupTable;
  // Where the steps tell what they did; none when nobody asked (a step run on its own).
  ConversionReport* report = nullptr;

  // Deletes and re-creates one of the nine exchange tables and opens it.
  DbfTable CreateTable(const std::string& fileName) const;
  // Opens an exchange table an earlier step wrote, its name found without regard to case.
  DbfTable OpenTable(const std::string& fileName) const;

  // Adds a finding to the report, when there is one. Texts are UTF-8.
  void Note(FindingCategory category, std::string item, std::string detail) const;
  // A record of `block` (index from 0) that the step passes over for having fewer than
  // two values.
  void NoteShortRecord(const std::string& block, std::size_t index) const;
};

// The width of a text field of an open table.
std::size_t TextWidth(const DbfTable& table, const std::string& field);

// The text a field of `width` characters gives back once `text` was stored in it: cut
// to the width and without trailing blanks, since a dBase field keeps none. Look-ups
// that the steps answer from an index instead of scanning the table compare these.
std::string StoredText(const std::string& text, std::size_t width);

// Document texts go into messages; messages are UTF-8.
std::string ForMessage(const std::string& text8);
// A path as it goes into a message.
std::string PathForMessage(const std::filesystem::path& path);

}  // namespace travalen
