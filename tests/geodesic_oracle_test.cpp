// Geodesic times against answers found another way: an exact search over
// the visibility graph of small random plans, worked on the plan's own
// characters rather than the cell table; and the two bounds every time
// keeps on the sample station and the generated stations.
#include <algorithm>
#include <cstdint>
#include <iterator>
#include <limits>
#include <random>

#include "geodesic_support.h"
#include "plans.h"
#include "scene/reader.h"
#include "walks.h"

namespace {

using GeodesicOracle = SceneTest;

constexpr double kNone = std::numeric_limits<double>::infinity();
constexpr double kSecondsPerHalfCell = kStepTime / 2;  // a cell is two half cells wide

// The plan's grid, cell (c, r) from 0 at the lower left, spanning
// [2c, 2c + 2] x [2r, 2r + 2] in half cells.
struct Grid {
  std::vector<std::string> lines;  // top line first
};

const PlanSymbol* symbolAt(const Grid& g, int c, int r) {
  const int line = static_cast<int>(g.lines.size()) - 1 - r;
  if (c < 0 || r < 0 || line < 0 || c >= static_cast<int>(g.lines[line].size())) return nullptr;
  return findPlanSymbol(g.lines[line][c]);
}

bool isFloor(const Grid& g, int c, int r) {
  const PlanSymbol* s = symbolAt(g, c, r);
  return s != nullptr && s->kind != nullptr;
}

// The side between (c, r) and (c + dc, r + dr): walls sit on a cell's left
// or bottom side only.
bool open(const Grid& g, int c, int r, int dc, int dr) {
  if (!isFloor(g, c, r) || !isFloor(g, c + dc, r + dr)) return false;
  const PlanSymbol* s = symbolAt(g, std::max(c, c + dc), std::max(r, r + dr));
  return dc != 0 ? s->leftWall == 0 : s->bottomWall == 0;
}

// From a cell into the next one a straight segment meets: across a side,
// or through a vertex when an L-shaped route round it is open.
bool passes(const Grid& g, int c, int r, int dc, int dr) {
  if (dc == 0 || dr == 0) return open(g, c, r, dc, dr);
  return (open(g, c, r, dc, 0) && open(g, c + dc, r, 0, dr)) ||
         (open(g, c, r, 0, dr) && open(g, c, r + dr, dc, 0));
}

struct Spot {
  std::int64_t x, y;  // half cells
  int c, r;           // the cell the spot is taken in
};

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
  return a / b - (a % b != 0 && (a < 0) != (b < 0));
}

// Along a grid line: the cells on one side of it, a's first, b's last.
bool alongLine(const Grid& g, const Spot& a, const Spot& b) {
  const int sx = (b.x > a.x) - (b.x < a.x), sy = (b.y > a.y) - (b.y < a.y);
  const auto inBox = [&](std::int64_t x, std::int64_t y) {
    return x >= 2 * a.c && x <= 2 * a.c + 2 && y >= 2 * a.r && y <= 2 * a.r + 2;
  };
  if (!inBox(a.x, a.y) || !inBox(a.x + 2 * sx, a.y + 2 * sy)) return false;
  int c = a.c, r = a.r;
  for (std::int64_t i = 1; i < (std::llabs(b.x - a.x) + std::llabs(b.y - a.y)) / 2; ++i) {
    if (!open(g, c, r, sx, sy)) return false;
    c += sx;
    r += sy;
  }
  return c == b.c && r == b.r;
}

// A walker goes straight from a to b: split the segment wherever x or y is
// a whole number; each piece must lie in a floor cell and each piece pass
// into the next.
bool sees(const Grid& g, const Spot& a, const Spot& b) {
  const std::int64_t dx = b.x - a.x, dy = b.y - a.y, ax = std::llabs(dx), ay = std::llabs(dy);
  if (ax == 0 && ay == 0) {
    return (a.c == b.c && a.r == b.r) || (std::abs(a.c - b.c) + std::abs(a.r - b.r) == 1 &&
                                          open(g, a.c, a.r, b.c - a.c, b.r - a.r));
  }
  if ((ax == 0 && a.x % 2 == 0) || (ay == 0 && a.y % 2 == 0)) return alongLine(g, a, b);
  const std::int64_t whole = std::max<std::int64_t>(ax, 1) * std::max<std::int64_t>(ay, 1);
  const std::int64_t stepX = ax ? whole / ax : whole + 1, stepY = ay ? whole / ay : whole + 1;
  int c = a.c, r = a.r;
  for (std::int64_t t = 0, i = 1, j = 1; t < whole;) {
    const std::int64_t next = std::min(i * stepX, j * stepY);
    const std::int64_t mid = t + next;  // twice the piece's middle, in 1/whole
    const int pc = static_cast<int>(floorDiv(2 * whole * a.x + dx * mid, 4 * whole));
    const int pr = static_cast<int>(floorDiv(2 * whole * a.y + dy * mid, 4 * whole));
    if (!isFloor(g, pc, pr)) return false;
    if (t == 0 && (pc != a.c || pr != a.r)) return false;  // a corner leaves into its own cell
    if ((pc != c || pr != r) && !passes(g, c, r, pc - c, pr - r)) return false;
    c = pc;
    r = pr;
    i += next == i * stepX;
    j += next == j * stepY;
    t = next;
  }
  return c == b.c && r == b.r;
}

double length(const Spot& a, const Spot& b) {
  return std::hypot(static_cast<double>(a.x - b.x), static_cast<double>(a.y - b.y));
}

// Exact times (s) by cell of the grid, kNone where no exit leads: Dijkstra
// over exit centres and every corner of every floor cell, a corner taken
// once per cell round it, then each cell from the best spot it sees.
std::vector<double> oracleTimes(const Grid& g, int columns, int rows) {
  std::vector<Spot> spots;
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      const PlanSymbol* s = symbolAt(g, c, r);
      if (s != nullptr && s->exit) spots.push_back({2 * c + 1, 2 * r + 1, c, r});
    }
  }
  const std::size_t exits = spots.size();
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      for (int k = 0; k < 4 && isFloor(g, c, r); ++k) {
        spots.push_back({2 * c + 2 * (k & 1), 2 * r + (k & 2), c, r});
      }
    }
  }
  std::vector<double> best(spots.size(), kNone);
  std::vector<bool> done(spots.size(), false);
  std::fill(best.begin(), best.begin() + exits, 0.0);
  for (;;) {
    std::size_t u = spots.size();
    for (std::size_t i = 0; i < spots.size(); ++i) {
      if (!done[i] && best[i] < kNone && (u == spots.size() || best[i] < best[u])) u = i;
    }
    if (u == spots.size()) break;
    done[u] = true;
    for (std::size_t v = 0; v < spots.size(); ++v) {
      const double via = best[u] + length(spots[u], spots[v]);
      if (!done[v] && via < best[v] && sees(g, spots[v], spots[u])) best[v] = via;
    }
  }
  std::vector<double> times(static_cast<std::size_t>(columns) * rows, kNone);
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      const Spot centre{2 * c + 1, 2 * r + 1, c, r};
      double& t = times[c + r * columns];
      for (std::size_t q = 0; q < spots.size() && isFloor(g, c, r); ++q) {
        const double via = best[q] + length(centre, spots[q]);
        if (via < t && sees(g, centre, spots[q])) t = via;
      }
      t *= kSecondsPerHalfCell;
    }
  }
  return times;
}

// Rock, thin walls and floor at random, and two exits.
Grid randomPlan(std::mt19937& random, int columns, int rows) {
  Grid g{drawing(columns, rows, '.')};
  for (std::string& line : g.lines) {
    for (char& ch : line) {
      const unsigned roll = random() % 100;
      ch = roll < 10 ? ' ' : roll < 22 ? '|' : roll < 34 ? '_' : roll < 38 ? 'L' : '.';
    }
  }
  for (int e = 0; e < 2; ++e) g.lines[random() % rows][random() % columns] = 'E';
  return g;
}

TEST_F(GeodesicOracle, RandomPlansMatchTheVisibilityGraph) {
  std::mt19937 random(20240611);
  double worst = 0;  // largest relative excess over the exact time
  int cells = 0, off = 0;
  for (int plan = 0; plan < 40; ++plan) {
    const int columns = 9 + plan % 5, rows = 7 + plan % 3;
    const Grid g = randomPlan(random, columns, rows);
    runGeodesic(loadPlan(planText(g.lines)));
    const std::vector<double> exact = oracleTimes(g, columns, rows);
    for (int r = 0; r < rows; ++r) {
      for (int c = 0; c < columns; ++c) {
        const CellId id = cellAt(c + 1, r + 1);
        if (id == 0) continue;
        const double want = exact[c + r * columns];
        ++cells;
        if (want == kNone) {
          ASSERT_EQ(geodesic[id], kUnreachedTime) << "plan " << plan << " cell " << c << "," << r;
          continue;
        }
        ASSERT_GE(geodesic[id], want * (1 - 1e-6)) << "plan " << plan << " cell " << c << "," << r;
        if (want > 0) worst = std::max(worst, geodesic[id] / want - 1);
        off += geodesic[id] > want * (1 + 1e-6);
      }
    }
  }
  std::printf("%d cells, %d above the exact time, largest excess %.3g %%\n", cells, off, 100 * worst);
  EXPECT_LT(worst, 0.01);
  EXPECT_LT(off, cells / 100);
}

TEST_F(GeodesicOracle, WindingCorridorsMatchTheVisibilityGraph) {
  // By hand: E.. over __. over ... (rock at __). Cell (1, 1), centre (1, 1)
  // in map units, goes round the rock's corners (4, 2) and (4, 4) to the
  // exit's centre (1, 5); cell (2, 1), centre (3, 1), the same way.
  runGeodesic(loadPlan("E..\n  .\n...\n"));
  EXPECT_NEAR(geodesic[cellAt(1, 1)], 2 * (2 * std::sqrt(10.0) + 2), 1e-4);
  EXPECT_NEAR(geodesic[cellAt(2, 1)], 2 * (std::sqrt(2.0) + 2 + std::sqrt(10.0)), 1e-4);

  // A zig-zag of 160 cells, every cell against the exact search; then the
  // same corridor below a stair, whose street end is 8 s from the exit:
  // each cell takes those 8 s, 4 s across the join (one cell from centre
  // to centre) and the exact time from the stair's deep end.
  const Grid corridor{zigzag(160)};
  const int rows = static_cast<int>(corridor.lines.size());
  const std::vector<double> exact = oracleTimes(corridor, 3, rows);
  Drawing twoLevels = {"== level Street", "E.s", "  1", "== level Deep", "1"};
  for (const std::string& line : zigzag(160, 's')) twoLevels.push_back(line);
  for (const bool below : {false, true}) {
    SCOPED_TRACE(below ? "below a stair" : "alone");
    runGeodesic(below ? loadPlanWithJoins(planText(twoLevels)) : loadPlan(planText(corridor.lines)));
    const int firstColumn = below ? 3 + 4 + 1 : 1;  // Street's 3 columns, 4 of rock
    const double street = below ? 8 + 4 : 0;         // s
    int cells = 0;
    for (int r = 0; r < rows; ++r) {
      for (int c = 0; c < 3; ++c) {
        const CellId id = cellAt(firstColumn + c, r + 1);
        ASSERT_EQ(id == 0, exact[c + r * 3] == kNone) << c << "," << r;
        if (id == 0) continue;
        ++cells;
        const double want = street + exact[c + r * 3];
        ASSERT_NEAR(geodesic[id], want, 1e-5 * want) << c << "," << r;
      }
    }
    EXPECT_EQ(cells, 160);
  }
  setGeodesicJoins({});
}

// Side-move times (s) by the program's move rule, without its cut-off.
std::vector<double> sideMoveTimes(const std::vector<CellId>& exits) {
  std::vector<int> moves(kSlotCount);
  countMovesFromExits(exits.data(), static_cast<int>(exits.size()), moves.data());
  std::vector<double> t(kSlotCount, kNone);
  for (CellId c = 0; c <= kMaxCellId; ++c) {
    if (moves[c] != kNoWay) t[c] = moves[c] * kStepTime;
  }
  return t;
}

// geodesic <= side-move time, and >= the straight line to the nearest exit.
void expectBounds(const std::string& mesh, const std::string& exitText) {
  clearScene();
  readMeshText(mesh);
  TextCursor in = makeCursor(exitText);
  ExitList list;
  readExitList(in, list);
  std::vector<CellId> exits;  // slot 0 is never drawn
  std::copy_if(list.exits.begin(), list.exits.end(), std::back_inserter(exits),
               [](CellId e) { return e != 0; });
  runGeodesic(exits);
  const std::vector<double> moves = sideMoveTimes(exits);
  int reached = 0;
  for (CellId c = 1; c <= kMaxCellId; ++c) {
    if (!cellNamed[c]) continue;
    if (moves[c] == kNone) {
      ASSERT_EQ(geodesic[c], kUnreachedTime) << c;
      continue;
    }
    ++reached;
    double straight = kNone;
    for (CellId e : exits) straight = std::min(straight, distance(centreOf(c), centreOf(e)));
    ASSERT_LE(geodesic[c], moves[c]) << c;
    ASSERT_GE(geodesic[c], static_cast<float>(straight * kWalkPace)) << c;
  }
  EXPECT_GT(reached, 0);
}

TEST_F(GeodesicOracle, BoundsOnTheSampleStation) {
  const std::string mesh = readWholeFile(ORVIK_IN_DIR "/Mesh.csv");
  const std::string exitText = readWholeFile(ORVIK_IN_DIR "/ExitGrid.dat");
  ASSERT_FALSE(mesh.empty());
  expectBounds(mesh, exitText);
}

TEST_F(GeodesicOracle, BoundsOnGeneratedPlans) {
  for (const BenchPlan& plan : {stationPlan("station1k", 1000), stationPlan("station33k", 33000),
                                openRoomPlan("openCorner", 60, false)}) {
    SCOPED_TRACE(plan.name);
    expectBounds(plan.mesh, plan.exits);
  }
}

}  // namespace
