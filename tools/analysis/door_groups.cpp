#include "door_groups.h"

#include <algorithm>

namespace {

int rootOf(std::vector<int>& joinedTo, int e) {
  while (joinedTo[static_cast<std::size_t>(e)] != e) {
    int& up = joinedTo[static_cast<std::size_t>(e)];
    up = joinedTo[static_cast<std::size_t>(up)];
    e = up;
  }
  return e;
}

}  // namespace

std::vector<int> groupDoors(int exitCount, const std::vector<std::pair<int, int>>& joined) {
  const auto count = static_cast<std::size_t>(std::max(exitCount, 0));
  std::vector<int> joinedTo(count);
  for (std::size_t i = 0; i < count; ++i) joinedTo[i] = static_cast<int>(i);
  for (const auto& [a, b] : joined) {
    const int ra = rootOf(joinedTo, a);
    const int rb = rootOf(joinedTo, b);
    if (ra != rb) joinedTo[static_cast<std::size_t>(std::max(ra, rb))] = std::min(ra, rb);
  }
  std::vector<int> doorOfRoot(count, -1);
  std::vector<int> door(count);
  int doors = 0;
  for (std::size_t i = 0; i < count; ++i) {
    int& d = doorOfRoot[static_cast<std::size_t>(rootOf(joinedTo, static_cast<int>(i)))];
    if (d < 0) d = doors++;
    door[i] = d;
  }
  return door;
}

std::vector<int> groupGraphDoors(const PlanGraph& graph) {
  std::vector<int> exitIndex(graph.number.size(), -1);
  for (std::size_t i = 0; i < graph.exits.size(); ++i) {
    exitIndex[static_cast<std::size_t>(graph.exits[i])] = static_cast<int>(i);
  }
  std::vector<std::pair<int, int>> joined;
  for (std::size_t i = 0; i < graph.exits.size(); ++i) {
    for (const std::int32_t to : graph.move[static_cast<std::size_t>(graph.exits[i])]) {
      if (to == kNoIndex || exitIndex[static_cast<std::size_t>(to)] < 0) continue;
      joined.emplace_back(static_cast<int>(i), exitIndex[static_cast<std::size_t>(to)]);
    }
  }
  return groupDoors(static_cast<int>(graph.exits.size()), joined);
}

int doorCount(const std::vector<int>& doorOfExit) {
  int count = 0;
  for (const int d : doorOfExit) count = std::max(count, d + 1);
  return count;
}
