#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "dxf2plan.h"
#include "files/output_file.h"
#include "summary.h"

namespace {

struct LevelResult {
  DxfOptions options;
  DxfSummary summary;
};

// The plan cell of a drawing point, before any growth for labels.
void cellOfPoint(std::size_t level, double x, double y, std::int32_t& column, std::int32_t& row, void* context) {
  const LevelResult& r = (*static_cast<const std::vector<LevelResult>*>(context))[level];
  const double scale = r.summary.metresPerUnit / r.options.cell;
  column = static_cast<std::int32_t>(std::floor((x - r.summary.planCorner.x) * scale));
  row = static_cast<std::int32_t>(std::floor((y - r.summary.planCorner.y) * scale));
}

}  // namespace

int runDxfLevels(const DxfOptions& options, const std::string& planPath) {
  std::vector<LevelResult> results;
  bool made = true;
  for (const LevelSetup& level : options.levels.levels) {
    LevelResult r{options, DxfSummary{}};
    r.options.drawing = level.name;  // the level's name stands for it in the joins
    r.options.hasInside = level.hasInside;
    r.options.oneLevelOfMany = true;
    r.options.inside = Vec2{level.insideX, level.insideY};
    const std::string path = level.source.empty() || level.source[0] == '/' ? level.source : options.levelsDir + level.source;
    const bool ok = convertDxf(DxfInput{path.c_str(), {}}, r.options, r.summary);
    r.options.drawing = level.source;
    std::printf("== level %s\n%s\n", level.name.c_str(), formatDxfSummary(r.summary, r.options, planPath).c_str());
    if (!ok) std::fprintf(stderr, "dxf2plan: level %s, %s: %s\n", level.name.c_str(), path.c_str(), r.summary.failure.c_str());
    made = made && ok;
    r.options.drawing = level.name;
    results.push_back(std::move(r));
  }
  std::fflush(stdout);
  if (!made) {
    std::fprintf(stderr, "dxf2plan: nothing written\n");
    return 1;
  }
  std::vector<LevelGrid> grids;
  std::int64_t cells = 0;
  for (const LevelResult& r : results) {
    DxfOptions named = r.options;
    named.drawing = options.levels.levels[grids.size()].source;
    grids.push_back(LevelGrid{r.options.drawing, r.summary.plan, planHeader(r.summary, named), 0, 0});
    for (CellKind kind : r.summary.plan.kinds) cells += kind != CellKind::Rock;
  }
  std::string report, error;
  if (!markAllJoins(options.levels, grids, cellOfPoint, &results, report, error)) {
    std::fprintf(stderr, "dxf2plan: %s; nothing written\n", error.c_str());
    return 1;
  }
  std::printf("Joins: %zu\n%s", options.levels.joins.size(), report.c_str());
  const std::string text = levelsPlanText(grids, options.levels.joins,
                                          {"made by dxf2plan: " + std::to_string(grids.size()) + " levels, " +
                                           std::to_string(options.levels.joins.size()) + " joins, " + std::to_string(cells) + " cells"});
  DxfSummary whole = results[0].summary;
  whole.plan.kinds.assign(static_cast<std::size_t>(cells), CellKind::Floor);
  const std::string advice = dxfLargePlanAdvice(whole, options);
  if (!advice.empty()) std::printf("\nLarge plan: %s\n", advice.c_str());
  std::fflush(stdout);
  if (!writeWholeFile(planPath.c_str(), text)) {
    std::fprintf(stderr, "dxf2plan: cannot write %s: %s; nothing written\n", planPath.c_str(), std::strerror(errno));
    return 1;
  }
  if (!advice.empty()) std::fprintf(stderr, "dxf2plan: %s\n", advice.c_str());
  return 0;
}
