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
  return kinds;
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

json blockedJson(const EgressReport& r) {
  json cases = json::array();
  for (const BlockedCase& c : r.blocked) {
    cases.push_back({{"door", c.door + 1},
                     {"everyoneOutSeconds", seconds(c.outcome.everyoneOut)},
                     {"peopleOut", c.outcome.out},
                     {"limits", limitsJson(*r.graph, c.limits)}});
  }
  const int worst = worstCase(r.blocked);
  return {{"cases", cases},
          {"worstDoor", worst < 0 ? json(nullptr) : json(r.blocked[static_cast<std::size_t>(worst)].door + 1)}};
}

}  // namespace

std::string jsonReport(const EgressReport& r) {
  json report = {{"mesh", r.meshPath},
                 {"exits", r.exitPath},
                 {"scenario", r.scenarioPath},
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
                 {"hand", handJson(r)},
                 {"limits", limitsJson(*r.graph, r.limits)},
                 {"allPassed", allPassed(r)},
                 {"warnings", r.warnings}};
  if (r.blockedRun) report["blocked"] = blockedJson(r);
  return report.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}
