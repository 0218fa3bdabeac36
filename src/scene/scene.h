// Scene data: the cell table read from the mesh file, the exits and the
// walking times. Filled once by loadScene before any window exists and
// read-only afterwards.
#pragma once

#include <cstdint>
#include <string_view>

using CellId = std::int32_t;

constexpr CellId kMaxCellId = 33414;        // largest cell number with a slot
constexpr int kSlotCount = kMaxCellId + 1;  // slots 0..kMaxCellId; slot 0 is never drawn

constexpr float kUnreachedTime = 1e9f;  // s, the time of a slot no exit reaches
constexpr double kStepTime = 4.0;       // s, one move through an open cell side
constexpr double kTimeCutoff = 450.0;   // s, a new time above this is dropped
constexpr double kCellSize = 2.0;       // map units, side of a cell (= grid step)

constexpr char kMeshPath[] = "../in/Mesh.csv";      // relative to the working directory
constexpr char kExitPath[] = "../in/ExitGrid.dat";  // relative to the working directory

// 1 = closed: no move passes the side and a wall line is drawn on it.
struct WallFlags {
  std::int32_t top, left, bottom, right;
};

struct MeshExtent {
  double maxX, maxY;  // map units, largest cell corner read; never below 0
};

// The cell table (CellTable), indexed by CellId. Neighbour numbers are kept as read and
// may lie outside the table; such a side is closed in `walls`.
extern std::int32_t rightId[kSlotCount];   // cell number across the right side
extern std::int32_t bottomId[kSlotCount];  // cell number across the bottom side
extern std::int32_t leftId[kSlotCount];    // cell number across the left side
extern std::int32_t topId[kSlotCount];     // cell number across the top side
extern double posX[kSlotCount];            // map units, x of the cell's right side
extern double posY[kSlotCount];            // map units, y of the cell's top side (y up)
extern WallFlags walls[kSlotCount];        // closed sides, each flag 0 or 1
extern bool cellNamed[kSlotCount];         // true once a mesh record named the slot
extern float travelTime[kSlotCount];       // s to the nearest exit, or kUnreachedTime
extern MeshExtent meshExtent;              // map units

// main calls this once, before GLUT starts: mesh, quad corners, travel times,
// quad colours, in that order. Missing or broken files leave a partial scene.
void loadScene();

// Step 1 of loadScene: reads kMeshPath into the cell table and the extent.
void readMeshFile();

// Step 3 of loadScene: resets every time, then seeds the exits of kExitPath
// in file order. Needs the cell table filled.
void computeTravelTimes();

// readMeshFile on text already in memory; the table must be clear (clearScene).
void readMeshText(std::string_view text);

// computeTravelTimes with the exit file's text already in memory.
void computeTravelTimesFromText(std::string_view exitText);

// Gives cell c the time t it has just been set to and walks on depth first.
// Needs the cell table filled; c must be a slot of the table.
void propagateTime(CellId c, double t);

// Zeroes the cell table and the extent, as at program start. For tests and
// tools that load more than one scene in one process.
void clearScene();
