// The scenario of orvik-egress: a TOML file beside a plan that gives it a
// physical scale (the side of a cell), figures for each kind of floor
// (mesh field 8), the people, the limits and the blocked doors. Every key,
// its unit and its default are listed in docs/orvik-egress.md.
//
//   cell_side = 0.5                # m
//   [kinds.stair]                  # by kind word: speed m/s, flow p/(m·s), jam p/m²
//   speed = 0.39
//   [people.density]               # persons per m², by kind
//   platform = 1.5
//   [people.count]                 # persons spread evenly over a kind's cells
//   service = 20
//   [limits.cleared]               # s, the last person off a kind's cells
//   platform = 240
//   [limits]
//   everyone_out = 360             # s
//   [doors]
//   blocked = ["North stair", 3]   # by door name (tag door=) or number
//   [kinds.stair.up]               # going up a stair between levels; also .down
//   flow = 0.74
//   [kinds.gate]
//   capacity = 50                  # persons a minute per gate
//   [escalators]                   # running = true, speed m/s, capacity p/min an escalator,
//   against = "walked"             # against = "walked" | "closed"
//   [joins]
//   out_of_service = ["3"]         # stairs and escalators by their label in the plan
//
// A kind table holds keys only, except `up` and `down` for stairs and
// escalators.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model.h"
#include "plan_graph.h"

// A number from the file and the line it stands on.
struct Given {
  std::string key;     // the kind word or key it was given under
  double value;        // in the key's unit
  std::int64_t line;   // 1-based line of the file
};

// One kind's figures as the file gives them; a figure not given is NaN.
struct KindGiven {
  std::string word;
  KindFlow flow;       // NaN where the file says nothing
  std::int64_t line;   // line of the table's header
  KindFlow up{NAN, NAN, NAN};    // [kinds.K.up]: going up a stair or a stopped escalator
  KindFlow down{NAN, NAN, NAN};  // [kinds.K.down]
  double capacity = NAN;         // persons a minute per gate ([kinds.gate] only)
  std::int64_t capacityLine = 0;
};

// What an escalator running against the way people go is to them.
enum class Against { Walked, Closed };

// The [escalators] table.
struct EscalatorsGiven {
  bool running = true;        // false: every escalator stopped and walked as a stair
  double speed = NAN;         // m/s over the plan, riding a running escalator; NaN: the default
  double capacity = NAN;      // persons a minute an escalator carries; NaN: the default
  Against against = Against::Walked;
};

// A stair or escalator out of service, by the label of its join.
struct JoinGiven {
  std::string label;
  std::int64_t line;
};

// A blocked door as the file names it.
struct DoorGiven {
  std::string name;    // by name, or "" when by number
  std::int64_t number; // by number (from 1), or 0
  std::int64_t line;
  bool commandLine = false;  // from --block: `name` holds the text given, a name or a number
};

struct Scenario {
  std::string path;                // as given; messages name it
  double cellSide = 0.5;           // m
  RouteChoice route = RouteChoice::Quickest;
  double rerouteSeconds = 0.0;     // s; 0: every step
  double waitMemorySeconds = 4.0;  // s
  double preMovementSeconds = 0.0; // s
  double maxSeconds = 3600.0;      // s
  std::vector<KindGiven> kinds;
  std::vector<Given> density;      // persons per m², by kind
  std::vector<Given> count;        // persons, by kind
  std::string peopleFile;          // CSV of persons per cell; relative to the scenario's folder
  std::int64_t peopleFileLine = 0;
  std::vector<Given> clearedLimits;  // s, by kind
  Given everyoneOutLimit{"everyone_out", kNever, 0};  // s; kNever when none
  std::vector<DoorGiven> blocked;
  EscalatorsGiven escalators;
  std::vector<JoinGiven> outOfService;
};

// Pure: the scenario in `text`, which messages call `name`. False, with
// "name:line: message" in `error`, for a TOML error, an unknown key or
// table, a value of the wrong type, or a number that is negative, not
// finite, or zero where it must be positive.
bool parseScenario(std::string_view text, const std::string& name, Scenario& scenario,
                   std::string& error);

// parseScenario on a file of at most kScenarioBytes. False, with `error`
// set, when it cannot be read or is larger.
constexpr std::size_t kScenarioBytes = std::size_t{1} << 20;
bool readScenario(const std::string& path, Scenario& scenario, std::string& error);

// The kind figures when a file gives none, for the kind words plan2mesh
// writes; false for another word.
bool defaultKindFlow(std::string_view word, KindFlow& flow);

// What the scenario makes of a plan, for the model and the reports.
struct ScenarioOnPlan {
  EgressInput input;               // exits without the blocked doors
  std::vector<int> doorOfExit;     // door of each entry of graph.exits
  std::vector<std::string> doorName;  // each door's name tag, or ""
  std::vector<bool> doorBlocked;   // by the scenario
  std::vector<double> clearedLimit;  // s for each kind word of the graph, kNever for none
  std::vector<bool> joinOut;       // by graph.joinLabels: out of service by the scenario
};

// For applyScenario, after input.kinds: the figures by direction of travel,
// the moves closed and `out` (by graph.joinLabels) for a plan with joins;
// only `out` for one without. False, with "file:line: message" in `error`,
// for an out-of-service label the plan does not have.
bool applyJoins(const Scenario& scenario, const PlanGraph& graph, EgressInput& input,
                std::vector<bool>& out, std::string& error);

// Needs `scenario` parsed: checks it against the plan and places the
// people (reading the people CSV, if any, in pieces). False, with
// "file:line: message" in `error`, for a kind the plan does not have, a
// kind of the plan without figures, people above a cell's jam, a door that
// is not there, or a bad CSV.
bool applyScenario(const Scenario& scenario, const PlanGraph& graph, ScenarioOnPlan& on,
                   std::string& error);

// The exits of `on` with door `door` (from 0) blocked as well, for the
// model; the other fields of `on.input` stay.
EgressInput withDoorBlocked(const ScenarioOnPlan& on, const PlanGraph& graph, int door);

// Pure: `scenario` with the stair or escalator of join label `label` out of
// service as well.
Scenario withJoinOut(const Scenario& scenario, const std::string& label);
