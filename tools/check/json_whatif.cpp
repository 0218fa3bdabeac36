// The JSON report's parts on what the options asked for: the geodesic
// times, the doors blocked in turn, the cells over a limit.
#include <nlohmann/json.hpp>

#include "check_internal.h"

namespace {

using Json = nlohmann::ordered_json;

Json secondsOrNull(float t) { return t == kUnreachedTime || t < 0 ? Json(nullptr) : Json(t); }

Json limitCaseJson(const LimitCase& c) {
  Json kinds = Json::array();
  for (const KindOverLimit& k : c.kinds) {
    kinds.push_back(Json{{"kind", k.kind},
                         {"cells", k.cells},
                         {"beyondCutoff", k.beyondCutoff},
                         {"noWayOut", k.noWayOut},
                         {"mostRemote", Json{{"cell", k.remote},
                                             {"column", k.column},
                                             {"row", k.row},
                                             {"seconds", secondsOrNull(k.seconds)},
                                             {"uncutMoves", k.remoteMoves >= 0 ? Json(k.remoteMoves)
                                                                               : Json(nullptr)}}}});
  }
  return Json{{"over", c.over}, {"beyondCutoff", c.beyondCutoff}, {"noWayOut", c.noWayOut},
              {"kinds", kinds}};
}

Json doorJson(const Door& d) {
  return Json{{"number", d.number},
              {"name", d.name.empty() ? Json(nullptr) : Json(d.name)},
              {"firstCell", d.first},
              {"column", d.column},
              {"row", d.row},
              {"planPlace", d.place.empty() ? Json(nullptr) : Json(d.place)},
              {"exitCells", d.cells},
              {"cellsLonger", d.longer},
              {"largestIncreaseSeconds", d.largestIncrease},
              {"fiveMinutesOrMore", d.fiveMinutesOrMore},
              {"lostEveryWayOut", d.lostWayOut},
              {"lostNoWayAtAll", d.lostNoWay},
              {"largestGeodesicSeconds", secondsOrNull(d.largestGeodesic)}};
}

Json chosenDoorsJson(const CheckReport& r) {
  Json doors = Json::array();
  for (const int k : r.blockedDoors) {
    const Door& d = r.doors[static_cast<std::size_t>(k)];
    doors.push_back(Json{{"number", d.number},
                         {"name", d.name.empty() ? Json(nullptr) : Json(d.name)},
                         {"exitCells", d.cells}});
  }
  const TimeSummary& s = r.blockedTimes;
  return Json{{"doors", doors},
              {"cells", s.cells},
              {"reached", s.reached},
              {"unreached", s.unreached},
              {"unreachedBeyondCutoff", s.beyondCutoff},
              {"unreachedNoPath", s.noPath},
              {"cellsLonger", r.blockedLonger},
              {"largestIncreaseSeconds", r.blockedLargestIncrease},
              {"lostEveryWayOut", r.blockedLostWayOut},
              {"lostNoWayAtAll", r.blockedLostNoWay},
              {"fiveMinutesOrMore", s.fiveMinutesOrMore},
              {"largestSeconds", secondsOrNull(s.largest)},
              {"perMinute", std::vector<int>(s.perMinute, s.perMinute + kMinuteBins)}};
}

}  // namespace

void addWhatIfJson(Json& report, const CheckReport& r) {
  if (r.options.geodesic) {
    const GeodesicSummary& g = r.geodesic;
    report["geodesic"] = Json{
        {"reached", g.reached},
        {"unreached", g.unreached},
        {"fiveMinutesOrMore", g.fiveMinutesOrMore},
        {"largestSeconds", secondsOrNull(g.largest)},
        {"perMinute", std::vector<int>(g.perMinute, g.perMinute + kGeodesicMinuteBins)},
        {"sideMoveOverGeodesic",
         Json{{"cells", g.compared},
              {"median", g.ratioMedian},
              {"percentile95", g.ratio95},
              {"largest", g.ratioLargest},
              {"largestAt", g.compared > 0 ? Json{{"cell", g.ratioWhere},
                                                  {"column", g.ratioColumn},
                                                  {"row", g.ratioRow}}
                                           : Json(nullptr)}}}};
  }
  if (r.options.blocked) {
    Json doors = Json::array();
    for (const Door& d : r.doors) doors.push_back(doorJson(d));
    const TimeSummary& w = r.worstBlocked;
    report["blocked"] = Json{
        {"doors", doors},
        {"worst", Json{{"cells", w.cells},
                       {"reached", w.reached},
                       {"unreached", w.unreached},
                       {"unreachedBeyondCutoff", w.beyondCutoff},
                       {"unreachedNoPath", w.noPath},
                       {"fiveMinutesOrMore", w.fiveMinutesOrMore},
                       {"largestSeconds", secondsOrNull(w.largest)},
                       {"perMinute", std::vector<int>(w.perMinute, w.perMinute + kMinuteBins)}}},
        {"exitFiles", r.exitFilesWritten},
        {"staleExitFilesRemoved", r.staleExitFilesRemoved}};
  }
  if (!r.blockedDoors.empty()) report["block"] = chosenDoorsJson(r);
  if (r.options.limitGiven) {
    report["limit"] = Json{{"seconds", r.options.limitSeconds},
                           {"times", r.options.geodesic ? "geodesic" : "sideMove"},
                           {"allExits", limitCaseJson(r.limitAllExits)},
                           {"anyDoorBlocked", r.options.blocked
                                                  ? limitCaseJson(r.limitAnyDoorBlocked)
                                                  : Json(nullptr)},
                           {"blockedDoors", r.blockedDoors.empty()
                                                ? Json(nullptr)
                                                : limitCaseJson(r.limitBlockedDoors)},
                           {"listed", r.options.listOver ? Json{{"case", r.listCase},
                                                                {"cells", r.overCells.size()}}
                                                         : Json(nullptr)}};
  }
}
