// Where everything of an annotated picture goes: the title band at the
// top, the legend rows at the bottom, the region fitted between them with
// square cells, and the door names beside their doors where there is room.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "report.h"

namespace {

constexpr double kBarShare = 0.45;       // of the picture's width, the colour bar
constexpr double kScaleBarShare = 0.22;  // of the width, the longest scale bar
constexpr double kTickLength = 4;        // px
constexpr double kMinTickGap = 4;        // px, closer ticks are thinned
constexpr double kMapPadding = 4;        // px between the fitted region and the map area's edge
constexpr double kMarkPadding = 3;       // px round a door's cells
constexpr double kMinMark = 9;           // px, the least side of a door's mark
constexpr double kMinBlockedMark = 15;   // px, the same for a blocked door, whose cross must show
constexpr double kLabelPadding = 2;      // px of white round a door's name
// Minutes between tick labels: to an hour, then hours, for scales up to --scale-max's bound.
constexpr int kLabelSteps[] = {1, 2, 5, 10, 15, 30, 60, 120, 300, 600, 1200, 3000, 6000, 12000};

std::string minutesText(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", std::round(seconds / kSecondsPerMinute * 10) / 10);
  return text;
}

bool overlaps(const PixelBox& a, const PixelBox& b) {
  return a.x0 < b.x1 && b.x0 < a.x1 && a.y0 < b.y1 && b.y0 < a.y1;
}

bool inside(const PixelBox& inner, const PixelBox& outer) {
  return inner.x0 >= outer.x0 && inner.x1 <= outer.x1 && inner.y0 >= outer.y0 &&
         inner.y1 <= outer.y1;
}

// The legend from its top row down, at y relative to its top (0, y down
// negative); shifted into place once its height is known.
struct LegendFlow {
  double x, rowTop, rowHeight;  // px
  double left, right;           // px, the room of a row
};

void newRow(LegendFlow& f, double height) {
  f.rowTop -= f.rowHeight;
  f.x = f.left;
  f.rowHeight = height;
}

// Room for `width` px in the current row, else a new one.
double place(LegendFlow& f, double width, double height) {
  if (f.x + width > f.right && f.x > f.left) newRow(f, height);
  f.rowHeight = std::max(f.rowHeight, height);
  const double at = f.x;
  f.x += width;
  return at;
}

void addSwatch(ReportLayout& l, LegendFlow& f, LegendSwatch::Mark mark, const ColorRGB& colour,
               const std::string& words) {
  const ReportFont& font = *l.fonts.label;
  const double side = lineHeight(font);
  const std::string text = latin1Text(words);
  const double gap = font.ascent;  // px between swatches
  const double x = place(f, side + 5 + textWidth(font, text) + gap, side);
  const PixelBox box{x, f.rowTop - side, x + side, f.rowTop};
  l.swatches.push_back(
      LegendSwatch{mark, colour, box, {text, x + side + 5, box.y0 + font.descent, false}});
}

std::string scaleBarWords(int cells, const ReportOptions& o) {
  std::string words = std::to_string(cells) + (cells == 1 ? " cell" : " cells");
  if (o.cellSize > 0) words += " = " + metresText(cells * o.cellSize) + " m";
  return words;
}

// Room at the right end of the last row for the longest bar and its words;
// the bar itself waits for the fit (finishScaleBar).
void reserveScaleBar(ReportLayout& l, LegendFlow& f, const ReportOptions& o) {
  const ReportFont& font = *l.fonts.label;
  const double width = kScaleBarShare * l.width + 6 + textWidth(font, scaleBarWords(50000, o));
  if (f.x + width > f.right) newRow(f, lineHeight(font));
  f.rowHeight = std::max<double>(f.rowHeight, lineHeight(font));
  l.scaleBar = PixelBox{f.right, f.rowTop - lineHeight(font) / 2.0, f.right,
                        f.rowTop - lineHeight(font) / 2.0};
}

// The bar at the fitted scale, right-aligned in its room.
void finishScaleBar(ReportLayout& l, const ReportOptions& o) {
  const ReportFont& font = *l.fonts.label;
  const double pxPerCell = kCellSize * l.pxPerUnit;
  l.scaleCells = scaleBarCells(pxPerCell, kScaleBarShare * l.width);
  const std::string words = scaleBarWords(l.scaleCells, o);
  const double length = l.scaleCells * pxPerCell;
  const double x = std::round(l.scaleBar.x1 - length - 6 - textWidth(font, words));
  const double y = l.scaleBar.y0;
  l.scaleBar = PixelBox{x, y, x + length, y};
  l.texts.push_back(PlacedText{words, x + length + 6, std::round(y - font.ascent / 2.0), false});
}

void layoutLegend(ReportLayout& l, const ReportOptions& o, const ReportWords& words,
                  const std::vector<ReportDoor>& doors) {
  const ReportFont& font = *l.fonts.label;
  const double m = lineHeight(font);
  const double line = lineHeight(font);
  LegendFlow f{m, 0, 0, m, l.width - m};
  const std::size_t firstText = l.texts.size();
  l.texts.push_back(
      PlacedText{latin1Text(words.caption), m, -static_cast<double>(font.ascent), false});
  newRow(f, line + 4);
  newRow(f, line);
  l.bar = !o.limitGiven;
  if (l.bar) {
    const double barWidth = std::round(kBarShare * l.width);
    const double height = line + kTickLength + 2 + line;
    f.rowHeight = height;
    l.barBox = PixelBox{m, f.rowTop - line, m + barWidth, f.rowTop};
    l.barSeconds = o.scaleMax;
    const int widest = textWidth(font, minutesText(o.scaleMax));
    l.ticks = legendTicks(m, barWidth, o.scaleMax, widest);
    for (const LegendTick& t : l.ticks) {
      if (!t.labelled) continue;
      const std::string text = std::to_string(t.minute);
      l.texts.push_back(PlacedText{text, t.x - textWidth(font, text) / 2.0,
                                   l.barBox.y0 - kTickLength - 2 - font.ascent, false});
    }
    f.x = m + barWidth + m;
    addSwatch(l, f, LegendSwatch::Mark::Fill, reportTimeColour(o.scaleMax, o),
              minutesText(o.scaleMax) + " min or more");
  } else {
    addSwatch(l, f, LegendSwatch::Mark::Fill, kWithinColour, "within " + words.limitWords);
    addSwatch(l, f, LegendSwatch::Mark::Fill, kOverColour, "over " + words.limitWords);
  }
  addSwatch(l, f, LegendSwatch::Mark::Fill, kUnreachedColour, words.unreachedWords);
  bool anyShown = false, anyBlocked = false;
  for (const ReportDoor& d : doors) {
    if (!doorShown(l, d)) continue;
    anyShown = true;
    anyBlocked = anyBlocked || !d.blocked.empty();
  }
  if (anyShown) addSwatch(l, f, LegendSwatch::Mark::Exit, kExitColour, "exit");
  if (anyBlocked) addSwatch(l, f, LegendSwatch::Mark::Blocked, kBlockedColour, "blocked exit");
  reserveScaleBar(l, f, o);
  // Everything was placed from the legend's top at 0 down; its bottom now
  // moves to the margin.
  const double shift = m - (f.rowTop - f.rowHeight);
  for (std::size_t i = firstText; i < l.texts.size(); ++i) l.texts[i].y += shift;
  for (LegendSwatch& s : l.swatches) s.box.y0 += shift, s.box.y1 += shift, s.words.y += shift;
  l.barBox.y0 += shift, l.barBox.y1 += shift;
  l.scaleBar.y0 += shift, l.scaleBar.y1 += shift;
  l.mapArea.y0 = shift + m / 2;
}

void fitRegion(ReportLayout& l, const GridBox& box) {
  const double x0 = kCellSize * (box.column0 - 1.0), x1 = kCellSize * box.column1;
  const double y0 = kCellSize * (box.row0 - 1.0), y1 = kCellSize * box.row1;
  const double w = l.mapArea.x1 - l.mapArea.x0 - 2 * kMapPadding;
  const double h = l.mapArea.y1 - l.mapArea.y0 - 2 * kMapPadding;
  l.pxPerUnit = std::max(1e-9, std::min(w / (x1 - x0), h / (y1 - y0)));
  const double cx = (l.mapArea.x0 + l.mapArea.x1) / 2, cy = (l.mapArea.y0 + l.mapArea.y1) / 2;
  l.mapBox = PixelBox{cx - (x1 - x0) * l.pxPerUnit / 2, cy - (y1 - y0) * l.pxPerUnit / 2,
                      cx + (x1 - x0) * l.pxPerUnit / 2, cy + (y1 - y0) * l.pxPerUnit / 2};
  l.left = x0 - (l.mapBox.x0 - l.mapArea.x0) / l.pxPerUnit;
  l.bottom = y0 - (l.mapBox.y0 - l.mapArea.y0) / l.pxPerUnit;
}

// The first of right, left, above and below the door's mark where its name
// stays inside the map area, clear of the names placed before it and of
// every door's mark (a name's white box over a mark would hide that door).
void placeDoorLabel(ReportLayout& l, const ReportDoor& door, const std::vector<PixelBox>& marks) {
  const ReportFont& font = *l.fonts.label;
  std::string text = latin1Text(doorCalled(door));
  if (!door.blocked.empty()) {
    text += door.blocked.size() == door.cells.size() ? " (blocked)" : " (partly blocked)";
  }
  const PixelBox mark = doorMark(l, door);
  const double w = textWidth(font, text) + 2 * kLabelPadding;
  const double h = lineHeight(font) + 2 * kLabelPadding;
  const double cx = (mark.x0 + mark.x1) / 2, cy = (mark.y0 + mark.y1) / 2;
  const PixelBox candidates[] = {
      {mark.x1 + 3, cy - h / 2, mark.x1 + 3 + w, cy + h / 2},
      {mark.x0 - 3 - w, cy - h / 2, mark.x0 - 3, cy + h / 2},
      {cx - w / 2, mark.y1 + 3, cx + w / 2, mark.y1 + 3 + h},
      {cx - w / 2, mark.y0 - 3 - h, cx + w / 2, mark.y0 - 3},
  };
  const PixelBox& a = l.mapArea;
  for (int i = 0; i < 4; ++i) {
    PixelBox c = candidates[i];
    // Beside the mark it may slide up or down, above or below it sideways,
    // to stay in the map area.
    const double dx = i < 2 ? 0 : std::max(a.x0 - c.x0, std::min(0.0, a.x1 - c.x1));
    const double dy = i >= 2 ? 0 : std::max(a.y0 - c.y0, std::min(0.0, a.y1 - c.y1));
    c = PixelBox{std::round(c.x0 + dx), std::round(c.y0 + dy), 0, 0};
    c.x1 = c.x0 + w;
    c.y1 = c.y0 + h;
    if (!inside(c, a) || std::any_of(marks.begin(), marks.end(), [&](const PixelBox& m) {
          return overlaps(c, m);
        })) {
      continue;
    }
    if (std::any_of(l.doorLabelBoxes.begin(), l.doorLabelBoxes.end(),
                    [&](const PixelBox& b) { return overlaps(b, c); })) {
      continue;
    }
    l.doorLabelBoxes.push_back(c);
    l.doorLabels.push_back(
        PlacedText{text, c.x0 + kLabelPadding, c.y0 + kLabelPadding + font.descent, false});
    return;
  }
}

}  // namespace

bool doorShown(const ReportLayout& l, const ReportDoor& d) {
  const GridBox& r = l.region;
  return !d.cells.empty() && d.column0 <= r.column1 && r.column0 <= d.column1 && d.row0 <= r.row1 &&
         r.row0 <= d.row1;
}

PixelBox doorMark(const ReportLayout& l, const ReportDoor& d) {
  PixelBox b{pictureX(l, kCellSize * (d.column0 - 1.0)) - kMarkPadding,
             pictureY(l, kCellSize * (d.row0 - 1.0)) - kMarkPadding,
             pictureX(l, kCellSize * d.column1) + kMarkPadding,
             pictureY(l, kCellSize * d.row1) + kMarkPadding};
  const double least = d.blocked.empty() ? kMinMark : kMinBlockedMark;
  const double grow = std::max(0.0, least - (b.x1 - b.x0)) / 2;
  const double rise = std::max(0.0, least - (b.y1 - b.y0)) / 2;
  return PixelBox{b.x0 - grow, b.y0 - rise, b.x1 + grow, b.y1 + rise};
}

std::vector<LegendTick> legendTicks(double barLeft, double barWidth, double scaleMax,
                                    int labelWidth) {
  const double pxPerMinute = barWidth * kSecondsPerMinute / scaleMax;
  int step = kLabelSteps[std::size(kLabelSteps) - 1];
  for (int s : kLabelSteps) {
    if (s * pxPerMinute >= labelWidth + 6) {
      step = s;
      break;
    }
  }
  const int every = pxPerMinute >= kMinTickGap ? 1 : step;
  std::vector<LegendTick> ticks;
  const int last = static_cast<int>(std::floor(scaleMax / kSecondsPerMinute + 1e-9));
  for (int minute = 0; minute <= last; minute += every) {
    ticks.push_back(LegendTick{barLeft + minute * pxPerMinute, minute, minute % step == 0});
  }
  return ticks;
}

int scaleBarCells(double pxPerCell, double maxPx) {
  int best = 1;
  for (long long power = 1; power <= 100000000; power *= 10) {
    for (int factor : {1, 2, 5}) {
      const long long cells = power * factor;
      if (cells * pxPerCell <= maxPx) best = static_cast<int>(cells);
    }
  }
  return best;
}

std::string metresText(double metres) {
  char text[40];
  std::snprintf(text, sizeof text, "%.2f", metres);
  std::string s = text;
  while (s.back() == '0') s.pop_back();
  if (s.back() == '.') s.pop_back();
  return s;
}

ReportLayout layoutReport(int width, int height, const GridBox& box, const ReportOptions& options,
                          const ReportWords& words, const std::vector<ReportDoor>& doors) {
  ReportLayout l{};
  l.width = width;
  l.height = height;
  l.fonts = reportFontsFor(width);
  l.region = box;
  l.wholePlan = options.region.kind == ReportRegion::Kind::Whole;
  const ReportFont& label = *l.fonts.label;
  const ReportFont& title = *l.fonts.title;
  const double m = lineHeight(label);
  const double titleY = height - m - title.ascent;
  const double subtitleY = titleY - title.descent - 4 - label.ascent;
  const int room = static_cast<int>(width - 2 * m);
  l.texts.push_back(PlacedText{fitText(title, latin1Text(words.title), room), m, titleY, true});
  l.texts.push_back(
      PlacedText{fitText(label, latin1Text(words.subtitle), room), m, subtitleY, false});
  l.mapArea = PixelBox{m, 0, width - m, subtitleY - label.descent - m / 2};
  layoutLegend(l, options, words, doors);
  fitRegion(l, box);
  finishScaleBar(l, options);
  std::vector<const ReportDoor*> order;
  for (const ReportDoor& d : doors) {
    if (doorShown(l, d) && !d.blocked.empty()) order.push_back(&d);
  }
  for (const ReportDoor& d : doors) {
    if (doorShown(l, d) && d.blocked.empty()) order.push_back(&d);
  }
  std::vector<PixelBox> marks;
  for (const ReportDoor* d : order) marks.push_back(doorMark(l, *d));
  for (const ReportDoor* d : order) placeDoorLabel(l, *d, marks);
  return l;
}
