#include "convert.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <sys/stat.h>

#include "blocks.h"
#include "plan_build.h"
#include "raster.h"

namespace {


struct UnitName {
  const char* word;
  int insunits;    // the $INSUNITS code
  double metres;   // metres a unit
};

constexpr UnitName kUnits[] = {{"in", 1, 0.0254}, {"ft", 2, 0.3048}, {"mm", 4, 0.001},
                               {"cm", 5, 0.01},   {"m", 6, 1.0},     {"dm", 14, 0.1}};

// One reading of the drawing: the first finds blocks and the extent, the
// second draws.
struct Pass {
  bool drawing;                     // the second reading
  const DxfOptions& options;
  DxfSummary& summary;
  BlockStore& blocks;
  Raster* raster;                   // the second reading's grid
  std::int64_t budget;              // block expansion, see expandInsert
  bool unitsKnown;
  Affine toMetres;
  std::map<std::string, RoleMatch> roles;  // by layer name
  DxfEntityInfo entity;             // the entity at hand (top level)
  bool entityUsed, entitySkipped, entityTopLevel;
  std::int32_t wallSource;          // the entity's index in raster->sources; -1 before it draws one
  bool troubleReported;
};

const std::string& tallyName(const DxfSummary& s, const std::string& layer) {
  static const std::string kOthers = "(other layers)";
  return s.layers.size() < kMaxNamedLayers || s.layers.count(layer) != 0 ? layer : kOthers;
}

const RoleMatch& roleFor(Pass& pass, const std::string& layer) {
  auto found = pass.roles.find(layer);
  if (found != pass.roles.end()) return found->second;
  const RoleMatch match = roleOf(pass.options.roles, layer);
  if (pass.roles.size() >= kMaxNamedLayers) pass.roles.clear();
  return pass.roles.emplace(layer, match).first->second;
}

bool resolveUnits(Pass& pass) {
  if (pass.unitsKnown) return true;
  DxfSummary& s = pass.summary;
  if (!s.failure.empty()) return false;
  const int code = s.header.insunits;
  std::string fromFile;
  for (const UnitName& u : kUnits) {
    if (u.insunits == code) fromFile = u.word;
  }
  if (!pass.options.units.empty()) {
    unitsOfWord(pass.options.units, s.metresPerUnit);
    s.units = pass.options.units;
    s.unitsFrom = code > 0 && fromFile != s.units ? "--units, over $INSUNITS " + std::to_string(code) : "--units";
  } else if (!fromFile.empty()) {
    unitsOfWord(fromFile, s.metresPerUnit);
    s.units = fromFile;
    s.unitsFrom = "$INSUNITS " + std::to_string(code);
  } else {
    s.failure = code <= 0 ? "the drawing does not say its units ($INSUNITS is " +
                                std::string(code < 0 ? "missing" : "0, unitless") + "); give --units mm|cm|m|in|ft"
                          : "the drawing's units ($INSUNITS " + std::to_string(code) +
                                ") are not mm, cm, dm, m, in or ft; give --units";
    return false;
  }
  pass.toMetres = Affine{s.metresPerUnit, 0, 0, s.metresPerUnit, 0, 0};
  pass.unitsKnown = true;
  return true;
}

void settleEntity(Pass& pass) {
  if (!pass.drawing || !pass.entityTopLevel) return;
  pass.entityTopLevel = false;
  TypeTally& type = pass.summary.types[pass.entity.type];
  LayerTally& layer = pass.summary.layers[tallyName(pass.summary, pass.entity.layer)];
  if (pass.entityUsed) {
    ++type.used;
    ++layer.used;
  } else if (!pass.entitySkipped) {
    ++type.onIgnoredLayers;
  }
}

void extend(DxfSummary& s, Vec2 p) {
  if (!s.extentFound) {
    s.low = s.high = p;
    s.extentFound = true;
    return;
  }
  s.low = {std::min(s.low.x, p.x), std::min(s.low.y, p.y)};
  s.high = {std::max(s.high.x, p.x), std::max(s.high.y, p.y)};
}

double tolerance(const Pass& pass) { return pass.options.cell / 16.0; }

// A figure in metres on `layer`, from the entity at hand.
void placeFigure(const std::string& layer, const Figure& figure, void* context) {
  Pass& pass = *static_cast<Pass*>(context);
  const RoleMatch& match = roleFor(pass, layer);
  if (match.role.use == LayerUse::Ignore) return;
  pass.entityUsed = true;
  if (!pass.drawing) {
    for (const Loop& loop : figure.loops) {
      for (Vec2 p : flattenLoop(loop, tolerance(pass))) extend(pass.summary, p);
    }
    return;
  }
  DrawnEntity drawn{pass.entity, layer, &pass.wallSource};
  drawFigure(*pass.raster, match.role, figure, tolerance(pass), drawn, pass.summary);
}

void onEntity(const DxfEntityInfo& info, void* context) {
  Pass& pass = *static_cast<Pass*>(context);
  settleEntity(pass);
  if (!info.block.empty()) return;
  pass.entity = info;
  pass.entityUsed = pass.entitySkipped = false;
  pass.entityTopLevel = true;
  pass.wallSource = -1;
  if (pass.drawing) return;
  ++pass.summary.types[info.type].entities;
  LayerTally& layer = pass.summary.layers[tallyName(pass.summary, info.layer)];
  if (layer.entities++ == 0) {
    const RoleMatch& match = roleFor(pass, info.layer);
    layer.role = roleWord(match.role);
    layer.rule = match.rule == nullptr ? "no rule names it"
                                       : match.rule->pattern + " (" + match.rule->origin + ")" +
                                             (match.rule->reason.empty() ? "" : ": " + match.rule->reason);
  }
}

void onFigure(const DxfEntityInfo& info, const Figure& figure, void* context) {
  Pass& pass = *static_cast<Pass*>(context);
  if (!info.block.empty()) {
    if (!pass.drawing) storeBlockFigure(pass.blocks, info.layer, figure);
    return;
  }
  if (info.paperSpace || !resolveUnits(pass)) return;
  placeFigure(info.layer, transformFigure(figure, pass.toMetres, tolerance(pass)), context);
}

void onInsert(const DxfEntityInfo& info, const DxfInsert& insert, void* context) {
  Pass& pass = *static_cast<Pass*>(context);
  if (!info.block.empty()) {
    if (!pass.drawing) storeBlockInsert(pass.blocks, info.layer, insert);
    return;
  }
  if (!resolveUnits(pass)) return;
  const ExpandTrouble trouble = expandInsert(pass.blocks, insert, info.layer, pass.toMetres, tolerance(pass),
                                             pass.budget, placeFigure, context);
  if (!pass.drawing || pass.troubleReported) return;
  std::string what;
  if (!trouble.missingBlock.empty()) what = "refers to block '" + trouble.missingBlock + "', which the drawing does not define";
  if (trouble.tooDeep) what = "nests blocks more than " + std::to_string(kMaxBlockDepth) + " deep (or a block in itself); the deeper ones are left out";
  if (trouble.tooMany) {
    what = "takes the drawing past " + std::to_string(pass.options.expandedItems) + " placed block entities; the rest are left out";
    pass.troubleReported = true;
  }
  if (!what.empty()) addProblem(pass.summary, describeEntity(info) + ": " + what);
}

void onSkipped(const DxfEntityInfo& info, DxfSkip why, void* context) {
  Pass& pass = *static_cast<Pass*>(context);
  if (!info.block.empty() || !pass.drawing) return;
  pass.entitySkipped = true;
  ++pass.summary.types[info.type].skipped[static_cast<int>(why)];
  // Text and dimensions belong on layers of their own; on a wall, floor or
  // exit layer they may be what was meant as one (a room's name for its floor).
  const bool onUsedLayer = roleFor(pass, info.layer).role.use != LayerUse::Ignore;
  if (why == DxfSkip::ThreeD || why == DxfSkip::Tilted || why == DxfSkip::NotFinite ||
      why == DxfSkip::Unsupported || onUsedLayer) {
    addProblem(pass.summary, describeEntity(info) + ": " + skipWords(why) +
                                 (onUsedLayer ? " on a " + roleWord(roleFor(pass, info.layer).role) + " layer" : "") +
                                 "; left out");
  }
}

void onBlockStart(const std::string& name, Vec2 base, void* context) {
  Pass& pass = *static_cast<Pass*>(context);
  settleEntity(pass);
  if (pass.drawing) return;
  ++pass.summary.blocks;
  beginBlock(pass.blocks, name, base);
}

void onBlockEnd(void* context) {
  Pass& pass = *static_cast<Pass*>(context);
  if (!pass.drawing) endBlockDefinition(pass.blocks);
}

bool readPass(const DxfInput& input, Pass& pass) {
  const DxfSink sink{&pass, onEntity, onFigure, onInsert, onSkipped, onBlockStart, onBlockEnd};
  DxfReadError error;
  DxfHeader& header = pass.summary.header;
  bool read = false;
  if (input.path == nullptr) {
    read = readDxfText(input.text, sink, header, error);
  } else {
    TextCursor in{};
    errno = 0;
    struct stat info {};
    if (stat(input.path, &info) == 0 && !S_ISREG(info.st_mode)) {
      pass.summary.failure = "the drawing must be a file: it is read twice (a pipe or device cannot be)";
      return false;
    }
    if (!openFileCursor(input.path, in)) {
      pass.summary.failure = std::string("cannot read the drawing: ") + std::strerror(errno);
      return false;
    }
    read = readDxf(in, sink, header, error);
    closeCursor(in);
  }
  settleEntity(pass);
  if (!read) {
    pass.summary.failure = (error.line > 0 ? "line " + std::to_string(error.line) + ": " : std::string()) + error.message;
    return false;
  }
  return true;
}

}  // namespace

bool unitsOfWord(const std::string& word, double& metres) {
  for (const UnitName& u : kUnits) {
    if (word == u.word) {
      metres = u.metres;
      return true;
    }
  }
  return false;
}

void addProblem(DxfSummary& summary, const std::string& text) {
  if (summary.problems.size() < kMaxKeptProblems) summary.problems.push_back(text);
  ++summary.problemCount;
}

std::string describeEntity(const DxfEntityInfo& info) {
  std::string text = info.type;
  if (!info.handle.empty()) text += " " + info.handle;
  text += " on layer " + info.layer;
  if (info.line > 0) text += " (line " + std::to_string(info.line) + ")";
  return text;
}

bool convertDxf(const DxfInput& input, const DxfOptions& options, DxfSummary& summary) {
  summary = DxfSummary{};
  summary.metresPerUnit = 1.0;
  BlockStore blocks{};
  Pass first{false, options, summary, blocks, nullptr, options.expandedItems, false, identityAffine(), {},
             DxfEntityInfo{}, false, false, false, -1, false};
  if (!readPass(input, first) || !summary.failure.empty() || !resolveUnits(first)) return false;
  if (blocks.full) {
    addProblem(summary, "the drawing's blocks hold more than " + std::to_string(kMaxBlockVertices) +
                            " vertices; the later ones are left out");
  }
  const Vec2 inside{options.inside.x * summary.metresPerUnit, options.inside.y * summary.metresPerUnit};
  if (!summary.extentFound) {
    summary.failure = "nothing is drawn on a wall, floor or exit layer; name the layers' roles with --layer or --roles";
    return false;
  }
  if (options.hasInside && !(inside.x >= summary.low.x && inside.x <= summary.high.x &&
                             inside.y >= summary.low.y && inside.y <= summary.high.y)) {
    summary.failure = "the --inside point lies outside everything drawn on wall, floor and exit layers";
    return false;
  }
  GridFrame frame{};
  if (!makeFrame(summary.low.x, summary.low.y, summary.high.x, summary.high.y, options.cell,
                 options.hasInside ? 2 : 1, options.gridCells, frame)) {
    summary.failure = "the wall, floor and exit layers span " + std::to_string(summary.high.x - summary.low.x) +
                      " by " + std::to_string(summary.high.y - summary.low.y) + " m, more than " +
                      std::to_string(options.gridCells) + " cells of " + std::to_string(options.cell) +
                      " m; give a larger --cell, or put what lies far off on an ignored layer";
    return false;
  }
  Raster raster = makeRaster(frame);
  Pass second{true, options, summary, blocks, &raster, options.expandedItems, true, first.toMetres, {},
              DxfEntityInfo{}, false, false, false, -1, false};
  if (!readPass(input, second)) return false;
  return buildPlan(raster, options.hasInside, inside, !options.oneLevelOfMany, summary);
}
