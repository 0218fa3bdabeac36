// Plane geometry for turning drawing entities into plan cells: points,
// the affine maps of block references, arcs given as polyline bulges, and
// the distance and inside tests the rasteriser needs. Pure; no files.
#pragma once

#include <cstdint>
#include <vector>

struct Vec2 {
  double x, y;  // drawing units or metres, as the caller says
};

// x' = a x + b y + e, y' = c x + d y + f.
struct Affine {
  double a, b, c, d;  // linear part
  double e, f;        // translation, in the target's units
};

// A polyline vertex; `bulge` shapes the stretch to the next vertex as in
// DXF: tan(a quarter of the arc's included angle), positive for a
// counter-clockwise arc, 0 for a straight stretch.
struct Vertex {
  Vec2 p;
  double bulge;
};

struct Loop {
  std::vector<Vertex> vertices;  // at least one
  bool closed;                   // the last vertex joins the first (with its bulge)
};

// One entity's geometry: a line or polyline is one loop, a hatch one loop
// a boundary path, a point a loop of one vertex.
struct Figure {
  std::vector<Loop> loops;
  bool point;  // a POINT: marks the cell it lies in
};

Affine identityAffine();

// Pure: the map that applies `inner` first, then `outer`.
Affine compose(const Affine& outer, const Affine& inner);

// Pure: `a` applied to `p`.
Vec2 apply(const Affine& a, Vec2 p);

// Pure: the map of a block reference: the block's base point goes to the
// insertion point, scaled by sx, sy, turned by `degrees` counter-clockwise,
// and the array copy at column offset `dx`, row offset `dy` (unscaled,
// along the turned axes).
Affine insertAffine(Vec2 insertion, Vec2 base, double sx, double sy, double degrees, double dx,
                    double dy);

// Pure: `figure` mapped by `a`. Arcs stay arcs under a map that keeps
// shapes (turns, mirrors, one scale); under any other they are first cut
// into chords no farther than `tolerance` (target units) from the arc.
Figure transformFigure(const Figure& figure, const Affine& a, double tolerance);

// Pure: the loop as straight stretches: its vertices, with each arc cut
// into chords that stay within `tolerance` of it (at most 1,024 a turn);
// a closed loop repeats its first point at the end.
std::vector<Vec2> flattenLoop(const Loop& loop, double tolerance);

// Pure: an arc from `start` to `end` degrees counter-clockwise around
// `centre` as an open loop, cut into vertices at most half a turn apart.
Loop arcLoop(Vec2 centre, double radius, double startDegrees, double endDegrees);

// Pure: a circle as a closed loop of two half-circle bulges.
Loop circleLoop(Vec2 centre, double radius);

// Pure: the smallest distance between segments p1-p2 and q1-q2 (0 when
// they cross or touch).
double segmentDistance(Vec2 p1, Vec2 p2, Vec2 q1, Vec2 q2);

// Pure: true when every coordinate and bulge of `figure` is finite.
bool finiteFigure(const Figure& figure);
