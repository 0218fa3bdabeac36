#include <algorithm>
#include <cmath>

#include "plan_build.h"

namespace {

constexpr std::size_t kMaxWallSources = 100000;  // entities named in wall messages; later ones share one

int kindRank(CellKind kind) {
  switch (kind) {
    case CellKind::Floor: return 1;
    case CellKind::Service: return 2;
    case CellKind::Platform: return 3;
    case CellKind::Stair: return 4;
    case CellKind::Escalator: return 5;
    case CellKind::Gate: return 6;
    default: return 0;
  }
}

struct FloorPaint {
  Raster& raster;
  CellKind kind;
};

void paintFloor(std::size_t cell, void* context) {
  FloorPaint& paint = *static_cast<FloorPaint*>(context);
  CellKind& at = paint.raster.floorKind[cell];
  if (kindRank(paint.kind) > kindRank(at)) at = paint.kind;
}

void markExit(std::size_t cell, void* context) { static_cast<Raster*>(context)->exitMark[cell] = 1; }

struct CountedMarks {
  Raster& raster;
  std::int64_t cells;
};

void markAndCount(std::size_t cell, void* context) {
  CountedMarks& marks = *static_cast<CountedMarks*>(context);
  marks.raster.exitMark[cell] = 1;
  ++marks.cells;
}

struct FineMarks {
  const GridFrame& fine;
  CountedMarks& marks;
};

void markFromFine(std::size_t fineCell, void* context) {
  FineMarks& f = *static_cast<FineMarks*>(context);
  const auto column = static_cast<std::int32_t>(fineCell % f.fine.columns), row = static_cast<std::int32_t>(fineCell / f.fine.columns);
  std::int32_t c = 0, r = 0;
  const GridFrame& frame = f.marks.raster.frame;
  if (cellAt(frame, cellCentre(f.fine, column, row), c, r)) markAndCount(static_cast<std::size_t>(r) * frame.columns + c, &f.marks);
}

// The cells holding points of a quarter-cell lattice inside the shapes:
// where a shape too narrow for a cell centre lies.
void markNarrowExit(Raster& raster, const std::vector<std::vector<Vec2>>& shapes, CountedMarks& marks) {
  double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
  for (const auto& shape : shapes) {
    for (Vec2 p : shape) {
      x0 = std::min(x0, p.x), y0 = std::min(y0, p.y), x1 = std::max(x1, p.x), y1 = std::max(y1, p.y);
    }
  }
  GridFrame fine{};
  if (!makeFrame(x0, y0, x1, y1, raster.frame.cell / 4, 0, 1000000, fine)) return;
  FineMarks f{fine, marks};
  forCellsInside(fine, shapes, markFromFine, &f);
}

std::size_t distinctPoints(const std::vector<Vec2>& points) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < points.size(); ++i) {
    bool seen = false;
    for (std::size_t j = 0; j < i && !seen && j < 8; ++j) seen = points[j].x == points[i].x && points[j].y == points[i].y;
    if (!seen) ++count;
    if (count >= 3) break;
  }
  return count;
}

bool closedLoop(const Loop& loop, const std::vector<Vec2>& points, double cell) {
  if (loop.closed) return true;
  return points.size() >= 3 && std::hypot(points.front().x - points.back().x, points.front().y - points.back().y) <= 1e-6 * cell;
}

std::int32_t wallSourceOf(Raster& raster, const DrawnEntity& drawn) {
  if (*drawn.wallSource >= 0) return *drawn.wallSource;
  if (raster.sources.size() >= kMaxWallSources) {
    if (raster.sources.size() == kMaxWallSources) raster.sources.push_back(WallSource{"", "(many)", "entity", 0});
    return *drawn.wallSource = static_cast<std::int32_t>(kMaxWallSources);
  }
  raster.sources.push_back(WallSource{drawn.entity.handle, drawn.layer, drawn.entity.type, drawn.entity.line});
  return *drawn.wallSource = static_cast<std::int32_t>(raster.sources.size() - 1);
}

void drawWalls(Raster& raster, const Figure& figure, double tolerance, const DrawnEntity& drawn) {
  for (const Loop& loop : figure.loops) {
    const std::vector<Vec2> points = flattenLoop(loop, tolerance);
    if (points.size() < 2) continue;
    const std::int32_t source = wallSourceOf(raster, drawn);
    for (std::size_t i = 0; i + 1 < points.size(); ++i) drawWall(raster, points[i], points[i + 1], source);
    if (!closedLoop(loop, points, raster.frame.cell)) {
      addWallEnd(raster, points.front(), source);
      addWallEnd(raster, points.back(), source);
    }
  }
}

std::string where(const DrawnEntity& drawn) {
  DxfEntityInfo info = drawn.entity;
  info.layer = drawn.layer;
  return describeEntity(info);
}

}  // namespace

void drawFigure(Raster& raster, const LayerRole& role, const Figure& figure, double tolerance,
                const DrawnEntity& drawn, DxfSummary& summary) {
  const GridFrame& frame = raster.frame;
  if (role.use == LayerUse::Wall) {
    drawWalls(raster, figure, tolerance, drawn);
    return;
  }
  std::vector<std::vector<Vec2>> shapes;
  for (const Loop& loop : figure.loops) {
    std::vector<Vec2> points = flattenLoop(loop, tolerance);
    if (role.use == LayerUse::Exit && (figure.point || points.size() == 1)) {
      std::int32_t column = 0, row = 0;
      if (cellAt(frame, points.front(), column, row)) markExit(static_cast<std::size_t>(row) * frame.columns + column, &raster);
      continue;
    }
    const bool closed = closedLoop(loop, points, frame.cell);
    if (closed && distinctPoints(points) >= 3) {
      shapes.push_back(std::move(points));
    } else if (role.use == LayerUse::Exit) {
      for (std::size_t i = 0; i + 1 < points.size(); ++i) forCellsAlong(frame, points[i], points[i + 1], markExit, &raster);
    } else {
      addProblem(summary, where(drawn) + ": a floor shape " +
                              (closed ? "with fewer than three points" : "that is not closed") + "; left out");
    }
  }
  if (shapes.empty()) return;
  if (role.use == LayerUse::Exit) {
    // An exit shape narrower than a cell may hold no cell centre: then it
    // marks the cells its outline passes through, so that no exit drawn
    // is lost to the cell size.
    CountedMarks marks{raster, 0};
    forCellsInside(frame, shapes, markAndCount, &marks);
    if (marks.cells == 0) markNarrowExit(raster, shapes, marks);
    if (marks.cells > 0) return;
    for (const std::vector<Vec2>& shape : shapes) {
      for (std::size_t i = 0; i + 1 < shape.size(); ++i) forCellsAlong(frame, shape[i], shape[i + 1], markExit, &raster);
    }
  } else {
    FloorPaint paint{raster, role.kind};
    forCellsInside(frame, shapes, paintFloor, &paint);
  }
}
