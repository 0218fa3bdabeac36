// Reading the scenario file with toml++: every key is looked up in a list
// of the keys its table may hold, so that a misspelt key is an error and
// not a default silently taken.
#include <toml++/toml.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#include "scenario.h"

namespace {

enum class Bound { Positive, NotNegative };

struct Parse {
  const std::string& name;
  std::string& error;
};

std::int64_t lineOf(const toml::node& node) { return static_cast<std::int64_t>(node.source().begin.line); }

bool fail(Parse& p, std::int64_t line, const std::string& message) {
  p.error = p.name + ":" + std::to_string(line) + ": " + message;
  return false;
}

// The number at `node`, for the key called `what` in messages.
bool readNumber(Parse& p, const toml::node& node, const std::string& what, Bound bound, double& out) {
  if (!node.is_number()) return fail(p, lineOf(node), what + " must be a number");
  out = node.value<double>().value_or(NAN);
  if (!std::isfinite(out)) return fail(p, lineOf(node), what + " must be a finite number");
  if (bound == Bound::Positive && !(out > 0.0)) return fail(p, lineOf(node), what + " must be above 0");
  if (out < 0.0) return fail(p, lineOf(node), what + " must not be negative");
  return true;
}

const toml::table* tableAt(Parse& p, const toml::node& node, const std::string& what) {
  const toml::table* t = node.as_table();
  if (t == nullptr) fail(p, lineOf(node), what + " must be a table ([" + what + "])");
  return t;
}

bool unknownKey(Parse& p, const toml::key& key, const std::string& where) {
  return fail(p, static_cast<std::int64_t>(key.source().begin.line),
              "unknown key '" + std::string(key.str()) + "'" + where);
}

bool readKind(Parse& p, const toml::key& word, const toml::node& node, Scenario& s) {
  const std::string name = "kinds." + std::string(word.str());
  const toml::table* t = tableAt(p, node, name);
  if (t == nullptr) return false;
  KindGiven kind{std::string(word.str()), KindFlow{NAN, NAN, NAN}, lineOf(node)};
  for (auto&& [key, value] : *t) {
    double* into = key == "speed" ? &kind.flow.speed
                   : key == "flow" ? &kind.flow.flow
                   : key == "jam"  ? &kind.flow.jam
                                   : nullptr;
    if (into == nullptr) return unknownKey(p, key, " in [" + name + "] (speed, flow, jam)");
    if (!readNumber(p, value, name + "." + std::string(key.str()), Bound::Positive, *into)) return false;
  }
  s.kinds.push_back(kind);
  return true;
}

// A table of numbers by kind word: [people.density], [limits.cleared].
bool readByKind(Parse& p, const toml::node& node, const std::string& name, std::vector<Given>& out) {
  const toml::table* t = tableAt(p, node, name);
  if (t == nullptr) return false;
  for (auto&& [key, value] : *t) {
    double number = 0.0;
    const std::string what = name + "." + std::string(key.str());
    if (!readNumber(p, value, what, Bound::NotNegative, number)) return false;
    out.push_back(Given{std::string(key.str()), number, lineOf(value)});
  }
  return true;
}

bool readPeople(Parse& p, const toml::node& node, Scenario& s) {
  const toml::table* t = tableAt(p, node, "people");
  if (t == nullptr) return false;
  for (auto&& [key, value] : *t) {
    if (key == "density") {
      if (!readByKind(p, value, "people.density", s.density)) return false;
    } else if (key == "count") {
      if (!readByKind(p, value, "people.count", s.count)) return false;
    } else if (key == "file") {
      const auto file = value.value<std::string>();
      if (!file || file->empty()) return fail(p, lineOf(value), "people.file must be a file name");
      s.peopleFile = *file;
      s.peopleFileLine = lineOf(value);
    } else {
      return unknownKey(p, key, " in [people] (density, count, file)");
    }
  }
  return true;
}

bool readLimits(Parse& p, const toml::node& node, Scenario& s) {
  const toml::table* t = tableAt(p, node, "limits");
  if (t == nullptr) return false;
  for (auto&& [key, value] : *t) {
    if (key == "cleared") {
      if (!readByKind(p, value, "limits.cleared", s.clearedLimits)) return false;
    } else if (key == "everyone_out") {
      double seconds = 0.0;
      if (!readNumber(p, value, "limits.everyone_out", Bound::NotNegative, seconds)) return false;
      s.everyoneOutLimit = Given{"everyone_out", seconds, lineOf(value)};
    } else {
      return unknownKey(p, key, " in [limits] (everyone_out, cleared)");
    }
  }
  return true;
}

bool readDoors(Parse& p, const toml::node& node, Scenario& s) {
  const toml::table* t = tableAt(p, node, "doors");
  if (t == nullptr) return false;
  for (auto&& [key, value] : *t) {
    if (key != "blocked") return unknownKey(p, key, " in [doors] (blocked)");
    const toml::array* list = value.as_array();
    if (list == nullptr) return fail(p, lineOf(value), "doors.blocked must be a list of door names and numbers");
    for (const toml::node& door : *list) {
      if (const auto name = door.value_exact<std::string>()) {
        s.blocked.push_back(DoorGiven{*name, 0, lineOf(door)});
      } else if (const auto number = door.value_exact<std::int64_t>(); number && *number >= 1) {
        s.blocked.push_back(DoorGiven{"", *number, lineOf(door)});
      } else {
        return fail(p, lineOf(door), "doors.blocked holds a door name (text) or number (from 1)");
      }
    }
  }
  return true;
}

bool readRoute(Parse& p, const toml::node& node, Scenario& s) {
  const auto word = node.value_exact<std::string>();
  if (word && *word == "quickest") {
    s.route = RouteChoice::Quickest;
  } else if (word && *word == "nearest") {
    s.route = RouteChoice::Nearest;
  } else {
    return fail(p, lineOf(node), "route must be \"quickest\" or \"nearest\"");
  }
  return true;
}

bool readTop(Parse& p, const toml::key& key, const toml::node& value, Scenario& s) {
  if (key == "cell_side") return readNumber(p, value, "cell_side", Bound::Positive, s.cellSide);
  if (key == "reroute_every") return readNumber(p, value, "reroute_every", Bound::NotNegative, s.rerouteSeconds);
  if (key == "wait_memory") return readNumber(p, value, "wait_memory", Bound::Positive, s.waitMemorySeconds);
  if (key == "pre_movement") return readNumber(p, value, "pre_movement", Bound::NotNegative, s.preMovementSeconds);
  if (key == "max_seconds") return readNumber(p, value, "max_seconds", Bound::Positive, s.maxSeconds);
  if (key == "route") return readRoute(p, value, s);
  if (key == "people") return readPeople(p, value, s);
  if (key == "limits") return readLimits(p, value, s);
  if (key == "doors") return readDoors(p, value, s);
  if (key == "kinds") {
    const toml::table* kinds = tableAt(p, value, "kinds");
    if (kinds == nullptr) return false;
    for (auto&& [word, figures] : *kinds) {
      if (!readKind(p, word, figures, s)) return false;
    }
    return true;
  }
  return unknownKey(p, key, "");
}

}  // namespace

bool parseScenario(std::string_view text, const std::string& name, Scenario& scenario,
                   std::string& error) {
  scenario = Scenario{};
  scenario.path = name;
  Parse p{name, error};
  toml::table parsed;
  try {
    parsed = toml::parse(text, name);
  } catch (const toml::parse_error& e) {
    return fail(p, static_cast<std::int64_t>(e.source().begin.line), std::string(e.description()));
  }
  for (auto&& [key, value] : parsed) {
    if (!readTop(p, key, value, scenario)) return false;
  }
  return true;
}

bool readScenario(const std::string& path, Scenario& scenario, std::string& error) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
  if (!file) {
    error = path + ": cannot be opened: " + std::strerror(errno);
    return false;
  }
  std::string text(kScenarioBytes + 1, '\0');
  const std::size_t got = std::fread(text.data(), 1, text.size(), file.get());
  if (std::ferror(file.get())) {
    error = path + ": read failed: " + std::strerror(errno);
    return false;
  }
  if (got > kScenarioBytes) {
    error = path + ": larger than " + std::to_string(kScenarioBytes) + " bytes; not a scenario";
    return false;
  }
  text.resize(got);
  return parseScenario(text, path, scenario, error);
}
