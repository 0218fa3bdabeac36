// img2plan's palette and the reading of a picture held in memory.
#include <gtest/gtest.h>

#include "img2plan.h"

namespace {

TEST(Palette, ReadsExactNearBlendedAndUnknownColours) {
  const Palette palette = defaultPalette();
  const struct {
    Rgb colour;
    CellKind kind;
    PixelRead how;
  } cases[] = {
      {{255, 255, 255}, CellKind::Floor, PixelRead::Exact},
      {{240, 250, 245}, CellKind::Floor, PixelRead::Near},
      {{204, 204, 255}, CellKind::Floor, PixelRead::Blend},     // a fifth of the way to blue
      {{51, 51, 255}, CellKind::Platform, PixelRead::Blend},    // four fifths of the way
      {{0, 160, 0}, CellKind::Exit, PixelRead::Blend},          // green darkened towards black
      {{0, 90, 0}, CellKind::Rock, PixelRead::Blend},
      {{200, 30, 40}, CellKind::Rock, PixelRead::Unknown},
  };
  for (const auto& k : cases) {
    PixelRead how = PixelRead::Exact;
    EXPECT_EQ(readPixel(palette, k.colour, how), k.kind) << colourText(k.colour);
    EXPECT_EQ(how, k.how) << colourText(k.colour);
  }
  Rgb c{};
  EXPECT_TRUE(parseColour("#C81e28", c));
  EXPECT_EQ(colourText(c), "#C81E28");
  EXPECT_FALSE(parseColour("C81E28", c));
  EXPECT_FALSE(parseColour("#C81E2G", c));
}

TEST(Picture, RowsTurnOverAndStrayColoursAreCounted) {
  // 3 by 2, top row first: white, green, stray; stray, blue, transparent.
  Picture picture{3, 2, {255, 255, 255, 255, 0, 255, 0, 255, 200, 30, 40, 255,
                         200, 30, 40, 255, 0, 0, 255, 255, 255, 255, 255, 0}};
  const PictureSummary s = convertPicture(picture, defaultPalette());
  EXPECT_EQ(s.plan.kinds, (std::vector<CellKind>{CellKind::Rock, CellKind::Platform, CellKind::Rock,
                                                 CellKind::Floor, CellKind::Exit, CellKind::Rock}));
  EXPECT_EQ(s.transparent, 1);
  ASSERT_EQ(s.unknown.size(), 1u);
  EXPECT_EQ(s.unknown[0].pixels, 2);
  EXPECT_EQ(s.unknown[0].x, 2);
  EXPECT_EQ(s.unknown[0].y, 0);
  EXPECT_EQ(planText(s.plan, {}), ".E\n p\n");
}

}  // namespace
