// orvik-render's parts that need no OpenGL: what the command line makes of
// options between outputs, the times CSV, the PNG writer, and the read-back
// when there is no memory for the pixels.
#include "render.h"

#include <gtest/gtest.h>
#include <png.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "scene/scene.h"
#include "scene_fixture.h"
#include "snapshot/snapshot.h"

namespace {

bool parse(std::vector<const char*> args, RenderRequest& request, std::string& error) {
  args.insert(args.begin(), "orvik-render");
  return parseRenderArguments(static_cast<int>(args.size()), args.data(), request, error);
}

std::filesystem::path scratchFile(const std::string& name, const std::string& text) {
  const auto path = std::filesystem::temp_directory_path() /
                    ("orvik-render-test-" + std::to_string(::getpid()) + "-" + name);
  std::FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
  return path;
}

}  // namespace

TEST(RenderArguments, FilesAndSizeCarryOnKeysDoNot) {
  RenderRequest r;
  std::string error;
  ASSERT_TRUE(parse({"--keys", "w 6  w",  "a.png", "--exits",  "e.dat", "--size", "900x70", "b.BMP",
                     "c.bmp",  "--times", "t.csv", "--column", "geo",   "d.png",  "--plan", "p",
                     "e.png",  "--mesh",  "m.csv", "--times",  "u.csv", "f.png"},
                    r, error))
      << error;
  ASSERT_EQ(r.jobs.size(), 6u);
  const RenderJob& a = r.jobs[0];
  EXPECT_EQ(a.meshPath, "../in/Mesh.csv");
  EXPECT_EQ(a.exitPath, "../in/ExitGrid.dat");
  EXPECT_EQ(a.keys, "w6w");
  EXPECT_EQ(a.width, 800);
  EXPECT_EQ(a.height, 600);
  EXPECT_FALSE(a.bmp);
  EXPECT_EQ(r.jobs[1].outPath, "b.BMP");
  EXPECT_TRUE(r.jobs[1].bmp);  // whatever the case of the extension
  ASSERT_EQ(r.jobs[1].keys, "");
  EXPECT_EQ(r.jobs[1].exitPath, "e.dat");
  EXPECT_TRUE(r.jobs[2].bmp);
  EXPECT_EQ(r.jobs[2].width, 900);
  EXPECT_EQ(r.jobs[2].height, 70);
  EXPECT_EQ(r.jobs[3].timesPath, "t.csv");
  EXPECT_EQ(r.jobs[3].timesColumn, "geo");
  // --plan sets both files and goes back to the walk; the column stays.
  EXPECT_EQ(r.jobs[4].timesPath, "");
  EXPECT_EQ(r.jobs[4].meshPath, "p/Mesh.csv");
  EXPECT_EQ(r.jobs[4].exitPath, "p/ExitGrid.dat");
  EXPECT_EQ(r.jobs[5].meshPath, "m.csv");
  EXPECT_EQ(r.jobs[5].exitPath, "p/ExitGrid.dat");
  EXPECT_EQ(r.jobs[5].timesPath, "u.csv");
  EXPECT_EQ(r.jobs[5].timesColumn, "geo");
  EXPECT_EQ(r.jobs[5].width, 900);
}

// Options that would be dropped without a word are errors that name them:
// a --column for an output the exits colour, and a second --keys before
// one output. --column before a later --times, or carried on to an output
// the times colour, still holds.
TEST(RenderArguments, OptionsThatWouldBeDroppedAreRefused) {
  RenderRequest r;
  std::string error;
  EXPECT_FALSE(parse({"--times", "t.csv", "--exits", "e.dat", "--column", "geo", "a.png"}, r, error));
  EXPECT_EQ(error,
            "--column geo is given for a.png, which the exits colour (--exits or --plan came "
            "after --times); give --times again before it, or leave --column out");
  EXPECT_FALSE(parse({"--times", "t.csv", "a.png", "--column", "geo", "--plan", "p", "b.png"}, r,
                     error));
  EXPECT_NE(error.find("--column geo is given for b.png"), std::string::npos) << error;
  EXPECT_FALSE(parse({"--keys", "w", "--size", "900x700", "--keys", "6", "a.png"}, r, error));
  EXPECT_EQ(error,
            "--keys is given twice before one output; the second would replace the first: put "
            "all the keys in one --keys");
  ASSERT_TRUE(parse({"--column", "geo", "--exits", "e.dat", "--times", "t.csv", "a.png", "--keys",
                     "w", "b.png", "--keys", "6", "--exits", "e.dat", "c.png"},
                    r, error))
      << error;
  ASSERT_EQ(r.jobs.size(), 3u);
  EXPECT_EQ(r.jobs[1].timesColumn, "geo");
  EXPECT_EQ(r.jobs[1].keys, "w");
  EXPECT_EQ(r.jobs[2].keys, "6");
  EXPECT_EQ(r.jobs[2].timesPath, "");
}

TEST(RenderArguments, SizesAtTheLimits) {
  RenderRequest r;
  std::string error;
  ASSERT_TRUE(parse({"--size", "1x16384", "a.png"}, r, error)) << error;
  EXPECT_EQ(r.jobs[0].height, 16384);
  for (const char* size :
       {"16385x1", "0x1", "1x", "x1", "1x1x1", " 1x1", "1X1", "+1x1", "00000001x1"}) {
    EXPECT_FALSE(parse({"--size", size, "a.png"}, r, error)) << size;
    EXPECT_NE(error.find("--size takes"), std::string::npos) << error;
  }
}

class TimesCsv : public ::testing::Test {
 protected:
  void TearDown() override {
    for (const auto& p : files) std::filesystem::remove(p);
  }
  bool read(const std::string& text, const char* column = "seconds") {
    files.push_back(scratchFile("times.csv", text));
    return readTimesCsv(files.back().c_str(), column, error);
  }
  std::vector<std::filesystem::path> files;
  std::string error;
};

TEST_F(TimesCsv, ColumnsFoundByNameValuesAsWritten) {
  travelTime[9] = 5.0f;  // left over from an earlier picture: no row now
  ASSERT_TRUE(read("row, seconds ,cell,geo\r\n1,12.625,3,1\r\n\r\n2,,4,2\n1,0,7,3\n1,1e2,8,4"))
      << error;
  EXPECT_EQ(travelTime[3], 12.625f);
  EXPECT_EQ(travelTime[4], kUnreachedTime);
  EXPECT_EQ(travelTime[7], 0.0f);
  EXPECT_EQ(travelTime[8], 100.0f);
  EXPECT_EQ(travelTime[9], kUnreachedTime);
  EXPECT_EQ(travelTime[kMaxCellId], kUnreachedTime);
  ASSERT_TRUE(read("cell,seconds,geo\n3,1,2.5\n", "geo")) << error;
  EXPECT_EQ(travelTime[3], 2.5f);
}

TEST_F(TimesCsv, ErrorsNameFileAndLine) {
  const struct {
    const char* text;
    const char* message;
  } cases[] = {
      {"cell,seconds\n1,4\n\n2,inf\n", ":4: \"inf\" is not a time"},
      {"cell,seconds\n1,nan\n", ":2: \"nan\" is not a time"},
      {"cell,seconds\n1,0x10\n", ":2: \"0x10\" is not a time"},
      {"cell,seconds\n-1,4\n", ":2: cell \"-1\" is not a cell number"},
      {"cell,seconds\n1.5,4\n", ":2: cell \"1.5\" is not a cell number"},
      {"cell,seconds\n,4\n", ":2: cell \"\" is not a cell number"},
      {"cell,seconds\n1,4,\n", ":2: 3 fields where the header has 2"},
      {"seconds,cells\n1,4\n", ":1: no column \"cell\""},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(read(c.text)) << c.text;
    EXPECT_EQ(error.rfind(files.back().string() + c.message, 0), 0u) << error;
  }
  EXPECT_FALSE(read("cell,seconds\n1,4,\"" + std::string(kTimesLineCapacity, 'x') + "\"\n"));
  EXPECT_NE(error.find(":2: line longer than 4096 bytes"), std::string::npos) << error;
  EXPECT_FALSE(readTimesCsv("/no/such/times.csv", "seconds", error));
  EXPECT_EQ(error, "/no/such/times.csv: cannot read: No such file or directory");
}

// Where the CSV names a cell's column and row, they must be the mesh's:
// the first row of another plan is an error naming it. Cells the mesh does
// not have, and files without the two columns, are read as before.
TEST_F(TimesCsv, PlacesMustBeTheMeshs) {
  clearScene();
  readMeshText(corridor(3));  // cells 1, 2, 3 at columns 1, 2, 3 of row 1
  ASSERT_TRUE(read("cell,column,row,seconds\n1,1,1,0\n3,3,1,8\n9,7,7,4\n")) << error;
  EXPECT_EQ(travelTime[3], 8.0f);
  EXPECT_FALSE(read("cell,column,row,seconds\n1,1,1,0\n2,3,1,4\n3,2,1,8\n"));
  EXPECT_EQ(error, files.back().string() +
                       ":3: cell 2 stands at column 3, row 1 here but at column 2, row 1 in the "
                       "mesh: the times are of another plan");
  EXPECT_FALSE(read("row,cell,seconds,column\n2,1,0,1\n"));
  EXPECT_NE(error.find(":2: cell 1 stands at column 1, row 2 here"), std::string::npos) << error;
  EXPECT_FALSE(read("cell,column,row,seconds\n1,1.0,1,0\n"));
  EXPECT_NE(error.find(":2: column \"1.0\" or row \"1\" is not a whole number"),
            std::string::npos)
      << error;
  ASSERT_TRUE(read("cell,row,seconds\n2,9,4\n")) << error;  // no column: nothing to compare
  EXPECT_EQ(travelTime[2], 4.0f);
  clearScene();
}

// As a spreadsheet saves it: a byte-order mark, names and values in
// quotes. What a message shows of the header is escaped.
TEST_F(TimesCsv, SpreadsheetHeadersAndEscapedMessages) {
  ASSERT_TRUE(read("\xEF\xBB\xBF\"cell\",\"seconds\"\r\n\"1\",\"4.5\"\r\n2,\"\"\r\n")) << error;
  EXPECT_EQ(travelTime[1], 4.5f);
  EXPECT_EQ(travelTime[2], kUnreachedTime);
  EXPECT_FALSE(read("\xEF\xBB\xBF" "ce\x1b[2Jll,seconds\n1,4\n"));
  EXPECT_EQ(error, files.back().string() +
                       ":1: no column \"cell\" in the header \"ce\\x1B[2Jll,seconds\"");
  EXPECT_FALSE(read("cell,seconds\n\x07\x1b,4\n"));
  EXPECT_NE(error.find(":2: cell \"\\x07\\x1B\" is not a cell number"), std::string::npos) << error;
}

// A time beyond a float's range is refused like one beyond a double's;
// the largest float is still a time.
TEST_F(TimesCsv, TimesBeyondAFloatAreRefused) {
  for (const char* text : {"1e39", "3.5e38", "1e309"}) {
    EXPECT_FALSE(read(std::string("cell,seconds\n1,") + text + "\n")) << text;
    EXPECT_NE(error.find(std::string(":2: \"") + text + "\" is not a time"), std::string::npos)
        << error;
  }
  ASSERT_TRUE(read("cell,seconds\n1,3.4e38\n")) << error;
  EXPECT_EQ(travelTime[1], 3.4e38f);
}

// 3 by 2 pixels, every byte different, bottom row first as OpenGL reads
// them: the PNG holds them top row first, red, green, blue, alpha dropped.
namespace {

struct MeshRead {
  std::vector<std::string> warnings;
  int cells;  // drawn cells stored
};

MeshRead readMeshWarnings(const std::string& text, std::size_t piece = 0) {
  clearScene();
  TextCursor in = makeCursor(text, piece);
  InputNotes notes{};
  FieldFailure stop{};
  MeshReading seen{countMeshRecord, &notes, false, false, &stop, nullptr, kMaxHeaderLineBytes, 0};
  readMesh(in, &seen);
  return {meshWarnings("m.csv", seen, stop, notes),
          static_cast<int>(std::count(cellNamed + 1, cellNamed + kSlotCount, true))};
}

std::vector<std::string> exitWarningsOf(const std::string& text) {
  TextCursor in = makeCursor(text);
  ExitList list;
  computeTravelTimesFrom(in, list);
  return exitWarnings("e.dat", list);
}

std::string record(int cell, int column) {
  return std::to_string(cell) + " -1 -1 -1 -1 " + std::to_string(column) + " 1 f 0 0 a b c\n";
}

}  // namespace

// Every way a reading leaves cells out of the picture gives one line naming
// the file, the line and the reason; a whole file gives none.
TEST(RenderInputWarnings, EachLossNamedWithFileAndLine) {
  const std::string header = "h\nh\nh\n";
  EXPECT_TRUE(readMeshWarnings(header + record(1, 1) + record(2, 2)).warnings.empty());
  // Ten records, the fifth glued to a comma: four cells drawn, one line.
  std::string text = header;
  for (int c = 1; c <= 10; ++c) text += c == 5 ? "5 -1, 10 -1 -1 5 1 f 0 0 a b c\n" : record(c, c);
  const MeshRead cut = readMeshWarnings(text, 16);
  EXPECT_EQ(cut.cells, 4);
  ASSERT_EQ(cut.warnings.size(), 1u);
  EXPECT_EQ(cut.warnings[0],
            "m.csv:8: record 5, field 3 \",\" is not a whole number, reading stops there; "
            "the map shows what the 4 records before it hold");
  const MeshRead skipped =
      readMeshWarnings(header + record(1, 1) + record(40000, 2) + record(-7, 3) + "2 -1 -1");
  ASSERT_EQ(skipped.warnings.size(), 2u);
  EXPECT_EQ(skipped.warnings[0],
            "m.csv:7: the file ends inside record 4; the map shows what the 3 records before it "
            "hold");
  EXPECT_EQ(skipped.warnings[1],
            "m.csv:5: cell number 40000 is outside 0 to " + std::to_string(kMaxCellId) +
                "; 2 records are skipped");
  EXPECT_EQ(readMeshWarnings("h\nh\n").warnings,
            std::vector<std::string>{"m.csv: fewer than the three header lines; the map is empty"});
  EXPECT_EQ(readMeshWarnings(header).warnings,
            std::vector<std::string>{"m.csv: no record after the header; the map is empty"});
  // A control byte of the file reaches the terminal escaped.
  EXPECT_EQ(readMeshWarnings(header + "\x1b[2J 2").warnings[0],
            "m.csv:4: record 1, field 1 \"\\x1B[2J\" is not a whole number, reading stops "
            "there; the map shows what the 0 records before it hold");
  EXPECT_TRUE(exitWarningsOf("3 1\n2\n").empty());
  EXPECT_EQ(exitWarningsOf("abc\n"),
            (std::vector<std::string>{
                "e.dat:1: \"abc\" is not a whole number; reading stops there, after 0 exits",
                "e.dat: no exit to walk from; every cell shows as unreached"}));
  EXPECT_EQ(exitWarningsOf("1\n\n99999 4 -2 99999999999"),
            (std::vector<std::string>{
                "e.dat:3: \"99999999999\" does not fit 32 bits; reading stops there, after 4 "
                "exits",
                "e.dat:3: exit 99999 is outside 0 to " + std::to_string(kMaxCellId) +
                    "; 2 exits are skipped"}));
  EXPECT_EQ(exitWarningsOf(""),
            std::vector<std::string>{"e.dat: no exit to walk from; every cell shows as unreached"});
}

TEST(RenderPng, PixelsRoundTripThroughLibpng) {
  unsigned char bgra[2 * 3 * 4];
  for (int i = 0; i < 24; ++i) bgra[i] = static_cast<unsigned char>(10 * i + 3);
  const auto path = scratchFile("picture.png", "old");
  std::string error;
  ASSERT_TRUE(writePngFile(path.c_str(), bgra, 3, 2, error)) << error;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str()));
  EXPECT_EQ(image.width * 10 + image.height, 32u);
  EXPECT_EQ(image.format & PNG_FORMAT_FLAG_ALPHA, 0u);
  image.format = PNG_FORMAT_RGB;
  unsigned char rgb[2 * 3 * 3];
  ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb, 0, nullptr));
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) {
      const unsigned char* from = bgra + ((1 - y) * 3 + x) * 4;
      const unsigned char* to = rgb + (y * 3 + x) * 3;
      EXPECT_EQ(to[0], from[2]) << x << "," << y;
      EXPECT_EQ(to[1], from[1]) << x << "," << y;
      EXPECT_EQ(to[2], from[0]) << x << "," << y;
    }
  }
  std::filesystem::remove(path);
}

// Without memory for the pixels the picture still says how many bytes they
// needed, for the snapshot's message. A cap of address space plays the
// lack of memory; AddressSanitizer's shadow memory cannot live under one.
TEST(RenderReadBack, NoMemoryStillTellsTheBytesNeeded) {
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "no cap of address space under AddressSanitizer";
#endif
  long pages = 0;
  std::ifstream("/proc/self/statm") >> pages;
  ASSERT_GT(pages, 0);
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_AS, &saved), 0);
  rlimit cap = saved;
  cap.rlim_cur = std::min<rlim_t>(
      static_cast<rlim_t>(pages) * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) + (rlim_t{256} << 20),
      saved.rlim_max);
  ASSERT_EQ(::setrlimit(RLIMIT_AS, &cap), 0);
  BmpPicture picture;
  const ReadBack result = readBmpPicture(16384, 16384, picture);  // 1 GiB of pixels
  ::setrlimit(RLIMIT_AS, &saved);
  EXPECT_EQ(result, ReadBack::NoMemory);
  EXPECT_EQ(picture.imageBytes, 16384u * 16384u * 4u);
  EXPECT_EQ(picture.pixels, nullptr);
}
