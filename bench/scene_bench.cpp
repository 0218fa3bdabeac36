// Start-up cost: loadScene and each of its four steps on the sample and on
// generated plans, the colour scale per call, and a baseline that only
// reads the mesh file and splits it into fields, the least any reader of
// that file has to do. Run from the build directory so that ../in/ is the
// repository's in/ and the sample is found.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "baseline.h"
#include "color/color.h"
#include "draw/draw.h"
#include "geodesic.h"
#include "plans.h"
#include "scene/reader.h"
#include "scene/scene.h"
#include "walks.h"

namespace {

std::vector<BenchPlan> plans;  // registered benchmarks refer to these by index

void enterRunDir(const BenchPlan& plan) {
  if (chdir(plan.runDir.c_str()) != 0) std::perror(plan.runDir.c_str());
}

// The scene as loadScene leaves it, so that every step sees its real input.
void loadFromText(const BenchPlan& plan) { loadSceneFromText(plan.mesh, plan.exits); }

// The plan's exit slots, in the order first listed.
std::vector<CellId> exitSlotsOf(const BenchPlan& plan) {
  TextCursor in = makeCursor(plan.exits);
  ExitList list;
  readExitList(in, list);
  return list.exits;
}

void setCells(benchmark::State& state, const BenchPlan& plan) {
  state.counters["cells"] = plan.cells;
}

void baselineFile(benchmark::State& state, int p) {
  enterRunDir(plans[p]);
  for (auto _ : state) benchmark::DoNotOptimize(countMeshFileFields());
  setCells(state, plans[p]);
}

void baselineText(benchmark::State& state, int p) {
  const std::string& text = plans[p].mesh;
  for (auto _ : state) {
    benchmark::DoNotOptimize(countFields(text.data(), text.data() + text.size()));
  }
  setCells(state, plans[p]);
}

// The table is not cleared between runs: every run writes the same slots
// with the same values, as the one run at start-up does.
void readText(benchmark::State& state, int p) {
  loadFromText(plans[p]);
  for (auto _ : state) readMeshText(plans[p].mesh);
  setCells(state, plans[p]);
}

void readFile(benchmark::State& state, int p) {
  loadFromText(plans[p]);
  enterRunDir(plans[p]);
  for (auto _ : state) readMeshFile();
  setCells(state, plans[p]);
}

void quadVertices(benchmark::State& state, int p) {
  loadFromText(plans[p]);
  for (auto _ : state) fillQuadVertices();
  setCells(state, plans[p]);
}

void travelTimesText(benchmark::State& state, int p) {
  loadFromText(plans[p]);
  for (auto _ : state) computeTravelTimesFromText(plans[p].exits);
  setCells(state, plans[p]);
}

void travelTimesFile(benchmark::State& state, int p) {
  loadFromText(plans[p]);
  enterRunDir(plans[p]);
  for (auto _ : state) computeTravelTimes();
  setCells(state, plans[p]);
}

void quadColors(benchmark::State& state, int p) {
  loadFromText(plans[p]);
  for (auto _ : state) fillQuadColors();
  setCells(state, plans[p]);
}

void wholeLoad(benchmark::State& state, int p) {
  clearScene();
  enterRunDir(plans[p]);
  for (auto _ : state) loadScene();
  setCells(state, plans[p]);
}

// propagateTime again, with counters: how often each slot is stored into
// and how many calls the depth-first walk makes. Its times must equal the
// program's, or the counts would describe another walk.
struct WalkCounts {
  long long calls = 0;
  long long stores = 0;
};
float walkTime[kSlotCount];     // s, the counting walk's own times
int storesInto[kSlotCount];     // stores into each slot

void countedPropagate(CellId c, double t, WalkCounts& counts) {
  ++counts.calls;
  const double next = t + kStepTime;
  if (next > kTimeCutoff) return;
  for (const Side& side : kWalkSides) {
    const CellId n = moveAcross(c, side);
    if (n < 0 || !(static_cast<double>(walkTime[n]) > next)) continue;
    walkTime[n] = static_cast<float>(next);
    ++counts.stores;
    ++storesInto[n];
    countedPropagate(n, next, counts);
  }
}

void walkCounts(benchmark::State& state, int p) {
  loadFromText(plans[p]);
  const std::vector<CellId> exits = exitSlotsOf(plans[p]);
  WalkCounts counts;
  for (auto _ : state) {
    counts = WalkCounts{};
    std::fill(std::begin(walkTime), std::end(walkTime), kUnreachedTime);
    std::fill(std::begin(storesInto), std::end(storesInto), 0);
    for (const CellId exit : exits) {
      walkTime[exit] = 0.0f;
      countedPropagate(exit, 0.0, counts);
    }
  }
  int reached = 0;
  int most = 0;
  for (int i = 0; i < kSlotCount; ++i) {
    if (walkTime[i] != travelTime[i]) {
      state.SkipWithError("the counting walk's times differ from the program's");
      return;
    }
    if (walkTime[i] <= kTimeCutoff) ++reached;
    most = std::max(most, storesInto[i]);
  }
  setCells(state, plans[p]);
  state.counters["reached"] = reached;
  state.counters["calls"] = static_cast<double>(counts.calls);
  state.counters["stores"] = static_cast<double>(counts.stores);
  state.counters["storesPerReached"] = reached ? static_cast<double>(counts.stores) / reached : 0;
  state.counters["mostStoresInOneCell"] = most;
}

// For comparison only: the same times from the breadth-first walk that the
// checker holds the program against, which visits each slot once. The
// program keeps its depth-first walk; this shows what its re-stores cost.
int movesFromExit[kSlotCount];

void breadthFirst(benchmark::State& state, int p) {
  loadFromText(plans[p]);
  const std::vector<CellId> exits = exitSlotsOf(plans[p]);
  for (auto _ : state) {
    countMovesFromExits(exits.data(), static_cast<int>(exits.size()), movesFromExit);
    for (int i = 0; i < kSlotCount; ++i) walkTime[i] = timeForMoves(movesFromExit[i]);
  }
  if (!std::equal(std::begin(walkTime), std::end(walkTime), std::begin(travelTime))) {
    state.SkipWithError("the breadth-first times differ from the program's");
  }
  setCells(state, plans[p]);
}

// The geodesic times of tools/analysis beside the side-move walk above,
// from the same exits.
float geodesicTime[kSlotCount];  // s

void geodesicTimes(benchmark::State& state, int p) {
  loadFromText(plans[p]);
  const std::vector<CellId> exits = exitSlotsOf(plans[p]);
  for (auto _ : state) {
    computeGeodesicTimes(exits.data(), static_cast<int>(exits.size()), geodesicTime);
  }
  setCells(state, plans[p]);
}

// Times from the exits to past the cut-off, fractions and unreached included.
void colorPerCall(benchmark::State& state) {
  constexpr int kTimes = 1024;
  float times[kTimes];
  for (int i = 0; i < kTimes; ++i) times[i] = i % 16 == 15 ? kUnreachedTime : i * 0.47f;
  int i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(timeToColor(times[i]));
    i = (i + 1) % kTimes;
  }
}

void registerPlan(int p) {
  const std::string& name = plans[p].name;
  auto add = [&](const char* step, void (*fn)(benchmark::State&, int)) {
    benchmark::RegisterBenchmark((std::string(step) + "/" + name).c_str(), fn, p)
        ->Unit(benchmark::kMicrosecond);
  };
  add("baseline", baselineFile);
  add("baselineText", baselineText);
  add("loadScene", wholeLoad);
  add("readMeshText", readText);
  add("readMeshFile", readFile);
  add("fillQuadVertices", quadVertices);
  add("computeTravelTimesText", travelTimesText);
  add("computeTravelTimes", travelTimesFile);
  add("fillQuadColors", quadColors);
  add("breadthFirst", breadthFirst);
  add("geodesic", geodesicTimes);
  benchmark::RegisterBenchmark(("walkCounts/" + name).c_str(), walkCounts, p)
      ->Iterations(1)
      ->Unit(benchmark::kMicrosecond);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  const std::string startDir = std::filesystem::current_path().string();
  BenchPlan sample;
  if (samplePlan(sample)) {
    plans.push_back(sample);
  } else {
    std::fprintf(stderr, "no sample at %s: generated plans only\n", kMeshPath);
  }
  plans.push_back(stationPlan("station1k", 1000));
  plans.push_back(stationPlan("station10k", 10000));
  plans.push_back(stationPlan("station33k", 33000));
  plans.push_back(openRoomPlan("openMiddle", 182, true));
  plans.push_back(openRoomPlan("openCorner", 182, false));
  const std::string root = makeTempRoot();
  writePlanFiles(root, plans);

  for (int p = 0; p < static_cast<int>(plans.size()); ++p) registerPlan(p);
  benchmark::RegisterBenchmark("timeToColor", colorPerCall);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  if (chdir(startDir.c_str()) != 0) std::perror(startDir.c_str());
  removeTempRoot(root);
  return 0;
}
