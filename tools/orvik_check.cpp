// orvik-check: says what the program makes of a mesh file and an exit file,
// and why a map may look wrong, with file, line and field.
//
//   orvik-check [MESH [EXITS]] [--times FILE] [--json]
//
// Exit status: 0 both files read whole and every exit of use; 1 something
// ignored, reading stopped early or an exit of no use; 2 a file could not
// be read or written, or the command line is wrong.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "check_report.h"

namespace {

constexpr int kUsageStatus = 2;

struct Options {
  std::string meshPath = kMeshPath;
  std::string exitPath = kExitPath;
  std::string timesPath;  // empty: no times file
  bool json = false;
};

void printUsage(std::FILE* to) {
  std::fprintf(
      to,
      "usage: orvik-check [MESH [EXITS]] [--times FILE] [--json]\n"
      "  MESH   mesh file, default %s\n"
      "  EXITS  exit file, default %s\n"
      "  --times FILE  write every cell's travel time as CSV (cell,column,row,seconds)\n"
      "  --json        print the report as one JSON object\n"
      "exit status: 0 all read and used, 1 something ignored or of no use, 2 a file unreadable\n",
      kMeshPath, kExitPath);
}

// False on a command line it cannot make sense of.
bool parseOptions(int argc, char** argv, Options& options, bool& help) {
  int positional = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      help = true;
    } else if (arg == "--json") {
      options.json = true;
    } else if (arg == "--times") {
      if (++i == argc) return false;
      options.timesPath = argv[i];
    } else if (arg.size() > 1 && arg[0] == '-') {
      return false;
    } else if (positional == 0) {
      options.meshPath = arg;
      ++positional;
    } else if (positional == 1) {
      options.exitPath = arg;
      ++positional;
    } else {
      return false;
    }
  }
  return true;
}

bool writeFile(const std::string& path, const std::string& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  bool help = false;
  if (!parseOptions(argc, argv, options, help)) {
    printUsage(stderr);
    return kUsageStatus;
  }
  if (help) {
    printUsage(stdout);
    return 0;
  }
  const CheckReport report = checkPlan(loadInput(options.meshPath), loadInput(options.exitPath));
  const std::string out = options.json ? formatJsonReport(report) : formatTextReport(report);
  std::fwrite(out.data(), 1, out.size(), stdout);
  int status = checkExitStatus(report);
  if (!options.timesPath.empty() && !writeFile(options.timesPath, formatTimesCsv(report))) {
    std::fprintf(stderr, "orvik-check: cannot write the times file %s: %s\n",
                 options.timesPath.c_str(), std::strerror(errno));
    status = 2;
  }
  return status;
}
