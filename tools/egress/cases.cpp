// The limits of a scenario against a run, and the runs with each door
// blocked in turn.
#include <algorithm>
#include <atomic>
#include <limits>
#include <thread>

#include "egress.h"

namespace {

constexpr double kNoTime = std::numeric_limits<double>::infinity();  // s, people never all out

}  // namespace

std::vector<LimitOutcome> judgeLimits(const ScenarioOnPlan& on, const Scenario& scenario,
                                      const EgressOutcome& outcome) {
  std::vector<LimitOutcome> limits;
  // A time that never came (people left on the plan) fails any limit.
  const auto judge = [&](int kind, double limit, double seconds) {
    limits.push_back(LimitOutcome{kind, limit, seconds, seconds != kNever && seconds <= limit});
  };
  if (scenario.everyoneOutLimit.value != kNever) {
    judge(-1, scenario.everyoneOutLimit.value, outcome.everyoneOut);
  }
  for (std::size_t k = 0; k < on.clearedLimit.size(); ++k) {
    if (on.clearedLimit[k] != kNever) judge(static_cast<int>(k), on.clearedLimit[k], outcome.kindCleared[k]);
  }
  return limits;
}

// The cases are independent runs of a pure model: they are shared out
// among the machine's cores, each case's result in its own place, so the
// report is the same however many there are.
std::vector<BlockedCase> blockEachDoor(const PlanGraph& graph, const ScenarioOnPlan& on,
                                       const Scenario& scenario) {
  std::vector<BlockedCase> cases;
  for (std::size_t d = 0; d < on.doorBlocked.size(); ++d) {
    if (!on.doorBlocked[d]) cases.push_back(BlockedCase{static_cast<int>(d), {}, {}});
  }
  std::atomic<std::size_t> next{0};
  const auto work = [&] {
    for (std::size_t i = next++; i < cases.size(); i = next++) {
      BlockedCase& c = cases[i];
      c.outcome = runEgress(graph, withDoorBlocked(on, graph, c.door));
      c.limits = judgeLimits(on, scenario, c.outcome);
      // The cells' figures of every case would take memory by doors x cells.
      c.outcome.clearSeconds = {};
      c.outcome.peakDensity = {};
      c.outcome.waitSeconds = {};
      c.outcome.walkSeconds = {};
      c.outcome.denseSeconds = {};
    }
  };
  const unsigned helpers = std::min<unsigned>(std::thread::hardware_concurrency(), 8);
  std::vector<std::thread> threads;
  for (unsigned t = 1; t < helpers && t < cases.size(); ++t) threads.emplace_back(work);
  work();
  for (std::thread& t : threads) t.join();
  return cases;
}

namespace {

int failedLimits(const BlockedCase& c) {
  int failed = 0;
  for (const LimitOutcome& l : c.limits) failed += l.passed ? 0 : 1;
  return failed;
}

// Everyone out, with people left behind as the longest time of all.
double outSeconds(const BlockedCase& c) {
  return c.outcome.everyoneOut == kNever ? kNoTime : c.outcome.everyoneOut;
}

}  // namespace

int worstCase(const std::vector<BlockedCase>& cases) {
  int worst = -1;
  for (std::size_t i = 0; i < cases.size(); ++i) {
    if (worst < 0) {
      worst = static_cast<int>(i);
      continue;
    }
    const BlockedCase& w = cases[static_cast<std::size_t>(worst)];
    const int failed = failedLimits(cases[i]);
    if (failed > failedLimits(w) || (failed == failedLimits(w) && outSeconds(cases[i]) > outSeconds(w))) {
      worst = static_cast<int>(i);
    }
  }
  return worst;
}

bool allPassed(const EgressReport& report) {
  for (const LimitOutcome& l : report.limits) {
    if (!l.passed) return false;
  }
  for (const BlockedCase& c : report.blocked) {
    for (const LimitOutcome& l : c.limits) {
      if (!l.passed) return false;
    }
  }
  return true;
}
