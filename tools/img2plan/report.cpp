#include <algorithm>
#include <cmath>
#include <cstdio>

#include "img2plan.h"

namespace {

std::string number(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.6g", value);
  return text;
}

std::int64_t cellCount(const PictureSummary& s) {
  std::int64_t cells = 0;
  for (CellKind kind : s.plan.kinds) cells += kind != CellKind::Rock;
  return cells;
}

std::string kindCounts(const PictureSummary& s) {
  const std::vector<std::int64_t> counts = countKinds(s.plan);
  std::string parts;
  for (int k = 1; k < kCellKindCount; ++k) {
    if (counts[k] > 0) parts += (parts.empty() ? "" : ", ") + std::to_string(counts[k]) + " " + kindWord(static_cast<CellKind>(k));
  }
  return std::to_string(cellCount(s)) + " cells" + (parts.empty() ? "" : ": " + parts);
}

std::string readLine(const char* how, const std::vector<std::int64_t>& counts) {
  std::string parts;
  for (int k = 0; k < kCellKindCount; ++k) {
    if (counts[k] > 0) parts += (parts.empty() ? "" : ", ") + std::to_string(counts[k]) + " " + kindWord(static_cast<CellKind>(k));
  }
  return parts.empty() ? std::string() : std::string("  ") + how + ": " + parts + "\n";
}

}  // namespace

std::string pictureLargePlanAdvice(const PictureSummary& s) {
  const double scale = fittingScale(cellCount(s));
  if (scale >= 1.0) return std::string();
  const int percent = static_cast<int>(std::floor(scale * 100));
  return largePlanAdvice(cellCount(s), "Scaled to " + std::to_string(percent) + " % of its width and height (" +
                                           std::to_string(static_cast<std::int64_t>(s.width * scale)) + " by " +
                                           std::to_string(static_cast<std::int64_t>(s.height * scale)) +
                                           " pixels, each a larger cell) the picture would fit");
}

std::vector<std::string> pictureHeader(const PictureSummary& s, const std::string& picture, double cell) {
  return {"made by img2plan from " + picture + ": one cell a pixel" +
              (cell > 0 ? ", " + number(cell) + " m a cell" : std::string()),
          "column 1 is the picture's left edge, the first line its top row; " + std::to_string(s.width) + " by " +
              std::to_string(s.height) + " pixels; " + kindCounts(s)};
}

std::string formatPictureSummary(const PictureSummary& s, const Palette& palette, const std::string& picture,
                                 const std::string& plan, double cell) {
  std::string text = "img2plan: " + picture + " -> " + plan + "\n";
  text += "Picture: " + std::to_string(s.width) + " by " + std::to_string(s.height) + " pixels" +
          (cell > 0 ? " of " + number(cell) + " m (" + number(s.width * cell) + " by " + number(s.height * cell) + " m)" : std::string()) + "\n";
  text += "Plan: " + kindCounts(s) + "\n";
  text += "Palette (tolerance " + number(palette.tolerance) + "):";
  for (const PaletteEntry& e : palette.entries) text += " " + std::string(kindWord(e.kind)) + " " + colourText(e.colour);
  text += "\n\nPixels read:\n" + readLine("exactly a palette colour", s.exact) +
          readLine("near a palette colour", s.near) + readLine("anti-aliased edge, taken as the nearer colour", s.blend);
  if (s.transparent > 0) text += "  transparent, taken as rock: " + std::to_string(s.transparent) + "\n";
  std::vector<UnknownColour> unknown = s.unknown;
  std::stable_sort(unknown.begin(), unknown.end(), [](const UnknownColour& a, const UnknownColour& b) { return a.pixels > b.pixels; });
  text += "\nProblems: " + std::string(s.unknownPixels == 0 ? "none" : std::to_string(s.unknownPixels) + " pixels of colours the palette does not hold, taken as rock") + "\n";
  for (std::size_t i = 0; i < unknown.size() && i < kListedUnknownColours; ++i) {
    const UnknownColour& u = unknown[i];
    text += "  " + colourText(u.colour) + ": " + std::to_string(u.pixels) + " pixels, the first at x " + std::to_string(u.x) +
            ", y " + std::to_string(u.y) + " (from the top left, from 0; the plan's row " + std::to_string(u.y + 1) +
            " from the top, column " + std::to_string(u.x + 1) + ")\n";
  }
  if (unknown.size() > kListedUnknownColours || s.otherUnknownPixels > 0) text += "  ... and more colours\n";
  if (countKinds(s.plan)[static_cast<int>(CellKind::Exit)] == 0) {
    text += "  no exit: no pixel has an exit colour; plan2mesh needs at least one exit (E)\n";
  }
  for (int k = 1; k < kCellKindCount; ++k) {
    const auto kind = static_cast<CellKind>(k);
    if (countKinds(s.plan)[k] > 0 && planCharFor(kind, false, false) == 0) {
      text += "  " + std::to_string(countKinds(s.plan)[k]) + " cells of kind " + kindWord(kind) +
              " are written as floor: this build's plan format has no character for " + kindWord(kind) + "\n";
    }
  }
  const std::string advice = pictureLargePlanAdvice(s);
  if (!advice.empty()) text += "\nLarge plan: " + advice + "\n";
  return text;
}
