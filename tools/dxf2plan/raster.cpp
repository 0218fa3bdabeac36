#include "raster.h"

#include <algorithm>
#include <cmath>

namespace {

// The grid's shift from its round origin, in cells: small, and far from
// any ratio a drawing's coordinates would hit.
constexpr double kShiftX = 1.41421356e-6;
constexpr double kShiftY = 1.73205081e-6;
// A wall this close to a centre segment (in cells) touches it: far below
// the shift, far above rounding.
constexpr double kTouch = 1e-9;

std::size_t indexOf(const GridFrame& f, std::int32_t column, std::int32_t row) {
  return static_cast<std::size_t>(row) * static_cast<std::size_t>(f.columns) + static_cast<std::size_t>(column);
}

std::int64_t moveKey(std::size_t cell, std::uint8_t bit) { return static_cast<std::int64_t>(cell) * 2 + (bit == kBlockUp); }

// Clips p-q to the grid grown by one cell (Liang-Barsky); false when
// nothing is left.
bool clipToFrame(const GridFrame& f, Vec2& p, Vec2& q) {
  const double x0 = f.originX - f.cell, y0 = f.originY - f.cell;
  const double x1 = f.originX + (f.columns + 1.0) * f.cell, y1 = f.originY + (f.rows + 1.0) * f.cell;
  const double dx = q.x - p.x, dy = q.y - p.y;
  double t0 = 0, t1 = 1;
  const double ps[4] = {-dx, dx, -dy, dy};
  const double qs[4] = {p.x - x0, x1 - p.x, p.y - y0, y1 - p.y};
  for (int i = 0; i < 4; ++i) {
    if (ps[i] == 0) {
      if (qs[i] < 0) return false;
      continue;
    }
    const double t = qs[i] / ps[i];
    if (ps[i] < 0) t0 = std::max(t0, t);
    else t1 = std::min(t1, t);
  }
  if (!(t0 <= t1)) return false;
  const Vec2 a{p.x + t0 * dx, p.y + t0 * dy}, b{p.x + t1 * dx, p.y + t1 * dy};
  p = a;
  q = b;
  return true;
}

bool floorCell(const GridFrame& f, Vec2 p, std::int64_t& column, std::int64_t& row) {
  const double cx = std::floor((p.x - f.originX) / f.cell), cy = std::floor((p.y - f.originY) / f.cell);
  if (!(cx >= -2 && cy >= -2 && cx <= f.columns + 1.0 && cy <= f.rows + 1.0)) return false;
  column = static_cast<std::int64_t>(cx);
  row = static_cast<std::int64_t>(cy);
  return true;
}

void testMove(Raster& r, std::int64_t column, std::int64_t row, std::uint8_t bit, Vec2 p, Vec2 q,
              std::int32_t source) {
  const GridFrame& f = r.frame;
  const std::int64_t toColumn = column + (bit == kBlockRight), toRow = row + (bit == kBlockUp);
  if (column < 0 || row < 0 || toColumn >= f.columns || toRow >= f.rows) return;
  const std::size_t cell = indexOf(f, static_cast<std::int32_t>(column), static_cast<std::int32_t>(row));
  if ((r.blocked[cell] & bit) != 0) return;
  const Vec2 a = cellCentre(f, static_cast<std::int32_t>(column), static_cast<std::int32_t>(row));
  const Vec2 b = cellCentre(f, static_cast<std::int32_t>(toColumn), static_cast<std::int32_t>(toRow));
  if (segmentDistance(p, q, a, b) > kTouch * f.cell) return;
  r.blocked[cell] |= bit;
  r.wallBy.emplace(moveKey(cell, bit), source);
}

}  // namespace

bool makeFrame(double minX, double minY, double maxX, double maxY, double cell, int margin, std::int64_t maxCells,
               GridFrame& frame) {
  const double left = (std::floor(minX / cell) - margin), bottom = (std::floor(minY / cell) - margin);
  const double columns = std::floor(maxX / cell) + margin + 1 - left;
  const double rows = std::floor(maxY / cell) + margin + 1 - bottom;
  if (!(columns >= 1 && rows >= 1 && columns * rows <= static_cast<double>(maxCells))) return false;
  frame = GridFrame{(left + kShiftX) * cell, (bottom + kShiftY) * cell, cell, static_cast<std::int32_t>(columns),
                    static_cast<std::int32_t>(rows)};
  return true;
}

Raster makeRaster(const GridFrame& frame) {
  const std::size_t count = static_cast<std::size_t>(frame.columns) * static_cast<std::size_t>(frame.rows);
  Raster r;
  r.frame = frame;
  r.blocked.assign(count, 0);
  r.floorKind.assign(count, CellKind::Rock);
  r.exitMark.assign(count, 0);
  return r;
}

Vec2 cellCentre(const GridFrame& f, std::int32_t column, std::int32_t row) {
  return Vec2{f.originX + (column + 0.5) * f.cell, f.originY + (row + 0.5) * f.cell};
}

bool cellAt(const GridFrame& f, Vec2 p, std::int32_t& column, std::int32_t& row) {
  std::int64_t c = 0, r = 0;
  if (!floorCell(f, p, c, r) || c < 0 || r < 0 || c >= f.columns || r >= f.rows) return false;
  column = static_cast<std::int32_t>(c);
  row = static_cast<std::int32_t>(r);
  return true;
}

Vec2 roundCorner(const GridFrame& f, std::int32_t column, std::int32_t row) {
  return Vec2{(std::round(f.originX / f.cell - kShiftX) + column) * f.cell,
              (std::round(f.originY / f.cell - kShiftY) + row) * f.cell};
}

Vec2 roundCentre(const GridFrame& f, std::int32_t column, std::int32_t row) {
  const Vec2 corner = roundCorner(f, column, row);
  return Vec2{corner.x + 0.5 * f.cell, corner.y + 0.5 * f.cell};
}

void drawWall(Raster& r, Vec2 p, Vec2 q, std::int32_t source) {
  if (!clipToFrame(r.frame, p, q)) return;
  const double length = std::hypot(q.x - p.x, q.y - p.y);
  const double steps = std::ceil(length / (0.5 * r.frame.cell));
  if (!(steps >= 0 && steps < 1e8)) return;
  std::int64_t lastColumn = -9, lastRow = -9;
  for (std::int64_t i = 0; i <= static_cast<std::int64_t>(steps); ++i) {
    const double t = steps > 0 ? static_cast<double>(i) / steps : 0.0;
    std::int64_t column = 0, row = 0;
    if (!floorCell(r.frame, Vec2{p.x + t * (q.x - p.x), p.y + t * (q.y - p.y)}, column, row)) continue;
    if (column == lastColumn && row == lastRow) continue;
    lastColumn = column;
    lastRow = row;
    // The crossing lies in one of the two cells a move joins: try every
    // move of the cells round the one this point is in.
    for (std::int64_t dr = -1; dr <= 1; ++dr) {
      for (std::int64_t dc = -1; dc <= 1; ++dc) {
        testMove(r, column + dc, row + dr, kBlockRight, p, q, source);
        testMove(r, column + dc, row + dr, kBlockUp, p, q, source);
      }
    }
  }
}

void addWallEnd(Raster& r, Vec2 p, std::int32_t source) {
  std::int32_t column = 0, row = 0;
  if (!cellAt(r.frame, p, column, row)) return;
  WallEnd& end = r.ends[static_cast<std::int64_t>(indexOf(r.frame, column, row))];
  ++end.count;
  end.at = p;
  end.source = source;
}

void forCellsInside(const GridFrame& f, const std::vector<std::vector<Vec2>>& loops,
                    void (*visit)(std::size_t, void*), void* context) {
  double lowY = 1e300, highY = -1e300;
  for (const auto& loop : loops) {
    for (Vec2 p : loop) {
      lowY = std::min(lowY, p.y);
      highY = std::max(highY, p.y);
    }
  }
  const double firstRow = std::max(0.0, std::floor((lowY - f.originY) / f.cell - 0.5));
  const double lastRow = std::min(f.rows - 1.0, std::ceil((highY - f.originY) / f.cell));
  if (!(firstRow <= lastRow)) return;
  const auto row0 = static_cast<std::int32_t>(firstRow), row1 = static_cast<std::int32_t>(lastRow);
  std::vector<std::vector<double>> crossings(static_cast<std::size_t>(row1 - row0 + 1));
  for (const auto& loop : loops) {
    for (std::size_t i = 0; i < loop.size(); ++i) {
      const Vec2 a = loop[i], b = loop[(i + 1) % loop.size()];
      if (a.y == b.y) continue;
      const double lo = std::min(a.y, b.y), hi = std::max(a.y, b.y);
      const double from = std::max<double>(row0, std::ceil((lo - f.originY) / f.cell - 0.5));
      const double to = std::min<double>(row1, std::ceil((hi - f.originY) / f.cell - 0.5) - 1);
      for (double row = from; row <= to; ++row) {
        const double y = f.originY + (row + 0.5) * f.cell;
        if ((a.y <= y) == (b.y <= y)) continue;  // half-open: each crossing counted once
        crossings[static_cast<std::size_t>(row - row0)].push_back(a.x + (y - a.y) * (b.x - a.x) / (b.y - a.y));
      }
    }
  }
  for (std::int32_t row = row0; row <= row1; ++row) {
    std::vector<double>& xs = crossings[static_cast<std::size_t>(row - row0)];
    std::sort(xs.begin(), xs.end());
    for (std::size_t k = 0; k + 1 < xs.size(); k += 2) {
      const double c0 = std::max(0.0, std::ceil((xs[k] - f.originX) / f.cell - 0.5));
      const double c1 = std::min(f.columns - 1.0, std::ceil((xs[k + 1] - f.originX) / f.cell - 0.5) - 1);
      for (double c = c0; c <= c1; ++c) visit(indexOf(f, static_cast<std::int32_t>(c), row), context);
    }
  }
}

void forCellsAlong(const GridFrame& f, Vec2 p, Vec2 q, void (*visit)(std::size_t, void*), void* context) {
  if (!clipToFrame(f, p, q)) return;
  const double steps = std::ceil(std::hypot(q.x - p.x, q.y - p.y) / (0.25 * f.cell));
  if (!(steps >= 0 && steps < 1e8)) return;
  std::size_t last = static_cast<std::size_t>(-1);
  for (std::int64_t i = 0; i <= static_cast<std::int64_t>(steps); ++i) {
    const double t = steps > 0 ? static_cast<double>(i) / steps : 0.0;
    std::int32_t column = 0, row = 0;
    if (!cellAt(f, Vec2{p.x + t * (q.x - p.x), p.y + t * (q.y - p.y)}, column, row)) continue;
    const std::size_t cell = indexOf(f, column, row);
    if (cell != last) visit(cell, context);
    last = cell;
  }
}

bool moveBlocked(const Raster& r, std::size_t cell, std::uint8_t bit) {
  const std::size_t columns = static_cast<std::size_t>(r.frame.columns);
  if (bit == kBlockRight && cell % columns + 1 >= columns) return true;
  if (bit == kBlockUp && cell / columns + 1 >= static_cast<std::size_t>(r.frame.rows)) return true;
  return (r.blocked[cell] & bit) != 0;
}
