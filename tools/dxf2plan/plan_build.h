// From drawn geometry to plan cells: each figure drawn onto the grid by its
// layer's role, and the grid then turned into the plan, with every problem
// the plan format or the drawing raises.
#pragma once

#include <cstdint>
#include <string>

#include "convert.h"
#include "raster.h"
#include "roles.h"

// The entity a figure comes from: the top-level entity, and the layer its
// figure stands on (a block's entity on layer "0" takes the reference's).
struct DrawnEntity {
  const DxfEntityInfo& entity;
  const std::string& layer;
  std::int32_t* wallSource;  // the entity's wall source in the raster; -1 until it draws a wall
};

// Draws `figure` (metres) by `role`: a wall blocks the moves it crosses
// and counts its open ends; a floor shape (closed loops, even-odd) gives
// its kind to the cells whose centres it holds, the more particular kind
// winning where shapes overlap (floor < service < platform < stair <
// escalator < gate); an exit marks the cells it covers or passes through.
// Floor shapes that are not closed or have fewer than three points are
// reported in `summary` and left out.
void drawFigure(Raster& raster, const LayerRole& role, const Figure& figure, double tolerance,
                const DrawnEntity& drawn, DxfSummary& summary);

// Makes summary.plan from the drawn grid. With `hasInside`, floor is what a
// fill from `inside` (metres) reaches through unblocked moves, stopping at
// exit cells; without it, the cells of floor shapes. With `reachChecks`
// a plan without exits and floor no exit reaches are problems (not so for
// one level of several, whose way out may be on another). False, with
// summary.failure said, when the fill reaches the grid's edge (naming the
// loose wall end it passed) or no floor results.
bool buildPlan(Raster& raster, bool hasInside, Vec2 inside, bool reachChecks, DxfSummary& summary);
