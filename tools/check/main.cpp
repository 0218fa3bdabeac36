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
#include "plan_input.h"

namespace {

constexpr int kUsageStatus = 2;

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
      "                   [--exits-dir DIR] [--times FILE] [--json]\n"
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
      "  --times FILE     write every cell's times as CSV (cell,column,row,seconds,...)\n"
      "  --json           print the report as one JSON object\n"
      "exit status: 0 all read and used (and within the limit), 1 something ignored or\n"
      "of no use (or a cell over the limit), 2 a file unreadable or unwritable\n",
      kMeshPath, kExitPath);
}

// Digits with at most one decimal point among or after them: no sign, no
// exponent, no hexadecimal ("0x10" would read as 16), no "inf" or "nan",
// no blanks; as the times CSV reads seconds.
bool isPlainDecimal(const char* text) {
  bool digit = false;
  bool point = false;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p >= '0' && *p <= '9') {
      digit = true;
    } else if (*p == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  return digit;
}

// A number of seconds, 0 or more, and nothing after it.
bool parseSeconds(const char* text, double& seconds) {
  char* end = nullptr;
  errno = 0;
  seconds = std::strtod(text, &end);
  return end != text && *end == '\0' && errno == 0 && std::isfinite(seconds) && seconds >= 0 &&
         isPlainDecimal(text);
}

// The options of a plan given as a whole and of the what-ifs by door:
// Taken moves `i` past what it read, Bad is a command line to refuse.
enum class Option { NotOne, Taken, Bad };
Option parsePlanOrDoorOption(int argc, char** argv, int& i, Options& options) {
  const std::string arg = argv[i];
  const bool valued = arg == "--plan" || arg == "--block" || arg == "--list" || arg == "--over";
  if (!valued) return Option::NotOne;
  if (++i == argc || argv[i][0] == '\0') return Option::Bad;
  if (arg == "--plan") {
    if (!options.planPath.empty()) return Option::Bad;
    options.planPath = argv[i];
  } else if (arg == "--block") {
    options.check.block.emplace_back(argv[i]);
  } else if (arg == "--list") {
    options.listPath = argv[i];
    options.check.listOver = true;
  } else {
    double seconds = 0;
    if (!parseSeconds(argv[i], seconds)) return Option::Bad;
    if (options.check.limitGiven && seconds != options.check.limitSeconds) return Option::Bad;
    options.check.limitSeconds = seconds;
    options.check.limitGiven = true;
    options.overGiven = true;
  }
  return Option::Taken;
}

// Files are given both or not at all, or as one --plan; a list needs a limit.
bool consistent(const Options& options) {
  if (options.positional == 1) {
    std::fprintf(stderr,
                 "orvik-check: give both the mesh file and the exit file, or --plan DIR; with "
                 "one file the exit file would silently be %s\n",
                 kExitPath);
    return false;
  }
  if (!options.planPath.empty() && options.positional > 0) {
    std::fputs("orvik-check: --plan and file names cannot be given together\n", stderr);
    return false;
  }
  if (options.check.listOver && !options.check.limitGiven) {
    std::fputs("orvik-check: --list writes the cells over a limit: give --limit SECONDS\n", stderr);
    return false;
  }
  return true;
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
    } else if (const Option o = parsePlanOrDoorOption(argc, argv, i, options); o != Option::NotOne) {
      if (o == Option::Bad) return false;
    } else if (arg == "--limit") {
      double seconds = 0;
      if (++i == argc || !parseSeconds(argv[i], seconds)) return false;
      if (options.overGiven && seconds != options.check.limitSeconds) return false;
      options.check.limitSeconds = seconds;
      options.check.limitGiven = true;
    } else if (arg == "--exits-dir") {
      if (++i == argc || argv[i][0] == '\0') return false;
      options.check.exitsDir = argv[i];
      options.check.blocked = true;  // the files are the doors' cases
    } else if (arg.size() > 1 && arg[0] == '-') {
      return false;
    } else if (positional < 2) {
      (positional++ == 0 ? options.meshPath : options.exitPath) = arg;
      options.positional = positional;
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

// The plan as the options name it: two files, or --plan (a plan file
// converted in memory). False, with the reason said, when --plan cannot be
// used.
bool checkAsked(const Options& options, CheckReport& report) {
  if (options.planPath.empty()) {
    report = checkPlanFiles(options.meshPath, options.exitPath, options.check);
    return true;
  }
  PlanInput input;
  std::string error;
  if (!openPlanInput(options.planPath, PlanForm::InMemory, input, error)) {
    std::fprintf(stderr, "orvik-check: %s\n", error.c_str());
    return false;
  }
  report = input.converted
               ? checkConvertedPlan(input.given, input.meshText, input.exitText, options.check)
               : checkPlanFiles(input.meshPath, input.exitPath, options.check);
  closePlanInput(input);
  return true;
}

// --list: the cells over the limit, written whole; never over an input.
void writeOverList(const Options& options, CheckReport& report) {
  if (options.listPath.empty() || !report.writeFailure.empty()) return;
  if (replacesInput(report, options.listPath)) {
    report.writeFailure =
        "the list file " + options.listPath + " is a file being checked; it is not written";
  } else if (!writeWholeFile(options.listPath.c_str(), formatOverCsv(report))) {
    report.writeFailure = "the list file " + options.listPath +
                          " could not be written: " + std::strerror(errno);
  } else {
    return;
  }
  std::fprintf(stderr, "orvik-check: %s\n", report.writeFailure.c_str());
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
  if (!consistent(options)) return kUsageStatus;
  CheckReport report;
  if (!checkAsked(options, report)) return kUsageStatus;
  if (!report.blockError.empty()) {
    std::fprintf(stderr, "orvik-check: %s\n", report.blockError.c_str());
    return kUsageStatus;
  }
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
  writeOverList(options, report);
  if (!printAll(options.json ? formatJsonReport(report) : formatTextReport(report))) {
    std::fprintf(stderr, "orvik-check: cannot write the report: %s\n",
                 std::strerror(errno != 0 ? errno : EIO));
    return 2;
  }
  return checkExitStatus(report);
}
