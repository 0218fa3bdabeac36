// Block references expanded, and joins marked between levels, on small
// grids and blocks worked by hand.
#include <gtest/gtest.h>

#include "blocks.h"
#include "levels.h"

namespace {

struct Placed {
  std::vector<std::pair<std::string, std::vector<Vec2>>> figures;  // layer, points
};

void keep(const std::string& layer, const Figure& figure, void* context) {
  static_cast<Placed*>(context)->figures.push_back({layer, flattenLoop(figure.loops[0], 0.01)});
}

Figure segment(Vec2 a, Vec2 b) { return Figure{{Loop{{{a, 0.0}, {b, 0.0}}, false}}, false}; }

TEST(Blocks, NestedReferencesCarryTheirMapsAndLayerZeroTakesTheReferencesLayer) {
  BlockStore store{};
  beginBlock(store, "INNER", {0, 0});
  storeBlockFigure(store, "0", segment({0, 0}, {1, 0}));
  endBlockDefinition(store);
  beginBlock(store, "OUTER", {1, 1});  // base point (1,1)
  storeBlockInsert(store, "0", DxfInsert{"INNER", insertAffine({1, 1}, {0, 0}, 1, 1, 90, 0, 0)});
  storeBlockFigure(store, "W2", segment({1, 1}, {1, 2}));
  endBlockDefinition(store);
  Placed placed;
  std::int64_t budget = kMaxExpandedItems;
  const ExpandTrouble trouble = expandInsert(store, DxfInsert{"OUTER", insertAffine({10, 0}, {0, 0}, 2, 2, 0, 0, 0)},
                                             "A-WALL", identityAffine(), 0.01, budget, keep, &placed);
  EXPECT_TRUE(trouble.missingBlock.empty());
  ASSERT_EQ(placed.figures.size(), 2u);
  // INNER's (0,0)-(1,0) turned to (1,1)-(1,2) in OUTER, less OUTER's base
  // (0,0)-(0,1), scaled by 2 and moved to (10,0): (10,0)-(10,2).
  EXPECT_EQ(placed.figures[0].first, "A-WALL");
  EXPECT_NEAR(placed.figures[0].second[0].x, 10, 1e-12);
  EXPECT_NEAR(placed.figures[0].second[1].y, 2, 1e-12);
  EXPECT_EQ(placed.figures[1].first, "W2");
  EXPECT_NEAR(placed.figures[1].second[1].y, 2, 1e-12);
  EXPECT_EQ(budget, kMaxExpandedItems - 3);  // two figures and one reference
}

TEST(Blocks, SelfReferenceMissingBlocksAndTheBudgetStop) {
  BlockStore store{};
  beginBlock(store, "LOOP", {0, 0});
  storeBlockFigure(store, "0", segment({0, 0}, {1, 0}));
  storeBlockInsert(store, "0", DxfInsert{"LOOP", identityAffine()});
  storeBlockInsert(store, "0", DxfInsert{"NOWHERE", identityAffine()});
  endBlockDefinition(store);
  Placed placed;
  std::int64_t budget = kMaxExpandedItems;
  ExpandTrouble trouble = expandInsert(store, DxfInsert{"LOOP", identityAffine()}, "W", identityAffine(), 0.01,
                                       budget, keep, &placed);
  EXPECT_TRUE(trouble.tooDeep);
  EXPECT_EQ(trouble.missingBlock, "NOWHERE");
  EXPECT_EQ(placed.figures.size(), static_cast<std::size_t>(kMaxBlockDepth));
  budget = 5;
  placed.figures.clear();
  trouble = expandInsert(store, DxfInsert{"LOOP", identityAffine()}, "W", identityAffine(), 0.01, budget, keep, &placed);
  EXPECT_TRUE(trouble.tooMany);
  EXPECT_EQ(placed.figures.size(), 3u);  // figure, reference, figure, reference, figure
}

// A grid from rows drawn top first: '.' floor, 's' stair, ' ' rock, 'E'
// exit, and '|' a stair with a left wall.
LevelGrid grid(const std::vector<std::string>& rows) {
  LevelGrid level{"L", makePlanGrid(static_cast<std::int32_t>(rows[0].size()), static_cast<std::int32_t>(rows.size())),
                  {}, 0, 0};
  for (std::size_t r = 0; r < rows.size(); ++r) {
    for (std::size_t c = 0; c < rows[r].size(); ++c) {
      const std::size_t i = (rows.size() - 1 - r) * rows[0].size() + c;
      const char ch = rows[r][c];
      level.grid.kinds[i] = ch == '.' ? CellKind::Floor : ch == ' ' ? CellKind::Rock : ch == 'E' ? CellKind::Exit : CellKind::Stair;
      if (ch == '|') level.grid.walls[i] = kLeftSide;
    }
  }
  return level;
}

TEST(Levels, MarksGoBeyondTheRunsEndAndTheGridGrowsForThem) {
  LevelGrid level = grid({"...", ".ss", ".ss"});
  JoinMark mark{};
  std::string error;
  ASSERT_TRUE(markJoinEnd(level, 2, 0, JoinSide::Bottom, '5', mark, error)) << error;
  EXPECT_EQ(mark.width, 2);
  EXPECT_EQ(mark.kind, CellKind::Stair);
  EXPECT_EQ(level.rowShift, 1);
  EXPECT_EQ(planText(level.grid, {}), "...\n.ss\n.ss\n 55\n");
  // The same stair's top end: the floor above becomes the labels' rock.
  ASSERT_TRUE(markJoinEnd(level, 1, 1, JoinSide::Top, '6', mark, error)) << error;
  EXPECT_EQ(mark.madeRock, 2);
  EXPECT_EQ(planText(level.grid, {}), ".66\n.ss\n.ss\n 55\n");
}

TEST(Levels, EndsThatAreNotStraightOrWouldTouchAnotherRunAreRefused) {
  JoinMark mark{};
  std::string error;
  LevelGrid bent = grid({".....", ".sss.", ".s.s.", "....."});
  EXPECT_FALSE(markJoinEnd(bent, 1, 2, JoinSide::Bottom, '1', mark, error));
  EXPECT_NE(error.find("not one straight line"), std::string::npos) << error;
  // Two runs parted by a wall: a label below the left one would touch the right one.
  LevelGrid two = grid({"ss|.", "ss|.", "  s."});
  EXPECT_FALSE(markJoinEnd(two, 0, 2, JoinSide::Bottom, '1', mark, error));
  EXPECT_NE(error.find("second stair"), std::string::npos) << error;
  EXPECT_FALSE(markJoinEnd(two, 3, 0, JoinSide::Bottom, '1', mark, error));
  EXPECT_NE(error.find("no stair or escalator"), std::string::npos) << error;
}

TEST(Levels, ThePlanHasEachLevelsHeaderAndTheEscalatorsDirections) {
  std::vector<LevelGrid> levels = {grid({"E."}), grid({".s"})};
  levels[0].name = "Top";
  levels[1].name = "Bottom";
  levels[1].header = {"from b.png"};
  JoinSetup up{};
  up.label = '3';
  up.direction = "up";
  JoinSetup stair{};
  stair.label = '1';
  const std::string text = levelsPlanText(levels, {stair, up}, {"two levels"});
  EXPECT_EQ(text, "# two levels\n== level Top\n== escalator 3 up\nE.\n== level Bottom\n# from b.png\n.s\n");
}

}  // namespace
