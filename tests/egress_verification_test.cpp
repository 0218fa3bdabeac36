// The verification cases of orvik-egress: each builds its own small plan
// and scenario and holds the model against a figure worked by hand (the
// guideline tests of evacuation models, the hand calculation of station
// practice). Tolerances are one time step unless a case says otherwise.
#include <algorithm>
#include <cmath>

#include "egress_support.h"

namespace {

const std::map<char, CellDrawing> kLegend = {{'.', {"floor", false, ""}},
                                              {'E', {"exit", true, ""}},
                                              {'s', {"stair", false, ""}},
                                              {'p', {"platform", false, ""}}};

// Persons per m² from which a queue is dense (the maritime guidance flags
// congestion there).
constexpr double kDense = 3.5;

// A 2 m by 40 m corridor at 0.5 m a cell: 4 rows of 80 cells, the last
// column the exit cells. People are a fluid here: a cell side passes at
// most 0.26 persons a step (0.5 m x 1.365 persons per metre per second x
// 0.376 s), so a whole person in one cell leaves it over four steps.
EgressOutcome corridorWalk(const std::vector<int>& cells, double each) {
  std::vector<std::string> rows(4, std::string(79, '.') + "E");
  EgressCase c;
  setUpCase(drawPlan(rows, kLegend),
            "cell_side = 0.5\n[kinds.floor]\nspeed = 1.33\n[kinds.exit]\nspeed = 1.33\n", c);
  c.on.input.people.assign(c.graph.number.size(), 0.0);
  for (const int cell : cells) c.on.input.people[static_cast<std::size_t>(indexOfCell(c.graph, cell))] = each;
  return runEgress(c.graph, c.on.input);
}

TEST(EgressVerification, CorridorWalkTakesThirtySeconds) {
  // A tiny group, one person spread over the far end's four cells (cell
  // numbers 1, 81, 161 and 241): a quarter of a person a cell leaves
  // in one step, so the group crosses a cell each step and leaves with the
  // 80th, 40 m at 1.33 m/s.
  const EgressOutcome group = corridorWalk({1, 81, 161, 241}, 0.25);
  noteMeasured("corridor, a group of one spread over the width (s)", group.everyoneOut);
  EXPECT_NEAR(group.everyoneOut, 40.0 / 1.33, group.step);
  EXPECT_DOUBLE_EQ(group.out, 1.0);
  // One person in one cell: spread into four steps, the last quarter out
  // three steps later, still within the 26 to 34 s of the guideline's test 1.
  const EgressOutcome one = corridorWalk({1}, 1.0);
  noteMeasured("corridor, one person in one cell (s)", one.everyoneOut);
  EXPECT_GE(one.everyoneOut, 26.0);
  EXPECT_LE(one.everyoneOut, 34.0);
  EXPECT_NEAR(one.everyoneOut, 40.0 / 1.33 + 3 * one.step, 1e-9);
}

// 100 people in an 8 m by 5 m room (16 by 10 cells of 0.5 m), one 1 m
// exit (2 exit cells outside its right wall) at 1.33 persons per metre per
// second.
TEST(EgressVerification, DoorFlowNeverExceedsItsCapacity) {
  std::vector<std::string> rows(10, std::string(16, '.') + ' ');
  rows[4].back() = 'E';
  rows[5].back() = 'E';
  EgressCase c;
  setUpCase(drawPlan(rows, kLegend),
            "cell_side = 0.5\n[kinds.floor]\nflow = 1.33\nspeed = 1.33\n"
            "[kinds.exit]\nflow = 1.33\nspeed = 1.33\n[people.count]\nfloor = 100\n",
            c);
  const std::vector<double> perStep = doorFlowPerStep(c.graph, c.on.input, 0);
  const EgressOutcome r = runEgress(c.graph, c.on.input);
  const double capacity = 1.0 * 1.33;  // persons per second
  // The nearest crowd cell is beside an exit cell: one step into it.
  const double walk = r.step;
  noteMeasured("door flow, last out (s)", r.everyoneOut);
  noteMeasured("door flow, highest flow in a step (p/s)", r.doors[0].peakFlow);
  EXPECT_NEAR(r.everyoneOut, 100.0 / capacity + walk, r.step);
  EXPECT_NEAR(r.out, 100.0, 1e-9);
  for (const double persons : perStep) EXPECT_LE(persons / r.step, capacity * (1 + 1e-12));
  EXPECT_LE(r.doors[0].peakFlow, capacity * (1 + 1e-12));
}

// A crowd of 300 in a room between two corridors: 20 cells of 1 m at
// 1 m/s to an exit of 1.0 persons per second on the left, 40 to one of 0.5
// on the right. The quickest clearing solves 1.0 (T - 20) + 0.5 (T - 40)
// = 300: T = 226.7 s; everyone at the nearest exit takes 20 + 300 s.
std::string twoExitsScenario(const char* route) {
  return std::string("cell_side = 1.0\nroute = \"") + route +
         "\"\n[kinds.floor]\nspeed = 1.0\nflow = 2.0\n"
         "[kinds.fast]\nspeed = 1.0\nflow = 1.0\njam = 5.4\n[kinds.slow]\nspeed = 1.0\nflow = 0.5\njam = 5.4\n"
         "[kinds.crowd]\nspeed = 1.0\nflow = 2.0\njam = 5.4\n[people.count]\ncrowd = 300\n";
}

std::vector<std::string> twoExitsPlan() {
  // The crowd's room is 6 by 10 cells; the corridors leave from the middle
  // of its short sides. The exit cells count in the walk.
  std::vector<std::string> rows(10, std::string(19, ' ') + std::string(6, 'c') + std::string(39, ' '));
  rows[5] = "A" + std::string(18, '.') + std::string(6, 'c') + std::string(38, '.') + "B";
  return rows;
}

const std::map<char, CellDrawing> kTwoExitLegend = {{'.', {"floor", false, ""}},
                                                     {'c', {"crowd", false, ""}},
                                                     {'A', {"fast", true, ""}},
                                                     {'B', {"slow", true, ""}}};

TEST(EgressVerification, TwoExitsByHand) {
  EgressCase quickest;
  setUpCase(drawPlan(twoExitsPlan(), kTwoExitLegend), twoExitsScenario("quickest"), quickest);
  const EgressOutcome best = runEgress(quickest.graph, quickest.on.input);
  const double byHand = (300.0 + 20.0 + 0.5 * 40.0) / 1.5;  // 226.7 s
  noteMeasured("two exits, quickest route (s)", best.everyoneOut);
  EXPECT_NEAR(best.everyoneOut, byHand, 0.03 * byHand);
  EXPECT_GT(best.doors[1].people, 50.0);  // people did take the far exit

  EgressCase nearest;
  setUpCase(drawPlan(twoExitsPlan(), kTwoExitLegend), twoExitsScenario("nearest"), nearest);
  const EgressOutcome near = runEgress(nearest.graph, nearest.on.input);
  noteMeasured("two exits, nearest route (s)", near.everyoneOut);
  EXPECT_NEAR(near.everyoneOut, 20.0 + 300.0, near.step);
  EXPECT_DOUBLE_EQ(near.doors[1].people, 0.0);
}

// 1,000 people in a 30 m by 20 m room (60 by 40 cells of 0.5 m) with four
// 1 m exits, two in the top wall and two in the bottom one; then the two
// at the top closed. Half the exit width takes twice as long, less the
// walk to the exit (the guideline's test 9).
std::vector<std::string> fourExitRoom() {
  std::vector<std::string> rows(42, ' ' + std::string(60, '.') + ' ');
  rows.front() = std::string(62, ' ');
  rows.back() = std::string(62, ' ');
  for (std::string* wall : {&rows.front(), &rows.back()}) {
    for (const int at : {15, 16, 45, 46}) (*wall)[static_cast<std::size_t>(at)] = 'E';
  }
  return rows;
}

TEST(EgressVerification, FourExitsTwoClosedTakeTwiceAsLong) {
  const std::string toml = "cell_side = 0.5\n[people.count]\nfloor = 1000\n";
  EgressCase open;
  setUpCase(drawPlan(fourExitRoom(), kLegend), toml, open);
  ASSERT_EQ(open.on.doorBlocked.size(), 4u);
  EgressCase closed;
  setUpCase(drawPlan(fourExitRoom(), kLegend), toml + "[doors]\nblocked = [1, 2]\n", closed);
  const EgressOutcome four = runEgress(open.graph, open.on.input);
  const EgressOutcome two = runEgress(closed.graph, closed.on.input);
  const double walk = 2 * four.step;  // from a crowd cell beside an exit
  const double ratio = (two.everyoneOut - walk) / (four.everyoneOut - walk);
  noteMeasured("four exits open (s)", four.everyoneOut);
  noteMeasured("two exits open (s)", two.everyoneOut);
  noteMeasured("four exits, ratio", ratio);
  EXPECT_NEAR(ratio, 2.0, 0.1);
  EXPECT_NEAR(two.doors[2].people, 500.0, 25.0);  // the two open exits share the crowd
}

// The most persons per m² any cell in columns [first, last] ever held.
double peakIn(const EgressCase& c, const EgressOutcome& r, int first, int last) {
  double peak = 0.0;
  for (std::size_t i = 0; i < c.graph.number.size(); ++i) {
    if (c.graph.column[i] >= first && c.graph.column[i] <= last) peak = std::max(peak, r.peakDensity[i]);
  }
  return peak;
}

// Room (columns 1-20), a 1 m corridor 5 m long (21-30), room (31-50), its
// far wall all exit (51); people in the first room only. The queue, at jam
// density, forms in the first room in front of the corridor; the corridor
// and the second room are never dense (the guideline's test 12).
TEST(EgressVerification, BottleneckQueuesOnlyInFrontOfIt) {
  std::vector<std::string> rows(20, std::string(20, 'p') + std::string(10, ' ') + std::string(20, '.') + 'E');
  for (const int r : {9, 10}) rows[static_cast<std::size_t>(r)].replace(20, 10, std::string(10, '.'));
  EgressCase c;
  setUpCase(drawPlan(rows, kLegend), "cell_side = 0.5\n[people.density]\nplatform = 2.0\n", c);
  const EgressOutcome r = runEgress(c.graph, c.on.input);
  const double jam = c.on.input.kinds[0].jam;
  noteMeasured("bottleneck, first room's highest density (p/m2)", peakIn(c, r, 1, 20));
  noteMeasured("bottleneck, corridor's highest density (p/m2)", peakIn(c, r, 21, 30));
  noteMeasured("bottleneck, second room's highest density (p/m2)", peakIn(c, r, 31, 50));
  EXPECT_GE(peakIn(c, r, 1, 20), 0.99 * jam);
  EXPECT_LE(peakIn(c, r, 1, 20), jam * (1 + 1e-12));
  EXPECT_GE(peakIn(c, r, 20, 20), kDense);  // in front of the corridor's mouth
  EXPECT_LT(peakIn(c, r, 21, 30), kDense);
  EXPECT_LT(peakIn(c, r, 31, 51), kDense);
  EXPECT_GT(peakIn(c, r, 31, 50), 0.0);
}

// A 2 m corridor 10 m long at 1.365 persons per metre per second feeds a
// stair of the same width 5 m long at 0.925, then the exit: the queue forms
// at the stair's foot only, and the flow out equals the stair's capacity.
// A cell of a moving queue holds its jam less what it lets out in a step,
// since what it receives is bounded by its room at the step's start.
TEST(EgressVerification, StairFootHoldsTheQueue) {
  std::vector<std::string> rows(4, std::string(20, '.') + std::string(10, 's') + 'E');
  EgressCase c;
  setUpCase(drawPlan(rows, kLegend), "cell_side = 0.5\n[people.density]\nfloor = 4.0\n", c);
  const std::vector<double> perStep = doorFlowPerStep(c.graph, c.on.input, 0);
  const EgressOutcome r = runEgress(c.graph, c.on.input);
  const double capacity = 2.0 * 55.5 / 60.0;  // persons per second
  // The mean flow while the middle half of the crowd goes out.
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
  const double jam = c.on.input.kinds[0].jam;
  noteMeasured("stair foot, flow out (p/s)", flow);
  noteMeasured("stair foot, highest density at the foot (p/m2)", peakIn(c, r, 20, 20));
  noteMeasured("stair foot, highest density on the stair (p/m2)", peakIn(c, r, 21, 30));
  EXPECT_NEAR(flow, capacity, 0.02 * capacity);
  EXPECT_GE(peakIn(c, r, 20, 20), kDense);
  EXPECT_LE(peakIn(c, r, 20, 20), jam);
  EXPECT_LT(peakIn(c, r, 21, 31), kDense);
}

}  // namespace

namespace {

// A platform of 1,000 people, 10 m by 25 m at 0.2 m a cell, with two
// 2.4 m stairs and two 1 m escalators (stopped, so at a stair's 55.5
// persons per metre per minute) up from its top side, each to a door of its
// own named in the exit cells' tags. With one escalator out: 2 x 2.4 x 55.5
// + 55.5 = 321.9 persons a minute, 3.11 min.
std::vector<std::string> platformPlan() {
  const std::string platform(125, 'p');
  std::string up(125, ' ');
  std::string doors(125, ' ');
  const auto opening = [&](int from, int width, char way, char door) {
    up.replace(static_cast<std::size_t>(from), static_cast<std::size_t>(width), std::string(static_cast<std::size_t>(width), way));
    doors.replace(static_cast<std::size_t>(from), static_cast<std::size_t>(width), std::string(static_cast<std::size_t>(width), door));
  };
  opening(7, 12, 's', '1');
  opening(39, 5, 'e', '2');
  opening(79, 5, 'e', '3');
  opening(105, 12, 's', '4');
  std::vector<std::string> rows{doors};
  for (int i = 0; i < 20; ++i) rows.push_back(up);
  for (int i = 0; i < 50; ++i) rows.push_back(platform);
  return rows;
}

const std::map<char, CellDrawing> kPlatformLegend = {
    {'p', {"platform", false, ""}},
    {'s', {"stair", false, ""}},
    {'e', {"escalator", false, ""}},
    {'1', {"exit", true, "exit;door=Stair%201"}},
    {'2', {"exit", true, "exit;door=Escalator%201"}},
    {'3', {"exit", true, "exit;door=Escalator%202"}},
    {'4', {"exit", true, "exit;door=Stair%202"}}};

struct PlatformCase {
  HandFigure hand;      // the platform's line
  double modelSeconds;  // the platform's clearing time in the model
  bool passed;          // the 4-minute limit
};

PlatformCase platformWithout(const std::string& blocked) {
  EgressCase c;
  setUpCase(drawPlan(platformPlan(), kPlatformLegend),
            "cell_side = 0.2\n[people.count]\nplatform = 1000\n[limits.cleared]\nplatform = 240\n"
            "[doors]\nblocked = [" + blocked + "]\n",
            c);
  const EgressOutcome r = runEgress(c.graph, c.on.input);
  const std::vector<HandFigure> hand = handFigures(c.graph, c.on.input);
  const auto platform = std::find_if(hand.begin(), hand.end(), [&](const HandFigure& h) {
    return h.kind >= 0 && c.graph.kindWords[static_cast<std::size_t>(h.kind)] == "platform";
  });
  EXPECT_NE(platform, hand.end());
  const std::vector<LimitOutcome> limits = judgeLimits(c.on, c.scenario, r);
  EXPECT_EQ(limits.size(), 1u);
  return PlatformCase{*platform, r.kindCleared[static_cast<std::size_t>(platform->kind)], limits[0].passed};
}

TEST(EgressVerification, HandCalculationOfAPlatform) {
  const double perMinute = 55.5 / 60.0;  // persons per metre per second
  const PlatformCase escalatorOut = platformWithout("\"Escalator 2\"");
  EXPECT_NEAR(escalatorOut.hand.capacity * 60.0, 321.9, 0.05);
  EXPECT_NEAR(escalatorOut.hand.flowSeconds / 60.0, 3.11, 0.005);
  EXPECT_NEAR(escalatorOut.hand.capacity, (2 * 2.4 + 1.0) * perMinute, 1e-9);
  noteMeasured("platform, escalator out, hand (s)", escalatorOut.hand.flowSeconds);
  noteMeasured("platform, escalator out, longest walk to a stair (s)", escalatorOut.hand.longestWalk);
  noteMeasured("platform, escalator out, model (s)", escalatorOut.modelSeconds);
  EXPECT_GE(escalatorOut.modelSeconds, escalatorOut.hand.flowSeconds);
  EXPECT_LE(escalatorOut.modelSeconds, escalatorOut.hand.flowSeconds + escalatorOut.hand.longestWalk);
  EXPECT_TRUE(escalatorOut.passed);

  // "With one stair out instead": a stair and both escalators, 244.2
  // persons a minute, 4.10 min; it fails the 4 minutes too.
  const PlatformCase stairOut = platformWithout("\"Stair 2\"");
  EXPECT_NEAR(stairOut.hand.capacity * 60.0, 244.2, 0.05);
  EXPECT_NEAR(stairOut.hand.flowSeconds / 60.0, 4.10, 0.005);
  noteMeasured("platform, stair out, hand (s)", stairOut.hand.flowSeconds);
  noteMeasured("platform, stair out, model (s)", stairOut.modelSeconds);
  EXPECT_GE(stairOut.modelSeconds, stairOut.hand.flowSeconds);
  EXPECT_LE(stairOut.modelSeconds, stairOut.hand.flowSeconds + stairOut.hand.longestWalk);
  EXPECT_FALSE(stairOut.passed);

  // 188.7 persons a minute and 5.30 min are one stair and one escalator
  // left: a stair out as well as the escalator.
  const PlatformCase bothOut = platformWithout("\"Stair 2\", 3");
  EXPECT_NEAR(bothOut.hand.capacity * 60.0, 188.7, 0.05);
  EXPECT_NEAR(bothOut.hand.flowSeconds / 60.0, 5.30, 0.005);
  noteMeasured("platform, stair and escalator out, hand (s)", bothOut.hand.flowSeconds);
  noteMeasured("platform, stair and escalator out, model (s)", bothOut.modelSeconds);
  EXPECT_GE(bothOut.modelSeconds, bothOut.hand.flowSeconds);
  EXPECT_LE(bothOut.modelSeconds, bothOut.hand.flowSeconds + bothOut.hand.longestWalk);
  EXPECT_FALSE(bothOut.passed);
}

}  // namespace
