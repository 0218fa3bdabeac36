// readMeshText on arbitrary bytes: no crash and no undefined behaviour, and
// the table keeps its promises: every flag 0 or 1, a side open only when it
// names a slot, and the extent never below 0 nor below a stored corner.
#include "fuzz_common.h"
#include "scene/reader.h"
#include "scene/scene.h"

namespace {

bool openSideNamesASlot(std::int32_t flag, std::int32_t id) {
  return flag != 0 || !outsideTable(id);
}

bool isFlag(std::int32_t flag) { return flag == 0 || flag == 1; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  clearScene();
  readMeshText(asText(data, size));
  require(meshExtent.maxX >= 0.0 && meshExtent.maxY >= 0.0, "extent below 0");
  for (CellId c = 0; c <= kMaxCellId; ++c) {
    const WallFlags& w = walls[c];
    require(isFlag(w.top) && isFlag(w.left) && isFlag(w.bottom) && isFlag(w.right),
            "flag not 0 or 1");
    require(openSideNamesASlot(w.right, rightId[c]) && openSideNamesASlot(w.top, topId[c]) &&
                openSideNamesASlot(w.left, leftId[c]) && openSideNamesASlot(w.bottom, bottomId[c]),
            "open side names no slot");
    if (!cellNamed[c]) {
      require(w.top == 0 && w.left == 0 && w.bottom == 0 && w.right == 0 && posX[c] == 0.0 &&
                  posY[c] == 0.0,
              "slot without record was written");
      continue;
    }
    require(posX[c] <= meshExtent.maxX && posY[c] <= meshExtent.maxY, "cell beyond the extent");
  }
  return 0;
}
