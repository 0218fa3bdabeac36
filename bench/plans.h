// Floor plans for the benchmarks: generated stations of any size, one big
// open room, and the shipped sample, each as the two input files' text and
// as files on disk in the layout the program expects (../in/ beside the
// working directory).
#pragma once

#include <string>
#include <vector>

struct BenchPlan {
  std::string name;     // column heading in the results
  std::string mesh;     // text of Mesh.csv
  std::string exits;    // text of ExitGrid.dat
  int cells = 0;        // mesh records
  std::string runDir;   // working directory from which ../in/ holds the two files
};

// Rooms of 8 by 6 cells side by side, thin walls with a door between
// neighbouring rooms, a door from each room onto a corridor 2 cells wide
// between the room bands, a 2 by 2 pillar of rock every 16 columns in each
// corridor, and exits at both ends of every corridor and every 96 columns
// along it. About `targetCells` cells, at most kMaxCellId.
BenchPlan stationPlan(const std::string& name, int targetCells);

// One room of side by side cells without any inner wall, the exit in the
// middle or in the lower left corner: the depth-first walk in one large
// open space, where it might be expected to lower times most often.
BenchPlan openRoomPlan(const std::string& name, int side, bool exitInMiddle);

// The shipped sample, read from ../in/ of the current directory; false when
// it is missing. Its runDir is the current directory.
bool samplePlan(BenchPlan& plan);

// Writes each generated plan to <root>/<name>/in/ and sets its runDir to
// <root>/<name>/run. The sample keeps its own files.
void writePlanFiles(const std::string& root, std::vector<BenchPlan>& plans);

// A fresh directory under the system's temporary directory, and its removal.
std::string makeTempRoot();
void removeTempRoot(const std::string& root);

// Reads a whole file; empty when it cannot be read.
std::string fileText(const std::string& path);
