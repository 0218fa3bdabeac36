#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "files/output_file.h"
#include "small_inputs.h"
#include "img2plan.h"

namespace {

struct PictureLevel {
  std::int32_t height;  // pixels
};

// A join's point is a pixel: x from the left, y down from the top.
void cellOfPixel(std::size_t level, double x, double y, std::int32_t& column, std::int32_t& row, void* context) {
  const PictureLevel& p = (*static_cast<const std::vector<PictureLevel>*>(context))[level];
  column = static_cast<std::int32_t>(std::floor(x));
  row = p.height - 1 - static_cast<std::int32_t>(std::floor(y));
}

}  // namespace

bool loadLevelsFile(const std::string& path, LevelsSetup& levels, std::string& error) {
  toml::table file;
  if (!readSmallToml(path, "levels", file, error)) return false;
  for (const auto& [key, node] : file) {
    if ((key.str() != "level" && key.str() != "join") || !node.is_array()) {
      error = path + ": unknown key '" + std::string(key.str()) + "' (a levels file holds [[level]] and [[join]])";
      return false;
    }
  }
  if (!readLevels(file, path, "picture", levels, error)) return false;
  if (levels.levels.empty()) {
    error = path + ": no [[level]]";
    return false;
  }
  return true;
}

int runImgLevels(const LevelsSetup& levels, const std::string& dir, const Palette& palette, const std::string& planPath,
                 double cell) {
  std::vector<LevelGrid> grids;
  std::vector<PictureLevel> sizes;
  std::int64_t cells = 0;
  for (const LevelSetup& level : levels.levels) {
    const std::string path = level.source.empty() || level.source[0] == '/' ? level.source : dir + level.source;
    Picture picture;
    std::string error;
    if (!readPicture(path.c_str(), picture, error)) {
      std::fprintf(stderr, "img2plan: level %s, %s: %s; nothing written\n", level.name.c_str(), path.c_str(), error.c_str());
      return 1;
    }
    PictureSummary s = convertPicture(picture, palette);
    std::printf("== level %s\n%s\n", level.name.c_str(), formatPictureSummary(s, palette, level.source, planPath, cell).c_str());
    for (CellKind kind : s.plan.kinds) cells += kind != CellKind::Rock;
    sizes.push_back(PictureLevel{picture.height});
    std::vector<std::string> header = pictureHeader(s, level.source, cell);
    grids.push_back(LevelGrid{level.name, std::move(s.plan), std::move(header), 0, 0});
  }
  std::string report, error;
  if (!markAllJoins(levels, grids, cellOfPixel, &sizes, report, error)) {
    std::fprintf(stderr, "img2plan: %s; nothing written\n", error.c_str());
    return 1;
  }
  std::printf("Joins: %zu\n%s", levels.joins.size(), report.c_str());
  std::fflush(stdout);
  const std::string text = levelsPlanText(grids, levels.joins,
                                          {"made by img2plan: " + std::to_string(grids.size()) + " levels, " +
                                           std::to_string(levels.joins.size()) + " joins, " + std::to_string(cells) + " cells"});
  if (!writeWholeFile(planPath.c_str(), text)) {
    std::fprintf(stderr, "img2plan: cannot write %s: %s; nothing written\n", planPath.c_str(), std::strerror(errno));
    return 1;
  }
  const std::string advice = largePlanAdvice(
      cells, "Scaled to " + std::to_string(static_cast<int>(std::floor(fittingScale(cells) * 100))) +
                 " % of their widths and heights the pictures would fit");
  if (!advice.empty()) std::fprintf(stderr, "img2plan: %s\n", advice.c_str());
  return 0;
}
