// timetable-standin: plays the timetable program in tests, writing a simple SOLUC.DBF.
//
// It reads the exchange tables that exportar wrote and places every subject assignment's
// sessions greedily on days 1 to 5, so that importar has a real solution to translate.
// The placement is deterministic: the same tables always give the same SOLUC.
#include <cmath>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <iostream>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "Clipper.h"
#include "DbfTable.h"
#include "TravalenError.h"

namespace fs = std::filesystem;
using travalen::DbfTable;
using travalen::FieldDef;
using travalen::FieldKind;

namespace {

constexpr int kSchoolDays = 5;            // Monday to Friday
constexpr const char* kBreak = "Recreo";  // a break is a time slot too, but nobody teaches in it

struct Cell {
  int day = 0;   // 0: the entry could not be placed, as the timetable program leaves it
  int slot = 0;  // position of the slot within its day, counted from 1 as DIASHORAST's DIHO
};

struct Entry {
  std::string teacher, subject, group, task, room;
  Cell cell;
};

std::vector<std::string> Column(const DbfTable& table, const char* field) {
  std::vector<std::string> values;
  const int index = table.FieldIndex(field);
  for (std::size_t row = 0; row < table.RowCount(); ++row)
    values.push_back(table.TextAt(row, index));
  return values;
}

// The teaching slots of one day: the day-1 rows of DIASHORAST in stored order, breaks left out.
std::vector<int> TeachingSlots(const DbfTable& slots) {
  std::vector<int> teaching;
  const int day = slots.FieldIndex("DIA");
  const int label = slots.FieldIndex("HORA");
  int position = 0;
  for (std::size_t row = 0; row < slots.RowCount(); ++row) {
    if (travalen::StripBlanks(slots.TextAt(row, day)) != "1") continue;
    ++position;
    if (!travalen::EqualsIgnoreCase1252(travalen::StripBlanks(slots.TextAt(row, label)), kBreak))
      teaching.push_back(position);
  }
  return teaching;
}

// Weekly sessions of an assignment: its hours when set, else the '1's of its sessions text.
int SessionCount(double hours, const std::string& sessions) {
  if (hours > 0) return static_cast<int>(std::ceil(hours));
  int count = 0;
  for (char c : sessions) count += c == '1';
  return count > 0 ? count : 1;
}

class Planner {
 public:
  explicit Planner(std::vector<int> slots) : slots_(std::move(slots)) {}

  // The first cell, from `startDay` on and wrapping round the week, where neither the
  // teacher nor the group is busy; day 0 when there is none.
  Cell Place(const std::string& teacher, const std::string& group, int startDay) {
    for (int d = 0; d < kSchoolDays; ++d) {
      const int day = (startDay + d) % kSchoolDays + 1;
      for (int slot : slots_) {
        const std::pair<int, int> cell{day, slot};
        if (teacherBusy_[teacher].count(cell) || (!group.empty() && groupBusy_[group].count(cell)))
          continue;
        teacherBusy_[teacher].insert(cell);
        if (!group.empty()) groupBusy_[group].insert(cell);
        return {day, slot};
      }
    }
    return {};
  }

 private:
  std::vector<int> slots_;
  // The (day, slot) cells each teacher and each group already has.
  std::map<std::string, std::set<std::pair<int, int>>> teacherBusy_;
  std::map<std::string, std::set<std::pair<int, int>>> groupBusy_;
};

std::vector<Entry> PlanTimetable(const fs::path& dir) {
  const DbfTable teachers = DbfTable::OpenIn(dir, "PROFT");
  const DbfTable assignments = DbfTable::OpenIn(dir, "ASIGT");
  const DbfTable slots = DbfTable::OpenIn(dir, "DIASHORAST");
  const DbfTable rooms = DbfTable::OpenIn(dir, "AULAT");
  const DbfTable subjects = DbfTable::OpenIn(dir, "ASIGNOMT");

  const std::vector<std::string> abbreviations = Column(teachers, "ABREV");
  const std::vector<std::string> roomCodes = Column(rooms, "ABREV");
  Planner planner(TeachingSlots(slots));
  std::vector<Entry> entries;
  if (abbreviations.empty()) return entries;

  std::size_t nextRoom = 0;
  auto room = [&]() {
    return roomCodes.empty() ? std::string() : roomCodes[nextRoom++ % roomCodes.size()];
  };

  const int casig = assignments.FieldIndex("CASIG");
  const int cgrup = assignments.FieldIndex("CGRUP");
  const int horas = assignments.FieldIndex("HORAS");
  const int sesiones = assignments.FieldIndex("SESIONES");
  for (std::size_t row = 0; row < assignments.RowCount(); ++row) {
    const std::string& teacher = abbreviations[row % abbreviations.size()];
    const std::string group = assignments.TextAt(row, cgrup);
    const int count =
        SessionCount(assignments.FloatAt(row, horas), assignments.TextAt(row, sesiones));
    for (int session = 0; session < count; ++session) {
      // Starting each session on the next day spreads a subject over the week.
      Cell cell = planner.Place(teacher, group, static_cast<int>(row) + session);
      // An entry left without a day has no room either.
      entries.push_back({teacher, assignments.TextAt(row, casig), group, "",
                         cell.day != 0 ? room() : std::string(), cell});
    }
  }

  // One non-teaching duty per teacher (a "Guardia"), from the activity rows in turn.
  std::vector<std::pair<std::string, std::string>> activities;  // COD, CODTAREA
  const int cod = subjects.FieldIndex("COD");
  const int codTarea = subjects.FieldIndex("CODTAREA");
  const int esTarea = subjects.FieldIndex("ESTAREA");
  for (std::size_t row = 0; row < subjects.RowCount(); ++row)
    if (subjects.LogicalAt(row, esTarea))
      activities.emplace_back(subjects.TextAt(row, cod), subjects.TextAt(row, codTarea));
  for (std::size_t t = 0; t < abbreviations.size() && !activities.empty(); ++t) {
    const auto& [code, task] = activities[t % activities.size()];
    Cell cell = planner.Place(abbreviations[t], "", static_cast<int>(t));
    entries.push_back({abbreviations[t], code, "", task, "", cell});
  }
  return entries;
}

void WriteSolution(const fs::path& dir, const std::vector<Entry>& entries) {
  // DIA and HORA are numeric fields, as the timetable program writes them.
  travalen::CreateTable(dir, "SOLUC.DBF",
                        {{"PROF", FieldKind::Text, 10},
                         {"DIA", FieldKind::Integer, 2},
                         {"HORA", FieldKind::Integer, 2},
                         {"ASIG", FieldKind::Text, 10},
                         {"CODGRUPO", FieldKind::Text, 10},
                         {"TAREA", FieldKind::Text, 10},
                         {"AULA", FieldKind::Text, 10}});
  DbfTable solution = DbfTable::Open(dir / "SOLUC.DBF");
  for (const Entry& e : entries) {
    solution.Append();
    solution.SetText("PROF", e.teacher);
    solution.SetInteger("DIA", e.cell.day);
    solution.SetInteger("HORA", e.cell.slot);
    solution.SetText("ASIG", e.subject);
    solution.SetText("CODGRUPO", e.group);
    solution.SetText("TAREA", e.task);
    solution.SetText("AULA", e.room);
    solution.Post();
  }
  solution.Close();
}

int Usage(std::ostream& out, int code) {
  out << "Uso: timetable-standin [--dir] CARPETA\n"
         "Lee PROFT, ASIGT, DIASHORAST, AULAT y ASIGNOMT de la carpeta de intercambio y\n"
         "escribe en ella SOLUC.DBF con un horario sencillo.\n";
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  fs::path dir;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "-h" || arg == "--help") return Usage(std::cout, 0);
    if (arg == "--dir" && i + 1 < argc && dir.empty()) {
      dir = argv[++i];
    } else if (!arg.starts_with("-") && dir.empty()) {
      dir = arg;
    } else {
      return Usage(std::cerr, 2);
    }
  }
  if (dir.empty()) return Usage(std::cerr, 2);

  try {
    const std::vector<Entry> entries = PlanTimetable(dir);
    WriteSolution(dir, entries);
    std::cout << "SOLUC.DBF: " << entries.size() << " filas escritas en " << dir.string() << "\n";
    return 0;
  } catch (const std::exception& failure) {
    std::cerr << "timetable-standin: " << failure.what() << "\n";
    return 1;
  }
}
