// loadScene as the program runs it: its four steps in its order, once, in a
// fresh process, so that every page of the cell table, the quad buffers and
// the file buffer is touched for the first time. Prints one line of wall
// milliseconds per step and the page faults taken. With the argument
// "baseline" it times the baseline instead (read the mesh file into a buffer
// of its size, count its fields); with "faults" the cost of one page fault.
// Run from the build directory, so that ../in/ is the sample.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>

#include "baseline.h"
#include "draw/draw.h"
#include "scene/scene.h"

namespace {

using Clock = std::chrono::steady_clock;

double msBetween(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

long pageFaults() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_minflt + usage.ru_majflt;
}

// Touches fresh memory a page at a time: microseconds per page fault.
void faultCost() {
  constexpr std::size_t kBytes = 16 << 20;
  constexpr std::size_t kPage = 4096;
  std::unique_ptr<char[]> block(new char[kBytes]);
  const long before = pageFaults();
  const Clock::time_point start = Clock::now();
  for (std::size_t i = 0; i < kBytes; i += kPage) block[i] = 1;
  const Clock::time_point end = Clock::now();
  const long faults = pageFaults() - before;
  std::printf("page fault %.3f us (%ld faults)\n", msBetween(start, end) * 1e3 / faults, faults);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "faults") == 0) {
    faultCost();
    return 0;
  }
  const long faultsBefore = pageFaults();
  if (argc > 1 && std::strcmp(argv[1], "baseline") == 0) {
    const Clock::time_point start = Clock::now();
    const std::size_t fields = countMeshFileFields();
    const Clock::time_point end = Clock::now();
    std::printf("cold baseline %.3f ms, %ld page faults, %zu fields\n", msBetween(start, end),
                pageFaults() - faultsBefore, fields);
    return 0;
  }
  const Clock::time_point start = Clock::now();
  readMeshFile();
  const Clock::time_point read = Clock::now();
  fillQuadVertices();
  const Clock::time_point vertices = Clock::now();
  computeTravelTimes();
  const Clock::time_point times = Clock::now();
  fillQuadColors();
  const Clock::time_point colours = Clock::now();
  std::printf(
      "cold loadScene %.3f ms, %ld page faults: readMeshFile %.3f fillQuadVertices %.3f "
      "computeTravelTimes %.3f fillQuadColors %.3f\n",
      msBetween(start, colours), pageFaults() - faultsBefore, msBetween(start, read),
      msBetween(read, vertices), msBetween(vertices, times), msBetween(times, colours));
  return 0;
}
