// plan2mesh's reading of a plan over arbitrary text, levels and joins
// included. A plan it takes must give a mesh whose every named neighbour
// names the cell back across the facing side, whose joined cells are the
// flagged ends of one label on two levels, and which the program's reader
// reads back whole.
#include <string>

#include "fuzz_common.h"
#include "plan2mesh.h"
#include "scene/reader.h"

namespace {

CellId sideOf(const PlanCell& c, int side) {
  const CellId sides[4] = {c.right, c.top, c.left, c.bottom};
  return sides[side];
}

void checkPlan(const Plan& plan) {
  require(!plan.exits.empty(), "a plan without exits was taken");
  const auto count = static_cast<CellId>(plan.cells.size());
  for (CellId id = 1; id <= count; ++id) {
    const PlanCell& c = plan.cells[static_cast<std::size_t>(id - 1)];
    require(plan.levels.empty() ? c.level == 0
                                : c.level >= 0 && c.level < static_cast<int>(plan.levels.size()),
            "a cell on no level");
    for (int s = 0; s < 4; ++s) {
      const CellId n = sideOf(c, s);
      if (n == kNoCell) continue;
      require(n >= 1 && n <= count, "a neighbour outside the plan");
      const PlanCell& o = plan.cells[static_cast<std::size_t>(n - 1)];
      require(sideOf(o, (s + 2) % 4) == id, "a neighbour that does not name the cell back");
      if (o.level != c.level) {
        require(c.joinEnd && o.joinEnd && c.join != '\0' && c.join == o.join,
                "cells of two levels joined without a label");
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Plan plan;
  PlanError error;
  if (!parsePlan(asText(data, size), plan, error)) {
    require(!error.message.empty(), "a refusal without a reason");
    return 0;
  }
  checkPlan(plan);
  for (const PlanCell& c : plan.cells) {
    require(c.door < static_cast<std::int32_t>(plan.doors.size()), "a door name out of the list");
    require(c.door < 0 || findPlanSymbol(c.symbol)->exit, "a door name on a cell that is no exit");
  }
  const std::string mesh = formatMesh(plan);
  TextCursor in = makeCursor(mesh);
  require(skipMeshHeader(in), "the mesh header is short");
  MeshRecord record{};
  FieldFailure failure{};
  std::size_t records = 0;
  while (readMeshRecord(in, record, failure)) ++records;
  require(records == plan.cells.size() && failure.result == FieldResult::EndOfText,
          "the mesh does not read back whole");
  return 0;
}
