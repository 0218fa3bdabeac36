// Drawing geometry onto the cell grid. Coordinates are metres in the
// drawing's frame. The grid's lines are shifted by a millionth of a cell
// from the round origin, so that geometry drawn on round coordinates (a
// wall through cell centres, a floor edge on a cell line) never ties: it
// falls to one side, the same side for every entity.
//
// A wall blocks the move between two side-by-side cells when it crosses or
// touches the segment joining their centres. Any walk from one side of an
// unbroken wall to the other is a chain of such segments, so one of its
// moves is blocked: a diagonal wall becomes a staircase of closed sides
// with no gap to slip through.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "geometry.h"
#include "plan_grid.h"

constexpr std::int64_t kMaxGridCells = 50000000;  // cells of the working grid, margin included

struct GridFrame {
  double originX, originY;  // metres: lower-left corner of cell (0, 0), shift included
  double cell;              // metres: side of a cell
  std::int32_t columns, rows;
};

// Where a wall came from: the entity's handle and layer, for messages.
struct WallSource {
  std::string handle;
  std::string layer;
  std::string type;
  std::int64_t line;  // 1-based line of the entity in the drawing
};

// An open end of a wall, counted per cell: an odd count is a loose end.
struct WallEnd {
  std::int32_t count;  // ends in the cell
  Vec2 at;             // metres: the last of them
  std::int32_t source; // index into Raster::sources
};

struct Raster {
  GridFrame frame;
  std::vector<std::uint8_t> blocked;      // kBlockRight | kBlockUp of each cell's moves
  std::vector<CellKind> floorKind;        // the floor shape's kind; Rock where none
  std::vector<std::uint8_t> exitMark;     // 1 where an exit entity covers the cell
  std::vector<WallSource> sources;        // entities that drew walls
  std::unordered_map<std::int64_t, std::int32_t> wallBy;  // move key -> source that blocked it first
  std::unordered_map<std::int64_t, WallEnd> ends;          // cell -> open wall ends in it
};

constexpr std::uint8_t kBlockRight = 1;  // the move to the cell on the right is blocked
constexpr std::uint8_t kBlockUp = 2;     // the move to the cell above is blocked

// Pure: the frame covering [minX, maxX] x [minY, maxY] metres with a margin
// of `margin` cells, its round origin a multiple of `cell` from the
// drawing's origin. False when it would exceed `maxCells` cells.
bool makeFrame(double minX, double minY, double maxX, double maxY, double cell, int margin,
               std::int64_t maxCells, GridFrame& frame);

// Pure: a raster of `frame` with nothing drawn.
Raster makeRaster(const GridFrame& frame);

// Pure: the centre of cell (column, row), metres.
Vec2 cellCentre(const GridFrame& frame, std::int32_t column, std::int32_t row);

// Pure: the cell holding `p`; false when it lies outside the grid.
bool cellAt(const GridFrame& frame, Vec2 p, std::int32_t& column, std::int32_t& row);

// Pure: the round point the plan's column 1, row 1 corner stands for when
// it is cell (column, row) of the frame (the shift left out).
Vec2 roundCorner(const GridFrame& frame, std::int32_t column, std::int32_t row);

// Pure: the round point at the centre of cell (column, row), the shift
// left out: for messages.
Vec2 roundCentre(const GridFrame& frame, std::int32_t column, std::int32_t row);

// Blocks every move whose centre segment the wall p-q crosses or touches;
// the first wall to block a move is remembered as `source`.
void drawWall(Raster& raster, Vec2 p, Vec2 q, std::int32_t source);

// Counts an open end of a wall at `p`.
void addWallEnd(Raster& raster, Vec2 p, std::int32_t source);

// Visits every cell whose centre lies inside `loops` (even-odd: a loop
// inside another is a hole); `loops` are closed point lists in metres.
void forCellsInside(const GridFrame& frame, const std::vector<std::vector<Vec2>>& loops,
                    void (*visit)(std::size_t cell, void* context), void* context);

// Visits the cells a line p-q passes through (sampled at a quarter cell).
void forCellsAlong(const GridFrame& frame, Vec2 p, Vec2 q, void (*visit)(std::size_t cell, void* context),
                   void* context);

// Pure: true when the move from `cell` in direction `blockBit` is blocked
// (or leaves the grid).
bool moveBlocked(const Raster& raster, std::size_t cell, std::uint8_t blockBit);
