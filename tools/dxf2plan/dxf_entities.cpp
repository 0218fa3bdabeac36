#include "dxf_entities.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>

#include <dxflib/dl_extrusion.h>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kEllipseStepsPerTurn = 180;  // 2 degrees a chord: ellipses are rare on plans

bool oneOf(const std::string& type, std::initializer_list<const char*> names) {
  for (const char* name : names) {
    if (type == name) return true;
  }
  return false;
}

// Groups that frame entities rather than being entities of their own.
bool structural(const std::string& type) {
  return type.empty() || oneOf(type, {"BLOCK", "ENDBLK", "VERTEX", "SEQEND", "SECTION", "ENDSEC", "EOF"});
}

// Why an entity of `type` gives no geometry, or false when it may.
bool skipByType(const std::string& type, DxfSkip& why) {
  if (oneOf(type, {"LINE", "LWPOLYLINE", "POLYLINE", "ARC", "CIRCLE", "ELLIPSE", "SPLINE", "HATCH",
                   "POINT", "SOLID", "TRACE", "INSERT"})) {
    return false;
  }
  if (oneOf(type, {"TEXT", "MTEXT", "ATTRIB", "ATTDEF", "ARCALIGNEDTEXT", "RTEXT"})) {
    why = DxfSkip::Text;
  } else if (oneOf(type, {"DIMENSION", "ARC_DIMENSION", "LEADER", "MLEADER", "MULTILEADER", "TOLERANCE"})) {
    why = DxfSkip::Annotation;
  } else if (oneOf(type, {"3DFACE", "3DSOLID", "BODY", "REGION", "SURFACE", "MESH", "PLANESURFACE",
                          "EXTRUDEDSURFACE", "LOFTEDSURFACE", "REVOLVEDSURFACE", "SWEPTSURFACE",
                          "POLYFACE"})) {
    why = DxfSkip::ThreeD;
  } else {
    why = DxfSkip::Unsupported;
  }
  return true;
}

Vec2 point(double x, double y) { return Vec2{x, y}; }

const Affine kMirrorX{-1, 0, 0, 1, 0, 0};

// A hatch edge as points, in its own direction.
std::vector<Vec2> edgePoints(const DL_HatchEdgeData& edge) {
  std::vector<Vec2> points;
  if (edge.type == 0) {
    Loop loop{{}, false};
    for (const std::vector<double>& v : edge.vertices) {
      if (v.size() >= 2) loop.vertices.push_back({{v[0], v[1]}, v.size() >= 3 ? v[2] : 0.0});
    }
    return flattenLoop(loop, 0.0);
  }
  if (edge.type == 1) return {point(edge.x1, edge.y1), point(edge.x2, edge.y2)};
  if (edge.type == 2 || edge.type == 3) {
    // dxflib gives the angles in radians, counter-clockwise from start to end.
    double sweep = std::fmod(edge.angle2 - edge.angle1, 2 * kPi);
    if (!(sweep > 0)) sweep += 2 * kPi;
    const int steps = std::isfinite(sweep) ? std::max(1, static_cast<int>(std::ceil(sweep / (2 * kPi) * 64))) : 1;
    const double major = edge.type == 2 ? edge.radius : std::hypot(edge.mx, edge.my);
    const double turn = edge.type == 2 ? 0.0 : std::atan2(edge.my, edge.mx);
    const double minor = edge.type == 2 ? edge.radius : major * edge.ratio;
    for (int i = 0; i <= steps; ++i) {
      const double t = edge.angle1 + sweep * i / steps;
      const double u = major * std::cos(t), w = minor * std::sin(t);
      points.push_back({edge.cx + u * std::cos(turn) - w * std::sin(turn),
                        edge.cy + u * std::sin(turn) + w * std::cos(turn)});
    }
    return points;
  }
  for (const std::vector<double>& v : edge.fitPoints.empty() ? edge.controlPoints : edge.fitPoints) {
    if (v.size() >= 2) points.push_back({v[0], v[1]});
  }
  return points;
}

double squaredGap(Vec2 a, Vec2 b) { return (a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y); }

}  // namespace

void EntityAdapter::dispatching(const DxfEntityInfo& info, bool drawn) {
  info_ = info;
  DxfSkip why = DxfSkip::Unsupported;
  skippedNow_ = !drawn;
  if (!drawn) return;
  if (structural(info.type)) return;
  if (sink_.entity != nullptr) sink_.entity(info, sink_.context);
  if (skipByType(info.type, why)) {
    skippedNow_ = true;
  } else if (info.paperSpace && info.block.empty()) {
    skippedNow_ = true;
    why = DxfSkip::PaperSpace;
  }
  if (skippedNow_ && sink_.skipped != nullptr) sink_.skipped(info, why, sink_.context);
}

void EntityAdapter::dispatched(const std::string& nextType) {
  if (nextType != "VERTEX" && nextType != "SEQEND") flushPending();
}

void EntityAdapter::finish() { flushPending(); }

bool EntityAdapter::inPlan() { return !skippedNow_; }

bool EntityAdapter::objectFrame(bool& mirrored) {
  const double* n = getExtrusion()->getDirection();
  mirrored = false;
  if (std::fabs(n[0]) < 1e-9 && std::fabs(n[1]) < 1e-9 && std::fabs(n[2]) > 0) {
    mirrored = n[2] < 0;
    return true;
  }
  skippedNow_ = true;
  if (sink_.skipped != nullptr) sink_.skipped(info_, DxfSkip::Tilted, sink_.context);
  return false;
}

void EntityAdapter::emit(const DxfEntityInfo& info, const Figure& figure) {
  if (!finiteFigure(figure)) {
    if (sink_.skipped != nullptr) sink_.skipped(info, DxfSkip::NotFinite, sink_.context);
    return;
  }
  if (sink_.figure != nullptr) sink_.figure(info, figure, sink_.context);
}

void EntityAdapter::flushPending() {
  if (pendingSpline_) {
    pendingSpline_ = false;
    const std::vector<Vec2>& points = splineFit_.empty() ? splineControl_ : splineFit_;
    if (!pending_.loops.empty()) {
      for (Vec2 p : points) pending_.loops.back().vertices.push_back({p, 0.0});
    }
    splineControl_.clear();
    splineFit_.clear();
  }
  if (!hasPending_) return;
  hasPending_ = false;
  Figure figure;
  for (Loop& loop : pending_.loops) {
    if (!loop.vertices.empty()) figure.loops.push_back(std::move(loop));
  }
  figure.point = false;
  pending_ = Figure{};
  if (figure.loops.empty()) return;
  emit(pendingInfo_, pendingMirrored_ ? transformFigure(figure, kMirrorX, 0.0) : figure);
}

void EntityAdapter::setVariableInt(const std::string& key, int value, int) {
  if (key == "$INSUNITS") header_.insunits = value;
}

void EntityAdapter::setVariableString(const std::string& key, const std::string& value, int) {
  if (key == "$ACADVER") header_.version = value.substr(0, 32);
}

void EntityAdapter::addBlock(const DL_BlockData& data) {
  flushPending();
  block_ = data.name;
  if (sink_.blockStart != nullptr) sink_.blockStart(data.name, point(data.bpx, data.bpy), sink_.context);
}

void EntityAdapter::endBlock() {
  flushPending();
  block_.clear();
  if (sink_.blockEnd != nullptr) sink_.blockEnd(sink_.context);
}

void EntityAdapter::addPoint(const DL_PointData& data) {
  if (!inPlan()) return;
  emit(info_, Figure{{Loop{{{point(data.x, data.y), 0.0}}, false}}, true});
}

void EntityAdapter::addLine(const DL_LineData& data) {
  if (!inPlan()) return;
  emit(info_, Figure{{Loop{{{point(data.x1, data.y1), 0.0}, {point(data.x2, data.y2), 0.0}}, false}}, false});
}

void EntityAdapter::addArc(const DL_ArcData& data) {
  bool mirrored = false;
  if (!inPlan() || !objectFrame(mirrored)) return;
  const Figure arc{{arcLoop(point(data.cx, data.cy), data.radius, data.angle1, data.angle2)}, false};
  emit(info_, mirrored ? transformFigure(arc, kMirrorX, 0.0) : arc);
}

void EntityAdapter::addCircle(const DL_CircleData& data) {
  bool mirrored = false;
  if (!inPlan() || !objectFrame(mirrored)) return;
  const Figure circle{{circleLoop(point(data.cx, data.cy), data.radius)}, false};
  emit(info_, mirrored ? transformFigure(circle, kMirrorX, 0.0) : circle);
}

void EntityAdapter::addEllipse(const DL_EllipseData& data) {
  if (!inPlan()) return;
  const double* n = getExtrusion()->getDirection();
  const double side = n[2] < 0 ? -1.0 : 1.0;  // the minor axis turns with the extrusion
  double sweep = std::fmod(data.angle2 - data.angle1, 2 * kPi);
  if (!(sweep > 1e-12)) sweep += 2 * kPi;
  const bool whole = std::fabs(sweep - 2 * kPi) < 1e-9;
  const int steps = std::isfinite(sweep) ? std::max(2, static_cast<int>(std::ceil(sweep / (2 * kPi) * kEllipseStepsPerTurn))) : 2;
  Loop loop{{}, whole};
  for (int i = 0; i < (whole ? steps : steps + 1); ++i) {
    const double t = data.angle1 + sweep * i / steps;
    loop.vertices.push_back({{data.cx + data.mx * std::cos(t) - side * data.ratio * data.my * std::sin(t),
                              data.cy + data.my * std::cos(t) + side * data.ratio * data.mx * std::sin(t)},
                             0.0});
  }
  emit(info_, Figure{{loop}, false});
}

void EntityAdapter::addPolyline(const DL_PolylineData& data) {
  flushPending();
  if (!inPlan()) return;
  if ((data.flags & (8 | 16 | 64)) != 0) {  // 3D polyline, polygon mesh, polyface mesh
    skippedNow_ = true;
    if (sink_.skipped != nullptr) sink_.skipped(info_, DxfSkip::ThreeD, sink_.context);
    return;
  }
  if (!objectFrame(pendingMirrored_)) return;
  pendingInfo_ = info_;
  pending_ = Figure{{Loop{{}, (data.flags & 1) != 0}}, false};
  hasPending_ = true;
}

void EntityAdapter::addVertex(const DL_VertexData& data) {
  // A VERTEX belongs to a POLYLINE; after anything else (a hatch) it is stray.
  if (!hasPending_ || pendingSpline_ || pending_.loops.empty()) return;
  pending_.loops.back().vertices.push_back({point(data.x, data.y), data.bulge});
}

void EntityAdapter::addSpline(const DL_SplineData& data) {
  flushPending();
  if (!inPlan()) return;
  pendingInfo_ = info_;
  pendingMirrored_ = false;  // splines are drawn in the world frame
  pending_ = Figure{{Loop{{}, (data.flags & 1) != 0}}, false};
  hasPending_ = true;
  pendingSpline_ = true;
}

void EntityAdapter::addControlPoint(const DL_ControlPointData& data) {
  if (pendingSpline_) splineControl_.push_back(point(data.x, data.y));
}

void EntityAdapter::addFitPoint(const DL_FitPointData& data) {
  if (pendingSpline_) splineFit_.push_back(point(data.x, data.y));
}

void EntityAdapter::addInsert(const DL_InsertData& data) {
  bool mirrored = false;
  if (!inPlan() || !objectFrame(mirrored)) return;
  const std::int64_t columns = data.cols > 1 ? data.cols : 1;
  const std::int64_t rows = data.rows > 1 ? data.rows : 1;
  if (columns * rows > kMaxInsertArray) {
    skippedNow_ = true;
    if (sink_.skipped != nullptr) sink_.skipped(info_, DxfSkip::Unsupported, sink_.context);
    return;
  }
  for (std::int64_t r = 0; r < rows; ++r) {
    for (std::int64_t c = 0; c < columns; ++c) {
      // The block's base point is applied where the block is known.
      Affine map = insertAffine(point(data.ipx, data.ipy), point(0, 0), data.sx, data.sy, data.angle,
                                static_cast<double>(c) * data.colSp, static_cast<double>(r) * data.rowSp);
      if (mirrored) map = compose(kMirrorX, map);
      if (sink_.insert != nullptr) sink_.insert(info_, DxfInsert{data.name, map}, sink_.context);
    }
  }
}

void EntityAdapter::addQuad(const double* x, const double* y) {
  bool mirrored = false;
  if (!inPlan() || !objectFrame(mirrored)) return;
  // DXF orders a solid's corners 1, 2, 4, 3 round its outline.
  Figure quad{{Loop{{{point(x[0], y[0]), 0.0}, {point(x[1], y[1]), 0.0}, {point(x[3], y[3]), 0.0},
                     {point(x[2], y[2]), 0.0}},
                    true}},
              false};
  emit(info_, mirrored ? transformFigure(quad, kMirrorX, 0.0) : quad);
}

void EntityAdapter::addSolid(const DL_SolidData& data) { addQuad(data.x, data.y); }

void EntityAdapter::addTrace(const DL_TraceData& data) { addQuad(data.x, data.y); }

void EntityAdapter::addHatch(const DL_HatchData&) {
  flushPending();
  if (!inPlan() || !objectFrame(pendingMirrored_)) return;
  pendingInfo_ = info_;
  pending_ = Figure{{}, false};
  hasPending_ = true;
}

void EntityAdapter::addHatchLoop(const DL_HatchLoopData&) {
  if (hasPending_ && !pendingSpline_) pending_.loops.push_back(Loop{{}, true});
}

void EntityAdapter::addHatchEdge(const DL_HatchEdgeData& data) {
  if (!hasPending_ || pendingSpline_ || pending_.loops.empty()) return;
  std::vector<Vec2> points = edgePoints(data);
  std::vector<Vertex>& loop = pending_.loops.back().vertices;
  // Edges may run either way; each continues from the end nearer the last.
  if (!loop.empty() && points.size() > 1 &&
      squaredGap(loop.back().p, points.back()) < squaredGap(loop.back().p, points.front())) {
    std::reverse(points.begin(), points.end());
  }
  for (Vec2 p : points) {
    if (loop.empty() || squaredGap(loop.back().p, p) > 0) loop.push_back({p, 0.0});
  }
}

void EntityAdapter::endSequence() { flushPending(); }
