// A plan read into memory of its own size, for the companion tools that
// must handle plans larger than the program's cell table: cells get dense
// indices in the order of their numbers, so cell numbers may be sparse and
// as large as 32 bits allow, and nothing is sized by the largest of them.
//
// Moves follow the program's walk: a move from a cell across one of its
// sides needs that side open and the facing side of the cell it names open.
// A side is closed by its wall flag (left and bottom) or by a neighbour
// number that names no record of the file; the program instead walks into
// a slot without a record, which this graph never does.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "scene/scene.h"

constexpr int kNoIndex = -1;  // dense index of no cell
constexpr int kGraphSides = 4;  // side order of the walk: 0 right, 1 top, 2 left, 3 bottom

struct PlanGraph {
  std::vector<CellId> number;                  // mesh cell number of each index, ascending
  std::vector<std::int32_t> column;            // grid column of each index
  std::vector<std::int32_t> row;               // grid row of each index
  std::vector<std::uint16_t> kind;             // index in kindWords of each cell's field 8
  std::vector<std::array<std::int32_t, kGraphSides>> move;  // index a move across side k reaches, or kNoIndex
  std::vector<std::string> kindWords;          // the distinct field-8 words, first-seen order
  std::vector<std::int32_t> exits;             // indices of the exit cells, distinct, in the order first listed
  std::vector<std::int64_t> exitLine;          // exit file line of each entry of `exits`
  std::vector<std::string> exitDoorName;       // the `door=` tag of each exit cell's record, or ""
  std::vector<std::int64_t> recordLine;        // mesh file line of each cell's record
};

// What reading a plan skipped or where it stopped; the first kKeptWarnings
// are kept as "file:line: reason" and the rest only counted.
constexpr int kKeptWarnings = 20;
struct PlanWarnings {
  std::vector<std::string> kept;  // at most kKeptWarnings
  std::int64_t count = 0;         // all of them
};

// Reads the mesh and exit files a piece at a time into `graph` (cleared
// first). False, with `error` set, when a file cannot be opened or read,
// or the mesh holds no record; skipped records and exits and an early stop
// are warnings, which name each file by the last part of its path.
bool readPlanGraph(const char* meshPath, const char* exitPath, PlanGraph& graph,
                   PlanWarnings& warnings, std::string& error);

// readPlanGraph on texts in memory, for tests.
bool readPlanGraphText(std::string_view meshText, std::string_view exitText, PlanGraph& graph,
                       PlanWarnings& warnings, std::string& error);

// The dense index of cell number `cell`, or kNoIndex.
std::int32_t indexOfCell(const PlanGraph& graph, CellId cell);

// Number of cells of the graph.
inline std::int32_t cellCount(const PlanGraph& graph) {
  return static_cast<std::int32_t>(graph.number.size());
}
