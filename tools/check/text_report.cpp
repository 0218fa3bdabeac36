// The report for a person at a terminal: plain lines, every piece of file
// text quoted, cut and escaped so that no byte of a file can break a line or
// reach the terminal as a control character.
#include <algorithm>

#include "check_internal.h"

namespace {

// Bytes in the well-formed UTF-8 sequence at p, 0 when there is none; `code`
// is its code point.
int utf8Length(const unsigned char* p, std::size_t left, char32_t& code) {
  const unsigned char b = p[0];
  code = b;
  if (b < 0x80) return 1;
  int n = 0;
  unsigned char lo = 0x80, hi = 0xBF;  // range of the second byte
  if (b >= 0xC2 && b <= 0xDF) {
    n = 2;
    code = b & 0x1F;
  } else if (b >= 0xE0 && b <= 0xEF) {
    n = 3;
    code = b & 0x0F;
    if (b == 0xE0) lo = 0xA0;  // no overlong forms
    if (b == 0xED) hi = 0x9F;  // no surrogates
  } else if (b >= 0xF0 && b <= 0xF4) {
    n = 4;
    code = b & 0x07;
    if (b == 0xF0) lo = 0x90;
    if (b == 0xF4) hi = 0x8F;  // nothing above U+10FFFF
  } else {
    return 0;
  }
  if (left < static_cast<std::size_t>(n) || p[1] < lo || p[1] > hi) return 0;
  for (int k = 1; k < n; ++k) {
    if (p[k] < 0x80 || p[k] > 0xBF) return 0;
    code = (code << 6) | (p[k] & 0x3F);
  }
  return n;
}

// Characters a terminal does not show, or shows as something else: control
// characters, and the spaces, joiners, direction marks and the byte-order
// mark that make "1" look like 1 in a message.
bool invisible(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0xA0 || c == 0xAD || c == 0x34F ||
         c == 0x61C || c == 0x180E || (c >= 0x200B && c <= 0x200F) ||
         (c >= 0x2028 && c <= 0x202F) || (c >= 0x2060 && c <= 0x206F) || c == 0xFEFF ||
         (c >= 0xFFF9 && c <= 0xFFFB);
}

void appendHex(std::string& out, const unsigned char* bytes, int count) {
  static const char kDigits[] = "0123456789ABCDEF";
  for (int k = 0; k < count; ++k) {
    out += "\\x";
    out += kDigits[bytes[k] >> 4];
    out += kDigits[bytes[k] & 0x0F];
  }
}

// Text for a report line, at most maxBytes of it: invisible characters and
// bytes that are not UTF-8 written as \xNN, a backslash doubled and `quote`
// (when not 0) escaped. `more` tells whether bytes were left out.
std::string escaped(std::string_view text, std::size_t maxBytes, char quote, bool& more) {
  std::string out;
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  std::size_t i = 0;
  while (i < text.size()) {
    char32_t code = 0;
    const int n = utf8Length(p + i, text.size() - i, code);
    const std::size_t step = static_cast<std::size_t>(std::max(n, 1));
    if (i + step > maxBytes) break;
    if (n == 0 || invisible(code)) {
      appendHex(out, p + i, static_cast<int>(step));
    } else if ((quote != 0 && p[i] == static_cast<unsigned char>(quote)) || p[i] == '\\') {
      out += '\\';
      out += static_cast<char>(p[i]);
    } else {
      out.append(text.data() + i, step);
    }
    i += step;
  }
  more = i < text.size();
  return out;
}

// File text for a report line: quoted, cut after kQuoteBytes, invisible
// characters and bytes that are not UTF-8 written as \xNN.
std::string quoted(std::string_view text, bool cut) {
  bool more = false;
  const std::string shown = escaped(text, kQuoteBytes, '"', more);
  return '"' + shown + (more || cut ? "...\"" : "\"");
}

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

std::string plainText(std::string_view text, std::size_t maxBytes) {
  bool more = false;
  const std::string shown = escaped(text, maxBytes, 0, more);
  return more ? shown + "..." : shown;
}

std::string messageText(const Message& message) {
  std::string out;
  for (const MessagePiece& piece : message) {
    out += piece.fromFile ? quoted(piece.text, piece.cut) : piece.text;
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
