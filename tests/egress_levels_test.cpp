// Stations of several levels in orvik-egress: stairs and escalators by the
// way people go on them, escalators by their capacity, stairs and
// escalators out of service, and --blocked taking each out in turn. The
// plans are drawn on one grid: a join is two end cells side by side, told
// apart from any other neighbours by their tags, as plan2mesh writes them.
#include <algorithm>
#include <cmath>

#include "egress_support.h"

namespace {

// Stair figures of station practice, worked here from the sources and not
// from the program: 55.5 persons per metre per minute and 14.6 m/min of
// vertical travel down a stair of 0.175 m risers and 0.28 m treads; up,
// 0.8 of both (the maritime guidance's 0.88 against 1.1).
const double kDownSpeed = 14.6 / 60.0 * 0.28 / 0.175;  // m/s over the plan
const double kUpSpeed = kDownSpeed * 0.88 / 1.1;
const double kDownFlow = 55.5 / 60.0;                // persons per metre per second
const double kUpFlow = kDownFlow * 0.88 / 1.1;

// A stair of 4 cells on each level, joined between `A` (upper end) and `B`
// (lower end). The upper level is floor with the exit, the lower one
// platform.
const std::map<char, CellDrawing> kStairLegend = {
    {'E', {"exit", true, ""}},
    {'.', {"floor", false, ""}},
    {'p', {"platform", false, ""}},
    {'a', {"stair", false, "level=Upper;join=1;toward=down"}},
    {'A', {"stair", false, "level=Upper;join=1;end;toward=down"}},
    {'B', {"stair", false, "level=Lower;join=1;end;toward=up"}},
    {'b', {"stair", false, "level=Lower;join=1;toward=up"}}};

// The exit above, the people below, leaving up the stair; or mirrored:
// the exit below, the people above, leaving down it.
DrawnPlan oneStair(bool up, int rows) {
  const std::string line = up ? "E...aaaABbbbpppp" : "Epppbbb" "BAaaa....";
  return drawPlan(std::vector<std::string>(static_cast<std::size_t>(rows), line), kStairLegend);
}

TEST(EgressLevels, OnlyWayOutIsAStairSlowerUpThanDown) {
  for (const bool up : {true, false}) {
    SCOPED_TRACE(up ? "up" : "down");
    EgressCase c;
    setUpCase(oneStair(up, 1), "cell_side = 0.5\n", c);
    // A hundredth of a person at the far end: a walk, no queue.
    c.on.input.people.assign(c.graph.number.size(), 0.0);
    const std::size_t far = c.graph.number.size() - 1;  // the far end's last cell
    c.on.input.people[far] = 0.01;
    const EgressOutcome r = runEgress(c.graph, c.on.input);
    // By hand: 4 level cells at 1.33 m/s on the far side (people) and 4
    // with the exit on the near side, 8 stair cells at the way's speed.
    const double level = 0.5 / 1.33;
    const double stair = 0.5 / (up ? kUpSpeed : kDownSpeed);
    const double walk = 8 * level + 8 * stair;
    EXPECT_NEAR(r.walkSeconds[far], walk, 1e-9);
    noteMeasured(std::string("one stair, ") + (up ? "up" : "down") + ", walk out (s)", walk);
    // Each stair cell keeps the last of the hundredth one step beyond its
    // mean crossing at most.
    EXPECT_GE(r.everyoneOut, walk - 1e-9);
    EXPECT_LE(r.everyoneOut, walk + 8 * r.step);
  }
  // Up takes 8 cells x 0.5 m x (1/v_up - 1/v_down) longer: 3.21 s.
  EgressCase up, down;
  setUpCase(oneStair(true, 1), "cell_side = 0.5\n", up);
  setUpCase(oneStair(false, 1), "cell_side = 0.5\n", down);
  const EgressOutcome ru = runEgress(up.graph, up.on.input);
  const EgressOutcome rd = runEgress(down.graph, down.on.input);
  const std::size_t farUp = up.graph.number.size() - 1;
  const std::size_t farDown = down.graph.number.size() - 1;
  EXPECT_NEAR(ru.walkSeconds[farUp] - rd.walkSeconds[farDown], 4.0 * (1 / kUpSpeed - 1 / kDownSpeed), 1e-9);
}

// A 2 m wide crowd (4 rows) leaving by the 2 m stair: the mean outflow
// while the middle half of the crowd goes out is the stair's capacity for
// the way people go on it, 2 m x 0.74 up and 2 m x 0.925 down.
TEST(EgressLevels, StairPassesByTheWayPeopleGo) {
  for (const bool up : {true, false}) {
    SCOPED_TRACE(up ? "up" : "down");
    std::vector<std::string> rows(4, up ? "E...aaaABbbb" + std::string(24, 'p') : "E" + std::string(24, 'p') + "bbbBAaaa....");
    EgressCase c;
    setUpCase(drawPlan(rows, kStairLegend),
              up ? "cell_side = 0.5\n[people.density]\nplatform = 4.0\n"
                 : "cell_side = 0.5\n[people.density]\nfloor = 4.0\n",
              c);
    const std::vector<double> perStep = doorFlowPerStep(c.graph, c.on.input, 0);
    const EgressOutcome r = runEgress(c.graph, c.on.input);
    double out = 0.0;
    int from = -1;
    int to = -1;
    for (std::size_t t = 0; t < perStep.size(); ++t) {
      out += perStep[t];
      if (from < 0 && out >= 0.25 * r.placed) from = static_cast<int>(t);
      if (to < 0 && out >= 0.75 * r.placed) to = static_cast<int>(t);
    }
    double middle = 0.0;
    for (int t = from + 1; t <= to; ++t) middle += perStep[static_cast<std::size_t>(t)];
    const double flow = middle / ((to - from) * r.step);
    const double capacity = 2.0 * (up ? kUpFlow : kDownFlow);
    noteMeasured(std::string("2 m stair, ") + (up ? "up" : "down") + ", flow out (p/s)", flow);
    EXPECT_NEAR(flow, capacity, 0.02 * capacity);
    const std::vector<HandFigure> hand = handFigures(c.graph, c.on.input);
    ASSERT_EQ(hand.size(), 2u);  // everyone, and the kind holding the crowd
    EXPECT_NEAR(hand[1].capacity, capacity, 1e-12);
  }
}

// Two escalators of 2 cells (1 m) up from a platform, each to a door of
// its own, running at 60 persons a minute: 1 person a second each, less
// than the 1.365 the platform passes through 1 m.
const std::map<char, CellDrawing> kEscalatorLegend = {
    {'1', {"exit", true, "exit;door=West"}},
    {'2', {"exit", true, "exit;door=East"}},
    {'p', {"platform", false, ""}},
    {'w', {"escalator", false, "join=7;toward=down;runs=up"}},
    {'W', {"escalator", false, "join=7;end;toward=down;runs=up"}},
    {'V', {"escalator", false, "join=7;end;toward=up;runs=up"}},
    {'v', {"escalator", false, "join=7;toward=up;runs=up"}},
    {'e', {"escalator", false, "join=8;toward=down;runs=up"}},
    {'F', {"escalator", false, "join=8;end;toward=down;runs=up"}},
    {'G', {"escalator", false, "join=8;end;toward=up;runs=up"}},
    {'g', {"escalator", false, "join=8;toward=up;runs=up"}}};

std::vector<std::string> twoEscalators() {
  std::vector<std::string> rows{" 11     22 ", " ww     ee ", " WW     FF ", " VV     GG ", " vv     gg "};
  for (int i = 0; i < 20; ++i) rows.push_back(std::string(11, 'p'));
  return rows;
}

TEST(EgressLevels, EscalatorOutOfServiceHalvesTheWayUp) {
  const std::string base = "cell_side = 0.5\n[escalators]\ncapacity = 60\n[people.count]\nplatform = 200\n";
  EgressCase both, one;
  setUpCase(drawPlan(twoEscalators(), kEscalatorLegend), base, both);
  setUpCase(drawPlan(twoEscalators(), kEscalatorLegend), base + "[joins]\nout_of_service = [\"8\"]\n", one);
  EXPECT_EQ(one.on.joinOut, (std::vector<bool>{false, true}));  // labels as first met: 7, 8
  for (EgressCase* c : {&both, &one}) {
    const bool halved = c == &one;
    SCOPED_TRACE(halved ? "escalator 8 out" : "both running");
    const EgressOutcome r = runEgress(c->graph, c->on.input);
    const std::vector<HandFigure> hand = handFigures(c->graph, c->on.input);
    const auto platform = std::find_if(hand.begin(), hand.end(), [&](const HandFigure& h) {
      return h.kind >= 0 && c->graph.kindWords[static_cast<std::size_t>(h.kind)] == "platform";
    });
    ASSERT_NE(platform, hand.end());
    // By hand: 200 persons at 1 person a second an escalator.
    const double capacity = halved ? 1.0 : 2.0;
    EXPECT_NEAR(platform->capacity, capacity, 1e-12);
    EXPECT_NEAR(platform->flowSeconds, 200.0 / capacity, 1e-9);
    const double cleared = r.kindCleared[static_cast<std::size_t>(platform->kind)];
    noteMeasured(std::string("escalators, ") + (halved ? "one out" : "both") + ", platform clear (s)", cleared);
    EXPECT_GE(cleared, 200.0 / capacity);
    EXPECT_LE(cleared, 200.0 / capacity + platform->longestWalk + r.step);
    EXPECT_NEAR(r.doors[1].people, halved ? 0.0 : 100.0, halved ? 1e-12 : 10.0);  // "East", escalator 8
    EXPECT_NEAR(r.out, 200.0, kPersonTrace);
  }
}

// The escalator of kEscalatorLegend running down: against the way out.
// Walked, it passes the stair's upward flow through its 1 m; closed, no one.
TEST(EgressLevels, EscalatorAgainstTheWayOutIsWalkedOrClosed) {
  std::map<char, CellDrawing> legend = kEscalatorLegend;
  for (auto& [ch, cell] : legend) {
    const std::size_t at = cell.tags.find("runs=up");
    if (at != std::string::npos && (ch == 'e' || ch == 'F' || ch == 'G' || ch == 'g')) cell.tags.replace(at, 7, "runs=down");
  }
  const std::string base = "cell_side = 0.5\n[people.count]\nplatform = 200\n[escalators]\ncapacity = 60\n";
  EgressCase walked, closed;
  setUpCase(drawPlan(twoEscalators(), legend), base, walked);
  setUpCase(drawPlan(twoEscalators(), legend), base + "against = \"closed\"\n", closed);
  const auto platformCapacity = [](const EgressCase& c) {
    return handFigures(c.graph, c.on.input).back().capacity;
  };
  EXPECT_NEAR(platformCapacity(walked), 1.0 + 1.0 * kUpFlow, 1e-12);
  EXPECT_NEAR(platformCapacity(closed), 1.0, 1e-12);
  const EgressOutcome r = runEgress(closed.graph, closed.on.input);
  EXPECT_NEAR(r.doors[1].people, 0.0, 1e-12);
  EXPECT_NEAR(r.out, 200.0, kPersonTrace);
  // Stopped, every escalator is walked: up at the stair's flow.
  EgressCase stopped;
  setUpCase(drawPlan(twoEscalators(), legend), base + "running = false\n", stopped);
  EXPECT_NEAR(platformCapacity(stopped), 2.0 * kUpFlow, 1e-12);
}

// The verification case of station practice on real escalator cells: a
// platform of 1,000 people, 10 m by 25 m at 0.2 m a cell, two 2.4 m stairs
// (12 cells) and two 1 m escalators (5 cells) up to a door each, every one
// counted at 55.5 persons per metre per minute (the escalators stopped and
// walked), escalator 3 out of service: 2 x 2.4 x 55.5 + 55.5 = 321.9
// persons a minute, 3.11 min, within 4 minutes.
std::vector<std::string> stationPlatform() {
  std::vector<std::string> rows(4, std::string(125, ' '));
  const auto run = [&](int from, int width, const std::string& column) {
    for (std::size_t r = 0; r < rows.size(); ++r) {
      rows[r].replace(static_cast<std::size_t>(from), static_cast<std::size_t>(width),
                      std::string(static_cast<std::size_t>(width), column[r]));
    }
  };
  run(7, 12, "1aAB");
  run(39, 5, "2cCD");
  run(79, 5, "3eEF");
  run(105, 12, "4gGH");
  for (int i = 0; i < 50; ++i) rows.push_back(std::string(125, 'p'));
  return rows;
}

std::map<char, CellDrawing> stationLegend() {
  std::map<char, CellDrawing> legend{{'p', {"platform", false, ""}}};
  const char* kinds[] = {"stair", "escalator", "escalator", "stair"};
  for (int j = 0; j < 4; ++j) {
    const std::string label = std::to_string(j + 1);
    const std::string kind = kinds[j];
    const std::string runs = kind == "escalator" ? ";runs=up" : "";
    legend[static_cast<char>('1' + j)] = {"exit", true, "exit;door=Way%20" + label};
    legend[static_cast<char>('a' + 2 * j)] = {kind, false, "join=" + label + ";toward=down" + runs};
    legend[static_cast<char>('A' + 2 * j)] = {kind, false, "join=" + label + ";end;toward=down" + runs};
    legend[static_cast<char>('B' + 2 * j)] = {kind, false, "join=" + label + ";end;toward=up" + runs};
  }
  return legend;
}

TEST(EgressLevels, HandCalculationOnRealEscalators) {
  EgressCase c;
  setUpCase(drawPlan(stationPlatform(), stationLegend()),
            "cell_side = 0.2\n[kinds.stair.up]\nflow = 0.925\n[kinds.escalator.up]\nflow = 0.925\n"
            "[escalators]\nrunning = false\n[people.count]\nplatform = 1000\n[limits.cleared]\nplatform = 240\n"
            "[joins]\nout_of_service = [3]\n",
            c);
  const EgressOutcome r = runEgress(c.graph, c.on.input);
  const HandFigure platform = handFigures(c.graph, c.on.input).back();
  ASSERT_EQ(c.graph.kindWords[static_cast<std::size_t>(platform.kind)], "platform");
  EXPECT_NEAR(platform.capacity * 60.0, 321.9, 0.05);
  EXPECT_NEAR(platform.flowSeconds / 60.0, 3.11, 0.005);
  const double cleared = r.kindCleared[static_cast<std::size_t>(platform.kind)];
  noteMeasured("platform on real escalators, escalator 3 out, hand (s)", platform.flowSeconds);
  noteMeasured("platform on real escalators, escalator 3 out, model (s)", cleared);
  EXPECT_GE(cleared, platform.flowSeconds);
  EXPECT_LE(cleared, platform.flowSeconds + platform.longestWalk);
  EXPECT_TRUE(judgeLimits(c.on, c.scenario, r)[0].passed);
  EXPECT_NEAR(r.doors[2].people, 0.0, 1e-12);  // nobody takes the escalator out of service
}

// --blocked takes each stair and escalator out in turn: on half the
// platform above (25 rows, 500 people), the worst is one of the two 2.4 m
// stairs: 2.4 + 2 x 1 m left, 500 / (4.4 m x 0.925) = 123 s by hand,
// beyond a limit of 120 s.
TEST(EgressLevels, BlockedNamesTheWorstStair) {
  std::vector<std::string> rows = stationPlatform();
  rows.resize(4 + 25);
  EgressCase c;
  setUpCase(drawPlan(rows, stationLegend()),
            "cell_side = 0.2\n[kinds.stair.up]\nflow = 0.925\n[kinds.escalator.up]\nflow = 0.925\n"
            "[escalators]\nrunning = false\n[people.count]\nplatform = 500\n[limits.cleared]\nplatform = 120\n",
            c);
  const std::vector<BlockedCase> cases = blockEachDoor(c.graph, c.on, c.scenario);
  ASSERT_EQ(cases.size(), 8u);  // 4 doors, then 4 joins by label
  EXPECT_EQ(cases[4].join, "1");
  EXPECT_EQ(cases[7].join, "4");
  const int worst = worstCaseOf(cases, true);
  ASSERT_GE(worst, 0);
  EXPECT_EQ(joinName(c.graph, cases[static_cast<std::size_t>(worst)].join).substr(0, 6), "stair ");
  EXPECT_FALSE(cases[static_cast<std::size_t>(worst)].limits[0].passed);
  EXPECT_EQ(joinName(c.graph, "3"), "escalator 3");
  // A door blocked at the top of a stair is the same loss as the stair out.
  EXPECT_NEAR(cases[0].outcome.everyoneOut, cases[4].outcome.everyoneOut, 0.05 * cases[0].outcome.everyoneOut);
}

TEST(EgressLevels, ScenarioMistakesNameFileLineAndKey) {
  const auto errorOf = [](const std::string& toml) {
    Scenario s;
    std::string error;
    if (!parseScenario(toml, "x.toml", s, error)) return error;
    const DrawnPlan plan = drawPlan(twoEscalators(), kEscalatorLegend);
    PlanGraph g;
    PlanWarnings w;
    EXPECT_TRUE(readPlanGraphText(plan.mesh, plan.exits, g, w, error));
    ScenarioOnPlan on;
    return applyScenario(s, g, on, error) ? std::string() : error;
  };
  EXPECT_EQ(errorOf("[kinds.escalator.up]\nsped = 1\n"), "x.toml:2: unknown key 'sped' in [kinds.escalator.up] (speed, flow, jam)");
  EXPECT_EQ(errorOf("[kinds.escalator]\nsideways = 1\n"),
            "x.toml:2: unknown key 'sideways' in [kinds.escalator] (speed, flow, jam, up, down)");
  EXPECT_EQ(errorOf("[escalators]\nagainst = \"run\"\n"), "x.toml:2: escalators.against must be \"walked\" or \"closed\"");
  EXPECT_EQ(errorOf("[escalators]\nrunning = 1\n"), "x.toml:2: escalators.running must be true or false");
  EXPECT_EQ(errorOf("[escalators]\ncapacity = 0\n"), "x.toml:2: escalators.capacity must be above 0");
  EXPECT_EQ(errorOf("[joins]\nout_of_service = [\"5\"]\n"),
            "x.toml:2: joins.out_of_service: no stair or escalator is labelled \"5\" (the plan's: 7, 8)");
  EXPECT_EQ(errorOf("[joins]\nout_of_service = [-1]\n"),
            "x.toml:2: joins.out_of_service holds the labels of stairs and escalators (\"3\" or 3)");
  EXPECT_EQ(errorOf("[joins]\nout_of_service = [7, 8]\n[people.count]\nescalator = 3\n"),
            "x.toml:4: people.count.escalator: every cell of kind 'escalator' is out of service");
  EXPECT_EQ(errorOf("[joins]\nout_of_service = [7]\n[people.count]\nescalator = 3\n"), "");
}

TEST(EgressLevels, GateCapacityIsPerGate) {
  const std::map<char, CellDrawing> legend = {{'E', {"exit", true, ""}}, {'g', {"gate", false, ""}}, {'.', {"floor", false, ""}}};
  EgressCase c;
  // Four gates of 0.6 m side by side, 50 persons a minute each.
  setUpCase(drawPlan({"EEEE", "gggg", "...."}, legend), "cell_side = 0.6\n[kinds.gate]\ncapacity = 50\n", c);
  const KindFlow& gate = c.on.input.kinds[static_cast<std::size_t>(
      std::find(c.graph.kindWords.begin(), c.graph.kindWords.end(), "gate") - c.graph.kindWords.begin())];
  EXPECT_NEAR(gate.flow * 0.6 * 60.0, 50.0, 1e-12);
  EXPECT_DOUBLE_EQ(gate.speed, 1.33);  // level floor's, as not given
  Scenario s;
  std::string error;
  EXPECT_FALSE(parseScenario("[kinds.gate]\ncapacity = 50\nflow = 1\n", "x.toml", s, error));
  EXPECT_EQ(error, "x.toml:2: kinds.gate: give flow or capacity, not both");
}

}  // namespace
