// timeToColor over arbitrary float bit patterns, four bytes each: every
// channel a number from 0 to 1; NaN and times up to 0 s the bottom colour,
// 300 s and more the top colour; in between, each channel lies between the
// colours of the two breakpoints around the time (give or take rounding).
#include <cmath>
#include <cstring>

#include "color/color.h"
#include "fuzz_common.h"

namespace {

bool sameColor(const ColorRGB& a, const ColorRGB& b) {
  return a.red == b.red && a.green == b.green && a.blue == b.blue;
}

bool channelOk(float c) { return !std::isnan(c) && c >= 0.0f && c <= 1.0f; }

// The interpolation rounds hi - lo before adding lo back, so at a segment's
// end a channel may pass the breakpoint colour by an ulp or two.
constexpr float kRoundingSlack = 1e-6f;

bool between(float c, float a, float b) {
  return c >= std::fmin(a, b) - kRoundingSlack && c <= std::fmax(a, b) + kRoundingSlack;
}

// The colours of the segment the time falls in, found from the time itself.
void checkInterpolated(float time, const ColorRGB& color) {
  const float v = static_cast<float>(static_cast<double>(time) / (kScaleMaxTime - kScaleMinTime));
  int i = 0;
  while (i + 2 < kScaleStops && kScaleBreakpoints[i + 1] < v) ++i;
  const ColorRGB& lo = kScaleColors[i];
  const ColorRGB& hi = kScaleColors[i + 1];
  require(between(color.red, lo.red, hi.red) && between(color.green, lo.green, hi.green) &&
              between(color.blue, lo.blue, hi.blue),
          "colour outside its segment");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ColorRGB& bottom = kScaleColors[0];
  const ColorRGB& top = kScaleColors[kScaleStops - 1];
  for (std::size_t at = 0; at + sizeof(float) <= size; at += sizeof(float)) {
    float time = 0.0f;
    std::memcpy(&time, data + at, sizeof time);
    const ColorRGB color = timeToColor(time);
    require(channelOk(color.red) && channelOk(color.green) && channelOk(color.blue),
            "channel not in 0..1");
    if (std::isnan(time) || time <= 0.0f) {
      require(sameColor(color, bottom), "NaN or a time up to 0 s is not the bottom colour");
    } else if (time >= kScaleMaxTime) {
      require(sameColor(color, top), "300 s or more is not the top colour");
    } else {
      checkInterpolated(time, color);
    }
  }
  return 0;
}
