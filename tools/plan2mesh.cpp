// plan2mesh PLAN MESH_OUT EXIT_OUT: turns a text floor plan into orvik's
// mesh and exit files.

#include "plan2mesh.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "files/output_file.h"
#include "record_tags.h"

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

// A grid row that holds a cell; rows of rock alone are only counted.
struct GridLine {
  std::int64_t y;           // 0-based grid row from the top line of the plan
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

// Numbers the cells of one grid line in reading order; false at the first
// unknown character. Past the table's last slot the cells are only counted.
bool numberLine(GridLine& line, std::int64_t& cellCount, PlanError& error) {
  std::size_t last = 0;  // characters up to the last cell
  line.ids.assign(line.chars.size(), kNoCell);
  for (std::size_t x = 0; x < line.chars.size(); ++x) {
    const PlanSymbol* symbol = findPlanSymbol(line.chars[x]);
    if (symbol == nullptr) {
      error = PlanError{line.planLine, static_cast<std::int64_t>(x + 1),
                        "unknown character " + describeChar(line.chars[x])};
      return false;
    }
    if (symbol->kind == nullptr) continue;
    ++cellCount;
    if (cellCount <= kMaxCellId) line.ids[x] = static_cast<CellId>(cellCount);
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

// Stored line i's neighbour above or below, when it is the very next grid row.
const GridLine* lineAt(const std::vector<GridLine>& lines, std::size_t i, std::int64_t y) {
  return i < lines.size() && lines[i].y == y ? &lines[i] : nullptr;
}

void collectCells(const std::vector<GridLine>& lines, std::int64_t rowCount, Plan& plan) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const GridLine& line = lines[i];
    const GridLine* above = i > 0 ? lineAt(lines, i - 1, line.y - 1) : nullptr;
    const GridLine* below = lineAt(lines, i + 1, line.y + 1);
    for (std::size_t x = 0; x < line.ids.size(); ++x) {
      if (line.ids[x] == kNoCell) continue;
      const auto at = static_cast<std::int64_t>(x);
      const char c = line.chars[x];
      // The next plan line lies below, since the top line is the highest row.
      plan.cells.push_back(PlanCell{idAt(&line, at + 1), idAt(below, at), idAt(&line, at - 1),
                                    idAt(above, at), static_cast<std::int32_t>(x + 1),
                                    static_cast<std::int32_t>(rowCount - line.y), line.planLine,
                                    c});
      if (findPlanSymbol(c)->exit) plan.exits.push_back(line.ids[x]);
    }
  }
}

std::string meshRecordLine(CellId cell, const PlanCell& c) {
  const PlanSymbol& symbol = *findPlanSymbol(c.symbol);
  return std::to_string(cell) + ' ' + std::to_string(c.right) + ' ' + std::to_string(c.bottom) +
         ' ' + std::to_string(c.left) + ' ' + std::to_string(c.top) + ' ' +
         std::to_string(c.column) + ' ' + std::to_string(c.row) + ' ' + symbol.kind + ' ' +
         std::to_string(symbol.leftWall) + ' ' + std::to_string(symbol.bottomWall) + ' ' +
         formatTags(symbol.exit ? std::vector<TagItem>{{kExitTag, ""}} : std::vector<TagItem>{}) +
         ' ' + std::to_string(c.planLine) + ':' +
         std::to_string(c.column) + ' ' + c.symbol + '\n';
}

}  // namespace

const PlanSymbol* findPlanSymbol(char c) {
  for (const PlanSymbol& symbol : kPlanSymbols) {
    if (symbol.symbol == c) return &symbol;
  }
  return nullptr;
}

bool parsePlanFrom(TextCursor& in, Plan& plan, PlanError& error) {
  plan = Plan{};
  std::vector<GridLine> lines;
  std::int64_t cellCount = 0;
  std::int64_t y = 0;
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
    if (!line.chars.empty() && line.chars.front() == kPlanComment) continue;
    line.y = y++;
    line.planLine = planLine;
    if (!numberLine(line, cellCount, error)) return false;
    if (!line.ids.empty() && cellCount <= kMaxCellId) lines.push_back(std::move(line));
    line = GridLine{};
  }
  if (cellCount > kMaxCellId) {
    error = PlanError{0, 0,
                      std::to_string(cellCount) + " cells; a mesh holds at most " +
                          std::to_string(kMaxCellId)};
    return false;
  }
  collectCells(lines, y, plan);
  if (plan.exits.empty()) {
    error = PlanError{0, 0, "no exit cell ('E'); every cell would stay unreached"};
    return false;
  }
  return true;
}

bool parsePlan(std::string_view text, Plan& plan, PlanError& error) {
  TextCursor in = makeCursor(text);
  return parsePlanFrom(in, plan, error);
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

namespace {

bool distinctPaths(const char* const* argv) {
  static const char* const kRoles[] = {"", "the plan", "the mesh file", "the exit file"};
  for (int i = 1; i <= 3; ++i) {
    for (int j = i + 1; j <= 3; ++j) {
      if (!sameFile(argv[i], argv[j])) continue;
      std::fprintf(stderr, "plan2mesh: %s and %s are the same file (%s); nothing written\n",
                   kRoles[i], kRoles[j], argv[j]);
      return false;
    }
  }
  return true;
}

bool reportWriteFailure(const char* path) {
  std::fprintf(stderr, "plan2mesh: cannot write %s: %s; nothing written\n", path,
               std::strerror(errno));
  return false;
}

// Both files whole in their temporary places before either replaces its target.
bool writeBoth(const char* meshPath, const std::string& mesh, const char* exitPath,
               const std::string& exits) {
  OutputFile out[2]{};
  const char* paths[2] = {meshPath, exitPath};
  const std::string* texts[2] = {&mesh, &exits};
  for (int k = 0; k < 2; ++k) {
    if (!openOutputFile(paths[k], out[k]) || !writeOutput(out[k], texts[k]->data(), texts[k]->size()) ||
        !finishOutputFile(out[k])) {
      reportWriteFailure(paths[k]);
      discardOutputFile(out[0]);
      discardOutputFile(out[1]);
      return false;
    }
  }
  if (!placeOutputFile(out[0])) {
    discardOutputFile(out[1]);
    return reportWriteFailure(meshPath);
  }
  if (!placeOutputFile(out[1])) {
    std::fprintf(stderr, "plan2mesh: %s is written, but %s could not replace the old one: %s\n",
                 meshPath, exitPath, std::strerror(errno));
    return false;
  }
  return true;
}

}  // namespace

int runPlan2mesh(int argc, const char* const* argv) {
  if (argc != 4) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  if (!distinctPaths(argv)) return 1;
  const char* planPath = argv[1];
  TextCursor in{};
  errno = 0;
  if (!openFileCursor(planPath, in)) {
    std::fprintf(stderr, "plan2mesh: cannot read %s: %s\n", planPath, std::strerror(errno));
    return 1;
  }
  Plan plan;
  PlanError error;
  const bool parsed = parsePlanFrom(in, plan, error);
  const int readError = in.readError;
  closeCursor(in);
  if (readError != 0) {
    std::fprintf(stderr, "plan2mesh: cannot read %s: %s\n", planPath, std::strerror(readError));
    return 1;
  }
  if (!parsed) {
    std::fprintf(stderr, "plan2mesh: %s\n", describePlanError(planPath, error).c_str());
    return 1;
  }
  return writeBoth(argv[2], formatMesh(plan), argv[3], formatExits(plan)) ? 0 : 1;
}
