#include "geometry.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kMaxChordsPerTurn = 1024;

Vec2 sub(Vec2 a, Vec2 b) { return {a.x - b.x, a.y - b.y}; }
double dot(Vec2 a, Vec2 b) { return a.x * b.x + a.y * b.y; }
double cross(Vec2 a, Vec2 b) { return a.x * b.y - a.y * b.x; }
double length(Vec2 a) { return std::hypot(a.x, a.y); }

double pointSegmentDistance(Vec2 p, Vec2 a, Vec2 b) {
  const Vec2 ab = sub(b, a);
  const double len2 = dot(ab, ab);
  double t = len2 > 0 ? dot(sub(p, a), ab) / len2 : 0.0;
  t = std::clamp(t, 0.0, 1.0);
  return length(sub(p, Vec2{a.x + t * ab.x, a.y + t * ab.y}));
}

// Keeps shapes: the linear part is a turn, maybe mirrored, times one scale.
bool keepsShapes(const Affine& m) {
  const double col1 = std::hypot(m.a, m.c);
  const double col2 = std::hypot(m.b, m.d);
  const double scale = std::max(col1, col2);
  if (scale == 0) return false;
  return std::fabs(col1 - col2) <= 1e-12 * scale && std::fabs(m.a * m.b + m.c * m.d) <= 1e-12 * scale * scale;
}

double largestStretch(const Affine& m) {
  // Frobenius norm bounds the largest singular value from above.
  return std::sqrt(m.a * m.a + m.b * m.b + m.c * m.c + m.d * m.d);
}

// Points of the arc from `from` to `to` with `bulge`, `to` included, `from` not.
void appendBulge(std::vector<Vec2>& out, Vec2 from, Vec2 to, double bulge, double tolerance) {
  const Vec2 chord = sub(to, from);
  const double c = length(chord);
  if (bulge == 0 || c == 0) {
    out.push_back(to);
    return;
  }
  const double sweep = 4.0 * std::atan(bulge);  // signed, counter-clockwise positive
  const double radius = c / (2.0 * std::sin(std::fabs(sweep) / 2.0));
  // Centre on the chord's left for a counter-clockwise arc under half a turn.
  const double h = (c / 2.0) / std::tan(sweep / 2.0);
  const Vec2 centre{(from.x + to.x) / 2.0 - chord.y / c * h, (from.y + to.y) / 2.0 + chord.x / c * h};
  double step = kPi;
  if (tolerance > 0 && tolerance < radius) step = 2.0 * std::acos(1.0 - tolerance / radius);
  step = std::max(step, 2.0 * kPi / kMaxChordsPerTurn);
  const double count = std::ceil(std::fabs(sweep) / step);
  if (!std::isfinite(radius) || !std::isfinite(h) || !(count >= 1 && count <= kMaxChordsPerTurn)) {
    out.push_back(to);  // an arc too flat or too wild to cut: its chord
    return;
  }
  const int pieces = static_cast<int>(count);
  const double start = std::atan2(from.y - centre.y, from.x - centre.x);
  for (int i = 1; i < pieces; ++i) {
    const double angle = start + sweep * i / pieces;
    out.push_back({centre.x + radius * std::cos(angle), centre.y + radius * std::sin(angle)});
  }
  out.push_back(to);
}

Loop flattenedLoop(const Loop& loop, double tolerance) {
  Loop out{{}, loop.closed};
  const std::vector<Vec2> points = flattenLoop(loop, tolerance);
  const std::size_t count = loop.closed && points.size() > 1 ? points.size() - 1 : points.size();
  for (std::size_t i = 0; i < count; ++i) out.vertices.push_back({points[i], 0.0});
  return out;
}

}  // namespace

Affine identityAffine() { return {1, 0, 0, 1, 0, 0}; }

Affine compose(const Affine& o, const Affine& i) {
  return {o.a * i.a + o.b * i.c, o.a * i.b + o.b * i.d, o.c * i.a + o.d * i.c,
          o.c * i.b + o.d * i.d, o.a * i.e + o.b * i.f + o.e, o.c * i.e + o.d * i.f + o.f};
}

Vec2 apply(const Affine& m, Vec2 p) { return {m.a * p.x + m.b * p.y + m.e, m.c * p.x + m.d * p.y + m.f}; }

Affine insertAffine(Vec2 insertion, Vec2 base, double sx, double sy, double degrees, double dx,
                    double dy) {
  const double r = degrees * kPi / 180.0;
  const double cs = std::cos(r), sn = std::sin(r);
  const Affine fromBase{sx, 0, 0, sy, -sx * base.x, -sy * base.y};
  const Affine turnAndPlace{cs, -sn, sn, cs, insertion.x + cs * dx - sn * dy, insertion.y + sn * dx + cs * dy};
  return compose(turnAndPlace, fromBase);
}

Figure transformFigure(const Figure& figure, const Affine& m, double tolerance) {
  Figure out{{}, figure.point};
  const bool shapes = keepsShapes(m);
  const bool mirrored = m.a * m.d - m.b * m.c < 0;
  const double stretch = largestStretch(m);
  for (const Loop& loop : figure.loops) {
    Loop source = shapes || stretch == 0 ? loop : flattenedLoop(loop, tolerance / stretch);
    for (Vertex& v : source.vertices) {
      v.p = apply(m, v.p);
      if (mirrored) v.bulge = -v.bulge;
    }
    out.loops.push_back(std::move(source));
  }
  return out;
}

std::vector<Vec2> flattenLoop(const Loop& loop, double tolerance) {
  std::vector<Vec2> out;
  const std::vector<Vertex>& v = loop.vertices;
  if (v.empty()) return out;
  out.push_back(v[0].p);
  for (std::size_t i = 1; i < v.size(); ++i) appendBulge(out, v[i - 1].p, v[i].p, v[i - 1].bulge, tolerance);
  if (loop.closed && v.size() > 1) appendBulge(out, v.back().p, v[0].p, v.back().bulge, tolerance);
  return out;
}

Loop arcLoop(Vec2 centre, double radius, double startDegrees, double endDegrees) {
  double sweep = std::fmod(endDegrees - startDegrees, 360.0);
  if (sweep <= 0) sweep += 360.0;
  const int pieces = sweep > 180.0 ? 2 : 1;
  const double bulge = std::tan(sweep / pieces * kPi / 720.0);
  Loop loop{{}, false};
  for (int i = 0; i <= pieces; ++i) {
    const double angle = (startDegrees + sweep * i / pieces) * kPi / 180.0;
    loop.vertices.push_back({{centre.x + radius * std::cos(angle), centre.y + radius * std::sin(angle)},
                             i < pieces ? bulge : 0.0});
  }
  return loop;
}

Loop circleLoop(Vec2 centre, double radius) {
  return Loop{{{{centre.x + radius, centre.y}, 1.0}, {{centre.x - radius, centre.y}, 1.0}}, true};
}

double segmentDistance(Vec2 p1, Vec2 p2, Vec2 q1, Vec2 q2) {
  const Vec2 r = sub(p2, p1), s = sub(q2, q1);
  const double d1 = cross(r, sub(q1, p1)), d2 = cross(r, sub(q2, p1));
  const double d3 = cross(s, sub(p1, q1)), d4 = cross(s, sub(p2, q1));
  if (((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0))) return 0.0;
  return std::min(std::min(pointSegmentDistance(p1, q1, q2), pointSegmentDistance(p2, q1, q2)),
                  std::min(pointSegmentDistance(q1, p1, p2), pointSegmentDistance(q2, p1, p2)));
}

bool finiteFigure(const Figure& figure) {
  for (const Loop& loop : figure.loops) {
    for (const Vertex& v : loop.vertices) {
      if (!std::isfinite(v.p.x) || !std::isfinite(v.p.y) || !std::isfinite(v.bulge)) return false;
    }
  }
  return true;
}
