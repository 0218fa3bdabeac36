// Drawing: the cell and wall layers, the map view and the legend panel. The
// buffers and the view arithmetic are plain computation; the routines marked
// "GL" need a current OpenGL context and nothing of a window system, so the
// window and the offscreen renderer draw with the very same code.
#pragma once

#include "color/color.h"
#include "scene/scene.h"

constexpr int kWindowWidth = 800;   // px, the window as created; the panel's coordinate range
constexpr int kWindowHeight = 600;  // px

// The map viewport, a fixed rectangle whatever the window's size.
constexpr int kMapViewportX = 5;                                     // px from the window's left
constexpr int kMapViewportY = 65;                                    // px from the window's bottom
constexpr int kMapViewportWidth = kWindowWidth - 2 * kMapViewportX;  // px, 790
constexpr int kMapViewportHeight = kWindowHeight - kMapViewportY - kMapViewportX;  // px, 530
static_assert(kMapViewportWidth == 790 && kMapViewportHeight == 530);

constexpr int kCornersPerQuad = 4;
constexpr int kQuadVertexFloats = kCornersPerQuad * 2;  // x, y per corner
constexpr int kQuadColorFloats = kCornersPerQuad * 3;   // red, green, blue per corner
constexpr int kDrawnVertexCount = kCornersPerQuad * kMaxCellId;  // cells 1..kMaxCellId

// Slot i holds cell i's corners, upper right, upper left, lower left, lower
// right (counter-clockwise, y up), or four times one point for a slot that no
// mesh record named, so that it covers nothing. Slot 0 stays zero.
using QuadVertexBuffer = float[kSlotCount * kQuadVertexFloats];
extern QuadVertexBuffer quadVertexBuffer;  // map units
// Slot i holds cell i's colour once per corner, so each quad is flat.
using QuadColorBuffer = float[kSlotCount * kQuadColorFloats];
extern QuadColorBuffer quadColorBuffer;  // 0..1 per channel

// The view as the keyboard leaves it.
struct ViewState {
  int panX, panY;  // pan steps; one step is one map unit per viewport pixel of the fit
  double zoom;     // multiplier of the visible half-size; above 1 shows more, smaller
};
constexpr ViewState kStartView = {0, 0, 1.0};
extern ViewState viewState;  // pan steps and zoom factor; the view every frame draws

// The visible map rectangle, in map units.
struct ViewBounds {
  double left, right, bottom, top;
};

// Needs the cell table read; leaves every slot's corners in quadVertexBuffer.
void fillQuadVertices();

// Needs the travel times final; leaves every slot's colour in quadColorBuffer.
void fillQuadColors();

// Pure: the rectangle the map view shows for this extent and view.
ViewBounds mapViewBounds(const MeshExtent& extent, const ViewState& view);

// The legend bar: nine bands of four corners, lower left, lower right, upper
// right, upper left, in panel pixels, and their colours from the scale.
constexpr int kLegendBands = kScaleStops - 1;
constexpr int kLegendVertexCount = kLegendBands * kCornersPerQuad;

// Pure: leaves the bar's corners (x, y) and colours (r, g, b) in the arrays.
void fillLegendBar(double vertices[kLegendVertexCount * 2], double colors[kLegendVertexCount * 3]);

// Legend label texts and where their baselines start, in panel pixels.
constexpr double kLeftLabelX = 200, kRightLabelX = 525, kLabelY = 20;

// Pure: leaves "0 min" and "Over 5 min", composed from the scale's ends in
// minutes, in the buffers, each of at least kLabelCapacity chars.
constexpr int kLabelCapacity = 32;
void composeLegendLabels(char left[kLabelCapacity], char right[kLabelCapacity]);

// GL: draws `text` from the current raster position in the legend's font
// (Times Roman 24 bitmaps). The window draws them with GLUT's font; a
// renderer without a window brings the same glyphs its own way.
using LabelGlyphs = void (*)(const char* text);

// GL: clears the whole window grey and draws the legend bar and labels;
// leaves the panel's viewport and projection set.
void drawLegend(LabelGlyphs glyphs);

// GL: sets the map viewport and the view transform of viewState and paints
// the white backdrop; the cell and wall layers draw in what it leaves.
void setMapView();

// GL, in the map view: the coloured cell quads.
void drawCells();

// GL, in the map view: the walls as black lines over the cells.
void drawWalls();

// GL: one whole picture into the current draw buffer: legend, map view,
// cells, walls, in that order. Needs the quad buffers filled.
void drawFrame(LabelGlyphs glyphs);
