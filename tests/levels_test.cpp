// Plans of several levels: where plan2mesh puts the levels and what it
// joins, the walk and the geodesic time through a join worked by hand,
// every refusal of the level syntax, and what orvik-check says of joins.
#include <nlohmann/json.hpp>
#include <string>

#include "check.h"
#include "geodesic_support.h"
#include "join_tags.h"
#include "level_joins.h"
#include "record_tags.h"

namespace {

using Levels = SceneTest;
using LevelCheck = SceneTest;

constexpr float kExactSeconds = 1e-3f;  // s; paths in sight of each other are exact

// The only way out of Deep is the stair: Street's cell 7 (column 1, row 2)
// is joined across its bottom side to Deep's cell 13 (column 11, row 2).
//   Street  row 3: cells 1-5, exit 6     Deep  row 2: cells 13-18
//           row 2: cells 7-12                  row 1: cells 19-24
const std::string kStairOnly =
    "== level Street\n"
    ".....E\n"
    "s.....\n"
    "1\n"
    "== level Deep\n"
    "1\n"
    "s.....\n"
    "......\n";

Plan parseOrFail(const std::string& text) {
  Plan plan;
  PlanError error;
  EXPECT_TRUE(parsePlan(text, plan, error)) << describePlanError("t", error);
  return plan;
}

std::string refusal(const std::string& text) {
  Plan plan;
  PlanError error{};
  EXPECT_FALSE(parsePlan(text, plan, error)) << text;
  return describePlanError("t", error);
}

// The join pairs of a plan as the checker finds them in a mesh's tags.
std::vector<CellPair> joinPairs(const Plan& plan) {
  static std::int16_t endLabel[kSlotCount];
  std::fill(std::begin(endLabel), std::end(endLabel), std::int16_t{-1});
  for (std::size_t i = 0; i < plan.cells.size(); ++i) {
    if (plan.cells[i].joinEnd) endLabel[i + 1] = static_cast<std::int16_t>(plan.cells[i].join);
  }
  return findJoinPairs(endLabel);
}

std::string tagsOf(const std::string& mesh, CellId cell) {
  const std::size_t at = mesh.find('\n' + std::to_string(cell) + ' ');
  std::size_t start = at + 1;
  for (int field = 1; field < 11; ++field) start = mesh.find(' ', start) + 1;
  return mesh.substr(start, mesh.find(' ', start) - start);
}

}  // namespace

TEST_F(Levels, TheOnlyWayOutIsTheStair) {
  const Plan plan = parseOrFail(kStairOnly);
  ASSERT_EQ(plan.cells.size(), 24u);
  ASSERT_EQ(plan.levels.size(), 2u);
  EXPECT_EQ(plan.levels[1].firstColumn, 11);  // 6 columns of Street, 4 of rock
  const std::string mesh = formatMesh(plan);
  readMeshText(mesh);
  EXPECT_EQ(bottomId[7], 13);
  EXPECT_EQ(topId[13], 7);
  EXPECT_EQ(posX[13], 11 * kCellSize);
  EXPECT_EQ(posY[24], 1 * kCellSize);
  EXPECT_EQ(tagsOf(mesh, 7), "level=Street;join=1;end;toward=down");
  EXPECT_EQ(tagsOf(mesh, 13), "level=Deep;join=1;end;toward=up");
  EXPECT_EQ(tagsOf(mesh, 6), "exit;level=Street");
  computeTravelTimesFromText(formatExits(plan));
  // Moves counted by hand: Deep to the stair's foot, one move up the
  // join, then from (1, 2) to the exit at (6, 3).
  EXPECT_EQ(travelTime[7], 24.0f);   // 6 moves
  EXPECT_EQ(travelTime[13], 28.0f);  // 7
  EXPECT_EQ(travelTime[19], 32.0f);  // 8
  EXPECT_EQ(travelTime[18], 48.0f);  // 12
  EXPECT_EQ(travelTime[24], 52.0f);  // 13
}

// Centres in map units: exit (11, 5), Street's stair (1, 3), Deep's stair
// (21, 3), Deep's far corner (31, 1). Through the join: sqrt(104) + 2 +
// sqrt(104) map units at 2 s a unit, 44.79 s; straight across the gap to
// the exit would be sqrt(416), 40.79 s.
TEST_F(Levels, TheGeodesicTimeGoesThroughTheJoin) {
  const Plan plan = parseOrFail(kStairOnly);
  readMeshText(formatMesh(plan));
  const std::vector<CellPair> pairs = joinPairs(plan);
  ASSERT_EQ(pairs.size(), 1u);
  EXPECT_EQ(pairs[0].a, 7);
  EXPECT_EQ(pairs[0].b, 13);
  setGeodesicJoins(pairs);
  runGeodesic(plan.exits);
  const double leg = std::sqrt(104.0);
  EXPECT_NEAR(geodesic[7], 2 * leg, kExactSeconds);
  EXPECT_NEAR(geodesic[13], 2 * (leg + 2), kExactSeconds);
  EXPECT_NEAR(geodesic[19], 2 * (leg + 4), kExactSeconds);
  EXPECT_NEAR(geodesic[24], 2 * (2 * leg + 2), kExactSeconds);
  // Without the join Deep has no way out at all.
  setGeodesicJoins({});
  runGeodesic(plan.exits);
  EXPECT_EQ(geodesic[24], kUnreachedTime);
  EXPECT_NEAR(geodesic[7], 2 * leg, kExactSeconds);
}

TEST_F(Levels, AWideStairJoinsCellByCellInOrder) {
  // A's stair at plan columns 2-4, B's at 4-6 with a left wall in the
  // middle: left with left, whatever the columns.
  const Plan plan = parseOrFail(
      "== level A\nE.....\n.sss..\n.111..\n== level B\n   111\n   sSs\n......\n");
  readMeshText(formatMesh(plan));
  EXPECT_EQ(plan.levels[1].firstColumn, 11);
  const CellId upper[] = {8, 9, 10}, lower[] = {16, 17, 18};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(bottomId[upper[i]], lower[i]) << i;
    EXPECT_EQ(topId[lower[i]], upper[i]) << i;
  }
  EXPECT_EQ(bottomId[7], 13);  // floor beside the labels stays on its level
  EXPECT_EQ(topId[19], -1);
  // Sideways: A's right sides to B's left sides, top to bottom.
  const Plan side = parseOrFail("== level A\nE..s1\n...s1\n== level B\n1s...\n1s...\n");
  readMeshText(formatMesh(side));
  EXPECT_EQ(rightId[4], 9);
  EXPECT_EQ(leftId[9], 4);
  EXPECT_EQ(rightId[8], 13);
  EXPECT_EQ(leftId[13], 8);
  EXPECT_EQ(posX[9], 11 * kCellSize);  // B from column 10, 5 of A and 4 of rock before it
}

TEST_F(Levels, EscalatorRunsAndGatesAreRecorded) {
  const Plan plan = parseOrFail(
      "== level Hall\n== escalator 4 up\nEnNuU\n..mM\n..44\n== level Low\n  44\n  mm\n  ww\n");
  const std::string mesh = formatMesh(plan);
  readMeshText(mesh);
  // Gate cells 2-5 carry the gate kind and the walls of their letters.
  EXPECT_NE(mesh.find("\n3 4 8 2 -1 3 3 gate 1 0 level=Hall "), std::string::npos) << mesh;
  EXPECT_NE(mesh.find("\n5 -1 -1 4 -1 5 3 gate 1 1 level=Hall "), std::string::npos);
  //   Hall row 3: exit 1, gates 2-5   row 2: floor 6, 7, escalator 8, 9
  //        row 1: floor 10, 11       Low row 2: ends 12, 13; row 1: 14, 15
  // The whole run of each end carries the join; the ends the flag.
  const RecordJoin top = readRecordJoin(tagsOf(mesh, 9));
  EXPECT_EQ(top.label, "4");
  EXPECT_TRUE(top.end);
  EXPECT_EQ(top.toward, Travel::Down);
  EXPECT_EQ(top.runs, Travel::Up);
  const RecordJoin deep = readRecordJoin(tagsOf(mesh, 15));  // Low's lower row
  EXPECT_FALSE(deep.end);
  EXPECT_EQ(deep.toward, Travel::Up);
  EXPECT_EQ(deep.runs, Travel::Up);
  EXPECT_EQ(recordLevel(tagsOf(mesh, 15)), "Low");
  EXPECT_EQ(bottomId[9], 13);  // Hall's 'M' joins down to Low's second 'm'
  EXPECT_EQ(topId[13], 9);
  EXPECT_EQ(bottomId[12], 14);
  EXPECT_EQ(bottomId[7], 11);  // Hall's floor beside the labels
}

TEST(LevelRefusals, NameThePlaceAndTheReason) {
  const std::string up = "== level A\nE.s\n..1\n";  // a stair whose end faces down
  const std::pair<std::string, std::string> cases[] = {
      {up + "== level B\n...\n", "t:3:3: join label '1' stands on level A only"},
      {up + "== level B\n..1\n..s\n== level C\n..1\n..s\n",
       "t:8:3: join label '1' stands on a third level, C (also on A and B)"},
      {up + "== level B\n..s\n..1\n",
       "t:6:3: join label '1' cannot join: its end on A faces down, so the end on B must face "
       "up, not down"},
      {"== level A\nE.ss\n..11\n== level B\n..1.\n..s.\n",
       "t:5:3: join label '1' cannot join: 2 cells wide on A, 1 on B"},
      {up + "== escalator 1 up\n== level B\n..1\n..m\n",
       "t:6:3: join label '1' cannot join: stair on A, escalator on B"},
      {"== level A\nE.m\n..1\n== level B\n..1\n..m\n",
       "t:3:3: join label '1' is an escalator without a direction"},
      {"E.m\n", "t:1:3: escalator cell without a direction"},
      {"E.1\n", "t:1:3: join label '1' touches no stair or escalator cell"},
      {"Es1s\n", "t:1:3: join label '1' touches two stair or escalator cells"},
      {"E.s\n1..\n", "t:2:1: join label '1' touches no stair"},
      {"E.s\n..1\n", "t:2:3: join label '1' has no other end"},
      {"== level A\nE.z\n..1\n== level B\n..1\n..s\n",
       "t:2:3: join label '1': this end cell has a wall on the side that faces the label"},
      {"== level A\nE.ss\n..12\n== level B\n..12\n..ss\n",
       "t:2:4: join label '2' and join label '1' lead to one run of cells on level A"},
      {"== level A\nE.s..\n..1..\n...1s\n", "t:4:4: join label '1' faces another side"},
      {"== level A\nE.s.s\n..1.1\n", "t:3:3: join label '1' on level A: its marks"},
      {"== escalator 1 sideways\n", "t:1:1: an escalator line is '== escalator LABEL up'"},
      {"== escalator 12 up\n", "t:1:1: an escalator line is"},
      {"== escalator 1 up\n== escalator 1 down\n",
       "t:2:16: escalator 1 is already given as up on line 1"},
      {up + "== escalator 1 up\n== level B\n..1\n..s\n",
       "t:4:1: join label '1' marks a stair, not an escalator"},
      {"== escalator 3 up\nE\n", "t:1:1: join label '3' marks no join"},
      {"== level  \nE\n", "t:1:1: a level header needs a name"},
      {"== level A\nE\n== level A\n.\n", "t:3:10: level A is already named on line 1"},
      {"\n.E\n== level A\n.\n", "t:2:1: cell before the first level header"},
      {"== level A\n\n== level B\nE\n", "t:1:1: level A draws no cell"},
      {"== level B\nE\n== level C\n", "t:3:1: level C draws no cell"},
      {"== level " + std::string(65, 'x') + "\nE\n", "t:1:10: level name longer than 64 bytes"},
  };
  for (const auto& [plan, message] : cases) {
    EXPECT_EQ(refusal(plan).substr(0, message.size()), message) << plan;
  }
}

// What stays today's: "==" rows of track bed and new letters in a plan
// without headers read as cells, not as level lines.
TEST_F(Levels, PlansWithoutHeadersKeepTheirRows) {
  const Plan plan = parseOrFail("== p\nE.n\n");
  ASSERT_EQ(plan.cells.size(), 4u);
  EXPECT_TRUE(plan.levels.empty());
  EXPECT_EQ(plan.cells[0].column, 4);
  EXPECT_EQ(tagsOf(formatMesh(plan), 4), "-");
}

TEST_F(LevelCheck, JoinsAreNoNotesButOtherPairsApartStillAre) {
  const Plan plan = parseOrFail(kStairOnly);
  const std::string mesh = formatMesh(plan);
  CheckReport r = checkPlanTexts("Mesh.csv", mesh, "ExitGrid.dat", formatExits(plan));
  EXPECT_EQ(r.findingCounts[static_cast<int>(FindingKind::NeighbourNotBeside)], 0);
  EXPECT_EQ(checkExitStatus(r), 0);
  ASSERT_EQ(r.levels.size(), 2u);
  EXPECT_EQ(r.levels[0].name, "Street");
  EXPECT_EQ(r.levels[0].cells, 12);
  EXPECT_EQ(r.levels[0].exits, 1);
  EXPECT_EQ(r.levels[1].exits, 0);
  ASSERT_EQ(r.levels[1].joins.size(), 1u);
  EXPECT_EQ(r.levels[1].joins[0].toLevel, "Street");
  EXPECT_EQ(r.levels[1].joins[0].toward, Travel::Up);
  const std::string text = formatTextReport(r);
  EXPECT_NE(text.find("  Street: 12 cells, 1 exit; joins 1 (stair, 1 cell, down to Deep).\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("  Deep: 12 cells, 0 exits; joins 1 (stair, 1 cell, up to Street).\n"),
            std::string::npos);
  const nlohmann::json json = nlohmann::json::parse(formatJsonReport(r));
  const nlohmann::json& deepJoin = json["levels"][1]["joins"][0];
  EXPECT_EQ(json["levels"][1]["name"], "Deep");
  EXPECT_EQ(deepJoin["label"], "1");
  EXPECT_EQ(deepJoin["toLevel"], "Street");
  EXPECT_EQ(deepJoin["toward"], "up");
  EXPECT_TRUE(deepJoin["runs"].is_null());
  // Without the end flags the same pair is two neighbours apart: noted.
  std::string unflagged = mesh;
  for (std::size_t at; (at = unflagged.find(";end")) != std::string::npos;) unflagged.erase(at, 4);
  r = checkPlanTexts("Mesh.csv", unflagged, "ExitGrid.dat", formatExits(plan));
  EXPECT_EQ(r.findingCounts[static_cast<int>(FindingKind::NeighbourNotBeside)], 1);
  // Any other pair apart is still noted beside the join: Street's cell 12
  // and Deep's 19, made each other's right and left neighbours.
  std::string stray = mesh;
  stray.replace(stray.find("\n12 -1 "), 7, "\n12 19 ");
  stray.replace(stray.find("\n19 20 -1 -1 "), 13, "\n19 20 -1 12 ");
  r = checkPlanTexts("Mesh.csv", stray, "ExitGrid.dat", formatExits(plan));
  EXPECT_EQ(r.findingCounts[static_cast<int>(FindingKind::NeighbourNotBeside)], 1);
  ASSERT_EQ(r.findings[static_cast<int>(FindingKind::NeighbourNotBeside)].size(), 1u);
  EXPECT_NE(messageText(r.findings[static_cast<int>(FindingKind::NeighbourNotBeside)][0].message)
                .find("cell 12 "),
            std::string::npos);
}

TEST_F(LevelCheck, LimitGroupsEscalatorsAndGates) {
  const Plan plan = parseOrFail(
      "== level Hall\n== escalator 4 down\nEnnnn\n....mm\n....44\n== level Low\n44\n"
      "mm\npp\n");
  CheckOptions options;
  options.limitGiven = true;
  options.limitSeconds = 8;
  options.geodesic = true;
  const CheckReport r =
      checkPlanTexts("Mesh.csv", formatMesh(plan), "ExitGrid.dat", formatExits(plan), 0, options);
  std::vector<std::string> kinds;
  for (const KindOverLimit& k : r.limitAllExits.kinds) kinds.push_back(k.kind);
  EXPECT_EQ(kinds, (std::vector<std::string>{"gate", "floor", "escalator", "platform"}));
  // Low's far platform cell (12, 1), centre (23, 1): to the escalator end
  // (11, 2) at (21, 3), across the join, and from Hall's end (5, 2) at
  // (9, 3) to the exit's centre (1, 5); never straight across the gap.
  const KindOverLimit& platform = r.limitAllExits.kinds.back();
  EXPECT_EQ(platform.column, 12);
  EXPECT_NEAR(platform.seconds, 2 * (std::sqrt(8.0) + 2 + std::sqrt(68.0)), kExactSeconds);
}
