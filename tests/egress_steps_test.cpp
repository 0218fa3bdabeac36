// The work of the flow model's steps and of --blocked: the steps visit the
// cells where people are, not the whole plan; traces of people far below
// a person change nothing of the rules; the cases of --blocked run once
// each however many threads there are.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <mutex>
#include <vector>

#include "egress_support.h"

namespace {

const std::map<char, CellDrawing> kLegend = {{'.', {"floor", false, ""}},
                                              {'p', {"platform", false, ""}},
                                              {'E', {"exit", true, ""}}};

// A group walking the length of a long corridor: the steps visit the cells
// it holds (and those it is due in), about as many as it fills, not the
// corridor's 600 cells each step.
TEST(EgressSteps, WorkFollowsTheCrowdNotThePlan) {
  for (const char* route : {"quickest", "nearest"}) {
    EgressCase c;
    const std::string row = "E" + std::string(299, '.');
    setUpCase(drawPlan({row, row}, kLegend), std::string("cell_side = 0.5\nroute = \"") + route + "\"\n", c);
    const std::size_t n = c.graph.number.size();
    c.on.input.people.assign(n, 0.0);
    c.on.input.people[299] = 0.5;  // the far end of both rows
    c.on.input.people[599] = 0.5;
    std::int64_t occupied = 2;  // cells holding people at the start of each step, summed
    const EgressOutcome r = runEgress(c.graph, c.on.input, [&](const StepView& s) {
      for (const double p : s.cellPeople) occupied += p > 0.0 ? 1 : 0;
    });
    ASSERT_NE(r.everyoneOut, kNever) << route;
    EXPECT_GT(r.steps, 280) << route;  // 300 cells at one a step
    EXPECT_GE(r.cellVisits, r.steps) << route;
    // Cells hold people after the last step too, and a cell emptied in a
    // step is visited once more.
    EXPECT_LE(r.cellVisits, 2 * occupied) << route;
    EXPECT_LT(r.cellVisits, static_cast<std::int64_t>(n) * r.steps / 20) << route;
  }
}

// A cell holding the smallest double sends a share of it that rounds to
// nought (its capacity is more than two persons a step). The cell it sends
// to is still one cell to share out: its room is shared once, among all
// who are sent to it, and once full it takes nobody more.
TEST(EgressSteps, TracesFarBelowAPersonKeepEveryCellWithinItsJam) {
  for (const char* route : {"quickest", "nearest"}) {
    EgressCase c;
    // Reading order: A (index 4) sends into T (7) before B (8) does.
    setUpCase(drawPlan({"...", "...", "E.."}, kLegend),
              std::string("cell_side = 0.5\nroute = \"") + route +
                  "\"\n[kinds.floor]\nflow = 12\n[kinds.exit]\nflow = 0.5\n",
              c);
    EgressInput& in = c.on.input;
    const double area = in.cellSide * in.cellSide;
    const double jam = 5.4 * area;
    in.people.assign(c.graph.number.size(), 0.0);
    in.people[4] = std::numeric_limits<double>::denorm_min();
    in.people[7] = jam;
    in.people[8] = jam;
    in.people[5] = jam;
    double placed = 0.0;
    for (const double p : in.people) placed += p;
    const EgressOutcome r = runEgress(c.graph, in, [&](const StepView& s) {
      for (std::size_t i = 0; i < s.cellPeople.size(); ++i) {
        ASSERT_LE(s.cellPeople[i], jam * (1 + 1e-12)) << route << " cell " << i << " step " << s.step;
      }
    });
    EXPECT_NEAR(r.out, placed, 1e-3) << route;
  }
}

TEST(EgressCases, EachJobRunsOnceWhateverTheThreads) {
  for (const unsigned most : {1u, 2u, 8u}) {
    for (const std::size_t count : {std::size_t{0}, std::size_t{1}, std::size_t{7}}) {
      std::vector<std::atomic<int>> runs(count);
      std::vector<std::size_t> order;
      std::mutex lock;
      const std::size_t used = shareOut(count, most, [&](std::size_t i) {
        ++runs[i];
        const std::lock_guard<std::mutex> hold(lock);
        order.push_back(i);
      });
      EXPECT_GE(used, 1u);
      EXPECT_LE(used, std::max<std::size_t>(1, std::min<std::size_t>(most, count)));
      for (std::size_t i = 0; i < count; ++i) EXPECT_EQ(runs[i], 1) << most << " threads, job " << i;
      if (most == 1) {
        for (std::size_t i = 0; i < order.size(); ++i) EXPECT_EQ(order[i], i);  // in order
      }
    }
  }
}

// The scenario's own run beside the cases changes none of them.
TEST(EgressCases, TheRunBesideTheCasesChangesNone) {
  EgressCase c;
  setUpCase(drawPlan({"E....pp", ".....pp", "E....pE"}, kLegend),
            "cell_side = 0.5\n[people.density]\nplatform = 4.0\n[limits]\neveryone_out = 20\n", c);
  const std::vector<BlockedCase> alone = blockEachDoor(c.graph, c.on, c.scenario);
  int beside = 0;
  EgressOutcome own;
  const std::vector<BlockedCase> with = blockEachDoor(c.graph, c.on, c.scenario, [&] {
    ++beside;
    own = runEgress(c.graph, c.on.input);
  });
  EXPECT_EQ(beside, 1);
  EXPECT_EQ(own.everyoneOut, runEgress(c.graph, c.on.input).everyoneOut);
  ASSERT_EQ(alone.size(), 3u);
  ASSERT_EQ(with.size(), alone.size());
  for (std::size_t i = 0; i < alone.size(); ++i) {
    EXPECT_EQ(with[i].door, alone[i].door);
    EXPECT_EQ(with[i].outcome.everyoneOut, alone[i].outcome.everyoneOut);
    EXPECT_EQ(with[i].outcome.steps, alone[i].outcome.steps);
    ASSERT_EQ(with[i].limits.size(), 1u);
    EXPECT_EQ(with[i].limits[0].passed, alone[i].limits[0].passed);
  }
}

}  // namespace
