// Door names: the "# door NAME = LINE:COLUMN" comments read while the plan
// is, and given to the exit cells of each door once the cells are known.
#include <algorithm>
#include <map>

#include "door_groups.h"
#include "plan_doors.h"

namespace {

constexpr std::string_view kDoorWord = "door";
constexpr int kMaxPlaceDigits = 18;  // a line or column number that still fits 64 bits

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::size_t skipBlanks(std::string_view text, std::size_t at) {
  while (at < text.size() && isBlank(text[at])) ++at;
  return at;
}

std::size_t trimEnd(std::string_view text, std::size_t start, std::size_t end) {
  while (end > start && isBlank(text[end - 1])) --end;
  return end;
}

bool allDigits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "LINE:COLUMN", both decimal and from 1.
bool readPlace(std::string_view text, std::int64_t& line, std::int64_t& column) {
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos) return false;
  const std::string_view a = text.substr(0, colon);
  const std::string_view b = text.substr(colon + 1);
  if (!allDigits(a) || !allDigits(b) || a.size() > kMaxPlaceDigits || b.size() > kMaxPlaceDigits) {
    return false;
  }
  line = std::stoll(std::string(a));
  column = std::stoll(std::string(b));
  return line > 0 && column > 0;
}

bool refuse(PlanError& error, std::int64_t line, std::int64_t column, std::string message) {
  error = PlanError{line, column, std::move(message)};
  return false;
}

const PlanCell& cellOf(const Plan& plan, CellId id) { return plan.cells[static_cast<std::size_t>(id - 1)]; }

bool isExit(const Plan& plan, CellId id) { return findPlanSymbol(cellOf(plan, id).symbol)->exit; }

// The door of each exit cell by door_groups.h: exit cells that a move joins
// are one door, side by side with the facing sides open. Walls stand only
// on left and bottom sides, so the side between a cell and its right
// neighbour is that neighbour's left side, and the one to the cell below is
// the cell's own bottom side. Indexed by cell number; -1 for other cells.
std::vector<int> doorOfCells(const Plan& plan) {
  std::vector<int> exitIndex(plan.cells.size() + 1, -1);
  for (std::size_t i = 0; i < plan.exits.size(); ++i) exitIndex[static_cast<std::size_t>(plan.exits[i])] = static_cast<int>(i);
  std::vector<std::pair<int, int>> joined;
  for (std::size_t i = 0; i < plan.exits.size(); ++i) {
    const PlanCell& c = cellOf(plan, plan.exits[i]);
    if (c.right != kNoCell && isExit(plan, c.right) &&
        findPlanSymbol(cellOf(plan, c.right).symbol)->leftWall == 0) {
      joined.emplace_back(static_cast<int>(i), exitIndex[static_cast<std::size_t>(c.right)]);
    }
    if (c.bottom != kNoCell && isExit(plan, c.bottom) && findPlanSymbol(c.symbol)->bottomWall == 0) {
      joined.emplace_back(static_cast<int>(i), exitIndex[static_cast<std::size_t>(c.bottom)]);
    }
  }
  const std::vector<int> doorOfExit = groupDoors(static_cast<int>(plan.exits.size()), joined);
  std::vector<int> door(plan.cells.size() + 1, -1);
  for (std::size_t i = 0; i < plan.exits.size(); ++i) door[static_cast<std::size_t>(plan.exits[i])] = doorOfExit[i];
  return door;
}

// The cell at a plan place; cells are numbered in reading order, so their
// places ascend.
CellId cellAtPlace(const Plan& plan, std::int64_t line, std::int64_t column) {
  const auto it = std::lower_bound(plan.cells.begin(), plan.cells.end(), std::make_pair(line, column),
                                   [](const PlanCell& c, const std::pair<std::int64_t, std::int64_t>& p) {
                                     return std::make_pair(c.planLine, std::int64_t{c.planColumn}) < p;
                                   });
  if (it == plan.cells.end() || it->planLine != line || it->planColumn != column) return kNoCell;
  return static_cast<CellId>(it - plan.cells.begin() + 1);
}

std::string whatStandsThere(const Plan& plan, CellId id) {
  if (id == kNoCell) return "no cell (rock, a label or beyond the plan)";
  return std::string("a ") + findPlanSymbol(cellOf(plan, id).symbol)->kind + " cell";
}

}  // namespace

bool readDoorLine(std::string_view line, std::int64_t planLine, std::vector<DoorLine>& doors,
                  PlanError& error) {
  const std::size_t wordAt = skipBlanks(line, 1);
  const std::size_t afterWord = wordAt + kDoorWord.size();
  if (line.substr(wordAt, kDoorWord.size()) != kDoorWord ||
      (afterWord < line.size() && !isBlank(line[afterWord]))) {
    return true;  // a plain comment
  }
  const std::size_t equals = line.rfind('=');
  if (equals == std::string_view::npos || equals < afterWord) {
    return refuse(error, planLine, 1, "a door line is '# door NAME = LINE:COLUMN'");
  }
  const std::size_t nameAt = skipBlanks(line, afterWord);
  const std::size_t nameEnd = trimEnd(line, nameAt, equals);
  const std::size_t placeAt = skipBlanks(line, equals + 1);
  const std::size_t placeEnd = trimEnd(line, placeAt, line.size());
  DoorLine door{std::string(line.substr(nameAt, nameEnd - nameAt)), planLine,
                static_cast<std::int64_t>(nameAt + 1), static_cast<std::int64_t>(placeAt + 1), 0, 0};
  if (door.name.empty()) return refuse(error, planLine, door.nameColumn, "a door needs a name");
  if (door.name.size() > kMaxDoorName) {
    return refuse(error, planLine, door.nameColumn,
                  "door name longer than " + std::to_string(kMaxDoorName) + " bytes");
  }
  if (allDigits(door.name)) {
    return refuse(error, planLine, door.nameColumn,
                  "a door name cannot be a number: orvik-check --block takes door numbers");
  }
  if (!readPlace(line.substr(placeAt, placeEnd - placeAt), door.placeLine, door.placeChar)) {
    return refuse(error, planLine, door.placeColumn,
                  "the position of a door is LINE:COLUMN of one of its exit cells in this file");
  }
  if (doors.size() >= static_cast<std::size_t>(kMaxCellId)) {
    return refuse(error, planLine, 1, "more than " + std::to_string(kMaxCellId) + " door names");
  }
  doors.push_back(std::move(door));
  return true;
}

bool nameDoors(Plan& plan, const std::vector<DoorLine>& doors, PlanError& error) {
  plan.doors.clear();
  if (doors.empty()) return true;
  const std::vector<int> doorOfCell = doorOfCells(plan);
  std::map<int, std::size_t> namedDoor;            // door of doorOfCells -> index in plan.doors
  std::map<std::string, std::size_t> doorOfName;   // into plan.doors
  for (const DoorLine& d : doors) {
    const CellId cell = cellAtPlace(plan, d.placeLine, d.placeChar);
    const std::string where = std::to_string(d.placeLine) + ':' + std::to_string(d.placeChar);
    if (cell == kNoCell || !isExit(plan, cell)) {
      return refuse(error, d.line, d.placeColumn,
                    "the door " + d.name + " is placed at " + where + ", which is " +
                        whatStandsThere(plan, cell) + ", not an exit cell");
    }
    const auto named = doorOfName.find(d.name);
    if (named != doorOfName.end()) {
      return refuse(error, d.line, d.nameColumn,
                    "the door name " + d.name + " is given already on line " +
                        std::to_string(plan.doors[named->second].line));
    }
    const int r = doorOfCell[static_cast<std::size_t>(cell)];
    const auto door = namedDoor.find(r);
    if (door != namedDoor.end()) {
      const PlanDoor& other = plan.doors[door->second];
      return refuse(error, d.line, d.placeColumn,
                    "the exit cell at " + where + " belongs to the door named " + other.name +
                        " on line " + std::to_string(other.line) + "; a door has one name");
    }
    namedDoor.emplace(r, plan.doors.size());
    doorOfName.emplace(d.name, plan.doors.size());
    plan.doors.push_back(PlanDoor{d.name, d.line, cell});
  }
  for (const CellId e : plan.exits) {
    const auto door = namedDoor.find(doorOfCell[static_cast<std::size_t>(e)]);
    if (door != namedDoor.end()) {
      plan.cells[static_cast<std::size_t>(e - 1)].door = static_cast<std::int32_t>(door->second);
    }
  }
  return true;
}
