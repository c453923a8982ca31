// Every teacher's placed timetable entries as Séneca activity blocks, keys found again
// through the exchange tables.
#include "TeacherTimetable.h"

#include <libxml/tree.h>

#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "Clipper.h"
#include "ImportDocument.h"
#include "Text8.h"
#include "TravalenError.h"

namespace travalen {

namespace {

// Look-up keys compare whole texts, letter case included. A dBase field keeps no trailing
// blanks, so they are dropped on both sides; leading blanks are part of the text.
std::string KeyPart(const std::string& text) { return StripTrailingBlanks(text); }

// Several parts joined so that no two different lists of parts give the same key.
std::string JoinKey(std::initializer_list<std::string> parts) {
  std::string key;
  for (const std::string& part : parts) {
    std::string stripped = KeyPart(part);
    key += std::to_string(stripped.size());
    key += ':';
    key += stripped;
  }
  return key;
}

// The first row, in stored order, for each value of one or two fields of a table: what a
// scan from the first row that stops at the first match finds, built once per run so
// that a large solution does not rescan the tables for every entry.
class FirstRowIndex {
 public:
  FirstRowIndex(const DbfTable& table, std::initializer_list<const char*> fields) {
    std::vector<int> columns;
    for (const char* field : fields) columns.push_back(table.FieldIndex(field));
    for (std::size_t row = 0; row < table.RowCount(); ++row) {
      if (columns.size() == 1)
        first_.try_emplace(JoinKey({table.TextAt(row, columns[0])}), row);
      else
        first_.try_emplace(JoinKey({table.TextAt(row, columns[0]), table.TextAt(row, columns[1])}),
                           row);
    }
  }

  std::optional<std::size_t> Find(std::initializer_list<std::string> values) const {
    auto found = first_.find(JoinKey(values));
    if (found == first_.end()) return std::nullopt;
    return found->second;
  }

 private:
  std::unordered_map<std::string, std::size_t> first_;
};

// The columns of one table that the step reads, resolved once; a missing one stops the run
// before anything is written.
struct SolucColumns {
  explicit SolucColumns(const DbfTable& t)
      : prof(t.FieldIndex("PROF")),
        dia(t.FieldIndex("DIA")),
        hora(t.FieldIndex("HORA")),
        asig(t.FieldIndex("ASIG")),
        codGrupo(t.FieldIndex("CODGRUPO")),
        tarea(t.FieldIndex("TAREA")),
        aula(t.FieldIndex("AULA")),
        diaIsText(t.Fields()[static_cast<std::size_t>(dia)].kind == FieldKind::Text) {}
  int prof, dia, hora, asig, codGrupo, tarea, aula;
  bool diaIsText;
};

// The columns read from the other tables, resolved once as well.
struct LookupColumns {
  explicit LookupColumns(const ImportTables& t)
      : asigClave(t.asig.FieldIndex("CLAVE")),
        asigClaveCurso(t.asig.FieldIndex("CLAVECURSO")),
        nomAsgCodTarea(t.nomAsg.FieldIndex("CODTAREA")),
        tramosDia(t.tramos.FieldIndex("DIA")),
        tramosCodDiHo(t.tramos.FieldIndex("CODDIHO")),
        tramosDesde(t.tramos.FieldIndex("HORADESDE")),
        tramosHasta(t.tramos.FieldIndex("HORAHASTA")),
        gruposClave(t.grupos.FieldIndex("CLAVE")),
        gruposClaveCurso(t.grupos.FieldIndex("CLAVECURSO")),
        nomAsg2Materia(t.nomAsg2.FieldIndex("MATERIA")) {}
  int asigClave, asigClaveCurso, nomAsgCodTarea, tramosDia, tramosCodDiHo, tramosDesde, tramosHasta,
      gruposClave, gruposClaveCurso, nomAsg2Materia;
};

// The Séneca values of one placed entry, all 8-bit texts.
struct Activity {
  std::string day, slotCode, room, unit, courseKey, subjectKey, startTime, endTime, activity;
};

class TimetableWriter {
 public:
  TimetableWriter(const ImportTables& tables, const SchoolYearDates& dates,
                  ConversionReport* report)
      : t_(tables),
        dates_(dates),
        report_(report),
        soluc_(tables.soluc),
        c_(tables),
        assignments_(tables.asig, {"CASIG", "CGRUP"}),
        subjects_(tables.nomAsg, {"COD"}),
        slots_(tables.tramos, {"DIHO"}),
        groups_(tables.grupos, {"ABREV"}),
        offerSubjects_(tables.nomAsg2, {"COD", "OFERTAMATRI"}) {
    // The teachers' entries, each list in stored order, gathered in one pass. A blank
    // abbreviation gathers the entries whose PROF is blank, as an equality filter would.
    for (std::size_t row = 0; row < t_.soluc.RowCount(); ++row)
      entriesByTeacher_[KeyPart(t_.soluc.TextAt(row, soluc_.prof))].push_back(row);
  }

  void WriteAll(xmlNode* timetableBlock, const std::function<void(xmlNode*)>& teacherDone) {
    const DbfTable& teachers = t_.profesor;
    const int employee = teachers.FieldIndex("X_EMPLEADO");
    const int takingUp = teachers.FieldIndex("F_TOMAPOS");
    const int abbreviation = teachers.FieldIndex("ABREV");
    // The name only helps the report find the person; a table without it still converts.
    const int name = teachers.HasField("NOMBRE") ? teachers.FieldIndex("NOMBRE") : -1;
    // Every PROFT row is a teacher block and counts, entries or not, so that
    // "registros" of the timetable block equals the number of teacher blocks.
    for (std::size_t row = 0; row < teachers.RowCount(); ++row) {
      std::vector<std::size_t> placed = PlacedEntries(teachers.TextAt(row, abbreviation));
      xmlNode* teacher = AppendElement(timetableBlock, "grupo_datos");
      SetAttribute(teacher, "seq", "HORARIO_REGULAR_PROFESOR_" + std::to_string(row + 1));
      SetAttribute(teacher, "registros", std::to_string(placed.size()));
      AppendDato(teacher, "X_EMPLEADO", teachers.TextAt(row, employee));
      AppendDato(teacher, "F_TOMAPOS", teachers.TextAt(row, takingUp));
      const std::string who = TeacherItem(teachers.TextAt(row, abbreviation),
                                          name >= 0 ? teachers.TextAt(row, name) : std::string(),
                                          teachers.TextAt(row, employee));
      if (report_ != nullptr && placed.empty())
        report_->Add(FindingCategory::TeacherWithoutActivities, who,
                     "no tiene ninguna entrada colocada en SOLUC: su bloque va sin actividades");
      NoteSharedSlots(who, placed);
      std::size_t number = 1;
      for (std::size_t entry : placed) {
        const Activity activity = Translate(entry);
        WriteActivity(teacher, number++, activity);
        NoteEmptyKeys(who, entry, activity);
      }
      if (teacherDone) teacherDone(teacher);
    }
  }

 private:
  // The teacher's entries that the timetable program placed on a day; DIA 0 (or empty)
  // means not placed.
  std::vector<std::size_t> PlacedEntries(const std::string& abbreviation) const {
    std::vector<std::size_t> placed;
    auto entries = entriesByTeacher_.find(KeyPart(abbreviation));
    if (entries == entriesByTeacher_.end()) return placed;
    for (std::size_t row : entries->second)
      if (EntryNumber(row, soluc_.dia) != 0) placed.push_back(row);
    return placed;
  }

  // The key DIASHORAST gives a slot: the day's text followed by the period in decimal.
  std::string SlotKey(std::size_t row) const {
    // A numeric DIA reads as its number ("  3" and "3.00" are day 3); a text DIA is taken
    // as written, blanks aside, since that is the text the key is made of.
    std::string day = soluc_.diaIsText ? StripBlanks(t_.soluc.TextAt(row, soluc_.dia))
                                       : std::to_string(EntryNumber(row, soluc_.dia));
    return day + std::to_string(EntryNumber(row, soluc_.hora));
  }

  // DIA or HORA of an entry; empty reads as 0. The table layer's message names the table,
  // the row and the field; what to do about it is ours to add.
  std::int32_t EntryNumber(std::size_t row, int field) const {
    try {
      return t_.soluc.IntegerAt(row, field);
    } catch (const TravalenError& failure) {
      throw TravalenError(std::string(failure.what()) +
                          ". Calcule de nuevo el horario en Velmora y vuelva a importar.");
    }
  }

  // TAREA and AULA go into the document as SOLUC holds them. XML cannot carry a control
  // character other than tab, line feed and carriage return, not even as a reference:
  // Séneca could not load a document with one, so the entry stops the run, named.
  std::string VerbatimText(std::size_t row, int field, const char* fieldName) const {
    std::string text = t_.soluc.TextAt(row, field);
    for (const char c : text) {
      const auto code = static_cast<unsigned char>(c);
      if (code < 0x20 && c != '\t' && c != '\n' && c != '\r')
        throw TravalenError("En la tabla SOLUC, fila " + std::to_string(row + 1) + ", el campo " +
                            fieldName + " lleva un carácter de control (código " +
                            std::to_string(code) +
                            ") que un documento XML no admite. Calcule de nuevo el horario en "
                            "Velmora y vuelva a importar.");
    }
    return text;
  }

  // The look-ups run in this order because the unit's course key, when the assignment
  // gave none, is the one the subject fallback then searches with.
  Activity Translate(std::size_t row) const {
    Activity a;
    const std::string subject = t_.soluc.TextAt(row, soluc_.asig);
    const std::string group = t_.soluc.TextAt(row, soluc_.codGrupo);
    a.activity = VerbatimText(row, soluc_.tarea, "TAREA");

    if (auto found = assignments_.Find({subject, group})) {
      a.subjectKey = t_.asig.TextAt(*found, c_.asigClave);
      a.courseKey = t_.asig.TextAt(*found, c_.asigClaveCurso);
    }
    if (IsBlank(a.activity)) {
      a.activity.clear();
      if (auto found = subjects_.Find({subject}))
        a.activity = t_.nomAsg.TextAt(*found, c_.nomAsgCodTarea);
    }
    if (auto found = slots_.Find({SlotKey(row)})) {
      a.day = t_.tramos.TextAt(*found, c_.tramosDia);
      a.slotCode = t_.tramos.TextAt(*found, c_.tramosCodDiHo);
      a.startTime = t_.tramos.TextAt(*found, c_.tramosDesde);
      a.endTime = t_.tramos.TextAt(*found, c_.tramosHasta);
    }
    a.room = VerbatimText(row, soluc_.aula, "AULA");
    if (IsBlank(a.room)) a.room.clear();
    if (auto found = groups_.Find({group})) {
      a.unit = t_.grupos.TextAt(*found, c_.gruposClave);
      if (IsBlank(a.courseKey)) a.courseKey = t_.grupos.TextAt(*found, c_.gruposClaveCurso);
    }
    if (IsBlank(a.subjectKey)) {
      if (auto found = offerSubjects_.Find({subject, a.courseKey}))
        a.subjectKey = t_.nomAsg2.TextAt(*found, c_.nomAsg2Materia);
    }
    // Séneca needs an activity for every entry; "1" is its plain teaching activity.
    if (IsBlank(a.activity)) a.activity = "1";
    return a;
  }

  static std::string TeacherItem(const std::string& abbreviation, const std::string& name,
                                 const std::string& employee) {
    std::string item = "Profesor «" + Cp1252ToUtf8(abbreviation) + "»";
    if (!IsBlank(name)) item += " " + Cp1252ToUtf8(StripBlanks(name));
    if (!IsBlank(employee)) item += " (empleado " + Cp1252ToUtf8(employee) + ")";
    return item;
  }

  // SOLUC row 12 (ASIG «MAT», CODGRUPO «ESO1A», DIA 3, HORA 2), rows counted from 1.
  std::string EntryText(std::size_t row) const {
    return "SOLUC fila " + std::to_string(row + 1) + " (ASIG «" +
           Cp1252ToUtf8(t_.soluc.TextAt(row, soluc_.asig)) + "», CODGRUPO «" +
           Cp1252ToUtf8(t_.soluc.TextAt(row, soluc_.codGrupo)) + "», DIA " +
           std::to_string(EntryNumber(row, soluc_.dia)) + ", HORA " +
           std::to_string(EntryNumber(row, soluc_.hora)) + ")";
  }

  // Two entries of one teacher in one slot may be a class given to several groups at
  // once, or a clash: the person knows which.
  void NoteSharedSlots(const std::string& who, const std::vector<std::size_t>& placed) const {
    if (report_ == nullptr) return;
    std::map<std::string, std::vector<std::size_t>> bySlot;
    std::vector<std::string> order;
    for (std::size_t row : placed) {
      auto [entry, added] = bySlot.try_emplace(SlotKey(row));
      if (added) order.push_back(entry->first);
      entry->second.push_back(row);
    }
    for (const std::string& slot : order) {
      const auto& rows = bySlot[slot];
      if (rows.size() < 2) continue;
      std::string entries;
      for (std::size_t row : rows) entries += (entries.empty() ? "" : "; ") + EntryText(row);
      report_->Add(FindingCategory::TeacherTwiceInSlot, who,
                   std::to_string(rows.size()) + " entradas en el tramo «" + Cp1252ToUtf8(slot) +
                       "»: " + entries +
                       ". Si es una clase a varios grupos a la vez, está bien; si no, corrija "
                       "el horario en Velmora.");
    }
  }

  // The keys an entry needs. Day and slot: every placed entry. Unit and course offer: a
  // class, and any entry the timetable gave a group. Subject: a class. An entry is an
  // activity (a duty, a meeting) rather than a class when its subject is an activity
  // row of ASIGNOMT (CODTAREA set), or when it has no group and brings its own TAREA;
  // such an entry without group naturally has no unit, offer or subject, and saying so
  // would bury the real gaps. "1" cannot tell them apart: it is Séneca's teaching
  // activity and, in many schools, a duty's code as well.
  void NoteEmptyKeys(const std::string& who, std::size_t row, const Activity& a) const {
    if (report_ == nullptr) return;
    const std::string subject = t_.soluc.TextAt(row, soluc_.asig);
    const std::string group = t_.soluc.TextAt(row, soluc_.codGrupo);
    bool subjectIsActivity = false;
    if (auto found = subjects_.Find({subject}))
      subjectIsActivity = !IsBlank(t_.nomAsg.TextAt(*found, c_.nomAsgCodTarea));
    const bool isActivity =
        subjectIsActivity || (IsBlank(group) && !IsBlank(t_.soluc.TextAt(row, soluc_.tarea)));
    const bool needsUnit = !isActivity || !IsBlank(group);

    std::vector<std::string> gaps;
    if (IsBlank(a.day) || IsBlank(a.slotCode))
      gaps.push_back("N_DIASEMANA y X_TRAMO: DIASHORAST no tiene el tramo «" +
                     Cp1252ToUtf8(SlotKey(row)) + "»");
    if (needsUnit && IsBlank(a.unit))
      gaps.push_back(IsBlank(group)
                         ? std::string("X_UNIDAD: la entrada no tiene grupo")
                         : "X_UNIDAD: GRUPOST no tiene el grupo «" + Cp1252ToUtf8(group) + "»");
    if (needsUnit && IsBlank(a.courseKey))
      gaps.push_back("X_OFERTAMATRIG: ni ASIGT ni GRUPOST dan el curso del grupo");
    if (!isActivity && IsBlank(a.subjectKey))
      gaps.push_back("X_MATERIAOMG: ni ASIGT ni ASIGNOMT2 dan la materia «" +
                     Cp1252ToUtf8(subject) + "» para ese curso");
    if (gaps.empty()) return;
    std::string detail = EntryText(row) + " se ha escrito con claves vacías: ";
    for (std::size_t i = 0; i < gaps.size(); ++i) detail += (i == 0 ? "" : "; ") + gaps[i];
    report_->Add(FindingCategory::EmptyKey, who,
                 detail +
                     ". Séneca no aceptará esa actividad: exporte de nuevo o corrija el "
                     "horario en Velmora.");
  }

  // All eleven values, always and in this order: Séneca refuses a record with one missing.
  void WriteActivity(xmlNode* teacher, std::size_t number, const Activity& a) const {
    xmlNode* block = AppendElement(teacher, "grupo_datos");
    SetAttribute(block, "seq", "ACTIVIDAD_" + std::to_string(number));
    AppendDato(block, "N_DIASEMANA", a.day);
    AppendDato(block, "X_TRAMO", a.slotCode);
    AppendDato(block, "X_DEPENDENCIA", a.room);
    AppendDato(block, "X_UNIDAD", a.unit);
    AppendDato(block, "X_OFERTAMATRIG", a.courseKey);
    AppendDato(block, "X_MATERIAOMG", a.subjectKey);
    AppendDato(block, "F_INICIO", dates_.start);
    AppendDato(block, "F_FIN", dates_.end);
    AppendDato(block, "N_HORINI", a.startTime);
    AppendDato(block, "N_HORFIN", a.endTime);
    AppendDato(block, "X_ACTIVIDAD", a.activity);
  }

  const ImportTables& t_;
  const SchoolYearDates& dates_;
  ConversionReport* report_;
  SolucColumns soluc_;
  LookupColumns c_;
  FirstRowIndex assignments_;
  FirstRowIndex subjects_;
  FirstRowIndex slots_;
  FirstRowIndex groups_;
  FirstRowIndex offerSubjects_;
  std::unordered_map<std::string, std::vector<std::size_t>> entriesByTeacher_;
};

}  // namespace

void WriteTeacherTimetables(xmlNode* timetableBlock, const SchoolYearDates& dates,
                            const ImportTables& tables, ConversionReport* report) {
  TimetableWriter(tables, dates, report).WriteAll(timetableBlock, nullptr);
}

void WriteTeacherTimetables(xmlNode* timetableBlock, const SchoolYearDates& dates,
                            const ImportTables& tables, ConversionReport* report,
                            const std::function<void(xmlNode* teacherBlock)>& teacherDone) {
  TimetableWriter(tables, dates, report).WriteAll(timetableBlock, teacherDone);
}

}  // namespace travalen
