// dxf2plan's conversion: a drawing read twice, once for its blocks, layers
// and extent, once to draw walls, floor and exits onto a grid of cells,
// which then becomes the plan. Memory follows the grid and the blocks, not
// the number of entities.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "dxf_read.h"
#include "geometry.h"
#include "levels.h"
#include "plan_grid.h"
#include "roles.h"

constexpr std::size_t kMaxKeptProblems = 100;  // problems kept word for word; the rest are counted
constexpr std::size_t kMaxNamedLayers = 10000; // layers counted by name; the rest together

struct DxfOptions {
  double cell;          // metres: side of a plan cell
  std::string units;    // mm, cm, m, in, ft; empty to take the drawing's $INSUNITS
  bool hasInside;       // floor is what the walls enclose around `inside`
  Vec2 inside;          // drawing units
  RoleTable roles;
  std::string drawing;  // the drawing's name, for the plan's header
  std::int64_t gridCells;      // the working grid's largest size (kMaxGridCells)
  std::int64_t expandedItems;  // block entities placed in one reading at most (kMaxExpandedItems)
  LevelsSetup levels;           // from the roles file: several drawings, one a level, and their joins
  bool oneLevelOfMany;         // the drawing is one level: its exits may lie on another
  std::string levelsDir;       // the roles file's folder, where its drawings' names start
};

// Where the drawing comes from: a file, or text in memory when `path` is null.
struct DxfInput {
  const char* path;
  std::string_view text;
};

struct LayerTally {
  std::int64_t entities;  // top-level entities on the layer
  std::int64_t used;      // of them, drawn into the plan
  std::string role;       // the role's word
  std::string rule;       // why: the rule and where it came from
};

struct TypeTally {
  std::int64_t entities;
  std::int64_t used;
  std::int64_t onIgnoredLayers;
  std::int64_t skipped[kDxfSkipCount];  // by DxfSkip
};

struct DxfSummary {
  DxfHeader header;
  std::string units;         // the units used: mm, cm, m, in, ft
  std::string unitsFrom;     // "$INSUNITS 4", "--units", "--units over $INSUNITS 6"
  double metresPerUnit;
  std::int64_t blocks;       // block definitions
  std::map<std::string, LayerTally> layers;
  std::map<std::string, TypeTally> types;
  std::vector<std::string> problems;  // the first kMaxKeptProblems
  std::int64_t problemCount;
  std::vector<std::string> notes;     // what was done that the reader should know
  bool extentFound;
  Vec2 low, high;            // metres: extent of the wall, floor and exit geometry
  PlanGrid plan;             // the plan, trimmed to its cells
  Vec2 planCorner;           // drawing units: lower-left corner of column 1, row 1
  std::string failure;       // why no plan was made; empty when one was
};

// Pure: metres per drawing unit for `word` (mm, cm, m, in, ft); false for others.
bool unitsOfWord(const std::string& word, double& metres);

// Converts the drawing. True with summary.plan filled when a plan with
// floor results; false with summary.failure said otherwise (a read error,
// unknown units, nothing on wall, floor or exit layers, an outline that
// leaks, no floor).
bool convertDxf(const DxfInput& input, const DxfOptions& options, DxfSummary& summary);

// Records a problem about an entity (all are counted, the first kept).
void addProblem(DxfSummary& summary, const std::string& text);

// Pure: "TYPE handle H on layer L (line N)" for messages.
std::string describeEntity(const DxfEntityInfo& info);
