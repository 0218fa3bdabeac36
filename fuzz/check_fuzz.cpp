// orvik-check's report over arbitrary mesh and exit text (split at the
// first NUL byte; without one, the whole input is the mesh and "1" the exit
// file), handed to the readers in pieces of a size the input picks. The
// checker's own count and walk must agree with the program's readers, its
// figures must add up, the JSON must parse and the plain report must keep
// one finding to a line.
#include <nlohmann/json.hpp>

#include <algorithm>

#include "check.h"
#include "fuzz_common.h"

namespace {

void checkFigures(const CheckReport& r) {
  require(r.agreesWithProgram, "checker disagrees with the program's readers");
  require(r.mesh.recordsRead == r.mesh.recordsStored + r.mesh.skippedOutside,
          "records do not add up");
  require(
      r.mesh.recordsStored == r.mesh.cellsStored + r.mesh.repeatedCells + (cellNamed[0] ? 1 : 0),
      "stored records do not add up");
  require(r.exits.numbersRead == r.exits.seeded + r.exits.skippedOutside,
          "exit numbers do not add up");
  require(
      static_cast<int>(r.cellTimes.size()) == r.times.cells && r.times.cells == r.mesh.cellsStored,
      "cells do not add up");
  require(r.times.reached + r.times.unreached == r.times.cells &&
              r.times.beyondCutoff + r.times.noPath == r.times.unreached,
          "times do not add up");
  int binned = 0;
  for (int b = 0; b < kMinuteBins; ++b) binned += r.times.perMinute[b];
  require(binned == r.times.reached, "minute bins do not add up");
  for (int k = 0; k < kFindingKinds; ++k) {
    require(static_cast<std::int64_t>(r.findings[k].size()) ==
                std::min<std::int64_t>(r.findingCounts[k], kKeptFindings),
            "kept findings do not match their count");
  }
}

// Printable text and line breaks only: no byte of the file may break a line
// of the report or reach the terminal as a control character (C0, DEL, or
// C1 as UTF-8, which some terminals obey).
bool plainLines(const std::string& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto b = static_cast<unsigned char>(text[i]);
    if ((b < 0x20 && b != '\n') || b == 0x7F) return false;
    if (b == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) <= 0x9F)
      return false;
  }
  return true;
}

// The what-ifs asked for: every door in turn, door 1 blocked, a limit and
// its list. The cells left unreached split into those beyond the cut-off
// and those with no way out, in every case, and the list holds the cells
// over the limit of the case it names.
void checkWhatIfs(const CheckReport& r) {
  const TimeSummary* cases[] = {&r.worstBlocked, &r.blockedTimes};
  for (const TimeSummary* s : cases) {
    require(s->cells == 0 || s->beyondCutoff + s->noPath == s->unreached,
            "unreached cells of a case do not split");
  }
  const LimitCase* limits[] = {&r.limitAllExits, &r.limitAnyDoorBlocked, &r.limitBlockedDoors};
  for (const LimitCase* c : limits) {
    int cells = 0;
    for (const KindOverLimit& k : c->kinds) cells += k.cells;
    require(cells == c->over && c->beyondCutoff + c->noWayOut <= c->over, "limit counts");
  }
  const LimitCase& listed = r.blockedDoors.empty() ? r.limitAnyDoorBlocked : r.limitBlockedDoors;
  require(static_cast<int>(r.overCells.size()) == listed.over, "the list misses cells over the limit");
  const std::string csv = formatOverCsv(r);
  require(std::count(csv.begin(), csv.end(), '\n') >= listed.over + 1, "list rows");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view meshText;
  std::string_view exitText;
  if (!splitAtNul(asText(data, size), meshText, exitText)) {
    meshText = exitText;
    exitText = "1";
  }
  const std::size_t pieces = size == 0 ? 0 : data[size - 1] % 8;
  CheckOptions options;
  const bool whatIfs = size > 1 && (data[size - 2] & 1) != 0;
  if (whatIfs) {
    options.blocked = true;
    options.block = {"1"};
    options.limitGiven = true;
    options.limitSeconds = 100;
    options.listOver = true;
  }
  const CheckReport report =
      checkPlanTexts("in/Mesh.csv", meshText, "in/ExitGrid.dat", exitText, pieces, options);
  checkFigures(report);
  if (whatIfs && report.blockError.empty()) checkWhatIfs(report);

  require(nlohmann::json::accept(formatJsonReport(report)), "JSON report does not parse");
  require(plainLines(formatTextReport(report, 3)), "control character in the plain report");
  const std::string csv = formatTimesCsv(report);
  require(std::count(csv.begin(), csv.end(), '\n') == report.times.cells + 1, "times file rows");
  return 0;
}
