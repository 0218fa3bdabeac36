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
    forCellsInside(frame, shapes, markExit, &raster);
  } else {
    FloorPaint paint{raster, role.kind};
    forCellsInside(frame, shapes, paintFloor, &paint);
  }
}
