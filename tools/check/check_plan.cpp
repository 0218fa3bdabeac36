// One plan checked: both files read once through the program's readers,
// which hand each record and exit number to the checker's notes, then the
// checks that need the whole table.
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "check_internal.h"
#include "walks.h"

std::int64_t firstLine[kSlotCount];
std::int64_t recordLine[kSlotCount];
std::int32_t gridColumn[kSlotCount];
std::int32_t gridRow[kSlotCount];
std::int64_t exitLine[kSlotCount];
CellId storedSlots[kSlotCount];
int storedCount;
CellId exitSlots[kSlotCount];
int exitCount;
std::int16_t kindOf[kSlotCount];
std::string placeOf[kSlotCount];
int movesFromExit[kSlotCount];
float geodesicTime[kSlotCount];
float worstTime[kSlotCount];
float worstGeodesic[kSlotCount];
int worstMoves[kSlotCount];
std::vector<std::string> kindWords;
std::int16_t levelOf[kSlotCount];
std::int16_t endLabelOf[kSlotCount];
Travel towardOf[kSlotCount];
Travel runsOf[kSlotCount];
std::vector<std::string> levelNames;
std::vector<std::string> joinLabels;

void clearNotes() {
  std::fill(std::begin(firstLine), std::end(firstLine), 0);
  std::fill(std::begin(recordLine), std::end(recordLine), 0);
  std::fill(std::begin(gridColumn), std::end(gridColumn), 0);
  std::fill(std::begin(gridRow), std::end(gridRow), 0);
  std::fill(std::begin(exitLine), std::end(exitLine), 0);
  std::fill(std::begin(kindOf), std::end(kindOf), -1);
  for (std::string& place : placeOf) place.clear();
  std::fill(std::begin(geodesicTime), std::end(geodesicTime), kUnreachedTime);
  std::fill(std::begin(worstTime), std::end(worstTime), kUnreachedTime);
  std::fill(std::begin(worstGeodesic), std::end(worstGeodesic), kUnreachedTime);
  std::fill(std::begin(worstMoves), std::end(worstMoves), kNoWay);
  for (std::string& name : doorNameOf) name.clear();
  std::fill(std::begin(blockedTime), std::end(blockedTime), kUnreachedTime);
  std::fill(std::begin(blockedGeodesicTime), std::end(blockedGeodesicTime), kUnreachedTime);
  std::fill(std::begin(blockedMoves), std::end(blockedMoves), kNoWay);
  kindWords.clear();
  std::fill(std::begin(levelOf), std::end(levelOf), -1);
  std::fill(std::begin(endLabelOf), std::end(endLabelOf), -1);
  std::fill(std::begin(towardOf), std::end(towardOf), Travel::None);
  std::fill(std::begin(runsOf), std::end(runsOf), Travel::None);
  levelNames.clear();
  joinLabels.clear();
  storedCount = 0;
  exitCount = 0;
}

void addFinding(CheckReport& r, FindingKind kind, InputFile file, std::int64_t line, int field,
                Message message) {
  const int k = static_cast<int>(kind);
  ++r.findingCounts[k];
  if (r.findings[k].size() < static_cast<std::size_t>(kKeptFindings)) {
    r.findings[k].push_back(Finding{kind, file, line, field, std::move(message)});
  }
}

namespace {

// Lines read up to where the cursor stands; a last line without LF counts.
std::int64_t linesRead(const TextCursor& in) {
  if (cursorOffset(in) == 0) return 0;
  const bool endsInLineFeed = in.pos > in.base && in.pos[-1] == '\n';
  return in.line - (endsInLineFeed ? 1 : 0);
}

void noteEmptyInputs(CheckReport& r) {
  if (cellNamed[0]) {
    addFinding(r, FindingKind::CellZeroStored, InputFile::Mesh, recordLine[0], 1,
               {own("cell 0 has a record, but slot 0 is never drawn; it is left out of the counts "
                    "and the times file, though walking may pass through it.")});
  }
  if (r.meshOpened && r.mesh.headerWhole && r.mesh.cellsStored == 0) {
    addFinding(r, FindingKind::NoCells, InputFile::Mesh, 0, 0,
               {own("no drawn cell was stored: the map is empty.")});
  }
  if (r.exitOpened && r.exits.distinctExits == 0) {
    addFinding(r, FindingKind::NoExits, InputFile::Exits, 0, 0,
               {own("no exit was seeded: every cell stays unreached.")});
  }
}

void readMeshInto(TextCursor& in, CheckReport& r) {
  KeptText header[kMeshHeaderLines]{};
  FieldFailure stop{};
  MeshReading seen{noteMeshRecord, &r, true, false, &stop, header, kMaxHeaderLineBytes, 0};
  readMesh(in, &seen);
  r.mesh.lines = linesRead(in);
  r.mesh.headerWhole = seen.headerWhole;
  r.mesh.cellsStored = static_cast<int>(std::count(cellNamed + 1, cellNamed + kSlotCount, true));
  if (seen.longHeaderLine > 0) {
    addFinding(r, FindingKind::ShortHeader, InputFile::Mesh, seen.longHeaderLine, 0,
               {own("header line " + num(seen.longHeaderLine) + " is longer than " +
                    num(kMaxHeaderLineBytes) + " bytes; the checker stops there, so no record is "
                    "read (the program itself would read on to its end, if it has one).")});
    return;
  }
  if (!seen.headerWhole) {
    if (r.meshOpened) {
      addFinding(r, FindingKind::ShortHeader, InputFile::Mesh, 0, 0,
                 {own(r.mesh.lines == 0
                          ? std::string("the file is empty; no record is read.")
                          : "the file has only " + plural(r.mesh.lines, "line", "lines") +
                                "; the first three lines are a header, so no record is read.")});
    }
    return;
  }
  checkHeaderLines(header, r);
  describeMeshStop(stop, r);
}

// A read error after the open is a file the checker could not read whole.
void noteReadError(const TextCursor& in, bool& opened, std::string& error) {
  if (in.readError == 0) return;
  opened = false;
  error = std::strerror(in.readError);
}

CheckReport checkCursors(TextCursor& mesh, TextCursor& exits, CheckReport r) {
  clearScene();
  clearNotes();
  readMeshInto(mesh, r);
  noteReadError(mesh, r.meshOpened, r.meshError);
  checkPlacesAndNeighbours(r);
  ExitList list;
  readExitList(exits, list, noteExitNumber, &r);
  seedExitList(list);
  noteReadError(exits, r.exitOpened, r.exitError);
  describeExitStop(list.stop, r);
  checkExitsLeadOut(r);
  noteEmptyInputs(r);
  summariseLevels(r);
  summariseTimesAndExtent(r);
  if (r.options.geodesic) summariseGeodesic(r);
  if (r.options.blocked) blockEachDoor(r);  // groups and names the doors first
  if (!r.options.block.empty()) {
    if (!r.options.blocked) {
      groupDoors(r);
      nameDoors(r);
    }
    blockChosenDoors(r);
  }
  if (r.options.limitGiven) judgeLimit(r);
  collectCellTimes(r);
  return r;
}

CheckReport blankReport(const std::string& meshPath, const std::string& exitPath,
                        const CheckOptions& options) {
  CheckReport r{};
  r.options = options;
  r.meshPath = meshPath;
  r.exitPath = exitPath;
  r.meshOpened = true;
  r.exitOpened = true;
  return r;
}

void openOrExplain(const std::string& path, TextCursor& in, bool& opened, std::string& error) {
  errno = 0;
  opened = openFileCursor(path.c_str(), in);
  if (!opened) error = errno != 0 ? std::strerror(errno) : "cannot be opened";
}

}  // namespace

CheckReport checkPlanFiles(const std::string& meshPath, const std::string& exitPath,
                           const CheckOptions& options) {
  CheckReport r = blankReport(meshPath, exitPath, options);
  TextCursor mesh{};
  TextCursor exits{};
  openOrExplain(meshPath, mesh, r.meshOpened, r.meshError);
  openOrExplain(exitPath, exits, r.exitOpened, r.exitError);
  r = checkCursors(mesh, exits, std::move(r));
  closeCursor(mesh);
  closeCursor(exits);
  return r;
}

CheckReport checkPlanTexts(const std::string& meshPath, std::string_view meshText,
                           const std::string& exitPath, std::string_view exitText,
                           std::size_t pieceBytes, const CheckOptions& options) {
  TextCursor mesh = makeCursor(meshText, pieceBytes);
  TextCursor exits = makeCursor(exitText, pieceBytes);
  return checkCursors(mesh, exits, blankReport(meshPath, exitPath, options));
}

CheckReport checkConvertedPlan(const std::string& planPath, std::string_view meshText,
                               std::string_view exitText, const CheckOptions& options) {
  CheckReport r = checkPlanTexts(baseName(kMeshPath), meshText, baseName(kExitPath), exitText, 0,
                                 options);
  r.planPath = planPath;
  return r;
}

int checkExitStatus(const CheckReport& r) {
  if (!r.meshOpened || !r.exitOpened || !r.writeFailure.empty() || !r.refusal.empty() ||
      !r.blockError.empty()) {
    return 2;
  }
  for (int k = 0; k <= static_cast<int>(kLastLoadFinding); ++k) {
    if (r.findingCounts[k] > 0) return 1;
  }
  if (r.options.limitGiven && (r.limitAllExits.over > 0 || r.limitAnyDoorBlocked.over > 0 ||
                               r.limitBlockedDoors.over > 0)) {
    return 1;
  }
  return 0;
}
