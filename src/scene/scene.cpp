#include "scene/scene.h"

#include <algorithm>
#include <string>

#include "draw/draw.h"
#include "scene/reader.h"

std::int32_t rightId[kSlotCount];
std::int32_t bottomId[kSlotCount];
std::int32_t leftId[kSlotCount];
std::int32_t topId[kSlotCount];
double posX[kSlotCount];
double posY[kSlotCount];
WallFlags walls[kSlotCount];
bool cellNamed[kSlotCount];
float travelTime[kSlotCount];
MeshExtent meshExtent;

// Every time that occurs (multiples of the step up to the cut-off plus one
// step) must be exact in a float, or the comparison in propagateTime would
// depend on rounding.
static_assert(kTimeCutoff + kStepTime < (1 << 24));
static_assert(kUnreachedTime > kTimeCutoff);

namespace {

std::int32_t closedFlag(bool closed) { return closed ? 1 : 0; }

void storeMeshRecord(const MeshRecord& r) {
  const CellId i = r.cell;
  rightId[i] = r.right;
  bottomId[i] = r.bottom;
  leftId[i] = r.left;
  topId[i] = r.top;
  walls[i] = WallFlags{closedFlag(outsideTable(r.top)),
                       closedFlag(outsideTable(r.left) || r.leftWall != 0),
                       closedFlag(outsideTable(r.bottom) || r.bottomWall != 0),
                       closedFlag(outsideTable(r.right))};
  posX[i] = r.column * kCellSize;
  posY[i] = r.row * kCellSize;
  cellNamed[i] = true;
  meshExtent.maxX = std::max(meshExtent.maxX, posX[i]);
  meshExtent.maxY = std::max(meshExtent.maxY, posY[i]);
}

// A move from c across `side` needs that side of c and the facing side of
// the neighbour open. An open side always names a slot (closed otherwise on
// reading), so the neighbour number needs no range check here.
void tryMove(CellId c, std::int32_t WallFlags::*side, const std::int32_t* neighbour,
             std::int32_t WallFlags::*facing, double nextTime) {
  if (walls[c].*side != 0) return;
  const CellId n = neighbour[c];
  if (walls[n].*facing != 0) return;
  if (!(static_cast<double>(travelTime[n]) > nextTime)) return;  // equal is no gain
  travelTime[n] = static_cast<float>(nextTime);
  propagateTime(n, nextTime);
}

}  // namespace

void readMeshText(std::string_view text) {
  TextCursor in = makeCursor(text);
  meshExtent = MeshExtent{0.0, 0.0};
  if (!skipMeshHeader(in)) return;
  MeshRecord record{};
  FieldFailure failure{};
  while (readMeshRecord(in, record, failure)) {
    // A cell number without a slot cannot be stored; the record is dropped
    // and the rest of the file still counts.
    if (outsideTable(record.cell)) continue;
    storeMeshRecord(record);
  }
}

void readMeshFile() {
  std::string bytes;
  loadFileBytes(kMeshPath, bytes);
  readMeshText(bytes);
}

void propagateTime(CellId c, double t) {
  const double next = t + kStepTime;
  if (next > kTimeCutoff) return;
  tryMove(c, &WallFlags::right, rightId, &WallFlags::left, next);
  tryMove(c, &WallFlags::top, topId, &WallFlags::bottom, next);
  tryMove(c, &WallFlags::left, leftId, &WallFlags::right, next);
  tryMove(c, &WallFlags::bottom, bottomId, &WallFlags::top, next);
}

void computeTravelTimesFromText(std::string_view exitText) {
  std::fill(std::begin(travelTime), std::end(travelTime), kUnreachedTime);
  TextCursor in = makeCursor(exitText);
  CellId exit = 0;
  FieldFailure failure{};
  while (readExitRecord(in, exit, failure)) {
    if (outsideTable(exit)) continue;  // no slot to seed; the next exit still counts
    travelTime[exit] = 0.0f;
    propagateTime(exit, 0.0);
  }
}

void computeTravelTimes() {
  std::string bytes;
  loadFileBytes(kExitPath, bytes);
  computeTravelTimesFromText(bytes);
}

void loadScene() {
  readMeshFile();
  fillQuadVertices();
  computeTravelTimes();
  fillQuadColors();
}

void clearScene() {
  std::fill(std::begin(rightId), std::end(rightId), 0);
  std::fill(std::begin(bottomId), std::end(bottomId), 0);
  std::fill(std::begin(leftId), std::end(leftId), 0);
  std::fill(std::begin(topId), std::end(topId), 0);
  std::fill(std::begin(posX), std::end(posX), 0.0);
  std::fill(std::begin(posY), std::end(posY), 0.0);
  std::fill(std::begin(walls), std::end(walls), WallFlags{0, 0, 0, 0});
  std::fill(std::begin(cellNamed), std::end(cellNamed), false);
  std::fill(std::begin(travelTime), std::end(travelTime), 0.0f);
  meshExtent = MeshExtent{0.0, 0.0};
}
