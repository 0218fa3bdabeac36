#include "scene/scene.h"

#include <algorithm>

// loadScene lives with the scene, but two of its steps fill the drawing
// subsystem's quad buffers; that call from scene into draw is intended.
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

}  // namespace

void readMesh(TextCursor& in, MeshReading* seen) {
  MeshReading unseen{};  // the program's own reading keeps nothing
  MeshReading& log = seen != nullptr ? *seen : unseen;
  meshExtent = MeshExtent{0.0, 0.0};
  log.headerWhole = skipMeshHeader(in, log.headerLines, log.headerLineLimit, &log.longHeaderLine);
  MeshRecord record{};
  FieldFailure failure{};
  failure.result = FieldResult::EndOfText;
  failure.field = 1;
  if (log.headerWhole) {
    while (readMeshRecord(in, record, failure, log.keepWords)) {
      if (log.onRecord != nullptr) log.onRecord(record, log.context);
      // A cell number without a slot cannot be stored; the record is dropped
      // and the rest of the file still counts.
      if (outsideTable(record.cell)) continue;
      storeMeshRecord(record);
    }
  }
  if (log.stop != nullptr) *log.stop = failure;
}

void readMeshText(std::string_view text) {
  TextCursor in = makeCursor(text);
  readMesh(in, nullptr);
}

// A file that cannot be opened or read reads like an empty one.
void readMeshFile() {
  TextCursor in{};
  openFileCursor(kMeshPath, in);
  readMesh(in, nullptr);
  closeCursor(in);
}

namespace {

// One side of c, for the walk: an instance per side, so that the side's
// flags and neighbour array are constants of its own code.
template <int k>
void tryMove(CellId c, double next) {
  const CellId n = moveAcross(c, kWalkSides[k]);
  if (n < 0 || !(static_cast<double>(travelTime[n]) > next)) return;  // equal is no gain
  travelTime[n] = static_cast<float>(next);
  propagateTime(n, next);  // depth first: the next side only when this walk returns
}

}  // namespace

void propagateTime(CellId c, double t) {
  const double next = t + kStepTime;
  if (next > kTimeCutoff) return;
  tryMove<0>(c, next);  // right
  tryMove<1>(c, next);  // top
  tryMove<2>(c, next);  // left
  tryMove<3>(c, next);  // bottom
}

void resetTravelTimes() { std::fill(std::begin(travelTime), std::end(travelTime), kUnreachedTime); }

void seedExit(CellId e) {
  travelTime[e] = 0.0f;
  propagateTime(e, 0.0);
}

void seedExitList(const ExitList& list) {
  resetTravelTimes();
  for (CellId e : list.exits) seedExit(e);
}

void computeTravelTimesFrom(TextCursor& in, ExitList& list) {
  readExitList(in, list);
  seedExitList(list);
}

void computeTravelTimesFromText(std::string_view exitText) {
  TextCursor in = makeCursor(exitText);
  ExitList list;
  computeTravelTimesFrom(in, list);
}

void computeTravelTimes() {
  TextCursor in{};
  openFileCursor(kExitPath, in);
  ExitList list;
  computeTravelTimesFrom(in, list);
  closeCursor(in);
}

void loadScene() {
  readMeshFile();
  fillQuadVertices();
  computeTravelTimes();
  fillQuadColors();
}

void loadSceneFromText(std::string_view meshText, std::string_view exitText) {
  clearScene();
  readMeshText(meshText);
  fillQuadVertices();
  computeTravelTimesFromText(exitText);
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
