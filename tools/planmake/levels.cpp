#include "levels.h"

#include <algorithm>
#include <cstdio>
#include <set>

namespace {

struct Cell {
  std::int32_t column, row;
};

bool sideOfWord(const std::string& word, JoinSide& side) {
  for (JoinSide s : {JoinSide::Top, JoinSide::Bottom, JoinSide::Left, JoinSide::Right}) {
    if (word == sideWord(s)) {
      side = s;
      return true;
    }
  }
  return false;
}

bool opposite(JoinSide a, JoinSide b) {
  return (a == JoinSide::Top && b == JoinSide::Bottom) || (a == JoinSide::Bottom && b == JoinSide::Top) ||
         (a == JoinSide::Left && b == JoinSide::Right) || (a == JoinSide::Right && b == JoinSide::Left);
}

bool readPoint(const toml::node* node, double& x, double& y) {
  const toml::array* pair = node != nullptr ? node->as_array() : nullptr;
  if (pair == nullptr || pair->size() != 2) return false;
  const auto a = (*pair)[0].value<double>(), b = (*pair)[1].value<double>();
  if (!a || !b) return false;
  x = *a;
  y = *b;
  return true;
}

bool readEnd(const toml::node& node, JoinEndSetup& end) {
  const toml::table* t = node.as_table();
  if (t == nullptr) return false;
  const auto level = (*t)["level"].value<std::string>();
  const auto side = (*t)["side"].value<std::string>();
  return level && side && sideOfWord(*side, end.side) && readPoint(t->get("at"), end.x, end.y) &&
         (end.level = *level, true);
}

bool readJoin(const toml::table& t, const LevelsSetup& setup, std::set<char>& labels, JoinSetup& join, std::string& why) {
  const auto label = t["label"].value<std::string>();
  if (!label || label->size() != 1 || (*label)[0] < '0' || (*label)[0] > '9' || !labels.insert((*label)[0]).second) {
    why = "label: give one digit from \"0\" to \"9\", each join its own";
    return false;
  }
  join.label = (*label)[0];
  join.direction = t["direction"].value_or(std::string());
  if (!join.direction.empty() && join.direction != "up" && join.direction != "down") {
    why = "direction: \"up\" or \"down\" (escalators only)";
    return false;
  }
  const toml::array* ends = t["ends"].as_array();
  if (ends == nullptr || ends->size() != 2 || !readEnd((*ends)[0], join.ends[0]) || !readEnd((*ends)[1], join.ends[1])) {
    why = "ends: give two { level = \"NAME\", at = [X, Y], side = \"top|bottom|left|right\" }";
    return false;
  }
  if (!opposite(join.ends[0].side, join.ends[1].side) || join.ends[0].level == join.ends[1].level) {
    why = "its two ends must lie on two levels and face each other (top with bottom, left with right)";
    return false;
  }
  for (const JoinEndSetup& end : join.ends) {
    if (std::none_of(setup.levels.begin(), setup.levels.end(), [&](const LevelSetup& l) { return l.name == end.level; })) {
      why = "no level is named '" + end.level + "'";
      return false;
    }
  }
  return true;
}

std::size_t at(const PlanGrid& g, std::int32_t column, std::int32_t row) {
  return static_cast<std::size_t>(row) * static_cast<std::size_t>(g.columns) + static_cast<std::size_t>(column);
}

// One more column or row of rock on `side`.
void grow(LevelGrid& level, JoinSide side) {
  const PlanGrid& old = level.grid;
  const bool wider = side == JoinSide::Left || side == JoinSide::Right;
  PlanGrid g = makePlanGrid(old.columns + wider, old.rows + !wider);
  g.labels.assign(g.kinds.size(), 0);
  const std::int32_t dc = side == JoinSide::Left, dr = side == JoinSide::Bottom;
  for (std::int32_t r = 0; r < old.rows; ++r) {
    for (std::int32_t c = 0; c < old.columns; ++c) {
      g.kinds[at(g, c + dc, r + dr)] = old.kinds[at(old, c, r)];
      g.walls[at(g, c + dc, r + dr)] = old.walls[at(old, c, r)];
      if (!old.labels.empty()) g.labels[at(g, c + dc, r + dr)] = old.labels[at(old, c, r)];
    }
  }
  level.grid = std::move(g);
  level.columnShift += dc;
  level.rowShift += dr;
}

bool isRun(CellKind kind) { return kind == CellKind::Stair || kind == CellKind::Escalator; }

// The run's cells: `kind` cells reached from `start` through open sides.
std::vector<Cell> runFrom(const PlanGrid& g, Cell start, CellKind kind) {
  std::vector<std::uint8_t> seen(g.kinds.size(), 0);
  std::vector<Cell> run{start};
  seen[at(g, start.column, start.row)] = 1;
  for (std::size_t k = 0; k < run.size(); ++k) {
    const Cell c = run[k];
    const Cell next[4] = {{c.column + 1, c.row}, {c.column - 1, c.row}, {c.column, c.row + 1}, {c.column, c.row - 1}};
    for (const Cell& n : next) {
      if (n.column < 0 || n.row < 0 || n.column >= g.columns || n.row >= g.rows) continue;
      const std::size_t i = at(g, n.column, n.row);
      if (seen[i] || g.kinds[i] != kind) continue;
      const bool across = n.row == c.row;
      const Cell& upper = across ? (n.column > c.column ? n : c) : (n.row > c.row ? n : c);
      if ((g.walls[at(g, upper.column, upper.row)] & (across ? kLeftSide : kBottomSide)) != 0) continue;
      seen[i] = 1;
      run.push_back(n);
    }
  }
  return run;
}

std::string number(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.6g", value);
  return text;
}

}  // namespace

const char* sideWord(JoinSide side) {
  switch (side) {
    case JoinSide::Top: return "top";
    case JoinSide::Bottom: return "bottom";
    case JoinSide::Left: return "left";
    case JoinSide::Right: return "right";
  }
  return "";
}

bool readLevels(const toml::table& file, const std::string& origin, const char* sourceKey, LevelsSetup& out,
                std::string& error) {
  out = LevelsSetup{};
  std::set<std::string> names;
  if (const toml::array* levels = file["level"].as_array()) {
    for (std::size_t i = 0; i < levels->size(); ++i) {
      const toml::table* t = (*levels)[i].as_table();
      LevelSetup level{"", "", false, 0, 0};
      const auto name = t != nullptr ? (*t)["name"].value<std::string>() : std::nullopt;
      const auto source = t != nullptr ? (*t)[sourceKey].value<std::string>() : std::nullopt;
      if (!name || name->empty() || name->size() > 64 || name->find_first_of("\r\n") != std::string::npos ||
          !names.insert(*name).second || !source) {
        error = origin + ": level " + std::to_string(i + 1) + ": give a name of its own (1 to 64 bytes) and its " + sourceKey;
        return false;
      }
      level.name = *name;
      level.source = *source;
      level.hasInside = t->contains("inside");
      if (level.hasInside && !readPoint(t->get("inside"), level.insideX, level.insideY)) {
        error = origin + ": level " + level.name + ": inside = [X, Y]";
        return false;
      }
      out.levels.push_back(level);
    }
  }
  std::set<char> labels;
  if (const toml::array* joins = file["join"].as_array()) {
    for (std::size_t i = 0; i < joins->size(); ++i) {
      JoinSetup join{};
      std::string why;
      const toml::table* t = (*joins)[i].as_table();
      if (t == nullptr || !readJoin(*t, out, labels, join, why)) {
        error = origin + ": join " + std::to_string(i + 1) + ": " + (why.empty() ? "not a table" : why);
        return false;
      }
      out.joins.push_back(join);
    }
  }
  if (!out.joins.empty() && out.levels.size() < 2) {
    error = origin + ": joins need at least two [[level]] tables";
    return false;
  }
  return true;
}

bool markJoinEnd(LevelGrid& level, std::int32_t column, std::int32_t row, JoinSide side, char label, JoinMark& mark,
                 std::string& error) {
  column += level.columnShift;
  row += level.rowShift;
  PlanGrid* g = &level.grid;
  if (column < 0 || row < 0 || column >= g->columns || row >= g->rows || !isRun(g->kinds[at(*g, column, row)])) {
    error = "the point lies on no stair or escalator cell of the level";
    return false;
  }
  const CellKind kind = g->kinds[at(*g, column, row)];
  std::vector<Cell> run = runFrom(*g, {column, row}, kind);
  // The end: the run's cells in its last row (or column) on that side.
  const bool across = side == JoinSide::Left || side == JoinSide::Right;
  const bool low = side == JoinSide::Bottom || side == JoinSide::Left;
  auto line = [&](const Cell& c) { return across ? c.column : c.row; };
  auto along = [&](const Cell& c) { return across ? c.row : c.column; };
  std::int32_t edge = line(run[0]);
  for (const Cell& c : run) edge = low ? std::min(edge, line(c)) : std::max(edge, line(c));
  std::vector<Cell> ends;
  for (const Cell& c : run) {
    if (line(c) == edge) ends.push_back(c);
  }
  std::sort(ends.begin(), ends.end(), [&](const Cell& a, const Cell& b) { return along(a) < along(b); });
  if (along(ends.back()) - along(ends.front()) + 1 != static_cast<std::int32_t>(ends.size())) {
    error = std::string("the ") + sideWord(side) + " end of the " + kindWord(kind) + " is not one straight line of cells";
    return false;
  }
  const bool atEdge = low ? edge == 0 : edge == (across ? g->columns : g->rows) - 1;
  if (atEdge) {
    grow(level, side);
    g = &level.grid;
    for (Cell& c : ends) c = {c.column + (side == JoinSide::Left), c.row + (side == JoinSide::Bottom)};
  }
  if (g->labels.empty()) g->labels.assign(g->kinds.size(), 0);
  const std::int32_t dc = across ? (low ? -1 : 1) : 0, dr = across ? 0 : (low ? -1 : 1);
  mark = JoinMark{kind, static_cast<std::int32_t>(ends.size()), 0, 0};
  for (const Cell& end : ends) {
    const Cell beyond{end.column + dc, end.row + dr};
    const std::size_t b = at(*g, beyond.column, beyond.row);
    // The mark touches its end cell only: none of its other neighbours may
    // be a stair or escalator.
    const Cell others[3] = {{beyond.column + dc, beyond.row + dr}, {beyond.column + dr, beyond.row + dc},
                            {beyond.column - dr, beyond.row - dc}};
    for (const Cell& o : others) {
      if (o.column >= 0 && o.row >= 0 && o.column < g->columns && o.row < g->rows && isRun(g->kinds[at(*g, o.column, o.row)])) {
        error = "a label beyond its end would touch a second stair or escalator cell";
        return false;
      }
    }
    if (g->labels[b] != 0) {
      error = std::string("the cell beyond its end already holds label ") + g->labels[b];
      return false;
    }
    mark.madeRock += g->kinds[b] != CellKind::Rock;
    const std::size_t wallCell = low ? at(*g, end.column, end.row) : b;
    const std::uint8_t wallSide = across ? kLeftSide : kBottomSide;
    mark.wallsOpened += (g->walls[wallCell] & wallSide) != 0 && g->kinds[b] != CellKind::Rock;
    g->walls[wallCell] &= static_cast<std::uint8_t>(~wallSide);
    g->kinds[b] = CellKind::Rock;
    g->walls[b] = 0;
    g->labels[b] = label;
  }
  return true;
}

std::string levelsPlanText(const std::vector<LevelGrid>& levels, const std::vector<JoinSetup>& joins,
                           const std::vector<std::string>& header) {
  std::string text;
  for (const std::string& line : header) text += "# " + line + '\n';
  for (std::size_t i = 0; i < levels.size(); ++i) {
    text += "== level " + levels[i].name + '\n';
    if (i == 0) {
      for (const JoinSetup& join : joins) {
        if (!join.direction.empty()) text += std::string("== escalator ") + join.label + ' ' + join.direction + '\n';
      }
    }
    text += planText(levels[i].grid, levels[i].header);
  }
  return text;
}

bool markAllJoins(const LevelsSetup& setup, std::vector<LevelGrid>& grids,
                  void (*cellOf)(std::size_t level, double x, double y, std::int32_t& column, std::int32_t& row, void* context),
                  void* context, std::string& report, std::string& error) {
  for (const JoinSetup& join : setup.joins) {
    JoinMark marks[2]{};
    for (int e = 0; e < 2; ++e) {
      const JoinEndSetup& end = join.ends[e];
      std::size_t k = 0;
      while (setup.levels[k].name != end.level) ++k;
      std::int32_t column = 0, row = 0;
      cellOf(k, end.x, end.y, column, row, context);
      std::string why;
      if (!markJoinEnd(grids[k], column, row, end.side, join.label, marks[e], why)) {
        error = std::string("join ") + join.label + ", level " + end.level + ", at (" + number(end.x) + ", " + number(end.y) + "): " + why;
        return false;
      }
    }
    if (marks[0].kind != marks[1].kind || marks[0].width != marks[1].width) {
      error = std::string("join ") + join.label + ": its ends differ (" + kindWord(marks[0].kind) + " " +
              std::to_string(marks[0].width) + " cells wide, " + kindWord(marks[1].kind) + " " +
              std::to_string(marks[1].width) + ")";
      return false;
    }
    if ((marks[0].kind == CellKind::Escalator) == join.direction.empty()) {
      error = std::string("join ") + join.label + (join.direction.empty() ? ": an escalator needs direction = \"up\" or \"down\""
                                                                           : ": a stair takes no direction");
      return false;
    }
    report += std::string("  join ") + join.label + ": " + kindWord(marks[0].kind) + " " + std::to_string(marks[0].width) +
              " cells wide, " + join.ends[0].level + " (" + sideWord(join.ends[0].side) + " end) to " + join.ends[1].level +
              " (" + sideWord(join.ends[1].side) + " end)" + (join.direction.empty() ? "" : ", " + join.direction) + "; " +
              std::to_string(marks[0].madeRock + marks[1].madeRock) + " cells beyond the ends made rock for the labels, " +
              std::to_string(marks[0].wallsOpened + marks[1].wallsOpened) + " walls on the joining sides taken away\n";
  }
  return true;
}

