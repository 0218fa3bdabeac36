// Scene data: the cell table read from the mesh file, the exits and the
// walking times, in globals of fixed size. The window program fills them
// once, before its window exists, and its drawing and keys only read them
// after that. The companion programs write them again: orvik-render loads
// each plan and may take the times from a CSV file, and orvik-check walks
// again for each blocked door and puts the times back after. Nothing here
// is locked: use it from one thread at a time.
#pragma once

#include <cstdint>
#include <string_view>

using CellId = std::int32_t;

#ifndef ORVIK_MAX_CELL_ID
#define ORVIK_MAX_CELL_ID 33414
#endif
constexpr CellId kMaxCellId = ORVIK_MAX_CELL_ID;  // largest cell number with a slot
constexpr int kSlotCount = kMaxCellId + 1;         // slots 0..kMaxCellId; slot 0 is never drawn

constexpr float kUnreachedTime = 1e9f;  // s, the time of a slot no exit reaches
constexpr double kStepTime = 4.0;       // s, one move through an open cell side
constexpr int kMaxMoves = 112;          // moves from an exit that the walk still counts
// s, a new time above this is dropped: half a step past the last time kept,
// so that no rounding can decide it (448 s stays, 452 s goes).
constexpr double kTimeCutoff = (kMaxMoves + 0.5) * kStepTime;
constexpr double kCellSize = 2.0;          // map units, side of a cell (= grid step)
constexpr double kSecondsPerMinute = 60.0;  // s

constexpr char kMeshPath[] = "../in/Mesh.csv";      // relative to the working directory
constexpr char kExitPath[] = "../in/ExitGrid.dat";  // relative to the working directory

// 1 = closed: no move passes the side and a wall line is drawn on it.
struct WallFlags {
  std::int32_t top, left, bottom, right;
};

struct MeshExtent {
  double maxX, maxY;  // map units, largest cell corner read; never below 0
};

// The cell table, indexed by CellId. Neighbour numbers are kept as read
// and may lie outside the table; such a side is closed in `walls`.
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

// One side of a cell as the walk sees it.
struct Side {
  std::int32_t WallFlags::*flag;    // this side of a cell
  const std::int32_t* ids;          // the neighbour numbers across it
  std::int32_t WallFlags::*facing;  // the neighbour's side that faces it
};

// The four sides in the order the walk tries them: right, top, left, bottom.
inline constexpr Side kWalkSides[4] = {
    {&WallFlags::right, rightId, &WallFlags::left},
    {&WallFlags::top, topId, &WallFlags::bottom},
    {&WallFlags::left, leftId, &WallFlags::right},
    {&WallFlags::bottom, bottomId, &WallFlags::top},
};

// Needs the table read; c a slot: the slot a move from c across `side` goes
// into, or -1 when either face of that side is closed. An open side always
// names a slot, since reading closes a side that names none.
inline CellId moveAcross(CellId c, const Side& side) {
  if (walls[c].*side.flag != 0) return -1;
  const CellId n = side.ids[c];
  return walls[n].*side.facing != 0 ? -1 : n;
}

struct TextCursor;
struct MeshRecord;
struct FieldFailure;
struct KeptText;
struct ExitList;

// What a reading of the mesh file saw, for callers that explain it; the
// program itself keeps none.
struct MeshReading {
  void (*onRecord)(const MeshRecord& record, void* context);  // each record read; may be null
  void* context;
  bool keepWords;      // records carry their kind, tags and plan-place words
  bool headerWhole;    // left: the three header lines were there
  FieldFailure* stop;  // left: why reading ended; may be null
  KeptText* headerLines;  // left: the first bytes of each header line; may be null
  std::int64_t headerLineLimit;  // bytes a header line may hold, longer ends the reading; 0 none
  int longHeaderLine;            // left: 1-based header line over headerLineLimit, 0 none
};

// With a clear table: reads kMeshPath and kExitPath and leaves the table,
// the times and both quad buffers filled, whatever the files held (missing
// or broken files leave a partial scene). Mesh, corners, times, colours, in
// that order.
void loadScene();

// loadScene on texts in memory; clears the table first.
void loadSceneFromText(std::string_view meshText, std::string_view exitText);

// Stores every record of kMeshPath over what the table holds and sets the
// extent from these records alone; on a clear table, that is the scene the
// file describes. A file that cannot be read reads as empty.
void readMeshFile();

// readMeshFile on text in memory.
void readMeshText(std::string_view text);

// readMeshFile on the text of `in`; `seen` (may be null) learns what was read.
void readMesh(TextCursor& in, MeshReading* seen);

// Needs the table read: resets every time, then seeds the exits of
// kExitPath in file order; leaves every slot's time.
void computeTravelTimes();

// computeTravelTimes on the exit file's text in memory.
void computeTravelTimesFromText(std::string_view exitText);

// computeTravelTimes on the exit numbers read from `in` with readExitList,
// which leaves what it saw in `list`.
void computeTravelTimesFrom(TextCursor& in, ExitList& list);

// Needs the table read: resets every time, then seeds `list`'s exits in the
// order first listed (as seeding the file's numbers in file order would).
void seedExitList(const ExitList& list);

// Leaves every slot at kUnreachedTime.
void resetTravelTimes();

// Needs the table read: gives exit slot e time 0 and walks from it, lowering
// the times of the slots it reaches. e must be a slot of the table.
void seedExit(CellId e);

// Needs the table read: walks on depth first from cell c, which has just
// been given time t (s); c must be a slot of the table.
void propagateTime(CellId c, double t);

// Leaves the cell table and the extent zero, as at program start.
void clearScene();
