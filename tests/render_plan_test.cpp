// orvik-render's --plan FILE.plan: a plan file stands for itself on the
// command line; before any picture it is converted once into a private
// temporary folder, the paths of every output that uses it point there,
// and closing leaves nothing behind. Folders are checked, not converted.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "plan2mesh.h"
#include "plan_files.h"
#include "render.h"
#include "scene_fixture.h"

namespace fs = std::filesystem;

namespace {

constexpr char kPlanText[] = "E..\n.|e\n";

bool parse(std::vector<const char*> args, RenderRequest& request, std::string& error) {
  args.insert(args.begin(), "orvik-render");
  return parseRenderArguments(static_cast<int>(args.size()), args.data(), request, error);
}

class RenderPlanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::path(::testing::TempDir()) / ("orvik_render_plan_" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "tmp");
    fs::create_directories(dir / "folder");
    std::ofstream(dir / "s.plan") << kPlanText;
    std::ofstream(dir / "bad.plan") << "E.x\n";
    setenv("TMPDIR", (dir / "tmp").c_str(), 1);
  }
  void TearDown() override {
    unsetenv("TMPDIR");
    fs::remove_all(dir);
  }
  std::string at(const char* name) const { return (dir / name).string(); }
  fs::path dir;
};

}  // namespace

TEST(RenderArguments, APlanFileStandsForItselfAndGoesOnlyWithPlan) {
  RenderRequest r;
  std::string error;
  ASSERT_TRUE(parse({"--plan", "s.plan", "a.png", "--exits", "e.dat", "b.png", "--plan", "d",
                     "c.png"},
                    r, error))
      << error;
  EXPECT_EQ(r.jobs[0].meshPath, "s.plan");
  EXPECT_EQ(r.jobs[0].exitPath, "s.plan");
  EXPECT_EQ(r.jobs[0].planExitPath, "s.plan");
  EXPECT_EQ(r.jobs[1].planPath, "s.plan");
  EXPECT_EQ(r.jobs[1].exitPath, "e.dat");
  EXPECT_EQ(r.jobs[2].planPath, "d");
  EXPECT_EQ(r.jobs[2].meshPath, "d/Mesh.csv");
  EXPECT_FALSE(parse({"--mesh", "s.plan", "a.png"}, r, error));
  EXPECT_EQ(error, "--mesh takes a mesh file; a plan file goes with --plan: s.plan");
  EXPECT_FALSE(parse({"--plan", "d", "--exits", "other.plan", "a.png"}, r, error));
  EXPECT_EQ(error, "--exits takes an exit file; a plan file goes with --plan: other.plan");
}

TEST_F(RenderPlanTest, ConvertedOnceForEveryOutputAndRemoved) {
  RenderRequest r;
  std::string error;
  const std::string plan = at("s.plan");
  ASSERT_TRUE(parse({"--plan", plan.c_str(), "a.png", "--mesh", "m.csv", "c.png", "--plan",
                     plan.c_str(), "--exits", "e.dat", "b.png"},
                    r, error));
  RenderPlans plans;
  ASSERT_EQ(openRenderPlans(r, plans, error), 0) << error;
  ASSERT_EQ(plans.opened.size(), 1u);
  const PlanInput& converted = plans.opened[0];
  EXPECT_EQ(fs::path(converted.scratchDir).parent_path(), dir / "tmp");
  Plan parsed;
  PlanError refusal;
  ASSERT_TRUE(parsePlan(kPlanText, parsed, refusal));
  EXPECT_EQ(readWholeFile(converted.meshPath), formatMesh(parsed));
  EXPECT_EQ(readWholeFile(converted.exitPath), formatExits(parsed));
  const RenderJob& a = r.jobs[0];
  EXPECT_EQ(a.meshPath, converted.meshPath);
  EXPECT_EQ(a.exitPath, converted.exitPath);
  EXPECT_EQ(a.planExitPath, converted.exitPath);
  EXPECT_TRUE(a.meshFromPlan && a.exitsFromPlan);
  const RenderJob& b = r.jobs[2];  // another exit file: the plan's still marks blocked doors
  EXPECT_EQ(b.exitPath, "e.dat");
  EXPECT_EQ(b.planExitPath, converted.exitPath);
  EXPECT_TRUE(b.meshFromPlan && !b.exitsFromPlan);
  const RenderJob& c = r.jobs[1];  // a mesh of its own: no plan exit file to compare with
  EXPECT_EQ(c.meshPath, "m.csv");
  EXPECT_EQ(c.planExitPath, "");
  EXPECT_TRUE(!c.meshFromPlan && c.exitsFromPlan);
  EXPECT_EQ(c.exitPath, converted.exitPath);
  closeRenderPlans(plans);
  closeRenderPlans(plans);
  EXPECT_TRUE(fs::is_empty(dir / "tmp"));
}

TEST_F(RenderPlanTest, FoldersCheckedMissingAndBadPlansRefusedLeavingNothing) {
  RenderRequest r;
  std::string error;
  RenderPlans plans;
  const std::string folder = at("folder");
  ASSERT_TRUE(parse({"--plan", folder.c_str(), "a.png"}, r, error));
  ASSERT_EQ(openRenderPlans(r, plans, error), 0) << error;
  EXPECT_EQ(r.jobs[0].meshPath, folder + "/Mesh.csv");  // read later, as the program reads it
  EXPECT_FALSE(r.jobs[0].meshFromPlan);
  closeRenderPlans(plans);
  // A good plan first, then one that fails: the first conversion goes too.
  const std::string good = at("s.plan");
  const struct {
    std::string name;
    int status;
    std::string says;
  } cases[] = {{at("nowhere"), 2, "nowhere is neither a folder with Mesh.csv and ExitGrid.dat"},
               {at("nowhere.plan"), 1, "cannot read " + at("nowhere.plan") + ": No such file"},
               {at("bad.plan"), 1, at("bad.plan") + ":1:3: unknown character 'x'"}};
  for (const auto& c : cases) {
    ASSERT_TRUE(parse({"--plan", good.c_str(), "a.png", "--plan", c.name.c_str(), "b.png"}, r, error));
    EXPECT_EQ(openRenderPlans(r, plans, error), c.status) << c.name;
    EXPECT_NE(error.find(c.says), std::string::npos) << error;
    EXPECT_TRUE(plans.opened.empty());
    EXPECT_TRUE(fs::is_empty(dir / "tmp")) << c.name;
  }
}
