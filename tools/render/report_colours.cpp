// Cell colours of an annotated picture. The scale is the window's own
// (timeToColor), stretched so that its top colour falls at the chosen end;
// a limit replaces it by two colours. Unreached cells get a colour of
// their own in both, where the window shows them as the scale's top.
#include "draw/draw.h"
#include "report.h"

ColorRGB reportTimeColour(float seconds, const ReportOptions& options) {
  if (seconds == kUnreachedTime) return kUnreachedColour;
  if (options.limitGiven) return seconds <= options.limit ? kWithinColour : kOverColour;
  const double stretched = static_cast<double>(seconds) * (kScaleMaxTime / options.scaleMax);
  return timeToColor(static_cast<float>(stretched));
}

namespace {

void paint(CellId c, const ColorRGB& colour) {
  float* slot = quadColorBuffer + c * kQuadColorFloats;
  for (int corner = 0; corner < kCornersPerQuad; ++corner) {
    slot[corner * 3 + 0] = colour.red;
    slot[corner * 3 + 1] = colour.green;
    slot[corner * 3 + 2] = colour.blue;
  }
}

}  // namespace

void fillReportColours(const ReportOptions& options, const std::vector<ReportDoor>& doors) {
  for (CellId c = 1; c <= kMaxCellId; ++c) paint(c, reportTimeColour(travelTime[c], options));
  for (const ReportDoor& door : doors) {
    for (CellId c : door.cells) paint(c, kExitColour);
    for (CellId c : door.blocked) paint(c, kBlockedFill);
  }
}
