// The plain report: what was run, the answer, then by kind, by door, by
// hand, the limits and the blocked doors.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "egress.h"

namespace {

std::string fixed(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

// "212.4 s (3 min 32 s)", or "never" for kNever.
std::string timeText(double seconds) {
  if (seconds == kNever) return "never";
  const long whole = std::lround(seconds);
  std::string text = fixed(seconds, 1) + " s";
  if (whole >= 60) text += " (" + std::to_string(whole / 60) + " min " + std::to_string(whole % 60) + " s)";
  return text;
}

std::string kindName(const PlanGraph& g, int kind) {
  return kind < 0 ? std::string("everyone") : g.kindWords[static_cast<std::size_t>(kind)];
}

std::string padded(std::string text, std::size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

// The stairs and escalators between levels, and how each counts.
void appendJoins(std::string& out, const EgressReport& r) {
  const std::vector<JoinLine> joins = joinLines(*r.graph, *r.on);
  if (joins.empty()) return;
  out += "Between levels:";
  const char* sep = " ";
  for (const JoinLine& j : joins) {
    out += sep + j.kind + " " + j.label;
    if (j.runs != Travel::None) out += std::string(" (runs ") + travelWord(j.runs) + ")";
    out += " " + fixed(j.cells * r.on->input.cellSide, 1) + " m";
    if (j.out) {
      out += " out of service";
    } else if (j.perMinute > 0.0) {
      out += ", " + fixed(j.perMinute, 0) + " p/min running" +
             (r.scenario->escalators.against == Against::Closed ? ", closed against it" : ", walked against it");
    } else if (j.runs != Travel::None) {
      out += ", stopped and walked";
    }
    sep = "; ";
  }
  out += "\n";
}

void appendRun(std::string& out, const EgressReport& r) {
  const PlanGraph& g = *r.graph;
  const ScenarioOnPlan& on = *r.on;
  int blocked = 0;
  for (const bool b : on.doorBlocked) blocked += b ? 1 : 0;
  const bool onePlan = !r.planPath.empty() && r.meshPath == r.planPath && r.exitPath == r.planPath;
  out += "orvik-egress: " +
         (onePlan ? r.planPath + " converted by plan2mesh" : r.meshPath + ", " + r.exitPath) +
         ", scenario " + r.scenarioPath + "\n";
  out += "Plan: " + std::to_string(g.number.size()) + " cells of " + fixed(on.input.cellSide, 2) +
         " m, " + std::to_string(on.doorBlocked.size()) + " doors (" + std::to_string(g.exits.size()) +
         " exit cells), " + (blocked == 0 ? std::string("none") : std::to_string(blocked)) + " blocked\n";
  appendJoins(out, r);
  out += "People: " + fixed(r.outcome.placed, 1) + " placed";
  if (r.outcome.noWayOut >= kPersonTrace) out += ", " + fixed(r.outcome.noWayOut, 1) + " of them with no way out";
  out += "\nModel: step " + fixed(r.outcome.step, 3) + " s, route " +
         (on.input.route == RouteChoice::Quickest
              ? "quickest (walk plus the expected wait, re-estimated every " +
                    (on.input.rerouteSeconds > 0.0 ? fixed(on.input.rerouteSeconds, 1) + " s)" : std::string("step)"))
              : std::string("nearest (by walking time alone)"));
  if (on.input.preMovementSeconds > 0.0) out += ", pre-movement " + fixed(on.input.preMovementSeconds, 1) + " s";
  // Out can exceed placed by a rounding; it never shows as more.
  out += "\n\nEveryone out: " + timeText(r.outcome.everyoneOut) + "; " +
         fixed(std::min(r.outcome.out, r.outcome.placed), 1) +
         " persons out in " + std::to_string(r.outcome.steps) + " steps\n";
}

void appendKinds(std::string& out, const EgressReport& r) {
  const PlanGraph& g = *r.graph;
  out += "\nBy kind: when its last cell emptied (model), and by hand: load / capacity out of it + longest walk\n";
  for (const HandFigure& h : r.hand) {
    const double model = h.kind < 0 ? r.outcome.everyoneOut : r.outcome.kindCleared[static_cast<std::size_t>(h.kind)];
    out += "  " + padded(kindName(g, h.kind), 10) + padded(fixed(h.people, 1) + " persons", 18) + "model " +
           padded(timeText(model), 22) + "hand ";
    if (h.total == kNever) {
      out += "no way out\n";
      continue;
    }
    out += timeText(h.total) + " = " + fixed(h.people, 1) + " / " + fixed(h.capacity, 2) + " p/s (" +
           fixed(h.flowSeconds, 1) + " s) + " + fixed(h.longestWalk, 1) + " s walk";
    if (r.on->input.preMovementSeconds > 0.0) out += " + pre-movement";
    out += "\n";
  }
}

void appendDoors(std::string& out, const EgressReport& r) {
  out += "\nDoors: persons out, first and last out, peak flow\n";
  for (std::size_t d = 0; d < r.outcome.doors.size(); ++d) {
    const DoorOutcome& door = r.outcome.doors[d];
    out += "  " + padded(doorLabel(*r.on, static_cast<int>(d)), 24);
    if (r.on->doorBlocked[d]) {
      out += "blocked\n";
      continue;
    }
    out += padded(fixed(door.people, 1), 9) + "first " + padded(timeText(door.firstOut), 22) + "last " +
           padded(timeText(door.lastOut), 22) + "peak " + fixed(door.peakFlow, 2) + " p/s\n";
  }
}

std::string limitText(const PlanGraph& g, const LimitOutcome& l) {
  const std::string what = l.kind < 0 ? "everyone out" : kindName(g, l.kind) + " cleared";
  return what + " by " + fixed(l.limit, 0) + " s: " + timeText(l.seconds) + (l.passed ? ", passed" : ", FAILED");
}

void appendLimits(std::string& out, const EgressReport& r) {
  if (r.limits.empty()) return;
  out += "\nLimits\n";
  for (const LimitOutcome& l : r.limits) out += "  " + limitText(*r.graph, l) + "\n";
}

std::string caseName(const EgressReport& r, const BlockedCase& c) {
  return c.join.empty() ? "door " + doorLabel(*r.on, c.door) + " blocked"
                        : joinName(*r.graph, c.join) + " out of service";
}

void appendCase(std::string& out, const EgressReport& r, const BlockedCase& c) {
  out += "  " + padded(c.join.empty() ? doorLabel(*r.on, c.door) : joinName(*r.graph, c.join), 24);
  if (!c.error.empty()) {
    out += "not run: " + c.error + "\n";
    return;
  }
  // Everyone out leads the line; its limit, when there is one, only adds
  // the mark, so the same time is not printed twice.
  std::string everyone = "everyone out " + timeText(c.outcome.everyoneOut);
  std::string cleared;
  for (const LimitOutcome& l : c.limits) {
    if (l.kind < 0) {
      if (!l.passed) everyone += " FAILED";
    } else {
      cleared += "  " + kindName(*r.graph, l.kind) + " cleared " + timeText(l.seconds) + (l.passed ? "" : " FAILED");
    }
  }
  out += (cleared.empty() ? everyone : padded(everyone, 41)) + cleared + "\n";
}

void appendWorst(std::string& out, const EgressReport& r, const char* what, int worst) {
  if (worst < 0) return;
  const BlockedCase& c = r.blocked[static_cast<std::size_t>(worst)];
  out += std::string("  ") + what + caseName(r, c) + ", everyone out " + timeText(c.outcome.everyoneOut) + "\n";
}

void appendBlocked(std::string& out, const EgressReport& r) {
  if (!r.blockedRun) return;
  out += "\nEach door blocked in turn: when everyone is out, and when each kind with a limit is cleared\n";
  bool joins = false;
  for (const BlockedCase& c : r.blocked) {
    if (!c.join.empty() && !joins) {
      out += "Each stair and escalator out of service in turn\n";
      joins = true;
    }
    appendCase(out, r, c);
  }
  if (!joins) {
    appendWorst(out, r, "Worst: ", worstCase(r.blocked));
    return;
  }
  appendWorst(out, r, "Worst door: ", worstCaseOf(r.blocked, false));
  appendWorst(out, r, "Worst stair or escalator: ", worstCaseOf(r.blocked, true));
  appendWorst(out, r, "Worst of all: ", worstCase(r.blocked));
}
}  // namespace

std::string doorLabel(const ScenarioOnPlan& on, int door) {
  std::string name = on.doorName[static_cast<std::size_t>(door)];
  for (char& c : name) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';  // a name never moves the terminal
  }
  return std::to_string(door + 1) + (name.empty() ? "" : " \"" + name + "\"");
}

std::string textReport(const EgressReport& r) {
  std::string out;
  appendRun(out, r);
  appendKinds(out, r);
  appendDoors(out, r);
  appendLimits(out, r);
  appendBlocked(out, r);
  out += allPassed(r) ? "\nResult: every limit passed (exit status 0).\n"
                      : "\nResult: a limit failed (exit status 1).\n";
  return out;
}
