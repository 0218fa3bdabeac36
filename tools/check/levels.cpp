// Levels and the joins between them, as plan2mesh records them in field 11
// (join_tags.h): the cells, exits and joins of each level, and the joins
// handed to the geodesic search as portals.
#include "check_internal.h"
#include "geodesic.h"
#include "level_joins.h"

namespace {

// Cells of no named level go last, into the entry after the named ones.
std::size_t levelSlot(CellId c) {
  return levelOf[c] < 0 ? levelNames.size() : static_cast<std::size_t>(levelOf[c]);
}

std::string levelNameOf(CellId c) {
  return levelOf[c] < 0 ? std::string() : levelNames[static_cast<std::size_t>(levelOf[c])];
}

void addJoinEnd(LevelSummary& level, CellId c, CellId other) {
  const std::string& label = joinLabels[static_cast<std::size_t>(endLabelOf[c])];
  for (LevelJoin& join : level.joins) {
    if (join.label == label) {
      ++join.cells;
      return;
    }
  }
  const std::string kind = kindOf[c] < 0 ? "" : kindWords[static_cast<std::size_t>(kindOf[c])];
  level.joins.push_back(LevelJoin{label, kind, 1, levelNameOf(other), towardOf[c], runsOf[c]});
}

}  // namespace

void noteLevelTags(CellId c, std::string_view tags) {
  const std::string level = recordLevel(tags);
  levelOf[c] = level.empty() ? -1 : wordIndex(levelNames, level, "(others)");
  const RecordJoin join = readRecordJoin(tags);
  const bool end = join.end && !join.label.empty();
  endLabelOf[c] = end ? wordIndex(joinLabels, join.label, "(others)") : -1;
  towardOf[c] = end ? join.toward : Travel::None;
  runsOf[c] = end ? join.runs : Travel::None;
}

void summariseLevels(CheckReport& r) {
  const std::vector<CellPair> pairs = findJoinPairs(endLabelOf);
  setGeodesicJoins(pairs);
  r.levels.clear();
  if (levelNames.empty()) return;
  std::vector<LevelSummary> levels(levelNames.size() + 1);
  for (std::size_t k = 0; k < levelNames.size(); ++k) levels[k].name = levelNames[k];
  for (int i = 0; i < storedCount; ++i) {
    if (storedSlots[i] != 0) ++levels[levelSlot(storedSlots[i])].cells;
  }
  for (int i = 0; i < exitCount; ++i) {
    const CellId e = exitSlots[i];
    if (e > 0 && cellNamed[e]) ++levels[levelSlot(e)].exits;
  }
  for (const CellPair& p : pairs) {
    addJoinEnd(levels[levelSlot(p.a)], p.a, p.b);
    addJoinEnd(levels[levelSlot(p.b)], p.b, p.a);
  }
  if (levels.back().cells == 0) levels.pop_back();
  r.levels = std::move(levels);
}
