#include "plans.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "files/output_file.h"
#include "scene/reader.h"

namespace {

constexpr int kRoomWidth = 8;                         // cells
constexpr int kRoomHeight = 6;                        // cells
constexpr int kCorridorWidth = 2;                     // cells
constexpr int kBand = kRoomHeight + kCorridorWidth;   // rows from one corridor to the next
constexpr int kPillarEvery = 16;                      // columns between pillars in a corridor
constexpr int kExitEvery = 96;                        // columns between exits in a corridor
constexpr char kHeaderText[] =
    "Cell,Right,Bottom,Left,Top,Column,Row,Kind,WallLeft,WallBottom,Height,Zone,Tag\n"
    "generated plan\n"
    "---\n";

// The grid a generator fills: 0 for rock, else the cell number.
struct Grid {
  int columns = 0, rows = 0;
  std::vector<int> id;                // column + row * columns, both 0-based
  std::vector<char> leftWall, bottomWall;
  int at(int c, int r) const {
    if (c < 0 || c >= columns || r < 0 || r >= rows) return -1;
    const int n = id[c + r * columns];
    return n == 0 ? -1 : n;
  }
};

Grid makeGrid(int columns, int rows) {
  Grid g;
  g.columns = columns;
  g.rows = rows;
  g.id.assign(static_cast<std::size_t>(columns) * rows, 1);
  g.leftWall.assign(g.id.size(), 0);
  g.bottomWall.assign(g.id.size(), 0);
  return g;
}

// Numbers the floor cells row by row from the bottom, 1 upwards.
int numberCells(Grid& g) {
  int next = 0;
  for (int& n : g.id) n = n == 0 ? 0 : ++next;
  return next;
}

std::string meshText(const Grid& g) {
  std::string text = kHeaderText;
  char line[160];
  for (int r = 0; r < g.rows; ++r) {
    for (int c = 0; c < g.columns; ++c) {
      const int i = c + r * g.columns;
      if (g.id[i] == 0) continue;
      std::snprintf(line, sizeof line, "%d %d %d %d %d %d %d FLOOR %d %d 2.5 Z%d -\n", g.id[i],
                    g.at(c + 1, r), g.at(c, r - 1), g.at(c - 1, r), g.at(c, r + 1), c + 1, r + 1,
                    g.leftWall[i], g.bottomWall[i], r / kBand);
      text += line;
    }
  }
  return text;
}

bool isCorridorRow(int r) { return r % kBand < kCorridorWidth; }

void writeFile(const std::string& path, const std::string& text) {
  if (!writeWholeFile(path.c_str(), text)) {
    std::perror(path.c_str());
    std::exit(1);
  }
}

}  // namespace

BenchPlan stationPlan(const std::string& name, int targetCells) {
  const int columns = static_cast<int>(std::lround(std::sqrt(2.0 * targetCells)));
  const int rows = targetCells / columns;
  Grid g = makeGrid(columns, rows);
  for (int r = 0; r < rows; ++r) {
    const int inBand = r % kBand;
    for (int c = 0; c < columns; ++c) {
      const int i = c + r * columns;
      const int inRoom = c % kRoomWidth;
      const bool doorColumn = inRoom == 3 || inRoom == 4;
      if (isCorridorRow(r)) {
        if (c % kPillarEvery >= 8 && c % kPillarEvery < 10) g.id[i] = 0;  // pillar
        // A corridor's lower row sits on the top row of the rooms below.
        if (inBand == 0 && r > 0 && !doorColumn) g.bottomWall[i] = 1;
      } else {
        if (inBand == kCorridorWidth && !doorColumn) g.bottomWall[i] = 1;  // onto the corridor
        const bool doorRow = inBand - kCorridorWidth == kRoomHeight / 2;
        if (inRoom == 0 && c > 0 && !doorRow) g.leftWall[i] = 1;  // between two rooms
      }
    }
  }
  BenchPlan plan;
  plan.name = name;
  plan.cells = numberCells(g);
  plan.mesh = meshText(g);
  for (int r = 0; r < rows; r += kBand) {
    for (int c = 0; c < columns; ++c) {
      const bool exitColumn = c % kExitEvery == 0 || c == columns - 1;
      if (exitColumn && g.at(c, r) > 0) plan.exits += std::to_string(g.at(c, r)) + "\n";
    }
  }
  return plan;
}

BenchPlan openRoomPlan(const std::string& name, int side, bool exitInMiddle) {
  Grid g = makeGrid(side, side);
  BenchPlan plan;
  plan.name = name;
  plan.cells = numberCells(g);
  plan.mesh = meshText(g);
  const int at = exitInMiddle ? side / 2 : 0;
  plan.exits = std::to_string(g.at(at, at)) + "\n";
  return plan;
}

std::string fileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool samplePlan(BenchPlan& plan) {
  plan.name = "sample";
  plan.mesh = fileText(kMeshPath);
  plan.exits = fileText(kExitPath);
  if (plan.mesh.empty()) return false;
  TextCursor in = makeCursor(plan.mesh);
  MeshRecord record{};
  FieldFailure failure{};
  plan.cells = 0;
  if (skipMeshHeader(in)) {
    while (readMeshRecord(in, record, failure)) ++plan.cells;
  }
  plan.runDir = std::filesystem::current_path().string();
  return true;
}

void writePlanFiles(const std::string& root, std::vector<BenchPlan>& plans) {
  for (BenchPlan& plan : plans) {
    if (!plan.runDir.empty()) continue;  // the sample
    const std::string base = root + "/" + plan.name;
    std::filesystem::create_directories(base + "/in");
    std::filesystem::create_directories(base + "/run");
    writeFile(base + "/in/Mesh.csv", plan.mesh);
    writeFile(base + "/in/ExitGrid.dat", plan.exits);
    plan.runDir = base + "/run";
  }
}

std::string makeTempRoot() {
  std::string pattern = (std::filesystem::temp_directory_path() / "orvik-bench-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    std::perror("mkdtemp");
    std::exit(1);
  }
  return pattern;
}

void removeTempRoot(const std::string& root) { std::filesystem::remove_all(root); }
