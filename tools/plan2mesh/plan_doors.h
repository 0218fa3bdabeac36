// Door names of a plan, shared by the files of plan2mesh only.
//
// A comment line whose first word is "door" names a door:
//   # door North stair = 8:19
// The position is a plan place, LINE:COLUMN of the plan file as typed (the
// place field 12 of the record holds), so it needs no level: a line of the
// file lies on one level only. It must be an exit cell; the name goes to
// every exit cell of that cell's door, the exit cells that a move joins (the
// rule orvik-check groups doors by).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "plan2mesh.h"

constexpr std::size_t kMaxDoorName = 64;  // bytes; as a level name, so the tags word stays short

// A door comment as read, before the cells are known.
struct DoorLine {
  std::string name;
  std::int64_t line;        // 1-based plan line of the comment
  std::int64_t nameColumn;  // 1-based character where the name begins
  std::int64_t placeColumn; // 1-based character where the position begins
  std::int64_t placeLine;   // the position: plan line ...
  std::int64_t placeChar;   // ... and character in it
};

// `line` a whole comment line: a door line is added to `doors`; any other
// comment is left alone. False, with `error` set, for a door line that is
// not "# door NAME = LINE:COLUMN", a name that is empty, longer than
// kMaxDoorName bytes or a whole number (orvik-check --block takes numbers).
bool readDoorLine(std::string_view line, std::int64_t planLine, std::vector<DoorLine>& doors,
                  PlanError& error);

// After the cells are collected: groups the exit cells into doors, gives
// each named door's cells its index and fills plan.doors. False, with
// `error` at the offending comment, for a position that is not an exit
// cell, a name given twice, or a second name for one door.
bool nameDoors(Plan& plan, const std::vector<DoorLine>& doors, PlanError& error);
