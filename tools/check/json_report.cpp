// The report as one JSON object. Text from the files goes in as it stands;
// the library escapes it and replaces bytes that are not UTF-8 by U+FFFD.
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

}  // namespace

void addWhatIfJson(Json& report, const CheckReport& r);
void addLevelsJson(Json& report, const CheckReport& r);

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
