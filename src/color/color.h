// The travel-time colour scale: the one way a time becomes a colour, shared
// by the cells and the legend so that the two always agree.
#pragma once

struct ColorRGB {
  float red, green, blue;  // each 0..1
};

constexpr double kScaleMinTime = 0.0;    // s, left end of the scale (dark blue)
constexpr double kScaleMaxTime = 300.0;  // s, right end; this and longer show the top colour
constexpr int kScaleStops = 10;          // breakpoints, nine equal segments between them

// Normalised breakpoint positions 0, 1/9, ..., 1 and their colours; the last
// colour is the top colour of times from kScaleMaxTime up and of unreached cells.
extern const float kScaleBreakpoints[kScaleStops];
extern const ColorRGB kScaleColors[kScaleStops];

// Pure: the colour of a time in seconds. Negative times and NaN give the
// bottom colour, kScaleMaxTime and above the top colour.
ColorRGB timeToColor(float time);
