// dxf2plan's reading path on any bytes: the group reader and its checks,
// dxflib behind them, blocks, the grid and the plan, with the floor taken
// from floor shapes and again filled from a point. Checks that a plan,
// when one results, is as large as its grid says and writes no line
// longer than its columns.
#include <cstddef>
#include <cstdint>
#include <string>

#include "convert.h"
#include "fuzz_common.h"
#include "plan_build.h"
#include "raster.h"
#include "blocks.h"

namespace {

void checkPlan(const DxfSummary& s) {
  const PlanGrid& plan = s.plan;
  require(plan.columns > 0 && plan.rows > 0, "a plan has cells");
  require(plan.kinds.size() == static_cast<std::size_t>(plan.columns) * plan.rows, "kinds fill the grid");
  require(plan.walls.size() == plan.kinds.size(), "walls fill the grid");
  const std::string text = planText(plan, {"fuzz"});
  std::size_t lines = 0, start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\n') continue;
    if (lines > 0) require(i - start <= static_cast<std::size_t>(plan.columns), "a plan line fits its columns");
    ++lines;
    start = i + 1;
  }
  require(lines == static_cast<std::size_t>(plan.rows) + 1, "one line a row after the header");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Small limits keep each run short; the paths are those of full size.
  DxfOptions options{0.5, "m", false, {1, 1}, RoleTable{{}, true}, "fuzz.dxf", 200000, 20000, {}, false, ""};
  for (int pass = 0; pass < 2; ++pass) {
    options.hasInside = pass == 1;
    DxfSummary summary;
    if (convertDxf(DxfInput{nullptr, asText(data, size)}, options, summary)) {
      checkPlan(summary);
    } else {
      require(!summary.failure.empty(), "a failure says why");
    }
  }
  return 0;
}
