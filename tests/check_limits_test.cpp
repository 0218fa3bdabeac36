// orvik-check where an input or a request has no end in sight: a header
// line beyond its bound, and outputs of one run that would land on each
// other.
#include <unistd.h>

#include <filesystem>

#include "check.h"
#include "check_internal.h"
#include "scene_fixture.h"

namespace {

using CheckLimits = SceneTest;

}  // namespace

// A header line over 1 MiB ends the reading there, in pieces or not, with
// the line named and status 1; one byte less is still a header line.
TEST_F(CheckLimits, HeaderLineOverItsBoundEndsTheReading) {
  const std::string record = meshRecord(1, -1, -1, -1, -1, 1, 1);
  const std::string longest(static_cast<std::size_t>(kMaxHeaderLineBytes), 'h');
  for (const std::size_t pieces : {std::size_t{0}, std::size_t{4096}}) {
    const CheckReport over =
        checkPlanTexts("m.csv", "h\n" + longest + "h\nh\n" + record, "e.dat", "1\n", pieces);
    const auto& found = over.findings[static_cast<int>(FindingKind::ShortHeader)];
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].line, 2);
    EXPECT_NE(messageText(found[0].message).find("header line 2 is longer than 1048576 bytes"),
              std::string::npos);
    EXPECT_EQ(over.mesh.recordsRead, 0);
    EXPECT_EQ(checkExitStatus(over), 1);
    const CheckReport fits =
        checkPlanTexts("m.csv", "h\n" + longest + "\nh\n" + record, "e.dat", "1\n", pieces);
    EXPECT_EQ(fits.mesh.recordsStored, 1);
    EXPECT_EQ(fits.findingCounts[static_cast<int>(FindingKind::ShortHeader)], 0);
  }
}

// Two doors of one cell and a door of two (exits 1, 12 and 3 4 in a row of
// a corridor cut by walls), for the bounds of --blocked.
namespace {

std::string threeDoors() {
  // 1 | 2 ... 11 | 12, and 3 4 side by side: cells 1..12 in one row,
  // walls left of 2 and of 12 leave 1 and 12 alone.
  std::string mesh = kHeader;
  for (int c = 1; c <= 12; ++c) {
    mesh += std::to_string(c) + ' ' + std::to_string(c < 12 ? c + 1 : -1) + " -1 " +
            std::to_string(c > 1 ? c - 1 : -1) + " -1 " + std::to_string(c) + " 1 floor " +
            (c == 2 || c == 12 ? "1" : "0") + " 0 - - -\n";
  }
  return mesh;
}

}  // namespace

TEST_F(CheckLimits, MaxDoorsRefusesBeforeAnyDoorIsBlocked) {
  CheckOptions options;
  options.blocked = true;
  options.maxDoors = 2;
  const CheckReport over = checkPlanTexts("m.csv", threeDoors(), "e.dat", "1 12 3 4", 0, options);
  EXPECT_EQ(over.refusal,
            "the plan has 3 doors, more than --max-doors 2: --blocked would walk the whole plan "
            "once a door; nothing is written");
  EXPECT_TRUE(over.doors.empty());
  EXPECT_EQ(checkExitStatus(over), 2);
  options.maxDoors = 3;
  const CheckReport fits = checkPlanTexts("m.csv", threeDoors(), "e.dat", "1 12 3 4", 0, options);
  EXPECT_TRUE(fits.refusal.empty());
  ASSERT_EQ(fits.doors.size(), 3u);
  EXPECT_EQ(fits.doors[2].cells, 2);
}

// Each exit file lists every exit but its own door's, one a line: 7, 6
// and 5 bytes for the doors of 1, of 12 and of 3 4.
TEST_F(CheckLimits, DoorFilesAreSizedAndKnownBeforeTheyAreWritten) {
  const std::string dir = ::testing::TempDir() + "orvik-doors-" + std::to_string(::getpid());
  CheckOptions options;
  options.blocked = true;
  options.exitsDir = dir;
  const CheckReport r = checkPlanTexts("m.csv", threeDoors(), "e.dat", "1 12 3 4", 0, options);
  EXPECT_EQ(doorFilesBytes(r), 18);
  EXPECT_TRUE(isDoorExitFile(r, dir + "/door2-c12-r1.dat"));
  EXPECT_TRUE(isDoorExitFile(r, dir + "/door3-c3-r1.dat"));
  EXPECT_FALSE(isDoorExitFile(r, dir + "/door4-c3-r1.dat"));
  EXPECT_FALSE(isDoorExitFile(r, "door1-c1-r1.dat"));
  options.exitsDir.clear();
  EXPECT_EQ(doorFilesBytes(checkPlanTexts("m.csv", threeDoors(), "e.dat", "1", 0, options)), 0);
}

// The progress line: done of all, and the time left at the pace so far,
// in seconds below a minute and in minutes from there; none at the start,
// at the end, or where the pace is not steady.
TEST(CheckProgress, LineTellsDoneAndTimeLeft) {
  EXPECT_EQ(progressLine("doors blocked", 0, 16200, 0.0), "orvik-check: 0 of 16200 doors blocked");
  EXPECT_EQ(progressLine("doors blocked", 100, 400, 10.0),
            "orvik-check: 100 of 400 doors blocked, about 30 s left");
  EXPECT_EQ(progressLine("doors blocked", 1000, 16200, 16.5),
            "orvik-check: 1000 of 16200 doors blocked, about 4 min left");
  EXPECT_EQ(progressLine("doors blocked", 400, 400, 40.0), "orvik-check: 400 of 400 doors blocked");
  EXPECT_EQ(progressLine("cells settled", 4096, 33412, -1),
            "orvik-check: 4096 of 33412 cells settled");
}

// Kind words past the 64 entries of the table share the last, named
// "(other kinds)": a corridor of 70 cells, each of a kind of its own, the
// exit at cell 1 (kind k1), every other cell over a limit of 0 s.
TEST_F(CheckLimits, KindsPastTheTableShareOneEntry) {
  std::string mesh = kHeader;
  for (int c = 1; c <= 70; ++c) {
    mesh += std::to_string(c) + ' ' + std::to_string(c < 70 ? c + 1 : -1) + " -1 " +
            std::to_string(c > 1 ? c - 1 : -1) + " -1 " + std::to_string(c) + " 1 k" +
            std::to_string(c) + " 0 0 - - -\n";
  }
  CheckOptions options;
  options.limitGiven = true;
  options.limitSeconds = 0;
  const CheckReport r = checkPlanTexts("m.csv", mesh, "e.dat", "1\n", 0, options);
  const std::vector<KindOverLimit>& kinds = r.limitAllExits.kinds;
  ASSERT_EQ(r.limitAllExits.over, 69);
  int shared = 0;  // cells 64..70 (kinds k64..k70) land in the shared entry
  for (const KindOverLimit& k : kinds) {
    if (k.kind == "(other kinds)") shared = k.cells;
    EXPECT_NE(k.kind, "k64");
  }
  EXPECT_EQ(kinds.size(), 63u);  // k2..k63 and the shared entry; k1 is the exit
  EXPECT_EQ(shared, 7);
}
