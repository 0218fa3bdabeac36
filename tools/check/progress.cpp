// A sign of life for long steps at a terminal: one line on standard error,
// rewritten at most once a second, with what is done and an estimate of the
// time left, erased when the step ends so that the report stands alone.
#include <chrono>
#include <cstdio>

#include "check_internal.h"

namespace {

using Clock = std::chrono::steady_clock;

bool shown = false;              // the step at hand writes progress
bool written = false;            // and has written a line since it began
const char* doing = "";          // its words: "doors blocked", "cells settled"
bool steady = false;             // every unit costs about the same: the time left can be told
Clock::time_point started;       // when it began
Clock::time_point lastWritten;   // when a line was last written
constexpr auto kEvery = std::chrono::seconds(1);

double secondsSince(Clock::time_point t) {
  return std::chrono::duration<double>(Clock::now() - t).count();
}

}  // namespace

std::string progressLine(const char* what, std::int64_t done, std::int64_t total,
                         double seconds) {
  std::string line = "orvik-check: " + num(done) + " of " + num(total) + ' ' + what;
  if (seconds >= 0 && done > 0 && done < total) {
    const double left = seconds / static_cast<double>(done) * static_cast<double>(total - done);
    line += left < 60 ? ", about " + num(static_cast<long long>(left + 0.5)) + " s left"
                      : ", about " + num(static_cast<long long>(left / 60 + 0.5)) + " min left";
  }
  return line;
}

void startProgress(bool show, const char* what, bool paceSteady) {
  shown = show;
  steady = paceSteady;
  written = false;
  doing = what;
  started = lastWritten = Clock::now();
}

void tickProgress(std::int64_t done, std::int64_t total) {
  if (!shown || (done > 0 && Clock::now() - lastWritten < kEvery)) return;
  lastWritten = Clock::now();
  written = true;
  // \r back to the line's start, ESC [K erases what a longer line left.
  std::fprintf(stderr, "\r%s\x1b[K", progressLine(doing, done, total, steady ? secondsSince(started) : -1).c_str());
  std::fflush(stderr);
}

void endProgress() {
  if (written) std::fputs("\r\x1b[K", stderr);
  shown = written = false;
}
