// The limits of a scenario against a run, and the runs with each door
// blocked in turn.
#include "egress.h"

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

std::vector<BlockedCase> blockEachDoor(const PlanGraph& graph, const ScenarioOnPlan& on,
                                       const Scenario& scenario) {
  std::vector<BlockedCase> cases;
  for (std::size_t d = 0; d < on.doorBlocked.size(); ++d) {
    if (on.doorBlocked[d]) continue;
    const EgressInput input = withDoorBlocked(on, graph, static_cast<int>(d));
    BlockedCase c{static_cast<int>(d), runEgress(graph, input), {}};
    c.limits = judgeLimits(on, scenario, c.outcome);
    // The cells' figures of every case would take memory by doors x cells.
    c.outcome.clearSeconds = {};
    c.outcome.peakDensity = {};
    c.outcome.waitSeconds = {};
    c.outcome.walkSeconds = {};
    cases.push_back(std::move(c));
  }
  return cases;
}

int worstCase(const std::vector<BlockedCase>& cases) {
  int worst = -1;
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const double t = cases[i].outcome.everyoneOut;
    if (worst < 0) {
      worst = static_cast<int>(i);
      continue;
    }
    const double w = cases[static_cast<std::size_t>(worst)].outcome.everyoneOut;
    if (w == kNever) continue;  // nothing is worse than people left behind
    if (t == kNever || t > w) worst = static_cast<int>(i);
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
