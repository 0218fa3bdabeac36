// The annotated picture with fixed-function OpenGL: a pixel projection for
// the bands, the legend and the marks, and a map projection of the same
// scale in x and y for the cells and walls, clipped to the region.
#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

#include "draw/draw.h"
#include "report.h"

namespace {

constexpr float kLabelBorderGrey = 0.45f;  // 0..1, the frame of a door's name

void colour(const ColorRGB& c) { glColor3f(c.red, c.green, c.blue); }

void pixelProjection(const ReportLayout& l) {
  glViewport(0, 0, l.width, l.height);
  glLoadIdentity();
  gluOrtho2D(0, l.width, 0, l.height);
}

void fillBox(const PixelBox& b) { glRectd(b.x0, b.y0, b.x1, b.y1); }

// A frame inside the box's edge pixels, so that it shows at any line width.
void frameBox(const PixelBox& b) {
  glBegin(GL_LINE_LOOP);
  glVertex2d(b.x0 + 0.5, b.y0 + 0.5);
  glVertex2d(b.x1 - 0.5, b.y0 + 0.5);
  glVertex2d(b.x1 - 0.5, b.y1 - 0.5);
  glVertex2d(b.x0 + 0.5, b.y1 - 0.5);
  glEnd();
}

void crossBox(const PixelBox& b) {
  glBegin(GL_LINES);
  glVertex2d(b.x0, b.y0);
  glVertex2d(b.x1, b.y1);
  glVertex2d(b.x0, b.y1);
  glVertex2d(b.x1, b.y0);
  glEnd();
}

void text(const ReportLayout& l, const PlacedText& t) {
  drawReportText(t.bold ? *l.fonts.title : *l.fonts.label, t.text, t.x, t.y);
}

// Only the pixels a box covers, whole pixels outward.
void scissorTo(const PixelBox& b) {
  const GLint x0 = static_cast<GLint>(std::floor(b.x0)), y0 = static_cast<GLint>(std::floor(b.y0));
  glScissor(x0, y0, static_cast<GLsizei>(std::ceil(b.x1)) - x0,
            static_cast<GLsizei>(std::ceil(b.y1)) - y0);
}

void drawMap(const ReportLayout& l) {
  glViewport(0, 0, l.width, l.height);
  glLoadIdentity();
  const double left = l.left - l.mapArea.x0 / l.pxPerUnit;
  const double bottom = l.bottom - l.mapArea.y0 / l.pxPerUnit;
  gluOrtho2D(left, left + l.width / l.pxPerUnit, bottom, bottom + l.height / l.pxPerUnit);
  glEnable(GL_SCISSOR_TEST);
  // The whole plan keeps the walls on its outer edge; a region ends at its
  // own cells.
  const double edge = l.wholePlan ? 1 : 0;
  scissorTo(
      PixelBox{l.mapBox.x0 - edge, l.mapBox.y0 - edge, l.mapBox.x1 + edge, l.mapBox.y1 + edge});
  drawCells();
  drawWalls();
  glDisable(GL_SCISSOR_TEST);
}

// A light frame a few px round the region.
void frameMap(const ReportLayout& l) {
  const PixelBox& b = l.mapBox;
  const double out = 3;
  glColor3f(kLabelBorderGrey, kLabelBorderGrey, kLabelBorderGrey);
  frameBox(PixelBox{std::floor(b.x0 - out), std::floor(b.y0 - out), std::ceil(b.x1 + out),
                    std::ceil(b.y1 + out)});
}

void drawDoorMarks(const ReportLayout& l, const std::vector<ReportDoor>& doors) {
  glEnable(GL_SCISSOR_TEST);
  scissorTo(l.mapArea);
  glLineWidth(2.0f);
  for (const ReportDoor& d : doors) {
    if (!doorShown(l, d)) continue;
    const PixelBox mark = doorMark(l, d);
    colour(d.blocked.empty() ? kExitColour : kBlockedColour);
    frameBox(mark);
    if (!d.blocked.empty()) crossBox(mark);
  }
  glLineWidth(1.0f);
  for (std::size_t i = 0; i < l.doorLabels.size(); ++i) {
    const PixelBox& b = l.doorLabelBoxes[i];
    glColor3f(1, 1, 1);
    fillBox(b);
    glColor3f(kLabelBorderGrey, kLabelBorderGrey, kLabelBorderGrey);
    frameBox(b);
    glColor3f(0, 0, 0);
    text(l, l.doorLabels[i]);
  }
  glDisable(GL_SCISSOR_TEST);
}

// The window's scale between its stops, stretched over the bar: smooth
// shading between two stops is the scale's own linear step.
void drawBar(const ReportLayout& l) {
  const PixelBox& b = l.barBox;
  glShadeModel(GL_SMOOTH);
  glBegin(GL_QUADS);
  for (int k = 0; k + 1 < kScaleStops; ++k) {
    const double x0 = b.x0 + (b.x1 - b.x0) * kScaleBreakpoints[k];
    const double x1 = b.x0 + (b.x1 - b.x0) * kScaleBreakpoints[k + 1];
    colour(kScaleColors[k]);
    glVertex2d(x0, b.y0);
    colour(kScaleColors[k + 1]);
    glVertex2d(x1, b.y0);
    glVertex2d(x1, b.y1);
    colour(kScaleColors[k]);
    glVertex2d(x0, b.y1);
  }
  glEnd();
  glColor3f(0, 0, 0);
  frameBox(b);
  glBegin(GL_LINES);
  for (const LegendTick& t : l.ticks) {
    const double x = std::floor(t.x) + 0.5;
    glVertex2d(x, b.y0);
    glVertex2d(x, b.y0 - 4);
  }
  glEnd();
}

void drawSwatches(const ReportLayout& l) {
  for (const LegendSwatch& s : l.swatches) {
    colour(s.mark == LegendSwatch::Mark::Blocked ? kBlockedFill : s.colour);
    fillBox(s.box);
    glColor3f(0, 0, 0);
    if (s.mark != LegendSwatch::Mark::Fill) colour(s.colour);
    glLineWidth(s.mark == LegendSwatch::Mark::Fill ? 1.0f : 2.0f);
    frameBox(s.box);
    if (s.mark == LegendSwatch::Mark::Blocked) crossBox(s.box);
    glLineWidth(1.0f);
    glColor3f(0, 0, 0);
    text(l, s.words);
  }
}

void drawScaleBar(const ReportLayout& l) {
  const PixelBox& b = l.scaleBar;
  const double y = std::floor(b.y0) + 0.5;
  glColor3f(0, 0, 0);
  glLineWidth(2.0f);
  glBegin(GL_LINES);
  glVertex2d(b.x0, y);
  glVertex2d(b.x1, y);
  glVertex2d(b.x0 + 1, y - 4);
  glVertex2d(b.x0 + 1, y + 4);
  glVertex2d(b.x1 - 1, y - 4);
  glVertex2d(b.x1 - 1, y + 4);
  glEnd();
  glLineWidth(1.0f);
}

}  // namespace

void drawReport(const ReportLayout& l, const std::vector<ReportDoor>& doors) {
  glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  drawMap(l);
  pixelProjection(l);
  frameMap(l);
  drawDoorMarks(l, doors);
  if (l.bar) drawBar(l);
  drawSwatches(l);
  drawScaleBar(l);
  glColor3f(0, 0, 0);
  for (const PlacedText& t : l.texts) text(l, t);
  glFlush();
}
