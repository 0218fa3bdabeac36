// The options of orvik-render's annotated pictures (--annotate and the
// options that go with it), as the command line leaves them for an output.
#pragma once

#include <cstdint>
#include <string>

// What part of the plan the picture shows.
struct ReportRegion {
  enum class Kind { Whole, Grid, Level } kind;
  std::int32_t column0, row0, column1, row1;  // grid, inclusive, with Kind::Grid
  std::string level;                          // level name (UTF-8), with Kind::Level
};

// The report options of one output; they hold until given again.
struct ReportOptions {
  bool on;              // --annotate
  std::string title;    // --title, UTF-8; empty: the plan's folder name
  bool scaleMaxGiven;   // --scale-max
  double scaleMax;      // s, where the colour scale reaches its top colour
  bool limitGiven;      // --limit
  double limit;         // s; a cell over it, or unreached, is over
  ReportRegion region;  // --region
  double cellSize;      // m, a cell's side from --cell-size; 0 when not given
};

// Pure: the options of a call that gives none.
ReportOptions defaultReportOptions();

// Pure: a number of seconds or metres as the options take it: decimal
// digits with at most one point, no sign, exponent or hexadecimal, above 0
// and at most `most`. False for anything else.
bool parsePlainDecimal(const char* text, double most, double& value);

// Pure: "C1,R1,C2,R2" (grid columns and rows, inclusive, either corner
// first) or else the name of a level. False, with `error`, for an empty
// value or four numbers that are not whole.
bool parseRegion(const char* text, ReportRegion& region, std::string& error);
