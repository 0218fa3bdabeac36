// orvik-check's doors by name and the one-command what-if: --block by name
// or number, the limit and the list of cells over it in that case, and the
// cells a case leaves unreached told apart (a way out only beyond the
// cut-off, or none at all). Small plans with answers worked out by hand.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "check.h"
#include "plan2mesh.h"
#include "scene_fixture.h"
#include "walks.h"

namespace {

using NamedDoors = SceneTest;
using UnreachedSplit = SceneTest;

CheckReport checkDrawn(const std::string& planText, const CheckOptions& options,
                       const std::string& exitName = "in/ExitGrid.dat") {
  Plan plan;
  PlanError error;
  EXPECT_TRUE(parsePlan(planText, plan, error)) << error.message;
  return checkPlanTexts("in/Mesh.csv", formatMesh(plan), exitName, formatExits(plan), 0, options);
}

bool has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// Exits at cells 1 and 7 of ten in a row, the second named.
const std::string kRow = "# door East = 2:7\nE.....E...\n";

// A corridor of 130 cells with an exit at each end, and a room of two cells
// beyond rock that no exit reaches.
std::string longCorridor() { return "E" + std::string(128, '.') + "E ..\n"; }

}  // namespace

TEST_F(NamedDoors, NamesComeFromTheExitRecordsIntoEveryReport) {
  CheckOptions o;
  o.blocked = true;
  const CheckReport r = checkDrawn(kRow, o);
  ASSERT_EQ(r.doors.size(), 2u);
  EXPECT_EQ(r.doors[0].name, "");
  EXPECT_EQ(r.doors[1].name, "East");
  EXPECT_TRUE(has(formatTextReport(r), "  door 2 \"East\" (cell 7 at column 7, row 1, plan 2:7)"))
      << formatTextReport(r);
  const nlohmann::json json = nlohmann::json::parse(formatJsonReport(r));
  EXPECT_TRUE(json["blocked"]["doors"][0]["name"].is_null());
  EXPECT_EQ(json["blocked"]["doors"][1]["name"], "East");
}

// Blocking "East" sends cells 5-10 to cell 1: 16 s at cell 5 up to 36 s at
// cell 10; by number 1 and by name together, nobody gets out at all.
TEST_F(NamedDoors, BlockByNameOrNumberInOneCase) {
  CheckOptions o;
  o.block = {"East"};
  CheckReport r = checkDrawn(kRow, o);
  ASSERT_EQ(r.blockError, "");
  ASSERT_EQ(r.blockedDoors, std::vector<int>{1});
  const float blocked[] = {0, 4, 8, 12, 16, 20, 24, 28, 32, 36};
  for (CellId c = 1; c <= 10; ++c) EXPECT_EQ(r.cellTimes[c - 1].blockedSeconds, blocked[c - 1]) << c;
  EXPECT_EQ(r.cellTimes[9].seconds, 12.0f);  // the times with every exit stay
  EXPECT_EQ(r.blockedLonger, 6);
  EXPECT_EQ(r.blockedLargestIncrease, 24.0f);
  EXPECT_EQ(r.blockedTimes.largest, 36.0f);
  const std::string csv = formatTimesCsv(r);
  EXPECT_EQ(csv.substr(0, csv.find('\n')), "cell,column,row,seconds,blocked_seconds");
  EXPECT_TRUE(has(csv, "\n10,10,1,12,36\n")) << csv;
  EXPECT_TRUE(has(formatTextReport(r), "With door 2 \"East\" blocked (1 exit cell no exit)"));

  o.block = {"1", "East", "2"};  // a door named twice is blocked once
  r = checkDrawn(kRow, o);
  ASSERT_EQ(r.blockedDoors, (std::vector<int>{0, 1}));
  EXPECT_EQ(r.blockedTimes.unreached, 10);
  EXPECT_EQ(r.blockedTimes.noPath, 10);
  EXPECT_EQ(r.blockedLostWayOut, 10);
  EXPECT_EQ(r.blockedLostNoWay, 10);
  EXPECT_EQ(checkExitStatus(r), 0);  // a what-if alone changes no status
}

TEST_F(NamedDoors, AnUnknownDoorIsRefusedWithTheDoorsThereAre) {
  for (const char* given : {"Eats", "3", "0", "east", "+1", "01x"}) {
    CheckOptions o;
    o.block = {"East", given};
    const CheckReport r = checkDrawn(kRow, o);
    EXPECT_EQ(r.blockError, std::string("no door is named or numbered \"") + given +
                                "\"; the doors are: 1, 2 \"East\"")
        << given;
    EXPECT_EQ(checkExitStatus(r), 2);
  }
}

// With "East" blocked, cells 5-10 take 16-36 s: over 20 s are cells 7-10,
// the most remote cell 10; the list holds that case.
TEST_F(NamedDoors, LimitAndListWithTheDoorsBlocked) {
  CheckOptions o;
  o.block = {"East"};
  o.limitGiven = true;
  o.limitSeconds = 20;
  o.listOver = true;
  const CheckReport r = checkDrawn(kRow, o);
  EXPECT_EQ(r.limitAllExits.over, 0);
  ASSERT_EQ(r.limitBlockedDoors.over, 4);
  ASSERT_EQ(r.limitBlockedDoors.kinds.size(), 2u);
  EXPECT_EQ(r.limitBlockedDoors.kinds[0].kind, "exit");  // the blocked exit cell, 24 s
  EXPECT_EQ(r.limitBlockedDoors.kinds[1].remote, 10);
  EXPECT_EQ(checkExitStatus(r), 1);
  EXPECT_EQ(formatOverCsv(r),
            "cell,column,row,plan_place,kind,seconds,unreached\n"
            "7,7,1,2:7,exit,24,\n8,8,1,2:8,floor,28,\n9,9,1,2:9,floor,32,\n10,10,1,2:10,floor,36,\n");
  const std::string text = formatTextReport(r);
  EXPECT_TRUE(has(text, "  With door 2 \"East\" blocked: 4 cells over the limit.\n")) << text;
  EXPECT_TRUE(has(text, "The list file holds the 4 cells over the limit with door 2 \"East\" blocked."));
  EXPECT_TRUE(has(text, "Result: 4 cells are over the limit (exit status 1)."));
}

// A field with a comma or a quote is quoted, the quote doubled; a cell no
// exit reaches has no seconds and says why.
TEST_F(NamedDoors, TheListQuotesAsCsvAndSaysWhyACellIsUnreached) {
  CheckOptions o;
  o.limitGiven = true;
  o.limitSeconds = 0;
  o.listOver = true;
  const CheckReport r = checkPlanTexts(
      "in/Mesh.csv",
      kHeader + "1 2 -1 -1 -1 1 1 exit 0 0 exit 1:1 E\n2 -1 -1 1 -1 2 1 a,\"b 0 0 - 1:2 p\n"
                "3 -1 -1 -1 -1 4 1 floor 0 0 - x:y .\n",
      "in/ExitGrid.dat", "1", 0, o);
  EXPECT_EQ(formatOverCsv(r),
            "cell,column,row,plan_place,kind,seconds,unreached\n"
            "2,2,1,1:2,\"a,\"\"b\",4,\n3,4,1,,floor,,no_way_out\n");
}

// The fault: cells with a way out only beyond 112 moves were counted as
// without a way out. Blocking either end of the corridor leaves 17 cells
// (more than 112 moves from the other end) unreached within 448 s, all
// with a way out; only the room has none.
TEST_F(UnreachedSplit, BeyondTheCutoffIsNotNoWayOut) {
  CheckOptions o;
  o.blocked = true;
  const CheckReport r = checkDrawn(longCorridor(), o);
  ASSERT_EQ(r.doors.size(), 2u);
  EXPECT_EQ(r.doors[0].lostWayOut, 17);
  EXPECT_EQ(r.doors[0].lostNoWay, 0);
  EXPECT_EQ(r.worstBlocked.unreached, 36);
  EXPECT_EQ(r.worstBlocked.beyondCutoff, 34);
  EXPECT_EQ(r.worstBlocked.noPath, 2);
  const std::string text = formatTextReport(r);
  EXPECT_TRUE(has(text, "36 unreached within it with some door blocked (34 farther than 448 s, "
                        "2 with no way out at all).")) << text;
  EXPECT_TRUE(has(text, "17 no longer reached within 448 s (17 farther than 448 s)")) << text;
  const nlohmann::json json = nlohmann::json::parse(formatJsonReport(r));
  EXPECT_EQ(json["blocked"]["worst"]["unreachedBeyondCutoff"], 34);
  EXPECT_EQ(json["blocked"]["doors"][1]["lostNoWayAtAll"], 0);
}

// The fault: the most remote cell of a kind with unreached cells was the
// first unreached cell found. In a corridor of 120 cells from one exit the
// most remote is the far end (119 moves), and a cell with no way out at
// all lies farther than any.
TEST_F(UnreachedSplit, TheMostRemoteCellIsTheFarthestWalk) {
  CheckOptions o;
  o.limitGiven = true;
  o.limitSeconds = 100;
  CheckReport r = checkDrawn("E" + std::string(119, '.') + "\n", o);
  ASSERT_EQ(r.limitAllExits.kinds.size(), 1u);
  KindOverLimit k = r.limitAllExits.kinds[0];
  EXPECT_EQ(k.cells, 94);         // cells 27-120: more than 25 moves
  EXPECT_EQ(k.beyondCutoff, 7);   // cells 114-120
  EXPECT_EQ(k.remote, 120);
  EXPECT_EQ(k.remoteMoves, 119);
  EXPECT_TRUE(has(formatTextReport(r), "(7 farther than 448 s); the most remote is cell 120 "
                                       "at column 120, row 1 (beyond 448 s: 119 moves, 476 s)."))
      << formatTextReport(r);
  r = checkDrawn("E" + std::string(119, '.') + " .\n", o);
  k = r.limitAllExits.kinds[0];
  EXPECT_EQ(k.remote, 121);
  EXPECT_EQ(k.remoteMoves, kNoWay);
  EXPECT_EQ(k.noWayOut, 1);
  EXPECT_EQ(r.limitAllExits.noWayOut, 1);
}

// The fault: a report on a door's exit file said "With all exits". The
// case is named for the exit file it was made from.
TEST_F(UnreachedSplit, TheLimitNamesTheExitFileItJudges) {
  CheckOptions o;
  o.limitGiven = true;
  o.limitSeconds = 8;
  const std::string text = formatTextReport(checkDrawn(kRow, o, "whatif/door2-c7-r1.dat"));
  EXPECT_TRUE(has(text, "  With every exit of door2-c7-r1.dat: 2 cells over the limit.")) << text;
  EXPECT_FALSE(has(text, "With all exits"));
}
