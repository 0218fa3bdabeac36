// Plan files: a floor plan drawn in a text editor, one character a cell,
// turned into the mesh file and the exit file that orvik reads.
//
// Every line that does not start with '#' (or "== ", a level header or an
// escalator's direction, see plan_levels.h) is one grid row; the top line
// is the highest row, since y points up on the map. Characters past the end
// of a short line are rock. Cells are numbered from 1 in reading order: top
// line first, each line left to right. A plan of several levels draws each
// after its header; the levels stand side by side on the grid, top lines
// level, and stairs and escalators marked with the same digit in the rock
// beyond their ends are joined from one level to the other.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "join_tags.h"
#include "scene/reader.h"
#include "scene/scene.h"

constexpr CellId kNoCell = -1;      // neighbour number of a side with rock or the plan's edge
constexpr char kPlanComment = '#';  // in the first column, the whole line is ignored
constexpr char kStairKind[] = "stair";          // mesh field 8 of a stair cell
constexpr char kEscalatorKind[] = "escalator";  // mesh field 8 of an escalator cell
// Characters a plan line may hold: far more than any station is wide, and
// few enough that a line of rock cannot take the memory a plan's cells need.
constexpr std::size_t kMaxPlanColumns = std::size_t{1} << 20;

// What one plan character stands for.
struct PlanSymbol {
  char symbol;
  const char* kind;         // mesh field 8; nullptr for rock (no cell)
  bool exit;                // the cell goes into the exit file
  std::int32_t leftWall;    // 1 = thin wall on the cell's left side
  std::int32_t bottomWall;  // 1 = thin wall on the cell's bottom side
};

struct PlanCell {
  CellId right, bottom, left, top;  // neighbour numbers; kNoCell for rock or outside
  std::int32_t column;              // grid column, 1 at the left (levels side by side)
  std::int32_t row;                 // grid row, 1 at the bottom
  std::int64_t planLine;            // 1-based line in the plan file
  std::int32_t planColumn;          // 1-based character in that line
  char symbol;
  std::int32_t level;               // index in Plan::levels; 0 when the plan has none
  char join;                        // label of the join whose run holds the cell, '\0' none
  bool joinEnd;                     // the cell's side towards the label joins the other level
  Travel toward;                    // crossing the join from here goes up or down; None
  Travel runs;                      // an escalator run: the way it carries people; None
  std::int32_t door = -1;           // index in Plan::doors of the named door it is a cell of; -1 none
};

struct PlanLevel {
  std::string name;          // as in the header, blanks round it dropped
  std::int64_t headerLine;   // 1-based plan line of the header
  std::int32_t firstColumn;  // grid column of the level's first plan character
};

// A door named by a "# door NAME = LINE:COLUMN" comment (plan_doors.h).
struct PlanDoor {
  std::string name;         // as written, blanks round it dropped
  std::int64_t line;        // 1-based plan line of the naming comment
  CellId cell;              // the exit cell its position names
};

struct Plan {
  std::vector<PlanCell> cells;    // cell number n at index n - 1
  std::vector<CellId> exits;      // ascending
  std::vector<PlanLevel> levels;  // top level first; empty for a plan without headers
  std::vector<PlanDoor> doors;    // named doors in the order of their comments
};

struct PlanError {
  std::int64_t line;    // 1-based plan line, 0 when the error has no place
  std::int64_t column;  // 1-based character in that line, 0 when it has none
  std::string message;
};

// The symbol table entry of `c`, or nullptr for a character plans may not hold.
const PlanSymbol* findPlanSymbol(char c);

// The whole symbol table, in the order the key lists it; `count` entries.
const PlanSymbol* planSymbolTable(std::size_t& count);

// The text of plan2mesh --help: the usage, every plan character by kind and
// wall, the join digits and the lines that are not grid rows.
std::string formatPlanHelp();

// Reads a whole plan, line by line; blank and rock-only lines take no
// memory. False, with `error` filled in, for an unknown character (the
// first one), a line longer than kMaxPlanColumns, more than kMaxCellId cells,
// no exit, a level header or escalator line that cannot be used, a join
// that cannot be made (plan_levels.h), or a door name that cannot be given
// (plan_doors.h).
bool parsePlanFrom(TextCursor& in, Plan& plan, PlanError& error);

// parsePlanFrom on text in memory.
bool parsePlan(std::string_view text, Plan& plan, PlanError& error);

// The mesh file: three header lines, then one 13-field record a line.
std::string formatMesh(const Plan& plan);

// The exit file: one exit cell number a line.
std::string formatExits(const Plan& plan);

// "path:line:column: message", leaving out the parts the error has not.
std::string describePlanError(std::string_view path, const PlanError& error);

// The whole command: plan2mesh PLAN MESH_OUT EXIT_OUT, or plan2mesh --help
// (the key on standard output, status 0). Writes both files
// or neither: each goes to a temporary file beside it, and both replace
// their targets only once both are whole. Refuses when two of the three
// paths name the same file. Messages go to stderr; returns the process exit
// status (0 on success).
int runPlan2mesh(int argc, const char* const* argv);
