// Several levels in one plan: each level's grid comes from a drawing or a
// picture of its own, and the stairs and escalators that join two levels
// are named in the tool's TOML file. A join is written as plan2mesh reads
// it: its label digit in the rock cells right beyond the stair's or
// escalator's end on each level, and `== escalator LABEL up|down` for an
// escalator; each level's rows follow a `== level NAME` line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <toml++/toml.h>

#include "plan_grid.h"

enum class JoinSide { Top, Bottom, Left, Right };

struct JoinEndSetup {
  std::string level;  // the level's name
  double x, y;        // a point on the stair or escalator, in the level's source units
  JoinSide side;      // the end that joins: the side of the run facing the label
};

struct JoinSetup {
  char label;              // '0' to '9'
  std::string direction;   // escalators: "up" or "down"; empty for a stair
  JoinEndSetup ends[2];
};

struct LevelSetup {
  std::string name;
  std::string source;  // the drawing or picture, as the file names it
  bool hasInside;      // an --inside point of its own (drawings)
  double insideX, insideY;
};

struct LevelsSetup {
  std::vector<LevelSetup> levels;  // top level first
  std::vector<JoinSetup> joins;
};

// A level's grid made ready for joins: `columnShift` and `rowShift` grow
// when a label needs a column or row beyond the grid's edge.
struct LevelGrid {
  std::string name;
  PlanGrid grid;
  std::vector<std::string> header;  // comment lines after the level's header line
  std::int32_t columnShift, rowShift;
};

// What marking one end did.
struct JoinMark {
  CellKind kind;             // Stair or Escalator
  std::int32_t width;        // end cells, one mark each
  std::int32_t madeRock;     // cells beyond the end that were not rock
  std::int32_t wallsOpened;  // walls on the joining side taken away
};

// Reads the [[level]] and [[join]] tables of `file` (`sourceKey` names a
// level's drawing or picture). False, with `error` naming `origin` and the
// fault, for a missing or repeated name, a level without its source, a
// label that is not one digit or is used twice, ends not on two named
// levels or not facing each other, or an escalator direction that is
// neither up nor down.
bool readLevels(const toml::table& file, const std::string& origin, const char* sourceKey, LevelsSetup& out,
                std::string& error);

// Marks the end of the stair or escalator run that holds cell (column,
// row) of `level` on `side` with `label`: the cells right beyond the run's
// end row (or column) become rock holding the label, and the walls on the
// joining side go. False, with `error` said, when the cell is not a stair
// or escalator, the end is not one straight line of cells, or a mark would
// touch a second stair or escalator cell or another label.
bool markJoinEnd(LevelGrid& level, std::int32_t column, std::int32_t row, JoinSide side, char label,
                 JoinMark& mark, std::string& error);

// Marks every join of `setup` on `grids` (in the order of setup.levels),
// `cellOf` giving the cell of an end's point on level k. Both ends must be
// of one kind and width, an escalator must have a direction and a stair
// none. One line a join goes to `report`. False, with `error` naming the
// join, the level and the point, at the first that fails.
bool markAllJoins(const LevelsSetup& setup, std::vector<LevelGrid>& grids,
                  void (*cellOf)(std::size_t level, double x, double y, std::int32_t& column, std::int32_t& row, void* context),
                  void* context, std::string& report, std::string& error);

// Pure: the whole plan: `header` lines after "# ", then each level's
// header line, its comment lines (and after the first level's, one
// `== escalator` line for each escalator join), and its rows.
std::string levelsPlanText(const std::vector<LevelGrid>& levels, const std::vector<JoinSetup>& joins,
                           const std::vector<std::string>& header);

// Pure: "top", "bottom", "left" or "right".
const char* sideWord(JoinSide side);
