#include "check_report.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <tuple>

namespace {

constexpr int kQuoteBytes = 48;                         // longest quoted file text, bytes
constexpr double kFiveMinutes = 5 * kSecondsPerMinute;  // s
constexpr int kDrawnCells = kMaxCellId;                 // cells 1..kMaxCellId

// ---------------------------------------------------------------- text

// Bytes in the well-formed UTF-8 sequence at p, 0 when there is none.
int utf8Length(const unsigned char* p, std::size_t left) {
  const unsigned char b = p[0];
  if (b < 0x80) return 1;
  int n = 0;
  unsigned char lo = 0x80, hi = 0xBF;  // range of the second byte
  if (b >= 0xC2 && b <= 0xDF) {
    n = 2;
  } else if (b >= 0xE0 && b <= 0xEF) {
    n = 3;
    if (b == 0xE0) lo = 0xA0;  // no overlong forms
    if (b == 0xED) hi = 0x9F;  // no surrogates
  } else if (b >= 0xF0 && b <= 0xF4) {
    n = 4;
    if (b == 0xF0) lo = 0x90;
    if (b == 0xF4) hi = 0x8F;  // nothing above U+10FFFF
  } else {
    return 0;
  }
  if (left < static_cast<std::size_t>(n) || p[1] < lo || p[1] > hi) return 0;
  for (int k = 2; k < n; ++k) {
    if (p[k] < 0x80 || p[k] > 0xBF) return 0;
  }
  return n;
}

std::string hexByte(unsigned char b) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "\\x%02X", b);
  return buf;
}

// File text for a report line: quoted, cut after kQuoteBytes, with control
// characters (C0, DEL, C1) and bytes that are not UTF-8 written as \xNN so
// that the line stays one line and plain text on any terminal.
std::string quoted(std::string_view text) {
  std::string out = "\"";
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  std::size_t i = 0;
  while (i < text.size()) {
    const int n = utf8Length(p + i, text.size() - i);
    if (i + static_cast<std::size_t>(std::max(n, 1)) > kQuoteBytes) break;
    if (n == 0 || p[i] < 0x20 || p[i] == 0x7F) {
      out += hexByte(p[i]);
    } else if (n == 2 && p[i] == 0xC2 && p[i + 1] <= 0x9F) {  // C1 control: terminals may obey it
      out += hexByte(p[i]) + hexByte(p[i + 1]);
    } else if (p[i] == '"' || p[i] == '\\') {
      out += '\\';
      out += static_cast<char>(p[i]);
    } else {
      out.append(text.data() + i, static_cast<std::size_t>(n));
    }
    i += static_cast<std::size_t>(std::max(n, 1));
  }
  out += i < text.size() ? "...\"" : "\"";
  return out;
}

std::string num(long long value) { return std::to_string(value); }

std::string plural(long long count, const char* one, const char* many) {
  return num(count) + ' ' + (count == 1 ? one : many);
}

std::string fixed(double value, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
  return buf;
}

// Shortest form that reads back as the same double.
std::string exactDouble(double value) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.17g", value);
  return buf;
}

std::string baseName(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// ---------------------------------------------------------------- findings

void addFinding(CheckReport& r, FindingKind kind, InputFile file, std::int32_t line, int field,
                std::string message) {
  r.findings.push_back(Finding{kind, file, line, field, std::move(message)});
  ++r.findingCounts[static_cast<int>(kind)];
}

const char* meshFieldName(int field) {
  static const char* const kNames[kMeshRecordFields] = {"cell number",
                                                        "right neighbour",
                                                        "bottom neighbour",
                                                        "left neighbour",
                                                        "top neighbour",
                                                        "grid column",
                                                        "grid row",
                                                        "word",
                                                        "left wall",
                                                        "bottom wall",
                                                        "word",
                                                        "word",
                                                        "word"};
  return field >= 1 && field <= kMeshRecordFields ? kNames[field - 1] : "field";
}

const char* failureReason(FieldResult result) {
  switch (result) {
    case FieldResult::NotANumber:
      return "is not a whole number";
    case FieldResult::OutOfRange:
      return "does not fit a 32-bit whole number (-2147483648 to 2147483647)";
    case FieldResult::EndOfText:
      return "is missing: the file ends";
    case FieldResult::Read:
      break;
  }
  return "was read";
}

// When the failing text sticks to the field before it ("12," or "2.5"),
// the reader took the number and the rest began the next field: say so.
std::string gluedHint(std::string_view whole, std::string_view failed, const char* previous) {
  const char* start = failed.data();
  if (start == whole.data() || isFieldSpace(start[-1])) return "";
  const char* from = start;
  while (from != whole.data() && !isFieldSpace(from[-1])) --from;
  const std::string_view before(from, static_cast<std::size_t>(start - from));
  std::string hint = " The reader took " + quoted(before) + " as " + previous +
                     " and began the next field at " + quoted(failed.substr(0, 1));
  if (failed[0] == ',' || failed[0] == ';') {
    hint += ": a comma is no separator, only blanks, tabs and line breaks are.";
  } else if (failed[0] == '.') {
    hint += ": a whole number has no decimal point.";
  } else {
    hint += ": fields must be separated by white space.";
  }
  return hint;
}

ReadStop cleanStop() { return ReadStop{false, FieldResult::EndOfText, 0, 0, ""}; }

ReadStop stopAt(const FieldFailure& f) {
  return ReadStop{f.result != FieldResult::EndOfText || f.field > 1, f.result, f.field, f.line,
                  std::string(f.text)};
}

// ---------------------------------------------------------------- mesh

// The checker's own pass over the records and exits, slot by slot; cleared
// by checkPlan, so one process can check any number of plans.
std::int32_t firstLine[kSlotCount];   // line of the first record of the slot, 0 none
std::int32_t recordLine[kSlotCount];  // line of the record that stands, 0 none
std::int32_t gridColumn[kSlotCount];  // grid, of the record that stands
std::int32_t gridRow[kSlotCount];     // grid, of the record that stands
std::int32_t exitLine[kSlotCount];    // line of the exit's first listing, 0 not an exit
int movesFromExit[kSlotCount];        // fewest moves from any exit, -1 none
CellId moveQueue[kSlotCount];         // breadth-first order of the walk
CellId storedSlots[kSlotCount];       // slots with a record, in file order
int storedCount;                      // entries of storedSlots in use

void clearTracks() {
  std::fill(std::begin(firstLine), std::end(firstLine), 0);
  std::fill(std::begin(recordLine), std::end(recordLine), 0);
  std::fill(std::begin(gridColumn), std::end(gridColumn), 0);
  std::fill(std::begin(gridRow), std::end(gridRow), 0);
  std::fill(std::begin(exitLine), std::end(exitLine), 0);
  std::fill(std::begin(movesFromExit), std::end(movesFromExit), -1);
  storedCount = 0;
}

std::int32_t countLines(std::string_view text) {
  std::int32_t lines = static_cast<std::int32_t>(std::count(text.begin(), text.end(), '\n'));
  if (!text.empty() && text.back() != '\n') ++lines;
  return lines;
}

// Line of the next field: a number never spans a line break, so reading
// field 1 on a copy of the cursor ends on the line where it starts.
std::int32_t nextFieldLine(const TextCursor& in) {
  TextCursor probe = in;
  std::int32_t ignored = 0;
  readIntField(probe, ignored);
  return probe.line;
}

// A header line that is a whole record by itself suggests the header is missing.
void checkHeaderLines(std::string_view text, CheckReport& r) {
  std::size_t start = 0;
  for (int line = 1; line <= kMeshHeaderLines && start < text.size(); ++line) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    TextCursor in = makeCursor(text.substr(start, end - start));
    MeshRecord record{};
    FieldFailure failure{};
    std::string_view rest;
    if (readMeshRecord(in, record, failure) && readWordField(in, rest) == FieldResult::EndOfText) {
      addFinding(r, FindingKind::HeaderLooksLikeRecord, InputFile::Mesh, line, 0,
                 "header line " + num(line) + " reads as a whole record (cell " + num(record.cell) +
                     "), but the first three lines are always skipped; is the header missing?");
    }
    start = end + 1;
  }
}

void noteRecord(const MeshRecord& rec, std::int32_t line, CheckReport& r) {
  ++r.mesh.recordsRead;
  if (outsideTable(rec.cell)) {
    ++r.mesh.skippedOutside;
    addFinding(r, FindingKind::CellOutsideTable, InputFile::Mesh, line, 1,
               "cell number " + num(rec.cell) + " is outside 0 to " + num(kMaxCellId) +
                   "; the record is skipped.");
    return;
  }
  ++r.mesh.recordsStored;
  const CellId c = rec.cell;
  if (firstLine[c] != 0) {
    ++r.mesh.repeatedCells;
    addFinding(r, FindingKind::RepeatedCell, InputFile::Mesh, line, 1,
               "cell " + num(c) + " appears again (first on line " + num(firstLine[c]) +
                   "); this record replaces the earlier one.");
  } else {
    firstLine[c] = line;
    storedSlots[storedCount++] = c;
  }
  recordLine[c] = line;
  gridColumn[c] = rec.column;
  gridRow[c] = rec.row;
}

void describeMeshStop(std::string_view text, const FieldFailure& f, CheckReport& r) {
  r.mesh.stop = stopAt(f);
  if (!r.mesh.stop.early) return;
  const int record = r.mesh.recordsRead + 1;
  std::string message;
  if (f.result == FieldResult::EndOfText) {
    message = "the file ends inside record " + num(record) + " after " + num(f.field - 1) +
              " of its " + num(kMeshRecordFields) + " fields; that record is not stored.";
  } else {
    message = "record " + num(record) + ", field " + num(f.field) + " (" + meshFieldName(f.field) +
              ") " + quoted(f.text) + ' ' + failureReason(f.result) + "; reading stops here, " +
              plural(r.mesh.recordsStored, "record", "records") + " stored before it.";
    if (f.field > 1) {
      message += gluedHint(text, f.text, (std::string("field ") + num(f.field - 1)).c_str());
    } else if (r.mesh.recordsRead == 0) {
      message +=
          " The first three lines are skipped whatever they hold and records start on the "
          "fourth; is the header longer than three lines?";
    }
  }
  addFinding(r, FindingKind::MeshStopped, InputFile::Mesh, f.line, f.field, message);
}

void readMeshRecords(const InputText& mesh, CheckReport& r) {
  r.mesh.lines = countLines(mesh.text);
  r.mesh.stop = cleanStop();
  TextCursor in = makeCursor(mesh.text);
  r.mesh.headerWhole = skipMeshHeader(in);
  if (!r.mesh.headerWhole) {
    if (mesh.opened) {
      addFinding(r, FindingKind::ShortHeader, InputFile::Mesh, 0, 0,
                 mesh.text.empty()
                     ? std::string("the file is empty; no record is read.")
                     : "the file has only " + plural(r.mesh.lines, "line", "lines") +
                           "; the first three lines are a header, so no record is read.");
    }
    return;
  }
  checkHeaderLines(mesh.text, r);
  MeshRecord record{};
  FieldFailure failure{};
  for (;;) {
    const std::int32_t line = nextFieldLine(in);
    if (!readMeshRecord(in, record, failure)) break;
    noteRecord(record, line, r);
  }
  describeMeshStop(mesh.text, failure, r);
}

// ---------------------------------------------------------------- plan

// One side of a cell as the move rule sees it.
struct Side {
  const char* name;
  const char* facingName;
  const std::int32_t* ids;        // neighbour numbers on this side
  const std::int32_t* facingIds;  // the neighbour's numbers on the facing side
  std::int32_t WallFlags::*flag;
  std::int32_t WallFlags::*facingFlag;
  int dColumn, dRow;  // where the neighbour should be on the grid (rows grow upwards)
};

const Side kSides[] = {
    {"right", "left", rightId, leftId, &WallFlags::right, &WallFlags::left, 1, 0},
    {"top", "bottom", topId, bottomId, &WallFlags::top, &WallFlags::bottom, 0, 1},
    {"left", "right", leftId, rightId, &WallFlags::left, &WallFlags::right, -1, 0},
    {"bottom", "top", bottomId, topId, &WallFlags::bottom, &WallFlags::top, 0, -1},
};

std::string gridPlace(CellId c) {
  return "column " + num(gridColumn[c]) + ", row " + num(gridRow[c]);
}

void checkPositions(CheckReport& r) {
  std::vector<std::tuple<std::int32_t, std::int32_t, CellId>> places;
  for (int i = 0; i < storedCount; ++i) {
    const CellId c = storedSlots[i];
    if (c != 0) places.emplace_back(gridColumn[c], gridRow[c], c);
  }
  std::sort(places.begin(), places.end());
  for (std::size_t i = 1; i < places.size(); ++i) {
    const CellId first = std::get<2>(places[i - 1]);
    const CellId c = std::get<2>(places[i]);
    if (gridColumn[c] != gridColumn[first] || gridRow[c] != gridRow[first]) continue;
    addFinding(r, FindingKind::SharedPosition, InputFile::Mesh, recordLine[c], 6,
               "cell " + num(c) + " is at " + gridPlace(c) + ", like cell " + num(first) +
                   " (line " + num(recordLine[first]) + "); one hides the other on the map.");
  }
}

void checkOpenSide(CheckReport& r, CellId c, const Side& s) {
  const CellId n = s.ids[c];
  const std::string who = "cell " + num(c) + "'s " + s.name + " side";
  if (outsideTable(n)) return;  // closed by the wall rule; never reached for an open side
  if (!cellNamed[n]) {
    addFinding(r, FindingKind::NeighbourWithoutRecord, InputFile::Mesh, recordLine[c], 0,
               n == 0
                   ? who +
                         " names cell 0, which has no record: the side stays open into the unused "
                         "slot 0 (a number outside 0 to " +
                         num(kMaxCellId) + ", e.g. -1, closes it)."
                   : who + " is open to cell " + num(n) +
                         ", which has no record: walking goes into a slot that is never drawn.");
    return;
  }
  const std::int32_t back = s.facingIds[n];
  if (back != c) {
    const std::string names =
        outsideTable(back) ? "names no neighbour (" + num(back) + ")" : "names cell " + num(back);
    const std::string effect =
        (walls[n].*s.facingFlag) == 0
            ? "walking passes from " + num(c) + " into " + num(n) + " but not back."
            : "that side is closed, so nothing passes between them.";
    addFinding(r, FindingKind::NeighbourNotNamedBack, InputFile::Mesh, recordLine[c], 0,
               "cell " + num(c) + " names cell " + num(n) + " as its " + s.name +
                   " neighbour, but cell " + num(n) + "'s " + s.facingName + " side " + names +
                   ": " + effect);
    return;
  }
  // A pair that names each other both ways is looked at once, from its right or top side.
  if (s.dColumn + s.dRow < 0) return;
  if (gridColumn[n] == gridColumn[c] + s.dColumn && gridRow[n] == gridRow[c] + s.dRow) return;
  addFinding(
      r, FindingKind::NeighbourNotBeside, InputFile::Mesh, recordLine[c], 0,
      "cell " + num(c) + " (" + gridPlace(c) + ") and its " + s.name + " neighbour " + num(n) +
          " (" + gridPlace(n) +
          ") are not side by side on the grid; walking joins them, the map draws them apart.");
}

// Only open sides matter: a closed side (a number outside the table or a
// left/bottom wall field) lets nothing through whatever it names, and a
// wall field on one cell of a pair blocks both ways by the move rule.
void checkNeighbours(CheckReport& r) {
  for (int i = 0; i < storedCount; ++i) {
    const CellId c = storedSlots[i];
    for (const Side& s : kSides) {
      if ((walls[c].*s.flag) == 0) checkOpenSide(r, c, s);
    }
  }
}

// ---------------------------------------------------------------- exits

void noteExit(CellId e, std::int32_t line, CheckReport& r) {
  ++r.exits.numbersRead;
  if (outsideTable(e)) {
    ++r.exits.skippedOutside;
    addFinding(r, FindingKind::ExitOutsideTable, InputFile::Exits, line, 0,
               "exit " + num(e) + " is outside 0 to " + num(kMaxCellId) + "; it is skipped.");
    return;
  }
  ++r.exits.seeded;
  if (exitLine[e] != 0) {
    addFinding(r, FindingKind::RepeatedExit, InputFile::Exits, line, 0,
               "exit " + num(e) + " is listed again (first on line " + num(exitLine[e]) +
                   "); the repeat changes nothing.");
    return;
  }
  exitLine[e] = line;
  ++r.exits.distinctExits;
  const WallFlags& w = walls[e];
  if (!cellNamed[e]) {
    addFinding(r, FindingKind::ExitWithoutRecord, InputFile::Exits, line, 0,
               "exit " + num(e) +
                   " is not a cell of the mesh (no record names it); it is seeded in a slot "
                   "that is never drawn.");
  } else if (w.top != 0 && w.left != 0 && w.bottom != 0 && w.right != 0) {
    addFinding(r, FindingKind::ExitClosedIn, InputFile::Exits, line, 0,
               "exit " + num(e) + " has all four sides closed; no other cell is reached from it.");
  }
}

void describeExitStop(std::string_view text, const FieldFailure& f, CheckReport& r) {
  r.exits.stop = stopAt(f);
  if (!r.exits.stop.early) return;
  addFinding(r, FindingKind::ExitsStopped, InputFile::Exits, f.line, 1,
             "exit number " + num(r.exits.numbersRead + 1) + ' ' + quoted(f.text) + ' ' +
                 failureReason(f.result) + "; reading stops here, " +
                 plural(r.exits.numbersRead, "exit number", "exit numbers") + " read before it." +
                 gluedHint(text, f.text, "an exit number"));
}

void readExits(const InputText& exits, CheckReport& r) {
  r.exits.stop = cleanStop();
  TextCursor in = makeCursor(exits.text);
  CellId e = 0;
  FieldFailure failure{};
  while (readExitRecord(in, e, failure)) noteExit(e, in.line, r);
  describeExitStop(exits.text, failure, r);
}

// ---------------------------------------------------------------- times

// Fewest moves from any exit by the program's move rule, with no cut-off;
// -1 where no exit leads.
void countMovesFromExits() {
  std::size_t queued = 0;
  for (CellId e = 0; e <= kMaxCellId; ++e) {
    if (exitLine[e] != 0) {
      movesFromExit[e] = 0;
      moveQueue[queued++] = e;
    }
  }
  for (std::size_t head = 0; head < queued; ++head) {
    const CellId c = moveQueue[head];
    for (const Side& s : kSides) {
      if ((walls[c].*s.flag) != 0) continue;
      const CellId n = s.ids[c];
      if (outsideTable(n) || (walls[n].*s.facingFlag) != 0 || movesFromExit[n] >= 0) continue;
      movesFromExit[n] = movesFromExit[c] + 1;
      moveQueue[queued++] = n;
    }
  }
}

float expectedTime(int moves) {
  return moves >= 0 && moves <= kMaxMoves ? static_cast<float>(moves * kStepTime) : kUnreachedTime;
}

bool agreesWithProgram() {
  for (CellId c = 0; c <= kMaxCellId; ++c) {
    if (cellNamed[c] != (recordLine[c] != 0)) return false;
    if (cellNamed[c] && (posX[c] != gridColumn[c] * kCellSize || posY[c] != gridRow[c] * kCellSize))
      return false;
    if (travelTime[c] != expectedTime(movesFromExit[c])) return false;
  }
  return true;
}

void summariseTimes(CheckReport& r) {
  TimeSummary& s = r.times;
  s = TimeSummary{};
  s.largest = -1.0f;
  std::vector<CellId> cells(storedSlots, storedSlots + storedCount);
  std::sort(cells.begin(), cells.end());
  for (const CellId c : cells) {
    if (c == 0) continue;
    const float time = travelTime[c];
    ++s.cells;
    r.cellTimes.push_back(CellTime{c, gridColumn[c], gridRow[c], time});
    if (time == kUnreachedTime) {
      ++s.unreached;
      ++(movesFromExit[c] < 0 ? s.noPath : s.beyondCutoff);
      continue;
    }
    ++s.reached;
    if (time >= kFiveMinutes) ++s.fiveMinutesOrMore;
    s.largest = std::max(s.largest, time);
    const int bin = std::min(static_cast<int>(time / kSecondsPerMinute), kMinuteBins - 1);
    ++s.perMinute[std::max(bin, 0)];
  }
}

void summariseExtent(CheckReport& r) {
  ExtentSummary& e = r.extent;
  e = ExtentSummary{meshExtent.maxX, meshExtent.maxY, 0, 0, 0, 0, 0};
  bool first = true;
  for (int i = 0; i < storedCount; ++i) {
    const CellId c = storedSlots[i];
    if (c == 0) continue;
    e.minColumn = first ? gridColumn[c] : std::min(e.minColumn, gridColumn[c]);
    e.maxColumn = first ? gridColumn[c] : std::max(e.maxColumn, gridColumn[c]);
    e.minRow = first ? gridRow[c] : std::min(e.minRow, gridRow[c]);
    e.maxRow = first ? gridRow[c] : std::max(e.maxRow, gridRow[c]);
    e.highestCell = std::max(e.highestCell, c);
    first = false;
  }
}

void noteEmptyInputs(const InputText& mesh, const InputText& exits, CheckReport& r) {
  if (cellNamed[0]) {
    addFinding(r, FindingKind::CellZeroStored, InputFile::Mesh, recordLine[0], 1,
               "cell 0 has a record, but slot 0 is never drawn; it is left out of the counts and "
               "the times file, though walking may pass through it.");
  }
  if (mesh.opened && r.mesh.headerWhole && r.mesh.cellsStored == 0) {
    addFinding(r, FindingKind::NoCells, InputFile::Mesh, 0, 0,
               "no drawn cell was stored: the map is empty.");
  }
  if (exits.opened && r.exits.distinctExits == 0) {
    addFinding(r, FindingKind::NoExits, InputFile::Exits, 0, 0,
               "no exit was seeded: every cell stays unreached.");
  }
}

// ---------------------------------------------------------------- JSON

void jsonField(std::string& out, const char* name, const std::string& value) {
  if (out.back() != '{' && out.back() != '[') out += ',';
  out += jsonQuoted(name);
  out += ':';
  out += value;
}

std::string jsonBool(bool value) { return value ? "true" : "false"; }

std::string jsonStop(const ReadStop& s) {
  if (!s.early) return "null";
  std::string out = "{";
  const char* reason = s.result == FieldResult::NotANumber   ? "not a whole number"
                       : s.result == FieldResult::OutOfRange ? "too large"
                                                             : "file ends inside a record";
  jsonField(out, "line", num(s.line));
  jsonField(out, "field", num(s.field));
  jsonField(out, "reason", jsonQuoted(reason));
  jsonField(out, "text", jsonQuoted(s.text));
  return out + '}';
}

const char* kindName(FindingKind kind) {
  static const char* const kNames[kFindingKinds] = {"shortHeader",
                                                    "meshStopped",
                                                    "cellOutsideTable",
                                                    "repeatedCell",
                                                    "noCells",
                                                    "exitsStopped",
                                                    "exitOutsideTable",
                                                    "exitWithoutRecord",
                                                    "exitClosedIn",
                                                    "noExits",
                                                    "headerLooksLikeRecord",
                                                    "cellZeroStored",
                                                    "sharedPosition",
                                                    "neighbourWithoutRecord",
                                                    "neighbourNotNamedBack",
                                                    "neighbourNotBeside",
                                                    "repeatedExit"};
  return kNames[static_cast<int>(kind)];
}

std::string jsonFinding(const CheckReport& r, const Finding& f) {
  std::string out = "{";
  jsonField(out, "kind", jsonQuoted(kindName(f.kind)));
  jsonField(out, "file", jsonQuoted(baseName(f.file == InputFile::Mesh ? r.meshPath : r.exitPath)));
  jsonField(out, "line", f.line > 0 ? num(f.line) : "null");
  jsonField(out, "field", f.field > 0 ? num(f.field) : "null");
  jsonField(out, "message", jsonQuoted(f.message));
  return out + '}';
}

std::string jsonMesh(const CheckReport& r) {
  std::string out = "{";
  jsonField(out, "path", jsonQuoted(r.meshPath));
  jsonField(out, "opened", jsonBool(r.meshOpened));
  jsonField(out, "error", r.meshOpened ? "null" : jsonQuoted(r.meshError));
  jsonField(out, "lines", num(r.mesh.lines));
  jsonField(out, "headerWhole", jsonBool(r.mesh.headerWhole));
  jsonField(out, "recordsRead", num(r.mesh.recordsRead));
  jsonField(out, "recordsStored", num(r.mesh.recordsStored));
  jsonField(out, "skippedOutsideTable", num(r.mesh.skippedOutside));
  jsonField(out, "repeatedCells", num(r.mesh.repeatedCells));
  jsonField(out, "cellsStored", num(r.mesh.cellsStored));
  jsonField(out, "stop", jsonStop(r.mesh.stop));
  return out + '}';
}

std::string jsonExits(const CheckReport& r) {
  std::string out = "{";
  jsonField(out, "path", jsonQuoted(r.exitPath));
  jsonField(out, "opened", jsonBool(r.exitOpened));
  jsonField(out, "error", r.exitOpened ? "null" : jsonQuoted(r.exitError));
  jsonField(out, "numbersRead", num(r.exits.numbersRead));
  jsonField(out, "seeded", num(r.exits.seeded));
  jsonField(out, "skippedOutsideTable", num(r.exits.skippedOutside));
  jsonField(out, "distinctExits", num(r.exits.distinctExits));
  jsonField(out, "stop", jsonStop(r.exits.stop));
  return out + '}';
}

std::string jsonTimes(const CheckReport& r) {
  const TimeSummary& s = r.times;
  std::string out = "{";
  jsonField(out, "cells", num(s.cells));
  jsonField(out, "reached", num(s.reached));
  jsonField(out, "fiveMinutesOrMore", num(s.fiveMinutesOrMore));
  jsonField(out, "unreached", num(s.unreached));
  jsonField(out, "unreachedBeyondCutoff", num(s.beyondCutoff));
  jsonField(out, "unreachedNoPath", num(s.noPath));
  jsonField(out, "largestSeconds", s.largest >= 0 ? exactDouble(s.largest) : "null");
  std::string bins = "[";
  for (int b = 0; b < kMinuteBins; ++b) bins += (b > 0 ? "," : "") + num(s.perMinute[b]);
  jsonField(out, "perMinute", bins + ']');
  return out + '}';
}

std::string jsonExtent(const CheckReport& r) {
  const ExtentSummary& e = r.extent;
  std::string out = "{";
  jsonField(out, "maxX", exactDouble(e.maxX));
  jsonField(out, "maxY", exactDouble(e.maxY));
  jsonField(out, "columns", "[" + num(e.minColumn) + ',' + num(e.maxColumn) + ']');
  jsonField(out, "rows", "[" + num(e.minRow) + ',' + num(e.maxRow) + ']');
  jsonField(out, "highestCell", num(e.highestCell));
  jsonField(out, "cellNumbersInUse", num(r.mesh.cellsStored));
  jsonField(out, "tableSharePercent", fixed(100.0 * r.mesh.cellsStored / kDrawnCells, 3));
  return out + '}';
}

// ---------------------------------------------------------------- plain text

enum class Section { Mesh, Plan, Exits };

Section sectionOf(FindingKind kind) {
  switch (kind) {
    case FindingKind::SharedPosition:
    case FindingKind::NeighbourWithoutRecord:
    case FindingKind::NeighbourNotNamedBack:
    case FindingKind::NeighbourNotBeside:
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

int findingsIn(const CheckReport& r, Section section) {
  int count = 0;
  for (int k = 0; k < kFindingKinds; ++k) {
    if (sectionOf(static_cast<FindingKind>(k)) == section) count += r.findingCounts[k];
  }
  return count;
}

void appendFinding(std::string& out, const CheckReport& r, const Finding& f) {
  out += "  " + baseName(f.file == InputFile::Mesh ? r.meshPath : r.exitPath);
  if (f.line > 0) out += ':' + num(f.line);
  out += ": " + f.message + '\n';
}

// Findings are sorted by kind: each kind is one run, cut after `listed`.
void appendFindings(std::string& out, const CheckReport& r, Section section, int listed) {
  const std::size_t limit = static_cast<std::size_t>(std::max(listed, 0));
  std::size_t i = 0;
  while (i < r.findings.size()) {
    const FindingKind kind = r.findings[i].kind;
    std::size_t end = i;
    while (end < r.findings.size() && r.findings[end].kind == kind) ++end;
    if (sectionOf(kind) == section) {
      const std::size_t shown = std::min(end - i, limit);
      for (std::size_t j = i; j < i + shown; ++j) appendFinding(out, r, r.findings[j]);
      if (end - i > shown)
        out += "  ... and " + num(static_cast<long long>(end - i - shown)) + " more like this\n";
    }
    i = end;
  }
}

void appendUnreadable(std::string& out, const std::string& path, bool opened,
                      const std::string& error) {
  if (opened) return;
  out += "  " + baseName(path) + ": cannot read " + path + " (" + error +
         "); the program reads it as an empty file.\n";
}

void appendMesh(std::string& out, const CheckReport& r, int listed) {
  const MeshSummary& m = r.mesh;
  out += "Mesh (" + baseName(r.meshPath) + ")\n";
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
  if (m.stop.early && findingsIn(r, Section::Plan) > 0) {
    out += "  (Reading stopped early: sides that lead to the cells after that point are listed "
           "too.)\n";
  }
  if (r.mesh.cellsStored > 0 && findingsIn(r, Section::Plan) == 0) {
    out +=
        "  Every open side leads to a cell that names it back, beside it on the grid; no two cells "
        "share a square.\n";
  }
  appendFindings(out, r, Section::Plan, listed);
}

void appendExits(std::string& out, const CheckReport& r, int listed) {
  const ExitSummary& e = r.exits;
  out += "Exits (" + baseName(r.exitPath) + ")\n";
  appendUnreadable(out, r.exitPath, r.exitOpened, r.exitError);
  if (r.exitOpened) {
    out += "  " + plural(e.numbersRead, "exit number", "exit numbers") + " read, " + num(e.seeded) +
           " seeded";
    if (e.skippedOutside > 0) out += ", " + num(e.skippedOutside) + " skipped";
    out += ": " + plural(e.distinctExits, "distinct exit", "distinct exits") + ".\n";
    if (!e.stop.early) out += "  The file ends cleanly after the last number.\n";
  }
  appendFindings(out, r, Section::Exits, listed);
}

std::string minuteLabel(int bin) {
  const double upper = std::min((bin + 1) * kSecondsPerMinute, kTimeCutoff) / kSecondsPerMinute;
  return num(bin) + '-' +
         (upper == static_cast<int>(upper) ? num(static_cast<int>(upper)) : fixed(upper, 1));
}

void appendTimes(std::string& out, const CheckReport& r) {
  const TimeSummary& s = r.times;
  out += "Travel times (" + num(static_cast<int>(kStepTime)) +
         " s a move through an open side, computed up to " +
         num(static_cast<int>(kMaxMoves * kStepTime)) + " s)\n";
  out += "  " + plural(s.cells, "cell", "cells") + ": " + num(s.reached) + " reached, " +
         num(s.unreached) + " unreached";
  if (s.unreached > 0) {
    out += " (" + num(s.beyondCutoff) + " farther than " +
           num(static_cast<int>(kMaxMoves * kStepTime)) + " s, " + num(s.noPath) +
           " with no way to an exit)";
  }
  out += ".\n";
  if (s.reached > 0) {
    out += "  " + num(s.fiveMinutesOrMore) +
           " reached cells take 5 minutes or more; the largest time is " +
           num(static_cast<long long>(s.largest)) + " s (" +
           fixed(s.largest / kSecondsPerMinute, 1) + " min).\n";
    out += "  By minute:";
    for (int b = 0; b < kMinuteBins; ++b)
      out += (b > 0 ? ", " : " ") + minuteLabel(b) + ": " + num(s.perMinute[b]);
    out += '\n';
  }
}

void appendExtent(std::string& out, const CheckReport& r) {
  const ExtentSummary& e = r.extent;
  out += "Extent\n";
  if (r.mesh.cellsStored > 0) {
    out += "  Columns " + num(e.minColumn) + " to " + num(e.maxColumn) + ", rows " + num(e.minRow) +
           " to " + num(e.maxRow) + "; the map reaches x = " + exactDouble(e.maxX) +
           ", y = " + exactDouble(e.maxY) + " (map units, 2 a cell).\n";
  }
  out += "  " + num(r.mesh.cellsStored) + " of the " + num(kDrawnCells) + " cell numbers in use (" +
         fixed(100.0 * r.mesh.cellsStored / kDrawnCells, 1) + " %)";
  out += r.mesh.cellsStored > 0 ? "; the highest is " + num(e.highestCell) + ".\n" : ".\n";
}

void appendResult(std::string& out, const CheckReport& r) {
  const int status = checkExitStatus(r);
  int notes = 0;
  for (int k = static_cast<int>(kLastLoadFinding) + 1; k < kFindingKinds; ++k)
    notes += r.findingCounts[k];
  if (!r.agreesWithProgram) {
    out +=
        "Internal error: the checker's own count differs from what the program loaded; please "
        "report this.\n";
  }
  if (status == 2) {
    out += "Result: a file could not be read (exit status 2).\n";
  } else if (status == 1) {
    out += "Result: the program ignores part of the files or cannot use an exit (exit status 1).\n";
  } else {
    out += "Result: both files were read whole and every exit is of use (exit status 0).\n";
  }
  if (notes > 0)
    out +=
        "  " + plural(notes, "note", "notes") + " about the plan above do not change the status.\n";
}

}  // namespace

InputText loadInput(const std::string& path) {
  InputText input{path, false, "", ""};
  errno = 0;
  input.opened = loadFileBytes(path.c_str(), input.text);
  if (!input.opened) input.error = errno != 0 ? std::strerror(errno) : "read error";
  return input;
}

CheckReport checkPlan(const InputText& mesh, const InputText& exits) {
  CheckReport r{};
  r.meshPath = mesh.path;
  r.exitPath = exits.path;
  r.meshOpened = mesh.opened;
  r.exitOpened = exits.opened;
  r.meshError = mesh.error;
  r.exitError = exits.error;

  clearScene();
  readMeshText(mesh.text);
  clearTracks();
  readMeshRecords(mesh, r);
  r.mesh.cellsStored = static_cast<int>(std::count(cellNamed + 1, cellNamed + kSlotCount, true));
  checkPositions(r);
  checkNeighbours(r);

  readExits(exits, r);
  computeTravelTimesFromText(exits.text);
  countMovesFromExits();
  noteEmptyInputs(mesh, exits, r);
  summariseTimes(r);
  summariseExtent(r);
  r.agreesWithProgram = agreesWithProgram();
  std::stable_sort(r.findings.begin(), r.findings.end(),
                   [](const Finding& a, const Finding& b) { return a.kind < b.kind; });
  return r;
}

int checkExitStatus(const CheckReport& r) {
  if (!r.meshOpened || !r.exitOpened) return 2;
  for (int k = 0; k <= static_cast<int>(kLastLoadFinding); ++k) {
    if (r.findingCounts[k] > 0) return 1;
  }
  return 0;
}

std::string formatTextReport(const CheckReport& r, int listed) {
  std::string out = "Checking " + r.meshPath + " and " + r.exitPath + "\n\n";
  appendMesh(out, r, listed);
  appendExits(out, r, listed);
  appendTimes(out, r);
  appendExtent(out, r);
  out += '\n';
  appendResult(out, r);
  return out;
}

std::string formatJsonReport(const CheckReport& r) {
  std::string out = "{";
  jsonField(out, "status", num(checkExitStatus(r)));
  jsonField(out, "mesh", jsonMesh(r));
  jsonField(out, "exits", jsonExits(r));
  jsonField(out, "times", jsonTimes(r));
  jsonField(out, "extent", jsonExtent(r));
  std::string counts = "{";
  for (int k = 0; k < kFindingKinds; ++k)
    jsonField(counts, kindName(static_cast<FindingKind>(k)), num(r.findingCounts[k]));
  jsonField(out, "findingCounts", counts + '}');
  std::string list = "[";
  for (const Finding& f : r.findings) list += (list.size() > 1 ? "," : "") + jsonFinding(r, f);
  jsonField(out, "findings", list + ']');
  jsonField(out, "agreesWithProgram", jsonBool(r.agreesWithProgram));
  return out + "}\n";
}

std::string formatTimesCsv(const CheckReport& r) {
  std::string out = "cell,column,row,seconds\n";
  for (const CellTime& c : r.cellTimes) {
    out += num(c.cell) + ',' + num(c.column) + ',' + num(c.row) + ',';
    if (c.seconds != kUnreachedTime) out += num(static_cast<long long>(c.seconds));
    out += '\n';
  }
  return out;
}

std::string jsonQuoted(std::string_view text) {
  std::string out = "\"";
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  std::size_t i = 0;
  while (i < text.size()) {
    const int n = utf8Length(p + i, text.size() - i);
    if (n == 0) {
      out += "\\ufffd";
      ++i;
      continue;
    }
    const unsigned char b = p[i];
    if (b == '"' || b == '\\') {
      out += '\\';
      out += static_cast<char>(b);
    } else if (b < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", b);
      out += buf;
    } else {
      out.append(text.data() + i, static_cast<std::size_t>(n));
    }
    i += static_cast<std::size_t>(n);
  }
  return out + '"';
}
