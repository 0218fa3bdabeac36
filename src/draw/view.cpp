#include "draw/draw.h"

ViewState viewState = kStartView;

namespace {

constexpr double kViewMargin = 20.0;                  // map units added to each extent
constexpr double kHalfWidth = kWindowWidth / 2.0;     // px; the view keeps the window's shape
constexpr double kHalfHeight = kWindowHeight / 2.0;   // px

}  // namespace

// The fit keeps the 800:600 proportions of the window while the viewport is
// 790:530, so cells show about 1.118 times as wide as tall; users' pan and
// zoom positions depend on these exact figures, so they stay.
ViewBounds mapViewBounds(const MeshExtent& extent, const ViewState& view) {
  const double fitX = (extent.maxX + kViewMargin) / kMapViewportWidth;
  const double fitY = (extent.maxY + kViewMargin) / kMapViewportHeight;
  const double s = fitX > fitY ? fitX : fitY;  // map units per viewport pixel
  const double hx = s * kHalfWidth * view.zoom;
  const double hy = s * kHalfHeight * view.zoom;
  return ViewBounds{extent.maxX * 0.5 - hx + view.panX * s, extent.maxX * 0.5 + hx + view.panX * s,
                    extent.maxY * 0.5 - hy + view.panY * s, extent.maxY * 0.5 + hy + view.panY * s};
}
