// A plan as a grid of cells, for the tools that make text plans from
// drawings and pictures (dxf2plan, img2plan): what each cell is, which of
// its sides are closed, and the text plan2mesh reads.
//
// Cells are indexed row-major from the bottom row: index = row * columns +
// column, both 0-based, row 0 at the bottom, since y points up on the map
// and in drawings alike. A plan line holds one row; the top row comes first.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What a cell is. The words are the mesh's kind words (field 8), so a kind
// reads the same on the command line, in a role or palette file and in the
// mesh.
enum class CellKind : std::uint8_t { Rock, Floor, Platform, Stair, Escalator, Gate, Service, Exit };
constexpr int kCellKindCount = 8;

constexpr std::uint8_t kLeftSide = 1;    // the cell's left side is closed by a wall
constexpr std::uint8_t kBottomSide = 2;  // the cell's bottom side is closed by a wall

struct PlanGrid {
  std::int32_t columns;              // cells a row
  std::int32_t rows;                 // rows, the first at the bottom
  std::vector<CellKind> kinds;       // columns * rows, row-major from the bottom row
  std::vector<std::uint8_t> walls;   // kLeftSide | kBottomSide of each cell
  std::vector<char> labels;          // empty, or a join's label digit in a rock cell (levels.h); 0 for none
};

// A side that a plan cannot hold: plan characters put walls only on a
// cell's left or bottom side, and some cells (an exit) carry none.
struct UnwritableSide {
  std::int32_t column, row;  // 0-based cell that would have to carry the wall
  std::uint8_t side;         // kLeftSide or kBottomSide
};

// Pure: the mesh kind word of `kind` ("rock" for Rock).
const char* kindWord(CellKind kind);

// Pure: the kind named by `word`; false when no kind has that name.
bool parseKindWord(const std::string& word, CellKind& kind);

// Pure: the plan character of a cell of `kind` with the given walls, taken
// from plan2mesh's own symbol table (exits with walls included: e, f, F);
// 0 when the plan format has none (a kind this build of plan2mesh does not
// know).
char planCharFor(CellKind kind, bool leftWall, bool bottomWall);

// Pure: a grid of `columns` by `rows` rock cells without walls.
PlanGrid makePlanGrid(std::int32_t columns, std::int32_t rows);

// Pure: the walls of `grid` that no plan character can hold, in reading
// order; planText leaves those sides open.
std::vector<UnwritableSide> unwritableSides(const PlanGrid& grid);

// Pure: cells of each kind, indexed by CellKind.
std::vector<std::int64_t> countKinds(const PlanGrid& grid);

// Pure: the plan text: each header line after "# ", then one line a row
// from the top row down, each ending at its last cell. A cell whose kind
// has no character is written as plain floor and a wall no character can
// hold is left out; unwritableSides and planCharFor tell the caller which.
std::string planText(const PlanGrid& grid, const std::vector<std::string>& header);

// Pure: when `cells` is more than the default build's table holds
// (kMaxCellId), the sentences that say so and how to fit it: `smaller`
// names the change of the input that would fit (a cell size, a picture
// scale); empty when the plan fits.
std::string largePlanAdvice(std::int64_t cells, const std::string& smaller);

// Pure: the factor, at most 1, by which a plan's linear size must shrink
// for `cells` cells to become few enough for the table, with a margin for
// the cells along the outline; 1 when they already fit.
double fittingScale(std::int64_t cells);
