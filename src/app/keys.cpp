#include "app/app.h"

namespace {

constexpr int kPanStep = 2;           // pan steps per key press
constexpr double kZoomStep = 0.01;    // zoom change per key press
constexpr double kZoomFloor = 0.01;   // zoom after a step that would leave almost nothing
constexpr double kZoomLeast = kZoomStep / 2;  // a zoom-in result below this takes the floor
constexpr unsigned char kEscape = 27;

void zoomIn(ViewState& view) {
  // The floor takes over only when the step leaves less than half a step:
  // values just under 0.01 that the steps accumulate are kept, while the
  // crumbs that long runs of both keys leave (1e-16 and the like, which
  // blow the view up past what the GL can draw) are not.
  const double next = view.zoom - kZoomStep;
  view.zoom = next >= kZoomLeast ? next : kZoomFloor;
}

}  // namespace

KeyCommand applyKey(unsigned char key, ViewState& view) {
  switch (key) {
    case kEscape: return KeyCommand::Quit;
    case '0':
    case 'R': view = kStartView; break;
    case '2':
    case 'i': view.panY -= kPanStep; break;
    case '8':
    case 'k': view.panY += kPanStep; break;
    case '4':
    case 'j': view.panX -= kPanStep; break;
    case '6':
    case 'l': view.panX += kPanStep; break;
    case 'W': view.zoom += kZoomStep; break;
    case 'w': zoomIn(view); break;
    case 's': return KeyCommand::Snapshot;
    default: return KeyCommand::NotAKey;
  }
  return KeyCommand::None;
}
