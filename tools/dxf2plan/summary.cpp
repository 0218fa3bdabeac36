#include "summary.h"

#include <cmath>
#include <cstdio>

namespace {

std::string number(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.6g", value);
  return text;
}

std::string padded(const std::string& text, std::size_t width) {
  return text.size() >= width ? text + " " : text + std::string(width - text.size(), ' ');
}

std::string kindCounts(const PlanGrid& plan) {
  const std::vector<std::int64_t> counts = countKinds(plan);
  std::int64_t cells = 0;
  std::string parts;
  for (int k = 1; k < kCellKindCount; ++k) {
    if (counts[k] == 0) continue;
    cells += counts[k];
    parts += (parts.empty() ? "" : ", ") + std::to_string(counts[k]) + " " + kindWord(static_cast<CellKind>(k));
  }
  return std::to_string(cells) + " cells: " + parts;
}

std::string layersWithRole(const DxfSummary& s, const char* role) {
  std::string names;
  for (const auto& [name, tally] : s.layers) {
    if (tally.used > 0 && tally.role == role) names += (names.empty() ? "" : ", ") + name;
  }
  return names;
}

std::string typeLine(const std::string& type, const TypeTally& t) {
  std::string line = "  " + padded(type, 16) + padded(std::to_string(t.entities), 8) + "used " + std::to_string(t.used);
  if (t.onIgnoredLayers > 0) line += "; " + std::to_string(t.onIgnoredLayers) + " on ignored layers";
  for (int k = 0; k < kDxfSkipCount; ++k) {
    if (t.skipped[k] > 0) line += "; " + std::to_string(t.skipped[k]) + " " + skipWords(static_cast<DxfSkip>(k));
  }
  return line + "\n";
}

}  // namespace

std::string dxfLargePlanAdvice(const DxfSummary& s, const DxfOptions& options) {
  std::int64_t cells = 0;
  for (CellKind kind : s.plan.kinds) cells += kind != CellKind::Rock;
  const double scale = fittingScale(cells);
  if (scale >= 1.0) return std::string();
  // A round size a person would type: up to the next 5 cm (1 cm below 10 cm).
  const double step = options.cell / scale >= 0.1 ? 0.05 : 0.01;
  const double fits = std::ceil(options.cell / scale / step - 1e-9) * step;
  return largePlanAdvice(cells, "A cell of " + number(fits) + " m (--cell " + number(fits) + ") would give about " +
                                    std::to_string(static_cast<std::int64_t>(cells * (options.cell / fits) * (options.cell / fits))) +
                                    " cells");
}

std::vector<std::string> planHeader(const DxfSummary& s, const DxfOptions& options) {
  std::vector<std::string> lines;
  lines.push_back("made by dxf2plan from " + options.drawing + ": cells of " + number(options.cell) +
                  " m; drawing units " + s.units + " (" + s.unitsFrom + ")");
  lines.push_back("column 1, row 1 (the first character of the last line) has its lower-left corner at (" +
                  number(s.planCorner.x) + ", " + number(s.planCorner.y) + ") in drawing units; x to the right, y up");
  lines.push_back(std::to_string(s.plan.columns) + " columns by " + std::to_string(s.plan.rows) + " rows (" +
                  number(s.plan.columns * options.cell) + " by " + number(s.plan.rows * options.cell) + " m); " +
                  kindCounts(s.plan));
  std::string roles = "walls: " + layersWithRole(s, "wall");
  for (int k = 1; k < kCellKindCount - 1; ++k) {
    const std::string names = layersWithRole(s, kindWord(static_cast<CellKind>(k)));
    if (!names.empty()) roles += "; " + std::string(kindWord(static_cast<CellKind>(k))) + ": " + names;
  }
  const std::string exits = layersWithRole(s, "exit");
  roles += "; exits: " + (exits.empty() ? std::string("none") : exits);
  if (options.hasInside) roles += "; floor filled from (" + number(options.inside.x) + ", " + number(options.inside.y) + ")";
  lines.push_back(roles);
  return lines;
}

std::string formatDxfSummary(const DxfSummary& s, const DxfOptions& options, const std::string& planPath) {
  std::string text = "dxf2plan: " + options.drawing + " -> " + planPath + "\n";
  text += "Drawing: " + (s.header.version.empty() ? std::string("version not given") : s.header.version) +
          (s.units.empty() ? std::string() : "; units " + s.units + " (" + s.unitsFrom + ")") + "; " +
          std::to_string(s.blocks) + " block definitions\n";
  if (s.extentFound) {
    text += "Extent of wall, floor and exit layers: (" + number(s.low.x / s.metresPerUnit) + ", " +
            number(s.low.y / s.metresPerUnit) + ") to (" + number(s.high.x / s.metresPerUnit) + ", " +
            number(s.high.y / s.metresPerUnit) + ") drawing units\n";
  }
  if (s.failure.empty()) {
    for (const std::string& line : planHeader(s, options)) text += "Plan: " + line + "\n";
  }
  text += "\nLayers (entities, used, role, why):\n";
  for (const auto& [name, t] : s.layers) {
    text += "  " + padded(name, 16) + padded(std::to_string(t.entities), 8) + padded(std::to_string(t.used), 8) +
            padded(t.role, 10) + t.rule + "\n";
  }
  text += "\nEntities by type (read, then what became of them):\n";
  for (const auto& [type, t] : s.types) text += typeLine(type, t);
  if (!s.notes.empty()) {
    text += "\nNotes:\n";
    for (const std::string& note : s.notes) text += "  " + note + "\n";
  }
  text += "\nProblems: " + (s.problemCount == 0 ? std::string("none") : std::to_string(s.problemCount)) + "\n";
  for (const std::string& problem : s.problems) text += "  " + problem + "\n";
  if (s.problemCount > static_cast<std::int64_t>(s.problems.size())) {
    text += "  ... and " + std::to_string(s.problemCount - static_cast<std::int64_t>(s.problems.size())) + " more\n";
  }
  const std::string advice = s.failure.empty() ? dxfLargePlanAdvice(s, options) : std::string();
  if (!advice.empty()) text += "\nLarge plan: " + advice + "\n";
  if (!s.failure.empty()) text += "\nNothing written: " + s.failure + "\n";
  return text;
}
