#include <cstdio>

#include "draw/draw.h"

namespace {

constexpr double kBarLeft = 220, kBarBottom = 40;  // panel px
constexpr double kBandWidth = 40, kBandHeight = 20;  // panel px

// Stop i sits at band edge i and carries the colour of time Ti.
float stopTime(int i) {
  if (i == 0) return static_cast<float>(kScaleMinTime);
  if (i == kLegendBands) return static_cast<float>(kScaleMaxTime);
  return static_cast<float>(i * (kScaleMaxTime - kScaleMinTime) / kLegendBands + kScaleMinTime);
}

void putColor(double* at, const ColorRGB& c) {
  at[0] = c.red;
  at[1] = c.green;
  at[2] = c.blue;
}

}  // namespace

void fillLegendBar(double vertices[kLegendVertexCount * 2], double colors[kLegendVertexCount * 3]) {
  ColorRGB stops[kScaleStops];
  for (int i = 0; i < kScaleStops; ++i) stops[i] = timeToColor(stopTime(i));
  for (int k = 0; k < kLegendBands; ++k) {
    const double x0 = kBarLeft + kBandWidth * k;
    const double x1 = x0 + kBandWidth;
    const double y1 = kBarBottom + kBandHeight;
    const double corners[kCornersPerQuad * 2] = {x0, kBarBottom, x1, kBarBottom, x1, y1, x0, y1};
    for (int j = 0; j < kCornersPerQuad * 2; ++j) vertices[k * kCornersPerQuad * 2 + j] = corners[j];
    // Left corners (first and fourth) take the band's left stop, so the
    // smooth shading draws one continuous gradient across the bar.
    double* c = colors + k * kCornersPerQuad * 3;
    putColor(c + 0, stops[k]);
    putColor(c + 3, stops[k + 1]);
    putColor(c + 6, stops[k + 1]);
    putColor(c + 9, stops[k]);
  }
}

void composeLegendLabels(char left[kLabelCapacity], char right[kLabelCapacity]) {
  std::snprintf(left, kLabelCapacity, "%.0f min", kScaleMinTime / kSecondsPerMinute);
  std::snprintf(right, kLabelCapacity, "Over %.0f min", kScaleMaxTime / kSecondsPerMinute);
}
