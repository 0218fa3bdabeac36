// Writes a generated station of about CELLS cells (bench/plans.h) as the two
// input files, for the benchmarks that run whole programs on it.
//
//   orvik_write_plan CELLS DIR      writes DIR/Mesh.csv and DIR/ExitGrid.dat
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "files/output_file.h"
#include "plans.h"
#include "scene/scene.h"

int main(int argc, char** argv) {
  const long cells = argc == 3 ? std::strtol(argv[1], nullptr, 10) : 0;
  if (cells < 1) {
    std::fprintf(stderr, "usage: orvik_write_plan CELLS DIR\n");
    return 2;
  }
  if (cells > kMaxCellId) {
    std::fprintf(stderr, "orvik_write_plan: %ld cells need a build with ORVIK_MAX_CELL_ID >= %ld\n",
                 cells, cells);
    return 1;
  }
  const BenchPlan plan = stationPlan("station", static_cast<int>(cells));
  std::error_code error;
  std::filesystem::create_directories(argv[2], error);
  if (error) {
    std::fprintf(stderr, "orvik_write_plan: %s: %s\n", argv[2], error.message().c_str());
    return 1;
  }
  for (const auto& [name, text] :
       {std::pair{"/Mesh.csv", &plan.mesh}, {"/ExitGrid.dat", &plan.exits}}) {
    const std::string path = argv[2] + std::string(name);
    if (!writeWholeFile(path.c_str(), *text, OutputTarget::FilesOnly)) {
      std::fprintf(stderr, "orvik_write_plan: %s: %s\n", path.c_str(), std::strerror(errno));
      return 1;
    }
  }
  std::printf("%d cells\n", plan.cells);
  return 0;
}
