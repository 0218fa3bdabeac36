// A parsed scenario held against a plan: figures for every kind the plan
// has, the people placed cell by cell, the doors found by name or number.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "door_choice.h"
#include "door_groups.h"
#include "people.h"
#include "scenario.h"

namespace {

// Figures of station practice (see docs/orvik-egress.md for the sources):
// specific flows of the US standard for fixed guideway transit stations,
// 81.9 persons per metre per minute on level ways and 55.5 down stairs and
// stopped escalators; a free walking speed at the top of the usual 1.0 to
// 1.3 m/s; on a stair the standard's 14.6 m/min of vertical travel, over a
// pitch of 0.175 m risers to 0.28 m treads, as speed over the plan; and the
// jam density of the common fundamental diagrams.
constexpr double kLevelFlow = 81.9 / 60.0;  // persons per metre per second
constexpr double kStairFlow = 55.5 / 60.0;  // persons per metre per second
constexpr double kLevelSpeed = 1.33;        // m/s
constexpr double kStairSpeed = 14.6 / 60.0 / (0.175 / 0.28);  // m/s over the plan
constexpr double kJamDensity = 5.4;         // persons per m²
constexpr int kMostSteps = 1000000;         // steps a run may take
// The slowest kind keeps people this many steps at most: each cell keeps a
// slot for each step, so a larger spread of speeds would cost memory.
constexpr double kMostSpeedRatio = 100.0;

struct Check {
  const Scenario& s;
  std::string& error;
};

// A number as short as it reads back, for messages.
std::string number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", value);
  return text;
}

bool fail(Check& c, std::int64_t line, const std::string& message) {
  c.error = c.s.path + (line > 0 ? ":" + std::to_string(line) : std::string()) + ": " + message;
  return false;
}

int kindIndex(const PlanGraph& g, const std::string& word) {
  const auto at = std::find(g.kindWords.begin(), g.kindWords.end(), word);
  return at == g.kindWords.end() ? -1 : static_cast<int>(at - g.kindWords.begin());
}

bool knownKind(Check& c, const PlanGraph& g, const std::string& word, std::int64_t line,
               const std::string& key) {
  if (kindIndex(g, word) >= 0) return true;
  std::string kinds;
  for (const std::string& k : g.kindWords) kinds += (kinds.empty() ? "" : ", ") + k;
  return fail(c, line, key + ": the plan has no cells of kind '" + word + "' (its kinds: " + kinds + ")");
}

// A gate's capacity, persons a minute through each gate of one cell, is
// the flow through that cell's side; speed and jam are then those of level
// floor unless given.
void gateFigures(Check& c, const std::string& word, KindFlow& f) {
  for (const KindGiven& given : c.s.kinds) {
    if (given.word != word || std::isnan(given.capacity)) continue;
    f.flow = given.capacity / 60.0 / c.s.cellSide;
    if (std::isnan(f.speed)) f.speed = kLevelSpeed;
    if (std::isnan(f.jam)) f.jam = kJamDensity;
  }
}

bool fillKinds(Check& c, const PlanGraph& g, EgressInput& in) {
  for (const KindGiven& k : c.s.kinds) {
    if (!knownKind(c, g, k.word, k.line, "[kinds." + k.word + "]")) return false;
  }
  in.kinds.assign(g.kindWords.size(), KindFlow{NAN, NAN, NAN});
  for (std::size_t k = 0; k < g.kindWords.size(); ++k) {
    KindFlow& f = in.kinds[k];
    defaultKindFlow(g.kindWords[k], f);
    std::int64_t line = 0;
    for (const KindGiven& given : c.s.kinds) {
      if (given.word != g.kindWords[k]) continue;
      line = given.line;
      if (!std::isnan(given.flow.speed)) f.speed = given.flow.speed;
      if (!std::isnan(given.flow.flow)) f.flow = given.flow.flow;
      if (!std::isnan(given.flow.jam)) f.jam = given.flow.jam;
    }
    gateFigures(c, g.kindWords[k], f);
    if (std::isnan(f.speed) || std::isnan(f.flow) || std::isnan(f.jam)) {
      return fail(c, line, "the plan has cells of kind '" + g.kindWords[k] +
                               "', which has no figures of its own: give [kinds." + g.kindWords[k] +
                               "] speed, flow and jam");
    }
  }
  return true;
}

// Nobody is placed on a stair or escalator out of service.
bool outOfService(const PlanGraph& g, const std::vector<bool>& out, std::size_t cell) {
  const std::int16_t join = g.joinOf[cell].join;
  return join >= 0 && out[static_cast<std::size_t>(join)];
}

bool placeByKind(Check& c, const PlanGraph& g, const std::vector<double>& most, const std::vector<bool>& out,
                 EgressInput& in) {
  std::vector<double> cells(g.kindWords.size(), 0.0);
  for (std::size_t i = 0; i < g.number.size(); ++i) cells[g.kind[i]] += outOfService(g, out, i) ? 0.0 : 1.0;
  const double area = c.s.cellSide * c.s.cellSide;
  std::vector<double> each(g.kindWords.size(), 0.0);  // persons a cell
  for (const Given& d : c.s.density) {
    if (!knownKind(c, g, d.key, d.line, "people.density." + d.key)) return false;
    each[static_cast<std::size_t>(kindIndex(g, d.key))] += d.value * area;
  }
  for (const Given& n : c.s.count) {
    if (!knownKind(c, g, n.key, n.line, "people.count." + n.key)) return false;
    const auto k = static_cast<std::size_t>(kindIndex(g, n.key));
    if (!(cells[k] > 0.0) && n.value > 0.0) {
      return fail(c, n.line, "people.count." + n.key + ": every cell of kind '" + n.key + "' is out of service");
    }
    if (cells[k] > 0.0) each[k] += n.value / cells[k];
  }
  for (std::size_t k = 0; k < each.size(); ++k) {
    if (each[k] <= most[k] * (1.0 + 1e-12)) continue;
    std::int64_t line = 0;
    for (const Given& d : c.s.density) line = d.key == g.kindWords[k] ? d.line : line;
    for (const Given& n : c.s.count) line = n.key == g.kindWords[k] ? n.line : line;
    return fail(c, line, "people on '" + g.kindWords[k] + "' come to " + number(each[k] / area) +
                             " persons per m², above its jam density of " +
                             number(in.kinds[k].jam));
  }
  in.people.resize(g.number.size());
  for (std::size_t i = 0; i < g.number.size(); ++i) in.people[i] = outOfService(g, out, i) ? 0.0 : each[g.kind[i]];
  return true;
}

std::string folderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool findDoors(Check& c, const PlanGraph& g, ScenarioOnPlan& on) {
  on.doorOfExit = groupGraphDoors(g);
  const int doors = doorCount(on.doorOfExit);
  on.doorName.assign(static_cast<std::size_t>(doors), "");
  for (std::size_t i = 0; i < g.exits.size(); ++i) {
    std::string& name = on.doorName[static_cast<std::size_t>(on.doorOfExit[i])];
    if (name.empty()) name = g.exitDoorName[i];
  }
  on.doorBlocked.assign(static_cast<std::size_t>(doors), false);
  for (const DoorGiven& d : c.s.blocked) {
    int door = -1;
    if (d.commandLine) {
      door = findDoor(on.doorName, d.name);
      if (door < 0) {
        c.error = "--block: " + unknownDoorMessage(on.doorName, d.name);
        return false;
      }
    } else if (d.name.empty()) {
      if (d.number > doors) {
        return fail(c, d.line, "doors.blocked: there is no door " + std::to_string(d.number) +
                                   "; the plan has " + std::to_string(doors));
      }
      door = static_cast<int>(d.number) - 1;
    } else {
      const auto at = std::find(on.doorName.begin(), on.doorName.end(), d.name);
      if (at == on.doorName.end()) return fail(c, d.line, "doors.blocked: no door is named \"" + d.name + "\"");
      door = static_cast<int>(at - on.doorName.begin());
    }
    on.doorBlocked[static_cast<std::size_t>(door)] = true;
  }
  return true;
}

void openExits(const PlanGraph& g, const ScenarioOnPlan& on, int alsoBlocked, EgressInput& in) {
  in.exits.clear();
  in.doorOfExit.clear();
  for (std::size_t i = 0; i < g.exits.size(); ++i) {
    const int door = on.doorOfExit[i];
    if (on.doorBlocked[static_cast<std::size_t>(door)] || door == alsoBlocked) continue;
    in.exits.push_back(g.exits[i]);
    in.doorOfExit.push_back(door);
  }
  in.doorCount = static_cast<int>(on.doorBlocked.size());
}

bool fillLimits(Check& c, const PlanGraph& g, ScenarioOnPlan& on) {
  on.clearedLimit.assign(g.kindWords.size(), kNever);
  for (const Given& limit : c.s.clearedLimits) {
    if (!knownKind(c, g, limit.key, limit.line, "limits.cleared." + limit.key)) return false;
    on.clearedLimit[static_cast<std::size_t>(kindIndex(g, limit.key))] = limit.value;
  }
  return true;
}

}  // namespace

bool defaultKindFlow(std::string_view word, KindFlow& flow) {
  if (word == "floor" || word == "platform" || word == "service" || word == "exit") {
    flow = KindFlow{kLevelSpeed, kLevelFlow, kJamDensity};
    return true;
  }
  if (word == "stair" || word == "escalator") {
    flow = KindFlow{kStairSpeed, kStairFlow, kJamDensity};
    return true;
  }
  return false;
}

bool applyScenario(const Scenario& scenario, const PlanGraph& graph, ScenarioOnPlan& on,
                   std::string& error) {
  Check c{scenario, error};
  on = ScenarioOnPlan{};
  EgressInput& in = on.input;
  in.cellSide = scenario.cellSide;
  in.route = scenario.route;
  in.rerouteSeconds = scenario.rerouteSeconds;
  in.waitMemorySeconds = scenario.waitMemorySeconds;
  in.preMovementSeconds = scenario.preMovementSeconds;
  in.maxSeconds = scenario.maxSeconds;
  if (!fillKinds(c, graph, in) || !applyJoins(scenario, graph, in, on.joinOut, error)) return false;
  const std::vector<KindFlow>& sets = in.figures.empty() ? in.kinds : in.figures;
  double slowest = sets.front().speed;
  double fastest = slowest;
  for (const KindFlow& k : sets) {
    slowest = std::min(slowest, k.speed);
    fastest = std::max(fastest, k.speed);
  }
  if (fastest > kMostSpeedRatio * slowest) {
    return fail(c, 0, "the fastest kind is more than 100 times as fast as the slowest (" +
                          number(fastest) + " and " + number(slowest) + " m/s)");
  }
  if (scenario.maxSeconds / stepSeconds(graph, in) > kMostSteps) {
    return fail(c, 0, "max_seconds over the step (cell_side / the highest speed, " +
                          number(stepSeconds(graph, in)) + " s) comes to more than " +
                          std::to_string(kMostSteps) + " steps");
  }
  std::vector<double> most(graph.kindWords.size());
  for (std::size_t k = 0; k < most.size(); ++k) most[k] = in.kinds[k].jam * in.cellSide * in.cellSide;
  if (!placeByKind(c, graph, most, on.joinOut, in)) return false;
  if (!scenario.peopleFile.empty()) {
    const std::string file = scenario.peopleFile.front() == '/' ? scenario.peopleFile
                                                                : folderOf(scenario.path) + scenario.peopleFile;
    if (!addPeopleCsv(file, graph, most, in.people, error)) return false;
  }
  if (!fillLimits(c, graph, on) || !findDoors(c, graph, on)) return false;
  openExits(graph, on, -1, in);
  return true;
}

Scenario withJoinOut(const Scenario& scenario, const std::string& label) {
  Scenario s = scenario;
  s.outOfService.push_back(JoinGiven{label, 0});
  return s;
}

EgressInput withDoorBlocked(const ScenarioOnPlan& on, const PlanGraph& graph, int door) {
  EgressInput in = on.input;
  openExits(graph, on, door, in);
  return in;
}
