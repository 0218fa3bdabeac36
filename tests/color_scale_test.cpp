#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "color/color.h"
#include "scene/scene.h"

namespace {

constexpr float kEps = 1e-6f;  // a few single-precision steps around 1

void expectColor(const ColorRGB& c, float r, float g, float b, float eps = kEps) {
  EXPECT_NEAR(c.red, r, eps);
  EXPECT_NEAR(c.green, g, eps);
  EXPECT_NEAR(c.blue, b, eps);
}

float level(int n) { return static_cast<float>(n / 255.0); }

}  // namespace

TEST(ColorScale, BottomColourForZeroNegativeAndNaN) {
  for (float t : {0.0f, -0.0f, -1.0f, -1e30f, -std::numeric_limits<float>::infinity(),
                  std::numeric_limits<float>::quiet_NaN()}) {
    const ColorRGB c = timeToColor(t);
    EXPECT_EQ(c.red, 0.0f) << t;
    EXPECT_EQ(c.green, 0.0f) << t;
    EXPECT_EQ(c.blue, level(205)) << t;
  }
}

TEST(ColorScale, EachBreakpointShowsItsTableColour) {
  const int rgb[9][3] = {{0, 0, 205},   {0, 80, 255},  {0, 240, 110}, {90, 255, 30}, {255, 255, 0},
                         {255, 255, 0}, {255, 170, 0}, {255, 85, 0},  {255, 0, 0}};
  for (int k = 0; k < 9; ++k) {
    SCOPED_TRACE(k);
    const float t = static_cast<float>(k * 300.0 / 9.0);
    expectColor(timeToColor(t), level(rgb[k][0]), level(rgb[k][1]), level(rgb[k][2]));
  }
}

TEST(ColorScale, BreakpointBelongsToTheSegmentBelow) {
  // 100 s is exactly breakpoint 3 and is reached through segment 2 with factor 1.
  expectColor(timeToColor(100.0f), level(90), 1.0f, level(30));
  EXPECT_EQ(kScaleBreakpoints[0], 0.0f);
  EXPECT_EQ(kScaleBreakpoints[9], 1.0f);
}

TEST(ColorScale, YellowBandIsPlain) {
  for (float t : {133.34f, 140.0f, 150.0f, 160.0f, 166.66f}) {
    expectColor(timeToColor(t), 1.0f, 1.0f, 0.0f);
  }
}

TEST(ColorScale, MidSegmentBlends) {
  expectColor(timeToColor(250.0f), 1.0f, 85.0f / 510.0f, 0.0f);
  // Segment 1, halfway between (0, 80, 255) and (0, 240, 110).
  expectColor(timeToColor(50.0f), 0.0f, level(160), (1.0f + level(110)) / 2, 1e-5f);
}

TEST(ColorScale, TopColourFromThreeHundredSecondsAndForUnreachedCells) {
  const ColorRGB top = kScaleColors[kScaleStops - 1];
  EXPECT_EQ(top.red, level(128));
  EXPECT_EQ(top.green, 0.0f);
  EXPECT_EQ(top.blue, 0.0f);
  for (float t : {300.0f, 301.0f, 448.0f, kUnreachedTime, std::numeric_limits<float>::infinity()}) {
    expectColor(timeToColor(t), top.red, top.green, top.blue, 0.0f);
  }
  // Between red at 266.67 s and the top colour: a blend, darker as time grows.
  const ColorRGB c = timeToColor(283.33f);
  EXPECT_GT(c.red, top.red);
  EXPECT_LT(c.red, 1.0f);
}

TEST(ColorScale, IsSinglePrecisionWithoutFusedMultiplyAdd) {
  // The legend's 133.33 s stop: v is a hair under 4/9, so the factor is just
  // under 1 and the result is a rounding step off pure yellow. A fused
  // multiply-add or double arithmetic would give other low bits.
  const ColorRGB c = timeToColor(static_cast<float>(4 * 300.0 / 9.0));
  EXPECT_EQ(c.red, 0.99999988f);
  EXPECT_EQ(c.green, 1.0f);
  EXPECT_GT(c.blue, 0.0f);
  EXPECT_LT(c.blue, 1e-7f);
}
