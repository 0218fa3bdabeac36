#include "scene_fixture.h"

namespace {

using TravelTimes = SceneTest;

std::string exits(std::initializer_list<int> ids) {
  std::string text;
  for (int id : ids) text += std::to_string(id) + '\n';
  return text;
}

}  // namespace

TEST_F(TravelTimes, StopAtCutoff) {
  readMeshText(corridor(120));
  computeTravelTimesFromText("1");
  for (int moves = 0; moves <= 112; ++moves) {
    ASSERT_EQ(travelTime[1 + moves], 4.0f * moves) << moves << " moves";
  }
  EXPECT_EQ(travelTime[114], kUnreachedTime);  // 113 moves away
  EXPECT_EQ(travelTime[120], kUnreachedTime);
}

TEST_F(TravelTimes, NearerExitWinsWhateverTheOrder) {
  readMeshText(corridor(30));
  computeTravelTimesFromText(exits({1, 30}));
  float forward[31];
  std::copy(travelTime, travelTime + 31, forward);
  computeTravelTimesFromText(exits({30, 1}));
  for (int i = 1; i <= 30; ++i) {
    EXPECT_EQ(travelTime[i], forward[i]) << i;
    EXPECT_EQ(travelTime[i], 4.0f * std::min(i - 1, 30 - i)) << i;
  }
}

TEST_F(TravelTimes, ExitListedTwiceCountsOnce) {
  readMeshText(corridor(10));
  computeTravelTimesFromText(exits({4}));
  float once[11];
  std::copy(travelTime, travelTime + 11, once);
  computeTravelTimesFromText(exits({4, 4}));
  for (int i = 1; i <= 10; ++i) EXPECT_EQ(travelTime[i], once[i]) << i;
}

TEST_F(TravelTimes, ThinWallBlocksBothWays) {
  // Cells 1 2 3 in a row; cell 2's left wall field closes the side between 1 and 2.
  readMeshText(kHeader + meshRecord(1, 2, -1, -1, -1, 1, 1) + meshRecord(2, 3, -1, 1, -1, 2, 1, 1) +
               meshRecord(3, -1, -1, 2, -1, 3, 1));
  computeTravelTimesFromText(exits({1}));
  EXPECT_EQ(travelTime[2], kUnreachedTime);
  computeTravelTimesFromText(exits({3}));
  EXPECT_EQ(travelTime[2], 4.0f);
  EXPECT_EQ(travelTime[1], kUnreachedTime);
}

TEST_F(TravelTimes, MovesFollowEachCellsOwnNeighbourNumbers) {
  // 1's right is 2, but 2's left is 3: 1 reaches 2, 2 does not reach 1.
  readMeshText(kHeader + meshRecord(1, 2, -1, -1, -1, 1, 1) + meshRecord(2, -1, -1, 3, -1, 2, 1) +
               meshRecord(3, 2, -1, -1, -1, 3, 1));
  computeTravelTimesFromText(exits({1}));
  EXPECT_EQ(travelTime[2], 4.0f);
  EXPECT_EQ(travelTime[3], 8.0f);  // from 2 across its left side
  computeTravelTimesFromText(exits({2}));
  EXPECT_EQ(travelTime[1], kUnreachedTime);
  EXPECT_EQ(travelTime[3], 4.0f);
}

TEST_F(TravelTimes, ClosedExitReachesNothing) {
  readMeshText(kHeader + meshRecord(1, 2, -1, -1, -1, 1, 1, 0, 0) +
               meshRecord(2, -1, -1, 1, -1, 2, 1, 1, 0));
  // Cell 2: left closed by its wall field, the rest by -1.
  computeTravelTimesFromText(exits({2}));
  EXPECT_EQ(travelTime[2], 0.0f);
  EXPECT_EQ(travelTime[1], kUnreachedTime);
}

TEST_F(TravelTimes, ExitWithoutARecordOnlyReachesSlotZero) {
  readMeshText(corridor(5));
  computeTravelTimesFromText(exits({40}));
  EXPECT_EQ(travelTime[40], 0.0f);
  EXPECT_EQ(travelTime[0], 4.0f);
  for (int i = 1; i <= 5; ++i) EXPECT_EQ(travelTime[i], kUnreachedTime) << i;
}

TEST_F(TravelTimes, ExitsWithoutASlotAreSkippedAndReadingGoesOn) {
  readMeshText(corridor(5));
  computeTravelTimesFromText("-1 " + std::to_string(kMaxCellId + 1) + " 5");
  EXPECT_EQ(travelTime[5], 0.0f);
  EXPECT_EQ(travelTime[1], 16.0f);
}

TEST_F(TravelTimes, FieldThatIsNoNumberEndsTheExits) {
  readMeshText(corridor(6));
  computeTravelTimesFromText("1 x 6");
  EXPECT_EQ(travelTime[1], 0.0f);
  EXPECT_EQ(travelTime[6], 20.0f);  // from exit 1, not an exit itself
}

TEST_F(TravelTimes, NoExitsLeaveEverySlotUnreached) {
  readMeshText(corridor(3));
  computeTravelTimesFromText("");
  for (float t : travelTime) ASSERT_EQ(t, kUnreachedTime);
}

TEST_F(TravelTimes, OpenRoomGetsManhattanDistances) {
  // A 7 by 5 room, exit at column 2 row 4: every cell is |dc| + |dr| moves away.
  constexpr int kColumns = 7, kRows = 5;
  auto id = [](int c, int r) { return (r - 1) * kColumns + c; };
  std::string text = kHeader;
  for (int r = 1; r <= kRows; ++r) {
    for (int c = 1; c <= kColumns; ++c) {
      text += meshRecord(id(c, r), c < kColumns ? id(c + 1, r) : -1, r > 1 ? id(c, r - 1) : -1,
                         c > 1 ? id(c - 1, r) : -1, r < kRows ? id(c, r + 1) : -1, c, r);
    }
  }
  readMeshText(text);
  computeTravelTimesFromText(std::to_string(id(2, 4)));
  for (int r = 1; r <= kRows; ++r) {
    for (int c = 1; c <= kColumns; ++c) {
      EXPECT_EQ(travelTime[id(c, r)], 4.0f * (std::abs(c - 2) + std::abs(r - 4))) << c << "," << r;
    }
  }
}
