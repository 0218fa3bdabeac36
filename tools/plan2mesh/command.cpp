// The plan2mesh command: reads the plan, writes the mesh and exit files
// both or neither.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "files/output_file.h"
#include "plan2mesh.h"

constexpr char kUsage[] = "usage: plan2mesh PLAN MESH_OUT EXIT_OUT (plan2mesh --help: the character key)\n";

namespace {

bool distinctPaths(const char* const* argv) {
  static const char* const kRoles[] = {"", "the plan", "the mesh file", "the exit file"};
  for (int i = 1; i <= 3; ++i) {
    for (int j = i + 1; j <= 3; ++j) {
      if (!sameFile(argv[i], argv[j])) continue;
      std::fprintf(stderr, "plan2mesh: %s and %s are the same file (%s); nothing written\n",
                   kRoles[i], kRoles[j], argv[j]);
      return false;
    }
  }
  return true;
}

bool reportWriteFailure(const char* path) {
  std::fprintf(stderr, "plan2mesh: cannot write %s: %s; nothing written\n", path,
               std::strerror(errno));
  return false;
}

// Both files whole in their temporary places before either replaces its target.
bool writeBoth(const char* meshPath, const std::string& mesh, const char* exitPath,
               const std::string& exits) {
  OutputFile out[2]{};
  const char* paths[2] = {meshPath, exitPath};
  const std::string* texts[2] = {&mesh, &exits};
  for (int k = 0; k < 2; ++k) {
    if (!openOutputFile(paths[k], out[k]) || !writeOutput(out[k], texts[k]->data(), texts[k]->size()) ||
        !finishOutputFile(out[k])) {
      reportWriteFailure(paths[k]);
      discardOutputFile(out[0]);
      discardOutputFile(out[1]);
      return false;
    }
  }
  if (!placeOutputFile(out[0])) {
    discardOutputFile(out[1]);
    return reportWriteFailure(meshPath);
  }
  if (!placeOutputFile(out[1])) {
    std::fprintf(stderr, "plan2mesh: %s is written, but %s could not replace the old one: %s\n",
                 meshPath, exitPath, std::strerror(errno));
    return false;
  }
  return true;
}

// The key on standard output, every write and the flush checked.
int printHelp() {
  const std::string text = formatPlanHelp();
  const bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
  if (std::fflush(stdout) == 0 && written && !std::ferror(stdout)) return 0;
  std::fprintf(stderr, "plan2mesh: cannot write the help: %s\n", std::strerror(errno));
  return 2;
}

}  // namespace

int runPlan2mesh(int argc, const char* const* argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    return printHelp();
  }
  if (argc != 4) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  if (!distinctPaths(argv)) return 1;
  const char* planPath = argv[1];
  TextCursor in{};
  errno = 0;
  if (!openFileCursor(planPath, in)) {
    std::fprintf(stderr, "plan2mesh: cannot read %s: %s\n", planPath, std::strerror(errno));
    return 1;
  }
  Plan plan;
  PlanError error;
  const bool parsed = parsePlanFrom(in, plan, error);
  const int readError = in.readError;
  closeCursor(in);
  if (readError != 0) {
    std::fprintf(stderr, "plan2mesh: cannot read %s: %s\n", planPath, std::strerror(readError));
    return 1;
  }
  if (!parsed) {
    std::fprintf(stderr, "plan2mesh: %s\n", describePlanError(planPath, error).c_str());
    return 1;
  }
  return writeBoth(argv[2], formatMesh(plan), argv[3], formatExits(plan)) ? 0 : 1;
}
