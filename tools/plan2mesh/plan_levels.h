// Levels and joins of a plan, shared by the files of plan2mesh only.
//
// "== level NAME" begins a level; the levels are listed from the top down
// and stand side by side on the grid, top lines level, kLevelGap columns of
// rock apart. "== escalator LABEL up|down" gives the way an escalator
// carries people. A digit in the rock right beyond the end of a stair or
// escalator is a join label: the end cell's side facing it is joined to
// the end with the same label on one other level, cell by cell.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "plan2mesh.h"

constexpr std::int32_t kLevelGap = 4;        // grid columns of rock between two levels
constexpr std::size_t kMaxLevelName = 64;    // bytes; the tags word stays within what readers keep
constexpr std::int64_t kMaxGridColumn = std::int64_t{1} << 24;  // the map's float corners stay exact
constexpr int kLabelCount = 10;              // labels '0' to '9'

// A join label where the plan has it.
struct PlanMark {
  char label;             // '0'..'9'
  std::int32_t level;     // index in PlanLayout::levels
  std::int64_t y;         // 0-based row of its level, from the level's top line
  std::int64_t x;         // 0-based character in the plan line
  std::int64_t planLine;  // 1-based
};

// One level while the plan is read; a plan without headers has one.
struct LevelDrawing {
  std::int64_t rows;          // grid rows so far: the lines after its header
  std::int64_t width;         // characters up to its last cell or label
  std::int64_t cells;         // cells drawn on it
  std::int64_t firstLine;     // 1-based plan line and character of its first cell or label, 0 none
  std::int64_t firstColumn;
};

// What the plan says outside the cells, gathered while it is read.
struct PlanLayout {
  std::vector<LevelDrawing> levels;               // in plan order; never empty
  std::vector<PlanMark> marks;                    // in plan order
  std::array<Travel, kLabelCount> escalatorRuns;  // by label digit; None when not given
  std::array<std::int64_t, kLabelCount> escalatorLine;  // plan line that gave it, 0 none
};

enum class Directive { NotOne, Read, Refused };

// Pure: true for a character that is a join label.
bool isJoinLabel(char c);

// A layout with the one level of a plan that has no header.
PlanLayout startLayout();

// A whole plan line (no line end): NotOne when it is a grid row; Read when
// it was a level header or an escalator line, now noted in `plan` and
// `layout`; Refused, with `error` set, when such a line cannot be used.
Directive readDirective(std::string_view line, std::int64_t planLine, Plan& plan,
                        PlanLayout& layout, PlanError& error);

// After the last line: every named level draws a cell, and the levels fit
// side by side; fills each PlanLevel's firstColumn. False with `error` set.
bool placeLevels(Plan& plan, const PlanLayout& layout, PlanError& error);

// Grid rows of the plan: those of its tallest level.
std::int64_t gridRows(const PlanLayout& layout);

// After the cells are collected: joins the ends that share a label, marks
// the cells of each joined run and gives escalators their direction. False
// with `error` set at the first offending label or cell.
bool linkJoins(Plan& plan, const PlanLayout& layout, PlanError& error);
