// Doors by name, and the doors that --block names blocked together: the
// program's walk rerun without their cells, on the table already read.
#include <algorithm>

#include "check_internal.h"
#include "door_choice.h"
#include "geodesic.h"
#include "walks.h"

std::string doorNameOf[kSlotCount];
float blockedTime[kSlotCount];
float blockedGeodesicTime[kSlotCount];
int blockedMoves[kSlotCount];

namespace {

CellId blockSeeds[kSlotCount];  // the exits left open, in file order
float baseTimes[kSlotCount];    // s, the times with every exit while the case is walked

std::vector<std::string> doorNames(const CheckReport& r) {
  std::vector<std::string> names;
  for (const Door& d : r.doors) names.push_back(d.name);
  return names;
}

bool resolveBlockedDoors(CheckReport& r) {
  r.blockedDoors.clear();
  const std::vector<std::string> names = doorNames(r);
  for (const std::string& given : r.options.block) {
    const int door = findDoor(names, given);
    if (door < 0) {
      r.blockError = unknownDoorMessage(names, given);
      return false;
    }
    if (std::find(r.blockedDoors.begin(), r.blockedDoors.end(), door) == r.blockedDoors.end()) {
      r.blockedDoors.push_back(door);
    }
  }
  return true;
}

bool isBlocked(const CheckReport& r, CellId exit) {
  const int door = doorIndexOf(exit);
  return std::find(r.blockedDoors.begin(), r.blockedDoors.end(), door) != r.blockedDoors.end();
}

// Held against the times with every exit, which travelTime holds again after.
void compareWithAllExits(CheckReport& r, const float base[kSlotCount]) {
  for (CellId c = 1; c <= kMaxCellId; ++c) {
    if (!cellNamed[c]) continue;
    const float before = base[c];
    const float after = blockedTime[c];
    if (after > before) ++r.blockedLonger;
    if (after != kUnreachedTime && before != kUnreachedTime) {
      r.blockedLargestIncrease = std::max(r.blockedLargestIncrease, after - before);
    }
    if (after == kUnreachedTime && before != kUnreachedTime) {
      ++r.blockedLostWayOut;
      if (blockedMoves[c] == kNoWay) ++r.blockedLostNoWay;
    }
  }
}

}  // namespace

void nameDoors(CheckReport& r) {
  for (int i = 0; i < exitCount; ++i) {
    const CellId e = exitSlots[i];
    Door& door = r.doors[static_cast<std::size_t>(doorIndexOf(e))];
    if (door.name.empty()) door.name = doorNameOf[e];
  }
}

void blockChosenDoors(CheckReport& r) {
  if (!resolveBlockedDoors(r)) return;
  int count = 0;
  for (int i = 0; i < exitCount; ++i) {
    if (!isBlocked(r, exitSlots[i])) blockSeeds[count++] = exitSlots[i];
  }
  float* const base = baseTimes;
  std::copy(std::begin(travelTime), std::end(travelTime), base);
  resetTravelTimes();
  for (int i = 0; i < count; ++i) seedExit(blockSeeds[i]);
  std::copy(std::begin(travelTime), std::end(travelTime), std::begin(blockedTime));
  uncutMovesOfCase(blockSeeds, count, blockedMoves);
  std::copy(base, base + kSlotCount, std::begin(travelTime));
  tallyTimes(blockedTime, r.blockedTimes);
  splitUnreached(blockedTime, blockedMoves, r.blockedTimes);
  compareWithAllExits(r, base);
  if (r.options.geodesic) computeGeodesicTimes(blockSeeds, count, blockedGeodesicTime);
}
