#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "dxf2plan.h"
#include "small_inputs.h"
#include "files/output_file.h"
#include "blocks.h"
#include "raster.h"
#include "summary.h"

namespace {

constexpr char kUsage[] =
    "usage: dxf2plan [options] DRAWING.dxf PLAN\n"
    "  --cell METRES        side of a plan cell (default 0.5)\n"
    "  --units mm|cm|dm|m|in|ft  the drawing's units when $INSUNITS does not say (or overrides it)\n"
    "  --inside X,Y         floor is what the walls enclose round this point (drawing units)\n"
    "  --layer PATTERN=ROLE a layer's role: wall, exit, ignore, floor, platform, stair,\n"
    "                       escalator, gate or service ('*' and '?' match any characters)\n"
    "  --roles FILE.toml    roles from a file ([layers] ROLE = [\"PATTERN\", ...])\n";

bool parsePoint(const std::string& text, Vec2& p) {
  const std::size_t comma = text.find(',');
  return comma != std::string::npos && parseFiniteNumber(text.substr(0, comma).c_str(), p.x) &&
         parseFiniteNumber(text.substr(comma + 1).c_str(), p.y);
}

// One option's value into `options` (role files are only named here, and
// read once every --layer is in). False, with `error` said, when it is bad.
bool takeValue(const std::string& arg, const std::string& value, DxfOptions& options,
               std::vector<std::string>& roleFiles, std::string& error) {
  double metres = 0;
  if (arg == "--cell" && !(parseFiniteNumber(value.c_str(), options.cell) && options.cell >= 0.01 && options.cell <= 100)) {
    error = "--cell " + value + ": give a cell side in metres from 0.01 to 100";
    return false;
  }
  if (arg == "--units" && !unitsOfWord(value, metres)) {
    error = "--units " + value + ": give mm, cm, dm, m, in or ft";
    return false;
  }
  if (arg == "--units") options.units = value;
  if (arg == "--inside" && !parsePoint(value, options.inside)) {
    error = "--inside " + value + ": give X,Y in drawing units";
    return false;
  }
  if (arg == "--inside") options.hasInside = true;
  if (arg == "--layer" && !addLayerRule(options.roles, value, error)) return false;
  if (arg == "--roles") roleFiles.push_back(value);
  return true;
}

}  // namespace

bool parseDxf2planArgs(int argc, const char* const* argv, DxfOptions& options, std::string& drawing,
                       std::string& plan, bool& help, std::string& error) {
  options = DxfOptions{0.5, "", false, {0, 0}, RoleTable{{}, true}, "", kMaxGridCells, kMaxExpandedItems, {}, false, ""};
  help = false;
  std::vector<std::string> paths;
  std::vector<std::string> roleFiles;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      help = true;
      return true;
    }
    const bool takesValue = arg == "--cell" || arg == "--units" || arg == "--inside" || arg == "--layer" || arg == "--roles";
    if (!takesValue) {
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
    if (!takeValue(arg, argv[++i], options, roleFiles, error)) return false;
  }
  // A file's rules go after every --layer, whatever the order on the line.
  for (const std::string& file : roleFiles) {
    LevelsSetup levels;
    if (!loadRoleFile(options.roles, file, levels, error)) return false;
    if (levels.levels.empty()) continue;
    options.levels = levels;
    const std::size_t slash = file.find_last_of('/');
    options.levelsDir = slash == std::string::npos ? "" : file.substr(0, slash + 1);
  }
  const std::size_t wanted = options.levels.levels.empty() ? 2 : 1;
  if (paths.size() != wanted) {
    error = wanted == 2 ? "give the drawing and the plan to write"
                        : "give only the plan to write: the roles file names each level's drawing";
    return false;
  }
  if (options.hasInside && wanted == 1) {
    error = "--inside: with levels, give each level's inside = [X, Y] in the roles file";
    return false;
  }
  drawing = wanted == 2 ? paths[0] : "";
  plan = paths.back();
  const std::size_t slash = drawing.find_last_of('/');
  options.drawing = slash == std::string::npos ? drawing : drawing.substr(slash + 1);
  return true;
}

int runDxf2plan(int argc, const char* const* argv) {
  DxfOptions options;
  std::string drawing, planPath, error;
  bool help = false;
  if (!parseDxf2planArgs(argc, argv, options, drawing, planPath, help, error)) {
    std::fprintf(stderr, "dxf2plan: %s\n%s", error.c_str(), kUsage);
    return 2;
  }
  if (help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (!options.levels.levels.empty()) return runDxfLevels(options, planPath);
  if (sameFile(drawing.c_str(), planPath.c_str())) {
    std::fprintf(stderr, "dxf2plan: the plan would replace the drawing (%s); nothing written\n", planPath.c_str());
    return 2;
  }
  DxfSummary summary;
  const bool made = convertDxf(DxfInput{drawing.c_str(), {}}, options, summary);
  std::string text;
  if (made) text = planText(summary.plan, planHeader(summary, options));
  std::fputs(formatDxfSummary(summary, options, planPath).c_str(), stdout);
  std::fflush(stdout);
  if (!made) {
    std::fprintf(stderr, "dxf2plan: %s: %s; nothing written\n", drawing.c_str(), summary.failure.c_str());
    return 1;
  }
  if (!writeWholeFile(planPath.c_str(), text)) {
    std::fprintf(stderr, "dxf2plan: cannot write %s: %s; nothing written\n", planPath.c_str(), std::strerror(errno));
    return 1;
  }
  const std::string advice = dxfLargePlanAdvice(summary, options);
  if (!advice.empty()) std::fprintf(stderr, "dxf2plan: %s\n", advice.c_str());
  return 0;
}
