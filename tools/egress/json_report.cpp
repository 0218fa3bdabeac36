// The report as one JSON object with the same facts as the plain one;
// times in seconds, null for a time that never came.
#include <nlohmann/json.hpp>

#include "egress.h"

namespace {

using nlohmann::json;

json seconds(double value) { return value == kNever ? json(nullptr) : json(value); }

json limitsJson(const PlanGraph& g, const std::vector<LimitOutcome>& limits) {
  json list = json::array();
  for (const LimitOutcome& l : limits) {
    list.push_back({{"what", l.kind < 0 ? std::string("everyoneOut") : "cleared"},
                    {"kind", l.kind < 0 ? json(nullptr) : json(g.kindWords[static_cast<std::size_t>(l.kind)])},
                    {"limitSeconds", l.limit},
                    {"seconds", seconds(l.seconds)},
                    {"passed", l.passed}});
  }
  return list;
}

json kindsJson(const EgressReport& r) {
  const PlanGraph& g = *r.graph;
  std::vector<double> people(g.kindWords.size(), 0.0);
  for (std::size_t c = 0; c < g.number.size(); ++c) people[g.kind[c]] += r.on->input.people[c];
  json kinds = json::object();
  for (std::size_t k = 0; k < g.kindWords.size(); ++k) {
    const KindFlow& f = r.on->input.kinds[k];
    kinds[g.kindWords[k]] = {{"people", people[k]},
                             {"clearedSeconds", seconds(r.outcome.kindCleared[k])},
                             {"speed", f.speed},
                             {"flow", f.flow},
                             {"jam", f.jam}};
  }
  // The figures of walking up and down a stair or escalator between
  // levels, where the plan has joins; a running escalator's own are under
  // "joins".
  const EgressInput& in = r.on->input;
  for (std::size_t c = 0; c < g.number.size() && !in.cellFigures.empty(); ++c) {
    const std::string& word = g.kindWords[g.kind[c]];
    const std::array<std::uint16_t, 3>& f = in.cellFigures[c];
    if (g.joinOf[c].join < 0) continue;
    for (const Travel way : {Travel::Up, Travel::Down}) {
      const std::uint16_t walked = f[static_cast<std::size_t>(way)];
      if (kinds[word].contains(travelWord(way)) || (walked == f[0] && f[0] != g.kind[c])) continue;
      const KindFlow& w = in.figures[walked];
      kinds[word][travelWord(way)] = {{"speed", w.speed}, {"flow", w.flow}, {"jam", w.jam}};
    }
  }
  return kinds;
}

json joinsJson(const EgressReport& r) {
  json joins = json::array();
  for (const JoinLine& j : joinLines(*r.graph, *r.on)) {
    joins.push_back({{"label", j.label},
                     {"kind", j.kind},
                     {"cellsAcross", j.cells},
                     {"runs", j.runs == Travel::None ? json(nullptr) : json(travelWord(j.runs))},
                     {"outOfService", j.out},
                     {"runningPerMinute", j.perMinute > 0.0 ? json(j.perMinute) : json(nullptr)},
                     {"widthMetres", j.cells * r.on->input.cellSide}});
  }
  return joins;
}

json doorsJson(const EgressReport& r) {
  json doors = json::array();
  for (std::size_t d = 0; d < r.outcome.doors.size(); ++d) {
    const DoorOutcome& door = r.outcome.doors[d];
    const std::string& name = r.on->doorName[d];
    doors.push_back({{"number", d + 1},
                     {"name", name.empty() ? json(nullptr) : json(name)},
                     {"blocked", static_cast<bool>(r.on->doorBlocked[d])},
                     {"people", door.people},
                     {"firstOutSeconds", seconds(door.firstOut)},
                     {"lastOutSeconds", seconds(door.lastOut)},
                     {"peakFlow", door.peakFlow}});
  }
  return doors;
}

json handJson(const EgressReport& r) {
  json hand = json::array();
  for (const HandFigure& h : r.hand) {
    hand.push_back({{"kind", h.kind < 0 ? json(nullptr) : json(r.graph->kindWords[static_cast<std::size_t>(h.kind)])},
                    {"people", h.people},
                    {"capacity", h.capacity},
                    {"flowSeconds", seconds(h.flowSeconds)},
                    {"longestWalkSeconds", seconds(h.longestWalk)},
                    {"seconds", seconds(h.total)}});
  }
  return hand;
}

json caseJson(const BlockedCase& c) {
  return {{"door", c.join.empty() ? json(c.door + 1) : json(nullptr)},
          {"join", c.join.empty() ? json(nullptr) : json(c.join)}};
}

json blockedJson(const EgressReport& r) {
  json cases = json::array();
  for (const BlockedCase& c : r.blocked) {
    json one = caseJson(c);
    if (!c.error.empty()) {
      one["error"] = c.error;
    } else {
      one["everyoneOutSeconds"] = seconds(c.outcome.everyoneOut);
      one["peopleOut"] = c.outcome.out;
      one["limits"] = limitsJson(*r.graph, c.limits);
    }
    cases.push_back(one);
  }
  const int worstDoor = worstCaseOf(r.blocked, false);
  const int worstJoin = worstCaseOf(r.blocked, true);
  const int worst = worstCase(r.blocked);
  return {{"cases", cases},
          {"worstDoor", worstDoor < 0 ? json(nullptr) : json(r.blocked[static_cast<std::size_t>(worstDoor)].door + 1)},
          {"worstJoin", worstJoin < 0 ? json(nullptr) : json(r.blocked[static_cast<std::size_t>(worstJoin)].join)},
          {"worst", worst < 0 ? json(nullptr) : caseJson(r.blocked[static_cast<std::size_t>(worst)])}};
}

}  // namespace

std::string jsonReport(const EgressReport& r) {
  json report = {{"mesh", r.meshPath},
                 {"exits", r.exitPath},
                 {"scenario", r.scenarioPath},
                 {"plan", r.planPath.empty() ? json(nullptr) : json(r.planPath)},
                 {"cells", r.graph->number.size()},
                 {"cellSide", r.on->input.cellSide},
                 {"stepSeconds", r.outcome.step},
                 {"steps", r.outcome.steps},
                 {"route", r.on->input.route == RouteChoice::Quickest ? "quickest" : "nearest"},
                 {"people", r.outcome.placed},
                 {"peopleOut", r.outcome.out},
                 {"peopleWithoutWayOut", r.outcome.noWayOut},
                 {"everyoneOutSeconds", seconds(r.outcome.everyoneOut)},
                 {"kinds", kindsJson(r)},
                 {"doors", doorsJson(r)},
                 {"joins", joinsJson(r)},
                 {"hand", handJson(r)},
                 {"limits", limitsJson(*r.graph, r.limits)},
                 {"allPassed", allPassed(r)},
                 {"warnings", r.warnings}};
  if (r.blockedRun) report["blocked"] = blockedJson(r);
  return report.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}
