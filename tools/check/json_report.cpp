// The report as one JSON object: the files as read, the findings, the
// travel times and extent, then the parts the options asked for (geodesic
// times, doors blocked, a limit) and the levels. Text from the files goes in
// as it stands; the library escapes it and replaces bytes that are not UTF-8
// by U+FFFD.
#include <nlohmann/json.hpp>

#include "check_internal.h"

namespace {

using Json = nlohmann::ordered_json;  // keys in the order written, "status" first

const char* kindName(FindingKind kind) {
  static const char* const kNames[kFindingKinds] = {
      "shortHeader",           "meshStopped",       "cellOutsideTable",     "repeatedCell",
      "noCells",               "exitsStopped",      "exitOutsideTable",     "exitWithoutRecord",
      "exitClosedIn",          "noExits",           "headerLooksLikeRecord", "cellZeroStored",
      "sharedPosition",        "neighbourWithoutRecord", "neighbourNotNamedBack",
      "neighbourNotBeside",    "outsideMapArea",    "positionTooLarge",     "repeatedExit"};
  return kNames[static_cast<int>(kind)];
}

// File text in plain double quotes, not escaped: the JSON string is escaped whole.
std::string rawMessage(const Message& message) {
  std::string out;
  for (const MessagePiece& piece : message) {
    out += piece.fromFile ? '"' + piece.text + (piece.cut ? "..." : "") + '"' : piece.text;
  }
  return out;
}

Json orNull(std::int64_t value) { return value > 0 ? Json(value) : Json(nullptr); }

Json stopJson(const ReadStop& s) {
  if (!s.early) return nullptr;
  const char* reason = s.result == FieldResult::NotANumber   ? "not a whole number"
                       : s.result == FieldResult::OutOfRange ? "too large"
                                                             : "file ends inside a record";
  return Json{{"line", s.line}, {"field", s.field}, {"reason", reason}, {"text", s.text},
              {"textCut", s.textCut}};
}

Json meshJson(const CheckReport& r) {
  const MeshSummary& m = r.mesh;
  return Json{{"path", r.meshPath},
              {"opened", r.meshOpened},
              {"error", r.meshOpened ? Json(nullptr) : Json(r.meshError)},
              {"lines", m.lines},
              {"headerWhole", m.headerWhole},
              {"recordsRead", m.recordsRead},
              {"recordsStored", m.recordsStored},
              {"skippedOutsideTable", m.skippedOutside},
              {"repeatedCells", m.repeatedCells},
              {"cellsStored", m.cellsStored},
              {"stop", stopJson(m.stop)}};
}

Json exitsJson(const CheckReport& r) {
  const ExitSummary& e = r.exits;
  return Json{{"path", r.exitPath},
              {"opened", r.exitOpened},
              {"error", r.exitOpened ? Json(nullptr) : Json(r.exitError)},
              {"numbersRead", e.numbersRead},
              {"seeded", e.seeded},
              {"skippedOutsideTable", e.skippedOutside},
              {"distinctExits", e.distinctExits},
              {"stop", stopJson(e.stop)}};
}

Json timesJson(const TimeSummary& s) {
  return Json{{"cells", s.cells},
              {"reached", s.reached},
              {"fiveMinutesOrMore", s.fiveMinutesOrMore},
              {"unreached", s.unreached},
              {"unreachedBeyondCutoff", s.beyondCutoff},
              {"unreachedNoPath", s.noPath},
              {"largestSeconds", s.largest >= 0 ? Json(s.largest) : Json(nullptr)},
              {"perMinute", Json(std::vector<int>(s.perMinute, s.perMinute + kMinuteBins))}};
}

Json extentJson(const CheckReport& r) {
  const ExtentSummary& e = r.extent;
  return Json{{"maxX", e.maxX},
              {"maxY", e.maxY},
              {"columns", {e.minColumn, e.maxColumn}},
              {"rows", {e.minRow, e.maxRow}},
              {"highestCell", e.highestCell},
              {"cellNumbersInUse", r.mesh.cellsStored},
              {"tableSharePercent", 100.0 * r.mesh.cellsStored / kMaxCellId}};
}

Json findingsJson(const CheckReport& r) {
  Json list = Json::array();
  for (int k = 0; k < kFindingKinds; ++k) {
    for (const Finding& f : r.findings[k]) {
      list.push_back(
          Json{{"kind", kindName(f.kind)},
               {"file", baseName(f.file == InputFile::Mesh ? r.meshPath : r.exitPath)},
               {"line", orNull(f.line)},
               {"field", orNull(f.field)},
               {"message", rawMessage(f.message)}});
    }
  }
  return list;
}

// ---------------------------------------------------------- what-ifs

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

// ---------------------------------------------------------- levels

Json travelJson(Travel way) { return way == Travel::None ? Json(nullptr) : Json(travelWord(way)); }

void addLevelsJson(Json& report, const CheckReport& r) {
  Json list = Json::array();
  for (const LevelSummary& level : r.levels) {
    Json joins = Json::array();
    for (const LevelJoin& j : level.joins) {
      joins.push_back(Json{{"label", j.label}, {"kind", j.kind}, {"cells", j.cells},
                           {"toLevel", j.toLevel}, {"toward", travelJson(j.toward)},
                           {"runs", travelJson(j.runs)}});
    }
    list.push_back(Json{{"name", level.name.empty() ? Json(nullptr) : Json(level.name)},
                        {"cells", level.cells},
                        {"exits", level.exits},
                        {"joins", joins}});
  }
  report["levels"] = list;
}

}  // namespace

std::string formatJsonReport(const CheckReport& r) {
  Json counts = Json::object();
  for (int k = 0; k < kFindingKinds; ++k) counts[kindName(static_cast<FindingKind>(k))] = r.findingCounts[k];
  Json report{{"status", checkExitStatus(r)},
                    {"plan", r.planPath.empty() ? Json(nullptr) : Json(r.planPath)},
                    {"mesh", meshJson(r)},
                    {"exits", exitsJson(r)},
                    {"times", timesJson(r.times)},
                    {"extent", extentJson(r)},
                    {"findingCounts", counts},
                    {"findingsListedPerKind", kKeptFindings},
                    {"findings", findingsJson(r)},
                    {"agreesWithProgram", r.agreesWithProgram},
                    {"writeFailure", r.writeFailure.empty() ? Json(nullptr) : Json(r.writeFailure)}};
  addWhatIfJson(report, r);
  addLevelsJson(report, r);
  return report.dump(-1, ' ', false, Json::error_handler_t::replace) + '\n';
}
