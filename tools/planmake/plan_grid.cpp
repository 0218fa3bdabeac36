#include "plan_grid.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "plan2mesh.h"
#include "scene/scene.h"

namespace {

// Indexed by CellKind; the words plan2mesh writes into field 8.
constexpr const char* kKindWords[kCellKindCount] = {"rock",      "floor", "platform", "stair",
                                                    "escalator", "gate",  "service",  "exit"};

std::size_t cellIndex(const PlanGrid& grid, std::int32_t column, std::int32_t row) {
  return static_cast<std::size_t>(row) * static_cast<std::size_t>(grid.columns) +
         static_cast<std::size_t>(column);
}

// The characters, derived once from plan2mesh's table: [kind][left][bottom].
struct CharTable {
  char chars[kCellKindCount][2][2];
};

CharTable deriveChars() {
  CharTable table{};
  for (int byte = 1; byte < 256; ++byte) {
    const char c = static_cast<char>(byte);
    const PlanSymbol* symbol = findPlanSymbol(c);
    if (symbol == nullptr || symbol->kind == nullptr) continue;
    for (int k = 1; k < kCellKindCount; ++k) {
      if (std::strcmp(symbol->kind, kKindWords[k]) != 0 || (k == static_cast<int>(CellKind::Exit)) != symbol->exit) continue;
      char& slot = table.chars[k][symbol->leftWall != 0][symbol->bottomWall != 0];
      if (slot == 0) slot = c;  // the first in byte order, should a kind have two
    }
  }
  return table;
}

const CharTable& charTable() {
  static const CharTable table = deriveChars();
  return table;
}

char lookUp(CellKind kind, std::uint8_t walls) {
  if (kind == CellKind::Rock) return ' ';
  return charTable().chars[static_cast<int>(kind)][(walls & kLeftSide) != 0][(walls & kBottomSide) != 0];
}

// The character a cell is written as: plain floor for a kind without
// characters, and of its walls what a character can hold, one before none;
// `walls` is left with the walls kept. Rock keeps none.
char writtenChar(CellKind kind, std::uint8_t& walls) {
  if (kind == CellKind::Rock) {
    walls = 0;
    return ' ';
  }
  if (lookUp(kind, 0) == 0) kind = CellKind::Floor;
  for (std::uint8_t keep : {std::uint8_t(kLeftSide | kBottomSide), kLeftSide, kBottomSide, std::uint8_t(0)}) {
    const std::uint8_t kept = walls & keep;
    if (lookUp(kind, kept) != 0) {
      walls = kept;
      return lookUp(kind, kept);
    }
  }
  walls = 0;
  return lookUp(kind, 0);
}

}  // namespace

const char* kindWord(CellKind kind) { return kKindWords[static_cast<int>(kind)]; }

bool parseKindWord(const std::string& word, CellKind& kind) {
  for (int k = 0; k < kCellKindCount; ++k) {
    if (word == kKindWords[k]) {
      kind = static_cast<CellKind>(k);
      return true;
    }
  }
  return false;
}

char planCharFor(CellKind kind, bool leftWall, bool bottomWall) {
  return lookUp(kind, static_cast<std::uint8_t>((leftWall ? kLeftSide : 0) | (bottomWall ? kBottomSide : 0)));
}

PlanGrid makePlanGrid(std::int32_t columns, std::int32_t rows) {
  const std::size_t count = static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows);
  return PlanGrid{columns, rows, std::vector<CellKind>(count, CellKind::Rock),
                  std::vector<std::uint8_t>(count, 0), {}};
}

std::vector<UnwritableSide> unwritableSides(const PlanGrid& grid) {
  std::vector<UnwritableSide> sides;
  for (std::int32_t row = grid.rows - 1; row >= 0; --row) {
    for (std::int32_t column = 0; column < grid.columns; ++column) {
      // Rock is closed all round: a wall on it says nothing.
      if (grid.kinds[cellIndex(grid, column, row)] == CellKind::Rock) continue;
      const std::uint8_t walls = grid.walls[cellIndex(grid, column, row)];
      std::uint8_t kept = walls;
      writtenChar(grid.kinds[cellIndex(grid, column, row)], kept);
      for (std::uint8_t side : {kLeftSide, kBottomSide}) {
        if ((walls & side) != 0 && (kept & side) == 0) sides.push_back({column, row, side});
      }
    }
  }
  return sides;
}

std::vector<std::int64_t> countKinds(const PlanGrid& grid) {
  std::vector<std::int64_t> counts(kCellKindCount, 0);
  for (CellKind kind : grid.kinds) ++counts[static_cast<int>(kind)];
  return counts;
}

std::string planText(const PlanGrid& grid, const std::vector<std::string>& header) {
  std::string text;
  for (const std::string& line : header) text += "# " + line + '\n';
  std::string line;
  for (std::int32_t row = grid.rows - 1; row >= 0; --row) {
    line.clear();
    for (std::int32_t column = 0; column < grid.columns; ++column) {
      const std::size_t i = cellIndex(grid, column, row);
      std::uint8_t walls = grid.walls[i];
      char c = writtenChar(grid.kinds[i], walls);
      if (c == ' ' && !grid.labels.empty() && grid.labels[i] != 0) c = grid.labels[i];
      line += c;
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    text += line + '\n';
  }
  return text;
}

double fittingScale(std::int64_t cells) {
  if (cells <= kMaxCellId) return 1.0;
  // Nine tenths of the table: a finer outline keeps a few more cells than
  // the area alone says.
  return std::sqrt(0.9 * static_cast<double>(kMaxCellId) / static_cast<double>(cells));
}

std::string largePlanAdvice(std::int64_t cells, const std::string& smaller) {
  if (cells <= kMaxCellId) return std::string();
  char text[512];
  std::snprintf(text, sizeof text,
                "The plan has %lld cells, more than the %d cell numbers of this build's table "
                "(plan2mesh and orvik would refuse or drop the rest). %s, or build with "
                "-DORVIK_MAX_CELL_ID=%lld or more (see the README, \"Larger plans\").",
                static_cast<long long>(cells), static_cast<int>(kMaxCellId), smaller.c_str(),
                static_cast<long long>(cells));
  return text;
}
