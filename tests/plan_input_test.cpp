// --plan for the companion programs: a folder is named as it stands, a
// .plan file is converted by plan2mesh's library in memory or into a
// private temporary folder that is gone once closed.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "plan2mesh.h"
#include "plan_input.h"
#include "scene_fixture.h"

namespace fs = std::filesystem;

namespace {

class PlanInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::path(::testing::TempDir()) / ("orvik_plan_input_" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "tmp");
    std::ofstream(dir / "s.plan") << "# door Gate = 2:2\n.EE\n...\n";
    setenv("TMPDIR", (dir / "tmp").c_str(), 1);
  }
  void TearDown() override {
    unsetenv("TMPDIR");
    fs::remove_all(dir);
  }
  fs::path dir;
};

// What plan2mesh writes for the same plan, worked out independently of the helper.
std::string convertedMesh(const std::string& text) {
  Plan plan;
  PlanError error;
  EXPECT_TRUE(parsePlan(text, plan, error));
  return formatMesh(plan);
}

}  // namespace

TEST_F(PlanInputTest, APlanFileInMemory) {
  PlanInput in;
  std::string error;
  ASSERT_TRUE(openPlanInput((dir / "s.plan").string(), PlanForm::InMemory, in, error)) << error;
  EXPECT_TRUE(in.converted);
  EXPECT_EQ(in.meshPath, "Mesh.csv");
  EXPECT_EQ(in.meshText, convertedMesh("# door Gate = 2:2\n.EE\n...\n"));
  EXPECT_EQ(in.exitText, "2\n3\n");
  EXPECT_TRUE(fs::is_empty(dir / "tmp"));
}

TEST_F(PlanInputTest, APlanFileAsFilesGoneOnceClosed) {
  PlanInput in;
  std::string error;
  ASSERT_TRUE(openPlanInput((dir / "s.plan").string(), PlanForm::Files, in, error)) << error;
  EXPECT_EQ(fs::path(in.scratchDir).parent_path(), dir / "tmp");
  EXPECT_EQ(readWholeFile(in.meshPath), convertedMesh("# door Gate = 2:2\n.EE\n...\n"));
  EXPECT_EQ(readWholeFile(in.exitPath), "2\n3\n");
  EXPECT_EQ(fs::status(in.scratchDir).permissions() & fs::perms::all, fs::perms::owner_all);
  closePlanInput(in);
  closePlanInput(in);
  EXPECT_TRUE(fs::is_empty(dir / "tmp"));
}

TEST_F(PlanInputTest, AFolderIsNamedAndOtherNamesRefused) {
  PlanInput in;
  std::string error;
  ASSERT_TRUE(openPlanInput(dir.string(), PlanForm::Files, in, error));
  EXPECT_FALSE(in.converted);
  EXPECT_EQ(in.meshPath, (dir / "Mesh.csv").string());
  EXPECT_EQ(in.exitPath, (dir / "ExitGrid.dat").string());
  EXPECT_FALSE(openPlanInput((dir / "s.txt").string(), PlanForm::Files, in, error));
  EXPECT_NE(error.find("is neither a folder with Mesh.csv and ExitGrid.dat nor a plan file"),
            std::string::npos) << error;
  std::ofstream(dir / "bad.plan") << "E\n.Q.x\n";
  EXPECT_FALSE(openPlanInput((dir / "bad.plan").string(), PlanForm::Files, in, error));
  EXPECT_EQ(error, (dir / "bad.plan").string() + ":2:4: unknown character 'x'");
  EXPECT_FALSE(openPlanInput((dir / "none.plan").string(), PlanForm::InMemory, in, error));
  EXPECT_NE(error.find("cannot read"), std::string::npos) << error;
  EXPECT_TRUE(fs::is_empty(dir / "tmp"));
}
