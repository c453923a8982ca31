// The subjects step and the activities step: MATERIAS and ACTIVIDADES into ASIGNOMT.DBF
// and ASIGNOMT2.DBF, with the short codes the timetable program names subjects by.
#include "Subjects.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>
#include <unordered_set>

#include "Clipper.h"
#include "TravalenError.h"

namespace travalen {

namespace {

constexpr const char* kSubjectsTable = "ASIGNOMT.DBF";
constexpr const char* kOffersTable = "ASIGNOMT2.DBF";
// The timetable program's subject codes are ten characters (ASIGNOMT.COD).
constexpr std::size_t kShortCodeWidth = 10;
// A short code this long or shorter says too little; the long code is then the name's
// beginning instead.
constexpr std::size_t kShortCodeNeedsName = 4;
// A name with a single capital and no blank is abbreviated to its first characters.
constexpr std::size_t kNameStemLength = 6;

struct LookupCodes {
  std::string shortCode;
  std::string longCode;
};

// SENEMATERIAS.DBF by NOMBRE; the first row of a name counts, as a scan would find it.
std::unordered_map<std::string, LookupCodes> LoadSubjectLookup(const std::filesystem::path& file) {
  if (file.empty() || !std::filesystem::is_regular_file(file)) {
    const std::string name = file.empty() ? "SENEMATERIAS.DBF" : PathForMessage(file.filename());
    throw TravalenError("No se encuentra la tabla de materias " + name + " en «" +
                        PathForMessage(file.parent_path()) +
                        "»; reinstale el programa o indique otra con --materias");
  }
  // Only read: the table is the program's own and other users may have it open.
  const DbfTable table = DbfTable::Open(file);
  const int nombre = table.FieldIndex("NOMBRE");
  const int cod = table.FieldIndex("COD");
  const int codLargo = table.FieldIndex("CODLARGO");
  std::unordered_map<std::string, LookupCodes> lookup;
  lookup.reserve(table.RowCount());
  for (std::size_t row = 0; row < table.RowCount(); ++row)
    lookup.try_emplace(StripTrailingBlanks(table.TextAt(row, nombre)),
                       LookupCodes{table.TextAt(row, cod), table.TextAt(row, codLargo)});
  return lookup;
}

bool IsCapitalAZ(char c) { return c >= 'A' && c <= 'Z'; }

// A short code from a name that is not empty: a leading character that is no capital
// A to Z, then the name's capitals; a lone character is too little, so it grows by the
// initials of the other words, or else becomes the name's first characters.
std::string GeneratedShortCode(const std::string& name) {
  std::string code;
  if (!IsCapitalAZ(name.front())) code += name.front();
  code += CapitalsOnly(name);
  if (code.size() == 1) {
    if (name.find(' ') != std::string::npos)
      code = name.substr(0, 1) + InitialsAfterBlanks(name);
    else
      code = name.substr(0, kNameStemLength);
  }
  return code;
}

struct SubjectCodes {
  std::string shortCode;
  // As computed, before ASIGNOMT.CODLARGO cuts it: the sets remember the whole text.
  std::string longCode;
  bool shortCodeFromLookup = false;  // else built from the name
};

SubjectCodes CodesFor(const std::string& name,
                      const std::unordered_map<std::string, LookupCodes>& lookup) {
  SubjectCodes codes;
  if (auto found = lookup.find(name); found != lookup.end()) {
    codes.shortCode = found->second.shortCode;
    codes.longCode = found->second.longCode;
  }
  // A one-character code from the look-up table is the table's wish and stays.
  codes.shortCodeFromLookup = !IsBlank(codes.shortCode);
  if (!codes.shortCodeFromLookup) codes.shortCode = GeneratedShortCode(name);
  if (IsBlank(codes.longCode))
    codes.longCode = codes.shortCode.size() <= kShortCodeNeedsName ? name.substr(0, kShortCodeWidth)
                                                                   : codes.shortCode;
  if (codes.shortCode.size() > kShortCodeWidth) codes.shortCode.resize(kShortCodeWidth);
  return codes;
}

// The short codes given to subject rows so far, and how far the numbering of each stem
// has got. A code once given stays given, so the search for a stem's next free number
// can start where the last one ended and still give what a search from 1 would.
class SubjectCodeNumbering {
 public:
  std::string FreeCode(const std::string& candidate) {
    if (!used_.contains(candidate)) return candidate;
    const std::string stem =
        candidate.empty() ? candidate : candidate.substr(0, candidate.size() - 1);
    std::uint64_t& n = nextNumber_.try_emplace(stem, 1).first->second;
    for (;;) {
      // Every subject row needs its own code: the timetable program and the way back
      // to Séneca tell subjects apart by it. So a shortened code is tested too, and the
      // numbering goes on while it is taken.
      std::string code = Numbered(stem, n++);
      if (!used_.contains(code)) return code;
    }
  }
  void Give(const std::string& code) { used_.insert(code); }

 private:
  // The stem followed by n; when that is too long, the stem gives up its last characters
  // and the whole number stays (a nine-character stem with 10 keeps its first eight,
  // then 10). Cutting digits off the number instead would give codes already given.
  static std::string Numbered(const std::string& stem, std::uint64_t n) {
    const std::string digits = std::to_string(n);
    if (stem.size() + digits.size() <= kShortCodeWidth) return stem + digits;
    return stem.substr(0, kShortCodeWidth - std::min(digits.size(), kShortCodeWidth)) + digits;
  }

  std::unordered_set<std::string> used_;  // UsedSubjectCodes
  std::unordered_map<std::string, std::uint64_t> nextNumber_;
};

std::string JoinKeys(const std::string& a, const std::string& b) {
  std::string key = a;
  key += '\0';
  key += b;
  return key;
}

// Writes the two subject tables for one run; the sets and indexes live as long as it.
class SubjectWriter {
 public:
  SubjectWriter(const ExportRun& run, DbfTable& subjects, DbfTable& offers)
      : run_(run),
        subjects_(subjects),
        offers_(offers),
        codLargoWidth_(TextWidth(subjects, "CODLARGO")),
        nombreWidth_(TextWidth(subjects, "NOMBRE")),
        materiaWidth_(TextWidth(offers, "MATERIA")),
        ofertaWidth_(TextWidth(offers, "OFERTAMATRI")) {}

  void Add(const std::string& name, const std::string& subjectKey, const std::string& offerKey,
           const SubjectCodes& codes) {
    if (IsKnown(name, codes.longCode))
      AddOffer(name, subjectKey, offerKey, codes.longCode);
    else
      AddSubject(name, subjectKey, offerKey, codes);
  }

 private:
  // Known: an earlier record entered a subject with this name (letter case aside), this
  // long code, and this long code with this very name.
  bool IsKnown(const std::string& name, const std::string& longCode) const {
    return seenSubjectNames_.contains(UpperAsciiOnly(name)) && seenLongCodes_.contains(longCode) &&
           seenCodeNamePairs_.contains(longCode + name);
  }

  void AddOffer(const std::string& name, const std::string& subjectKey, const std::string& offerKey,
                const std::string& longCode) {
    // The keys as read against the keys as stored, as a look-up in the table would.
    if (offerPairs_.contains(
            JoinKeys(StripTrailingBlanks(subjectKey), StripTrailingBlanks(offerKey))))
      return;
    auto row = subjectRows_.find(SubjectRowKey(longCode, name));
    if (row == subjectRows_.end()) return;
    AppendOffer(row->second, longCode, name, subjectKey, offerKey);
  }

  void AddSubject(const std::string& name, const std::string& subjectKey,
                  const std::string& offerKey, const SubjectCodes& codes) {
    seenSubjectNames_.insert(UpperAsciiOnly(name));
    seenLongCodes_.insert(codes.longCode);
    seenCodeNamePairs_.insert(codes.longCode + name);

    const std::string shortCode = numbering_.FreeCode(codes.shortCode);
    numbering_.Give(shortCode);
    NoteCode(name, codes, shortCode);

    subjects_.Append();
    subjects_.SetText("COD", shortCode);
    subjects_.SetText("CODLARGO", codes.longCode);
    subjects_.SetText("NOMBRE", name);
    subjects_.SetLogical("ESTAREA", false);
    subjects_.Post();
    subjectRows_.try_emplace(SubjectRowKey(codes.longCode, name),
                             StoredText(shortCode, kShortCodeWidth));

    AppendOffer(shortCode, codes.longCode, name, subjectKey, offerKey);
  }

  void AppendOffer(const std::string& shortCode, const std::string& longCode,
                   const std::string& name, const std::string& subjectKey,
                   const std::string& offerKey) {
    offers_.Append();
    offers_.SetText("COD", shortCode);
    offers_.SetText("CODLARGO", longCode);
    offers_.SetText("NOMBRE", name);
    offers_.SetText("MATERIA", subjectKey);
    offers_.SetText("OFERTAMATRI", offerKey);
    offers_.SetLogical("ESTAREA", false);
    offers_.Post();
    offerPairs_.insert(
        JoinKeys(StoredText(subjectKey, materiaWidth_), StoredText(offerKey, ofertaWidth_)));
  }

  // Where a subject's code came from, for the person who will see it in the timetable.
  void NoteCode(const std::string& name, const SubjectCodes& codes,
                const std::string& shortCode) const {
    const std::string item = "Materia «" + ForMessage(name) + "»";
    const std::string code = "«" + ForMessage(codes.shortCode) + "»";
    if (codes.shortCodeFromLookup)
      run_.Note(FindingCategory::SubjectCodeFromLookup, item,
                "código " + code + " de la tabla de materias");
    else
      run_.Note(FindingCategory::SubjectCodeGenerated, item,
                "código " + code + " formado con su nombre");
    if (shortCode != codes.shortCode)
      run_.Note(
          FindingCategory::SubjectCodeNumbered, item,
          "el código " + code + " ya era de otra materia: lleva «" + ForMessage(shortCode) + "»");
  }

  // ASIGNOMT is found again by its stored CODLARGO and NOMBRE, that is by the long code
  // and the name cut to those fields' widths.
  std::string SubjectRowKey(const std::string& longCode, const std::string& name) const {
    return JoinKeys(StoredText(longCode, codLargoWidth_), StoredText(name, nombreWidth_));
  }

  const ExportRun& run_;
  DbfTable& subjects_;
  DbfTable& offers_;
  const std::size_t codLargoWidth_;
  const std::size_t nombreWidth_;
  const std::size_t materiaWidth_;
  const std::size_t ofertaWidth_;

  SubjectCodeNumbering numbering_;
  std::unordered_set<std::string> seenLongCodes_;
  std::unordered_set<std::string> seenSubjectNames_;
  std::unordered_set<std::string> seenCodeNamePairs_;
  // Stored CODLARGO and NOMBRE of each ASIGNOMT row → the COD of the first such row.
  std::unordered_map<std::string, std::string> subjectRows_;
  // Stored MATERIA and OFERTAMATRI of every ASIGNOMT2 row.
  std::unordered_set<std::string> offerPairs_;
};

}  // namespace

void LeeMaterias(const ExportRun& run) {
  DbfTable subjects = run.CreateTable(kSubjectsTable);
  DbfTable offers = run.CreateTable(kOffersTable);
  const auto lookup = LoadSubjectLookup(run.subjectLookupTable);

  SubjectWriter writer(run, subjects, offers);
  BlockReader reader(run.document);
  const std::size_t records = reader.SelectBlockRecords("MATERIAS");
  for (std::size_t i = 0; i < records; ++i) {
    if (reader.RecordValues(i) < BlockReader::kMinimumValues) {
      run.NoteShortRecord("MATERIAS", i);
      continue;
    }
    const std::string name = reader.ValueText(2);
    // A record without a name names no subject: there is nothing to build a code from
    // and nothing the timetable program could show.
    if (name.empty()) {
      run.Note(FindingCategory::SubjectWithoutName, "MATERIAS, registro " + std::to_string(i + 1),
               "materia «" + ForMessage(reader.ValueText(1)) + "» del curso «" +
                   ForMessage(reader.ValueText(0)) + "» sin nombre: no se ha leído");
      continue;
    }
    const std::string subjectKey = reader.ValueText(1);
    const std::string offerKey = reader.ValueText(0);
    writer.Add(name, subjectKey, offerKey, CodesFor(name, lookup));
  }
  subjects.Close();
  offers.Close();
}

void LeeActividades(const ExportRun& run) {
  DbfTable subjects = run.OpenTable(kSubjectsTable);
  const std::size_t longCodeWidth = TextWidth(subjects, "CODLARGO");
  BlockReader reader(run.document);
  const std::size_t records = reader.SelectBlockRecords("ACTIVIDADES");
  for (std::size_t i = 0; i < records; ++i) {
    if (reader.RecordValues(i) < BlockReader::kMinimumValues) {
      run.NoteShortRecord("ACTIVIDADES", i);
      continue;
    }
    const std::string name = reader.ValueText(2);
    const std::string key = reader.ValueText(1);
    // Activities keep their Séneca key as code: no code is generated, none is unique.
    subjects.Append();
    subjects.SetText("COD", key);
    subjects.SetText("CODLARGO", name.substr(0, longCodeWidth));
    subjects.SetText("NOMBRE", name);
    subjects.SetText("CODTAREA", key);
    subjects.SetLogical("ESTAREA", true);
    subjects.Post();
  }
  subjects.Close();
}

}  // namespace travalen
