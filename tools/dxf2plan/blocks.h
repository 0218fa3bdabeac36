// Block definitions of a drawing and the expansion of block references
// (INSERT): nested references are followed, each with its scale, turn,
// mirror and array copy, and an entity drawn on layer "0" inside a block
// takes the layer of the reference that places it, as CAD programs draw it.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "dxf_read.h"
#include "geometry.h"

constexpr int kMaxBlockDepth = 16;                     // references inside references
constexpr std::int64_t kMaxBlockVertices = 5000000;    // stored for all blocks together
constexpr std::int64_t kMaxExpandedItems = 1000000;  // figures and references all references of a drawing place

struct BlockItem {
  std::string layer;   // as drawn in the block
  bool isInsert;       // a nested reference, else a figure
  Figure figure;       // block frame, drawing units
  DxfInsert insert;    // when isInsert
};

struct Block {
  Vec2 base;                    // the block's base point, drawing units
  std::vector<BlockItem> items;
};

struct BlockStore {
  std::unordered_map<std::string, Block> blocks;
  std::string defining;        // the block being stored; empty when none
  std::int64_t vertices;       // stored so far
  bool full;                   // kMaxBlockVertices was reached; later items were dropped
};

// What an expansion met that it could not place.
struct ExpandTrouble {
  std::string missingBlock;    // a referenced block no definition names; empty when none
  bool tooDeep;                // references nested beyond kMaxBlockDepth (or a block in itself)
  bool tooMany;                // the budget ran out; the rest was dropped
};

// Starts storing the definition of block `name` with base point `base`.
void beginBlock(BlockStore& store, const std::string& name, Vec2 base);

// Ends the definition being stored.
void endBlockDefinition(BlockStore& store);

// Keeps a figure or nested reference of the block being defined (nothing
// when none is, or the store is full).
void storeBlockFigure(BlockStore& store, const std::string& layer, const Figure& figure);
void storeBlockInsert(BlockStore& store, const std::string& layer, const DxfInsert& insert);

// Calls `visit` for every figure that `insert` (standing on `layer`) places,
// through nested references, mapped by `outer` after the reference's own
// map; arcs under maps that do not keep shapes are cut into chords within
// `tolerance` (target units). Each figure or reference placed takes one
// from `budget` (start it at kMaxExpandedItems for a drawing). Returns what
// could not be placed.
ExpandTrouble expandInsert(const BlockStore& store, const DxfInsert& insert, const std::string& layer,
                           const Affine& outer, double tolerance, std::int64_t& budget,
                           void (*visit)(const std::string& layer, const Figure& figure, void* context),
                           void* context);
