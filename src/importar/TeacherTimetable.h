// The teacher and activity blocks of the import document, from SOLUC and the exchange tables.
#pragma once

#include <functional>
#include <string>

#include "ConversionReport.h"
#include "DbfTable.h"

typedef struct _xmlNode xmlNode;

namespace travalen {

// The nine tables an import run holds open, in the order they are opened; they close
// together when the object goes.
struct ImportTables {
  DbfTable soluc;     // SOLUC: the timetable program's solution, one row per entry
  DbfTable grupos;    // GRUPOST: unit key and course key of a group
  DbfTable cursos;    // CURSOST: held open only, so that nobody rewrites it meanwhile
  DbfTable profesor;  // PROFT: one teacher block per row
  DbfTable aulas;     // AULAT: held open only
  DbfTable nomAsg;    // ASIGNOMT: activity code of a subject
  DbfTable nomAsg2;   // ASIGNOMT2: Séneca subject key per course offer
  DbfTable tramos;    // DIASHORAST: day, slot code, start and end of a time slot
  DbfTable asig;      // ASIGT: subject key and course key of a subject in a group
};

// The school year as PERIODOS.DBF holds it, 8-bit texts exactly as stored.
struct SchoolYearDates {
  std::string start;
  std::string end;
};

// Appends to `timetableBlock` one teacher block per PROFT row, in table order, each with
// one activity block per SOLUC entry of that teacher placed on a day. Throws TravalenError
// when a table lacks a field read here or a DIA or HORA of SOLUC is not a whole number.
// When `report` is given it hears, per teacher, of every activity block written without
// a key it needs (EmptyKey, naming the SOLUC entry), of a teacher without activity blocks
// and of a teacher placed more than once in one time slot.
void WriteTeacherTimetables(xmlNode* timetableBlock, const SchoolYearDates& dates,
                            const ImportTables& tables, ConversionReport* report = nullptr);

// The same, handing every teacher block to `teacherDone` as soon as it is complete, still
// the last child of `timetableBlock`; it may take the block out of the document.
void WriteTeacherTimetables(xmlNode* timetableBlock, const SchoolYearDates& dates,
                            const ImportTables& tables, ConversionReport* report,
                            const std::function<void(xmlNode* teacherBlock)>& teacherDone);

}  // namespace travalen
