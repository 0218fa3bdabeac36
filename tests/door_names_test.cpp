// plan2mesh's door names and exit walls: the "# door NAME = LINE:COLUMN"
// comments, the door=NAME tag on every exit cell of the named door (exit
// cells a move joins), the refusals with their places, the exit letters
// with walls, and the key that --help prints.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "plan2mesh.h"
#include "record_tags.h"
#include "scene_fixture.h"

namespace {

using ExitWalls = SceneTest;

Plan parseOrFail(std::string_view text) {
  Plan plan;
  PlanError error;
  EXPECT_TRUE(parsePlan(text, plan, error)) << describePlanError("t", error);
  return plan;
}

std::string refusal(std::string_view text) {
  Plan plan;
  PlanError error{};
  EXPECT_FALSE(parsePlan(text, plan, error)) << text;
  return describePlanError("t", error);
}

// The door name in field 11 of each record, "" where there is none.
std::vector<std::string> doorTags(const Plan& plan) {
  std::vector<std::string> names;
  std::istringstream lines(formatMesh(plan));
  std::string line;
  for (int header = 0; header < 3; ++header) std::getline(lines, line);
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string field;
    for (int k = 0; k < 11; ++k) fields >> field;
    std::string name;
    findTag(field, kDoorTag, name);
    names.push_back(name);
  }
  return names;
}

}  // namespace

// "EEeE": the 'e' has a wall on its left, so cells 1-2 are one door and
// cells 3-4 another; each name reaches both cells of its door and no other.
TEST(DoorNames, ReachEveryExitCellOfTheirDoor) {
  const Plan plan = parseOrFail("# door East gate = 4:4\n# door West = 4:1\n# a comment\nEEeE\n....\n");
  const std::vector<std::string> names = doorTags(plan);
  ASSERT_EQ(names.size(), 8u);
  EXPECT_EQ(names[0], "West");
  EXPECT_EQ(names[1], "West");
  EXPECT_EQ(names[2], "East gate");
  EXPECT_EQ(names[3], "East gate");
  for (std::size_t k = 4; k < 8; ++k) EXPECT_EQ(names[k], "") << k;
  ASSERT_EQ(plan.doors.size(), 2u);
  EXPECT_EQ(plan.doors[0].name, "East gate");
  EXPECT_EQ(plan.doors[0].cell, 4);
  EXPECT_EQ(plan.doors[1].line, 2);
  // The name is percent-encoded in the word, so the record keeps 13 fields.
  EXPECT_NE(formatMesh(plan).find(" exit;door=East%20gate "), std::string::npos);
}

// A column of exits: 'E' over 'f' (bottom wall) over 'E'. The top two are
// joined, the 'f' wall parts the third. Placed in a level, the position is
// still the plan file's line and character.
TEST(DoorNames, FollowTheMovesDownAColumnOnAnyLevel) {
  const Plan plan = parseOrFail(
      "== level Street\nE.\nf.\nE.\n== level Low\n.E\n# door Upper = 3:1\n# door Low door = 6:2\n");
  const std::vector<std::string> names = doorTags(plan);
  // Cells: 1 E, 2 ., 3 f, 4 ., 5 E, 6 ., 7 . (Low), 8 E (Low).
  ASSERT_EQ(names.size(), 8u);
  EXPECT_EQ(names[0], "Upper");
  EXPECT_EQ(names[2], "Upper");
  EXPECT_EQ(names[4], "");
  EXPECT_EQ(names[7], "Low door");
}

TEST(DoorNames, RefusedWithTheirPlace) {
  const std::string grid = "EE.E\n";
  const std::pair<std::string, std::string> cases[] = {
      {"# door Hall = 2:3\n" + grid, "t:1:15: the door Hall is placed at 2:3, which is a floor cell, not an exit cell"},
      {grid + "# door Hall = 1:9\n", "t:2:15: the door Hall is placed at 1:9, which is no cell (rock, a label or beyond the plan), not an exit cell"},
      {grid + "# door Hall = 7:1\n", "t:2:15: the door Hall is placed at 7:1, which is no cell (rock, a label or beyond the plan), not an exit cell"},
      {grid + "# door A = 1:1\n# door A = 1:4\n", "t:3:8: the door name A is given already on line 2"},
      {grid + "# door A = 1:1\n# door B = 1:2\n", "t:3:12: the exit cell at 1:2 belongs to the door named A on line 2; a door has one name"},
      {grid + "# door\n", "t:2:1: a door line is '# door NAME = LINE:COLUMN'"},
      {grid + "# door A 1:1\n", "t:2:1: a door line is '# door NAME = LINE:COLUMN'"},
      {grid + "# door  = 1:1\n", "t:2:9: a door needs a name"},
      {grid + "# door 12 = 1:1\n", "t:2:8: a door name cannot be a number: orvik-check --block takes door numbers"},
      {grid + "# door A = 1,1\n", "t:2:12: the position of a door is LINE:COLUMN of one of its exit cells in this file"},
      {grid + "# door A = 0x1:1\n", "t:2:12: the position of a door is LINE:COLUMN of one of its exit cells in this file"},
      {grid + "# door " + std::string(65, 'n') + " = 1:1\n", "t:2:8: door name longer than 64 bytes"},
  };
  for (const auto& [plan, message] : cases) EXPECT_EQ(refusal(plan), message) << plan;
}

// Comments that only begin like a door line stay comments; a name may hold
// '=' itself, since the last '=' begins the position.
TEST(DoorNames, OnlyTheWordDoorMakesADoorLine) {
  const Plan plan = parseOrFail("# doors below\n#doorway\n#door a=b = 4:1\nE.\n");
  ASSERT_EQ(plan.doors.size(), 1u);
  EXPECT_EQ(plan.doors[0].name, "a=b");
  EXPECT_EQ(doorTags(plan)[0], "a=b");
}

// The exit letters with walls close the sides no neighbour can: ".e" leaves
// cell 1 with no way out, ".E" does not; "f" over "." closes the way down.
TEST_F(ExitWalls, CloseTheExitsOwnLeftAndBottomSides) {
  const struct {
    const char* plan;
    float lastTime;
  } cases[] = {{".E\n", 4.0f}, {".e\n", kUnreachedTime}, {"E\n.\n", 4.0f}, {"f\n.\n", kUnreachedTime},
               {".F\n", kUnreachedTime}, {"F\n.\n", kUnreachedTime}, {"e\n.\n", 4.0f}};
  for (const auto& c : cases) {
    clearScene();
    const Plan plan = parseOrFail(c.plan);
    readMeshText(formatMesh(plan));
    computeTravelTimesFromText(formatExits(plan));
    const CellId other = plan.cells[0].symbol == '.' ? 1 : 2;
    EXPECT_EQ(travelTime[other], c.lastTime) << c.plan;
    EXPECT_NE(formatMesh(plan).find(" exit "), std::string::npos) << c.plan;
  }
}

// The key names every character of every kind in its wall column, as the
// format has them; worked out by hand, not from the table.
TEST(PlanHelp, PrintsTheWholeKey) {
  const std::string help = formatPlanHelp();
  const char* const rows[] = {
      "  floor       .         |       _       L\n",
      "  platform    p         P       q       Q\n",
      "  stair       s         S       z       Z\n",
      "  service     d         D       b       B\n",
      "  escalator   m         M       w       W\n",
      "  gate        n         N       u       U\n",
      "  exit        E         e       f       F\n",
      "usage: plan2mesh PLAN MESH_OUT EXIT_OUT\n",
      "rock (no cell): space, =",
      "0 to 9: a join label",
      "# door NAME = LINE:COLUMN",
      "== level NAME",
      "== escalator DIGIT up|down",
  };
  for (const char* row : rows) EXPECT_NE(help.find(row), std::string::npos) << row << "\n" << help;
  const char* const argv[] = {"plan2mesh", "--help"};
  testing::internal::CaptureStdout();
  EXPECT_EQ(runPlan2mesh(2, argv), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), help);
}
