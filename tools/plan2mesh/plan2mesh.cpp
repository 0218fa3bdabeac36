// plan2mesh PLAN MESH_OUT EXIT_OUT: turns a text floor plan into orvik's
// mesh and exit files. Reading the plan's grid rows and writing the files'
// text; the level and join lines are read in levels.cpp, the joins made in
// joins.cpp.

#include "plan2mesh.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string>

#include "plan_doors.h"
#include "plan_levels.h"
#include "record_tags.h"

namespace {

// Uppercase adds a wall on the left side, the mirror-image letter one on the
// bottom side (for escalators and gates the upside-down letter), its
// uppercase both; plain floor uses the shapes of the walls themselves.
// Exits: 'E' has no wall, as it always had; 'e' a left wall, 'f' a bottom
// wall and 'F' both (upper case adding the left wall to 'f'). Only the
// exit itself can close its left or bottom side: no neighbour can.
// Digits are join labels (plan_levels.h), rock on the map.
constexpr PlanSymbol kPlanSymbols[] = {
    {' ', nullptr, false, 0, 0},      // rock
    {'=', nullptr, false, 0, 0},      // track bed: rock, drawn for the reader of the plan
    {'.', "floor", false, 0, 0},      {'|', "floor", false, 1, 0},
    {'_', "floor", false, 0, 1},      {'L', "floor", false, 1, 1},
    {'p', "platform", false, 0, 0},   {'P', "platform", false, 1, 0},
    {'q', "platform", false, 0, 1},   {'Q', "platform", false, 1, 1},
    {'s', kStairKind, false, 0, 0},   {'S', kStairKind, false, 1, 0},
    {'z', kStairKind, false, 0, 1},   {'Z', kStairKind, false, 1, 1},
    {'d', "service", false, 0, 0},    {'D', "service", false, 1, 0},
    {'b', "service", false, 0, 1},    {'B', "service", false, 1, 1},
    {'m', kEscalatorKind, false, 0, 0},  {'M', kEscalatorKind, false, 1, 0},
    {'w', kEscalatorKind, false, 0, 1},  {'W', kEscalatorKind, false, 1, 1},
    {'n', "gate", false, 0, 0},       {'N', "gate", false, 1, 0},
    {'u', "gate", false, 0, 1},       {'U', "gate", false, 1, 1},
    {'E', "exit", true, 0, 0},
    {'e', "exit", true, 1, 0},        {'f', "exit", true, 0, 1},
    {'F', "exit", true, 1, 1},
};

constexpr char kMeshHeader[] =
    "cell right bottom left top column row kind left_wall bottom_wall exit plan_place plan_char\n"
    "# made by plan2mesh; neighbour -1 = rock or the plan's edge; wall 1 = closed\n"
    "# column 1 at the left, row 1 at the bottom; cells numbered from the plan's top line\n";

// A grid row that holds a cell; rows of rock alone are only counted.
struct GridLine {
  std::int32_t level;       // index in PlanLayout::levels
  std::int64_t y;           // 0-based grid row from the level's top line
  std::int64_t planLine;    // 1-based line in the plan file
  std::string chars;        // up to its last cell
  std::vector<CellId> ids;  // cell number of each character, kNoCell for rock
};

std::string describeChar(char c) {
  const auto byte = static_cast<unsigned char>(c);
  char text[32];
  if (byte > ' ' && byte < 127) {
    std::snprintf(text, sizeof text, "'%c'", c);
  } else {
    std::snprintf(text, sizeof text, "byte 0x%02X", byte);
  }
  return text;
}

// A join label beside the cells: noted with its place, so that the joins
// can be made once every level is read. A label is rock on the map.
bool noteMark(const GridLine& line, std::size_t x, PlanLayout& layout, PlanError& error) {
  if (layout.marks.size() >= static_cast<std::size_t>(kMaxCellId)) {
    error = PlanError{line.planLine, static_cast<std::int64_t>(x + 1),
                      "more than " + std::to_string(kMaxCellId) + " join labels"};
    return false;
  }
  layout.marks.push_back(PlanMark{line.chars[x], line.level, line.y,
                                  static_cast<std::int64_t>(x), line.planLine});
  return true;
}

// The level learns where its first cell or label stands, how wide it is
// drawn and how many cells it holds.
void noteDrawn(const GridLine& line, std::size_t x, bool cell, LevelDrawing& level) {
  if (level.firstLine == 0) {
    level.firstLine = line.planLine;
    level.firstColumn = static_cast<std::int64_t>(x + 1);
  }
  level.width = std::max(level.width, static_cast<std::int64_t>(x + 1));
  if (cell) ++level.cells;
}

// Numbers the cells of one grid line in reading order; false at the first
// unknown character. Past the table's last slot the cells are only counted.
bool numberLine(GridLine& line, std::int64_t& cellCount, PlanLayout& layout, PlanError& error) {
  std::size_t last = 0;  // characters up to the last cell
  LevelDrawing& level = layout.levels[static_cast<std::size_t>(line.level)];
  line.ids.assign(line.chars.size(), kNoCell);
  for (std::size_t x = 0; x < line.chars.size(); ++x) {
    if (isJoinLabel(line.chars[x])) {
      if (!noteMark(line, x, layout, error)) return false;
      noteDrawn(line, x, false, level);
      continue;
    }
    const PlanSymbol* symbol = findPlanSymbol(line.chars[x]);
    if (symbol == nullptr) {
      error = PlanError{line.planLine, static_cast<std::int64_t>(x + 1),
                        "unknown character " + describeChar(line.chars[x])};
      return false;
    }
    if (symbol->kind == nullptr) continue;
    ++cellCount;
    if (cellCount <= kMaxCellId) line.ids[x] = static_cast<CellId>(cellCount);
    noteDrawn(line, x, true, level);
    last = x + 1;
  }
  line.chars.resize(last);
  line.ids.resize(last);
  return true;
}

CellId idAt(const GridLine* line, std::int64_t x) {
  if (line == nullptr || x < 0 || x >= static_cast<std::int64_t>(line->ids.size())) return kNoCell;
  return line->ids[static_cast<std::size_t>(x)];
}

// Stored line i's neighbour above or below, when it is the very next grid
// row of the same level.
const GridLine* lineAt(const std::vector<GridLine>& lines, std::size_t i, std::int32_t level,
                       std::int64_t y) {
  return i < lines.size() && lines[i].level == level && lines[i].y == y ? &lines[i] : nullptr;
}

void collectCells(const std::vector<GridLine>& lines, std::int64_t rowCount, Plan& plan) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const GridLine& line = lines[i];
    const GridLine* above = i > 0 ? lineAt(lines, i - 1, line.level, line.y - 1) : nullptr;
    const GridLine* below = lineAt(lines, i + 1, line.level, line.y + 1);
    const std::int32_t firstColumn =
        plan.levels.empty() ? 1 : plan.levels[static_cast<std::size_t>(line.level)].firstColumn;
    for (std::size_t x = 0; x < line.ids.size(); ++x) {
      if (line.ids[x] == kNoCell) continue;
      const auto at = static_cast<std::int64_t>(x);
      const char c = line.chars[x];
      // The next plan line lies below, since the top line is the highest row.
      plan.cells.push_back(PlanCell{idAt(&line, at + 1), idAt(below, at), idAt(&line, at - 1),
                                    idAt(above, at),
                                    static_cast<std::int32_t>(firstColumn + at),
                                    static_cast<std::int32_t>(rowCount - line.y), line.planLine,
                                    static_cast<std::int32_t>(x + 1), c, line.level, '\0', false,
                                    Travel::None, Travel::None});
      if (findPlanSymbol(c)->exit) plan.exits.push_back(line.ids[x]);
    }
  }
}

// Field 11: the exit flag and door name, the level's name, the join of the
// cell's run.
std::string recordTags(const Plan& plan, const PlanCell& c) {
  std::vector<TagItem> items;
  if (findPlanSymbol(c.symbol)->exit) items.emplace_back(kExitTag, "");
  if (c.door >= 0) items.emplace_back(kDoorTag, plan.doors[static_cast<std::size_t>(c.door)].name);
  if (!plan.levels.empty()) {
    items.emplace_back(kLevelTag, plan.levels[static_cast<std::size_t>(c.level)].name);
  }
  if (c.join != '\0') {
    items.emplace_back(kJoinTag, std::string(1, c.join));
    if (c.joinEnd) items.emplace_back(kJoinEndTag, "");
    items.emplace_back(kTowardTag, travelWord(c.toward));
    if (c.runs != Travel::None) items.emplace_back(kRunsTag, travelWord(c.runs));
  }
  return formatTags(items);
}

std::string meshRecordLine(const Plan& plan, CellId cell, const PlanCell& c) {
  const PlanSymbol& symbol = *findPlanSymbol(c.symbol);
  return std::to_string(cell) + ' ' + std::to_string(c.right) + ' ' + std::to_string(c.bottom) +
         ' ' + std::to_string(c.left) + ' ' + std::to_string(c.top) + ' ' +
         std::to_string(c.column) + ' ' + std::to_string(c.row) + ' ' + symbol.kind + ' ' +
         std::to_string(symbol.leftWall) + ' ' + std::to_string(symbol.bottomWall) + ' ' +
         recordTags(plan, c) + ' ' + std::to_string(c.planLine) + ':' +
         std::to_string(c.planColumn) + ' ' + c.symbol + '\n';
}

}  // namespace

const PlanSymbol* findPlanSymbol(char c) {
  for (const PlanSymbol& symbol : kPlanSymbols) {
    if (symbol.symbol == c) return &symbol;
  }
  return nullptr;
}

const PlanSymbol* planSymbolTable(std::size_t& count) {
  count = std::size(kPlanSymbols);
  return kPlanSymbols;
}

bool parsePlanFrom(TextCursor& in, Plan& plan, PlanError& error) {
  plan = Plan{};
  PlanLayout layout = startLayout();
  std::vector<GridLine> lines;
  std::vector<DoorLine> doorLines;
  std::int64_t cellCount = 0;
  GridLine line;
  bool longer = false;
  // One byte more than a line may hold, for the CR of a CR LF end.
  for (std::int64_t planLine = 1; readLine(in, line.chars, kMaxPlanColumns + 1, longer); ++planLine) {
    if (!line.chars.empty() && line.chars.back() == '\r') line.chars.pop_back();  // CRLF files
    // Refused where the bound is reached, a comment too: an endless line
    // (/dev/zero) would otherwise be read for ever.
    if (longer || line.chars.size() > kMaxPlanColumns) {
      error = PlanError{planLine, 0,
                        "line longer than " + std::to_string(kMaxPlanColumns) + " characters"};
      return false;
    }
    if (!line.chars.empty() && line.chars.front() == kPlanComment) {
      if (!readDoorLine(line.chars, planLine, doorLines, error)) return false;
      continue;
    }
    const Directive directive = readDirective(line.chars, planLine, plan, layout, error);
    if (directive == Directive::Refused) return false;
    if (directive == Directive::Read) continue;
    line.level = static_cast<std::int32_t>(layout.levels.size() - 1);
    line.y = layout.levels.back().rows++;
    line.planLine = planLine;
    if (!numberLine(line, cellCount, layout, error)) return false;
    if (!line.ids.empty() && cellCount <= kMaxCellId) lines.push_back(std::move(line));
    line = GridLine{};
  }
  if (cellCount > kMaxCellId) {
    error = PlanError{0, 0,
                      std::to_string(cellCount) + " cells; a mesh holds at most " +
                          std::to_string(kMaxCellId)};
    return false;
  }
  if (!placeLevels(plan, layout, error)) return false;
  collectCells(lines, gridRows(layout), plan);
  if (!linkJoins(plan, layout, error)) return false;
  if (plan.exits.empty()) {
    error = PlanError{0, 0, "no exit cell ('E'); every cell would stay unreached"};
    return false;
  }
  return nameDoors(plan, doorLines, error);
}

bool parsePlan(std::string_view text, Plan& plan, PlanError& error) {
  TextCursor in = makeCursor(text);
  return parsePlanFrom(in, plan, error);
}

std::string formatMesh(const Plan& plan) {
  std::string text = kMeshHeader;
  for (std::size_t i = 0; i < plan.cells.size(); ++i) {
    text += meshRecordLine(plan, static_cast<CellId>(i + 1), plan.cells[i]);
  }
  return text;
}

std::string formatExits(const Plan& plan) {
  std::string text;
  for (CellId exit : plan.exits) text += std::to_string(exit) + '\n';
  return text;
}

std::string describePlanError(std::string_view path, const PlanError& error) {
  std::string text(path);
  if (error.line > 0) text += ':' + std::to_string(error.line);
  if (error.column > 0) text += ':' + std::to_string(error.column);
  return text + ": " + error.message;
}

