// orvik-check: says what the program makes of a mesh file and an exit file,
// and why a map may look wrong, with file, line and field.
//
// Exit status: 0 both files read whole and every exit of use; 1 something
// ignored, reading stopped early or an exit of no use; 2 a file could not
// be read or written, or the command line is wrong.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "check.h"
#include "files/output_file.h"

namespace {

constexpr int kUsageStatus = 2;

struct Options {
  std::string meshPath = kMeshPath;
  std::string exitPath = kExitPath;
  std::string timesPath;  // empty: no times file
  bool json = false;
  CheckOptions check;
};

void printUsage(std::FILE* to) {
  std::fprintf(
      to,
      "usage: orvik-check [MESH [EXITS]] [--blocked] [--geodesic] [--limit SECONDS]\n"
      "                   [--exits-dir DIR] [--times FILE] [--json]\n"
      "  MESH   mesh file, default %s\n"
      "  EXITS  exit file, default %s\n"
      "  --blocked        block each door (exit cells side by side) in turn: what each\n"
      "                   does to the times, and the worst case for every cell\n"
      "  --geodesic       also the continuous walking time at any angle, and how far\n"
      "                   the side-move count stands above it\n"
      "  --limit SECONDS  list the cells over a walking-time limit by kind (the\n"
      "                   geodesic time with --geodesic); status 1 when any is\n"
      "  --exits-dir DIR  with --blocked: one exit file a door, without its cells\n"
      "  --times FILE     write every cell's times as CSV (cell,column,row,seconds,...)\n"
      "  --json           print the report as one JSON object\n"
      "exit status: 0 all read and used (and within the limit), 1 something ignored or\n"
      "of no use (or a cell over the limit), 2 a file unreadable or unwritable\n",
      kMeshPath, kExitPath);
}

// A number of seconds, 0 or more, and nothing after it.
bool parseSeconds(const char* text, double& seconds) {
  char* end = nullptr;
  errno = 0;
  seconds = std::strtod(text, &end);
  return end != text && *end == '\0' && errno == 0 && std::isfinite(seconds) && seconds >= 0;
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
      if (++i == argc || argv[i][0] == '\0') return false;
      options.timesPath = argv[i];
    } else if (arg == "--blocked") {
      options.check.blocked = true;
    } else if (arg == "--geodesic") {
      options.check.geodesic = true;
    } else if (arg == "--limit") {
      if (++i == argc || !parseSeconds(argv[i], options.check.limitSeconds)) return false;
      options.check.limitGiven = true;
    } else if (arg == "--exits-dir") {
      if (++i == argc || argv[i][0] == '\0') return false;
      options.check.exitsDir = argv[i];
      options.check.blocked = true;  // the files are the doors' cases
    } else if (arg.size() > 1 && arg[0] == '-') {
      return false;
    } else if (positional < 2) {
      (positional++ == 0 ? options.meshPath : options.exitPath) = arg;
    } else {
      return false;
    }
  }
  return true;
}

// The whole text on standard output, every write and the final flush checked.
bool printAll(const std::string& text) {
  errno = 0;
  const bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
  return std::fflush(stdout) == 0 && written && !std::ferror(stdout);
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
    return printAll("") ? 0 : 2;
  }
  CheckReport report = checkPlanFiles(options.meshPath, options.exitPath, options.check);
  // The files first, so that the report can state the status the program
  // really returns. A times file that is one of the inputs would replace
  // the plan just checked with its figures.
  if (!options.timesPath.empty() && replacesInput(report, options.timesPath)) {
    report.writeFailure =
        "the times file " + options.timesPath + " is a file being checked; nothing is written";
    std::fprintf(stderr, "orvik-check: %s\n", report.writeFailure.c_str());
  } else if (!writeDoorExitFiles(report)) {
    std::fprintf(stderr, "orvik-check: %s\n", report.writeFailure.c_str());
  } else if (!options.timesPath.empty() &&
      !writeWholeFile(options.timesPath.c_str(), formatTimesCsv(report))) {
    report.writeFailure = "the times file " + options.timesPath +
                          " could not be written: " + std::strerror(errno);
    std::fprintf(stderr, "orvik-check: %s\n", report.writeFailure.c_str());
  }
  if (!printAll(options.json ? formatJsonReport(report) : formatTextReport(report))) {
    std::fprintf(stderr, "orvik-check: cannot write the report: %s\n",
                 std::strerror(errno != 0 ? errno : EIO));
    return 2;
  }
  return checkExitStatus(report);
}
