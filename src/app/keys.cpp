#include "app/app.h"

namespace {

constexpr int kPanStep = 2;           // pan steps per key press
constexpr double kZoomStep = 0.01;    // zoom change per key press
constexpr double kZoomFloor = 0.01;   // zoom after a step that would reach 0 or below
constexpr unsigned char kEscape = 27;

void zoomIn(ViewState& view) {
  // The floor takes over only when the step would reach zero or below, so
  // values just under 0.01 that the steps accumulate are kept.
  const double next = view.zoom - kZoomStep;
  view.zoom = next > 0.0 ? next : kZoomFloor;
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
    default: break;
  }
  return KeyCommand::None;
}
