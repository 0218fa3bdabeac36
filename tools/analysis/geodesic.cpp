// Geodesic times by an any-angle search (Theta*-style) from all exits at
// once, over the nodes of floor.h: cell centres and bend corners (grid
// vertices where the floor turns by more than a straight angle: a thin
// wall's end, a corner of rock, a door jamb), the only places where a
// shortest path through this floor bends.
//
// Every node keeps the node its path heads for next, and the best other
// path offered to it with another next node. A settled node u offers each
// neighbour x: bending at u itself, straight on to any node along u's two
// paths that x sees, and through the bend corners of u's cell. So every
// time is the length of a real polyline in open floor, never below the
// straight-line distance to the nearest exit, and a side move is always
// among the offers, so never above the side-move time. The walk along a
// path stops where its nodes would give x less than u's own time allows,
// and passes over straight stretches that cannot help x, so that a long
// winding corridor costs in proportion to its length.
//
// Accuracy, against an exact visibility-graph search: exact (to double
// rounding) where the exit or one bend corner is in sight of the cell with
// nothing closer in the way: open rooms, round a wall's end, through a
// door. A search like this can still miss the best next bend when no
// neighbour's paths lead over it; such cells come out long, never short.
// The measured figures (within 0.5 % on the station plans, up to about 5 %
// on a few cells close to an exit of tiny cluttered plans) are stated once,
// in docs/performance.md, "Accuracy of the geodesic times".
#include "geodesic.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "floor.h"

namespace {

constexpr double kNoPath = std::numeric_limits<double>::infinity();  // map units
constexpr double kTieMargin = 1e-9;    // share of a length: well above double rounding

double reach[kNodeCount];              // map units, path length from the node to an exit centre
std::int32_t towards[kNodeCount];      // node the path heads for next; itself at an exit
std::int32_t pathEnd[kNodeCount];      // the exit node a settled node's path ends at
bool straightToEnd[kNodeCount];        // a settled node's path is one straight line of
                                       // whole map units to its end, reach exact
bool portalNext[kNodeCount];           // the node's path crosses a portal to its next node
std::int32_t beforePortal[kNodeCount]; // a settled node's path: the last node before it
                                       // next crosses a portal, -1 if it never does
std::int32_t runEnd[kNodeCount];       // a settled node's path: the last node of the
                                       // straight line it starts with, the node itself at an exit
std::int32_t runLast[kNodeCount];      // the node before runEnd on that line
std::int32_t aside[kNodeCount];        // next node of the best other path offered, -1 if none
double asideReach[kNodeCount];         // map units, that path's length
bool settled[kNodeCount];              // reach is final
constexpr int kMetKept = 16;           // offered nodes remembered per node
std::int32_t met[kNodeCount][kMetKept];  // nodes already offered to the node, in a ring
std::uint8_t metCount[kNodeCount];     // offers written into the ring
std::uint32_t metRun[kNodeCount];      // the run that wrote the ring; older rings count empty
std::uint32_t runNumber;               // computeGeodesicTimes calls; 0 is never current
std::int32_t heap[kNodeCount];         // binary min-heap of nodes on reach
std::int32_t heapAt[kNodeCount];       // index of the node in heap, -1 when not in it
int heapSize;                          // nodes in heap
GeodesicWork work;                     // of the present or last run
void (*progressCall)(int, int);        // setGeodesicProgress's function, or null
constexpr int kProgressEvery = 4096;   // cells settled between two calls

void swapHeap(int i, int j) {
  std::swap(heap[i], heap[j]);
  heapAt[heap[i]] = i;
  heapAt[heap[j]] = j;
}

void siftUp(int i) {
  while (i > 0 && reach[heap[i]] < reach[heap[(i - 1) / 2]]) {
    swapHeap(i, (i - 1) / 2);
    i = (i - 1) / 2;
  }
}

std::int32_t popNearest() {
  const std::int32_t top = heap[0];
  heap[0] = heap[--heapSize];
  heapAt[heap[0]] = 0;
  heapAt[top] = -1;
  for (int i = 0;;) {
    const int l = 2 * i + 1, r = l + 1;
    int least = i;
    if (l < heapSize && reach[heap[l]] < reach[heap[least]]) least = l;
    if (r < heapSize && reach[heap[r]] < reach[heap[least]]) least = r;
    if (least == i) break;
    swapHeap(i, least);
    i = least;
  }
  return top;
}

void setReach(std::int32_t node, double length, std::int32_t next, bool portal) {
  reach[node] = length;
  towards[node] = next;
  portalNext[node] = portal;
  if (heapAt[node] < 0) {
    heap[heapSize] = node;
    heapAt[node] = heapSize++;
  }
  siftUp(heapAt[node]);
}

// `line` is gap(x, a), counted as the test's cost.
bool seesFrom(std::int32_t x, std::int32_t a, double line) {
  ++work.sightTests;
  work.sightLength += line;
  return clearSight(x, a);
}

// Needs a in sight of x: keeps the path of x through a if it is shorter
// than x's own, or than its best other path with another next node.
// `length` is reach[a] + gap(x, a).
void keep(std::int32_t x, std::int32_t a, double length) {
  if (length < reach[x]) {
    if (towards[x] != a && reach[x] < asideReach[x]) aside[x] = towards[x], asideReach[x] = reach[x];
    return setReach(x, length, a, false);
  }
  if (a != towards[x] && length < asideReach[x]) aside[x] = a, asideReach[x] = length;
}

// keep, when a is in sight; tested only where the path would be kept.
void consider(std::int32_t x, std::int32_t a, double length) {
  const bool shorter = length < reach[x] || (a != towards[x] && length < asideReach[x]);
  if (shorter && seesFrom(x, a, length - reach[a])) keep(x, a, length);
}

// True when x was offered a before in this run, and a is now remembered.
// Paths of settled nodes never change and x's own only get shorter, so a
// second offer of a (and of the path beyond it) cannot help x.
bool metBefore(std::int32_t x, std::int32_t a) {
  if (metRun[x] != runNumber) metRun[x] = runNumber, metCount[x] = 0;
  const int known = std::min<int>(metCount[x], kMetKept);
  if (std::find(met[x], met[x] + known, a) != met[x] + known) return true;
  met[x][metCount[x]++ % kMetKept] = a;
  if (metCount[x] == 2 * kMetKept) metCount[x] = kMetKept;  // stays full, keeps the ring place
  return false;
}

bool isWhole(double length) { return length == std::floor(length); }

// Needs u settled: what the walks along u's path need to know of it.
void notePath(std::int32_t u) {
  const std::int32_t next = towards[u];
  pathEnd[u] = next == u ? u : pathEnd[next];  // the next node was settled before u
  straightToEnd[u] = next == u || (straightToEnd[next] && isWhole(reach[u]) &&
                                   reach[u] == gap(u, pathEnd[u]));
  beforePortal[u] = next == u ? -1 : portalNext[u] ? u : beforePortal[next];
  const bool straightOn = next != u && !portalNext[u] && !portalNext[next];
  const bool extends = straightOn && inLine(u, next, runEnd[next]);
  runEnd[u] = extends ? runEnd[next] : next;
  runLast[u] = extends ? runLast[next] : u;
}

// Needs a settled and just offered to x: the node at which the walk along
// a's path goes on. Where the path runs straight on through several nodes
// (along a diagonal corridor, past corners in line), each node of that
// stretch offers x at least what its far end does (the triangle rule; the
// same when x is in line with them), so when x sees the far end, or has
// shorter paths already, the nodes between are passed over: only the last
// of them is offered, as a walk node by node would leave it x's other
// path. Otherwise the walk goes on node by node. Along a diagonal
// staircase the paths ran through hundreds of corners in line, and each
// cell was offered them one by one with a sight test the length of the
// staircase for each.
std::int32_t acrossRun(std::int32_t x, std::int32_t a, double least) {
  const std::int32_t end = runEnd[a];
  if (end == towards[a]) return a;  // the path turns at its next node, or a is an exit
  const double endLength = reach[end] + gap(x, end);
  if (endLength < least) return a;  // offerPath skips the rest
  if (endLength >= reach[x] && endLength >= asideReach[x]) return end;
  if (!seesFrom(x, end, endLength - reach[end])) return a;
  // The order of a walk node by node, so that x's other path is the same.
  const std::int32_t last = runLast[a];
  if (last != a) consider(x, last, reach[last] + gap(x, last));
  keep(x, end, endLength);
  return end;
}

// Offers x every node along the path of `from`: the further, the shorter
// by the triangle rule, but a nearer one may be in sight when a further one
// is not. Where that path is one straight line of whole map units and x
// lies on it beyond `from` (a straight corridor, a hall along a wall), every
// node offers x exactly the same length; once neither of x's paths is
// longer, no node further on can change them, and the walk stops instead of
// going on to the exit, which made a straight corridor cost the square of
// its length.
//
// A node that offers x less than `least` (see offer) is skipped, and with
// it every node after it up to the path's next portal: between two
// portals each node lies in sight of the next and its reach is the next
// one's plus the gap between them, so by the triangle rule the lengths a
// path offers x only fall along it. On a winding corridor the walk thus
// ends a few bends from x instead of at the exit, where it made every
// offer cost the length of the path. Straight stretches of the path are
// passed over where they cannot help x (acrossRun).
void offerPath(std::int32_t x, std::int32_t from, double least) {
  const double step = gap(x, from);
  const double line = gap(x, pathEnd[from]);
  const bool onLine = straightToEnd[from] && isWhole(step) && line == step + reach[from];
  for (std::int32_t a = from; !metBefore(x, a); a = towards[a]) {
    if (onLine && line >= reach[x] && line >= asideReach[x]) return;
    ++work.nodesOffered;
    const double length = reach[a] + gap(x, a);
    if (length < least) {
      a = beforePortal[a];  // the loop goes on across that portal
      if (a < 0) return;
      continue;
    }
    consider(x, a, length);
    if (!onLine) a = acrossRun(x, a, least);  // else the walk ends at the next node
    if (towards[a] == a) return;
  }
}

// Offers node x the paths of the settled node u: bending at u (an edge
// that is always clear) or further along its path or its other path, or
// through a settled bend corner of u's cell. Ties and near ties between
// two ways round an obstacle keep both alive that way, and a corner whose
// own neighbours all see past it, on no one's path, may still be the next
// bend for x.
//
// The straight step from u to x is open floor, so a walker from u may go
// to x and on along any path x takes: a path of x shorter than reach[u] -
// gap(x, u) would be one that u itself missed. No node offering x less
// than that is offered (offerPath): such a node is out of x's sight, as
// every node of a winding corridor a few bends back is, or else u already
// came out long and x keeps a time that agrees with u's. Skipping an offer
// only leaves x fewer paths to choose from, and every path it does take is
// tested for sight, so its time stays the length of a real polyline in
// open floor, never below the straight line to an exit; the side move
// through u is never skipped, so it never rises above the side-move time.
// The margin, far above rounding and far below any step of the plan,
// keeps a path exactly as long as u's through x among the offers.
void offer(std::int32_t u, std::int32_t x) {
  if (settled[x]) return;
  const double least = reach[u] - gap(x, u) - kTieMargin * reach[u];
  offerPath(x, u, least);
  if (aside[u] >= 0) offerPath(x, aside[u], least);
  for (int k = 0; k < kSides && u < kSlotCount; ++k) {
    const std::int32_t corner = bendCorner(u, k);
    if (corner >= 0 && corner != x && settled[corner]) offerPath(x, corner, least);
  }
}

// A portal (a join between levels) from x into the settled cell u: one
// cell's length from centre to centre, never the straight line across the
// map between them. Paths from beside x lead on through x to u: their
// straight lines to u or beyond cross rock, so sight stops them at x.
void offerPortal(std::int32_t u, std::int32_t x) {
  if (settled[x]) return;
  const double length = reach[u] + kCellSize;
  if (length >= reach[x]) return;
  if (towards[x] != u && reach[x] < asideReach[x]) aside[x] = towards[x], asideReach[x] = reach[x];
  setReach(x, length, u, true);
}

void expand(std::int32_t u) {
  if (u >= kSlotCount) {  // a bend corner: the cells round it
    for (int p = 0; p < kSides; ++p) {
      if (cornerCell(u, p) != 0) offer(u, cornerCell(u, p));
    }
    return;
  }
  for (int s = 0; s < kSides; ++s) {
    if (stepsInto(u, s) != 0) offer(u, stepsInto(u, s));
    if (bendCorner(u, s) >= 0) offer(u, bendCorner(u, s));
  }
  const PortalRange portals = portalsInto(u);
  for (const CellId* x = portals.first; x != portals.last; ++x) offerPortal(u, *x);
}

int countFloorCells() {
  int cells = 0;
  for (CellId c = 1; c <= kMaxCellId; ++c) cells += isFloorSlot(c) ? 1 : 0;
  return cells;
}

}  // namespace

void setGeodesicJoins(const std::vector<CellPair>& joins) { setPortalPairs(joins); }

void setGeodesicProgress(void (*progress)(int settledCells, int floorCells)) {
  progressCall = progress;
}

GeodesicWork lastGeodesicWork() { return work; }

void computeGeodesicTimes(const CellId* exits, int exitCount, float seconds[kSlotCount]) {
  prepareFloor();
  std::fill(std::begin(reach), std::end(reach), kNoPath);
  std::fill(std::begin(asideReach), std::end(asideReach), kNoPath);
  std::fill(std::begin(aside), std::end(aside), -1);
  if (++runNumber == 0) {  // the stamps wrapped round: forget them all
    std::fill(std::begin(metRun), std::end(metRun), 0);
    runNumber = 1;
  }
  std::fill(std::begin(settled), std::end(settled), false);
  std::fill(std::begin(heapAt), std::end(heapAt), -1);
  heapSize = 0;
  work = GeodesicWork{};
  for (int i = 0; i < exitCount; ++i) {
    if (isFloorSlot(exits[i]) && reach[exits[i]] != 0.0) setReach(exits[i], 0.0, exits[i], false);
  }
  const int floorCells = progressCall != nullptr ? countFloorCells() : 0;
  int settledCells = 0;
  while (heapSize > 0) {
    const std::int32_t u = popNearest();
    settled[u] = true;
    notePath(u);
    expand(u);
    if (u < kSlotCount && ++settledCells % kProgressEvery == 0 && progressCall != nullptr) {
      progressCall(settledCells, floorCells);
    }
  }
  for (CellId c = 0; c <= kMaxCellId; ++c) {
    const bool reached = isFloorSlot(c) && reach[c] < kNoPath;
    seconds[c] = reached ? static_cast<float>(reach[c] * kWalkPace) : kUnreachedTime;
  }
}
