// What each layer of a drawing stands for: walls, floor of a kind, exits,
// or nothing. Rules come from the command line (--layer PATTERN=ROLE), a
// roles file (TOML) and, for layers no rule names, the built-in names in
// the AIA manner (A-WALL, A-FLOR, ...). Patterns match layer names without
// regard to case; '*' stands for any run of characters, '?' for one.
#pragma once

#include <string>
#include <vector>

#include "levels.h"
#include "plan_grid.h"

enum class LayerUse { Ignore, Wall, Floor, Exit };

struct LayerRole {
  LayerUse use;
  CellKind kind;  // the floor's kind when use is Floor
};

struct RoleRule {
  std::string pattern;
  LayerRole role;
  std::string origin;  // where the rule comes from: "--layer", the roles file's name, "built-in"
  std::string reason;  // for built-in rules that ignore a layer: why
};

struct RoleTable {
  std::vector<RoleRule> rules;  // user rules, in the order they are tried
  bool builtIn;                 // try the built-in names after them
};

// The role a layer got and the rule that gave it.
struct RoleMatch {
  LayerRole role;
  const RoleRule* rule;  // nullptr when no rule names the layer (ignored)
};

// Pure: the role named by `word`: wall, exit, ignore, or a floor kind
// (floor, platform, stair, escalator, gate, service); false otherwise.
bool parseRoleWord(const std::string& word, LayerRole& role);

// Pure: the word of `role` (the kind's word for floor).
std::string roleWord(const LayerRole& role);

// Pure: true when `pattern` matches `name`, ignoring case.
bool layerMatches(const std::string& pattern, const std::string& name);

// Adds a --layer PATTERN=ROLE rule after those already given. False, with
// `error` said, when the text has no '=', an empty pattern or an unknown role.
bool addLayerRule(RoleTable& table, const std::string& text, std::string& error);

// Adds the rules of a roles file after those already given: the table
// [layers] maps each role to a pattern or a list of them; `builtin = false`
// drops the built-in names. Within the file an exact name goes before
// patterns, and a pattern with more plain characters before one with
// fewer. Its [[level]] and [[join]] tables (levels.h; a level names its
// `drawing`) go into `levels`. False, with `error` naming the file and what
// is wrong, when it cannot be read, is no TOML, or holds a key or role this
// tool does not know.
bool loadRoleFile(RoleTable& table, const std::string& path, LevelsSetup& levels, std::string& error);

// Pure: the role of `layer` under `table`.
RoleMatch roleOf(const RoleTable& table, const std::string& layer);
