// The environment Mesa's driver reads when it loads: how many threads
// llvmpipe may start, and whether its loader's warnings reach standard
// error.
//
// How many threads: llvmpipe It starts one rasterizer
// thread a core (LP_NUM_THREADS overrides that) and, when the system
// refuses one, waits for it for ever: under a tight process limit
// (`ulimit -u`, counted per user over threads too) or an address-space cap
// (each thread reserves its stack) the picture would never come. So before
// the driver loads, unless the user set LP_NUM_THREADS, the program starts
// as many parked threads as it would use (the context's loader thread and
// one a core) and lets llvmpipe have only those the system gave: none
// means llvmpipe draws on the calling thread, at about 10 to 30 % more time
// a picture. Under an address-space cap it always draws on the calling
// thread, since the driver's own memory, not the thread count, is what runs
// out there. The pixels are the same for any number of threads.
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstring>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "render.h"

namespace {

// Threads that the system lets this process start at once, up to `wanted`:
// each waits until all have been tried, so that they count together.
int threadsGiven(int wanted) {
  std::mutex lock;
  std::condition_variable tried;
  bool done = false;
  std::vector<std::thread> parked;
  for (int i = 0; i < wanted; ++i) {
    try {
      parked.emplace_back([&] {
        std::unique_lock<std::mutex> hold(lock);
        tried.wait(hold, [&] { return done; });
      });
    } catch (const std::system_error&) {
      break;
    }
  }
  {
    std::lock_guard<std::mutex> hold(lock);
    done = true;
  }
  tried.notify_all();
  for (std::thread& t : parked) t.join();
  return static_cast<int>(parked.size());
}

// Bytes of address space the process may use; 0 when there is no cap.
unsigned long long addressSpaceCap() {
  rlimit limit{};
  if (::getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return 0;
  return limit.rlim_cur;
}

// Under a cap, the LLVM inside llvmpipe aborts when its code does not fit
// ("LLVM ERROR: Unable to allocate section memory!"): a line of ours then
// says what it means, and the status is the one of any driver failure.
char abortLine[200];  // written before the driver loads; the handler only reads it

void onDriverAbort(int) {
  const ssize_t ignored = ::write(STDERR_FILENO, abortLine, std::strlen(abortLine));
  (void)ignored;
  ::_exit(1);
}

void explainAborts(unsigned long long cap) {
  std::snprintf(abortLine, sizeof abortLine,
                "orvik-render: no offscreen OpenGL: the driver ran out of memory; the address "
                "space is capped at %llu MiB (ulimit -v)\n",
                cap >> 20);
  std::signal(SIGABRT, onDriverAbort);
}

}  // namespace

bool prepareDriver() {
  // Mesa's loader says why it could not load a driver in lines of its own;
  // the one line of orvik-render's failure says it for the user instead.
  ::setenv("EGL_LOG_LEVEL", "fatal", 0);
  if (std::getenv(kDriverThreadsVariable) != nullptr) return true;
  const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  const bool capped = addressSpaceCap() != 0;
  if (capped) explainAborts(addressSpaceCap());
  const int given = threadsGiven(capped ? 1 : 1 + cores);  // the loader, then the rasterizers
  const int rasterizers = capped ? 0 : std::max(0, given - 1);
  ::setenv(kDriverThreadsVariable, std::to_string(rasterizers).c_str(), 0);
  return given > 0;
}

std::string driverLimitHint() {
  const unsigned long long cap = addressSpaceCap();
  if (cap == 0) return "";
  return "; the address space is capped at " + std::to_string(cap >> 20) +
         " MiB (ulimit -v), and Mesa's driver may need more";
}
