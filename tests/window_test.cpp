// One frame in a real window, read back from the back buffer as the
// snapshot reads it. Needs an X display; scripts/test provides Xvfb.
#include <GL/glut.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "app/app.h"
#include "scene_fixture.h"

namespace {

constexpr int kColumns = 5, kRows = 3;
constexpr int kRockColumn = 3, kRockRow = 2;  // no cell here
constexpr int kLevelTolerance = 2;            // llvmpipe rounds within a level or two

int cellAt(int column, int row) { return (row - 1) * kColumns + column; }
bool isRock(int column, int row) { return column == kRockColumn && row == kRockRow; }
int neighbour(int column, int row) {
  if (column < 1 || column > kColumns || row < 1 || row > kRows || isRock(column, row)) return -1;
  return cellAt(column, row);
}

// A 5 by 3 floor with one hole, the exit at the lower left and a thin wall
// on the left side of cell (2, 1): the asymmetry shows swapped axes.
std::string smallPlan() {
  std::string text = kHeader;
  for (int r = 1; r <= kRows; ++r) {
    for (int c = 1; c <= kColumns; ++c) {
      if (isRock(c, r)) continue;
      const int leftWall = c == 2 && r == 1 ? 1 : 0;
      text += meshRecord(cellAt(c, r), neighbour(c + 1, r), neighbour(c, r - 1), neighbour(c - 1, r),
                         neighbour(c, r + 1), c, r, leftWall);
    }
  }
  return text;
}

struct Rgb {
  int r, g, b;
};

class OneFrame : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    loadSceneFromText(smallPlan(), "1");
    viewState = kStartView;
    onDisplay();
    glFinish();
    pixels_.resize(kWindowWidth * kWindowHeight * 4);
    glReadPixels(0, 0, kWindowWidth, kWindowHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels_.data());
    bounds_ = mapViewBounds(meshExtent, viewState);
  }

  Rgb pixel(int x, int y) const {
    const unsigned char* p = &pixels_[(y * kWindowWidth + x) * 4];
    return Rgb{p[0], p[1], p[2]};
  }

  // Window pixel of a map point, through the view transform.
  int toPixelX(double x) const {
    return kMapViewportX +
           static_cast<int>(std::floor((x - bounds_.left) / (bounds_.right - bounds_.left) *
                                       kMapViewportWidth));
  }
  int toPixelY(double y) const {
    return kMapViewportY +
           static_cast<int>(std::floor((y - bounds_.bottom) / (bounds_.top - bounds_.bottom) *
                                       kMapViewportHeight));
  }
  Rgb mapPixel(double x, double y) const { return pixel(toPixelX(x), toPixelY(y)); }

  std::vector<unsigned char> pixels_;
  ViewBounds bounds_{};
};

void expectRgb(const Rgb& got, int r, int g, int b) {
  EXPECT_NEAR(got.r, r, kLevelTolerance);
  EXPECT_NEAR(got.g, g, kLevelTolerance);
  EXPECT_NEAR(got.b, b, kLevelTolerance);
}

void expectColor(const Rgb& got, const ColorRGB& c) {
  expectRgb(got, std::lround(c.red * 255), std::lround(c.green * 255), std::lround(c.blue * 255));
}

constexpr int kGrey = 204;  // 0.8 of 255

}  // namespace

TEST_F(OneFrame, EveryCellCentreShowsTheColourOfItsTime) {
  for (int r = 1; r <= kRows; ++r) {
    for (int c = 1; c <= kColumns; ++c) {
      SCOPED_TRACE(::testing::Message() << "column " << c << " row " << r);
      const Rgb got = mapPixel(2.0 * c - 1, 2.0 * r - 1);
      if (isRock(c, r)) {
        expectRgb(got, 255, 255, 255);
      } else {
        expectColor(got, timeToColor(travelTime[cellAt(c, r)]));
      }
    }
  }
  // The exit is dark blue and the cell behind the thin wall is far: both
  // known colours, not only "whatever the table says".
  expectRgb(mapPixel(1, 1), 0, 0, 205);
  EXPECT_EQ(travelTime[cellAt(2, 1)], 12.0f);
}

TEST_F(OneFrame, WallsAreBlackLinesOnTop) {
  // The thin wall at x = 2 between rows 0 and 2, half-way up.
  const int y = toPixelY(1.0);
  bool black = false;
  for (int x = toPixelX(2.0) - 1; x <= toPixelX(2.0) + 1; ++x) {
    const Rgb p = pixel(x, y);
    black = black || (p.r == 0 && p.g == 0 && p.b == 0);
  }
  EXPECT_TRUE(black);
  // No wall between cells (2, 3) and (3, 3): the fill runs through.
  const Rgb inside = mapPixel(4.0, 5.0);
  EXPECT_FALSE(inside.r == 0 && inside.g == 0 && inside.b == 0);
}

TEST_F(OneFrame, BackdropViewportAndPanel) {
  expectRgb(mapPixel(bounds_.left + 1, bounds_.top - 1), 255, 255, 255);  // backdrop
  // No phantom square of unnamed slots from (-2, -2) to (0, 0).
  expectRgb(mapPixel(-1.0, -1.0), 255, 255, 255);
  // The viewport's edges: 790 by 530 from (5, 65), grey around it.
  const int midY = 300;
  expectRgb(pixel(4, midY), kGrey, kGrey, kGrey);
  expectRgb(pixel(5, midY), 255, 255, 255);
  expectRgb(pixel(794, midY), 255, 255, 255);
  expectRgb(pixel(795, midY), kGrey, kGrey, kGrey);
  expectRgb(pixel(400, 64), kGrey, kGrey, kGrey);
  expectRgb(pixel(20, 65), 255, 255, 255);
  expectRgb(pixel(20, 594), 255, 255, 255);
  expectRgb(pixel(20, 595), kGrey, kGrey, kGrey);
  expectRgb(pixel(2, 2), kGrey, kGrey, kGrey);
}

TEST_F(OneFrame, LegendBarAndLabels) {
  expectRgb(pixel(220, 50), 0, 0, 205);        // left end: bottom colour
  expectRgb(pixel(579, 50), 129, 0, 0);        // right end: nearly the top colour
  expectRgb(pixel(219, 50), kGrey, kGrey, kGrey);
  expectRgb(pixel(580, 50), kGrey, kGrey, kGrey);
  for (int x = 381; x < 420; x += 6) expectRgb(pixel(x, 50), 255, 255, 0);  // plain yellow
  expectRgb(pixel(400, 39), kGrey, kGrey, kGrey);
  expectRgb(pixel(400, 60), kGrey, kGrey, kGrey);

  auto blackIn = [&](int x0, int x1) {
    int count = 0;
    for (int y = 15; y < 40; ++y) {
      for (int x = x0; x < x1; ++x) {
        const Rgb p = pixel(x, y);
        count += p.r == 0 && p.g == 0 && p.b == 0 ? 1 : 0;
      }
    }
    return count;
  };
  EXPECT_GT(blackIn(200, 260), 20);   // "0 min"
  EXPECT_GT(blackIn(525, 640), 40);   // "Over 5 min"
  EXPECT_EQ(blackIn(100, 195), 0);    // nothing left of the labels
  EXPECT_EQ(blackIn(290, 520), 0);    // nothing between them
}

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  openWindow(argc, argv);
  return RUN_ALL_TESTS();
}
