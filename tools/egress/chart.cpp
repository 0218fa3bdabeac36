// The chart of people out over time, drawn with cairo: the total as a
// thick line, each door as a thin one, axes with ticks and labels, the
// everyone-out limit as a dashed line. Written through an OutputFile, so a
// chart is whole or not there.
#include <cairo.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "egress.h"
#include "files/output_file.h"

namespace {

constexpr int kWidth = 900;   // px
constexpr int kHeight = 540;  // px
constexpr double kLeft = 80, kRight = 190, kTop = 50, kBottom = 60;  // px, margins of the plot
constexpr double kMaxRight = kWidth / 3.0;  // px, the widest the legend's margin grows
constexpr double kLegendText = 46;          // px from the plot's right edge to a legend label
constexpr double kLegendPad = 10;           // px kept free right of the widest label
constexpr double kLegendFont = 12;          // px
constexpr double kDoorColours[][3] = {{0.12, 0.47, 0.71}, {1.00, 0.50, 0.05}, {0.17, 0.63, 0.17},
                                      {0.84, 0.15, 0.16}, {0.58, 0.40, 0.74}, {0.55, 0.34, 0.29},
                                      {0.89, 0.47, 0.76}, {0.50, 0.50, 0.50}, {0.74, 0.74, 0.13},
                                      {0.09, 0.75, 0.81}};
constexpr int kColourCount = sizeof kDoorColours / sizeof kDoorColours[0];

// A tick step of 1, 2 or 5 times a power of ten giving about 5 to 10 ticks.
double tickStep(double range) {
  const double rough = range / 6.0;
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  for (const double m : {1.0, 2.0, 5.0, 10.0}) {
    if (m * power >= rough) return m * power;
  }
  return 10.0 * power;
}

struct Frame {
  double maxSeconds, maxPeople;  // s, persons at the plot's far edges
  double right;                  // px, the margin right of the plot, the legend's
  double x(double s) const { return kLeft + s / maxSeconds * (kWidth - kLeft - right); }
  double y(double p) const { return kHeight - kBottom - p / maxPeople * (kHeight - kTop - kBottom); }
};

void text(cairo_t* cr, double x, double y, const std::string& words, double alignX) {
  cairo_text_extents_t e;
  cairo_text_extents(cr, words.c_str(), &e);
  cairo_move_to(cr, x - alignX * e.width - e.x_bearing, y);
  cairo_show_text(cr, words.c_str());
}

std::string number(double v) {
  char t[32];
  std::snprintf(t, sizeof t, "%g", v);
  return t;
}

void drawAxes(cairo_t* cr, const Frame& f) {
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_set_line_width(cr, 1.0);
  cairo_set_font_size(cr, 13);
  const double sx = tickStep(f.maxSeconds), sy = tickStep(f.maxPeople);
  for (double s = 0; s <= f.maxSeconds + 1e-9; s += sx) {
    cairo_set_source_rgb(cr, 0.88, 0.88, 0.88);
    cairo_move_to(cr, f.x(s), f.y(0));
    cairo_line_to(cr, f.x(s), f.y(f.maxPeople));
    cairo_stroke(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);
    text(cr, f.x(s), f.y(0) + 20, number(s), 0.5);
  }
  for (double p = 0; p <= f.maxPeople + 1e-9; p += sy) {
    cairo_set_source_rgb(cr, 0.88, 0.88, 0.88);
    cairo_move_to(cr, f.x(0), f.y(p));
    cairo_line_to(cr, f.x(f.maxSeconds), f.y(p));
    cairo_stroke(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);
    text(cr, f.x(0) - 8, f.y(p) + 5, number(p), 1.0);
  }
  cairo_rectangle(cr, f.x(0), f.y(f.maxPeople), f.x(f.maxSeconds) - f.x(0), f.y(0) - f.y(f.maxPeople));
  cairo_stroke(cr);
  cairo_set_font_size(cr, 14);
  text(cr, (f.x(0) + f.x(f.maxSeconds)) / 2, kHeight - 18, "time since the alarm (s)", 0.5);
  cairo_save(cr);
  cairo_translate(cr, 22, (f.y(0) + f.y(f.maxPeople)) / 2);
  cairo_rotate(cr, -M_PI / 2);
  text(cr, 0, 0, "persons out", 0.5);
  cairo_restore(cr);
}

void drawSeries(cairo_t* cr, const Frame& f, const OutCurve& c, int door, double width) {
  cairo_set_line_width(cr, width);
  for (std::size_t i = 0; i < c.seconds.size(); ++i) {
    const double p = door < 0 ? c.out[i] : c.doorOut[i][static_cast<std::size_t>(door)];
    if (i == 0) cairo_move_to(cr, f.x(c.seconds[i]), f.y(p));
    else cairo_line_to(cr, f.x(c.seconds[i]), f.y(p));
  }
  cairo_stroke(cr);
}

double textWidth(cairo_t* cr, const std::string& words) {
  cairo_text_extents_t e;
  cairo_text_extents(cr, words.c_str(), &e);
  return e.x_advance;
}

// The label cut with "..." at a UTF-8 character's start until it fits.
std::string fitted(cairo_t* cr, const std::string& label, double room) {
  if (textWidth(cr, label) <= room) return label;
  std::string cut = label;
  while (!cut.empty()) {  // one whole character a turn: its continuation bytes, then its lead
    while (!cut.empty() && (static_cast<unsigned char>(cut.back()) & 0xC0) == 0x80) cut.pop_back();
    if (!cut.empty()) cut.pop_back();
    if (textWidth(cr, cut + "...") <= room) return cut + "...";
  }
  return "...";
}

// Labels of the legend, in its order after "everyone": the doors drawn.
std::vector<std::string> doorLabels(const EgressReport& r) {
  std::vector<std::string> labels;
  for (std::size_t d = 0; d < r.on->doorBlocked.size(); ++d) {
    if (!r.on->doorBlocked[d]) labels.push_back("door " + doorLabel(*r.on, static_cast<int>(d)));
  }
  return labels;
}

// The legend's margin: wide enough for its widest label, at most kMaxRight.
double legendMargin(cairo_t* cr, const std::vector<std::string>& labels) {
  cairo_set_font_size(cr, kLegendFont);
  double widest = textWidth(cr, "everyone");
  for (const std::string& l : labels) widest = std::max(widest, textWidth(cr, l));
  return std::min(kMaxRight, std::max(kRight, kLegendText + widest + kLegendPad));
}

void legendLine(cairo_t* cr, const Frame& f, int row, const std::string& label, double width) {
  const double y = kTop + 10 + 20 * row;
  cairo_set_line_width(cr, width);
  cairo_move_to(cr, kWidth - f.right + 15, y - 4);
  cairo_line_to(cr, kWidth - f.right + 40, y - 4);
  cairo_stroke(cr);
  cairo_set_source_rgb(cr, 0, 0, 0);
  text(cr, kWidth - f.right + kLegendText, y, fitted(cr, label, f.right - kLegendText - kLegendPad), 0.0);
}

void drawCurve(cairo_t* cr, const OutCurve& c, const EgressReport& r) {
  const double lastSecond = c.seconds.empty() ? 1.0 : c.seconds.back();
  const double limit = r.scenario->everyoneOutLimit.value;
  cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  const std::vector<std::string> labels = doorLabels(r);
  Frame f{std::max({lastSecond, limit, 1.0}) * 1.05, std::max(r.outcome.placed, 1.0) * 1.05,
          legendMargin(cr, labels)};
  f.maxSeconds = std::ceil(f.maxSeconds / tickStep(f.maxSeconds)) * tickStep(f.maxSeconds);
  f.maxPeople = std::ceil(f.maxPeople / tickStep(f.maxPeople)) * tickStep(f.maxPeople);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  drawAxes(cr, f);
  cairo_set_font_size(cr, 16);
  const std::size_t slash = r.scenarioPath.find_last_of('/');
  text(cr, kLeft, 30, "People out over time: " + r.scenarioPath.substr(slash == std::string::npos ? 0 : slash + 1), 0.0);
  cairo_set_font_size(cr, kLegendFont);
  int row = 0;
  for (std::size_t d = 0; d < r.on->doorBlocked.size(); ++d) {
    if (r.on->doorBlocked[d]) continue;
    const double* rgb = kDoorColours[d % kColourCount];
    cairo_set_source_rgb(cr, rgb[0], rgb[1], rgb[2]);
    drawSeries(cr, f, c, static_cast<int>(d), 1.5);
    if (row < 20) {
      cairo_set_source_rgb(cr, rgb[0], rgb[1], rgb[2]);
      legendLine(cr, f, row + 1, labels[static_cast<std::size_t>(row)], 1.5);
      ++row;
    }
  }
  cairo_set_source_rgb(cr, 0, 0, 0);
  drawSeries(cr, f, c, -1, 3.0);
  cairo_set_source_rgb(cr, 0, 0, 0);
  legendLine(cr, f, 0, "everyone", 3.0);
  if (r.outcome.everyoneOut != kNever && !c.seconds.empty()) {
    cairo_set_font_size(cr, 13);
    text(cr, f.x(c.seconds.back()) + 6, f.y(c.out.back()) + 4,
         "everyone out: " + number(std::round(r.outcome.everyoneOut)) + " s", 0.0);
  }
  if (limit != kNever) {
    const double dash[] = {6.0, 4.0};
    cairo_set_source_rgb(cr, 0.8, 0, 0);
    cairo_set_dash(cr, dash, 2, 0);
    cairo_set_line_width(cr, 1.5);
    cairo_move_to(cr, f.x(limit), f.y(0));
    cairo_line_to(cr, f.x(limit), f.y(f.maxPeople));
    cairo_stroke(cr);
    cairo_set_dash(cr, nullptr, 0, 0);
    text(cr, f.x(limit) + 4, f.y(f.maxPeople) + 14, "limit " + number(limit) + " s", 0.0);
  }
}

cairo_status_t writeBytes(void* closure, const unsigned char* data, unsigned int length) {
  return writeOutput(*static_cast<OutputFile*>(closure), data, length) ? CAIRO_STATUS_SUCCESS
                                                                       : CAIRO_STATUS_WRITE_ERROR;
}

}  // namespace

bool writeCurveChart(const OutCurve& curve, const EgressReport& report, const std::string& path,
                     std::string& error) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight);
  cairo_t* cr = cairo_create(surface);
  drawCurve(cr, curve, report);
  const bool drawn = cairo_status(cr) == CAIRO_STATUS_SUCCESS;
  cairo_destroy(cr);
  OutputFile out{};
  bool written = false;
  if (!drawn) {
    error = path + ": the chart could not be drawn";
  } else if (!openOutputFile(path.c_str(), out)) {
    error = path + ": cannot be written: " + std::strerror(errno);
  } else if (cairo_surface_write_to_png_stream(surface, writeBytes, &out) != CAIRO_STATUS_SUCCESS) {
    error = path + ": write failed: " + std::strerror(errno);
    discardOutputFile(out);
  } else if (!commitOutputFile(out)) {
    error = path + ": write failed: " + std::strerror(errno);
  } else {
    written = true;
  }
  cairo_surface_destroy(surface);
  return written;
}
