// The command line: options set files, size and keys; each output name
// takes them as they stand. Files, the times column and the size carry on
// to later outputs; keys and --block belong to the one output that follows
// them.
#include <strings.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/app.h"
#include "plan_input.h"
#include "render.h"
#include "report.h"

namespace {

// The program's file names without its folder: what --plan DIR holds.
const char* fileName(const char* path) {
  const char* slash = std::strrchr(path, '/');
  return slash != nullptr ? slash + 1 : path;
}

constexpr char kDefaultColumn[] = "seconds";  // orvik-check --times's time column
constexpr int kMaxSide = 16384;               // px, beyond any window
constexpr const char* kOptions[] = {"--plan",  "--mesh",      "--exits",  "--times",
                                    "--column", "--size",     "--keys",   "--title",
                                    "--limit",  "--scale-max", "--region", "--cell-size",
                                    "--block"};
constexpr char kAnnotate[] = "--annotate";  // the one option without a value
constexpr int kMinReportWidth = 320;         // px, room for the title, legend and a map
constexpr int kMinReportHeight = 240;        // px
constexpr double kMostSeconds = 1e6;         // s, for --limit and --scale-max
constexpr double kMostMetres = 1e4;          // m, for --cell-size

struct Settings {
  RenderJob next;       // files and size for the next output
  bool timesNamed;      // --times was ever given
  bool columnNamed;     // --column was ever given
  bool optionsPending;  // an option was given since the last output
  bool columnPending;   // --column was given since the last output
  bool keysPending;     // --keys was given since the last output
  bool limitPending;    // --limit was given since the last output
  bool scaleMaxPending; // --scale-max was given since the last output
  bool exitsNamed;      // --exits was given after the last --plan
};

// Whatever the case: a camera's PICTURE.PNG is a PNG too.
bool endsWith(const std::string& text, const char* suffix) {
  const std::size_t n = std::strlen(suffix);
  return text.size() >= n && strcasecmp(text.c_str() + text.size() - n, suffix) == 0;
}

bool parseSide(const char* from, const char* to, int& side) {
  if (from == to || to - from > 5) return false;
  side = 0;
  for (const char* c = from; c != to; ++c) {
    if (*c < '0' || *c > '9') return false;
    side = side * 10 + (*c - '0');
  }
  return side >= 1 && side <= kMaxSide;
}

bool parseSize(const char* text, int& width, int& height) {
  const char* x = std::strchr(text, 'x');
  return x != nullptr && parseSide(text, x, width) && parseSide(x + 1, x + std::strlen(x), height);
}

// A key of the table that changes the view; "s" and Escape are refused
// with a reason, since a picture is written anyway and nothing quits.
bool parseKey(const std::string& name, char& key, std::string& error) {
  if (name == "s") {
    error =
        "--keys: \"s\" saves the window's picture; orvik-render writes OUT instead, leave it out";
    return false;
  }
  if (name == "Escape" || name == "Esc" || name == "\x1b") {
    error = "--keys: Escape quits the program; orvik-render has nothing to quit, leave it out";
    return false;
  }
  ViewState probe = kStartView;
  if (name.size() != 1 ||
      applyKey(static_cast<unsigned char>(name[0]), probe) == KeyCommand::NotAKey) {
    error = "--keys: \"" + name +
            "\" is not a key of the program; keys are 8 k 2 i 6 l 4 j (pan), "
            "w W (zoom), 0 R (reset), one character each, separated by blanks";
    return false;
  }
  key = name[0];
  return true;
}

bool parseKeys(const char* text, std::string& keys, std::string& error) {
  keys.clear();
  const char* at = text;
  for (;;) {
    while (*at == ' ' || *at == '\t') ++at;
    if (*at == '\0') return true;
    const char* end = at;
    while (*end != '\0' && *end != ' ' && *end != '\t') ++end;
    char key = 0;
    if (!parseKey(std::string(at, end), key, error)) return false;
    keys += key;
    at = end;
  }
}

// The report options make sense together and with the rest of the output.
bool reportFits(const Settings& s, const RenderJob& job, std::string& error) {
  const ReportOptions& r = job.report;
  if (!r.on) {
    const char* given = !r.title.empty() ? "--title"
                        : r.limitGiven ? "--limit"
                        : r.scaleMaxGiven ? "--scale-max"
                        : r.region.kind != ReportRegion::Kind::Whole ? "--region"
                        : r.cellSize > 0 ? "--cell-size" : nullptr;
    if (given == nullptr) return true;
    error =
        std::string(given) + " is for annotated pictures: give --annotate before " + job.outPath;
    return false;
  }
  if (s.limitPending && s.scaleMaxPending) {
    error = "--limit and --scale-max for one output: a limit colours in two colours, without "
            "a scale; give one of them";
    return false;
  }
  if (!job.keys.empty()) {
    error = "--keys moves the window's view; an annotated picture shows the whole plan or its "
            "--region";
    return false;
  }
  if (job.width < kMinReportWidth || job.height < kMinReportHeight) {
    error = "--size " + std::to_string(job.width) + "x" + std::to_string(job.height) +
            " is too small for an annotated picture (at least " + std::to_string(kMinReportWidth) +
            "x" + std::to_string(kMinReportHeight) + ")";
    return false;
  }
  return true;
}

bool parseNumberOption(const std::string& option, const char* value, double most, double& to,
                       std::string& error) {
  if (parsePlainDecimal(value, most, to)) return true;
  char bound[32];
  std::snprintf(bound, sizeof bound, "%g", most);
  error = option + " takes a decimal number above 0 and at most " + bound +
          " (digits and one point, e.g. 240 or 0.5): " + value;
  return false;
}

// A report option and its value; false, with `error`, when the value is wrong.
bool applyReportOption(Settings& s, const std::string& option, const char* value,
                       std::string& error) {
  ReportOptions& r = s.next.report;
  if (option == "--title") {
    r.title = value;
  } else if (option == "--limit") {
    if (!parseNumberOption(option, value, kMostSeconds, r.limit, error)) return false;
    r.limitGiven = s.limitPending = true;
    r.scaleMaxGiven = false;
    r.scaleMax = kScaleMaxTime;
  } else if (option == "--scale-max") {
    if (!parseNumberOption(option, value, kMostSeconds, r.scaleMax, error)) return false;
    r.scaleMaxGiven = s.scaleMaxPending = true;
    r.limitGiven = false;
  } else if (option == "--region") {
    return parseRegion(value, r.region, error);
  } else if (option == "--cell-size") {
    return parseNumberOption(option, value, kMostMetres, r.cellSize, error);
  }
  return true;
}

// --block walks from the plan's exits less the doors (with --times it marks
// them only): an exit file of the user's own would be dropped without a word.
bool blockFits(const Settings& s, const RenderJob& job, std::string& error) {
  if (job.block.empty()) return true;
  if (s.exitsNamed) {
    error = "--block and --exits for one output (" + job.outPath +
            "): --block draws the plan's own exits less the door's cells; give --plan again "
            "before --block, or leave --block out";
    return false;
  }
  return true;
}

bool addOutput(Settings& s, const char* name, RenderRequest& request, std::string& error) {
  RenderJob job = s.next;
  job.outPath = name;
  if (endsWith(job.outPath, ".bmp")) {
    job.bmp = true;
  } else if (endsWith(job.outPath, ".png")) {
    job.bmp = false;
  } else {
    error = "the output file must end in .png or .bmp: " + job.outPath;
    return false;
  }
  // A column named for an output that the exits colour would be dropped
  // without a word.
  if (s.columnPending && s.timesNamed && job.timesPath.empty()) {
    error = "--column " + job.timesColumn + " is given for " + job.outPath +
            ", which the exits colour (--exits or --plan came after --times); give --times "
            "again before it, or leave --column out";
    return false;
  }
  if (!reportFits(s, job, error) || !blockFits(s, job, error)) return false;
  request.jobs.push_back(job);
  s.next.keys.clear();
  s.next.block.clear();
  s.optionsPending = s.columnPending = s.keysPending = false;
  s.limitPending = s.scaleMaxPending = false;
  return true;
}

// One option and its value; false, with `error`, when either is wrong.
bool applyOption(Settings& s, const std::string& option, const char* value, std::string& error) {
  RenderJob& n = s.next;
  if ((option == "--mesh" || option == "--exits") && isPlanFilePath(value)) {
    error = option + " takes " + (option == "--mesh" ? "a mesh" : "an exit") +
            " file; a plan file goes with --plan: " + value;
    return false;
  }
  if (option == "--plan") {
    // A .plan stands for itself until openRenderPlans converts it.
    const bool planFile = isPlanFilePath(value);
    n.meshPath = planFile ? std::string(value) : std::string(value) + "/" + fileName(kMeshPath);
    n.exitPath = planFile ? std::string(value) : std::string(value) + "/" + fileName(kExitPath);
    n.planExitPath = n.exitPath;
    n.planPath = value;
    n.timesPath.clear();
    s.exitsNamed = false;
  } else if (option == "--mesh") {
    n.meshPath = value;
    n.planExitPath.clear();
  } else if (option == "--exits") {
    n.exitPath = value;
    n.timesPath.clear();
    s.exitsNamed = true;
  } else if (option == "--block") {
    n.block.push_back(value);
  } else if (option == "--times") {
    n.timesPath = value;
    s.timesNamed = true;
  } else if (option == "--column") {
    n.timesColumn = value;
    s.columnNamed = s.columnPending = true;
  } else if (option == "--size") {
    if (!parseSize(value, n.width, n.height)) {
      error = "--size takes WIDTHxHEIGHT in px, each 1 to " + std::to_string(kMaxSide) +
              ", e.g. 800x600: " + value;
      return false;
    }
  } else if (option == "--keys") {
    if (s.keysPending) {
      error = "--keys is given twice before one output; the second would replace the first: "
              "put all the keys in one --keys";
      return false;
    }
    if (!parseKeys(value, n.keys, error)) return false;
    s.keysPending = true;
  } else if (!applyReportOption(s, option, value, error)) {
    return false;
  }
  if (*value == '\0' && option != "--keys") {
    error = option + " needs a value that is not empty";
    return false;
  }
  return true;
}

bool isOption(const std::string& arg) {
  for (const char* known : kOptions) {
    if (arg == known) return true;
  }
  return false;
}

}  // namespace

bool parseRenderArguments(int argc, const char* const* argv, RenderRequest& request,
                          std::string& error) {
  request = RenderRequest{false, {}};
  Settings s{RenderJob{kMeshPath, kExitPath, "", kDefaultColumn, kWindowWidth, kWindowHeight,
                       "", "", false, kExitPath, defaultReportOptions()},
             false, false, false, false, false, false, false, false};
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      request.help = true;
      return true;
    }
    if (arg == kAnnotate) {
      s.next.report.on = true;
      s.optionsPending = true;
      continue;
    }
    if (arg.size() > 1 && arg[0] == '-') {
      if (!isOption(arg)) {
        error = "unknown option " + arg + " (orvik-render --help lists them)";
        return false;
      }
      if (i + 1 >= argc) {
        error = arg + " needs a value";
        return false;
      }
      if (!applyOption(s, arg, argv[++i], error)) return false;
      s.optionsPending = true;
    } else if (!addOutput(s, arg.c_str(), request, error)) {
      return false;
    }
  }
  if (request.jobs.empty()) {
    error = "no output file named (orvik-render --help shows how)";
    return false;
  }
  if (s.optionsPending) {
    error =
        "options after the last output hold for no picture; put them before the output they are "
        "for";
    return false;
  }
  if (s.columnNamed && !s.timesNamed) {
    error = "--column names a column of a times CSV; it needs --times";
    return false;
  }
  return true;
}
