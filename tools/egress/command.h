// The files orvik-egress reads, as its command line names them: a plan
// folder or a .plan file (converted into a private temporary folder), the
// files given one by one, and the scenario found beside the plan.
#pragma once

#include <string>

#include "plan_input.h"

// What the command line says; "" for what it does not.
struct EgressNames {
  std::string plan;      // --plan DIR or FILE.plan
  std::string mesh;      // --mesh FILE
  std::string exits;     // --exits FILE
  std::string scenario;  // --scenario FILE
};

// The files to read and how the reports name them.
struct EgressFiles {
  std::string mesh, exits, scenario;  // paths to read
  std::string meshShown, exitsShown;  // in reports: a converted .plan by its own path
  std::string planFile;               // the .plan converted for mesh or exits; "" none
  PlanInput plan;                     // the conversion; closeEgressFiles removes it
};

// The scenario file name looked for in a plan folder, and beside a .plan
// after the plan's own name with ".toml".
constexpr char kScenarioName[] = "station.toml";

// The files `names` asks for: --mesh, --exits and --scenario win over
// --plan wherever they stand; without --plan, ../in as the window reads it.
// A .plan's scenario, when none is given, is NAME.toml beside NAME.plan,
// else station.toml there. False, with one line in `error` and nothing
// left behind, when --plan names neither a folder nor a .plan file, the
// plan cannot be read or converted, or a .plan has no scenario beside it.
bool openEgressFiles(const EgressNames& names, EgressFiles& files, std::string& error);

// Removes a converted plan's temporary folder; safe to call twice.
void closeEgressFiles(EgressFiles& files);
