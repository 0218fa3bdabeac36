// What if a door is blocked: the exit cells grouped into doors, and the
// walk of the program rerun with each door's cells taken out of the exits,
// on the table already read (no file is read again).
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include "check_internal.h"
#include "color/color.h"
#include "files/output_file.h"
#include "door_choice.h"
#include "door_groups.h"
#include "geodesic.h"
#include "walks.h"

namespace {

int doorOf[kSlotCount];         // index in report.doors of an exit slot's door, -1 for others
int exitIndexOf[kSlotCount];    // index in exitSlots of an exit slot
float baseTime[kSlotCount];     // s, the program's times with every exit
CellId seeds[kSlotCount];       // the exits of one case, in file order
float blockedGeodesic[kSlotCount];  // s, the geodesic times of one case
int caseMoves[kSlotCount];      // side moves of one case, uncut

}  // namespace

// The doors of door_groups.h over the program's table and move rule.
void groupDoors(CheckReport& r) {
  for (int i = 0; i < exitCount; ++i) exitIndexOf[exitSlots[i]] = i;
  std::vector<std::pair<int, int>> joined;
  for (int i = 0; i < exitCount; ++i) {
    for (const Side& side : kWalkSides) {
      const CellId n = moveAcross(exitSlots[i], side);
      if (n >= 0 && exitLine[n] != 0) joined.emplace_back(i, exitIndexOf[n]);
    }
  }
  const std::vector<int> doorOfExit = ::groupDoors(exitCount, joined);
  std::fill(std::begin(doorOf), std::end(doorOf), -1);
  r.doors.clear();
  for (int i = 0; i < exitCount; ++i) {
    const CellId e = exitSlots[i];
    const int d = doorOfExit[static_cast<std::size_t>(i)];
    if (d == static_cast<int>(r.doors.size())) {
      Door door{};
      door.number = d + 1;
      door.first = e;
      door.column = gridColumn[e];
      door.row = gridRow[e];
      door.place = placeOf[e];
      door.largestGeodesic = -1.0f;
      r.doors.push_back(door);
    }
    doorOf[e] = d;
    ++r.doors[static_cast<std::size_t>(d)].cells;
  }
}

int doorIndexOf(CellId e) { return doorOf[e]; }

namespace {

int seedsWithout(int door) {
  int count = 0;
  for (int i = 0; i < exitCount; ++i) {
    if (doorOf[exitSlots[i]] != door) seeds[count++] = exitSlots[i];
  }
  return count;
}

// The case's side moves past the cut-off: which of the cells it leaves
// unreached still have a way out, and the worst count of each cell.
void noteUncutMoves(Door& door, int count) {
  uncutMovesOfCase(seeds, count, caseMoves);
  for (CellId c = 1; c <= kMaxCellId; ++c) {
    if (!cellNamed[c]) continue;
    if (caseMoves[c] == kNoWay && baseTime[c] != kUnreachedTime) ++door.lostNoWay;
    if (remoteness(caseMoves[c]) > remoteness(worstMoves[c])) worstMoves[c] = caseMoves[c];
  }
}

// The program's walk with the door's cells no exits, held against the
// times with every exit; travelTime holds the case afterwards.
void walkWithout(Door& door) {
  const int count = seedsWithout(door.number - 1);
  resetTravelTimes();
  for (int i = 0; i < count; ++i) seedExit(seeds[i]);
  for (CellId c = 1; c <= kMaxCellId; ++c) {
    if (!cellNamed[c]) continue;
    const float before = baseTime[c];
    const float after = travelTime[c];
    if (after > before) ++door.longer;
    if (after != kUnreachedTime && before != kUnreachedTime) {
      door.largestIncrease = std::max(door.largestIncrease, after - before);
    }
    if (after != kUnreachedTime && after >= kScaleMaxTime) ++door.fiveMinutesOrMore;
    if (after == kUnreachedTime && before != kUnreachedTime) ++door.lostWayOut;
    worstTime[c] = std::max(worstTime[c], after);  // an unreached case outweighs every time
  }
  noteUncutMoves(door, count);
}

void geodesicWithout(Door& door) {
  const int count = seedsWithout(door.number - 1);
  computeGeodesicTimes(seeds, count, blockedGeodesic);
  for (CellId c = 1; c <= kMaxCellId; ++c) {
    if (!cellNamed[c]) continue;
    const float t = blockedGeodesic[c];
    if (t != kUnreachedTime) door.largestGeodesic = std::max(door.largestGeodesic, t);
    worstGeodesic[c] = std::max(worstGeodesic[c], t);
  }
}

std::string doorFileName(const Door& d) { return doorExitFileName(d.number, d.column, d.row); }

// Digits, with a minus sign before them when `sign`, from `at`; moves past them.
bool skipNumber(const std::string& name, std::size_t& at, bool sign) {
  if (sign && at < name.size() && name[at] == '-') ++at;
  const std::size_t start = at;
  while (at < name.size() && name[at] >= '0' && name[at] <= '9') ++at;
  return at > start;
}

// A name doorFileName can give: "door<n>-c<column>-r<row>.dat".
bool isDoorFileName(const std::string& name) {
  std::size_t at = 4;
  return name.compare(0, 4, "door") == 0 && skipNumber(name, at, false) &&
         name.compare(at, 2, "-c") == 0 && skipNumber(name, at += 2, true) &&
         name.compare(at, 2, "-r") == 0 && skipNumber(name, at += 2, true) &&
         name.compare(at, std::string::npos, ".dat") == 0;
}

// The door files of an earlier run that this one did not write would be
// read as doors of this plan (a loop over DIR/door*.dat draws them): they
// go, and the report says so. Only names this program gives are touched,
// and never a file being checked.
void removeStaleDoorFiles(CheckReport& r) {
  const std::string& dir = r.options.exitsDir;
  DIR* folder = ::opendir(dir.c_str());
  if (folder == nullptr) return;
  std::vector<std::string> stale;
  while (const dirent* entry = ::readdir(folder)) {
    const std::string name = entry->d_name;
    const std::string path = dir + '/' + name;
    if (!isDoorFileName(name) || replacesInput(r, path)) continue;
    if (std::find(r.exitFilesWritten.begin(), r.exitFilesWritten.end(), path) ==
        r.exitFilesWritten.end()) {
      stale.push_back(path);
    }
  }
  ::closedir(folder);
  std::sort(stale.begin(), stale.end());
  for (const std::string& path : stale) {
    if (::unlink(path.c_str()) == 0) r.staleExitFilesRemoved.push_back(path);
  }
}


}  // namespace

void blockEachDoor(CheckReport& r) {
  groupDoors(r);
  nameDoors(r);
  const auto doors = static_cast<std::int64_t>(r.doors.size());
  if (r.options.maxDoors > 0 && doors > r.options.maxDoors) {
    r.refusal = "the plan has " + num(doors) + " doors, more than --max-doors " +
                num(r.options.maxDoors) + ": --blocked would walk the whole plan once a door; "
                "nothing is written";
    r.doors.clear();
    return;
  }
  std::copy(std::begin(travelTime), std::end(travelTime), std::begin(baseTime));
  std::fill(std::begin(worstTime), std::end(worstTime), 0.0f);
  std::fill(std::begin(worstMoves), std::end(worstMoves), 0);
  std::fill(std::begin(worstGeodesic), std::end(worstGeodesic), 0.0f);
  startProgress(r.options.progress && doors > 1, "doors blocked", true);
  for (std::int64_t i = 0; i < doors; ++i) {
    tickProgress(i, doors);
    Door& door = r.doors[static_cast<std::size_t>(i)];
    walkWithout(door);
    if (r.options.geodesic) geodesicWithout(door);
  }
  endProgress();
  // Without a door to block there is no case, and no worst of one.
  if (r.doors.empty()) {
    std::fill(std::begin(worstTime), std::end(worstTime), kUnreachedTime);
    std::fill(std::begin(worstMoves), std::end(worstMoves), kNoWay);
  }
  if (r.doors.empty() || !r.options.geodesic) {
    std::fill(std::begin(worstGeodesic), std::end(worstGeodesic), kUnreachedTime);
  }
  std::copy(std::begin(baseTime), std::end(baseTime), std::begin(travelTime));
  tallyTimes(worstTime, r.worstBlocked);
  splitUnreached(worstTime, worstMoves, r.worstBlocked);
}

bool replacesInput(const CheckReport& r, const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) return false;
  if (!r.planPath.empty()) return sameFile(path.c_str(), r.planPath.c_str());
  return sameFile(path.c_str(), r.meshPath.c_str()) || sameFile(path.c_str(), r.exitPath.c_str());
}

std::int64_t doorFilesBytes(const CheckReport& r) {
  if (r.options.exitsDir.empty() || r.doors.empty()) return 0;
  std::int64_t all = 0;
  for (int i = 0; i < exitCount; ++i) all += static_cast<std::int64_t>(num(exitSlots[i]).size()) + 1;
  // Every exit stands in every file but its own door's.
  return all * static_cast<std::int64_t>(r.doors.size() - 1);
}

bool isDoorExitFile(const CheckReport& r, const std::string& path) {
  if (r.options.exitsDir.empty()) return false;
  for (const Door& d : r.doors) {
    if (sameFile(path.c_str(), (r.options.exitsDir + '/' + doorFileName(d)).c_str())) return true;
  }
  return false;
}

bool writeDoorExitFiles(CheckReport& r) {
  const std::string& dir = r.options.exitsDir;
  if (dir.empty()) return true;
  if (::mkdir(dir.c_str(), 0777) != 0 && errno != EEXIST) {
    r.writeFailure = "the folder " + dir + " for the exit files could not be made: " +
                     std::strerror(errno);
    return false;
  }
  // All names first: an exit file over a file being checked would replace
  // the plan with one of its cases, so then none is written.
  for (const Door& d : r.doors) {
    const std::string path = dir + '/' + doorFileName(d);
    if (replacesInput(r, path)) {
      r.writeFailure = "the exit file " + path + " is a file being checked; no exit file is written";
      return false;
    }
  }
  const auto files = static_cast<std::int64_t>(r.doors.size());
  startProgress(r.options.progress && files > 1, "exit files written", true);
  for (const Door& d : r.doors) {
    tickProgress(d.number - 1, files);
    std::string text;
    for (int i = 0; i < exitCount; ++i) {
      if (doorOf[exitSlots[i]] != d.number - 1) text += num(exitSlots[i]) + '\n';
    }
    const std::string path = dir + '/' + doorFileName(d);
    if (!writeWholeFile(path.c_str(), text)) {
      r.writeFailure = "the exit file " + path + " could not be written: " + std::strerror(errno);
      endProgress();
      return false;
    }
    r.exitFilesWritten.push_back(path);
  }
  endProgress();
  removeStaleDoorFiles(r);
  return true;
}
