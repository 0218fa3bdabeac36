// The checker's what-if analyses on small plans drawn as plan text, with
// answers worked out by hand: doors blocked in turn, the worst case per
// cell, a walking-time limit by kind, the geodesic times beside the
// side-move count, and the files and columns they give.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <unistd.h>

#include <cmath>
#include <filesystem>

#include "check.h"
#include "plan2mesh.h"
#include "scene_fixture.h"

namespace {

using WhatIf = SceneTest;

CheckReport checkDrawn(const std::string& planText, CheckOptions options) {
  Plan plan;
  PlanError error;
  EXPECT_TRUE(parsePlan(planText, plan, error)) << error.message;
  return checkPlanTexts("in/Mesh.csv", formatMesh(plan), "in/ExitGrid.dat", formatExits(plan), 0,
                        options);
}

CheckOptions blocked() {
  CheckOptions o;
  o.blocked = true;
  return o;
}

// Cell n of a one-row plan: cells are numbered left to right.
const CellTime& row(const CheckReport& r, CellId n) { return r.cellTimes[static_cast<std::size_t>(n - 1)]; }

}  // namespace

// Exits at cells 1 and 7 of ten in a row. Blocking door 1 sends cells 1-3
// to cell 7; blocking door 2 sends cells 5-10 to cell 1.
TEST_F(WhatIf, TwoDoorsEachBlockedInTurn) {
  const CheckReport r = checkDrawn("E.....E...\n", blocked());
  ASSERT_EQ(r.doors.size(), 2u);
  const Door& first = r.doors[0];
  const Door& second = r.doors[1];
  EXPECT_EQ(first.first, 1);
  EXPECT_EQ(second.first, 7);
  EXPECT_EQ(first.longer, 3);
  EXPECT_EQ(first.largestIncrease, 24.0f);  // cell 1: 0 s, then 24 s from cell 7
  EXPECT_EQ(second.longer, 6);              // cells 5-10
  EXPECT_EQ(second.largestIncrease, 24.0f);
  EXPECT_EQ(first.lostWayOut + second.lostWayOut, 0);
  const float worst[] = {24, 20, 16, 12, 16, 20, 24, 28, 32, 36};
  for (CellId c = 1; c <= 10; ++c) EXPECT_EQ(row(r, c).worstBlocked, worst[c - 1]) << c;
  EXPECT_EQ(r.worstBlocked.largest, 36.0f);
  EXPECT_EQ(r.worstBlocked.reached, 10);
  EXPECT_EQ(row(r, 10).seconds, 12.0f);  // the times with every exit stay as they were
  EXPECT_EQ(checkExitStatus(r), 0);      // no limit: what-ifs alone change no status
}

// Exit cells side by side are one door, whatever their number; cells that
// rock or a gap keeps apart are doors of their own.
TEST_F(WhatIf, ExitCellsSideBySideAreOneDoor) {
  const CheckReport r = checkDrawn("EEE..\n.....\n.E E.\n", blocked());
  ASSERT_EQ(r.doors.size(), 3u);
  EXPECT_EQ(r.doors[0].cells, 3);
  EXPECT_EQ(r.doors[0].column, 1);
  EXPECT_EQ(r.doors[0].row, 3);
  EXPECT_EQ(r.doors[0].place, "1:1");
  EXPECT_EQ(r.doors[1].cells, 1);
  EXPECT_EQ(r.doors[2].column, 4);
  // Blocking the big door leaves the top row to the two small ones.
  EXPECT_EQ(row(r, 1).worstBlocked, 12.0f);  // (1, 3) to (2, 1): three moves
}

// A room whose one door is blocked has no way out at all.
TEST_F(WhatIf, BlockingTheOnlyDoorCutsTheRoomOff) {
  const CheckReport r = checkDrawn("E.. ..E\n", blocked());
  ASSERT_EQ(r.doors.size(), 2u);
  EXPECT_EQ(r.doors[1].lostWayOut, 3);  // the exit cell and the two behind it
  EXPECT_EQ(r.doors[1].longer, 3);
  EXPECT_EQ(r.worstBlocked.unreached, 6);  // each room loses its one door in one case
  EXPECT_EQ(row(r, 4).worstBlocked, kUnreachedTime);
}

// A limit crossed by one cell of one kind: it and only it is listed, with
// its time, and the status says so.
TEST_F(WhatIf, LimitCrossedByOneCellOfOneKind) {
  CheckOptions o;
  o.limitGiven = true;
  o.limitSeconds = 12;
  CheckReport r = checkDrawn("E..pp\n", o);
  ASSERT_EQ(r.limitAllExits.over, 1);
  ASSERT_EQ(r.limitAllExits.kinds.size(), 1u);
  const KindOverLimit& k = r.limitAllExits.kinds[0];
  EXPECT_EQ(k.kind, "platform");
  EXPECT_EQ(k.cells, 1);
  EXPECT_EQ(k.remote, 5);
  EXPECT_EQ(k.column, 5);
  EXPECT_EQ(k.seconds, 16.0f);
  EXPECT_EQ(checkExitStatus(r), 1);
  EXPECT_NE(formatTextReport(r).find("platform: 1 cell; the most remote is cell 5 at column 5, "
                                     "row 1 (16 s)."),
            std::string::npos)
      << formatTextReport(r);
  o.limitSeconds = 16;
  EXPECT_EQ(checkExitStatus(checkDrawn("E..pp\n", o)), 0);
  // A cell no exit reaches is over any limit.
  o.limitSeconds = 1e6;
  r = checkDrawn("E.. ss\n", o);
  EXPECT_EQ(r.limitAllExits.over, 2);
  EXPECT_EQ(r.limitAllExits.kinds[0].kind, "stair");
  EXPECT_EQ(r.limitAllExits.kinds[0].seconds, kUnreachedTime);
}

// With a limit, a plan the program only partly read is no pass: status 1
// whatever the cells that were read show.
TEST_F(WhatIf, APartlyReadPlanDoesNotPassALimit) {
  CheckOptions o;
  o.limitGiven = true;
  o.limitSeconds = 1000;
  const CheckReport r = checkPlanTexts("in/Mesh.csv", kHeader + meshRecord(1, -1, -1, -1, -1, 1, 1) + "2 x",
                                       "in/ExitGrid.dat", "1", 0, o);
  EXPECT_EQ(r.limitAllExits.over, 0);
  EXPECT_EQ(checkExitStatus(r), 1);
}

// Across an open square the side-move count is a staircase: on the
// diagonal from the exit it is exactly the square root of 2 too long.
TEST_F(WhatIf, GeodesicTimesAndTheirRatioToTheSideMoveCount) {
  CheckOptions o;
  o.geodesic = true;
  o.blocked = true;
  const CheckReport r = checkDrawn("....\n....\n....\nE...\n", o);
  const GeodesicSummary& g = r.geodesic;
  EXPECT_EQ(g.reached, 16);
  EXPECT_EQ(g.compared, 15);
  EXPECT_NEAR(g.ratioLargest, std::sqrt(2.0), 1e-6);
  // On the diagonal from the exit at (1, 1): (4, 4), (3, 3) or (2, 2).
  EXPECT_TRUE(g.ratioWhere == 4 || g.ratioWhere == 7 || g.ratioWhere == 10) << g.ratioWhere;
  EXPECT_NEAR(row(r, 4).geodesic, 4 * std::sqrt(18.0), 1e-4);  // cell (4, 4)
  EXPECT_EQ(row(r, 4).seconds, 24.0f);
  EXPECT_EQ(row(r, 4).worstBlocked, kUnreachedTime);  // the only door blocked
  const std::string csv = formatTimesCsv(r);
  EXPECT_EQ(csv.substr(0, csv.find('\n')),
            "cell,column,row,seconds,worst_blocked_seconds,geodesic_seconds,"
            "worst_blocked_geodesic_seconds");
  EXPECT_NE(csv.find("\n13,1,1,0,,0.00,\n"), std::string::npos) << csv;
  EXPECT_NE(csv.find("\n4,4,4,24,,16.97,\n"), std::string::npos) << csv;

  const nlohmann::json json = nlohmann::json::parse(formatJsonReport(r));
  EXPECT_EQ(json["geodesic"]["reached"], 16);
  EXPECT_NEAR(json["geodesic"]["sideMoveOverGeodesic"]["largest"].get<double>(), std::sqrt(2.0), 1e-6);
  EXPECT_EQ(json["blocked"]["doors"][0]["lostEveryWayOut"], 16);
  EXPECT_EQ(json["blocked"]["worst"]["unreached"], 16);
}

// The limit judges the geodesic times when they are asked for.
TEST_F(WhatIf, LimitOnGeodesicTimes) {
  CheckOptions o;
  o.limitGiven = true;
  o.limitSeconds = 20;
  o.geodesic = true;
  // The far corner is 6 side moves (24 s) away, but only 4 * sqrt(18) = 17 s
  // in a straight line: over 20 s by the one count, within it by the other.
  const CheckReport r = checkDrawn("....\n....\n....\nE...\n", o);
  EXPECT_EQ(r.limitAllExits.over, 0);
  o.geodesic = false;
  EXPECT_EQ(checkDrawn("....\n....\n....\nE...\n", o).limitAllExits.over, 1);
}

// One exit file a door, each the exits without that door's cells.
TEST_F(WhatIf, ExitFilesForEachDoor) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::path(::testing::TempDir()) / ("orvik_doors_" + std::to_string(getpid()));
  fs::remove_all(dir);
  CheckOptions o = blocked();
  o.exitsDir = dir.string();
  CheckReport r = checkDrawn("EE...E\n", o);
  ASSERT_TRUE(writeDoorExitFiles(r));
  ASSERT_EQ(r.exitFilesWritten.size(), 2u);
  EXPECT_EQ(readWholeFile((dir / "door1-c1-r1.dat").string()), "6\n");
  EXPECT_EQ(readWholeFile((dir / "door2-c6-r1.dat").string()), "1\n2\n");
  fs::remove_all(dir);
}

// A kind word is text from the file: in the limit's list it is escaped like
// every other piece of file text, so that no byte of it reaches a terminal
// as a control character or breaks the line.
TEST_F(WhatIf, KindWordsInTheLimitListAreEscaped) {
  CheckOptions o;
  o.limitGiven = true;
  o.limitSeconds = 0;
  const std::string kind = "\x1b]0;x\x07\xef\xbb\xbf\xff\x01";
  const CheckReport r = checkPlanTexts(
      "in/Mesh.csv", kHeader + "1 2 -1 -1 -1 1 1 exit 0 0 a b c\n2 -1 -1 1 -1 2 1 " + kind + " 0 0 a b c\n",
      "in/ExitGrid.dat", "1", 0, o);
  ASSERT_EQ(r.limitAllExits.over, 1);
  EXPECT_EQ(r.limitAllExits.kinds[0].kind, kind);  // as written, for the JSON
  const std::string text = formatTextReport(r);
  for (char raw : {'\x1b', '\x07', '\x01', '\xff'}) {
    EXPECT_EQ(text.find(raw), std::string::npos) << static_cast<int>(raw);
  }
  EXPECT_NE(text.find("    \\x1B]0;x\\x07\\xEF\\xBB\\xBF\\xFF\\x01: 1 cell; the most remote is cell 2"),
            std::string::npos)
      << text;
}

// The limit is shown as given: rounded to a tenth, 239.96 s would read as
// 240.0 s beside a cell of 240 s listed as over it.
TEST_F(WhatIf, TheLimitIsShownAsGiven) {
  CheckOptions o;
  o.limitGiven = true;
  for (const auto& [limit, shown] : {std::pair{239.96, "Limit of 239.96 s"},
                                     std::pair{0.04, "Limit of 0.04 s"},
                                     std::pair{240.0, "Limit of 240 s"},
                                     std::pair{1e300, "Limit of 1e+300 s"},
                                     std::pair{-0.0, "Limit of 0 s"}}) {
    o.limitSeconds = limit;
    const std::string text = formatTextReport(checkDrawn("E..pp\n", o));
    EXPECT_NE(text.find(std::string(shown) + " (side-move times"), std::string::npos) << text;
  }
}
