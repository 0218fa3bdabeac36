// The scenario file: what it means on a plan, and a clear message naming
// the file, line and key for everything it may not say.
#include "egress_support.h"
#include "people.h"

namespace {

const std::map<char, CellDrawing> kLegend = {
    {'.', {"floor", false, ""}},
    {'p', {"platform", false, ""}},
    {'N', {"exit", true, "exit;door=North%20stair"}},
    {'S', {"exit", true, "exit;door=South%3Bgate"}},
    {'E', {"exit", true, ""}}};

// Three doors: "North stair" (2 cells), an unnamed one, "South;gate".
DrawnPlan threeDoors() {
  return drawPlan({"NN  E", ".....", "ppppp", "S    "}, kLegend);
}

std::string errorOf(const std::string& toml, const DrawnPlan& plan = threeDoors()) {
  Scenario s;
  std::string error;
  if (!parseScenario(toml, "x.toml", s, error)) return error;
  PlanGraph g;
  PlanWarnings w;
  EXPECT_TRUE(readPlanGraphText(plan.mesh, plan.exits, g, w, error));
  ScenarioOnPlan on;
  if (!applyScenario(s, g, on, error)) return error;
  return "";
}

TEST(EgressScenario, MistakesNameFileLineAndKey) {
  EXPECT_EQ(errorOf("cell_side = 0.5\nspeed = 1\n"), "x.toml:2: unknown key 'speed'");
  EXPECT_EQ(errorOf("[kinds.floor]\nspeed = 1\nsped = 2\n"),
            "x.toml:3: unknown key 'sped' in [kinds.floor] (speed, flow, jam)");
  EXPECT_EQ(errorOf("[kinds.floor.up]\nspeed = 1\n"),
            "x.toml:1: unknown key 'up' in [kinds.floor] (speed, flow, jam)");  // no sub-tables yet
  EXPECT_EQ(errorOf("[kinds.floor]\nflow = -1.3\n"), "x.toml:2: kinds.floor.flow must be above 0");
  EXPECT_EQ(errorOf("[kinds.floor]\njam = nan\n"), "x.toml:2: kinds.floor.jam must be a finite number");
  EXPECT_EQ(errorOf("cell_side = inf\n"), "x.toml:1: cell_side must be a finite number");
  EXPECT_EQ(errorOf("cell_side = \"half a metre\"\n"), "x.toml:1: cell_side must be a number");
  EXPECT_EQ(errorOf("[limits]\neveryone_out = -5\n"), "x.toml:2: limits.everyone_out must not be negative");
  EXPECT_EQ(errorOf("route = \"fastest\"\n"), "x.toml:1: route must be \"quickest\" or \"nearest\"");
  EXPECT_EQ(errorOf("cell_side = 0.5\ncell_side = 1\n").substr(0, 9), "x.toml:2:");  // TOML's own
  EXPECT_EQ(errorOf("[kinds.stair]\nspeed = 0.5\n"),
            "x.toml:1: [kinds.stair]: the plan has no cells of kind 'stair' (its kinds: exit, floor, platform)");
  EXPECT_EQ(errorOf("\n[people.density]\nescalator = 1\n"),
            "x.toml:3: people.density.escalator: the plan has no cells of kind 'escalator' "
            "(its kinds: exit, floor, platform)");
  EXPECT_EQ(errorOf("[limits.cleared]\nconcourse = 240\n").substr(0, 36), "x.toml:2: limits.cleared.concourse: ");
  EXPECT_EQ(errorOf("[doors]\nblocked = [4]\n"), "x.toml:2: doors.blocked: there is no door 4; the plan has 3");
  EXPECT_EQ(errorOf("[doors]\nblocked = [\"East\"]\n"), "x.toml:2: doors.blocked: no door is named \"East\"");
  EXPECT_EQ(errorOf("[doors]\nblocked = [0]\n"),
            "x.toml:2: doors.blocked holds a door name (text) or number (from 1)");
  EXPECT_EQ(errorOf("[kinds.floor]\nspeed = 200\n"),
            "x.toml: the fastest kind is more than 100 times as fast as the slowest (200 and 1.33 m/s)");
}

TEST(EgressScenario, PeopleAboveAJamAreRefused) {
  // 0.5 m cells of 0.25 m²: a jam of 5.4 persons per m² is 1.35 persons a cell.
  EXPECT_EQ(errorOf("[people.density]\nfloor = 5.5\n"),
            "x.toml:2: people on 'floor' come to 5.5 persons per m², above its jam density of 5.4");
  EXPECT_EQ(errorOf("[people.density]\nfloor = 5.4\n"), "");
  // 5 floor cells: 6.75 persons fill them; a density on top goes over.
  EXPECT_EQ(errorOf("[people.count]\nfloor = 6.75\n"), "");
  EXPECT_EQ(errorOf("[people.density]\nfloor = 1\n[people.count]\nfloor = 6\n").substr(0, 10), "x.toml:4: ");
  EXPECT_EQ(errorOf("[kinds.floor]\njam = 2\n[people.density]\nfloor = 3\n").substr(0, 10), "x.toml:4: ");
}

TEST(EgressScenario, DoorsBlockedByNameOrNumber) {
  EgressCase c;
  setUpCase(threeDoors(), "[doors]\nblocked = [\"North stair\", 2]\n", c);
  EXPECT_EQ(c.on.doorName, (std::vector<std::string>{"North stair", "", "South;gate"}));
  EXPECT_EQ(c.on.doorBlocked, (std::vector<bool>{true, true, false}));
  ASSERT_EQ(c.on.input.exits.size(), 1u);
  EXPECT_EQ(c.graph.number[static_cast<std::size_t>(c.on.input.exits[0])], 14);  // the "S"
  EXPECT_EQ(c.on.input.doorOfExit, (std::vector<int>{2}));
  EXPECT_EQ(doorLabel(c.on, 0), "1 \"North stair\"");
  const EgressInput third = withDoorBlocked(c.on, c.graph, 2);
  EXPECT_TRUE(third.exits.empty());
}

TEST(EgressScenario, KindsTakeTheFiguresOfStationPracticeUnlessGiven) {
  EgressCase c;
  setUpCase(threeDoors(), "cell_side = 0.25\n[kinds.platform]\nspeed = 1.0\n", c);
  const KindFlow& platform = c.on.input.kinds[2];
  ASSERT_EQ(c.graph.kindWords[2], "platform");
  EXPECT_DOUBLE_EQ(platform.speed, 1.0);
  EXPECT_DOUBLE_EQ(platform.flow, 81.9 / 60.0);
  EXPECT_DOUBLE_EQ(platform.jam, 5.4);
  KindFlow stair{};
  ASSERT_TRUE(defaultKindFlow("stair", stair));
  EXPECT_DOUBLE_EQ(stair.flow, 55.5 / 60.0);
  EXPECT_NEAR(stair.speed * 60.0 * 0.175 / 0.28, 14.6, 1e-12);  // the standard's vertical speed
  EXPECT_FALSE(defaultKindFlow("gate", stair));
  EXPECT_EQ(errorOf("", drawPlan({"E", "g"}, {{'E', {"exit", true, ""}}, {'g', {"gate", false, ""}}})),
            "x.toml: the plan has cells of kind 'gate', which has no figures of its own: "
            "give [kinds.gate] speed, flow and jam");
}

TEST(EgressScenario, PeopleCsvAddsToTheKinds) {
  EgressCase c;
  setUpCase(threeDoors(), "[people.count]\nplatform = 5\n", c);
  std::vector<double> most(c.graph.kindWords.size(), 1.35);
  std::vector<double> people = c.on.input.people;
  std::string error;
  ASSERT_TRUE(addPeopleCsvText("note,people,cell\nx,0.25,6\r\n,0.3,12\n", "p.csv", c.graph, most, people, error))
      << error;
  EXPECT_DOUBLE_EQ(people[static_cast<std::size_t>(indexOfCell(c.graph, 6))], 0.25);
  EXPECT_DOUBLE_EQ(people[static_cast<std::size_t>(indexOfCell(c.graph, 12))], 1.3);  // 1 of the count + 0.3
  const auto fails = [&](const std::string& text) {
    std::vector<double> again = c.on.input.people;
    std::string why;
    EXPECT_FALSE(addPeopleCsvText(text, "p.csv", c.graph, most, again, why));
    return why;
  };
  EXPECT_EQ(fails("cell,persons\n"), "p.csv:1: the header must name the columns cell and people");
  EXPECT_EQ(fails("cell,people\n6,1\n6,0.1\n"), "p.csv:3: cell 6 is listed twice");
  EXPECT_EQ(fails("cell,people\n99,1\n"), "p.csv:2: cell 99 is not a cell of the mesh");
  EXPECT_EQ(fails("cell,people\n6,-1\n"), "p.csv:2: people \"-1\" is not a number of persons from 0 up");
  EXPECT_EQ(fails("cell,people\n6,1e999\n"), "p.csv:2: people \"1e999\" is not a number of persons from 0 up");
  EXPECT_EQ(fails("cell,people\n6.5,1\n"), "p.csv:2: cell \"6.5\" is not a cell number");
  EXPECT_EQ(fails("cell,people\n6,1,2\n"), "p.csv:2: 3 fields where the header has 2");
  EXPECT_EQ(fails("cell,people\n12,0.5\n").substr(0, 28), "p.csv:2: cell 12 would hold ");
  EXPECT_EQ(fails("cell,people\n" + std::string(5000, '6') + ",1\n"), "p.csv:2: line longer than 4096 bytes");
}

}  // namespace
