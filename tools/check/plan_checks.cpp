// What the checker says about the plan the records make together: cells on
// one square, sides that lead nowhere or one way, neighbours that are not
// side by side, and cells the map cannot show.
#include <algorithm>
#include <cmath>
#include <tuple>
#include <vector>

#include "check_internal.h"

namespace {

// One side of a cell as the report names it, beside the walk's own.
struct NamedSide {
  const Side& walk;
  const char* name;
  const char* facingName;
  const std::int32_t* facingIds;  // the neighbour's numbers on the facing side
  int dColumn, dRow;              // where the neighbour should be on the grid (rows grow upwards)
};

const NamedSide kNamedSides[] = {
    {kWalkSides[0], "right", "left", leftId, 1, 0},
    {kWalkSides[1], "top", "bottom", bottomId, 0, 1},
    {kWalkSides[2], "left", "right", rightId, -1, 0},
    {kWalkSides[3], "bottom", "top", topId, 0, -1},
};

// Map units beyond which neighbouring corners round to one float: every even
// whole number up to 2^25 is exact in a float, the next one past it is not.
constexpr double kLargestExactPosition = 33554432.0;

std::string gridPlace(CellId c) {
  return "column " + num(gridColumn[c]) + ", row " + num(gridRow[c]);
}

void checkPositions(CheckReport& r) {
  std::vector<std::tuple<std::int32_t, std::int32_t, CellId>> places;
  places.reserve(static_cast<std::size_t>(storedCount));
  for (int i = 0; i < storedCount; ++i) {
    const CellId c = storedSlots[i];
    if (c != 0) places.emplace_back(gridColumn[c], gridRow[c], c);
  }
  std::sort(places.begin(), places.end());
  for (std::size_t i = 1; i < places.size(); ++i) {
    const CellId first = std::get<2>(places[i - 1]);
    const CellId c = std::get<2>(places[i]);
    if (gridColumn[c] != gridColumn[first] || gridRow[c] != gridRow[first]) continue;
    addFinding(r, FindingKind::SharedPosition, InputFile::Mesh, recordLine[c], 6,
               {own("cell " + num(c) + " is at " + gridPlace(c) + ", like cell " + num(first) +
                    " (line " + num(recordLine[first]) + "); one hides the other on the map.")});
  }
}

// The map shows x and y from 0 up to the largest corner (and a margin); a
// cell whose square reaches below 0 lies partly or wholly outside it, and
// far out the float corners of neighbouring cells fall together.
void checkDrawable(CheckReport& r, CellId c) {
  const double x = posX[c];
  const double y = posY[c];
  if (std::fabs(x) > kLargestExactPosition || std::fabs(y) > kLargestExactPosition) {
    addFinding(r, FindingKind::PositionTooLarge, InputFile::Mesh, recordLine[c], 6,
               {own("cell " + num(c) + " is at " + gridPlace(c) +
                    ", too far out for the map's float corners to tell it from its "
                    "neighbours; columns and rows must stay within +-16777216.")});
  } else if (x - kCellSize < 0.0 || y - kCellSize < 0.0) {
    addFinding(r, FindingKind::OutsideMapArea, InputFile::Mesh, recordLine[c], 6,
               {own("cell " + num(c) + " is at " + gridPlace(c) +
                    ": the map shows columns and rows from 1 up, so this cell lies outside "
                    "the area the start view is fitted to.")});
  }
}

void checkOpenSide(CheckReport& r, CellId c, const NamedSide& s) {
  const CellId n = s.walk.ids[c];
  if (outsideTable(n)) return;  // closed by the wall rule; never reached for an open side
  const std::string who = "cell " + num(c) + "'s " + s.name + " side";
  if (!cellNamed[n]) {
    addFinding(r, FindingKind::NeighbourWithoutRecord, InputFile::Mesh, recordLine[c], 0,
               {own(n == 0 ? who +
                                 " names cell 0, which has no record: the side stays open into "
                                 "the unused slot 0 (a number outside 0 to " +
                                 num(kMaxCellId) + ", e.g. -1, closes it)."
                           : who + " is open to cell " + num(n) +
                                 ", which has no record: walking goes into a slot that is never "
                                 "drawn.")});
    return;
  }
  const std::int32_t back = s.facingIds[n];
  if (back != c) {
    const std::string names =
        outsideTable(back) ? "names no neighbour (" + num(back) + ")" : "names cell " + num(back);
    const std::string effect =
        (walls[n].*s.walk.facing) == 0
            ? "walking passes from " + num(c) + " into " + num(n) + " but not back."
            : "that side is closed, so nothing passes between them.";
    addFinding(r, FindingKind::NeighbourNotNamedBack, InputFile::Mesh, recordLine[c], 0,
               {own("cell " + num(c) + " names cell " + num(n) + " as its " + s.name +
                    " neighbour, but cell " + num(n) + "'s " + s.facingName + " side " + names +
                    ": " + effect)});
    return;
  }
  // A pair that names each other both ways is looked at once, from its right or top side.
  if (s.dColumn + s.dRow < 0) return;
  // Two ends of one join lie on two levels, apart on the map by design.
  if (endLabelOf[c] >= 0 && endLabelOf[c] == endLabelOf[n]) return;
  // In 64 bits: column 2147483647 plus one must not wrap round to the other end.
  if (std::int64_t{gridColumn[n]} == std::int64_t{gridColumn[c]} + s.dColumn &&
      std::int64_t{gridRow[n]} == std::int64_t{gridRow[c]} + s.dRow) {
    return;
  }
  addFinding(r, FindingKind::NeighbourNotBeside, InputFile::Mesh, recordLine[c], 0,
             {own("cell " + num(c) + " (" + gridPlace(c) + ") and its " + s.name + " neighbour " +
                  num(n) + " (" + gridPlace(n) +
                  ") are not side by side on the grid; walking joins them, the map draws them "
                  "apart.")});
}

}  // namespace

// Only open sides matter: a closed side (a number outside the table or a
// left/bottom wall field) lets nothing through whatever it names, and a
// wall field on one cell of a pair blocks both ways by the move rule.
void checkPlacesAndNeighbours(CheckReport& r) {
  checkPositions(r);
  for (int i = 0; i < storedCount; ++i) {
    const CellId c = storedSlots[i];
    if (c != 0) checkDrawable(r, c);
    for (const NamedSide& s : kNamedSides) {
      if ((walls[c].*s.walk.flag) == 0) checkOpenSide(r, c, s);
    }
  }
}
