// plan2mesh PLAN MESH_OUT EXIT_OUT: turns a text floor plan into orvik's
// mesh and exit files.

#include "plan2mesh.h"

#include <cstdio>
#include <string>

#include "scene/reader.h"

namespace {

// Uppercase adds a wall on the left side, the mirror-image letter one on the
// bottom side, the uppercase mirror letter both; plain floor uses the shapes
// of the walls themselves.
constexpr PlanSymbol kPlanSymbols[] = {
    {' ', nullptr, false, 0, 0},      // rock
    {'=', nullptr, false, 0, 0},      // track bed: rock, drawn for the reader of the plan
    {'.', "floor", false, 0, 0},      {'|', "floor", false, 1, 0},
    {'_', "floor", false, 0, 1},      {'L', "floor", false, 1, 1},
    {'p', "platform", false, 0, 0},   {'P', "platform", false, 1, 0},
    {'q', "platform", false, 0, 1},   {'Q', "platform", false, 1, 1},
    {'s', "stair", false, 0, 0},      {'S', "stair", false, 1, 0},
    {'z', "stair", false, 0, 1},      {'Z', "stair", false, 1, 1},
    {'d', "service", false, 0, 0},    {'D', "service", false, 1, 0},
    {'b', "service", false, 0, 1},    {'B', "service", false, 1, 1},
    {'E', "exit", true, 0, 0},
};

constexpr char kMeshHeader[] =
    "cell right bottom left top column row kind left_wall bottom_wall exit plan_place plan_char\n"
    "# made by plan2mesh; neighbour -1 = rock or the plan's edge; wall 1 = closed\n"
    "# column 1 at the left, row 1 at the bottom; cells numbered from the plan's top line\n";

constexpr char kUsage[] = "usage: plan2mesh PLAN MESH_OUT EXIT_OUT\n";

// The plan's grid rows, top first, as views into the plan text.
struct GridLine {
  std::string_view chars;
  std::int32_t planLine;  // 1-based
};

std::vector<GridLine> splitGridLines(std::string_view text) {
  std::vector<GridLine> lines;
  std::int32_t planLine = 0;
  while (!text.empty()) {
    ++planLine;
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);  // CRLF files
    if (!line.empty() && line.front() == kPlanComment) continue;
    lines.push_back(GridLine{line, planLine});
  }
  return lines;
}

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

// Numbers the cells in reading order; kNoCell for rock. False at the first
// unknown character.
bool numberCells(const std::vector<GridLine>& lines, std::vector<std::vector<CellId>>& ids,
                 std::int64_t& cellCount, PlanError& error) {
  ids.assign(lines.size(), {});
  cellCount = 0;
  for (std::size_t y = 0; y < lines.size(); ++y) {
    const std::string_view chars = lines[y].chars;
    ids[y].assign(chars.size(), kNoCell);
    for (std::size_t x = 0; x < chars.size(); ++x) {
      const PlanSymbol* symbol = findPlanSymbol(chars[x]);
      if (symbol == nullptr) {
        error = PlanError{lines[y].planLine, static_cast<std::int32_t>(x + 1),
                          "unknown character " + describeChar(chars[x])};
        return false;
      }
      if (symbol->kind == nullptr) continue;
      ++cellCount;
      // Past the table's last slot the numbers are only counted, for the message.
      if (cellCount <= kMaxCellId) ids[y][x] = static_cast<CellId>(cellCount);
    }
  }
  return true;
}

CellId idAt(const std::vector<std::vector<CellId>>& ids, std::int64_t y, std::int64_t x) {
  if (y < 0 || y >= static_cast<std::int64_t>(ids.size())) return kNoCell;
  if (x < 0 || x >= static_cast<std::int64_t>(ids[y].size())) return kNoCell;
  return ids[y][x];
}

void collectCells(const std::vector<GridLine>& lines, const std::vector<std::vector<CellId>>& ids,
                  Plan& plan) {
  const auto rowCount = static_cast<std::int64_t>(lines.size());
  for (std::int64_t y = 0; y < rowCount; ++y) {
    for (std::int64_t x = 0; x < static_cast<std::int64_t>(ids[y].size()); ++x) {
      if (ids[y][x] == kNoCell) continue;
      const char c = lines[y].chars[x];
      // Plan line y + 1 lies below line y, since the top line is the highest row.
      plan.cells.push_back(PlanCell{idAt(ids, y, x + 1), idAt(ids, y + 1, x), idAt(ids, y, x - 1),
                                    idAt(ids, y - 1, x), static_cast<std::int32_t>(x + 1),
                                    static_cast<std::int32_t>(rowCount - y), lines[y].planLine,
                                    c});
      if (findPlanSymbol(c)->exit) plan.exits.push_back(ids[y][x]);
    }
  }
}

std::string meshRecordLine(CellId cell, const PlanCell& c) {
  const PlanSymbol& symbol = *findPlanSymbol(c.symbol);
  return std::to_string(cell) + ' ' + std::to_string(c.right) + ' ' + std::to_string(c.bottom) +
         ' ' + std::to_string(c.left) + ' ' + std::to_string(c.top) + ' ' +
         std::to_string(c.column) + ' ' + std::to_string(c.row) + ' ' + symbol.kind + ' ' +
         std::to_string(symbol.leftWall) + ' ' + std::to_string(symbol.bottomWall) + ' ' +
         (symbol.exit ? "exit" : "-") + ' ' + std::to_string(c.planLine) + ':' +
         std::to_string(c.column) + ' ' + c.symbol + '\n';
}

// The whole file in one write, so that a full disk shows as a short write.
bool writeFileBytes(const char* path, const std::string& bytes) {
  std::FILE* file = std::fopen(path, "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace

const PlanSymbol* findPlanSymbol(char c) {
  for (const PlanSymbol& symbol : kPlanSymbols) {
    if (symbol.symbol == c) return &symbol;
  }
  return nullptr;
}

bool parsePlan(std::string_view text, Plan& plan, PlanError& error) {
  plan = Plan{};
  const std::vector<GridLine> lines = splitGridLines(text);
  std::vector<std::vector<CellId>> ids;
  std::int64_t cellCount = 0;
  if (!numberCells(lines, ids, cellCount, error)) return false;
  if (cellCount > kMaxCellId) {
    error = PlanError{0, 0,
                      std::to_string(cellCount) + " cells; a mesh holds at most " +
                          std::to_string(kMaxCellId)};
    return false;
  }
  collectCells(lines, ids, plan);
  if (plan.exits.empty()) {
    error = PlanError{0, 0, "no exit cell ('E'); every cell would stay unreached"};
    return false;
  }
  return true;
}

std::string formatMesh(const Plan& plan) {
  std::string text = kMeshHeader;
  for (std::size_t i = 0; i < plan.cells.size(); ++i) {
    text += meshRecordLine(static_cast<CellId>(i + 1), plan.cells[i]);
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

int runPlan2mesh(int argc, const char* const* argv) {
  if (argc != 4) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  const char* planPath = argv[1];
  std::string text;
  if (!loadFileBytes(planPath, text)) {
    std::fprintf(stderr, "plan2mesh: cannot read %s\n", planPath);
    return 1;
  }
  Plan plan;
  PlanError error;
  if (!parsePlan(text, plan, error)) {
    std::fprintf(stderr, "plan2mesh: %s\n", describePlanError(planPath, error).c_str());
    return 1;
  }
  for (int i = 2; i <= 3; ++i) {
    if (!writeFileBytes(argv[i], i == 2 ? formatMesh(plan) : formatExits(plan))) {
      std::fprintf(stderr, "plan2mesh: cannot write %s\n", argv[i]);
      return 1;
    }
  }
  return 0;
}

// The tests link this file without its entry point and call runPlan2mesh.
