// The rules every run of the flow model keeps (people conserved, no cell
// below 0 or above its jam, the same inputs the same outputs), and the
// pieces under it in tools/analysis: the plan-sized graph, the doors and
// the walk with costs, each against a separate simple oracle.
#include <algorithm>
#include <cmath>
#include <random>

#include "cost_walk.h"
#include "door_groups.h"
#include "egress_support.h"

namespace {

const std::map<char, CellDrawing> kLegend = {{'.', {"floor", false, ""}},
                                              {'s', {"stair", false, ""}},
                                              {'p', {"platform", false, ""}},
                                              {'E', {"exit", true, ""}}};

// A hall with a pillar, a stair up to it and two doors of different width.
std::vector<std::string> smallStation() {
  return {"   EE         E ",
          "...............",
          "....  .........",
          "....  ....sss..",
          "..........sss..",
          "ppppppppppsss..",
          "ppppppppppppp  "};
}

TEST(EgressModel, PeopleAreConservedAndCellsStayWithinTheirJam) {
  for (const char* route : {"quickest", "nearest"}) {
    EgressCase c;
    setUpCase(drawPlan(smallStation(), kLegend),
              std::string("cell_side = 0.5\nroute = \"") + route +
                  "\"\n[people.density]\nplatform = 5.0\nfloor = 1.0\nstair = 2.0\n",
              c);
    const EgressInput& in = c.on.input;
    const double area = in.cellSide * in.cellSide;
    double placed = 0.0;
    for (const double p : in.people) placed += p;
    int steps = 0;
    const EgressOutcome r = runEgress(c.graph, in, [&](const StepView& s) {
      ++steps;
      double onPlan = 0.0;
      for (std::size_t i = 0; i < s.cellPeople.size(); ++i) {
        const double most = in.kinds[c.graph.kind[i]].jam * area;
        ASSERT_GE(s.cellPeople[i], 0.0);
        ASSERT_LE(s.cellPeople[i], most * (1 + 1e-12)) << "cell " << c.graph.number[i] << " step " << s.step;
        onPlan += s.cellPeople[i];
      }
      double doors = 0.0;
      for (const double d : s.doorOut) doors += d;
      ASSERT_NEAR(doors, s.out, 1e-9 * placed);
      ASSERT_NEAR(placed, s.out + onPlan, 1e-9 * placed) << route << " step " << s.step;
    });
    EXPECT_EQ(steps, r.steps);
    EXPECT_NEAR(r.out, placed, 1e-3);
    EXPECT_NE(r.everyoneOut, kNever);
    EXPECT_GT(r.doors[0].people, 0.0);
    EXPECT_GT(r.doors[1].people, 0.0);
  }
}

TEST(EgressModel, SameInputsGiveTheSameOutputs) {
  std::string first[3];
  for (int run = 0; run < 2; ++run) {
    EgressCase c;
    setUpCase(drawPlan(smallStation(), kLegend),
              "cell_side = 0.5\n[people.density]\nplatform = 5.0\n[limits]\neveryone_out = 60\n", c);
    EgressReport report{"Mesh.csv", "ExitGrid.dat", "case.toml", &c.graph, &c.scenario, &c.on,
                        {}, {}, {}, true, {}, {}};
    std::string curve = curveHeader(c.on);
    report.outcome = runEgress(c.graph, c.on.input, [&](const StepView& s) {
      curve += curveRow(s.seconds, s.out, s.doorOut);
    });
    report.hand = handFigures(c.graph, c.on.input);
    report.limits = judgeLimits(c.on, c.scenario, report.outcome);
    report.blocked = blockEachDoor(c.graph, c.on, c.scenario);
    const std::string outputs[3] = {jsonReport(report) + textReport(report),
                                    timesCsv(c.graph, c.on.input, report.outcome), curve};
    for (int i = 0; i < 3; ++i) {
      if (run == 0) first[i] = outputs[i];
      else EXPECT_EQ(outputs[i], first[i]);
    }
  }
}

// People in a room no exit reaches stay there; the run ends when everyone
// else is out, and never says everyone is out.
TEST(EgressModel, PeopleWithoutAWayOutAreLeft) {
  EgressCase c;
  setUpCase(drawPlan({"E...  pp", "....  pp"}, kLegend),
            "cell_side = 0.5\n[people.count]\nfloor = 2\nplatform = 3\n[limits]\neveryone_out = 600\n"
            "[limits.cleared]\nfloor = 60\n",
            c);
  const EgressOutcome r = runEgress(c.graph, c.on.input);
  EXPECT_NEAR(r.noWayOut, 3.0, 1e-12);
  EXPECT_NEAR(r.out, 2.0, 1e-9);
  EXPECT_EQ(r.everyoneOut, kNever);
  const auto kind = [&](const char* word) {
    return static_cast<std::size_t>(std::find(c.graph.kindWords.begin(), c.graph.kindWords.end(), word) -
                                    c.graph.kindWords.begin());
  };
  EXPECT_EQ(r.kindCleared[kind("platform")], kNever);
  EXPECT_GT(r.kindCleared[kind("floor")], 0.0);
  const std::vector<LimitOutcome> limits = judgeLimits(c.on, c.scenario, r);
  ASSERT_EQ(limits.size(), 2u);
  EXPECT_FALSE(limits[0].passed);  // everyone out: never
  EXPECT_TRUE(limits[1].passed);
  EXPECT_LT(r.steps * r.step, 60.0);  // not run on to max_seconds
}

// Pre-movement shifts every time; a slower kind keeps people longer, on
// average exactly cell side over speed.
TEST(EgressModel, PreMovementAndSlowKinds) {
  EgressCase c;
  setUpCase(drawPlan({std::string(10, 's') + "E"}, kLegend),
            "cell_side = 0.5\npre_movement = 30\n[kinds.stair]\nspeed = 0.5\nflow = 10\n"
            "[kinds.exit]\nflow = 10\n", c);
  c.on.input.people.assign(c.graph.number.size(), 0.0);
  c.on.input.people[0] = 1.0;
  double meanOut = 0.0;
  double before = 0.0;
  const EgressOutcome r = runEgress(c.graph, c.on.input, [&](const StepView& s) {
    meanOut += (s.out - before) * s.seconds;
    before = s.out;
  });
  // Ten stair cells of 1 s each and the exit cell at 1.33 m/s: 10.376 s.
  // The shares that need a step more spread the person over a few steps.
  EXPECT_NEAR(meanOut, 30.0 + 10 * 0.5 / 0.5 + 0.5 / 1.33, 1e-6);
  EXPECT_NEAR(r.out, 1.0, 1e-3);
  EXPECT_GT(r.everyoneOut, meanOut);
  EXPECT_LT(r.everyoneOut, meanOut + 6 * r.step);
}

// The walk with costs against Bellman-Ford's relaxation to a fixed point,
// on random plans with walls, rock and random costs.
TEST(CostWalk, MatchesRepeatedRelaxation) {
  std::mt19937 random(17);
  for (int plan = 0; plan < 30; ++plan) {
    std::vector<std::string> rows(8, std::string(12, '.'));
    for (std::string& row : rows) {
      for (char& cell : row) cell = random() % 7 == 0 ? ' ' : random() % 15 == 0 ? 'E' : '.';
    }
    const DrawnPlan drawn = drawPlan(rows, kLegend);
    PlanGraph g;
    PlanWarnings warnings;
    std::string error;
    if (!readPlanGraphText(drawn.mesh, drawn.exits, g, warnings, error)) continue;
    const std::size_t n = g.number.size();
    std::vector<double> cost(n);
    for (double& x : cost) x = 0.5 + (random() % 100) / 10.0;
    CostWalk walk;
    walkWithCosts(g, movesInto(g), g.exits, cost, walk);
    std::vector<double> best(n, kNoRoute);
    for (const std::int32_t e : g.exits) best[static_cast<std::size_t>(e)] = cost[static_cast<std::size_t>(e)];
    for (bool changed = true; changed;) {
      changed = false;
      for (std::size_t c = 0; c < n; ++c) {
        for (const std::int32_t to : g.move[c]) {
          if (to == kNoIndex || best[static_cast<std::size_t>(to)] == kNoRoute) continue;
          const double through = cost[c] + best[static_cast<std::size_t>(to)];
          if (through < best[c] - 1e-12) {
            best[c] = through;
            changed = true;
          }
        }
      }
    }
    for (std::size_t c = 0; c < n; ++c) {
      if (best[c] == kNoRoute) {
        EXPECT_EQ(walk.cost[c], kNoRoute);
        EXPECT_EQ(walk.toward[c], kNoStep);
        continue;
      }
      EXPECT_NEAR(walk.cost[c], best[c], 1e-9) << "plan " << plan << " cell " << g.number[c];
      if (walk.toward[c] >= 0 && walk.toward[c] < kGraphSides) {
        const auto to = static_cast<std::size_t>(g.move[c][static_cast<std::size_t>(walk.toward[c])]);
        EXPECT_NEAR(walk.cost[c], cost[c] + walk.cost[to], 1e-9);  // the way is a real move
      }
    }
  }
}

// Cell numbers far above the program's table and with gaps between them,
// a neighbour naming no record, a wall, a repeated number, a negative one,
// exits that are no cell, and a stop in the middle of a record.
TEST(PlanGraph, ReadsSparseNumbersAndSaysWhatItSkipped) {
  const std::string mesh =
      "h1\nh2\nh3\n"
      "900000 5000000 -1 -1 -1 1 1 floor 0 0 - - x\n"
      "5000000 70 -1 900000 -1 2 1 floor 0 0 - - x\n"
      "70 -1 -1 5000000 -1 3 1 exit 1 0 exit;door=Gate%20A - x\n"
      "-4 1 1 1 1 9 9 floor 0 0 - - x\n"
      "900000 5000000 -1 12345 -1 1 1 stair 0 0 - - x\n"
      "8 -1 -1";
  PlanGraph g;
  PlanWarnings w;
  std::string error;
  ASSERT_TRUE(readPlanGraphText(mesh, "70\n99\n70 x", g, w, error)) << error;
  ASSERT_EQ(g.number, (std::vector<CellId>{70, 900000, 5000000}));
  EXPECT_EQ(g.kindWords[g.kind[1]], "stair");  // the later record of 900000 counts
  EXPECT_EQ(g.move[1][2], kNoIndex);           // its left neighbour 12345 has no record
  EXPECT_EQ(g.move[1][0], 2);                  // right, into 5000000
  EXPECT_EQ(g.move[2][0], kNoIndex);           // the wall on 70's left side closes it both ways
  EXPECT_EQ(g.move[0][2], kNoIndex);
  ASSERT_EQ(g.exits, (std::vector<std::int32_t>{0}));
  EXPECT_EQ(g.exitDoorName[0], "Gate A");
  ASSERT_EQ(w.count, 5);
  EXPECT_EQ(w.kept[0], "Mesh.csv:7: cell number -4 is below 0; the record is skipped");
  EXPECT_NE(w.kept[1].find("Mesh.csv:9: field 4"), std::string::npos) << w.kept[1];
  EXPECT_NE(w.kept[2].find("Mesh.csv:4: cell 900000 is named again"), std::string::npos) << w.kept[2];
  EXPECT_EQ(w.kept[3], "ExitGrid.dat:2: exit 99 is not a cell of the mesh; it is skipped");
  EXPECT_NE(w.kept[4].find("ExitGrid.dat:3: field 1 \"x\" is not a whole number"), std::string::npos);
}

TEST(PlanGraph, RefusesAPlanWithoutRecords) {
  PlanGraph g;
  PlanWarnings w;
  std::string error;
  EXPECT_FALSE(readPlanGraphText("h1\nh2\nh3\n", "1\n", g, w, error));
  EXPECT_EQ(error, "Mesh.csv: no cell record could be read");
  EXPECT_FALSE(readPlanGraph("/nonexistent/Mesh.csv", "/nonexistent/ExitGrid.dat", g, w, error));
  EXPECT_NE(error.find("cannot be opened"), std::string::npos);
}

// Doors against a flood fill over the pairs: exit cells joined by a chain
// of pairs are one door, numbered by their first exit.
TEST(DoorGroups, ChainsOfJoinedExitsAreOneDoorNumberedByFirstExit) {
  EXPECT_EQ(groupDoors(5, {{4, 1}, {3, 4}}), (std::vector<int>{0, 1, 2, 1, 1}));
  EXPECT_EQ(groupDoors(3, {}), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(groupDoors(4, {{2, 2}, {3, 0}, {0, 3}}), (std::vector<int>{0, 1, 2, 0}));
  EXPECT_TRUE(groupDoors(0, {}).empty());
  std::mt19937 random(5);
  for (int round = 0; round < 50; ++round) {
    const int count = 1 + static_cast<int>(random() % 30);
    std::vector<std::pair<int, int>> pairs;
    for (int i = 0; i < count / 2; ++i) pairs.emplace_back(random() % count, random() % count);
    const std::vector<int> door = groupDoors(count, pairs);
    std::vector<int> fill(static_cast<std::size_t>(count), -1);
    int doors = 0;
    for (int first = 0; first < count; ++first) {
      if (fill[static_cast<std::size_t>(first)] >= 0) continue;
      fill[static_cast<std::size_t>(first)] = doors;
      for (bool grew = true; grew;) {
        grew = false;
        for (const auto& [a, b] : pairs) {
          int& fa = fill[static_cast<std::size_t>(a)];
          int& fb = fill[static_cast<std::size_t>(b)];
          if ((fa == doors) != (fb == doors)) {
            fa = fb = doors;
            grew = true;
          }
        }
      }
      ++doors;
    }
    EXPECT_EQ(door, fill);
  }
}

}  // namespace

namespace {

BlockedCase blockedCase(int door, double out, std::vector<bool> passed) {
  BlockedCase c{door, EgressOutcome{}, {}};
  c.outcome.everyoneOut = out;
  for (const bool p : passed) c.limits.push_back(LimitOutcome{-1, 60.0, out, p});
  return c;
}

// A door whose case fails a limit is worse than a slower one that passes;
// people left behind are slower than any time.
TEST(EgressCases, TheWorstDoorFailsMostLimitsThenTakesLongest) {
  EXPECT_EQ(worstCase({}), -1);
  EXPECT_EQ(worstCase({blockedCase(0, 300, {true}), blockedCase(1, 200, {false}), blockedCase(2, 250, {true})}), 1);
  EXPECT_EQ(worstCase({blockedCase(0, 100, {false, true}), blockedCase(1, 90, {false, false})}), 1);
  EXPECT_EQ(worstCase({blockedCase(0, 100, {}), blockedCase(1, kNever, {}), blockedCase(2, 400, {})}), 1);
  EXPECT_EQ(worstCase({blockedCase(0, 100, {}), blockedCase(1, 100, {})}), 0);  // the first of equals
}

}  // namespace
