// The lines of a plan that are not grid rows: level headers and escalator
// directions; and where the levels stand side by side on the grid.
//
// Both start with "== " and a word that no grid row can hold ('l', 'v',
// 'c', 'a' are no plan characters), so a plan without them reads as it always did.
#include <algorithm>
#include <string>

#include "plan_levels.h"

namespace {

constexpr std::string_view kLevelHeader = "== level";          // then blanks and the name
constexpr std::string_view kEscalatorLine = "== escalator";    // then a label and up or down

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// True when `line` is `word` alone or followed by a blank.
bool startsWithWord(std::string_view line, std::string_view word) {
  return line.substr(0, word.size()) == word &&
         (line.size() == word.size() || isBlank(line[word.size()]));
}

// The next blank-separated word of `rest` from `at`, which moves past it.
std::string_view nextWord(std::string_view rest, std::size_t& at) {
  while (at < rest.size() && isBlank(rest[at])) ++at;
  const std::size_t start = at;
  while (at < rest.size() && !isBlank(rest[at])) ++at;
  return rest.substr(start, at - start);
}

std::int64_t columnOf(std::size_t at) { return static_cast<std::int64_t>(at) + 1; }

Directive refuse(PlanError& error, std::int64_t line, std::int64_t column, std::string message) {
  error = PlanError{line, column, std::move(message)};
  return Directive::Refused;
}

// A level without a cell would stand on the map as a gap; refused at its header.
bool drawsACell(const Plan& plan, const PlanLayout& layout, PlanError& error) {
  if (plan.levels.empty() || layout.levels.back().cells > 0) return true;
  const PlanLevel& level = plan.levels.back();
  error = PlanError{level.headerLine, 1, "level " + level.name + " draws no cell"};
  return false;
}

Directive readLevelHeader(std::string_view line, std::int64_t planLine, Plan& plan,
                          PlanLayout& layout, PlanError& error) {
  std::size_t start = kLevelHeader.size();
  while (start < line.size() && isBlank(line[start])) ++start;
  std::size_t end = line.size();
  while (end > start && isBlank(line[end - 1])) --end;
  const std::string name(line.substr(start, end - start));
  if (name.empty()) return refuse(error, planLine, 1, "a level header needs a name: == level NAME");
  if (name.size() > kMaxLevelName) {
    return refuse(error, planLine, columnOf(start),
                  "level name longer than " + std::to_string(kMaxLevelName) + " bytes");
  }
  for (const PlanLevel& level : plan.levels) {
    if (level.name == name) {
      return refuse(error, planLine, columnOf(start),
                    "level " + name + " is already named on line " +
                        std::to_string(level.headerLine));
    }
  }
  const LevelDrawing& before = layout.levels.back();
  if (plan.levels.empty() && before.firstLine != 0) {
    return refuse(error, before.firstLine, before.firstColumn,
                  "cell before the first level header; a plan with levels draws every cell "
                  "under one");
  }
  if (!drawsACell(plan, layout, error)) return Directive::Refused;
  if (plan.levels.empty()) layout.levels.clear();  // blank lines before the first header
  plan.levels.push_back(PlanLevel{name, planLine, 1});
  layout.levels.push_back(LevelDrawing{});
  return Directive::Read;
}

Directive readEscalatorLine(std::string_view line, std::int64_t planLine, PlanLayout& layout,
                            PlanError& error) {
  std::size_t at = kEscalatorLine.size();
  const std::string_view label = nextWord(line, at);
  const std::size_t wayAt = at;
  const std::string_view word = nextWord(line, at);
  const Travel way = travelFromWord(word);
  const std::string_view extra = nextWord(line, at);
  if (label.size() != 1 || !isJoinLabel(label[0]) || way == Travel::None || !extra.empty()) {
    return refuse(error, planLine, 1,
                  "an escalator line is '== escalator LABEL up' or '== escalator LABEL down', "
                  "LABEL a digit");
  }
  const auto k = static_cast<std::size_t>(label[0] - '0');
  if (layout.escalatorRuns[k] != Travel::None && layout.escalatorRuns[k] != way) {
    return refuse(error, planLine, columnOf(wayAt + 1),
                  "escalator " + std::string(label) + " is already given as " +
                      travelWord(layout.escalatorRuns[k]) + " on line " +
                      std::to_string(layout.escalatorLine[k]));
  }
  if (layout.escalatorLine[k] == 0) layout.escalatorLine[k] = planLine;
  layout.escalatorRuns[k] = way;
  return Directive::Read;
}

}  // namespace

bool isJoinLabel(char c) { return c >= '0' && c <= '9'; }

PlanLayout startLayout() {
  PlanLayout layout{};
  layout.levels.push_back(LevelDrawing{});
  layout.escalatorRuns.fill(Travel::None);
  layout.escalatorLine.fill(0);
  return layout;
}

Directive readDirective(std::string_view line, std::int64_t planLine, Plan& plan,
                        PlanLayout& layout, PlanError& error) {
  if (startsWithWord(line, kLevelHeader)) {
    return readLevelHeader(line, planLine, plan, layout, error);
  }
  if (startsWithWord(line, kEscalatorLine)) return readEscalatorLine(line, planLine, layout, error);
  return Directive::NotOne;
}

bool placeLevels(Plan& plan, const PlanLayout& layout, PlanError& error) {
  if (!drawsACell(plan, layout, error)) return false;
  std::int64_t column = 1;
  for (std::size_t k = 0; k < plan.levels.size(); ++k) {
    const std::int64_t width = layout.levels[k].width;
    if (column + width > kMaxGridColumn) {
      error = PlanError{plan.levels[k].headerLine, 0,
                        "the levels side by side are wider than " +
                            std::to_string(kMaxGridColumn) + " grid columns"};
      return false;
    }
    plan.levels[k].firstColumn = static_cast<std::int32_t>(column);
    column += width + kLevelGap;
  }
  return true;
}

std::int64_t gridRows(const PlanLayout& layout) {
  std::int64_t rows = 0;
  for (const LevelDrawing& level : layout.levels) rows = std::max(rows, level.rows);
  return rows;
}
