// The report for a person at a terminal: the files as read, the plan, the
// exits, the levels, the travel times, the what-ifs (text_whatif.cpp), the
// extent and the result, in plain lines, every piece of file text quoted,
// cut and escaped so that no byte of a file can break a line or reach the
// terminal as a control character.
#include <algorithm>
#include <cstdio>

#include "check_internal.h"
#include "color/color.h"

namespace {

enum class Section { Mesh, Plan, Exits };

Section sectionOf(FindingKind kind) {
  switch (kind) {
    case FindingKind::SharedPosition:
    case FindingKind::NeighbourWithoutRecord:
    case FindingKind::NeighbourNotNamedBack:
    case FindingKind::NeighbourNotBeside:
    case FindingKind::OutsideMapArea:
    case FindingKind::PositionTooLarge:
      return Section::Plan;
    case FindingKind::ExitsStopped:
    case FindingKind::ExitOutsideTable:
    case FindingKind::ExitWithoutRecord:
    case FindingKind::ExitClosedIn:
    case FindingKind::NoExits:
    case FindingKind::RepeatedExit:
      return Section::Exits;
    default:
      return Section::Mesh;
  }
}

std::int64_t findingsIn(const CheckReport& r, Section section) {
  std::int64_t count = 0;
  for (int k = 0; k < kFindingKinds; ++k) {
    if (sectionOf(static_cast<FindingKind>(k)) == section) count += r.findingCounts[k];
  }
  return count;
}

// Each kind is one run of lines, cut after `listed`.
void appendFindings(std::string& out, const CheckReport& r, Section section, int listed) {
  for (int k = 0; k < kFindingKinds; ++k) {
    if (sectionOf(static_cast<FindingKind>(k)) != section) continue;
    const std::vector<Finding>& kept = r.findings[k];
    const std::size_t shown = std::min(kept.size(), static_cast<std::size_t>(std::max(listed, 0)));
    for (std::size_t j = 0; j < shown; ++j) {
      const Finding& f = kept[j];
      out += "  " + plainText(baseName(f.file == InputFile::Mesh ? r.meshPath : r.exitPath));
      if (f.line > 0) out += ':' + num(f.line);
      out += ": " + messageText(f.message) + '\n';
    }
    const std::int64_t more = r.findingCounts[k] - static_cast<std::int64_t>(shown);
    if (more > 0) out += "  ... and " + num(more) + " more like this\n";
  }
}

void appendUnreadable(std::string& out, const std::string& path, bool opened,
                      const std::string& error) {
  if (opened) return;
  out += "  " + plainText(baseName(path)) + ": cannot read " + plainText(path) + " (" + error +
         "); the program reads it as an empty file.\n";
}

void appendMesh(std::string& out, const CheckReport& r, int listed) {
  const MeshSummary& m = r.mesh;
  out += "Mesh (" + plainText(baseName(r.meshPath)) + ")\n";
  appendUnreadable(out, r.meshPath, r.meshOpened, r.meshError);
  if (r.meshOpened) {
    out += "  " + plural(m.recordsRead, "record", "records") + " read, " + num(m.recordsStored) +
           " stored";
    if (m.skippedOutside > 0) out += ", " + num(m.skippedOutside) + " skipped";
    out += ": " + plural(m.cellsStored, "cell", "cells") + " in the table.\n";
    if (m.headerWhole && !m.stop.early) out += "  The file ends cleanly after the last record.\n";
  }
  appendFindings(out, r, Section::Mesh, listed);
  out += "Plan\n";
  const std::int64_t planFindings = findingsIn(r, Section::Plan);
  if (m.stop.early && planFindings > 0) {
    out += "  (Reading stopped early: sides that lead to the cells after that point are listed "
           "too.)\n";
  }
  if (m.cellsStored > 0 && planFindings == 0) {
    out +=
        "  Every open side leads to a cell that names it back, beside it on the grid; no two cells "
        "share a square.\n";
  }
  appendFindings(out, r, Section::Plan, listed);
}

void appendExits(std::string& out, const CheckReport& r, int listed) {
  const ExitSummary& e = r.exits;
  out += "Exits (" + plainText(baseName(r.exitPath)) + ")\n";
  appendUnreadable(out, r.exitPath, r.exitOpened, r.exitError);
  if (r.exitOpened) {
    out += "  " + plural(e.numbersRead, "exit number", "exit numbers") + " read, " +
           num(e.seeded) + " seeded";
    if (e.skippedOutside > 0) out += ", " + num(e.skippedOutside) + " skipped";
    out += ": " + plural(e.distinctExits, "distinct exit", "distinct exits") + ".\n";
    if (!e.stop.early) out += "  The file ends cleanly after the last number.\n";
  }
  appendFindings(out, r, Section::Exits, listed);
}

constexpr int kDrawnCells = kMaxCellId;                        // cells 1..kMaxCellId

bool loadProblems(const CheckReport& r) {
  for (int k = 0; k <= static_cast<int>(kLastLoadFinding); ++k) {
    if (r.findingCounts[k] > 0) return true;
  }
  return false;
}

std::string shownName(const std::string& name) {
  return name.empty() ? "(no level)" : plainText(name, kQuoteBytes);
}

std::string joinText(const LevelJoin& j) {
  std::string text = plainText(j.label, kQuoteBytes) + " (" + plainText(j.kind, kQuoteBytes);
  if (j.runs != Travel::None) text += std::string(" running ") + travelWord(j.runs);
  text += ", " + plural(j.cells, "cell", "cells") + ", ";
  if (j.toward != Travel::None) text += std::string(travelWord(j.toward)) + " ";
  return text + "to " + shownName(j.toLevel) + ")";
}

void appendLevels(std::string& out, const CheckReport& r) {
  if (r.levels.empty()) return;
  out += "Levels (as the records name them; top first as plan2mesh lists them)\n";
  for (const LevelSummary& level : r.levels) {
    out += "  " + shownName(level.name) + ": " + plural(level.cells, "cell", "cells") + ", " +
           plural(level.exits, "exit", "exits") + "; ";
    if (level.joins.empty()) out += "no joins";
    for (std::size_t j = 0; j < level.joins.size(); ++j) {
      out += (j == 0 ? "joins " : ", ") + joinText(level.joins[j]);
    }
    out += ".\n";
  }
}

void appendTimes(std::string& out, const CheckReport& r) {
  const TimeSummary& s = r.times;
  out += "Travel times (" + num(static_cast<int>(kStepTime)) +
         " s a move through an open side, computed up to " + num(kLongestTime) + " s)\n";
  out += "  " + plural(s.cells, "cell", "cells") + ": " + num(s.reached) + " reached, " +
         num(s.unreached) + " unreached";
  if (s.unreached > 0) {
    out += " (" + num(s.beyondCutoff) + " farther than " + num(kLongestTime) + " s, " +
           num(s.noPath) + " with no way to an exit)";
  }
  out += ".\n";
  if (s.reached > 0) {
    out += "  " + num(s.fiveMinutesOrMore) + " reached cells take " +
           num(static_cast<int>(kScaleMaxTime / kSecondsPerMinute)) +
           " minutes or more; the largest time is " + num(static_cast<long long>(s.largest)) +
           " s (" + fixed(s.largest / kSecondsPerMinute, 1) + " min).\n";
    out += walkHistogram(s.perMinute);
  }
}

void appendExtent(std::string& out, const CheckReport& r) {
  const ExtentSummary& e = r.extent;
  out += "Extent\n";
  if (r.mesh.cellsStored > 0) {
    out += "  Columns " + num(e.minColumn) + " to " + num(e.maxColumn) + ", rows " +
           num(e.minRow) + " to " + num(e.maxRow) + "; the map reaches x = " +
           shortestNumber(e.maxX) + ", y = " + shortestNumber(e.maxY) + " (map units, 2 a cell).\n";
  }
  out += "  " + num(r.mesh.cellsStored) + " of the " + num(kDrawnCells) +
         " cell numbers in use (" + fixed(100.0 * r.mesh.cellsStored / kDrawnCells, 1) + " %)";
  out += r.mesh.cellsStored > 0 ? "; the highest is " + num(e.highestCell) + ".\n" : ".\n";
}

void appendResult(std::string& out, const CheckReport& r) {
  const int status = checkExitStatus(r);
  std::int64_t notes = 0;
  for (int k = static_cast<int>(kLastLoadFinding) + 1; k < kFindingKinds; ++k)
    notes += r.findingCounts[k];
  if (!r.agreesWithProgram) {
    out +=
        "Internal error: the checker's own count differs from what the program loaded; please "
        "report this.\n";
  }
  if (!r.writeFailure.empty()) {
    out += "Result: " + plainText(r.writeFailure) + " (exit status 2).\n";
  } else if (status == 2) {
    out += "Result: a file could not be read (exit status 2).\n";
  } else if (status == 1 && loadProblems(r)) {
    out += "Result: the program ignores part of the files or cannot use an exit (exit status 1).\n";
  } else if (status == 1) {
    const int over =
        std::max({r.limitAllExits.over, r.limitAnyDoorBlocked.over, r.limitBlockedDoors.over});
    out += "Result: " + plural(over, "cell is", "cells are") + " over the limit (exit status 1).\n";
  } else {
    out += std::string("Result: both files were read whole and every exit is of use") +
           (r.options.limitGiven ? ", and no cell is over the limit" : "") + " (exit status 0).\n";
  }
  if (notes > 0)
    out +=
        "  " + plural(notes, "note", "notes") + " about the plan above do not change the status.\n";
}

}  // namespace

std::string messageText(const Message& message) {
  std::string out;
  for (const MessagePiece& piece : message) {
    out += piece.fromFile ? quotedText(piece.text, kQuoteBytes, piece.cut) : piece.text;
  }
  return out;
}

std::string formatTextReport(const CheckReport& r, int listed) {
  std::string out =
      r.planPath.empty()
          ? "Checking " + plainText(r.meshPath) + " and " + plainText(r.exitPath) + "\n\n"
          : "Checking " + plainText(r.planPath) + ", converted by plan2mesh in memory into " +
                plainText(r.meshPath) + " and " + plainText(r.exitPath) + "\n\n";
  appendMesh(out, r, listed);
  appendExits(out, r, listed);
  appendLevels(out, r);
  appendTimes(out, r);
  appendWhatIfs(out, r, listed);
  appendExtent(out, r);
  out += '\n';
  appendResult(out, r);
  return out;
}
