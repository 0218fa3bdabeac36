#include "plan_build.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <deque>

namespace {

struct Step {
  std::int32_t dc, dr;
};
constexpr Step kSteps[4] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};

std::size_t at(const GridFrame& f, std::int32_t c, std::int32_t r) {
  return static_cast<std::size_t>(r) * static_cast<std::size_t>(f.columns) + static_cast<std::size_t>(c);
}

// The move from (c, r) by `step` is open: inside the grid and unblocked.
bool openMove(const Raster& raster, std::int32_t c, std::int32_t r, const Step& step) {
  const GridFrame& f = raster.frame;
  const std::int32_t tc = c + step.dc, tr = r + step.dr;
  if (tc < 0 || tr < 0 || tc >= f.columns || tr >= f.rows) return false;
  if (step.dc != 0) return !moveBlocked(raster, at(f, std::min(c, tc), r), kBlockRight);
  return !moveBlocked(raster, at(f, c, std::min(r, tr)), kBlockUp);
}

std::string point(const DxfSummary& s, Vec2 metres) {
  char text[96];
  std::snprintf(text, sizeof text, "(%.6g, %.6g)", metres.x / s.metresPerUnit, metres.y / s.metresPerUnit);
  return text;
}

std::string sourceText(const Raster& raster, std::int32_t source) {
  if (source < 0 || static_cast<std::size_t>(source) >= raster.sources.size()) return "a wall";
  const WallSource& w = raster.sources[static_cast<std::size_t>(source)];
  return w.type + (w.handle.empty() ? "" : " " + w.handle) + " on layer " + w.layer +
         (w.line > 0 ? " (line " + std::to_string(w.line) + ")" : "");
}

// Where a fill that got out passed a loose wall end: the odd end nearest
// the shortest way out.
std::string describeLeak(const Raster& raster, const std::vector<std::int32_t>& parent, std::size_t out,
                         const std::vector<std::uint8_t>& reached, const DxfSummary& s) {
  const GridFrame& f = raster.frame;
  std::vector<std::size_t> path;
  for (std::size_t c = out;; c = static_cast<std::size_t>(parent[c])) {
    path.push_back(c);
    if (parent[c] < 0 || static_cast<std::size_t>(parent[c]) == c) break;
  }
  const WallEnd* best = nullptr;
  std::int64_t bestGap = 0;
  for (const auto& [cell, end] : raster.ends) {
    if (end.count % 2 == 0 || !reached[static_cast<std::size_t>(cell)]) continue;
    const std::int64_t ec = cell % f.columns, er = cell / f.columns;
    for (std::size_t p : path) {
      const std::int64_t gap = std::max(std::llabs(ec - static_cast<std::int64_t>(p % f.columns)),
                                        std::llabs(er - static_cast<std::int64_t>(p / f.columns)));
      if (best == nullptr || gap < bestGap) {
        best = &end;
        bestGap = gap;
      }
    }
  }
  std::string text = "the walls do not close round the --inside point: a fill from it reaches the drawing's edge";
  if (best != nullptr) {
    return text + "; it passes the loose end of a wall at " + point(s, best->at) + ", " + sourceText(raster, best->source) +
           ": close the gap there (or mark a doorway as an exit)";
  }
  return text + " at " + point(s, roundCentre(f, static_cast<std::int32_t>(out % f.columns), static_cast<std::int32_t>(out / f.columns))) +
         ", and no loose wall end lies near its way out";
}

bool fillInside(const Raster& raster, Vec2 inside, std::vector<CellKind>& kinds, DxfSummary& s) {
  const GridFrame& f = raster.frame;
  std::int32_t c0 = 0, r0 = 0;
  if (!cellAt(f, inside, c0, r0)) {
    s.failure = "the --inside point lies outside the grid";
    return false;
  }
  std::vector<std::uint8_t> reached(kinds.size(), 0);
  std::vector<std::int32_t> parent(kinds.size(), -1);
  std::deque<std::size_t> queue{at(f, c0, r0)};
  reached[queue.front()] = 1;
  std::int64_t exitsLeftOut = 0;
  while (!queue.empty()) {
    const std::size_t cell = queue.front();
    queue.pop_front();
    const auto c = static_cast<std::int32_t>(cell % f.columns), r = static_cast<std::int32_t>(cell / f.columns);
    if (c == 0 || r == 0 || c == f.columns - 1 || r == f.rows - 1) {
      s.failure = describeLeak(raster, parent, cell, reached, s);
      return false;
    }
    kinds[cell] = raster.exitMark[cell] ? CellKind::Exit
                  : raster.floorKind[cell] != CellKind::Rock ? raster.floorKind[cell] : CellKind::Floor;
    if (raster.exitMark[cell]) continue;  // an exit ends the floor: the fill stops there
    for (const Step& step : kSteps) {
      const std::size_t next = at(f, c + step.dc, r + step.dr);
      if (!openMove(raster, c, r, step) || reached[next]) continue;
      reached[next] = 1;
      parent[next] = static_cast<std::int32_t>(cell);
      queue.push_back(next);
    }
  }
  for (std::size_t i = 0; i < kinds.size(); ++i) exitsLeftOut += raster.exitMark[i] && !reached[i];
  if (exitsLeftOut > 0) {
    s.notes.push_back(std::to_string(exitsLeftOut) + " cells of exit entities lie outside the walls round the --inside point and were left out");
  }
  return true;
}

// The walls between cells of the plan, on the side of the cell to the right or above.
void placeWalls(const Raster& raster, const std::vector<CellKind>& kinds, std::int32_t c0, std::int32_t r0,
                PlanGrid& plan) {
  const GridFrame& f = raster.frame;
  for (std::int32_t r = 0; r < plan.rows; ++r) {
    for (std::int32_t c = 0; c < plan.columns; ++c) {
      const std::size_t cell = at(f, c0 + c, r0 + r);
      const std::size_t p = static_cast<std::size_t>(r) * plan.columns + c;
      plan.kinds[p] = kinds[cell];
      if (kinds[cell] == CellKind::Rock) continue;
      if (c0 + c > 0 && kinds[cell - 1] != CellKind::Rock && moveBlocked(raster, cell - 1, kBlockRight)) plan.walls[p] |= kLeftSide;
      if (r0 + r > 0 && kinds[cell - f.columns] != CellKind::Rock && moveBlocked(raster, cell - f.columns, kBlockUp)) {
        plan.walls[p] |= kBottomSide;
      }
    }
  }
}

void reportUnwritable(const Raster& raster, std::int32_t c0, std::int32_t r0, DxfSummary& s) {
  const GridFrame& f = raster.frame;
  for (const UnwritableSide& side : unwritableSides(s.plan)) {
    const std::size_t cell = at(f, c0 + side.column, r0 + side.row);
    const bool left = side.side == kLeftSide;
    const std::size_t from = left ? cell - 1 : cell - f.columns;
    const auto found = raster.wallBy.find(static_cast<std::int64_t>(from) * 2 + (left ? 0 : 1));
    const Vec2 a = roundCentre(f, static_cast<std::int32_t>(from % f.columns), static_cast<std::int32_t>(from / f.columns));
    const Vec2 b = roundCentre(f, c0 + side.column, r0 + side.row);
    addProblem(s, "the wall between the cells at " + point(s, a) + " and " + point(s, b) + " (" +
                      (found == raster.wallBy.end() ? std::string("a wall") : sourceText(raster, found->second)) +
                      ") stands on the " + (left ? "left" : "bottom") + " side of a cell of kind " +
                      kindWord(s.plan.kinds[static_cast<std::size_t>(side.row) * s.plan.columns + side.column]) +
                      ", which no plan character can give that wall: the plan leaves that side open");
  }
}

// Floor from which no exit can be reached, in areas joined by open moves.
void reportCutOff(const Raster& raster, std::int32_t c0, std::int32_t r0, DxfSummary& s) {
  const PlanGrid& plan = s.plan;
  std::vector<std::int32_t> area(plan.kinds.size(), -1);
  auto open = [&](std::size_t p, std::size_t q, bool across) {
    if (plan.kinds[q] == CellKind::Rock) return false;
    return (plan.walls[std::max(p, q)] & (across ? kLeftSide : kBottomSide)) == 0;
  };
  std::int64_t cutOff = 0, areas = 0, largest = 0;
  std::size_t largestAt = 0;
  for (std::size_t start = 0; start < plan.kinds.size(); ++start) {
    if (plan.kinds[start] == CellKind::Rock || area[start] >= 0) continue;
    std::vector<std::size_t> members{start};
    area[start] = static_cast<std::int32_t>(areas);
    bool exit = false;
    for (std::size_t k = 0; k < members.size(); ++k) {
      const std::size_t p = members[k];
      exit = exit || plan.kinds[p] == CellKind::Exit;
      const std::size_t c = p % plan.columns, r = p / plan.columns;
      const std::size_t next[4] = {c + 1 < static_cast<std::size_t>(plan.columns) ? p + 1 : p, c > 0 ? p - 1 : p,
                                   r + 1 < static_cast<std::size_t>(plan.rows) ? p + plan.columns : p, r > 0 ? p - plan.columns : p};
      for (int k = 0; k < 4; ++k) {
        const std::size_t q = next[k];
        if (q == p || area[q] >= 0 || !open(p, q, k < 2)) continue;
        area[q] = static_cast<std::int32_t>(areas);
        members.push_back(q);
      }
    }
    ++areas;
    if (exit) continue;
    cutOff += static_cast<std::int64_t>(members.size());
    if (static_cast<std::int64_t>(members.size()) > largest) {
      largest = static_cast<std::int64_t>(members.size());
      largestAt = start;
    }
  }
  if (cutOff == 0) return;
  const Vec2 c = roundCentre(raster.frame, c0 + static_cast<std::int32_t>(largestAt % plan.columns),
                            r0 + static_cast<std::int32_t>(largestAt / plan.columns));
  addProblem(s, std::to_string(cutOff) + " cells lie where no exit can be reached (walled in, or no exit drawn); the largest such area, " +
                    std::to_string(largest) + " cells, starts at " + point(s, c));
}

}  // namespace

bool buildPlan(Raster& raster, bool hasInside, Vec2 inside, bool reachChecks, DxfSummary& s) {
  const GridFrame& f = raster.frame;
  std::vector<CellKind> kinds(raster.blocked.size(), CellKind::Rock);
  if (hasInside) {
    if (!fillInside(raster, inside, kinds, s)) return false;
  } else {
    for (std::size_t i = 0; i < kinds.size(); ++i) kinds[i] = raster.exitMark[i] ? CellKind::Exit : raster.floorKind[i];
  }
  std::int32_t c0 = f.columns, r0 = f.rows, c1 = -1, r1 = -1;
  bool floor = false;
  for (std::size_t i = 0; i < kinds.size(); ++i) {
    if (kinds[i] == CellKind::Rock) continue;
    floor = floor || kinds[i] != CellKind::Exit;
    const auto c = static_cast<std::int32_t>(i % f.columns), r = static_cast<std::int32_t>(i / f.columns);
    c0 = std::min(c0, c), r0 = std::min(r0, r), c1 = std::max(c1, c), r1 = std::max(r1, r);
  }
  if (!floor) {
    s.failure = hasInside ? "no floor: the --inside point lies on an exit"
                          : "no floor: nothing on a floor layer is a closed shape; draw floor shapes, or name a point inside the walls with --inside X,Y";
    return false;
  }
  s.plan = makePlanGrid(c1 - c0 + 1, r1 - r0 + 1);
  placeWalls(raster, kinds, c0, r0, s.plan);
  const Vec2 corner = roundCorner(f, c0, r0);
  s.planCorner = Vec2{corner.x / s.metresPerUnit, corner.y / s.metresPerUnit};
  reportUnwritable(raster, c0, r0, s);
  const std::vector<std::int64_t> counts = countKinds(s.plan);
  for (int k = 1; k < kCellKindCount; ++k) {
    const auto kind = static_cast<CellKind>(k);
    if (counts[k] > 0 && planCharFor(kind, false, false) == 0) {
      addProblem(s, std::to_string(counts[k]) + " cells of kind " + kindWord(kind) +
                        " are written as floor: this build's plan format has no character for " + kindWord(kind));
    }
  }
  if (!reachChecks) return true;
  if (counts[static_cast<int>(CellKind::Exit)] == 0) {
    addProblem(s, "no exit: nothing on an exit layer covers a floor cell; plan2mesh needs at least one exit (E)");
  }
  reportCutOff(raster, c0, r0, s);
  return true;
}
