// plan2mesh --help: the usage and the key of the plan characters, made from
// the symbol table itself so that the two never disagree.
#include <string>
#include <vector>

#include "plan2mesh.h"
#include "plan_doors.h"
#include "plan_levels.h"

namespace {

constexpr int kWallCases = 4;  // none, left, bottom, both
constexpr char kUsageLines[] =
    "usage: plan2mesh PLAN MESH_OUT EXIT_OUT\n"
    "       plan2mesh --help\n"
    "Turns a floor plan drawn in a text editor, one character a cell, into the mesh\n"
    "file and the exit file that orvik reads (Mesh.csv, ExitGrid.dat). Writes both or\n"
    "neither; status 1, with the plan's line:column, for a plan it cannot use.\n";

struct KindRow {
  std::string kind;
  std::string cases[kWallCases];  // the characters of each wall case
};

std::string padded(std::string text, std::size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

std::vector<KindRow> kindRows() {
  std::size_t count = 0;
  const PlanSymbol* table = planSymbolTable(count);
  std::vector<KindRow> rows;
  for (std::size_t i = 0; i < count; ++i) {
    const PlanSymbol& s = table[i];
    if (s.kind == nullptr) continue;
    if (rows.empty() || rows.back().kind != s.kind) {
      bool seen = false;
      for (const KindRow& row : rows) seen = seen || row.kind == s.kind;
      if (!seen) rows.push_back(KindRow{s.kind, {}});
    }
    for (KindRow& row : rows) {
      if (row.kind != s.kind) continue;
      std::string& cell = row.cases[s.leftWall + 2 * s.bottomWall];
      if (!cell.empty()) cell += " or ";
      cell += s.symbol;
    }
  }
  return rows;
}

std::string rockCharacters() {
  std::size_t count = 0;
  const PlanSymbol* table = planSymbolTable(count);
  std::string text;
  for (std::size_t i = 0; i < count; ++i) {
    if (table[i].kind != nullptr) continue;
    if (!text.empty()) text += ", ";
    text += table[i].symbol == ' ' ? std::string("space") : std::string(1, table[i].symbol);
  }
  return text;
}

}  // namespace

std::string formatPlanHelp() {
  std::string text = kUsageLines;
  text += "\nCharacters (the kind goes to mesh field 8; a wall closes the cell's left or\n"
          "bottom side, in both directions):\n";
  text += "  " + padded("kind", 12) + padded("no wall", 10) + padded("left", 8) +
          padded("bottom", 8) + "both\n";
  for (const KindRow& row : kindRows()) {
    text += "  " + padded(row.kind, 12) + padded(row.cases[0], 10) + padded(row.cases[1], 8) +
            padded(row.cases[2], 8) + row.cases[3] + '\n';
  }
  text += "  rock (no cell): " + rockCharacters() +
          " (= is track bed, drawn for the reader of the plan)\n";
  text += "  0 to 9: a join label in the rock right beyond a stair's or escalator's end;\n"
          "          the same digit beyond an end on another level joins the two\n";
  text += "\nLines that are no grid row:\n"
          "  # ...                        a comment\n"
          "  # door NAME = LINE:COLUMN    names the door (exit cells a move joins) that holds\n"
          "                               the exit cell at that line and character of this\n"
          "                               file; at most " + std::to_string(kMaxDoorName) +
          " bytes, not a number\n"
          "  == level NAME                begins a level; levels are listed from the top down\n"
          "  == escalator DIGIT up|down   the way the escalator with that join label runs\n";
  text += "\nThe top line is the highest row; rows count from 1 at the bottom, columns from\n"
          "1 at the left; a blank line is a row of rock. Levels stand side by side, " +
          std::to_string(kLevelGap) + " columns\nof rock apart. docs/plan-format.md describes the whole format.\n";
  return text;
}
