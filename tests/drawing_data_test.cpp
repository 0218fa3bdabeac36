#include <cstring>

#include "draw/draw.h"
#include "scene_fixture.h"

namespace {

using QuadBuffers = SceneTest;

const float* vertexSlot(CellId i) { return quadVertexBuffer + i * kQuadVertexFloats; }
const float* colorSlot(CellId i) { return quadColorBuffer + i * kQuadColorFloats; }

void expectBounds(const ViewBounds& b, double left, double right, double bottom, double top,
                  double eps = 1e-3) {
  EXPECT_NEAR(b.left, left, eps);
  EXPECT_NEAR(b.right, right, eps);
  EXPECT_NEAR(b.bottom, bottom, eps);
  EXPECT_NEAR(b.top, top, eps);
}

}  // namespace

TEST_F(QuadBuffers, CornersRunCounterClockwiseFromUpperRight) {
  readMeshText(kHeader + meshRecord(kMaxCellId, -1, -1, -1, -1, 5, 3));
  fillQuadVertices();
  const float expected[] = {10, 6, 8, 6, 8, 4, 10, 4};
  EXPECT_EQ(std::memcmp(vertexSlot(kMaxCellId), expected, sizeof expected), 0);
}

TEST_F(QuadBuffers, UnnamedSlotsCoverNothingAndSlotZeroStaysZero) {
  readMeshText(kHeader + meshRecord(2, -1, -1, -1, -1, 1, 1));
  fillQuadVertices();
  for (CellId i : {1, 3, kMaxCellId}) {
    const float* v = vertexSlot(i);
    for (int k = 2; k < kQuadVertexFloats; k += 2) {
      EXPECT_EQ(v[k], v[0]) << i;
      EXPECT_EQ(v[k + 1], v[1]) << i;
    }
  }
  EXPECT_EQ(vertexSlot(2)[4], 0.0f);  // cell 2 at column 1: left edge at x 0
  for (int k = 0; k < kQuadVertexFloats; ++k) EXPECT_EQ(vertexSlot(0)[k], 0.0f);
}

TEST_F(QuadBuffers, EachCellIsOneFlatColourOfItsTime) {
  readMeshText(corridor(3));
  fillQuadVertices();
  computeTravelTimesFromText("3");
  fillQuadColors();
  for (CellId i = 1; i <= 3; ++i) {
    const ColorRGB c = timeToColor(travelTime[i]);
    for (int corner = 0; corner < kCornersPerQuad; ++corner) {
      EXPECT_EQ(colorSlot(i)[3 * corner + 0], c.red);
      EXPECT_EQ(colorSlot(i)[3 * corner + 1], c.green);
      EXPECT_EQ(colorSlot(i)[3 * corner + 2], c.blue);
    }
  }
  EXPECT_NE(colorSlot(1)[1], colorSlot(3)[1]);
}

TEST(ViewBounds, EqualQuotientsFitExactly) {
  expectBounds(mapViewBounds({770, 510}, kStartView), -15, 785, -45, 555, 1e-9);
}

TEST(ViewBounds, WideMeshFitsItsWidth) {
  expectBounds(mapViewBounds({400, 200}, kStartView), -12.658, 412.658, -59.494, 259.494);
}

TEST(ViewBounds, PanMovesByTheFitScaleWhateverTheZoom) {
  const double s = 420.0 / 790.0;
  expectBounds(mapViewBounds({400, 200}, {2, 0, 1.0}), -12.658 + 2 * s, 412.658 + 2 * s, -59.494,
               259.494);
  const ViewBounds zoomed = mapViewBounds({400, 200}, {0, -3, 2.0});
  EXPECT_NEAR(zoomed.bottom, -218.987 - 3 * s, 1e-3);
}

TEST(ViewBounds, ZoomTwoShowsTwiceAsMuch) {
  expectBounds(mapViewBounds({400, 200}, {0, 0, 2.0}), -225.316, 625.316, -218.987, 418.987);
}

TEST(ViewBounds, TallMeshFitsItsHeight) {
  const ViewBounds b = mapViewBounds({100, 510}, kStartView);
  EXPECT_NEAR(b.top - b.bottom, 600.0, 1e-9);  // s = 530 / 530
  EXPECT_NEAR(b.left, 50 - 400.0, 1e-9);
}

TEST(ViewBounds, EmptyMeshIsSmallAndCentredOnThePan) {
  const double s = 20.0 / 530.0;
  const ViewBounds b = mapViewBounds({0, 0}, {3, -1, 1.0});
  EXPECT_NEAR(b.right - b.left, 30.19, 1e-2);
  EXPECT_NEAR(b.top - b.bottom, 22.64, 1e-2);
  EXPECT_NEAR((b.left + b.right) / 2, 3 * s, 1e-12);
  EXPECT_NEAR((b.bottom + b.top) / 2, -s, 1e-12);
}

TEST(Legend, LabelsAreTheScaleEndsInMinutes) {
  char left[kLabelCapacity];
  char right[kLabelCapacity];
  composeLegendLabels(left, right);
  EXPECT_STREQ(left, "0 min");
  EXPECT_STREQ(right, "Over 5 min");
}

TEST(Legend, BarRunsOverTheWholeScale) {
  double v[kLegendVertexCount * 2];
  double c[kLegendVertexCount * 3];
  fillLegendBar(v, c);
  // Band 0: lower left, lower right, upper right, upper left.
  const double band0[] = {220, 40, 260, 40, 260, 60, 220, 60};
  for (int k = 0; k < 8; ++k) EXPECT_EQ(v[k], band0[k]);
  EXPECT_EQ(v[kLegendVertexCount * 2 - 6], 580);  // band 8's upper right x
  // Left end the bottom colour, right end the top colour.
  EXPECT_EQ(c[2], static_cast<float>(205 / 255.0));
  const ColorRGB top = kScaleColors[kScaleStops - 1];
  EXPECT_EQ(c[(kLegendVertexCount - 2) * 3], top.red);
  // Band 4 is yellow at all four corners; neighbouring bands share their edge colour.
  for (int corner = 0; corner < 4; ++corner) {
    const double* at = c + (4 * 4 + corner) * 3;
    EXPECT_NEAR(at[0], 1.0, 1e-6);
    EXPECT_NEAR(at[1], 1.0, 1e-6);
    EXPECT_NEAR(at[2], 0.0, 1e-6);
  }
  for (int band = 0; band + 1 < kLegendBands; ++band) {
    const double* rightEdge = c + (band * 4 + 1) * 3;
    const double* nextLeft = c + ((band + 1) * 4 + 0) * 3;
    EXPECT_EQ(std::memcmp(rightEdge, nextLeft, 3 * sizeof(double)), 0) << band;
  }
}
