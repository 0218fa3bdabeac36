// --plan DIR or --plan FILE.plan for the companion programs.
#include "plan_input.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "files/output_file.h"
#include "plan2mesh.h"
#include "scene/reader.h"
#include "scene/scene.h"

namespace {

constexpr char kPlanSuffix[] = ".plan";

std::string fileName(const char* path) {
  const std::string text = path;
  const std::size_t slash = text.find_last_of('/');
  return slash == std::string::npos ? text : text.substr(slash + 1);
}

bool convertPlan(const std::string& path, Plan& plan, std::string& error) {
  TextCursor in{};
  errno = 0;
  if (!openFileCursor(path.c_str(), in)) {
    error = "cannot read " + path + ": " + std::strerror(errno != 0 ? errno : ENOENT);
    return false;
  }
  PlanError refusal;
  const bool parsed = parsePlanFrom(in, plan, refusal);
  const int readError = in.readError;
  closeCursor(in);
  if (readError != 0) {
    error = "cannot read " + path + ": " + std::strerror(readError);
    return false;
  }
  if (!parsed) error = describePlanError(path, refusal);
  return parsed;
}

// A folder of our own under TMPDIR (or /tmp), mode 0700.
bool makeScratch(std::string& dir, std::string& error) {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/orvik-plan-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) {
    error = "cannot make a temporary folder for the converted plan (" + pattern + "): " +
            std::strerror(errno);
    return false;
  }
  dir = pattern;
  return true;
}

bool writeConverted(PlanInput& input, const std::string& mesh, const std::string& exits,
                    std::string& error) {
  if (!makeScratch(input.scratchDir, error)) return false;
  input.meshPath = input.scratchDir + '/' + fileName(kMeshPath);
  input.exitPath = input.scratchDir + '/' + fileName(kExitPath);
  for (const auto& [path, text] : {std::make_pair(&input.meshPath, &mesh), std::make_pair(&input.exitPath, &exits)}) {
    if (!writeWholeFile(path->c_str(), *text)) {
      error = "cannot write the converted plan to " + *path + ": " + std::strerror(errno);
      closePlanInput(input);
      return false;
    }
  }
  return true;
}

}  // namespace

bool isPlanFilePath(const std::string& path) {
  const std::size_t n = sizeof kPlanSuffix - 1;
  return path.size() > n && path.compare(path.size() - n, n, kPlanSuffix) == 0;
}

std::string planFileStem(const std::string& path) {
  const std::string name = fileName(path.c_str());
  return name.substr(0, name.size() - (sizeof kPlanSuffix - 1));
}

bool openPlanInput(const std::string& given, PlanForm form, PlanInput& input, std::string& error) {
  input = PlanInput{};
  input.given = given;
  struct stat info {};
  if (::stat(given.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
    input.meshPath = given + '/' + fileName(kMeshPath);
    input.exitPath = given + '/' + fileName(kExitPath);
    return true;
  }
  if (!isPlanFilePath(given)) {
    error = given + " is neither a folder with " + fileName(kMeshPath) + " and " +
            fileName(kExitPath) + " nor a plan file ending in " + kPlanSuffix;
    return false;
  }
  Plan plan;
  if (!convertPlan(given, plan, error)) return false;
  input.converted = true;
  if (form == PlanForm::Files) return writeConverted(input, formatMesh(plan), formatExits(plan), error);
  input.meshPath = fileName(kMeshPath);
  input.exitPath = fileName(kExitPath);
  input.meshText = formatMesh(plan);
  input.exitText = formatExits(plan);
  return true;
}

void closePlanInput(PlanInput& input) {
  if (input.scratchDir.empty()) return;
  ::unlink(input.meshPath.c_str());
  ::unlink(input.exitPath.c_str());
  ::rmdir(input.scratchDir.c_str());
  input.scratchDir.clear();
}
