// The report for a person at a terminal: plain lines, every piece of file
// text quoted, cut and escaped so that no byte of a file can break a line or
// reach the terminal as a control character.
#include "check_internal.h"

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
  appendGeodesic(out, r);
  appendBlocked(out, r, listed);
  appendChosenDoors(out, r);
  appendLimit(out, r, listed);
  appendExtent(out, r);
  out += '\n';
  appendResult(out, r);
  return out;
}
