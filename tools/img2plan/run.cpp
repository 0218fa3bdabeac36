#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "files/output_file.h"
#include "small_inputs.h"
#include "img2plan.h"

namespace {

constexpr char kUsage[] =
    "usage: img2plan [options] PICTURE.png PLAN\n"
    "  --palette FILE.toml  the colours of the kinds ([colours] KIND = \"#RRGGBB\" or a list)\n"
    "  --tolerance N        RGB distance still read as a palette colour (default 40)\n"
    "  --cell METRES        metres a pixel, for the plan's header and the summary\n"
    "  --levels FILE.toml   several pictures, one a level, and the joins between them\n"
    "                       ([[level]] name, picture; [[join]]); then give only PLAN\n";

struct Args {
  std::string picture, plan, paletteFile, levelsFile;
  double tolerance;  // < 0: the palette's own
  double cell;       // 0: not given
  bool help;
};

bool parseArgs(int argc, const char* const* argv, Args& args, std::string& error) {
  args = Args{"", "", "", "", -1, 0, false};
  std::vector<std::string> paths;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      args.help = true;
      return true;
    }
    if (arg != "--palette" && arg != "--tolerance" && arg != "--cell" && arg != "--levels") {
      if (arg.size() > 1 && arg[0] == '-') {
        error = "unknown option " + arg;
        return false;
      }
      paths.push_back(arg);
      continue;
    }
    if (i + 1 >= argc) {
      error = arg + " needs a value";
      return false;
    }
    const char* value = argv[++i];
    if (arg == "--palette") args.paletteFile = value;
    if (arg == "--levels") args.levelsFile = value;
    if (arg == "--tolerance" && !(parseFiniteNumber(value, args.tolerance) && args.tolerance >= 0 && args.tolerance <= 441)) {
      error = std::string("--tolerance ") + value + ": give an RGB distance from 0 to 441";
      return false;
    }
    if (arg == "--cell" && !(parseFiniteNumber(value, args.cell) && args.cell > 0 && args.cell <= 100)) {
      error = std::string("--cell ") + value + ": give metres a pixel, above 0 and at most 100";
      return false;
    }
  }
  const std::size_t wanted = args.levelsFile.empty() ? 2 : 1;
  if (paths.size() != wanted) {
    error = wanted == 2 ? "give the picture and the plan to write" : "give only the plan to write: the levels file names the pictures";
    return false;
  }
  args.picture = wanted == 2 ? paths[0] : "";
  args.plan = paths.back();
  return true;
}

}  // namespace

int runImg2plan(int argc, const char* const* argv) {
  Args args;
  std::string error;
  Palette palette = defaultPalette();
  if (!parseArgs(argc, argv, args, error) || (!args.paletteFile.empty() && !loadPalette(args.paletteFile, palette, error))) {
    std::fprintf(stderr, "img2plan: %s\n%s", error.c_str(), kUsage);
    return 2;
  }
  if (args.help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (args.tolerance >= 0) palette.tolerance = args.tolerance;
  LevelsSetup levels;
  if (!args.levelsFile.empty()) {
    if (!loadLevelsFile(args.levelsFile, levels, error)) {
      std::fprintf(stderr, "img2plan: %s\n%s", error.c_str(), kUsage);
      return 2;
    }
    const std::size_t slash = args.levelsFile.find_last_of('/');
    return runImgLevels(levels, slash == std::string::npos ? "" : args.levelsFile.substr(0, slash + 1), palette,
                        args.plan, args.cell);
  }
  if (sameFile(args.picture.c_str(), args.plan.c_str())) {
    std::fprintf(stderr, "img2plan: the plan would replace the picture (%s); nothing written\n", args.plan.c_str());
    return 2;
  }
  Picture picture;
  if (!readPicture(args.picture.c_str(), picture, error)) {
    std::fprintf(stderr, "img2plan: %s: %s; nothing written\n", args.picture.c_str(), error.c_str());
    return 1;
  }
  const std::size_t slash = args.picture.find_last_of('/');
  const std::string name = slash == std::string::npos ? args.picture : args.picture.substr(slash + 1);
  const PictureSummary summary = convertPicture(picture, palette);
  picture = Picture{};
  std::fputs(formatPictureSummary(summary, palette, name, args.plan, args.cell).c_str(), stdout);
  std::fflush(stdout);
  const std::vector<std::int64_t> counts = countKinds(summary.plan);
  if (counts[static_cast<int>(CellKind::Rock)] + counts[static_cast<int>(CellKind::Exit)] ==
      static_cast<std::int64_t>(summary.plan.kinds.size())) {
    std::fprintf(stderr, "img2plan: %s: no floor: no pixel has a floor colour; nothing written\n", args.picture.c_str());
    return 1;
  }
  if (!writeWholeFile(args.plan.c_str(), planText(summary.plan, pictureHeader(summary, name, args.cell)))) {
    std::fprintf(stderr, "img2plan: cannot write %s: %s; nothing written\n", args.plan.c_str(), std::strerror(errno));
    return 1;
  }
  const std::string advice = pictureLargePlanAdvice(summary);
  if (!advice.empty()) std::fprintf(stderr, "img2plan: %s\n", advice.c_str());
  return 0;
}
