// The parts of orvik-egress beside the model and the scenario: the hand
// calculation of station practice, the limits, the runs with each door
// blocked, and the reports and files made of them. Shared by the files of
// tools/egress and the tests.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "model.h"
#include "scenario.h"

// One line of the hand calculation: the occupant load of a kind (or of the
// whole plan) over the summed capacity of the sides and doors that lead out
// of it, plus the longest free walk to one of them.
struct HandFigure {
  int kind;             // index in graph.kindWords; -1 for everyone out of the plan
  double people;        // persons at the start
  double capacity;      // persons per second out of it
  double flowSeconds;   // s, people / capacity; kNever without capacity
  double longestWalk;   // s, from an occupied cell to the nearest way out of it; kNever without one
  double total;         // s, pre-movement + flowSeconds + longestWalk; kNever as above
};

// Needs `on` from applyScenario on `graph`, `input` its input (or a case of
// it): a figure for everyone, then one for each kind with people.
std::vector<HandFigure> handFigures(const PlanGraph& graph, const EgressInput& input);

struct LimitOutcome {
  int kind;        // index in graph.kindWords; -1 for everyone out
  double limit;    // s
  double seconds;  // s, what the model gives; kNever when it never came
  bool passed;
};

// The scenario's limits against a run.
std::vector<LimitOutcome> judgeLimits(const ScenarioOnPlan& on, const Scenario& scenario,
                                      const EgressOutcome& outcome);

// One run with one more door blocked, or one more stair or escalator out
// of service.
struct BlockedCase {
  int door;                          // from 0; -1 for a join's case
  EgressOutcome outcome;             // cell results dropped
  std::vector<LimitOutcome> limits;
  std::string join{};                // the join label out of service, "" for a door's case
  std::string error{};               // why the case could not be run (its people have nowhere
                                     // to stand), "" when it ran
};

// Every door not already blocked, blocked in turn; then every stair and
// escalator between levels not already out of service, out in turn (by
// label), with the scenario's people placed again without it. The cases
// run on the machine's cores; `alongside`, where given, runs once among
// them (the scenario's own run), on one thread from start to end.
std::vector<BlockedCase> blockEachDoor(const PlanGraph& graph, const ScenarioOnPlan& on,
                                       const Scenario& scenario,
                                       const std::function<void()>& alongside = {});

// Runs job(i) once for each i below `count`, on up to `most` threads, the
// caller's among them; where the system starts fewer, those running take
// the rest (one thread: in order, on the caller's). Returns the threads used.
std::size_t shareOut(std::size_t count, unsigned most, const std::function<void(std::size_t)>& job);

// The case that fails the most limits and, of those, takes longest until
// everyone is out (a case that never empties before any other); the first
// of equals; cases that could not run are passed over; -1 without cases.
int worstCase(const std::vector<BlockedCase>& cases);

// worstCase among the doors' cases (joins false) or the joins' (true).
int worstCaseOf(const std::vector<BlockedCase>& cases, bool joins);

// "stair 2" or "escalator 3": a join by the kind of its run and its label.
std::string joinName(const PlanGraph& graph, const std::string& label);

// A stair or escalator between levels as the reports list it.
struct JoinLine {
  std::string label;
  std::string kind;     // the kind word of its run's cells
  int cells;            // cells across it
  Travel runs;          // an escalator's way; None for a stair
  bool out;             // out of service by the scenario
  double perMinute;     // persons a minute a running escalator carries; 0 when walked
};

// Needs `on` from applyScenario on `graph`: its joins by label, as sorted.
std::vector<JoinLine> joinLines(const PlanGraph& graph, const ScenarioOnPlan& on);

// Everything a report says.
struct EgressReport {
  std::string meshPath, exitPath, scenarioPath;
  const PlanGraph* graph;
  const Scenario* scenario;
  const ScenarioOnPlan* on;
  EgressOutcome outcome;
  std::vector<HandFigure> hand;
  std::vector<LimitOutcome> limits;
  bool blockedRun;                   // --blocked was asked for
  std::vector<BlockedCase> blocked;
  std::vector<std::string> warnings; // from reading the plan, as printed on stderr
  std::string planPath{};            // the .plan converted by plan2mesh for the mesh or the
                                     // exits (meshPath or exitPath is then that path); "" none
};

// True when every limit of the run, and of every blocked case, passed.
bool allPassed(const EgressReport& report);

std::string textReport(const EgressReport& report);
std::string jsonReport(const EgressReport& report);

// The door's label in reports: "3" and its name in quotes where it has one.
std::string doorLabel(const ScenarioOnPlan& on, int door);

// The times CSV: cell,column,row,kind,people,clear_seconds,peak_density,
// dense_seconds,wait_seconds,walk_seconds; an empty time where there is none.
std::string timesCsv(const PlanGraph& graph, const EgressInput& input, const EgressOutcome& outcome);

// People out over time, kept for the curve file and the chart: every step
// while few, then every second, fourth, ... step, so that its size stays
// bounded however long a run is.
constexpr std::size_t kMostCurveRows = 4096;
struct OutCurve {
  int stride = 1;                   // steps between rows kept
  std::vector<double> seconds;      // s
  std::vector<double> out;          // persons out
  std::vector<std::vector<double>> doorOut;  // persons out through each door, per row
};

// Adds a step to the curve (the first row is time 0, added by the caller).
void addCurveStep(OutCurve& curve, const StepView& step);

// The curve file, one row per step and a first row for time 0: the header
// "seconds,out,door1,door2,..." and then each row.
std::string curveHeader(const ScenarioOnPlan& on);
std::string curveRow(double seconds, double out, const std::vector<double>& doorOut);

// Draws the curve as a PNG with cairo: people out over time, total and by
// door, axes and labels. False, with `error` set, when it cannot be written.
bool writeCurveChart(const OutCurve& curve, const EgressReport& report, const std::string& path,
                     std::string& error);
