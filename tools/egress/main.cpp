// orvik-egress: how long until everyone is out of a plan, with people,
// capacities and queues; beside it the hand calculation of station practice.
//
// Exit status: 0 every limit passed; 1 a limit failed; 2 bad arguments, a
// bad scenario or plan, or a file that could not be written (nothing is
// written when the arguments, scenario or plan are bad).
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <utility>

#include "command.h"
#include "egress.h"
#include "files/output_file.h"

namespace {

constexpr int kUsageStatus = 2;

struct Options {
  EgressNames names;                // --plan, --mesh, --exits, --scenario
  std::string times, curve, chart;  // empty: not written
  bool json = false;
  bool blocked = false;
  std::vector<std::string> block;  // --block NAME|NUMBER, in the order given
  int route = -1;  // -1 the scenario's, else a RouteChoice
};

constexpr char kUsageLine[] =
    "usage: orvik-egress [--plan DIR|FILE.plan] [--mesh FILE] [--exits FILE] [--scenario FILE]";

void printUsage(std::FILE* to) {
  std::fprintf(to,
               "%s\n"
               "                    [--block NAME|NUMBER]... [--route quickest|nearest] [--blocked] [--json]\n"
               "                    [--times FILE] [--curve FILE] [--chart FILE.png]\n"
               "  --plan DIR        the folder with Mesh.csv, ExitGrid.dat and %s (default ../in)\n"
               "  --plan FILE.plan  a plan converted by plan2mesh; the scenario NAME.toml beside\n"
               "                    NAME.plan, else %s there\n"
               "  --mesh, --exits, --scenario FILE   one file alone, instead of the plan's\n"
               "  --block DOOR      that door blocked too, by its name or number (repeatable),\n"
               "                    as the scenario's [doors] blocked does\n"
               "  --route           quickest: walk plus the expected wait (default); nearest: walk alone\n"
               "  --blocked         run again with each door blocked in turn; the worst door\n"
               "  --json            the report as one JSON object\n"
               "  --times FILE      per cell: clear_seconds, peak_density, dense_seconds, wait_seconds,\n"
               "                    walk_seconds (CSV, drawn by orvik-render --times FILE --column NAME)\n"
               "  --curve FILE      persons out after each step, in all and by door (CSV)\n"
               "  --chart FILE.png  that curve as a chart\n"
               "exit status: 0 every limit passed, 1 a limit failed, 2 bad arguments, scenario or\n"
               "plan, or an output that could not be written\n",
               kUsageLine, kScenarioName, kScenarioName);
}

// The option argv[i] with a value; false, with `error`, when it is unknown
// or its value missing or wrong.
bool takeOption(int argc, char** argv, int& i, Options& o, std::string& error) {
  const std::string arg = argv[i];
  std::string* path = arg == "--plan" ? &o.names.plan : arg == "--mesh" ? &o.names.mesh
                      : arg == "--exits" ? &o.names.exits : arg == "--scenario" ? &o.names.scenario
                      : arg == "--times" ? &o.times : arg == "--curve" ? &o.curve
                      : arg == "--chart" ? &o.chart : nullptr;
  if (path == nullptr && arg != "--route" && arg != "--block") {
    error = "unknown option " + arg;
    return false;
  }
  if (i + 1 == argc || argv[i + 1][0] == '\0') {
    error = arg + " needs a value";
    return false;
  }
  const std::string value = argv[++i];
  if (path != nullptr) {
    *path = value;
  } else if (arg == "--block") {
    o.block.push_back(value);
  } else if (value == "quickest" || value == "nearest") {
    o.route = static_cast<int>(value == "quickest" ? RouteChoice::Quickest : RouteChoice::Nearest);
  } else {
    error = "--route takes quickest or nearest, not " + value;
    return false;
  }
  return true;
}

bool parseOptions(int argc, char** argv, Options& o, bool& help, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      help = true;
    } else if (arg == "--json") {
      o.json = true;
    } else if (arg == "--blocked") {
      o.blocked = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      if (!takeOption(argc, argv, i, o, error)) return false;
    } else {
      error = "a file name without an option, " + arg +
              ": the plan is --plan DIR|FILE.plan, or --mesh FILE and --exits FILE";
      return false;
    }
  }
  return true;
}

int failWith(const std::string& message) {
  std::fprintf(stderr, "orvik-egress: %s\n", message.c_str());
  return kUsageStatus;
}

// An output over one of the inputs would replace the plan with a result.
bool outputsAreSafe(const Options& o, const EgressFiles& files, std::string& error) {
  for (const std::string* out : {&o.times, &o.curve, &o.chart}) {
    for (const std::string* in : {&files.mesh, &files.exits, &files.scenario, &o.names.plan}) {
      if (!out->empty() && sameFile(out->c_str(), in->c_str())) {
        error = *out + " is an input file; nothing is written";
        return false;
      }
    }
  }
  return true;
}

// Runs the scenario as asked; the curve file is written a step at a time.
bool runAndWrite(const Options& o, EgressReport& r, std::string& error) {
  const PlanGraph& g = *r.graph;
  const ScenarioOnPlan& on = *r.on;
  OutputFile curveFile{};
  if (!o.curve.empty() && !openOutputFile(o.curve.c_str(), curveFile)) {
    error = o.curve + ": cannot be written: " + std::strerror(errno);
    return false;
  }
  bool curveWritten = true;
  const auto writeRow = [&](const std::string& row) {
    if (!o.curve.empty() && curveWritten) curveWritten = writeOutput(curveFile, row.data(), row.size());
  };
  OutCurve curve;
  writeRow(curveHeader(on));
  const std::vector<double> none(on.doorBlocked.size(), 0.0);
  writeRow(curveRow(on.input.preMovementSeconds, 0.0, none));
  curve.seconds.push_back(on.input.preMovementSeconds);
  curve.out.push_back(0.0);
  curve.doorOut.push_back(none);
  // With --blocked, the scenario's own run goes beside the cases.
  EgressOutcome outcome;
  const std::function<void()> run = [&] {
    outcome = runEgress(g, on.input, [&](const StepView& step) {
      writeRow(curveRow(step.seconds, step.out, step.doorOut));
      if (!o.chart.empty()) addCurveStep(curve, step);
    });
  };
  if (r.blockedRun) {
    r.blocked = blockEachDoor(g, on, *r.scenario, run);
  } else {
    run();
  }
  r.outcome = std::move(outcome);
  if (!o.curve.empty() && !(curveWritten && commitOutputFile(curveFile))) {
    error = o.curve + ": write failed: " + std::strerror(errno);
    discardOutputFile(curveFile);
    return false;
  }
  r.hand = handFigures(g, on.input);
  r.limits = judgeLimits(on, *r.scenario, r.outcome);
  if (!o.times.empty() && !writeWholeFile(o.times.c_str(), timesCsv(g, on.input, r.outcome))) {
    error = o.times + ": cannot be written: " + std::strerror(errno);
    return false;
  }
  return o.chart.empty() || writeCurveChart(curve, r, o.chart, error);
}

// Reads the plan and the scenario, runs and reports; the exit status.
int runEgress(const Options& o, const EgressFiles& files) {
  std::string error;
  Scenario scenario;
  if (!readScenario(files.scenario, scenario, error)) return failWith(error);
  if (o.route >= 0) scenario.route = static_cast<RouteChoice>(o.route);
  for (const std::string& door : o.block) scenario.blocked.push_back(DoorGiven{door, 0, 0, true});
  PlanGraph graph;
  PlanWarnings warnings;
  if (!readPlanGraph(files.mesh.c_str(), files.exits.c_str(), graph, warnings, error)) {
    return failWith(error);
  }
  EgressReport report{files.meshShown, files.exitsShown, files.scenario, &graph, &scenario,
                      nullptr, {}, {}, {}, o.blocked, {}, warnings.kept, files.planFile};
  for (const std::string& w : warnings.kept) std::fprintf(stderr, "orvik-egress: warning: %s\n", w.c_str());
  if (warnings.count > kKeptWarnings) {
    std::fprintf(stderr, "orvik-egress: warning: %lld more like these\n",
                 static_cast<long long>(warnings.count - kKeptWarnings));
  }
  ScenarioOnPlan on;
  if (!applyScenario(scenario, graph, on, error)) return failWith(error);
  report.on = &on;
  if (!outputsAreSafe(o, files, error)) return failWith(error);
  if (!runAndWrite(o, report, error)) return failWith(error);
  const std::string text = o.json ? jsonReport(report) : textReport(report);
  if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0) {
    return failWith(std::string("the report could not be written: ") + std::strerror(errno));
  }
  return allPassed(report) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  bool help = false;
  std::string error;
  if (!parseOptions(argc, argv, o, help, error)) {
    return failWith(error + "; usage: orvik-egress [--plan DIR|FILE.plan] [OPTION]... (--help lists them)");
  }
  if (help) {
    printUsage(stdout);
    return 0;
  }
  EgressFiles files;
  if (!openEgressFiles(o.names, files, error)) return failWith(error);
  const int status = runEgress(o, files);
  closeEgressFiles(files);
  return status;
}
