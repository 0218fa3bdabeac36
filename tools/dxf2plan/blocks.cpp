#include "blocks.h"

namespace {

struct Expansion {
  const BlockStore& store;
  double tolerance;
  void (*visit)(const std::string&, const Figure&, void*);
  void* context;
  std::int64_t& budget;
  ExpandTrouble trouble;
};

std::int64_t vertexCount(const Figure& figure) {
  std::int64_t count = 0;
  for (const Loop& loop : figure.loops) count += static_cast<std::int64_t>(loop.vertices.size());
  return count;
}

// The reference's layer for what a block draws on layer "0".
const std::string& placedLayer(const std::string& drawn, const std::string& referenceLayer) {
  return drawn == "0" ? referenceLayer : drawn;
}

void expand(Expansion& e, const DxfInsert& insert, const std::string& layer, const Affine& outer, int depth) {
  const auto found = e.store.blocks.find(insert.block);
  if (found == e.store.blocks.end()) {
    if (e.trouble.missingBlock.empty()) e.trouble.missingBlock = insert.block;
    return;
  }
  if (depth >= kMaxBlockDepth) {
    e.trouble.tooDeep = true;
    return;
  }
  const Block& block = found->second;
  const Affine fromBase{1, 0, 0, 1, -block.base.x, -block.base.y};
  const Affine map = compose(outer, compose(insert.map, fromBase));
  for (const BlockItem& item : block.items) {
    // References count too, so that empty blocks nested wide cannot run long.
    if (e.trouble.tooMany || --e.budget < 0) {
      e.trouble.tooMany = true;
      return;
    }
    const std::string& itemLayer = placedLayer(item.layer, layer);
    if (item.isInsert) {
      expand(e, item.insert, itemLayer, map, depth + 1);
      continue;
    }
    e.visit(itemLayer, transformFigure(item.figure, map, e.tolerance), e.context);
  }
}

}  // namespace

void beginBlock(BlockStore& store, const std::string& name, Vec2 base) {
  store.defining = name;
  Block& block = store.blocks[name];  // a second definition replaces the first
  block = Block{base, {}};
}

void endBlockDefinition(BlockStore& store) { store.defining.clear(); }

void storeBlockFigure(BlockStore& store, const std::string& layer, const Figure& figure) {
  if (store.defining.empty() || store.full) return;
  store.vertices += vertexCount(figure);
  if (store.vertices > kMaxBlockVertices) {
    store.full = true;
    return;
  }
  store.blocks[store.defining].items.push_back(BlockItem{layer, false, figure, DxfInsert{}});
}

void storeBlockInsert(BlockStore& store, const std::string& layer, const DxfInsert& insert) {
  if (store.defining.empty() || store.full) return;
  if (++store.vertices > kMaxBlockVertices) {
    store.full = true;
    return;
  }
  store.blocks[store.defining].items.push_back(BlockItem{layer, true, Figure{}, insert});
}

ExpandTrouble expandInsert(const BlockStore& store, const DxfInsert& insert, const std::string& layer,
                           const Affine& outer, double tolerance,
                           std::int64_t& budget,
                           void (*visit)(const std::string&, const Figure&, void*), void* context) {
  Expansion e{store, tolerance, visit, context, budget, ExpandTrouble{std::string(), false, false}};
  expand(e, insert, layer, outer, 0);
  return e.trouble;
}
