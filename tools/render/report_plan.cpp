// What an annotated picture needs of the plan beyond the program's scene:
// level and door names from the records' tags, the exit files as lists,
// the doors, and the cells of a region.
#include <algorithm>
#include <unordered_map>

#include "door_choice.h"
#include "door_groups.h"
#include "join_tags.h"
#include "record_tags.h"
#include "report.h"

std::int32_t reportLevelOf[kSlotCount];
std::int32_t reportDoorNameOf[kSlotCount];
std::vector<std::string> reportLevelNames;
std::vector<std::string> reportDoorNames;

namespace {

std::unordered_map<std::string, std::int32_t> levelIndex;  // name -> index into reportLevelNames
std::unordered_map<std::string, std::int32_t> doorIndex;   // name -> index into reportDoorNames
int exitAt[kSlotCount];       // index in the grouping's list of exits of each exit slot
bool planExit[kSlotCount];    // listed in the plan's exit file
bool drawnExit[kSlotCount];   // listed in the drawn exit file
bool listedExit[kSlotCount];  // among the exits being grouped

std::int32_t indexOf(const std::string& name, std::vector<std::string>& names,
                     std::unordered_map<std::string, std::int32_t>& index) {
  const auto found = index.find(name);
  if (found != index.end()) return found->second;
  const auto at = static_cast<std::int32_t>(names.size());
  names.push_back(name);
  index.emplace(name, at);
  return at;
}

std::int32_t gridColumnOf(CellId c) { return static_cast<std::int32_t>(posX[c] / kCellSize); }
std::int32_t gridRowOf(CellId c) { return static_cast<std::int32_t>(posY[c] / kCellSize); }

}  // namespace

void clearRecordFacts() {
  std::fill(std::begin(reportLevelOf), std::end(reportLevelOf), -1);
  std::fill(std::begin(reportDoorNameOf), std::end(reportDoorNameOf), -1);
  reportLevelNames.clear();
  reportDoorNames.clear();
  levelIndex.clear();
  doorIndex.clear();
}

void noteRecordFacts(const MeshRecord& record, void*) {
  if (outsideTable(record.cell)) return;
  const std::string_view tags = record.tags.view();
  const std::string level = recordLevel(tags);
  reportLevelOf[record.cell] = level.empty() ? -1 : indexOf(level, reportLevelNames, levelIndex);
  std::string door;
  reportDoorNameOf[record.cell] = findTag(tags, kDoorTag, door) && !door.empty()
                                      ? indexOf(door, reportDoorNames, doorIndex)
                                      : -1;
}

namespace {

// Exit cells a move joins are one door, as the checker and orvik-egress
// group them: the door of each of `all` (distinct slots), numbered in order.
std::vector<int> doorsOfExits(const std::vector<CellId>& all) {
  for (std::size_t i = 0; i < all.size(); ++i) {
    exitAt[all[i]] = static_cast<int>(i);
    listedExit[all[i]] = true;
  }
  std::vector<std::pair<int, int>> joined;
  for (std::size_t i = 0; i < all.size(); ++i) {
    for (const Side& side : kWalkSides) {
      const CellId n = moveAcross(all[i], side);
      if (n >= 0 && listedExit[n]) joined.emplace_back(static_cast<int>(i), exitAt[n]);
    }
  }
  for (CellId e : all) listedExit[e] = false;
  return groupDoors(static_cast<int>(all.size()), joined);
}

}  // namespace

std::vector<ReportDoor> groupReportDoors(const std::vector<CellId>& planExits,
                                         const std::vector<CellId>& drawnExits) {
  std::vector<CellId> all;  // plan's exits in file order, then the drawn ones it lacks, once each
  for (CellId e : planExits) {
    if (!planExit[e]) all.push_back(e);
    planExit[e] = true;
  }
  for (CellId e : drawnExits) {
    if (!drawnExit[e] && !planExit[e]) all.push_back(e);
    drawnExit[e] = true;
  }
  const std::vector<int> doorOf = doorsOfExits(all);
  std::vector<ReportDoor> doors;
  for (int d = 0; d < doorCount(doorOf); ++d) doors.push_back(ReportDoor{d + 1, "", {}, {}, 0, 0, 0, 0});
  for (std::size_t i = 0; i < all.size(); ++i) {
    const CellId e = all[i];
    ReportDoor& door = doors[static_cast<std::size_t>(doorOf[i])];
    if (door.name.empty() && reportDoorNameOf[e] >= 0)
      door.name = reportDoorNames[reportDoorNameOf[e]];
    if (!cellNamed[e]) continue;  // never drawn: nothing to mark
    const std::int32_t column = gridColumnOf(e), row = gridRowOf(e);
    if (door.cells.empty()) door.column0 = door.column1 = column, door.row0 = door.row1 = row;
    door.column0 = std::min(door.column0, column);
    door.column1 = std::max(door.column1, column);
    door.row0 = std::min(door.row0, row);
    door.row1 = std::max(door.row1, row);
    door.cells.push_back(e);
    if (planExit[e] && !drawnExit[e]) door.blocked.push_back(e);
  }
  for (CellId e : all) planExit[e] = drawnExit[e] = false;
  return doors;
}

bool exitsWithoutDoors(const std::vector<CellId>& planExits, const std::vector<std::string>& given,
                       std::vector<CellId>& open, std::string& exitFile, std::string& error) {
  const std::vector<int> doorOf = doorsOfExits(planExits);
  std::vector<std::string> names(static_cast<std::size_t>(doorCount(doorOf)));
  for (std::size_t i = 0; i < planExits.size(); ++i) {
    std::string& name = names[static_cast<std::size_t>(doorOf[i])];
    if (name.empty() && reportDoorNameOf[planExits[i]] >= 0)
      name = reportDoorNames[reportDoorNameOf[planExits[i]]];
  }
  std::vector<bool> blocked(names.size(), false);
  int blockedCount = 0;
  for (const std::string& name : given) {
    const int door = findDoor(names, name);
    if (door < 0) {
      error = unknownDoorMessage(names, name);
      return false;
    }
    if (!blocked[static_cast<std::size_t>(door)]) ++blockedCount;
    blocked[static_cast<std::size_t>(door)] = true;
  }
  open.clear();
  exitFile.clear();
  for (std::size_t i = 0; i < planExits.size(); ++i) {
    const CellId e = planExits[i];
    const int door = doorOf[i];
    if (!blocked[static_cast<std::size_t>(door)]) {
      open.push_back(e);
    } else if (blockedCount == 1 && exitFile.empty()) {  // the door's first cell
      exitFile = doorExitFileName(door + 1, gridColumnOf(e), gridRowOf(e));
    }
  }
  return true;
}

bool regionBox(const ReportRegion& region, GridBox& box, std::string& error) {
  if (region.kind == ReportRegion::Kind::Grid) {
    box = GridBox{region.column0, region.row0, region.column1, region.row1};
    return true;
  }
  std::int32_t level = -1;
  if (region.kind == ReportRegion::Kind::Level) {
    const auto found = std::find(reportLevelNames.begin(), reportLevelNames.end(), region.level);
    if (found == reportLevelNames.end()) {
      std::string known;
      for (const std::string& name : reportLevelNames) known += (known.empty() ? "" : ", ") + name;
      error = "--region " + region.level + ": the plan has no level of that name (" +
              (known.empty() ? "its records name no level" : "its levels: " + known) + ")";
      return false;
    }
    level = static_cast<std::int32_t>(found - reportLevelNames.begin());
  }
  bool any = false;
  for (CellId c = 1; c <= kMaxCellId; ++c) {
    if (!cellNamed[c] || (level >= 0 && reportLevelOf[c] != level)) continue;
    const std::int32_t column = gridColumnOf(c), row = gridRowOf(c);
    if (!any) box = GridBox{column, row, column, row};
    any = true;
    box = GridBox{std::min(box.column0, column), std::min(box.row0, row),
                  std::max(box.column1, column), std::max(box.row1, row)};
  }
  if (!any) error = "the plan has no cell to draw";
  return any;
}
