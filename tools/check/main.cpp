// orvik-check: says what the program makes of a mesh file and an exit file,
// and why a map may look wrong, with file, line and field.
//
// Exit status: 0 both files read whole and every exit of use; 1 something
// ignored, reading stopped early or an exit of no use; 2 a file could not
// be read or written, or the command line is wrong.
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "check.h"
#include "plain_text.h"
#include "command_plan.h"
#include "files/output_file.h"

namespace {

constexpr int kUsageStatus = 2;
// Exit files of --exits-dir beyond this many bytes in all are worth a word first.
constexpr std::int64_t kDoorFilesWarningBytes = std::int64_t{256} << 20;

struct Options {
  std::string meshPath = kMeshPath;
  std::string exitPath = kExitPath;
  std::string timesPath;  // empty: no times file
  bool json = false;
  CheckOptions check;
  int positional = 0;     // file names given
  std::string planPath;   // --plan DIR or FILE.plan; empty: the files
  std::string listPath;   // --list FILE; empty: no list
  bool overGiven = false; // --over, the limit by another name
};

void printUsage(std::FILE* to) {
  std::fprintf(
      to,
      "usage: orvik-check [MESH EXITS | --plan DIR|FILE.plan] [--blocked] [--geodesic]\n"
      "                   [--block DOOR]... [--limit SECONDS] [--list FILE]\n"
      "                   [--exits-dir DIR] [--max-doors N] [--times FILE] [--json] [--] ...\n"
      "  MESH   mesh file, default %s\n"
      "  EXITS  exit file, default %s (both or neither)\n"
      "  --plan DIR       the folder with Mesh.csv and ExitGrid.dat, or a plan file\n"
      "                   converted by plan2mesh in memory\n"
      "  --block DOOR     block the door of that name or number (repeatable: all of\n"
      "                   them together) and report the times without it\n"
      "  --list FILE      with --limit: write the cells over it as CSV (with --block,\n"
      "                   those doors blocked; else with --blocked, the worst case)\n"
      "  --over SECONDS   the same as --limit SECONDS\n"
      "  --blocked        block each door (exit cells side by side) in turn: what each\n"
      "                   does to the times, and the worst case for every cell\n"
      "  --geodesic       also the continuous walking time at any angle, and how far\n"
      "                   the side-move count stands above it\n"
      "  --limit SECONDS  list the cells over a walking-time limit by kind (the\n"
      "                   geodesic time with --geodesic); status 1 when any is\n"
      "  --exits-dir DIR  with --blocked: one exit file a door, without its cells\n"
      "  --max-doors N    with --blocked: refuse a plan of more than N doors (status 2)\n"
      "  --times FILE     write every cell's times as CSV (cell,column,row,seconds,...)\n"
      "  --json           print the report as one JSON object\n"
      "  --               what follows is MESH and EXITS, even if it starts with -\n"
      "At a terminal, long steps show their progress on standard error.\n"
      "exit status: 0 all read and used (and within the limit), 1 something ignored or\n"
      "of no use (or a cell over the limit), 2 a file unreadable or unwritable, or a\n"
      "bound passed\n",
      kMeshPath, kExitPath);
}

// A number of seconds, 0 or more, and nothing after it.
bool parseSeconds(const char* text, double& seconds) {
  char* end = nullptr;
  errno = 0;
  seconds = std::strtod(text, &end);
  return end != text && *end == '\0' && errno == 0 && std::isfinite(seconds) && seconds >= 0 &&
         isPlainDecimal(text);
}

// A whole number from 1 up, and nothing after it.
bool parseCount(const char* text, int& count) {
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || errno != 0 || value < 1 || value > INT_MAX) return false;
  count = static_cast<int>(value);
  return true;
}

// The value of option argv[i - 1], which must be there and be a file or
// folder name: one that looks like an option is a slip (--times --json).
bool takeName(int argc, char** argv, int& i, std::string& name, std::string& error) {
  const std::string option = argv[i];
  if (++i == argc || argv[i][0] == '\0') {
    error = option + " needs a name";
    return false;
  }
  if (argv[i][0] == '-' && argv[i][1] != '\0') {
    error = option + " needs a name, not the option " + plainText(argv[i], 48) +
            " (write ./" + plainText(argv[i], 48) + " for a file of that name)";
    return false;
  }
  name = argv[i];
  return true;
}

// --limit or --over (the same limit by another name): a plain decimal
// number of seconds; both given must agree.
bool takeLimit(int argc, char** argv, int& i, Options& options, std::string& error) {
  const std::string option = argv[i];
  double seconds = 0;
  if (++i == argc || !parseSeconds(argv[i], seconds)) {
    error = option + " needs a number of seconds from 0 up, digits and a decimal point only" +
            (i < argc ? ", not " + plainText(argv[i], 48) : std::string());
    return false;
  }
  const bool over = option == "--over";
  if ((over ? options.check.limitGiven : options.overGiven) && seconds != options.check.limitSeconds) {
    error = "--limit and --over give two limits";
    return false;
  }
  options.check.limitSeconds = seconds;
  options.check.limitGiven = true;
  options.overGiven = options.overGiven || over;
  return true;
}

// The plan as a whole and the what-ifs by door: --plan, --block, --list.
bool takePlanOrDoorOption(int argc, char** argv, int& i, Options& options, std::string& error) {
  const std::string option = argv[i];
  if (option == "--block") {
    if (++i == argc || argv[i][0] == '\0') {
      error = "--block needs a door name or number";
      return false;
    }
    options.check.block.emplace_back(argv[i]);
    return true;
  }
  if (option == "--plan" && !options.planPath.empty()) {
    error = "one --plan at a time";
    return false;
  }
  options.check.listOver = options.check.listOver || option == "--list";
  return takeName(argc, argv, i, option == "--plan" ? options.planPath : options.listPath, error);
}

// Files are given both or not at all, or as one --plan; a list needs a limit.
bool consistent(const Options& options, std::string& error) {
  if (options.positional == 1) {
    error = std::string("give both the mesh file and the exit file, or --plan DIR; with one file "
                        "the exit file would silently be ") + kExitPath;
  } else if (!options.planPath.empty() && options.positional > 0) {
    error = "--plan and file names cannot be given together";
  } else if (options.check.listOver && !options.check.limitGiven) {
    error = "--list writes the cells over a limit: give --limit SECONDS";
  } else {
    return true;
  }
  return false;
}

// One option (argv[i], and its value after it); false, with `error`, when
// it is unknown or its value wrong.
bool takeOption(int argc, char** argv, int& i, Options& options, bool& help, std::string& error) {
  const std::string arg = argv[i];
  CheckOptions& check = options.check;
  if (arg == "--help" || arg == "-h") {
    help = true;
  } else if (arg == "--json") {
    options.json = true;
  } else if (arg == "--times") {
    return takeName(argc, argv, i, options.timesPath, error);
  } else if (arg == "--blocked") {
    check.blocked = true;
  } else if (arg == "--geodesic") {
    check.geodesic = true;
  } else if (arg == "--limit" || arg == "--over") {
    return takeLimit(argc, argv, i, options, error);
  } else if (arg == "--plan" || arg == "--block" || arg == "--list") {
    return takePlanOrDoorOption(argc, argv, i, options, error);
  } else if (arg == "--max-doors") {
    if (++i == argc || !parseCount(argv[i], check.maxDoors)) {
      error = "--max-doors needs a whole number from 1 up" +
              (i < argc ? ", not " + plainText(argv[i], 48) : std::string());
      return false;
    }
  } else if (arg == "--exits-dir") {
    check.blocked = true;  // the files are the doors' cases
    return takeName(argc, argv, i, check.exitsDir, error);
  } else {
    error = "unknown option " + plainText(arg, 48) + " (a file whose name starts with - goes after --)";
    return false;
  }
  return true;
}

// False, with one line in `error`, on a command line it cannot make sense of.
bool parseOptions(int argc, char** argv, Options& options, bool& help, std::string& error) {
  int positional = 0;
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (!optionsEnded && arg == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
      if (!takeOption(argc, argv, i, options, help, error)) return false;
    } else if (positional < 2) {
      (positional++ == 0 ? options.meshPath : options.exitPath) = arg;
      options.positional = positional;
    } else {
      error = "a third file " + plainText(arg, 48) + "; orvik-check reads MESH and EXITS only";
      return false;
    }
  }
  return consistent(options, error);
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
  std::string error;
  if (!parseOptions(argc, argv, options, help, error)) {
    std::fprintf(stderr, "orvik-check: %s; orvik-check --help shows the usage\n", error.c_str());
    return kUsageStatus;
  }
  if (help) {
    printUsage(stdout);
    return printAll("") ? 0 : 2;
  }
  options.check.progress = ::isatty(STDERR_FILENO) == 1;
  CheckReport report;
  if (!checkAskedPlan(options.planPath, options.meshPath, options.exitPath, options.check, report)) {
    return kUsageStatus;
  }
  if (!report.refusal.empty()) {
    std::fprintf(stderr, "orvik-check: %s\n", report.refusal.c_str());
    return checkExitStatus(report);
  }
  if (!report.blockError.empty()) {
    std::fprintf(stderr, "orvik-check: %s\n", report.blockError.c_str());
    return kUsageStatus;
  }
  const std::int64_t doorBytes = doorFilesBytes(report);
  if (doorBytes > kDoorFilesWarningBytes) {
    std::fprintf(stderr,
                 "orvik-check: warning: --exits-dir writes %zu files, %lld MB in all "
                 "(--max-doors bounds the doors)\n",
                 report.doors.size(), static_cast<long long>(doorBytes / 1000000));
  }
  // The files first, so that the report can state the status the program
  // really returns. A times file that is one of the inputs would replace
  // the plan just checked with its figures, and one of the exit files
  // written in the same run a door's case.
  if (!options.timesPath.empty() && replacesInput(report, options.timesPath)) {
    report.writeFailure =
        "the times file " + options.timesPath + " is a file being checked; nothing is written";
    std::fprintf(stderr, "orvik-check: %s\n", report.writeFailure.c_str());
  } else if (!options.timesPath.empty() && isDoorExitFile(report, options.timesPath)) {
    report.writeFailure = "the times file " + options.timesPath +
                          " is one of the exit files of --exits-dir; nothing is written";
    std::fprintf(stderr, "orvik-check: %s\n", report.writeFailure.c_str());
  } else if (!writeDoorExitFiles(report)) {
    std::fprintf(stderr, "orvik-check: %s\n", report.writeFailure.c_str());
  } else if (!options.timesPath.empty() &&
      !writeWholeFile(options.timesPath.c_str(), formatTimesCsv(report))) {
    report.writeFailure = "the times file " + options.timesPath +
                          " could not be written: " + std::strerror(errno);
    std::fprintf(stderr, "orvik-check: %s\n", report.writeFailure.c_str());
  }
  writeOverList(options.listPath, report);
  if (!printAll(options.json ? formatJsonReport(report) : formatTextReport(report))) {
    std::fprintf(stderr, "orvik-check: cannot write the report: %s\n",
                 std::strerror(errno != 0 ? errno : EIO));
    return 2;
  }
  return checkExitStatus(report);
}
