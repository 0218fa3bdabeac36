// Joins between levels. Each join label stands in the rock beyond a stair's
// or escalator's end on two levels; the end cells beside the marks pair up
// in order across the gap, their joined sides naming each other as
// neighbours, and every cell of the two runs learns its join.
#include <algorithm>
#include <string>
#include <utility>

#include "plan_levels.h"

namespace {

// Counterclockwise, as the walk takes them; the opposite side is 2 on.
enum SideIndex { kRight, kTop, kLeft, kBottom, kSideCount };
constexpr int kSideColumn[kSideCount] = {1, 0, -1, 0};  // grid step across the side
constexpr int kSideRow[kSideCount] = {0, 1, 0, -1};     // rows grow upwards
const char* const kFacing[kSideCount] = {"right", "up", "left", "down"};

int opposite(int side) { return (side + 2) % kSideCount; }

CellId& neighbour(PlanCell& c, int side) {
  CellId* const sides[kSideCount] = {&c.right, &c.top, &c.left, &c.bottom};
  return *sides[side];
}

using Place = std::pair<std::int64_t, std::int64_t>;  // grid column, row
using PlaceIndex = std::vector<std::pair<Place, CellId>>;  // sorted by place

PlaceIndex indexPlaces(const Plan& plan) {
  PlaceIndex index;
  index.reserve(plan.cells.size());
  for (std::size_t i = 0; i < plan.cells.size(); ++i) {
    index.emplace_back(Place{plan.cells[i].column, plan.cells[i].row}, static_cast<CellId>(i + 1));
  }
  std::sort(index.begin(), index.end());
  return index;
}

CellId cellAt(const PlaceIndex& index, Place place) {
  const auto it = std::lower_bound(index.begin(), index.end(), std::make_pair(place, CellId{0}));
  return it != index.end() && it->first == place ? it->second : kNoCell;
}

// One label's end on one level.
struct JoinEnd {
  std::int32_t level;
  const PlanMark* first;      // its first mark in the plan
  int side;                   // the end cells' joined side
  std::vector<CellId> cells;  // beside its marks; in pairing order once checked
};

struct Links {
  Plan& plan;
  const PlanLayout& layout;
  PlaceIndex index;
  std::vector<JoinEnd> ends[kLabelCount];  // by label, levels in plan order
  PlanError& error;
};

PlanCell& cellOf(Links& k, CellId id) { return k.plan.cells[static_cast<std::size_t>(id - 1)]; }

const PlanSymbol& symbolOf(Links& k, CellId id) { return *findPlanSymbol(cellOf(k, id).symbol); }

bool joinable(const PlanSymbol& s) {
  return std::string_view(s.kind) == kStairKind || std::string_view(s.kind) == kEscalatorKind;
}

std::string levelName(const Links& k, std::int32_t level) {
  return k.plan.levels.empty() ? std::string() : k.plan.levels[static_cast<std::size_t>(level)].name;
}

std::string labelText(char label) { return std::string("join label '") + label + "'"; }

bool refuseAt(Links& k, const PlanMark& mark, const std::string& message) {
  k.error = PlanError{mark.planLine, mark.x + 1, labelText(mark.label) + ' ' + message};
  return false;
}

bool refuseAtCell(Links& k, CellId id, const std::string& message) {
  const PlanCell& c = cellOf(k, id);
  k.error = PlanError{c.planLine, c.planColumn, message};
  return false;
}

Place markPlace(const Links& k, const PlanMark& mark) {
  const std::int64_t first =
      k.plan.levels.empty() ? 1 : k.plan.levels[static_cast<std::size_t>(mark.level)].firstColumn;
  return Place{first + mark.x, gridRows(k.layout) - mark.y};
}

// The one stair or escalator cell beside the mark becomes an end cell of
// the mark's label on the mark's level.
bool noteEnd(Links& k, const PlanMark& mark) {
  const Place at = markPlace(k, mark);
  CellId found = kNoCell;
  int side = 0;
  for (int s = 0; s < kSideCount; ++s) {
    const CellId id = cellAt(k.index, Place{at.first + kSideColumn[s], at.second + kSideRow[s]});
    if (id == kNoCell || !joinable(symbolOf(k, id))) continue;
    if (found != kNoCell) return refuseAt(k, mark, "touches two stair or escalator cells");
    found = id;
    side = opposite(s);
  }
  if (found == kNoCell) return refuseAt(k, mark, "touches no stair or escalator cell");
  if (cellOf(k, found).joinEnd) return refuseAt(k, mark, "stands beside the end of another join");
  cellOf(k, found).joinEnd = true;
  std::vector<JoinEnd>& ends = k.ends[mark.label - '0'];
  if (ends.empty() || ends.back().level != mark.level) {
    ends.push_back(JoinEnd{mark.level, &mark, side, {}});
  } else if (ends.back().side != side) {
    return refuseAt(k, mark, "faces another side of the stair than its other marks on level " +
                                 levelName(k, mark.level));
  }
  ends.back().cells.push_back(found);
  return true;
}

// The end's cells side by side in one line, left to right or top to
// bottom, of one kind, none walled off on its joined side.
bool checkEnd(Links& k, JoinEnd& end) {
  const bool acrossRows = end.side == kTop || end.side == kBottom;
  auto along = [&](CellId id) {
    return acrossRows ? std::int64_t{cellOf(k, id).column} : -std::int64_t{cellOf(k, id).row};
  };
  std::sort(end.cells.begin(), end.cells.end(),
            [&](CellId a, CellId b) { return along(a) < along(b); });
  const PlanCell& first = cellOf(k, end.cells.front());
  for (std::size_t i = 0; i < end.cells.size(); ++i) {
    const PlanCell& c = cellOf(k, end.cells[i]);
    const bool inLine = acrossRows ? c.row == first.row : c.column == first.column;
    if (!inLine || along(end.cells[i]) != along(end.cells.front()) + static_cast<std::int64_t>(i)) {
      return refuseAt(k, *end.first, "on level " + levelName(k, end.level) +
                                         ": its marks must stand side by side in one line "
                                         "beyond one end of one stair or escalator");
    }
    const PlanSymbol& s = symbolOf(k, end.cells[i]);
    if (std::string_view(s.kind) != symbolOf(k, end.cells.front()).kind) {
      return refuseAt(k, *end.first, "on level " + levelName(k, end.level) +
                                         " stands beside both stair and escalator cells");
    }
    if ((end.side == kLeft && s.leftWall != 0) || (end.side == kBottom && s.bottomWall != 0)) {
      return refuseAtCell(k, end.cells[i],
                          labelText(end.first->label) + ": this end cell has a wall on the side "
                                                        "that faces the label");
    }
  }
  return true;
}

// Two ends on two levels that can face each other: opposite sides, as many
// cells, one kind.
bool checkPair(Links& k, char label) {
  std::vector<JoinEnd>& ends = k.ends[label - '0'];
  if (ends.size() == 1) {
    return refuseAt(k, *ends[0].first,
                    k.plan.levels.empty()
                        ? "has no other end: a join links two levels, each under its own "
                          "'== level' header"
                        : "stands on level " + levelName(k, ends[0].level) +
                              " only; the same label marks the other end on another level");
  }
  if (ends.size() > 2) {
    return refuseAt(k, *ends[2].first,
                    "stands on a third level, " + levelName(k, ends[2].level) + " (also on " +
                        levelName(k, ends[0].level) + " and " + levelName(k, ends[1].level) +
                        "); a join links two levels");
  }
  const JoinEnd& a = ends[0];
  const JoinEnd& b = ends[1];
  if (b.side != opposite(a.side)) {
    return refuseAt(k, *b.first,
                    "cannot join: its end on " + levelName(k, a.level) + " faces " +
                        kFacing[a.side] + ", so the end on " + levelName(k, b.level) +
                        " must face " + kFacing[opposite(a.side)] + ", not " + kFacing[b.side]);
  }
  if (a.cells.size() != b.cells.size()) {
    return refuseAt(k, *b.first,
                    "cannot join: " + std::to_string(a.cells.size()) + " cells wide on " +
                        levelName(k, a.level) + ", " + std::to_string(b.cells.size()) + " on " +
                        levelName(k, b.level));
  }
  const char* kindA = symbolOf(k, a.cells[0]).kind;
  const char* kindB = symbolOf(k, b.cells[0]).kind;
  if (std::string_view(kindA) != kindB) {
    return refuseAt(k, *b.first,
                    std::string("cannot join: ") + kindA + " on " + levelName(k, a.level) + ", " +
                        kindB + " on " + levelName(k, b.level));
  }
  return true;
}

bool sideOpen(Links& k, CellId id, int side) {
  const CellId n = neighbour(cellOf(k, id), side);
  if (n == kNoCell) return false;
  if (side == kLeft) return symbolOf(k, id).leftWall == 0;
  if (side == kBottom) return symbolOf(k, id).bottomWall == 0;
  return side == kRight ? symbolOf(k, n).leftWall == 0 : symbolOf(k, n).bottomWall == 0;
}

// Every cell of the end's kind that the end cells reach through open sides
// on their level carries the join. Runs before the ends are linked, so every
// neighbour is one beside the cell.
bool markRun(Links& k, char label, const JoinEnd& end, Travel toward, Travel runs) {
  const std::string_view kind = symbolOf(k, end.cells[0]).kind;
  std::vector<CellId> queue;
  auto reach = [&](CellId id) {
    PlanCell& c = cellOf(k, id);
    if (c.join == label) return true;
    if (c.join != '\0') {
      return refuseAtCell(k, id, labelText(label) + " and join label '" + c.join +
                                     "' lead to one run of cells on level " +
                                     levelName(k, end.level) + "; a wall or rock must part them");
    }
    c.join = label;
    c.toward = toward;
    c.runs = runs;
    queue.push_back(id);
    return true;
  };
  for (CellId id : end.cells) {
    if (!reach(id)) return false;
  }
  for (std::size_t i = 0; i < queue.size(); ++i) {
    for (int s = 0; s < kSideCount; ++s) {
      if (!sideOpen(k, queue[i], s)) continue;
      const CellId n = neighbour(cellOf(k, queue[i]), s);
      if (std::string_view(symbolOf(k, n).kind) == kind && !reach(n)) return false;
    }
  }
  return true;
}

// An escalator line names an escalator join; an escalator join has one.
bool checkEscalatorLines(Links& k) {
  for (int label = 0; label < kLabelCount; ++label) {
    const std::vector<JoinEnd>& ends = k.ends[label];
    const bool escalator =
        !ends.empty() && std::string_view(symbolOf(k, ends[0].cells[0]).kind) == kEscalatorKind;
    const char digit = static_cast<char>('0' + label);
    if (escalator && k.layout.escalatorRuns[label] == Travel::None) {
      return refuseAt(k, *ends[0].first,
                      std::string("is an escalator without a direction: add the line "
                                  "'== escalator ") + digit + " up' or '== escalator " + digit +
                          " down'");
    }
    if (!escalator && k.layout.escalatorLine[label] != 0) {
      k.error = PlanError{k.layout.escalatorLine[label], 1,
                          labelText(digit) + (ends.empty() ? " marks no join"
                                                            : " marks a stair, not an escalator")};
      return false;
    }
  }
  return true;
}

void linkEnds(Links& k, const JoinEnd& a, const JoinEnd& b) {
  for (std::size_t i = 0; i < a.cells.size(); ++i) {
    neighbour(cellOf(k, a.cells[i]), a.side) = b.cells[i];
    neighbour(cellOf(k, b.cells[i]), b.side) = a.cells[i];
  }
}

// Each run marked, then linked: the runs are found through sides beside each other.
bool linkAll(Links& k) {
  for (int label = 0; label < kLabelCount; ++label) {
    const std::vector<JoinEnd>& ends = k.ends[label];
    if (ends.empty()) continue;
    const char digit = static_cast<char>('0' + label);
    const Travel runs = k.layout.escalatorRuns[label];
    const bool downFromFirst = ends[0].level < ends[1].level;  // levels are listed top first
    if (!markRun(k, digit, ends[0], downFromFirst ? Travel::Down : Travel::Up, runs) ||
        !markRun(k, digit, ends[1], downFromFirst ? Travel::Up : Travel::Down, runs)) {
      return false;
    }
  }
  for (const std::vector<JoinEnd>& ends : k.ends) {
    if (!ends.empty()) linkEnds(k, ends[0], ends[1]);
  }
  for (std::size_t i = 0; i < k.plan.cells.size(); ++i) {
    const CellId id = static_cast<CellId>(i + 1);
    if (std::string_view(symbolOf(k, id).kind) == kEscalatorKind && k.plan.cells[i].join == '\0') {
      return refuseAtCell(k, id, "escalator cell without a direction: its run reaches no join "
                                 "label");
    }
  }
  return true;
}

}  // namespace

bool linkJoins(Plan& plan, const PlanLayout& layout, PlanError& error) {
  Links k{plan, layout, indexPlaces(plan), {}, error};
  for (const PlanMark& mark : layout.marks) {
    if (!noteEnd(k, mark)) return false;
  }
  for (int label = 0; label < kLabelCount; ++label) {
    for (JoinEnd& end : k.ends[label]) {
      if (!checkEnd(k, end)) return false;
    }
    if (!k.ends[label].empty() && !checkPair(k, static_cast<char>('0' + label))) return false;
  }
  return checkEscalatorLines(k) && linkAll(k);
}
