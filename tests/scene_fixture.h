// Shared by the scene tests: a clean table for every test and small mesh
// texts written record by record.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "scene/scene.h"

class SceneTest : public ::testing::Test {
 protected:
  void SetUp() override { clearScene(); }
  void TearDown() override { clearScene(); }
};

inline const std::string kHeader = "cell right bottom left top col row kind lw bw a b c\nh2\nh3\n";

// One mesh record on its own line; the words are arbitrary.
inline std::string meshRecord(int cell, int right, int bottom, int left, int top, int column,
                              int row, int leftWall = 0, int bottomWall = 0) {
  return std::to_string(cell) + ' ' + std::to_string(right) + ' ' + std::to_string(bottom) + ' ' +
         std::to_string(left) + ' ' + std::to_string(top) + ' ' + std::to_string(column) + ' ' +
         std::to_string(row) + " floor " + std::to_string(leftWall) + ' ' +
         std::to_string(bottomWall) + " x y z\n";
}

// A row of `count` open cells 1..count at row 1, each naming its
// neighbours both ways; the ends are closed by -1.
inline std::string corridor(int count) {
  std::string text = kHeader;
  for (int i = 1; i <= count; ++i) {
    text += meshRecord(i, i < count ? i + 1 : -1, -1, i > 1 ? i - 1 : -1, -1, i, 1);
  }
  return text;
}

// Everything readMeshText writes, for comparing two readings. Keep copies
// static: memcmp then also compares the padding, which stays zero.
struct TableCopy {
  std::int32_t right[kSlotCount], bottom[kSlotCount], left[kSlotCount], top[kSlotCount];
  double x[kSlotCount], y[kSlotCount];
  WallFlags walls[kSlotCount];
  bool named[kSlotCount];
  MeshExtent extent;
};

inline void copyTable(TableCopy& to) {
  std::memcpy(to.right, rightId, sizeof rightId);
  std::memcpy(to.bottom, bottomId, sizeof bottomId);
  std::memcpy(to.left, leftId, sizeof leftId);
  std::memcpy(to.top, topId, sizeof topId);
  std::memcpy(to.x, posX, sizeof posX);
  std::memcpy(to.y, posY, sizeof posY);
  std::memcpy(to.walls, walls, sizeof walls);
  std::memcpy(to.named, cellNamed, sizeof cellNamed);
  to.extent = meshExtent;
}

inline bool sameTable(const TableCopy& a, const TableCopy& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// The whole file at `path`; empty when it cannot be read.
inline std::string readWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
