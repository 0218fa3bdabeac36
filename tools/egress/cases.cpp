// The limits of a scenario against a run, and the runs with each door
// blocked in turn.
#include <algorithm>
#include <atomic>
#include <limits>
#include <system_error>
#include <thread>

#include "egress.h"
#include "travel.h"

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

namespace {

// Drops the cells' figures of a case: every case's would take memory by
// cases x cells.
void keepTotals(EgressOutcome& o) {
  o.clearSeconds = {};
  o.peakDensity = {};
  o.waitSeconds = {};
  o.walkSeconds = {};
  o.denseSeconds = {};
}

void runCase(const PlanGraph& graph, const ScenarioOnPlan& on, const Scenario& scenario, BlockedCase& c) {
  if (c.join.empty()) {
    c.outcome = runEgress(graph, withDoorBlocked(on, graph, c.door));
    c.limits = judgeLimits(on, scenario, c.outcome);
  } else {
    const Scenario without = withJoinOut(scenario, c.join);
    ScenarioOnPlan caseOn;
    if (!applyScenario(without, graph, caseOn, c.error)) return;
    c.outcome = runEgress(graph, caseOn.input);
    c.limits = judgeLimits(caseOn, without, c.outcome);
  }
  keepTotals(c.outcome);
}

}  // namespace

std::size_t shareOut(std::size_t count, unsigned most, const std::function<void(std::size_t)>& job) {
  std::atomic<std::size_t> next{0};
  const auto work = [&] {
    for (std::size_t i = next++; i < count; i = next++) job(i);
  };
  std::vector<std::thread> threads;
  for (unsigned t = 1; t < most && t < count; ++t) {
    try {
      threads.emplace_back(work);
    } catch (const std::system_error&) {
      break;  // the threads running, the caller's at least, take the rest
    }
  }
  work();
  for (std::thread& t : threads) t.join();
  return threads.size() + 1;
}

// The cases are independent runs of a pure model: they are shared out
// among the machine's cores, each case's result in its own place, so the
// report is the same however many there are.
std::vector<BlockedCase> blockEachDoor(const PlanGraph& graph, const ScenarioOnPlan& on,
                                       const Scenario& scenario, const std::function<void()>& alongside) {
  std::vector<BlockedCase> cases;
  for (std::size_t d = 0; d < on.doorBlocked.size(); ++d) {
    if (!on.doorBlocked[d]) cases.push_back(BlockedCase{static_cast<int>(d), {}, {}, "", ""});
  }
  std::vector<std::string> labels;
  for (std::size_t j = 0; j < graph.joinLabels.size(); ++j) {
    if (!on.joinOut[j]) labels.push_back(graph.joinLabels[j]);
  }
  std::sort(labels.begin(), labels.end());
  for (const std::string& label : labels) cases.push_back(BlockedCase{-1, {}, {}, label, ""});
  // The run beside the cases is the first job, as it is the longest.
  const std::size_t first = alongside ? 1 : 0;
  shareOut(cases.size() + first, std::min(std::max(std::thread::hardware_concurrency(), 1u), 8u),
           [&](std::size_t i) {
             if (i < first) {
               alongside();
             } else {
               runCase(graph, on, scenario, cases[i - first]);
             }
           });
  return cases;
}

std::string joinName(const PlanGraph& graph, const std::string& label) {
  std::string kind = "stair";
  for (std::size_t c = 0; c < graph.number.size(); ++c) {
    const std::int16_t j = graph.joinOf[c].join;
    if (j >= 0 && graph.joinLabels[static_cast<std::size_t>(j)] == label) {
      kind = graph.kindWords[graph.kind[c]];
      break;
    }
  }
  return kind + " " + label;
}

std::vector<JoinLine> joinLines(const PlanGraph& graph, const ScenarioOnPlan& on) {
  const std::vector<int> widths = joinWidths(graph);
  std::vector<JoinLine> lines;
  for (std::size_t j = 0; j < graph.joinLabels.size(); ++j) {
    lines.push_back(JoinLine{graph.joinLabels[j], "", widths[j], Travel::None, on.joinOut[j], 0.0});
  }
  const EgressInput& in = on.input;
  for (std::size_t c = 0; c < graph.number.size(); ++c) {
    const GraphJoin& join = graph.joinOf[c];
    if (join.join < 0) continue;
    JoinLine& line = lines[static_cast<std::size_t>(join.join)];
    if (!line.kind.empty()) continue;
    line.kind = graph.kindWords[graph.kind[c]];
    line.runs = join.runs;
    // A running escalator's cells take the figures of its ride whichever
    // way they are crossed, except against it.
    if (line.kind == "escalator" && join.runs != Travel::None && !in.cellFigures.empty()) {
      const std::array<std::uint16_t, 3>& f = in.cellFigures[c];
      if (f[0] == f[static_cast<std::size_t>(join.runs)] && f[0] != graph.kind[c]) {
        line.perMinute = in.figures[f[0]].flow * line.cells * in.cellSide * 60.0;
      }
    }
  }
  std::sort(lines.begin(), lines.end(), [](const JoinLine& a, const JoinLine& b) { return a.label < b.label; });
  return lines;
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
    if (!cases[i].error.empty()) continue;
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

int worstCaseOf(const std::vector<BlockedCase>& cases, bool joins) {
  std::vector<BlockedCase> some;
  std::vector<int> index;
  for (std::size_t i = 0; i < cases.size(); ++i) {
    if (cases[i].join.empty() == joins) continue;
    index.push_back(static_cast<int>(i));
    some.push_back(cases[i]);
  }
  const int worst = worstCase(some);
  return worst < 0 ? -1 : index[static_cast<std::size_t>(worst)];
}

bool allPassed(const EgressReport& report) {
  for (const LimitOutcome& l : report.limits) {
    if (!l.passed) return false;
  }
  for (const BlockedCase& c : report.blocked) {
    if (!c.error.empty()) return false;  // a case not run passed nothing
    for (const LimitOutcome& l : c.limits) {
      if (!l.passed) return false;
    }
  }
  return true;
}
