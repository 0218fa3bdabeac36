// orvik-render --annotate without OpenGL: its options, the doors against
// orvik-check's own grouping, the colours, the layout's fit and ticks,
// and the text of the compiled fonts.
#include "report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "check.h"
#include "scene_fixture.h"

namespace {

bool parse(std::vector<const char*> args, RenderRequest& request, std::string& error) {
  args.insert(args.begin(), "orvik-render");
  return parseRenderArguments(static_cast<int>(args.size()), args.data(), request, error);
}

// A mesh record with field 11 as given; walls on its left and bottom.
std::string tagged(int cell, int right, int bottom, int left, int top, int column, int row,
                   const std::string& tags, int leftWall = 0) {
  return std::to_string(cell) + ' ' + std::to_string(right) + ' ' + std::to_string(bottom) + ' ' +
         std::to_string(left) + ' ' + std::to_string(top) + ' ' + std::to_string(column) + ' ' +
         std::to_string(row) + " floor " + std::to_string(leftWall) + " 0 " + tags + " p c\n";
}

// Five cells in a row, 1..5 at columns 1..5, a wall between 4 and 5; cell
// 6 above cell 1. Exits 1, 2 (one door, named on cell 2), 4 and 5 (two
// doors, the wall between them) and 6 (joined to 1 through an open side).
std::string doorMesh() {
  std::string text = kHeader;
  text += tagged(1, 2, -1, -1, 6, 1, 1, "exit;level=Street");
  text += tagged(2, 3, -1, 1, -1, 2, 1, "exit;door=North%20stair;level=Street");
  text += tagged(3, 4, -1, 2, -1, 3, 1, "level=Street");
  text += tagged(4, 5, -1, 3, -1, 4, 1, "exit;level=Hall");
  text += tagged(5, -1, -1, 4, -1, 5, 1, "exit;door=Lift;level=Hall", 1);
  text += tagged(6, -1, 1, -1, -1, 1, 2, "exit");
  return text;
}

void readTagged(const std::string& mesh) {
  clearScene();
  clearRecordFacts();
  TextCursor in = makeCursor(mesh);
  MeshReading seen{noteRecordFacts, nullptr, true, false, nullptr, nullptr, 0, 0};
  readMesh(in, &seen);
}

}  // namespace

TEST(ReportArguments, OptionsCarryOnAndReplaceEachOther) {
  RenderRequest r;
  std::string error;
  ASSERT_TRUE(parse(
      {"--plan",      "p",       "--annotate", "--limit",     "240.5",    "--region", "9,7,2,1",
       "--cell-size", "0.5",     "a.png",      "--scale-max", "600",      "--mesh",   "m.csv",
       "b.png",       "--title", "Süd",        "--region",    "Platform", "c.png"},
      r, error))
      << error;
  ASSERT_EQ(r.jobs.size(), 3u);
  const ReportOptions& a = r.jobs[0].report;
  EXPECT_TRUE(a.on);
  EXPECT_TRUE(a.limitGiven);
  EXPECT_EQ(a.limit, 240.5);
  EXPECT_EQ(a.region.kind, ReportRegion::Kind::Grid);
  EXPECT_EQ(a.region.column0 * 1000 + a.region.row0, 2001);  // either corner first
  EXPECT_EQ(a.region.column1 * 1000 + a.region.row1, 9007);
  EXPECT_EQ(a.cellSize, 0.5);
  EXPECT_EQ(r.jobs[0].planExitPath, "p/ExitGrid.dat");
  const ReportOptions& b = r.jobs[1].report;
  EXPECT_FALSE(b.limitGiven);  // --scale-max replaced it
  EXPECT_EQ(b.scaleMax, 600.0);
  EXPECT_EQ(b.cellSize, 0.5);
  EXPECT_EQ(r.jobs[1].planExitPath, "");  // a mesh of its own: no plan to compare exits with
  const ReportOptions& c = r.jobs[2].report;
  EXPECT_EQ(c.title, "Süd");
  EXPECT_EQ(c.region.kind, ReportRegion::Kind::Level);
  EXPECT_EQ(c.region.level, "Platform");
  ASSERT_TRUE(parse({"a.png"}, r, error));
  EXPECT_FALSE(r.jobs[0].report.on);
  EXPECT_EQ(r.jobs[0].planExitPath, "../in/ExitGrid.dat");
}

// --block belongs to the one output after it, and refuses exits or times
// of the user's own for that output; --plan again clears the --exits.
TEST(ReportArguments, BlockHoldsForOneOutputAndOnlyOverThePlansExits) {
  RenderRequest r;
  std::string error;
  ASSERT_TRUE(parse({"--block", "Lift", "--block", "1", "a.png", "b.png", "--exits", "x.dat",
                     "c.png", "--plan", "p", "--block", "2", "d.png"},
                    r, error))
      << error;
  ASSERT_EQ(r.jobs.size(), 4u);
  EXPECT_EQ(r.jobs[0].block, (std::vector<std::string>{"Lift", "1"}));
  EXPECT_TRUE(r.jobs[1].block.empty());
  EXPECT_EQ(r.jobs[3].block, (std::vector<std::string>{"2"}));
  EXPECT_EQ(r.jobs[3].exitPath, "p/ExitGrid.dat");
  EXPECT_FALSE(parse({"--exits", "x.dat", "a.png", "--block", "1", "b.png"}, r, error));
  EXPECT_EQ(error.rfind("--block and --exits for one output (b.png)", 0), 0u) << error;
  // With a times CSV, --block marks the door only: the CSV still colours the map.
  ASSERT_TRUE(parse({"--times", "t.csv", "--block", "1", "a.png"}, r, error)) << error;
  EXPECT_EQ(r.jobs[0].timesPath, "t.csv");
  EXPECT_EQ(r.jobs[0].block, (std::vector<std::string>{"1"}));
  EXPECT_FALSE(parse({"a.png", "--block", "1"}, r, error));
  EXPECT_NE(error.find("options after the last output"), std::string::npos) << error;
  EXPECT_FALSE(parse({"--block", "", "a.png"}, r, error));
  EXPECT_EQ(error, "--block needs a value that is not empty");
}

// Decimal numbers only: what strtod would also read is refused.
TEST(ReportArguments, NumbersAndRegionsRefused) {
  double value = 0;
  for (const char* text : {"0x10", "1e3", "-5", "+5", "0", "0.0", "inf", "nan", " 5", "5 ", "", ".",
                           "1.2.3", "2000000"}) {
    EXPECT_FALSE(parsePlainDecimal(text, 1e6, value)) << text;
  }
  ASSERT_TRUE(parsePlainDecimal("0.25", 1e6, value));
  EXPECT_EQ(value, 0.25);
  ASSERT_TRUE(parsePlainDecimal("240.", 1e6, value));
  EXPECT_EQ(value, 240.0);
  ReportRegion region{};
  std::string error;
  for (const char* text : {"1,2,3", "1,2,3,4,5", "1,,3,4", "1.5,2,3,4", "1,2,3,99999999999"}) {
    EXPECT_FALSE(parseRegion(text, region, error)) << text;
    EXPECT_NE(error.find("--region takes COLUMN,ROW,COLUMN,ROW"), std::string::npos) << error;
  }
  ASSERT_TRUE(parseRegion("-3,4,2,-1", region, error)) << error;
  EXPECT_EQ(region.column0 * 100 + region.row0, -301);
  RenderRequest r;
  EXPECT_FALSE(parse({"--annotate", "--limit", "240", "--scale-max", "300", "a.png"}, r, error));
  EXPECT_NE(error.find("--limit and --scale-max"), std::string::npos) << error;
  EXPECT_FALSE(parse({"--cell-size", "2", "a.png"}, r, error));
  EXPECT_EQ(error, "--cell-size is for annotated pictures: give --annotate before a.png");
  EXPECT_FALSE(parse({"--annotate", "--size", "319x600", "a.png"}, r, error));
  EXPECT_NE(error.find("too small for an annotated picture"), std::string::npos) << error;
}

class ReportDoors : public SceneTest {};

// The doors and their numbers are orvik-check's for the same files; names
// come decoded from the first tagged cell; a cell that only the plan lists
// is blocked, and a door missing some of its cells is partly blocked.
TEST_F(ReportDoors, GroupedAndNumberedAsTheCheckerDoes) {
  CheckOptions options;
  options.blocked = true;
  const std::string exits = "4 2 6 5 1 2\n";
  const CheckReport checked = checkPlanTexts("m.csv", doorMesh(), "e.dat", exits, 0, options);
  readTagged(doorMesh());
  const std::vector<CellId> plan = {4, 2, 6, 5, 1, 2};
  const std::vector<ReportDoor> doors = groupReportDoors(plan, plan);
  ASSERT_EQ(doors.size(), checked.doors.size());
  for (std::size_t i = 0; i < doors.size(); ++i) {
    EXPECT_EQ(doors[i].number, checked.doors[i].number);
    EXPECT_EQ(doors[i].cells.front(), checked.doors[i].first) << i;
    EXPECT_EQ(static_cast<int>(doors[i].cells.size()), checked.doors[i].cells) << i;
    EXPECT_TRUE(doors[i].blocked.empty());
  }
  ASSERT_EQ(doors.size(), 3u);
  EXPECT_EQ(doors[0].name, "");  // cell 4 alone: the wall parts it from 5
  EXPECT_EQ(doors[1].name, "North stair");
  EXPECT_EQ(doorCalled(doors[0]), "door 1");
  EXPECT_EQ(doors[1].column0 * 1000 + doors[1].row0, 1001);
  EXPECT_EQ(doors[1].column1 * 1000 + doors[1].row1, 2002);
  const std::vector<ReportDoor> cut = groupReportDoors(plan, {4, 6, 5});
  ASSERT_EQ(cut.size(), 3u);
  EXPECT_EQ(cut[1].blocked, (std::vector<CellId>{2, 1}));
  EXPECT_EQ(cut[1].cells.size(), 3u);
  ReportOptions limit = defaultReportOptions();
  const ReportWords words = composeReportWords(limit, ReportSubject{"p", "", "x.dat", "", ""}, cut);
  EXPECT_NE(words.subtitle.find("blocked: North stair (partly)"), std::string::npos)
      << words.subtitle;
  // An exit the drawn file adds comes after the plan's doors.
  const std::vector<ReportDoor> added = groupReportDoors({5}, {5, 3});
  ASSERT_EQ(added.size(), 2u);
  EXPECT_EQ(added[1].cells, (std::vector<CellId>{3}));
}

// --block takes a door as orvik-check --block does (by name, then by
// number; the same refusal), drops every cell of it, and names the one
// door's exits as orvik-check --exits-dir names that door's file.
TEST_F(ReportDoors, BlockedByNameOrNumberAsTheCheckerTakesThem) {
  readTagged(doorMesh());
  const std::vector<CellId> plan = {4, 2, 6, 5, 1};  // doors: 1 {4}, 2 {2, 6, 1}, 3 {5}
  std::vector<CellId> open;
  std::string file, error;
  ASSERT_TRUE(exitsWithoutDoors(plan, {"North stair"}, open, file, error)) << error;
  EXPECT_EQ(open, (std::vector<CellId>{4, 5}));
  EXPECT_EQ(file, "door2-c2-r1.dat");  // its first cell in the exit file: 2, at column 2
  ASSERT_TRUE(exitsWithoutDoors(plan, {"3", "Lift"}, open, file, error)) << error;
  EXPECT_EQ(open, (std::vector<CellId>{4, 2, 6, 1}));
  EXPECT_EQ(file, "door3-c5-r1.dat");
  ASSERT_TRUE(exitsWithoutDoors(plan, {"Lift", "1"}, open, file, error)) << error;
  EXPECT_EQ(open, (std::vector<CellId>{2, 6, 1}));
  EXPECT_EQ(file, "");  // two doors: no single door file
  for (const char* wrong : {"4", "0", "+1", " 1", "1.0", "north stair", "Lift "}) {
    EXPECT_FALSE(exitsWithoutDoors(plan, {"1", wrong}, open, file, error)) << wrong;
    CheckOptions options;
    options.block = {wrong};
    const CheckReport checked =
        checkPlanTexts("m.csv", doorMesh(), "e.dat", "4 2 6 5 1\n", 0, options);
    EXPECT_EQ(error, checked.blockError) << wrong;
  }
  EXPECT_EQ(error, "no door is named or numbered \"Lift \"; the doors are: 1, 2 \"North stair\", "
                   "3 \"Lift\"");
  EXPECT_FALSE(exitsWithoutDoors({}, {"1"}, open, file, error));
  EXPECT_EQ(error, "no door is named or numbered \"1\"; the doors are: none");
}

TEST_F(ReportDoors, RegionOfALevelOrItsAbsence) {
  readTagged(doorMesh());
  GridBox box{};
  std::string error;
  ASSERT_TRUE(regionBox(ReportRegion{ReportRegion::Kind::Level, 0, 0, 0, 0, "Hall"}, box, error));
  EXPECT_EQ(box.column0 * 1000 + box.row0, 4001);
  EXPECT_EQ(box.column1 * 1000 + box.row1, 5001);
  ASSERT_TRUE(regionBox(ReportRegion{ReportRegion::Kind::Whole, 0, 0, 0, 0, ""}, box, error));
  EXPECT_EQ(box.column1 * 1000 + box.row1, 5002);
  EXPECT_FALSE(regionBox(ReportRegion{ReportRegion::Kind::Level, 0, 0, 0, 0, "Roof"}, box, error));
  EXPECT_EQ(error, "--region Roof: the plan has no level of that name (its levels: Street, Hall)");
}

TEST(ReportColours, LimitSplitsAtTheLimitAndTheScaleStretches) {
  ReportOptions o = defaultReportOptions();
  o.limitGiven = true;
  o.limit = 240;
  EXPECT_EQ(reportTimeColour(0, o).blue, kWithinColour.blue);
  EXPECT_EQ(reportTimeColour(240, o).blue, kWithinColour.blue);
  EXPECT_EQ(reportTimeColour(240.25f, o).blue, kOverColour.blue);
  EXPECT_EQ(reportTimeColour(kUnreachedTime, o).red, kUnreachedColour.red);
  o = defaultReportOptions();
  o.scaleMaxGiven = true;
  o.scaleMax = 600;
  for (float t : {0.0f, 50.0f, 150.0f, 333.0f, 599.0f, 600.0f, 5000.0f}) {
    const ColorRGB want = timeToColor(t / 2);
    const ColorRGB got = reportTimeColour(t, o);
    EXPECT_NEAR(got.red, want.red, 1e-6) << t;
    EXPECT_NEAR(got.green, want.green, 1e-6) << t;
    EXPECT_NEAR(got.blue, want.blue, 1e-6) << t;
  }
  EXPECT_EQ(reportTimeColour(kUnreachedTime, o).green, kUnreachedColour.green);
}

// A 30 by 10 region in a wide, a tall and a square picture: square cells,
// centred, inside the map area and filling it one way.
TEST(ReportLayout, RegionFitsAnySizeWithSquareCells) {
  const GridBox box{3, 2, 32, 11};
  const ReportOptions o = defaultReportOptions();
  const ReportWords words{"t", "s", "c", "l", "u"};
  for (const auto& [w, h] : {std::pair{1400, 360}, std::pair{400, 900}, std::pair{800, 800}}) {
    const ReportLayout l = layoutReport(w, h, box, o, words, {});
    const PixelBox& m = l.mapBox;
    EXPECT_NEAR((m.x1 - m.x0) / 30, (m.y1 - m.y0) / 10, 1e-9) << w << "x" << h;
    EXPECT_NEAR(pictureX(l, 2 * 2), m.x0, 1e-9);   // column 3's left side
    EXPECT_NEAR(pictureY(l, 2 * 11), m.y1, 1e-9);  // row 11's top side
    EXPECT_GE(m.x0, l.mapArea.x0);
    EXPECT_LE(m.x1, l.mapArea.x1);
    EXPECT_GE(m.y0, l.mapArea.y0);
    EXPECT_LE(m.y1, l.mapArea.y1);
    const double spareX = (l.mapArea.x1 - l.mapArea.x0) - (m.x1 - m.x0);
    const double spareY = (l.mapArea.y1 - l.mapArea.y0) - (m.y1 - m.y0);
    EXPECT_NEAR(std::min(spareX, spareY), 8, 1e-9) << w << "x" << h;  // the padding only
    EXPECT_NEAR(m.x0 - l.mapArea.x0, l.mapArea.x1 - m.x1, 1e-9);
    EXPECT_GT(l.mapArea.y0, l.barBox.y1);  // the legend stays below the map
  }
  // A region as wide as 32 bits go, and a mesh's columns there: no overflow.
  const ReportLayout huge =
      layoutReport(800, 600, GridBox{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, o, words, {});
  EXPECT_TRUE(std::isfinite(huge.left) && std::isfinite(huge.pxPerUnit) && huge.pxPerUnit > 0);
  const ReportDoor corner{1, "", {1}, {}, INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN};
  EXPECT_TRUE(std::isfinite(doorMark(huge, corner).x0));
}

// A door's name in its white box must not hide another door's mark: two
// blocked doors three cells apart, each name longer than the gap.
TEST(ReportLayout, DoorNamesCoverNoDoorsMark) {
  const GridBox box{0, 0, 40, 10};
  const ReportWords words{"t", "s", "c", "l", "u"};
  const std::vector<ReportDoor> doors = {
      ReportDoor{1, "Market Street stair", {1}, {1}, 5, 10, 5, 10},
      ReportDoor{2, "Museum stair", {2}, {2}, 8, 10, 8, 10},
      ReportDoor{3, "", {3}, {}, 8, 0, 9, 0}};
  const ReportLayout l = layoutReport(800, 400, box, defaultReportOptions(), words, doors);
  EXPECT_EQ(l.doorLabelBoxes.size(), 3u);
  for (const PixelBox& label : l.doorLabelBoxes) {
    for (const ReportDoor& door : doors) {
      const PixelBox mark = doorMark(l, door);
      EXPECT_FALSE(label.x0 < mark.x1 && mark.x0 < label.x1 && label.y0 < mark.y1 &&
                   mark.y0 < label.y1)
          << "a name at x " << label.x0 << " covers door " << door.number;
    }
  }
}

TEST(ReportLayout, TicksEveryMinuteLabelsThinnedScaleBarNice) {
  std::vector<LegendTick> t = legendTicks(10, 450, 300, 7);
  ASSERT_EQ(t.size(), 6u);
  for (int m = 0; m <= 5; ++m) {
    EXPECT_EQ(t[m].x, 10 + 90.0 * m);
    EXPECT_TRUE(t[m].labelled);
  }
  t = legendTicks(0, 450, 3600, 14);  // 7.5 px a minute: labels every 5 minutes
  ASSERT_EQ(t.size(), 61u);
  EXPECT_EQ(std::count_if(t.begin(), t.end(), [](const LegendTick& k) { return k.labelled; }), 13);
  EXPECT_TRUE(t[55].labelled);
  EXPECT_FALSE(t[56].labelled);
  t = legendTicks(0, 450, 448, 7);  // 7 whole minutes and a bit: no tick past the end
  EXPECT_EQ(t.back().minute, 7);
  EXPECT_LT(t.back().x, 450);
  t = legendTicks(0, 300, 36000, 14);  // too close for a tick a minute: one per label
  EXPECT_TRUE(std::all_of(t.begin(), t.end(), [](const LegendTick& k) { return k.labelled; }));
  t = legendTicks(0, 450, 1e6, 35);  // the longest scale: labels still apart
  double last = -1e9;
  for (const LegendTick& k : t) {
    if (!k.labelled) continue;
    EXPECT_GE(k.x - last, 35 + 6) << k.minute;
    last = k.x;
  }
  EXPECT_EQ(scaleBarCells(4.7, 264), 50);
  EXPECT_EQ(scaleBarCells(30, 264), 5);
  EXPECT_EQ(scaleBarCells(600, 264), 1);
  EXPECT_EQ(metresText(25), "25");
  EXPECT_EQ(metresText(0.25), "0.25");
  EXPECT_EQ(metresText(2.5), "2.5");
  EXPECT_EQ(metresText(1250), "1250");
}

TEST(ReportText, Latin1WidthsAndCutting) {
  EXPECT_EQ(latin1Text("S\xC3\xBC"
                       "d \xE2\x80\x93 A"),
            "S\xFC"
            "d ? A");
  EXPECT_EQ(latin1Text("a\xFF"
                       "b\xC3"),
            "a?b?");  // bytes that are not UTF-8
  EXPECT_EQ(latin1Text("tab\there"), "tab?here");
  const ReportFont& f = kReportFonthelvR12;
  const int w = textWidth(f, "North stair");
  int sum = 0;
  for (char c : std::string("North stair")) sum += f.glyphs[c - kFirstReportChar].advance;
  EXPECT_EQ(w, sum);
  EXPECT_GT(w, 0);
  EXPECT_EQ(fitText(f, "North stair", w), "North stair");
  const std::string cut = fitText(f, "North stair", w - 1);
  EXPECT_EQ(cut.substr(cut.size() - 3), "...");
  EXPECT_LE(textWidth(f, cut), w - 1);
  EXPECT_GT(textWidth(kReportFonthelvR12, "\xFC"), 0);  // Latin-1 letters have glyphs
}
