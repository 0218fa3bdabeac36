#include "roles.h"
#include "small_inputs.h"

#include <algorithm>
#include <cctype>
#include <fstream>

#include <toml++/toml.h>

namespace {

// Built-in names, tried in this order after the user's rules. The wall,
// door and floor names are the AIA CAD layer guidelines'; the rest follow
// their manner for what those guidelines have no name for.
const RoleRule kBuiltInRules[] = {
    {"A-WALL", {LayerUse::Wall, CellKind::Rock}, "built-in", ""},
    {"A-WALL-*", {LayerUse::Wall, CellKind::Rock}, "built-in", ""},
    {"A-GLAZ*", {LayerUse::Wall, CellKind::Rock}, "built-in", ""},
    {"A-COLS*", {LayerUse::Wall, CellKind::Rock}, "built-in", ""},
    {"S-COLS*", {LayerUse::Wall, CellKind::Rock}, "built-in", ""},
    {"A-DOOR*", {LayerUse::Ignore, CellKind::Rock}, "built-in", "doors are openings: their leaves and swings are not walls"},
    {"A-FLOR-STRS*", {LayerUse::Floor, CellKind::Stair}, "built-in", ""},
    {"A-FLOR-ESCL*", {LayerUse::Floor, CellKind::Escalator}, "built-in", ""},
    {"A-FLOR-GATE*", {LayerUse::Floor, CellKind::Gate}, "built-in", ""},
    {"A-FLOR-PLAT*", {LayerUse::Floor, CellKind::Platform}, "built-in", ""},
    {"A-FLOR-SERV*", {LayerUse::Floor, CellKind::Service}, "built-in", ""},
    {"A-FLOR-EXIT*", {LayerUse::Exit, CellKind::Rock}, "built-in", ""},
    {"A-EXIT*", {LayerUse::Exit, CellKind::Rock}, "built-in", ""},
    {"A-FLOR", {LayerUse::Floor, CellKind::Floor}, "built-in", ""},
    {"A-FLOR-OTLN", {LayerUse::Floor, CellKind::Floor}, "built-in", ""},
};

// The order in which a roles file's rules of equal weight are tried.
constexpr const char* kRoleOrder[] = {"wall", "exit", "gate", "escalator", "stair", "platform",
                                      "service", "floor", "ignore"};

bool hasWildcard(const std::string& pattern) { return pattern.find_first_of("*?") != std::string::npos; }

std::size_t plainCharacters(const std::string& pattern) {
  return pattern.size() - static_cast<std::size_t>(std::count(pattern.begin(), pattern.end(), '*'));
}

bool matchFrom(const char* p, const char* n) {
  for (; *p != '\0'; ++p, ++n) {
    if (*p == '*') {
      while (p[1] == '*') ++p;
      for (const char* rest = n;; ++rest) {
        if (matchFrom(p + 1, rest)) return true;
        if (*rest == '\0') return false;
      }
    }
    if (*n == '\0') return false;
    if (*p != '?' && std::tolower(static_cast<unsigned char>(*p)) != std::tolower(static_cast<unsigned char>(*n))) {
      return false;
    }
  }
  return *n == '\0';
}

bool fileRules(const toml::table& layers, const std::string& origin, std::vector<RoleRule>& rules,
               std::string& error) {
  for (const auto& [key, node] : layers) {
    LayerRole role{};
    const std::string word(key.str());
    if (!parseRoleWord(word, role)) {
      error = origin + ": [layers] " + word + ": not a role (wall, exit, ignore or a floor kind)";
      return false;
    }
    std::vector<std::string> patterns;
    if (const auto* text = node.as_string()) {
      patterns.push_back(text->get());
    } else if (const auto* list = node.as_array()) {
      for (const toml::node& item : *list) {
        if (!item.is_string()) {
          error = origin + ": [layers] " + word + ": every entry must be a layer name or pattern in quotes";
          return false;
        }
        patterns.push_back(item.as_string()->get());
      }
    } else {
      error = origin + ": [layers] " + word + ": give a layer name or a list of them";
      return false;
    }
    for (const std::string& pattern : patterns) {
      if (pattern.empty()) {
        error = origin + ": [layers] " + word + ": an empty layer name";
        return false;
      }
      rules.push_back(RoleRule{pattern, role, origin, ""});
    }
  }
  return true;
}

int roleRank(const LayerRole& role) {
  const std::string word = roleWord(role);
  for (int i = 0; i < static_cast<int>(std::size(kRoleOrder)); ++i) {
    if (word == kRoleOrder[i]) return i;
  }
  return static_cast<int>(std::size(kRoleOrder));
}

}  // namespace

bool parseRoleWord(const std::string& word, LayerRole& role) {
  if (word == "wall") {
    role = {LayerUse::Wall, CellKind::Rock};
  } else if (word == "exit") {
    role = {LayerUse::Exit, CellKind::Rock};
  } else if (word == "ignore") {
    role = {LayerUse::Ignore, CellKind::Rock};
  } else {
    CellKind kind = CellKind::Rock;
    if (!parseKindWord(word, kind) || kind == CellKind::Rock || kind == CellKind::Exit) return false;
    role = {LayerUse::Floor, kind};
  }
  return true;
}

std::string roleWord(const LayerRole& role) {
  switch (role.use) {
    case LayerUse::Wall: return "wall";
    case LayerUse::Exit: return "exit";
    case LayerUse::Floor: return kindWord(role.kind);
    case LayerUse::Ignore: break;
  }
  return "ignore";
}

bool layerMatches(const std::string& pattern, const std::string& name) {
  return matchFrom(pattern.c_str(), name.c_str());
}

bool addLayerRule(RoleTable& table, const std::string& text, std::string& error) {
  const std::size_t eq = text.rfind('=');
  LayerRole role{};
  if (eq == std::string::npos || eq == 0 || !parseRoleWord(text.substr(eq + 1), role)) {
    error = "--layer " + text + ": give PATTERN=ROLE, ROLE one of wall, exit, ignore, floor, platform, "
            "stair, escalator, gate, service";
    return false;
  }
  table.rules.push_back(RoleRule{text.substr(0, eq), role, "--layer", ""});
  return true;
}

bool loadRoleFile(RoleTable& table, const std::string& path, LevelsSetup& levels, std::string& error) {
  toml::table file;
  if (!readSmallToml(path, "roles", file, error)) return false;
  std::vector<RoleRule> rules;
  for (const auto& [key, node] : file) {
    const std::string word(key.str());
    if (word == "builtin" && node.is_boolean()) {
      table.builtIn = node.as_boolean()->get();
    } else if (word == "layers" && node.is_table()) {
      if (!fileRules(*node.as_table(), path, rules, error)) return false;
    } else if ((word == "level" || word == "join") && node.is_array()) {
      continue;  // read below
    } else {
      error = path + ": unknown key '" + word + "' (a roles file holds builtin = true|false, [layers], [[level]] and [[join]])";
      return false;
    }
  }
  if (!readLevels(file, path, "drawing", levels, error)) return false;
  std::stable_sort(rules.begin(), rules.end(), [](const RoleRule& a, const RoleRule& b) {
    if (hasWildcard(a.pattern) != hasWildcard(b.pattern)) return !hasWildcard(a.pattern);
    if (plainCharacters(a.pattern) != plainCharacters(b.pattern)) {
      return plainCharacters(a.pattern) > plainCharacters(b.pattern);
    }
    return roleRank(a.role) < roleRank(b.role);
  });
  table.rules.insert(table.rules.end(), rules.begin(), rules.end());
  return true;
}

RoleMatch roleOf(const RoleTable& table, const std::string& layer) {
  for (const RoleRule& rule : table.rules) {
    if (layerMatches(rule.pattern, layer)) return RoleMatch{rule.role, &rule};
  }
  if (table.builtIn) {
    for (const RoleRule& rule : kBuiltInRules) {
      if (layerMatches(rule.pattern, layer)) return RoleMatch{rule.role, &rule};
    }
  }
  return RoleMatch{{LayerUse::Ignore, CellKind::Rock}, nullptr};
}
