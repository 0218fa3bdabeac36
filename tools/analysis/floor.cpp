// What counts as open floor, for a walker going from a cell towards an exit:
// - A cell is floor when a record named its slot and the slot is not 0.
// - A walker may cross a side from c to n only when the program's move rule
//   allows the move c -> n (c's flag for the side and n's for the opposite
//   side both 0) and n is floor and lies beside c on the grid. A one-way
//   side (c -> n allowed, n -> c not) is therefore crossed only in that
//   direction, away from n: the walk goes from the cell to the exit, so the
//   record of the cell being left decides.
// - A straight segment that passes exactly through a grid vertex from one
//   cell to the diagonal one needs one of the two L-shaped routes round the
//   vertex open; a path that bends at a vertex may go on into any cell it
//   can reach by stepping round the vertex through open sides.
// - A segment along a grid line (corner to corner) keeps to the cells on
//   one side of it; where it would have to change sides a wall ends on the
//   line, and that end is a bend corner of its own.
#include "floor.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <utility>
#include <vector>

namespace {

constexpr double kHalfCell = kCellSize / 2;  // map units per lattice step

// Across side s (kWalkSides[s]): the grid step.
constexpr int kStepX[kSides] = {1, 0, -1, 0};  // cells
constexpr int kStepY[kSides] = {0, 1, 0, -1};  // cells

// Round a grid vertex the four cells hold ring positions 0 SW, 1 SE, 2 NE,
// 3 NW; a step counterclockwise from position p crosses side p, clockwise
// side p + 1. Corner k of a cell is the vertex at which the cell holds
// position k, offset from its centre by (kCornerX[k], kCornerY[k]).
constexpr int kCornerX[kSides] = {1, -1, -1, 1};  // half cells
constexpr int kCornerY[kSides] = {1, 1, -1, -1};  // half cells

CellId stepTo[kSlotCount][kSides];     // the cell a walker steps into across side s, 0 if none
CellId walkIn[kSlotCount][kSides];     // the cell a walker comes from across side s, 0 if none
std::int32_t bend[kSlotCount][kSides];   // node of corner k as a bend corner, -1 if none
std::int64_t centreX[kSlotCount];      // half cells (map x / kHalfCell), cell centre
std::int64_t centreY[kSlotCount];      // half cells, y up
std::int32_t portalStart[kSlotCount + 1];  // portalFrom[portalStart[c]..portalStart[c + 1]) enter c
std::vector<CellId> portalFrom;          // cells whose portal move enters each cell, by that cell
std::vector<CellPair> portalPairs;       // the joins that may be portals

CellId cellOf(std::int32_t node) {
  return node < kSlotCount ? node : (node - kSlotCount) / kSides;
}
int cornerOf(std::int32_t node) { return (node - kSlotCount) % kSides; }

std::int64_t nodeX(std::int32_t node) {
  return centreX[cellOf(node)] + (node < kSlotCount ? 0 : kCornerX[cornerOf(node)]);
}
std::int64_t nodeY(std::int32_t node) {
  return centreY[cellOf(node)] + (node < kSlotCount ? 0 : kCornerY[cornerOf(node)]);
}

// The move rule c -> across side s, and the cell there floor and beside c.
bool canStep(CellId c, int s) {
  const CellId n = moveAcross(c, kWalkSides[s]);
  return isFloorSlot(n) && posX[n] == posX[c] + kStepX[s] * kCellSize &&
         posY[n] == posY[c] + kStepY[s] * kCellSize;
}

// The move rule c -> n across a side of c, n floor and not beside c.
bool isPortal(CellId c, CellId n) {
  if (!isFloorSlot(c)) return false;
  for (int s = 0; s < kSides; ++s) {
    if (kWalkSides[s].ids[c] == n && moveAcross(c, kWalkSides[s]) == n && isFloorSlot(n) &&
        !canStep(c, s)) {
      return true;
    }
  }
  return false;
}

// Every portal move, grouped by the cell it enters; counted first, so the
// list takes what the moves need and no more.
void collectPortals() {
  std::fill(std::begin(portalStart), std::end(portalStart), 0);
  for (int pass = 0; pass < 2; ++pass) {
    for (const CellPair& pair : portalPairs) {
      for (const auto& [c, n] : {std::pair{pair.a, pair.b}, std::pair{pair.b, pair.a}}) {
        if (!isPortal(c, n)) continue;
        if (pass == 0) {
          ++portalStart[n + 1];
        } else {
          portalFrom[static_cast<std::size_t>(portalStart[n]++)] = c;
        }
      }
    }
    if (pass == 0) {
      for (int i = 0; i < kSlotCount; ++i) portalStart[i + 1] += portalStart[i];
      portalFrom.assign(static_cast<std::size_t>(portalStart[kSlotCount]), 0);
    }
  }
  // The second pass moved each start to the next cell's; shift them back.
  for (int i = kSlotCount; i > 0; --i) portalStart[i] = portalStart[i - 1];
  portalStart[0] = 0;
}

// The cell at ring position `to` that a walker reaches from `from`, at
// position `at` round the same vertex, stepping through open sides either
// way round; 0 when neither way gets there.
CellId roundTo(CellId from, int at, int to) {
  if (at == to) return from;
  CellId c = from;
  for (int p = at; (c = stepTo[c][p]) != 0;) {
    p = (p + 1) % kSides;
    if (p == to) return c;
  }
  c = from;
  for (int p = at; (c = stepTo[c][(p + 1) % kSides]) != 0;) {
    p = (p + kSides - 1) % kSides;
    if (p == to) return c;
  }
  return 0;
}

bool openBothWays(CellId c, int s) { return stepTo[c][s] != 0 && walkIn[c][s] == stepTo[c][s]; }

// Corner k of c is a bend corner when the cells joined to c round the
// vertex by sides open both ways are three or four without closing the
// ring. One node stands for them all: that of the lowest ring position.
std::int32_t findBend(CellId c, int k) {
  CellId cur = c, low = c;
  int p = k, lowAt = k, members = 1;
  while (members < kSides && openBothWays(cur, p)) {  // counterclockwise
    cur = stepTo[cur][p];
    p = (p + 1) % kSides;
    ++members;
    if (p < lowAt) low = cur, lowAt = p;
  }
  if (members == kSides && openBothWays(cur, p)) return -1;  // open floor all round
  cur = c;
  p = k;
  while (members < kSides && openBothWays(cur, (p + 1) % kSides)) {  // clockwise
    cur = stepTo[cur][(p + 1) % kSides];
    p = (p + kSides - 1) % kSides;
    ++members;
    if (p < lowAt) low = cur, lowAt = p;
  }
  return members >= 3 ? kSlotCount + kSides * low + lowAt : -1;
}

// Ring position of the cell a segment enters on leaving a vertex towards
// (dx, dy), both nonzero.
int quadrant(std::int64_t dx, std::int64_t dy) {
  if (dy > 0) return dx > 0 ? 2 : 3;
  return dx > 0 ? 1 : 0;
}

bool meetsCorner(CellId cell, int at, std::int32_t corner) {
  return roundTo(cell, at, cornerOf(corner)) == cellOf(corner);
}

// From `cell` (lower-left corner x0, y0, half cells from the start point)
// along (dx, dy) to node `to`, crossing grid lines in the order met. The
// position along the segment counts in 1/whole of its length, so that
// every grid line falls on a whole number.
bool walkSegment(CellId cell, std::int64_t x0, std::int64_t y0, std::int64_t dx, std::int64_t dy,
                 std::int32_t to) {
  const std::int64_t ax = std::llabs(dx), ay = std::llabs(dy);
  const std::int64_t whole = std::max<std::int64_t>(ax, 1) * std::max<std::int64_t>(ay, 1);
  const std::int64_t perX = ax == 0 ? 0 : whole / ax, perY = ay == 0 ? 0 : whole / ay;
  const int sideX = dx > 0 ? 0 : 2, sideY = dy > 0 ? 1 : 3;
  constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::max() / 2;
  std::int64_t atX = ax == 0 ? kNever : (dx > 0 ? x0 + 2 : -x0) * perX;  // next vertical line
  std::int64_t atY = ay == 0 ? kNever : (dy > 0 ? y0 + 2 : -y0) * perY;  // next horizontal line
  while (atX < whole || atY < whole) {
    if (atX <= atY) {
      if (atX == atY) {  // exactly through the vertex ahead, into the diagonal cell
        const int q = quadrant(dx, dy);
        cell = roundTo(cell, (q + 2) % kSides, q);
        y0 += 2 * kStepY[sideY];
        atY += 2 * perY;
      } else {
        cell = stepTo[cell][sideX];
      }
      x0 += 2 * kStepX[sideX];
      atX += 2 * perX;
    } else {
      cell = stepTo[cell][sideY];
      y0 += 2 * kStepY[sideY];
      atY += 2 * perY;
    }
    if (cell == 0) return false;
  }
  if (to < kSlotCount) return cell == to;
  const bool right = dx == x0 + 2, top = dy == y0 + 2;  // the end is a corner of this cell
  return meetsCorner(cell, top ? (right ? 0 : 1) : (right ? 3 : 2), to);
}

// Corner to corner along a grid line: the cells on one side of it, in a
// row through open sides, from one end to the other.
bool walkGridLine(CellId cell, int k, std::int64_t dx, std::int64_t dy, std::int32_t to) {
  const int s = dx > 0 ? 0 : dx < 0 ? 2 : dy > 0 ? 1 : 3;
  const std::int64_t cells = (std::llabs(dx) + std::llabs(dy)) / 2;
  for (int side = 1; side <= 2; ++side) {
    CellId c = roundTo(cell, k, (s + side) % kSides);
    for (std::int64_t i = 1; c != 0 && i < cells; ++i) c = stepTo[c][s];
    if (c != 0 && meetsCorner(c, (s + 3 * (side - 1)) % kSides, to)) return true;
  }
  return false;
}

}  // namespace

bool isFloorSlot(std::int32_t slot) { return slot > 0 && slot <= kMaxCellId && cellNamed[slot]; }

void prepareFloor() {
  std::fill(&stepTo[0][0], &stepTo[0][0] + kSlotCount * kSides, 0);
  std::fill(&walkIn[0][0], &walkIn[0][0] + kSlotCount * kSides, 0);
  for (CellId c = 1; c <= kMaxCellId; ++c) {
    if (!isFloorSlot(c)) continue;
    centreX[c] = std::llround(posX[c] / kHalfCell) - 1;
    centreY[c] = std::llround(posY[c] / kHalfCell) - 1;
    for (int s = 0; s < kSides; ++s) {
      if (!canStep(c, s)) continue;
      stepTo[c][s] = kWalkSides[s].ids[c];
      walkIn[stepTo[c][s]][(s + 2) % kSides] = c;
    }
  }
  for (CellId c = 0; c <= kMaxCellId; ++c) {
    for (int k = 0; k < kSides; ++k) bend[c][k] = isFloorSlot(c) ? findBend(c, k) : -1;
  }
  collectPortals();
}

void setPortalPairs(const std::vector<CellPair>& joins) {
  portalPairs.clear();
  for (const CellPair& pair : joins) {
    const bool inTable = pair.a >= 0 && pair.a <= kMaxCellId && pair.b >= 0 && pair.b <= kMaxCellId;
    if (inTable) portalPairs.push_back(pair);
  }
}

PortalRange portalsInto(CellId c) {
  const CellId* base = portalFrom.data();
  return PortalRange{base + portalStart[c], base + portalStart[c + 1]};
}

CellId stepsInto(CellId c, int s) { return walkIn[c][s]; }

std::int32_t bendCorner(CellId c, int k) { return bend[c][k]; }

CellId cornerCell(std::int32_t corner, int p) {
  const CellId y = roundTo(cellOf(corner), cornerOf(corner), p);
  return y != 0 && bend[y][p] == corner ? y : 0;
}

// Nodes on one path lie in one floor region of at most kSlotCount cells,
// so lattice differences stay below 2^17 and the sum of squares is exact
// in a double.
double gap(std::int32_t a, std::int32_t b) {
  const auto dx = static_cast<double>(nodeX(a) - nodeX(b));
  const auto dy = static_cast<double>(nodeY(a) - nodeY(b));
  return std::sqrt(dx * dx + dy * dy) * kHalfCell;
}

bool inLine(std::int32_t a, std::int32_t b, std::int32_t c) {
  const std::int64_t abX = nodeX(b) - nodeX(a), abY = nodeY(b) - nodeY(a);
  const std::int64_t bcX = nodeX(c) - nodeX(b), bcY = nodeY(c) - nodeY(b);
  const bool moves = (abX != 0 || abY != 0) && (bcX != 0 || bcY != 0);
  return moves && abX * bcY == abY * bcX && abX * bcX + abY * bcY > 0;
}

bool clearSight(std::int32_t from, std::int32_t to) {
  const std::int64_t dx = nodeX(to) - nodeX(from), dy = nodeY(to) - nodeY(from);
  const CellId start = cellOf(from);
  if (from < kSlotCount) return walkSegment(start, -1, -1, dx, dy, to);
  const int k = cornerOf(from);
  if (dx == 0 && dy == 0) return to >= kSlotCount && meetsCorner(start, k, to);
  if (dx == 0 || dy == 0) return to >= kSlotCount && walkGridLine(start, k, dx, dy, to);
  const int q = quadrant(dx, dy);
  const CellId first = roundTo(start, k, q);
  return first != 0 && walkSegment(first, dx > 0 ? 0 : -2, dy > 0 ? 0 : -2, dx, dy, to);
}

