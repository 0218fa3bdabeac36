// --plan DIR or FILE.plan for orvik-egress, and the scenario beside a plan.
#include "command.h"

#include <sys/stat.h>

#include "scene/scene.h"

namespace {

const std::string kDefaultFolder = "../in";  // where the window reads its plan

bool isFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string folderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// NAME.toml beside NAME.plan, else station.toml there.
bool scenarioBeside(const std::string& planFile, std::string& scenario, std::string& error) {
  const std::string folder = folderOf(planFile);
  const std::string own = folder + planFileStem(planFile) + ".toml";
  const std::string shared = folder + kScenarioName;
  for (const std::string* candidate : {&own, &shared}) {
    if (isFile(*candidate)) {
      scenario = *candidate;
      return true;
    }
  }
  error = "no scenario beside " + planFile + ": " +
          (own == shared ? "no " + own : "neither " + own + " nor " + shared) +
          "; give --scenario FILE";
  return false;
}

}  // namespace

bool openEgressFiles(const EgressNames& names, EgressFiles& files, std::string& error) {
  files = EgressFiles{};
  files.mesh = kMeshPath;
  files.exits = kExitPath;
  files.scenario = kDefaultFolder + "/" + kScenarioName;
  if (!names.plan.empty()) {
    if (!openPlanInput(names.plan, PlanForm::Files, files.plan, error)) return false;
    files.mesh = files.plan.meshPath;
    files.exits = files.plan.exitPath;
    if (!files.plan.converted) {
      files.scenario = names.plan + "/" + kScenarioName;
    } else if (names.scenario.empty() && !scenarioBeside(names.plan, files.scenario, error)) {
      closePlanInput(files.plan);
      return false;
    }
  }
  const bool converted = files.plan.converted;
  files.planFile = converted && (names.mesh.empty() || names.exits.empty()) ? names.plan : "";
  files.meshShown = names.mesh.empty() ? (converted ? names.plan : files.mesh) : names.mesh;
  files.exitsShown = names.exits.empty() ? (converted ? names.plan : files.exits) : names.exits;
  if (!names.mesh.empty()) files.mesh = names.mesh;
  if (!names.exits.empty()) files.exits = names.exits;
  if (!names.scenario.empty()) files.scenario = names.scenario;
  return true;
}

void closeEgressFiles(EgressFiles& files) { closePlanInput(files.plan); }
