#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "plan2mesh.h"
#include "record_tags.h"
#include "scene/reader.h"
#include "scene_fixture.h"

namespace {

using PlanConversion = SceneTest;
using PlanTravelTimes = SceneTest;
using SampleStation = SceneTest;

// Three ragged lines, rock inside and beside them, every wall symbol kind:
//   row 3:  . P s        cells 1 2 3
//   row 2:  E   _ L      cells 4 5 6
//   row 1:  q .          cells 7 8
const std::string kSmallPlan = "# ragged on purpose\n.Ps\nE _L\nq.\n";

Plan parseOrFail(std::string_view text) {
  Plan plan;
  PlanError error;
  EXPECT_TRUE(parsePlan(text, plan, error)) << error.message;
  return plan;
}

PlanError refusal(std::string_view text) {
  Plan plan;
  PlanError error{};
  EXPECT_FALSE(parsePlan(text, plan, error));
  return error;
}

// Every side that names a cell is named back by that cell's opposite side.
void expectNeighboursAgree(const Plan& plan) {
  auto cell = [&](CellId id) { return plan.cells[static_cast<std::size_t>(id - 1)]; };
  for (std::size_t i = 0; i < plan.cells.size(); ++i) {
    const CellId id = static_cast<CellId>(i + 1);
    const PlanCell& c = plan.cells[i];
    ASSERT_TRUE(c.right == kNoCell || cell(c.right).left == id) << id;
    ASSERT_TRUE(c.left == kNoCell || cell(c.left).right == id) << id;
    ASSERT_TRUE(c.top == kNoCell || cell(c.top).bottom == id) << id;
    ASSERT_TRUE(c.bottom == kNoCell || cell(c.bottom).top == id) << id;
  }
}

struct Expected {
  CellId right, bottom, left, top;
  int column, row;
  WallFlags walls;  // top, left, bottom, right as the reader closes them
};

std::string readFile(const std::string& path) {
  const std::string bytes = readWholeFile(path);
  EXPECT_FALSE(bytes.empty()) << path;
  return bytes;
}

int runCommand(std::initializer_list<std::string> args, std::string& messages) {
  std::vector<const char*> argv{"plan2mesh"};
  for (const std::string& a : args) argv.push_back(a.c_str());
  testing::internal::CaptureStderr();
  const int status = runPlan2mesh(static_cast<int>(argv.size()), argv.data());
  messages = testing::internal::GetCapturedStderr();
  return status;
}

}  // namespace

TEST_F(PlanConversion, MeshReadsBackAsDrawn) {
  const Plan plan = parseOrFail(kSmallPlan);
  ASSERT_EQ(plan.cells.size(), 8u);
  expectNeighboursAgree(plan);
  readMeshText(formatMesh(plan));

  const Expected expected[] = {
      {2, 4, -1, -1, 1, 3, {1, 1, 0, 0}},   {3, -1, 1, -1, 2, 3, {1, 1, 1, 0}},
      {-1, 5, 2, -1, 3, 3, {1, 0, 0, 1}},   {-1, 7, -1, 1, 1, 2, {0, 1, 0, 1}},
      {6, -1, -1, 3, 3, 2, {0, 1, 1, 0}},   {-1, -1, 5, -1, 4, 2, {1, 1, 1, 1}},
      {8, -1, -1, 4, 1, 1, {0, 1, 1, 0}},   {-1, -1, 7, -1, 2, 1, {1, 0, 1, 1}},
  };
  for (CellId id = 1; id <= 8; ++id) {
    const Expected& e = expected[id - 1];
    SCOPED_TRACE(id);
    EXPECT_TRUE(cellNamed[id]);
    EXPECT_EQ(rightId[id], e.right);
    EXPECT_EQ(bottomId[id], e.bottom);
    EXPECT_EQ(leftId[id], e.left);
    EXPECT_EQ(topId[id], e.top);
    EXPECT_EQ(posX[id], e.column * kCellSize);
    EXPECT_EQ(posY[id], e.row * kCellSize);
    EXPECT_EQ(walls[id].top, e.walls.top);
    EXPECT_EQ(walls[id].left, e.walls.left);
    EXPECT_EQ(walls[id].bottom, e.walls.bottom);
    EXPECT_EQ(walls[id].right, e.walls.right);
  }
  EXPECT_FALSE(cellNamed[9]);
  EXPECT_EQ(formatExits(plan), "4\n");
}

TEST_F(PlanConversion, RecordsHoldThirteenFieldsWithKindAndPlace) {
  const std::string mesh = formatMesh(parseOrFail(kSmallPlan));
  TextCursor in = makeCursor(mesh);
  ASSERT_TRUE(skipMeshHeader(in));
  MeshRecord record{};
  FieldFailure failure{};
  int records = 0;
  while (readMeshRecord(in, record, failure)) ++records;
  EXPECT_EQ(records, 8);
  EXPECT_EQ(failure.result, FieldResult::EndOfText);
  // Cell 5 is the '_' on plan line 3 (the comment is line 1), grid column 3, row 2.
  EXPECT_NE(mesh.find("\n5 6 -1 -1 3 3 2 floor 0 1 - 3:3 _\n"), std::string::npos);
  EXPECT_NE(mesh.find("\n4 -1 7 -1 1 1 2 exit 0 0 exit 3:1 E\n"), std::string::npos);
  EXPECT_NE(mesh.find("\n7 8 -1 -1 4 1 1 platform 0 1 - 4:1 q\n"), std::string::npos);
}

TEST_F(PlanConversion, CommentsAndLineEndsDoNotMoveCells) {
  readMeshText(formatMesh(parseOrFail("#a\r\nE.\r\n# b\n.")));
  EXPECT_EQ(posY[1], 2 * kCellSize);  // two grid rows; comments are none
  EXPECT_EQ(posY[3], 1 * kCellSize);
  EXPECT_EQ(bottomId[1], 3);
  // A blank line is a row of rock: it separates and moves the rows above up.
  readMeshText(formatMesh(parseOrFail("E\n\n.\n")));
  EXPECT_EQ(posY[1], 3 * kCellSize);
  EXPECT_EQ(bottomId[1], -1);
  EXPECT_EQ(topId[2], -1);
}

TEST(PlanRefusals, NameThePlaceAndTheReason) {
  PlanError error = refusal("# comment\nE.\n..x.\n");
  EXPECT_EQ(error.line, 3);
  EXPECT_EQ(error.column, 3);
  EXPECT_EQ(describePlanError("st.plan", error), "st.plan:3:3: unknown character 'x'");
  error = refusal("E\t.\n");
  EXPECT_EQ(describePlanError("st.plan", error), "st.plan:1:2: unknown character byte 0x09");
  error = refusal("...\n.|.\n");
  EXPECT_EQ(describePlanError("st.plan", error),
            "st.plan: no exit cell ('E'); every cell would stay unreached");
}

// The longest line is counted in plan characters: the CR of a CR LF end
// is no column, so the longest line a LF file may hold passes with CR LF too.
TEST(PlanRefusals, TheLongestLineMayEndInCrLf) {
  const std::string rock(kMaxPlanColumns, ' ');
  Plan plan;
  PlanError error{};
  EXPECT_TRUE(parsePlan("E\n" + rock + "\n", plan, error)) << error.message;
  EXPECT_TRUE(parsePlan("E\r\n" + rock + "\r\n", plan, error)) << error.message;
  error = refusal("E\r\n" + rock + " \r\n");
  EXPECT_EQ(error.line, 2);
  EXPECT_EQ(error.message, "line longer than " + std::to_string(kMaxPlanColumns) + " characters");
  error = refusal("E\n" + rock + " ");
  EXPECT_EQ(error.line, 2);
}

TEST_F(PlanConversion, FillsTheTableToItsLastSlotAndNoFurther) {
  const std::string full = 'E' + std::string(kMaxCellId - 1, '.');
  const Plan plan = parseOrFail(full);
  ASSERT_EQ(plan.cells.size(), static_cast<std::size_t>(kMaxCellId));
  readMeshText(formatMesh(plan));
  EXPECT_TRUE(cellNamed[kMaxCellId]);
  EXPECT_EQ(leftId[kMaxCellId], kMaxCellId - 1);
  EXPECT_EQ(walls[kMaxCellId].right, 1);

  const PlanError error = refusal(full + "\n..");
  EXPECT_EQ(error.message, std::to_string(kMaxCellId + 2) + " cells; a mesh holds at most " +
                               std::to_string(kMaxCellId));
}

TEST_F(PlanTravelTimes, WallsForceTheWayRound) {
  // The '|' column keeps the exit's line from the right half; the '_' under
  // column 3 keeps row 2 from row 1 there.
  const Plan plan = parseOrFail("E.|..\n..|..\n.._..\n.....\n");
  readMeshText(formatMesh(plan));
  computeTravelTimesFromText(formatExits(plan));
  const int moves[] = {0, 1, 6, 7, 8,  //
                       1, 2, 5, 6, 7,  //
                       2, 3, 4, 5, 6,  //
                       3, 4, 5, 6, 7};
  for (CellId id = 1; id <= 20; ++id) {
    EXPECT_EQ(travelTime[id], kStepTime * moves[id - 1]) << "cell " << id;
  }
}

TEST(PlanCommand, WritesBothFilesOrRefuses) {
  const std::string dir = testing::TempDir();
  const std::string plan = dir + "plan2mesh_test.plan";
  std::FILE* file = std::fopen(plan.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fputs(kSmallPlan.c_str(), file);
  std::fclose(file);
  const std::string mesh = dir + "plan2mesh_test.csv";
  const std::string exits = dir + "plan2mesh_test.dat";
  std::string messages;

  EXPECT_EQ(runCommand({plan, mesh, exits}, messages), 0) << messages;
  EXPECT_EQ(messages, "");
  EXPECT_EQ(readFile(mesh), formatMesh(parseOrFail(kSmallPlan)));
  EXPECT_EQ(readFile(exits), "4\n");

  EXPECT_NE(runCommand({dir + "no-such.plan", mesh, exits}, messages), 0);
  EXPECT_NE(messages.find("cannot read " + dir + "no-such.plan"), std::string::npos) << messages;
  EXPECT_NE(runCommand({plan, dir + "no-such-dir/m.csv", exits}, messages), 0);
  EXPECT_NE(messages.find("cannot write " + dir + "no-such-dir/m.csv"), std::string::npos);
  EXPECT_NE(runCommand({plan, mesh}, messages), 0);
  EXPECT_NE(messages.find("usage"), std::string::npos);
}

// When the exit file cannot be written, the mesh beside it must not change
// either: a new mesh with the old exits would number other cells as exits.
TEST(PlanCommand, WritesBothFilesOrNeither) {
  const std::string dir = testing::TempDir() + "plan2mesh_pair_" + std::to_string(getpid()) + "/";
  ASSERT_EQ(::mkdir(dir.c_str(), 0700), 0);
  const std::string plan = dir + "p.plan";
  const std::string mesh = dir + "Mesh.csv";
  const std::string exits = dir + "ExitGrid.dat";
  { std::ofstream(plan) << kSmallPlan; }
  { std::ofstream(mesh) << "old mesh"; }
  ASSERT_EQ(::mkdir(exits.c_str(), 0700), 0);  // a folder where the exit file should go
  std::string messages;
  EXPECT_EQ(runCommand({plan, mesh, exits}, messages), 1);
  EXPECT_NE(messages.find("cannot write " + exits), std::string::npos) << messages;
  EXPECT_EQ(readWholeFile(mesh), "old mesh");
  ::rmdir(exits.c_str());
  std::remove(mesh.c_str());
  std::remove(plan.c_str());
  EXPECT_EQ(::rmdir(dir.c_str()), 0) << "temporary files left behind";
}

// Two of the three paths naming one file would overwrite the plan with the
// mesh, or leave only the exits; refused before anything is written.
TEST(PlanCommand, RefusesOneFileInTwoRoles) {
  const std::string dir = testing::TempDir() + "plan2mesh_same_" + std::to_string(getpid()) + "/";
  ASSERT_EQ(::mkdir(dir.c_str(), 0700), 0);
  const std::string plan = dir + "p.plan";
  { std::ofstream(plan) << kSmallPlan; }
  std::string messages;
  EXPECT_EQ(runCommand({plan, plan, dir + "x.dat"}, messages), 1);
  EXPECT_NE(messages.find("the plan and the mesh file are the same file"), std::string::npos)
      << messages;
  EXPECT_EQ(runCommand({plan, dir + "o", dir + "./o"}, messages), 1);
  EXPECT_NE(messages.find("the mesh file and the exit file are the same file"), std::string::npos)
      << messages;
  EXPECT_EQ(::symlink(plan.c_str(), (dir + "link").c_str()), 0);
  EXPECT_EQ(runCommand({dir + "link", dir + "m.csv", plan}, messages), 1);
  EXPECT_EQ(readWholeFile(plan), kSmallPlan);
  EXPECT_FALSE(std::ifstream(dir + "x.dat").good());
  EXPECT_FALSE(std::ifstream(dir + "o").good());
  std::remove((dir + "link").c_str());
  std::remove(plan.c_str());
  EXPECT_EQ(::rmdir(dir.c_str()), 0);
}

// Outputs are written through symbolic links, so a link to a file not yet
// there and that file are one target: both files would land in it, the
// exits over the mesh. Refused like any one file in two roles; a link to
// a file of its own is written through and stays a link.
TEST(PlanCommand, ALinkAndTheFileItNamesAreOneFile) {
  const std::string dir = testing::TempDir() + "plan2mesh_link_" + std::to_string(getpid()) + "/";
  ASSERT_EQ(::mkdir(dir.c_str(), 0700), 0);
  const std::string plan = dir + "p.plan";
  { std::ofstream(plan) << kSmallPlan; }
  ASSERT_EQ(::symlink("m.csv", (dir + "link").c_str()), 0);
  std::string messages;
  EXPECT_EQ(runCommand({plan, dir + "link", dir + "m.csv"}, messages), 1);
  EXPECT_NE(messages.find("the mesh file and the exit file are the same file"), std::string::npos)
      << messages;
  EXPECT_FALSE(std::ifstream(dir + "m.csv").good());
  EXPECT_EQ(runCommand({plan, dir + "link", dir + "x.dat"}, messages), 0) << messages;
  struct stat info {};
  ASSERT_EQ(::lstat((dir + "link").c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  EXPECT_EQ(readWholeFile(dir + "m.csv"), formatMesh(parseOrFail(kSmallPlan)));
  for (const char* name : {"link", "m.csv", "x.dat", "p.plan"}) std::remove((dir + name).c_str());
  EXPECT_EQ(::rmdir(dir.c_str()), 0) << "temporary files left behind";
}

// The shipped station must keep showing the whole colour scale: cells near
// exits, cells over five minutes that are still reached, and unreached ones.
TEST_F(SampleStation, ShowsTheWholeTimeRange) {
  const Plan plan = parseOrFail(readFile(ORVIK_IN_DIR "/station.plan"));
  EXPECT_GE(plan.cells.size(), 25000u);
  EXPECT_GE(plan.exits.size(), 4u);
  expectNeighboursAgree(plan);
  readMeshText(readFile(ORVIK_IN_DIR "/Mesh.csv"));
  computeTravelTimesFromText(readFile(ORVIK_IN_DIR "/ExitGrid.dat"));
  int overFiveMinutes = 0;
  int unreached = 0;
  for (CellId id = 1; id <= static_cast<CellId>(plan.cells.size()); ++id) {
    if (travelTime[id] == kUnreachedTime) {
      ++unreached;
    } else if (travelTime[id] >= 300.0f) {
      ++overFiveMinutes;
    }
  }
  EXPECT_GT(overFiveMinutes, 0);
  EXPECT_GT(unreached, 0);
}

// Field 11 carries names with blanks, separators and non-ASCII bytes as one
// word that the program's reader keeps and the tools read back unchanged.
TEST(RecordTags, NamesSurviveTheRecordWordAndReadBack) {
  const std::string awkward = "North stair; 50%=\"B\"\tñ";
  const std::string tags = formatTags({{kExitTag, ""}, {kDoorTag, awkward}, {kLevelTag, "-1"}});
  EXPECT_EQ(tags, "exit;door=North%20stair%3B%2050%25%3D\"B\"%09ñ;level=-1");
  const std::string mesh = "h\nh\nh\n1 -1 -1 -1 -1 1 1 exit 0 0 " + tags + " 1:1 E\n";
  TextCursor in = makeCursor(mesh, 7);  // the word straddles pieces
  ASSERT_TRUE(skipMeshHeader(in));
  MeshRecord record{};
  FieldFailure failure{};
  ASSERT_TRUE(readMeshRecord(in, record, failure, true));
  std::string value;
  EXPECT_TRUE(hasTag(record.tags.view(), kExitTag));
  ASSERT_TRUE(findTag(record.tags.view(), kDoorTag, value));
  EXPECT_EQ(value, awkward);
  ASSERT_TRUE(findTag(record.tags.view(), kLevelTag, value));
  EXPECT_EQ(value, "-1");
  // No tags, a key that is only a prefix of another, a broken escape.
  EXPECT_EQ(formatTags({}), "-");
  EXPECT_FALSE(hasTag("-", kExitTag));
  EXPECT_FALSE(findTag("doorway=x;exits", kDoorTag, value));
  EXPECT_FALSE(hasTag("doorway=x;exits", kExitTag));
  ASSERT_TRUE(findTag("door=100%;level=%4", kDoorTag, value));
  EXPECT_EQ(value, "100%");
}
