#include "color/color.h"

namespace {

constexpr float breakpoint(int k) { return static_cast<float>(k / double(kScaleStops - 1)); }

constexpr float level(int n) { return static_cast<float>(n / 255.0); }  // 8-bit level as 0..1

}  // namespace

const float kScaleBreakpoints[kScaleStops] = {
    breakpoint(0), breakpoint(1), breakpoint(2), breakpoint(3), breakpoint(4),
    breakpoint(5), breakpoint(6), breakpoint(7), breakpoint(8), breakpoint(9),
};

// Dark blue at the exits through blue, green, yellow (flat between 133 and
// 167 s) and orange to red at 267 s, then dark red from 300 s on.
const ColorRGB kScaleColors[kScaleStops] = {
    {0.0f, 0.0f, level(205)},       {0.0f, level(80), 1.0f},   {0.0f, level(240), level(110)},
    {level(90), 1.0f, level(30)},   {1.0f, 1.0f, 0.0f},        {1.0f, 1.0f, 0.0f},
    {1.0f, level(170), 0.0f},       {1.0f, level(85), 0.0f},   {1.0f, 0.0f, 0.0f},
    {level(128), 0.0f, 0.0f},
};

// The time is normalised in double and rounded once to a float; everything
// after that is single precision, one operation at a time (the build forbids
// contraction into fused multiply-adds), so every platform gives the same
// colours.
ColorRGB timeToColor(float time) {
  float v = static_cast<float>((static_cast<double>(time) - kScaleMinTime) /
                               (kScaleMaxTime - kScaleMinTime));
  if (v < 0.0f) {
    v = 0.0f;
  } else if (v >= 1.0f) {
    v = 1.0f;
  }
  // A NaN passes neither test and finds no segment below: it keeps this.
  ColorRGB result = kScaleColors[0];
  for (int i = 0; i + 1 < kScaleStops; ++i) {
    if (kScaleBreakpoints[i + 1] >= v) {
      const float f = (v - kScaleBreakpoints[i]) / (kScaleBreakpoints[i + 1] - kScaleBreakpoints[i]);
      const ColorRGB& lo = kScaleColors[i];
      const ColorRGB& hi = kScaleColors[i + 1];
      result.red = (hi.red - lo.red) * f + lo.red;
      result.green = (hi.green - lo.green) * f + lo.green;
      result.blue = (hi.blue - lo.blue) * f + lo.blue;
      break;
    }
  }
  return result;
}
