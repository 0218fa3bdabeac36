// Everything here draws with fixed-function OpenGL into the current context.
// The matrix mode is never changed, so glLoadIdentity and gluOrtho2D act on
// the model-view matrix and the projection stays the identity.
#include <GL/gl.h>
#include <GL/glu.h>

#include "draw/draw.h"

namespace {

constexpr float kPanelGrey = 0.8f;  // 0..1, the panel around and under the map

void drawLabel(LabelGlyphs glyphs, const char* text, double x, double y) {
  glColor3d(0, 0, 0);  // before the raster position, which takes the current colour
  glRasterPos2d(x, y);
  glyphs(text);
}

}  // namespace

void drawLegend(LabelGlyphs glyphs) {
  glClearColor(kPanelGrey, kPanelGrey, kPanelGrey, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glViewport(0, 0, kWindowWidth, kWindowHeight);
  glLoadIdentity();
  gluOrtho2D(0, kWindowWidth, 0, kWindowHeight);

  double vertices[kLegendVertexCount * 2];
  double colors[kLegendVertexCount * 3];
  fillLegendBar(vertices, colors);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  glVertexPointer(2, GL_DOUBLE, 0, vertices);
  glColorPointer(3, GL_DOUBLE, 0, colors);
  glDrawArrays(GL_QUADS, 0, kLegendVertexCount);
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);

  char left[kLabelCapacity];
  char right[kLabelCapacity];
  composeLegendLabels(left, right);
  drawLabel(glyphs, left, kLeftLabelX, kLabelY);
  drawLabel(glyphs, right, kRightLabelX, kLabelY);
  glFlush();
}

void setMapView() {
  const ViewBounds b = mapViewBounds(meshExtent, viewState);
  glViewport(kMapViewportX, kMapViewportY, kMapViewportWidth, kMapViewportHeight);
  glLoadIdentity();
  gluOrtho2D(b.left, b.right, b.bottom, b.top);

  const double backdrop[] = {b.left, b.bottom, b.right, b.bottom, b.right, b.top, b.left, b.top};
  glColor3f(1, 1, 1);
  glEnableClientState(GL_VERTEX_ARRAY);
  glVertexPointer(2, GL_DOUBLE, 0, backdrop);
  glDrawArrays(GL_POLYGON, 0, 4);
  glDisableClientState(GL_VERTEX_ARRAY);
}

void drawCells() {
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  // Slot 0 is never drawn: both arrays start at slot 1.
  glVertexPointer(2, GL_FLOAT, 0, quadVertexBuffer + kQuadVertexFloats);
  glColorPointer(3, GL_FLOAT, 0, quadColorBuffer + kQuadColorFloats);
  glDrawArrays(GL_QUADS, 0, kDrawnVertexCount);
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
  glFlush();
}

namespace {

// Corner k of cell i as stored, k = 0..3 (upper right, upper left, lower left, lower right).
void cornerVertex(CellId i, int k) {
  const float* slot = quadVertexBuffer + i * kQuadVertexFloats;
  glVertex2f(slot[2 * k], slot[2 * k + 1]);
}

void wallLine(CellId i, std::int32_t flag, int fromCorner) {
  if (flag != 1) return;
  cornerVertex(i, fromCorner);
  cornerVertex(i, (fromCorner + 1) % kCornersPerQuad);
}

}  // namespace

void drawWalls() {
  glBegin(GL_LINES);
  glColor3f(0, 0, 0);
  for (CellId i = 1; i <= kMaxCellId; ++i) {
    const WallFlags& w = walls[i];
    wallLine(i, w.top, 0);     // upper right to upper left
    wallLine(i, w.left, 1);    // upper left to lower left
    wallLine(i, w.bottom, 2);  // lower left to lower right
    wallLine(i, w.right, 3);   // lower right to upper right
  }
  glEnd();
  glFlush();
}

void drawFrame(LabelGlyphs glyphs) {
  drawLegend(glyphs);
  setMapView();
  drawCells();
  drawWalls();
}
