// Every teacher's placed timetable entries as Séneca activity blocks, keys found again
// through the exchange tables.
#include "TeacherTimetable.h"

#include <libxml/tree.h>

#include <initializer_list>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "Clipper.h"
#include "ImportDocument.h"
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
  TimetableWriter(const ImportTables& tables, const SchoolYearDates& dates)
      : t_(tables),
        dates_(dates),
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

  void WriteAll(xmlNode* timetableBlock) {
    const DbfTable& teachers = t_.profesor;
    const int employee = teachers.FieldIndex("X_EMPLEADO");
    const int takingUp = teachers.FieldIndex("F_TOMAPOS");
    const int abbreviation = teachers.FieldIndex("ABREV");
    // Every PROFT row is a teacher block and counts, entries or not, so that
    // "registros" of the timetable block equals the number of teacher blocks.
    for (std::size_t row = 0; row < teachers.RowCount(); ++row) {
      std::vector<std::size_t> placed = PlacedEntries(teachers.TextAt(row, abbreviation));
      xmlNode* teacher = AppendElement(timetableBlock, "grupo_datos");
      SetAttribute(teacher, "seq", "HORARIO_REGULAR_PROFESOR_" + std::to_string(row + 1));
      SetAttribute(teacher, "registros", std::to_string(placed.size()));
      AppendDato(teacher, "X_EMPLEADO", teachers.TextAt(row, employee));
      AppendDato(teacher, "F_TOMAPOS", teachers.TextAt(row, takingUp));
      std::size_t number = 1;
      for (std::size_t entry : placed) WriteActivity(teacher, number++, Translate(entry));
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

  // The look-ups run in this order because the unit's course key, when the assignment
  // gave none, is the one the subject fallback then searches with.
  Activity Translate(std::size_t row) const {
    Activity a;
    const std::string subject = t_.soluc.TextAt(row, soluc_.asig);
    const std::string group = t_.soluc.TextAt(row, soluc_.codGrupo);
    a.activity = t_.soluc.TextAt(row, soluc_.tarea);

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
    a.room = t_.soluc.TextAt(row, soluc_.aula);
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
                            const ImportTables& tables) {
  TimetableWriter(tables, dates).WriteAll(timetableBlock);
}

}  // namespace travalen
