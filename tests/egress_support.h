// Small plans for the egress tests, drawn as rows of characters (the top
// row first, one character a cell, ' ' for rock) and turned into mesh and
// exit texts, so that each case sets the kinds and exits it needs.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "egress.h"
#include "plan_graph.h"
#include "scenario.h"

struct DrawnPlan {
  std::string mesh;   // Mesh.csv text
  std::string exits;  // ExitGrid.dat text
};

struct CellDrawing {
  std::string kind;  // mesh field 8
  bool exit;         // listed in the exit file
  std::string tags;  // mesh field 11
};

// Cells are numbered from 1 in reading order, columns from 1 at the left,
// rows from 1 at the bottom; exits are listed in reading order.
inline DrawnPlan drawPlan(const std::vector<std::string>& rows,
                          const std::map<char, CellDrawing>& legend) {
  const int height = static_cast<int>(rows.size());
  std::vector<std::vector<int>> number(rows.size());
  int next = 1;
  for (int r = 0; r < height; ++r) {
    for (const char c : rows[static_cast<std::size_t>(r)]) number[static_cast<std::size_t>(r)].push_back(c == ' ' ? -1 : next++);
  }
  const auto at = [&](int r, int c) {
    if (r < 0 || r >= height || c < 0) return -1;
    const auto& row = number[static_cast<std::size_t>(r)];
    return c < static_cast<int>(row.size()) ? row[static_cast<std::size_t>(c)] : -1;
  };
  DrawnPlan plan{"cell right bottom left top column row kind lw bw tags place char\nh2\nh3\n", ""};
  for (int r = 0; r < height; ++r) {
    const std::string& line = rows[static_cast<std::size_t>(r)];
    for (int c = 0; c < static_cast<int>(line.size()); ++c) {
      if (line[static_cast<std::size_t>(c)] == ' ') continue;
      const CellDrawing& d = legend.at(line[static_cast<std::size_t>(c)]);
      plan.mesh += std::to_string(at(r, c)) + ' ' + std::to_string(at(r, c + 1)) + ' ' +
                   std::to_string(at(r + 1, c)) + ' ' + std::to_string(at(r, c - 1)) + ' ' +
                   std::to_string(at(r - 1, c)) + ' ' + std::to_string(c + 1) + ' ' +
                   std::to_string(height - r) + ' ' + d.kind + " 0 0 " +
                   (d.tags.empty() ? "-" : d.tags) + " - x\n";
      if (d.exit) plan.exits += std::to_string(at(r, c)) + '\n';
    }
  }
  return plan;
}

// `count` copies of `text`.
inline std::string repeat(const std::string& text, int count) {
  std::string out;
  for (int i = 0; i < count; ++i) out += text;
  return out;
}

// The plan read, and the scenario parsed and held against it; fails the
// test on any error.
struct EgressCase {
  PlanGraph graph;
  Scenario scenario;
  ScenarioOnPlan on;
};

inline void setUpCase(const DrawnPlan& plan, const std::string& toml, EgressCase& c) {
  PlanWarnings warnings;
  std::string error;
  ASSERT_TRUE(readPlanGraphText(plan.mesh, plan.exits, c.graph, warnings, error)) << error;
  ASSERT_EQ(warnings.count, 0) << warnings.kept.front();
  ASSERT_TRUE(parseScenario(toml, "case.toml", c.scenario, error)) << error;
  ASSERT_TRUE(applyScenario(c.scenario, c.graph, c.on, error)) << error;
}

// Prints a measured figure beside the test's own lines, for the table of
// measured results in docs/egress.md.
inline void noteMeasured(const std::string& what, double value) {
  std::printf("[ measured ] %s: %.2f\n", what.c_str(), value);
}

// The persons let out through door `door` in each step of a run.
inline std::vector<double> doorFlowPerStep(const PlanGraph& g, const EgressInput& in, int door) {
  std::vector<double> perStep;
  double before = 0.0;
  runEgress(g, in, [&](const StepView& s) {
    perStep.push_back(s.doorOut[static_cast<std::size_t>(door)] - before);
    before = s.doorOut[static_cast<std::size_t>(door)];
  });
  return perStep;
}
