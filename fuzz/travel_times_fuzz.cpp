// The exit reader and the travel times, on a fixed room built here (input
// without a NUL byte: all of it is the exit file) or on a fuzzed mesh (the
// bytes before the first NUL are the mesh file, the rest the exit file).
// Every slot's time must be 4 s times the fewest moves from an exit by the
// move rule, counted here breadth first, or unreached beyond 112 moves.
#include <string>
#include <vector>

#include "fuzz_common.h"
#include "scene/reader.h"
#include "scene/scene.h"

namespace {

constexpr int kRoomColumns = 6;
constexpr int kRoomRows = 4;
constexpr int kRoomCells = kRoomColumns * kRoomRows;
constexpr int kCorridorCells = kMaxMoves + 8;  // runs past the cut-off

std::string record(int cell, int right, int bottom, int left, int top, int column, int row,
                   int leftWall) {
  return std::to_string(cell) + ' ' + std::to_string(right) + ' ' + std::to_string(bottom) + ' ' +
         std::to_string(left) + ' ' + std::to_string(top) + ' ' + std::to_string(column) + ' ' +
         std::to_string(row) + " floor " + std::to_string(leftWall) + " 0 a b c\n";
}

int roomCell(int column, int row) {
  if (column < 1 || column > kRoomColumns || row < 1 || row > kRoomRows) return -1;
  return (row - 1) * kRoomColumns + column;
}

// A 6 by 4 room with a wall down its middle broken by a door on row 2, and
// a corridor leaving the room's lower right cell to the right.
std::string fixedRoom() {
  std::string text = "header\nheader\nheader\n";
  for (int row = 1; row <= kRoomRows; ++row) {
    for (int column = 1; column <= kRoomColumns; ++column) {
      int right = roomCell(column + 1, row);
      if (column == kRoomColumns && row == 1) right = kRoomCells + 1;
      const int wall = column == 4 && row != 2 ? 1 : 0;
      text += record(roomCell(column, row), right, roomCell(column, row - 1),
                     roomCell(column - 1, row), roomCell(column, row + 1), column, row, wall);
    }
  }
  for (int i = 1; i <= kCorridorCells; ++i) {
    const int cell = kRoomCells + i;
    const int left = i == 1 ? roomCell(kRoomColumns, 1) : cell - 1;
    const int right = i == kCorridorCells ? -1 : cell + 1;
    text += record(cell, right, -1, left, -1, kRoomColumns + i, 1, 0);
  }
  return text;
}

bool passes(std::int32_t fromFlag, std::int32_t toFlag) { return fromFlag == 0 && toFlag == 0; }

// Fewest moves from the seeded exits, by the program's move rule.
void countMoves(const std::vector<CellId>& exits, std::vector<int>& moves) {
  moves.assign(kSlotCount, -1);
  std::vector<CellId> queue;
  for (CellId e : exits) {
    if (moves[e] != 0) queue.push_back(e);
    moves[e] = 0;
  }
  for (std::size_t head = 0; head < queue.size(); ++head) {
    const CellId c = queue[head];
    const WallFlags& w = walls[c];
    const CellId next[4] = {rightId[c], topId[c], leftId[c], bottomId[c]};
    const std::int32_t from[4] = {w.right, w.top, w.left, w.bottom};
    for (int side = 0; side < 4; ++side) {
      if (from[side] != 0) continue;
      const CellId n = next[side];
      require(!outsideTable(n), "open side names no slot");
      const WallFlags& v = walls[n];
      const std::int32_t to[4] = {v.left, v.bottom, v.right, v.top};
      if (!passes(from[side], to[side]) || moves[n] >= 0) continue;
      moves[n] = moves[c] + 1;
      queue.push_back(n);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string room = fixedRoom();
  std::string_view mesh;
  std::string_view exitText;
  if (!splitAtNul(asText(data, size), mesh, exitText)) mesh = room;

  clearScene();
  readMeshText(mesh);
  computeTravelTimesFromText(exitText);

  TextCursor in = makeCursor(exitText);
  ExitList list;
  readExitList(in, list);
  static std::vector<int> moves;
  countMoves(list.exits, moves);
  for (CellId c = 0; c <= kMaxCellId; ++c) {
    const int m = moves[c];
    const float expected =
        m >= 0 && m <= kMaxMoves ? static_cast<float>(m * kStepTime) : kUnreachedTime;
    require(travelTime[c] == expected, "travel time is not 4 s times the fewest moves");
  }
  return 0;
}
