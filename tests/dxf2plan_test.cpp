// dxf2plan's parts without files: the geometry of bulges and block maps,
// walls and floor shapes on the grid against oracles of their own, the DXF
// reader's refusals, layer roles, and the plan text.
#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "dxf_read.h"
#include "geometry.h"
#include "plan2mesh.h"
#include "plan_grid.h"
#include "raster.h"
#include "roles.h"
#include "scene/scene.h"

namespace {

double distanceTo(Vec2 p, Vec2 c) { return std::hypot(p.x - c.x, p.y - c.y); }

TEST(Geometry, BulgesAndArcsLieOnTheirCircles) {
  // Bulge 1 from (0,-1) to (0,1): a half circle round the origin, counter-
  // clockwise, so on the right.
  const Loop half{{{{0, -1}, 1.0}, {{0, 1}, 0.0}}, false};
  const std::vector<Vec2> points = flattenLoop(half, 0.01);
  ASSERT_GT(points.size(), 8u);
  for (Vec2 p : points) {
    EXPECT_NEAR(distanceTo(p, {0, 0}), 1.0, 1e-12);
    EXPECT_GE(p.x, -1e-12);
  }
  // Mirrored, the same half circle lies on the left.
  const Figure mirrored = transformFigure(Figure{{half}, false}, Affine{-1, 0, 0, 1, 0, 0}, 0.01);
  for (Vec2 p : flattenLoop(mirrored.loops[0], 0.01)) EXPECT_LE(p.x, 1e-12);
  // An arc of 270 degrees from 0: from (2,1) round through (1,2) and (0,1) to (1,0).
  const std::vector<Vec2> arc = flattenLoop(arcLoop({1, 1}, 1, 0, 270), 0.001);
  EXPECT_NEAR(arc.front().x, 2, 1e-12);
  EXPECT_NEAR(arc.back().y, 0, 1e-12);
  for (Vec2 p : arc) {
    EXPECT_NEAR(distanceTo(p, {1, 1}), 1.0, 1e-12);
    EXPECT_FALSE(p.x > 1.01 && p.y < 0.99);  // the missing quarter
  }
}

TEST(Geometry, InsertMapScalesTurnsAndMovesTheBasePoint) {
  // Base (1,0) to (10,5); scale (2,-1); turned 90 degrees.
  const Affine m = insertAffine({10, 5}, {1, 0}, 2, -1, 90, 0, 0);
  const Vec2 base = apply(m, {1, 0}), alongX = apply(m, {2, 0}), alongY = apply(m, {1, 1});
  EXPECT_NEAR(base.x, 10, 1e-12);
  EXPECT_NEAR(base.y, 5, 1e-12);
  EXPECT_NEAR(alongX.x, 10, 1e-12);  // (1,0) scaled to (2,0), turned to (0,2)
  EXPECT_NEAR(alongX.y, 7, 1e-12);
  EXPECT_NEAR(alongY.x, 11, 1e-12);  // (0,1) scaled to (0,-1), turned to (1,0)
  EXPECT_NEAR(alongY.y, 5, 1e-12);
  // An array copy one column on moves along the turned x axis, unscaled.
  const Vec2 copy = apply(insertAffine({10, 5}, {1, 0}, 2, -1, 90, 3, 0), {1, 0});
  EXPECT_NEAR(copy.x, 10, 1e-12);
  EXPECT_NEAR(copy.y, 8, 1e-12);
  // A circle scaled (2,1) becomes an ellipse: its arcs are cut into chords on it.
  const Figure ellipse = transformFigure(Figure{{circleLoop({0, 0}, 1)}, false}, Affine{2, 0, 0, 1, 0, 0}, 0.001);
  for (const Vertex& v : ellipse.loops[0].vertices) {
    EXPECT_EQ(v.bulge, 0.0);
    EXPECT_NEAR(v.p.x * v.p.x / 4 + v.p.y * v.p.y, 1.0, 1e-9);
  }
  EXPECT_GT(ellipse.loops[0].vertices.size(), 16u);
}

// The cells a fill from `start` reaches through unblocked moves.
std::set<std::size_t> fill(const Raster& r, std::size_t start) {
  const std::size_t columns = static_cast<std::size_t>(r.frame.columns);
  std::set<std::size_t> seen{start};
  std::deque<std::size_t> queue{start};
  while (!queue.empty()) {
    const std::size_t c = queue.front();
    queue.pop_front();
    std::vector<std::size_t> next;
    if (!moveBlocked(r, c, kBlockRight)) next.push_back(c + 1);
    if (!moveBlocked(r, c, kBlockUp)) next.push_back(c + columns);
    if (c % columns > 0 && !moveBlocked(r, c - 1, kBlockRight)) next.push_back(c - 1);
    if (c >= columns && !moveBlocked(r, c - columns, kBlockUp)) next.push_back(c - columns);
    for (std::size_t n : next) {
      if (seen.insert(n).second) queue.push_back(n);
    }
  }
  return seen;
}

TEST(Raster, WallsAtAnyAngleLetNoFillThrough) {
  // A wall across the whole grid, at slopes steep and shallow, drawn in
  // two pieces that meet end to end: the fill from one side reaches exactly
  // the cells whose centres lie on that side.
  const Vec2 ends[][2] = {{{-1, 0.3}, {31, 19.7}}, {{-1, 17}, {31, 2.5}}, {{4.3, -1}, {9.1, 21}},
                          {{-1, 10}, {31, 10.0001}}, {{12.5, -1}, {12.5, 21}}, {{-1, 5.5}, {31, 5.5}}};
  for (const auto& e : ends) {
    GridFrame frame{};
    ASSERT_TRUE(makeFrame(0, 0, 29.9, 19.9, 1.0, 0, kMaxGridCells, frame));
    Raster r = makeRaster(frame);
    const Vec2 mid{e[0].x + 0.37 * (e[1].x - e[0].x), e[0].y + 0.37 * (e[1].y - e[0].y)};
    drawWall(r, e[0], mid, 0);
    drawWall(r, mid, e[1], 0);
    auto side = [&](Vec2 p) {
      return (e[1].x - e[0].x) * (p.y - e[0].y) - (e[1].y - e[0].y) * (p.x - e[0].x) > 0;
    };
    const bool startSide = side(cellCentre(frame, 0, 0));
    std::set<std::size_t> want;
    for (std::int32_t row = 0; row < frame.rows; ++row) {
      for (std::int32_t column = 0; column < frame.columns; ++column) {
        if (side(cellCentre(frame, column, row)) == startSide) want.insert(static_cast<std::size_t>(row) * frame.columns + column);
      }
    }
    EXPECT_EQ(fill(r, 0), want) << "wall from (" << e[0].x << ", " << e[0].y << ")";
  }
}

// Crossing-number test written apart from the rasteriser's scanlines.
bool insideShape(const std::vector<std::vector<Vec2>>& loops, Vec2 p) {
  bool in = false;
  for (const auto& loop : loops) {
    for (std::size_t i = 0, j = loop.size() - 1; i < loop.size(); j = i++) {
      const Vec2 a = loop[i], b = loop[j];
      if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x) in = !in;
    }
  }
  return in;
}

TEST(Raster, FloorShapesHoldTheCellsWhoseCentresTheyHold) {
  // A concave outline with a square hole, edges through cell centres and
  // along cell lines among them.
  const std::vector<std::vector<Vec2>> loops = {
      {{0, 0}, {10, 0}, {10, 7.5}, {6.5, 7.5}, {6.5, 3}, {3.25, 8}, {0, 8}},
      {{1, 1}, {3, 1}, {3, 3}, {1, 3}}};
  GridFrame frame{};
  ASSERT_TRUE(makeFrame(-1, -1, 11, 9, 0.5, 1, kMaxGridCells, frame));
  std::set<std::size_t> got;
  forCellsInside(frame, loops, [](std::size_t cell, void* c) { static_cast<std::set<std::size_t>*>(c)->insert(cell); }, &got);
  std::set<std::size_t> want;
  for (std::int32_t row = 0; row < frame.rows; ++row) {
    for (std::int32_t column = 0; column < frame.columns; ++column) {
      if (insideShape(loops, cellCentre(frame, column, row))) want.insert(static_cast<std::size_t>(row) * frame.columns + column);
    }
  }
  EXPECT_EQ(got, want);
  EXPECT_GT(want.size(), 200u);
}

struct Collected {
  std::vector<std::pair<DxfEntityInfo, Figure>> figures;
  std::vector<std::pair<std::string, DxfSkip>> skipped;
};

DxfSink collector(Collected& c) {
  return DxfSink{&c, nullptr,
                 [](const DxfEntityInfo& i, const Figure& f, void* x) { static_cast<Collected*>(x)->figures.push_back({i, f}); },
                 nullptr,
                 [](const DxfEntityInfo& i, DxfSkip w, void* x) { static_cast<Collected*>(x)->skipped.push_back({i.type, w}); },
                 nullptr, nullptr};
}

std::string dxf(const std::string& entities) {
  return "0\nSECTION\n2\nHEADER\n9\n$INSUNITS\n70\n4\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n" + entities +
         "0\nENDSEC\n0\nEOF\n";
}

TEST(DxfRead, HandsOnEntitiesWithHandlesLayersAndFrames) {
  Collected c;
  DxfHeader header;
  DxfReadError error;
  const std::string text = dxf(
      "0\nLINE\n5\n1A\n8\nW\n10\n1\n20\n2\n11\n3\n21\n4\n"
      "0\nLWPOLYLINE\n5\n1B\n8\nF\n90\n2\n70\n1\n10\n0\n20\n0\n42\n1\n10\n2\n20\n0\n"
      "0\nARC\n5\n1C\n8\nW\n10\n5\n20\n1\n40\n1\n50\n0\n51\n90\n210\n0\n220\n0\n230\n-1\n"
      "0\nTEXT\n5\n1D\n8\nW\n10\n0\n20\n0\n40\n1\n1\nHall\n");
  ASSERT_TRUE(readDxfText(text, collector(c), header, error)) << error.message;
  EXPECT_EQ(header.insunits, 4);
  ASSERT_EQ(c.figures.size(), 3u);
  EXPECT_EQ(c.figures[0].first.handle, "1A");
  EXPECT_EQ(c.figures[0].first.layer, "W");
  EXPECT_EQ(c.figures[0].second.loops[0].vertices[1].p.y, 4);
  const Loop& poly = c.figures[1].second.loops[0];
  EXPECT_TRUE(poly.closed);
  EXPECT_EQ(poly.vertices[0].bulge, 1);
  // Extrusion -Z mirrors the object frame: the arc round (5,1) from 0 to
  // 90 degrees lies round (-5,1), from 180 down to 90.
  const std::vector<Vec2> arc = flattenLoop(c.figures[2].second.loops[0], 0.01);
  EXPECT_NEAR(arc.front().x, -6, 1e-12);
  EXPECT_NEAR(arc.back().y, 2, 1e-12);
  for (Vec2 p : arc) EXPECT_NEAR(distanceTo(p, {-5, 1}), 1, 1e-12);
  ASSERT_EQ(c.skipped.size(), 1u);
  EXPECT_EQ(c.skipped[0].second, DxfSkip::Text);
}

TEST(DxfRead, RefusesWhatDxflibMustNotSee) {
  const struct {
    std::string text;
    std::int64_t line;
    const char* words;
  } cases[] = {
      {"AutoCAD Binary DXF\r\n\x1a", 1, "binary DXF"},
      {std::string("AC1015\0\0\0", 9), 1, "DWG"},
      {"0\nSECTION\n2\nENTITIES\n0\n" + std::string(5000, 'L') + "\n", 6, "longer than"},
      {"0\nSECTION\nabc\nX\n", 3, "not a number"},
      {"0\nSECTION\n2\n", 3, "ends after a group code"},
      {dxf("0\nLWPOLYLINE\n90\n2000000\n"), 17, "not a count"},
      {dxf("0\nLWPOLYLINE\n90\n-1\n"), 17, "not a count"},
      {dxf("0\nLWPOLYLINE\n42\n1\n90\n1\n"), 17, "before its count"},
      {dxf("0\nLWPOLYLINE\n90\n1\n42\n1\n10\n0\n"), 19, "before the first group 10"},
      {dxf("0\nLWPOLYLINE\n90\n1\n10\n0\n20\n0\n10\n1\n"), 23, "more items than its count"},
      {dxf("0\nSPLINE\n73\n1\n73\n1\n"), 19, "given twice"},
  };
  for (const auto& k : cases) {
    Collected c;
    DxfHeader header;
    DxfReadError error;
    EXPECT_FALSE(readDxfText(k.text, collector(c), header, error)) << k.words;
    EXPECT_NE(error.message.find(k.words), std::string::npos) << error.message;
    EXPECT_EQ(error.line, k.line) << k.words;
  }
}

TEST(Roles, PatternsRulesAndFilesInTheirOrder) {
  EXPECT_TRUE(layerMatches("A-WALL*", "a-wall-extr"));
  EXPECT_TRUE(layerMatches("A-WALL*", "A-WALL"));
  EXPECT_FALSE(layerMatches("A-WALL", "A-WALLS"));
  EXPECT_TRUE(layerMatches("?-FLOR*STRS", "A-FLOR-NEW-STRS"));
  EXPECT_FALSE(layerMatches("?-FLOR*STRS", "A-FLOR-STRS-2"));

  RoleTable table{{}, true};
  EXPECT_EQ(roleOf(table, "A-WALL-FULL").role.use, LayerUse::Wall);
  EXPECT_EQ(roleOf(table, "A-FLOR-STRS").role.kind, CellKind::Stair);
  EXPECT_EQ(roleOf(table, "A-FLOR").role.kind, CellKind::Floor);
  const RoleMatch door = roleOf(table, "A-DOOR");
  EXPECT_EQ(door.role.use, LayerUse::Ignore);
  EXPECT_NE(door.rule->reason.find("openings"), std::string::npos);
  EXPECT_EQ(roleOf(table, "NOTES").rule, nullptr);

  std::string error;
  ASSERT_TRUE(addLayerRule(table, "A-DOOR=wall", error));
  EXPECT_EQ(roleOf(table, "a-door").role.use, LayerUse::Wall);
  EXPECT_FALSE(addLayerRule(table, "X=brick", error));
  EXPECT_FALSE(addLayerRule(table, "=wall", error));

  const std::string path = testing::TempDir() + "roles_test.toml";
  std::ofstream(path) << "builtin = false\n[layers]\nignore = \"*\"\nplatform = [\"PL*\", \"PLAT-EDGE\"]\nwall = \"PLAT*\"\n";
  RoleTable file{{}, true};
  LevelsSetup levels;
  ASSERT_TRUE(loadRoleFile(file, path, levels, error)) << error;
  EXPECT_FALSE(file.builtIn);
  EXPECT_EQ(roleOf(file, "PLAT-EDGE").role.kind, CellKind::Platform);  // the exact name first
  EXPECT_EQ(roleOf(file, "PLAT-1").role.use, LayerUse::Wall);           // then more plain characters
  EXPECT_EQ(roleOf(file, "PL-1").role.kind, CellKind::Platform);
  EXPECT_EQ(roleOf(file, "A-WALL").role.use, LayerUse::Ignore);
  std::ofstream(path) << "[layer]\nwall = \"X\"\n";
  EXPECT_FALSE(loadRoleFile(file, path, levels, error));
  EXPECT_NE(error.find("unknown key 'layer'"), std::string::npos) << error;
}

TEST(PlanGrid, TextHoldsWallsOnTheLeftAndBottomAndSaysWhatItCannot) {
  // 4 by 2: bottom row exit with a left wall, floor, stair with a left
  // wall, rock; top row floor with a bottom wall, escalator, floor with
  // both walls, platform.
  PlanGrid grid = makePlanGrid(4, 2);
  const CellKind kinds[] = {CellKind::Exit, CellKind::Floor, CellKind::Stair, CellKind::Rock,
                            CellKind::Floor, CellKind::Escalator, CellKind::Floor, CellKind::Platform};
  grid.kinds.assign(std::begin(kinds), std::end(kinds));
  grid.walls = {kLeftSide, 0, kLeftSide, kLeftSide, kBottomSide, 0, kLeftSide | kBottomSide, 0};
  const char escalator = planCharFor(CellKind::Escalator, false, false);
  const std::string text = planText(grid, {"made here"});
  EXPECT_EQ(text, std::string("# made here\n_") + (escalator != 0 ? escalator : '.') + "Lp\ne.S\n");
  // Every wall is held now, the exit's too; rock keeps none and says nothing.
  EXPECT_TRUE(unwritableSides(grid).empty());
}

// The exit letters with walls go through plan2mesh with the walls kept:
// a 3 by 2 grid with an exit of each kind of wall, worked out by hand from
// the mesh's left and bottom wall fields (9 and 10).
TEST(PlanGrid, ExitWallsRoundTripThroughPlan2mesh) {
  PlanGrid grid = makePlanGrid(3, 2);
  grid.kinds = {CellKind::Exit, CellKind::Exit, CellKind::Floor,
                CellKind::Exit, CellKind::Floor, CellKind::Exit};
  grid.walls = {kBottomSide, kLeftSide | kBottomSide, kLeftSide, kLeftSide, 0, 0};
  const std::string text = planText(grid, {});
  EXPECT_EQ(text, "e.E\nfF|\n");
  EXPECT_TRUE(unwritableSides(grid).empty());
  Plan plan;
  PlanError error;
  ASSERT_TRUE(parsePlan(text, plan, error));
  // Mesh records: cell right bottom left top column row kind lw bw ...;
  // by (column, row) from the bottom left: the kind and both walls.
  std::map<std::pair<int, int>, std::string> cells;
  std::istringstream mesh(formatMesh(plan));
  std::string line;
  for (int header = 0; header < 3; ++header) std::getline(mesh, line);
  while (std::getline(mesh, line)) {
    std::istringstream fields(line);
    std::string f[10];
    for (std::string& field : f) fields >> field;
    cells[{std::stoi(f[5]), std::stoi(f[6])}] = f[7] + " " + f[8] + " " + f[9];
  }
  const std::map<std::pair<int, int>, std::string> want = {
      {{1, 1}, "exit 0 1"}, {{2, 1}, "exit 1 1"}, {{3, 1}, "floor 1 0"},
      {{1, 2}, "exit 1 0"}, {{2, 2}, "floor 0 0"}, {{3, 2}, "exit 0 0"}};
  EXPECT_EQ(cells, want);
}

TEST(PlanGrid, LargePlansSayWhatWouldFit) {
  EXPECT_EQ(largePlanAdvice(kMaxCellId, "x"), "");
  EXPECT_EQ(fittingScale(kMaxCellId), 1.0);
  const std::int64_t cells = 80000 + kMaxCellId - 33414;
  const std::string advice = largePlanAdvice(cells, "A cell of 0.8 m would fit");
  EXPECT_NE(advice.find(std::to_string(cells) + " cells"), std::string::npos) << advice;
  EXPECT_NE(advice.find("A cell of 0.8 m would fit"), std::string::npos);
  EXPECT_NE(advice.find("-DORVIK_MAX_CELL_ID=" + std::to_string(cells)), std::string::npos);
  const double scale = fittingScale(cells);
  EXPECT_LE(cells * scale * scale, 0.9 * kMaxCellId + 1e-6);
}

}  // namespace
