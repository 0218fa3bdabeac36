// One frame in a real 800 by 600 double-buffered window (run it under Xvfb):
// the drawing of the display callback with glFinish, the cell and wall
// layers on their own, and a count of the heap allocations made while
// frames are drawn. Draws the sample from ../in/ when it is there, else a
// generated station of about 33,000 cells.
#include <GL/glut.h>
// After glut.h, which defines what this needs.
#include <GL/freeglut_ext.h>
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "app/app.h"
#include "draw/draw.h"
#include "plans.h"
#include "scene/scene.h"

// Every heap allocation of the process goes through these while the program
// runs, the GL driver's included; while `counting` is on, each one is counted
// with the code address that asked for it. They must not be inlined, or the
// address would be that of their caller's caller.
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* old, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* block);
}

namespace {

constexpr int kCallerSlots = 64;
struct CallerCount {
  void* caller;
  long count;
};

std::atomic<bool> counting{false};
std::atomic<long> allocations{0};
std::atomic_flag callersLock = ATOMIC_FLAG_INIT;
CallerCount callers[kCallerSlots];  // distinct callers seen while counting
int callerCount = 0;

void noteAllocation(void* caller) {
  if (!counting.load(std::memory_order_relaxed)) return;
  allocations.fetch_add(1, std::memory_order_relaxed);
  while (callersLock.test_and_set(std::memory_order_acquire)) {
  }
  int i = 0;
  while (i < callerCount && callers[i].caller != caller) ++i;
  if (i < kCallerSlots) {
    if (i == callerCount) callers[callerCount++] = CallerCount{caller, 0};
    ++callers[i].count;
  }
  callersLock.clear(std::memory_order_release);
}

}  // namespace

extern "C" {
__attribute__((noinline)) void* malloc(std::size_t size) {
  noteAllocation(__builtin_return_address(0));
  return __libc_malloc(size);
}
__attribute__((noinline)) void* calloc(std::size_t count, std::size_t size) {
  noteAllocation(__builtin_return_address(0));
  return __libc_calloc(count, size);
}
__attribute__((noinline)) void* realloc(void* old, std::size_t size) {
  noteAllocation(__builtin_return_address(0));
  return __libc_realloc(old, size);
}
__attribute__((noinline)) void* memalign(std::size_t alignment, std::size_t size) {
  noteAllocation(__builtin_return_address(0));
  return __libc_memalign(alignment, size);
}
__attribute__((noinline)) void* aligned_alloc(std::size_t alignment, std::size_t size) {
  noteAllocation(__builtin_return_address(0));
  return __libc_memalign(alignment, size);
}
__attribute__((noinline)) int posix_memalign(void** block, std::size_t alignment, std::size_t size) {
  noteAllocation(__builtin_return_address(0));
  *block = __libc_memalign(alignment, size);
  return *block == nullptr ? ENOMEM : 0;
}
void free(void* block) { __libc_free(block); }
}

// Attributes C++ allocations to the code that used new, not to the library.
__attribute__((noinline)) void* operator new(std::size_t size) {
  noteAllocation(__builtin_return_address(0));
  void* block = __libc_malloc(size == 0 ? 1 : size);
  if (block == nullptr) throw std::bad_alloc();
  return block;
}
__attribute__((noinline)) void* operator new[](std::size_t size) {
  noteAllocation(__builtin_return_address(0));
  void* block = __libc_malloc(size == 0 ? 1 : size);
  if (block == nullptr) throw std::bad_alloc();
  return block;
}
void operator delete(void* block) noexcept { __libc_free(block); }
void operator delete[](void* block) noexcept { __libc_free(block); }
void operator delete(void* block, std::size_t) noexcept { __libc_free(block); }
void operator delete[](void* block, std::size_t) noexcept { __libc_free(block); }

namespace {

constexpr int kFrames = 300;  // frames averaged per figure

// onDisplay without its swap.
void frameWithoutSwap() { drawFrame(drawGlutGlyphs); }
void legend() { drawLegend(drawGlutGlyphs); }

// Times every frame on the wall clock, since the GL driver draws on threads
// of its own; the median and the fastest frame are reported beside the mean,
// as other work on the machine lengthens single frames. `before` runs
// untimed and finished, so that a layer is timed in the state a frame gives
// it (cleared window, map view set).
void timedFrames(benchmark::State& state, void (*before)(), void (*timed)()) {
  std::vector<double> ms;
  ms.reserve(static_cast<std::size_t>(state.max_iterations));
  for (auto _ : state) {
    before();
    glFinish();
    const auto start = std::chrono::steady_clock::now();
    timed();
    glFinish();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    state.SetIterationTime(took.count());
    ms.push_back(took.count() * 1e3);
  }
  std::sort(ms.begin(), ms.end());
  state.counters["medianMs"] = ms[ms.size() / 2];
  state.counters["fastestMs"] = ms.front();
}

void nothing() {}
void legendAndView() {
  legend();
  setMapView();
}
void legendViewAndCells() {
  legendAndView();
  drawCells();
}

void frame(benchmark::State& state) { timedFrames(state, nothing, frameWithoutSwap); }
void displayCall(benchmark::State& state) { timedFrames(state, nothing, onDisplay); }
void cellsOnly(benchmark::State& state) { timedFrames(state, legendAndView, drawCells); }
void wallsOnly(benchmark::State& state) { timedFrames(state, legendViewAndCells, drawWalls); }
void legendOnly(benchmark::State& state) { timedFrames(state, nothing, legend); }

bool inThisProgram(void* address) {
  Dl_info self{}, other{};
  static int anchor;
  return dladdr(&anchor, &self) != 0 && dladdr(address, &other) != 0 &&
         self.dli_fbase == other.dli_fbase;
}

long ownAllocations() {
  long ours = 0;
  for (int i = 0; i < callerCount; ++i) {
    if (inThisProgram(callers[i].caller)) ours += callers[i].count;
  }
  return ours;
}

void startCounting() {
  allocations = 0;
  callerCount = 0;
  counting = true;
}

// An allocation of this program's own must show up as such, or a count of
// zero below would prove nothing.
void* volatile probeBlock;  // kept in memory, so the compiler cannot drop the probes

bool counterSeesOwnAllocations() {
  startCounting();
  probeBlock = ::operator new(64);
  ::operator delete(probeBlock);
  probeBlock = std::malloc(64);
  std::free(probeBlock);
  counting = false;
  return ownAllocations() == 2;
}

// Display calls with the allocation counter on; the callers are named
// after the count, when allocating no longer matters.
void frameAllocations(benchmark::State& state) {
  if (!counterSeesOwnAllocations()) {
    state.SkipWithError("the allocation counter missed an allocation of this program");
    return;
  }
  for (int warm = 0; warm < 5; ++warm) onDisplay();
  glFinish();
  // The display callback's steps one by one, as onDisplay runs them, so that
  // each allocation is charged to the step during which it happened.
  constexpr int kSteps = 6;
  void (*const steps[kSteps])() = {glutSwapBuffers, legend,    setMapView,
                                    drawCells,       drawWalls, glFinish};
  const char* const stepNames[kSteps] = {"inSwap",  "inDrawLegend", "inSetMapView",
                                         "inDrawCells", "inDrawWalls", "inGlFinish"};
  long perStep[kSteps] = {};
  startCounting();
  for (auto _ : state) {
    for (int k = 0; k < kSteps; ++k) {
      const long before = allocations.load();
      steps[k]();
      perStep[k] += allocations.load() - before;
    }
  }
  counting = false;
  for (int i = 0; i < callerCount; ++i) {
    Dl_info where{};
    dladdr(callers[i].caller, &where);
    std::fprintf(stderr, "allocations from %s%s: %ld\n", where.dli_fname ? where.dli_fname : "?",
                 inThisProgram(callers[i].caller) ? " [this program]" : "", callers[i].count);
  }
  const double frames = static_cast<double>(state.iterations());
  state.counters["allocsPerFrame"] = static_cast<double>(allocations.load()) / frames;
  state.counters["ownAllocsPerFrame"] = static_cast<double>(ownAllocations()) / frames;
  for (int k = 0; k < kSteps; ++k) state.counters[stepNames[k]] = perStep[k] / frames;
}

std::string loadDrawnScene() {
  BenchPlan plan;
  if (samplePlan(plan)) {
    clearScene();
    loadScene();
    return "sample";
  }
  plan = stationPlan("station33k", 33000);
  loadSceneFromText(plan.mesh, plan.exits);
  return plan.name;
}

void openMappedWindow(int& argc, char** argv) {
  openWindow(argc, argv);
  glutDisplayFunc([] {});  // frames are drawn by the benchmarks, not by GLUT
  for (int i = 0; i < 10; ++i) glutMainLoopEvent();  // let the window be mapped
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  const std::string scene = loadDrawnScene();
  openMappedWindow(argc, argv);
  std::fprintf(stderr, "GL renderer: %s, OpenGL %s\n",
               reinterpret_cast<const char*>(glGetString(GL_RENDERER)),
               reinterpret_cast<const char*>(glGetString(GL_VERSION)));
  viewState = kStartView;
  auto add = [&](const char* what, void (*fn)(benchmark::State&)) {
    benchmark::RegisterBenchmark((std::string(what) + "/" + scene).c_str(), fn)
        ->Iterations(kFrames)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
  };
  add("frame", frame);
  add("onDisplay", displayCall);
  add("drawCells", cellsOnly);
  add("drawWalls", wallsOnly);
  add("drawLegend", legendOnly);
  benchmark::RegisterBenchmark(("frameAllocations/" + scene).c_str(), frameAllocations)
      ->Iterations(kFrames)
      ->Unit(benchmark::kMillisecond);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
