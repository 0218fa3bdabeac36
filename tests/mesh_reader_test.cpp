#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>

#include "scene/reader.h"
#include "scene_fixture.h"

namespace {

using MeshReader = SceneTest;

int namedCount() {
  int n = 0;
  for (bool named : cellNamed) n += named ? 1 : 0;
  return n;
}

}  // namespace

TEST_F(MeshReader, SkipsExactlyThreeHeaderLinesWhateverTheyHold) {
  // Header lines that look like records must not be read as records.
  readMeshText(meshRecord(1, 2, 3, 4, 5, 6, 7) + meshRecord(2, 2, 3, 4, 5, 6, 7) + "\n" +
               meshRecord(9, -1, -1, -1, -1, 3, 2));
  EXPECT_EQ(namedCount(), 1);
  EXPECT_TRUE(cellNamed[9]);
  EXPECT_EQ(posX[9], 6.0);
  EXPECT_EQ(posY[9], 4.0);
}

TEST_F(MeshReader, FewerThanThreeLinesGiveAnEmptyTable) {
  for (const char* text : {"", "a\nb\n", "a\nb\nc", "a\nb\nc\n"}) {
    clearScene();
    readMeshText(text);
    EXPECT_EQ(namedCount(), 0) << text;
    EXPECT_EQ(meshExtent.maxX, 0.0);
    EXPECT_EQ(meshExtent.maxY, 0.0);
  }
}

TEST_F(MeshReader, RecordsAreNotBoundToLines) {
  const std::string a = meshRecord(1, 2, -1, -1, -1, 1, 1, 0, 1);
  const std::string b = meshRecord(2, -1, -1, 1, -1, 2, 1, 1, 0);
  readMeshText(kHeader + a + b);
  static TableCopy onePerLine;
  copyTable(onePerLine);

  std::string spread = a;
  for (char& c : spread) c = c == ' ' ? '\n' : c;  // every field on its own line
  std::string together = b;
  together.back() = '\t';  // two records on one line, tab-separated
  clearScene();
  readMeshText(kHeader + spread + together + "   ");
  static TableCopy reshaped;
  copyTable(reshaped);
  EXPECT_TRUE(sameTable(onePerLine, reshaped));
}

TEST_F(MeshReader, CrLfLineEndsReadLikeLf) {
  const std::string lf = kHeader + meshRecord(4, -1, 3, -1, 7, 2, 5, 1, 0);
  readMeshText(lf);
  static TableCopy unix;
  copyTable(unix);
  std::string crlf;
  for (char c : lf) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  clearScene();
  readMeshText(crlf);
  static TableCopy dos;
  copyTable(dos);
  EXPECT_TRUE(sameTable(unix, dos));
  EXPECT_TRUE(cellNamed[4]);
}

TEST_F(MeshReader, NeighbourNumbersOutsideTheTableCloseTheirSide) {
  // right -1 closes, bottom 0 and left kMaxCellId stay open, top kMaxCellId + 1 closes.
  readMeshText(kHeader + meshRecord(7, -1, 0, kMaxCellId, kMaxCellId + 1, 1, 1));
  EXPECT_EQ(walls[7].right, 1);
  EXPECT_EQ(walls[7].bottom, 0);
  EXPECT_EQ(walls[7].left, 0);
  EXPECT_EQ(walls[7].top, 1);
  EXPECT_EQ(rightId[7], -1);  // kept as read
  EXPECT_EQ(topId[7], kMaxCellId + 1);
}

TEST_F(MeshReader, AnyNonzeroWallFieldStoresFlagOne) {
  readMeshText(kHeader + meshRecord(3, 1, 1, 1, 1, 1, 1, 2, -1) +
               meshRecord(5, 1, 1, 1, 1, 2, 1, 0, 7));
  EXPECT_EQ(walls[3].left, 1);
  EXPECT_EQ(walls[3].bottom, 1);
  EXPECT_EQ(walls[5].left, 0);
  EXPECT_EQ(walls[5].bottom, 1);
  EXPECT_EQ(walls[3].top, 0);
  EXPECT_EQ(walls[3].right, 0);  // the file has no field for these two
}

TEST_F(MeshReader, RepeatedCellNumberKeepsTheLaterRecordAndTheLargerExtent) {
  readMeshText(kHeader + meshRecord(2, -1, -1, -1, -1, 9, 8, 1, 1) +
               meshRecord(2, 5, 6, 7, 8, 1, 2));
  EXPECT_EQ(rightId[2], 5);
  EXPECT_EQ(topId[2], 8);
  EXPECT_EQ(walls[2].left, 0);
  EXPECT_EQ(posX[2], 2.0);
  EXPECT_EQ(posY[2], 4.0);
  EXPECT_EQ(meshExtent.maxX, 18.0);
  EXPECT_EQ(meshExtent.maxY, 16.0);
}

TEST_F(MeshReader, UnreadableFieldEndsReadingAndKeepsEarlierRecords) {
  // "12," reads as 12, then the comma starts field 3, which is no number.
  const std::string cases[] = {
      "1 12, 0 0 0 1 1 w 0 0 a b c\n",
      "1 2 3 4 x5 1 1 w 0 0 a b c\n",
      "1 2 3 4 5 2147483648 1 w 0 0 a b c\n",
      "1 2 3 4 + 1 1 w 0 0 a b c\n",  // a sign without digits
  };
  for (const std::string& bad : cases) {
    clearScene();
    readMeshText(kHeader + meshRecord(3, -1, -1, -1, -1, 4, 1) + bad +
                 meshRecord(5, -1, -1, -1, -1, 1, 1));
    EXPECT_TRUE(cellNamed[3]) << bad;
    EXPECT_FALSE(cellNamed[1]) << bad;
    EXPECT_FALSE(cellNamed[5]) << bad;
  }
}

TEST_F(MeshReader, LastRecordWithTwelveFieldsIsNotStored) {
  readMeshText(kHeader + meshRecord(3, -1, -1, -1, -1, 4, 1) + "1 2 3 4 5 1 1 w 0 0 a b\n");
  EXPECT_TRUE(cellNamed[3]);
  EXPECT_FALSE(cellNamed[1]);
}

TEST_F(MeshReader, ThirtyTwoBitLimitsAreReadAndALastRecordNeedsNoLineBreak) {
  std::string text = kHeader + "1 2147483647 -2147483648 +3 -0 1 1 w 0 0 a b c";
  readMeshText(text);
  ASSERT_TRUE(cellNamed[1]);
  EXPECT_EQ(rightId[1], 2147483647);
  EXPECT_EQ(bottomId[1], -2147483647 - 1);
  EXPECT_EQ(leftId[1], 3);
  EXPECT_EQ(topId[1], 0);
}

TEST_F(MeshReader, CellNumbersWithoutASlotAreSkippedAndReadingGoesOn) {
  readMeshText(kHeader + meshRecord(-1, 0, 0, 0, 0, 50, 50) + meshRecord(4, -1, -1, -1, -1, 2, 3) +
               meshRecord(kMaxCellId + 1, 0, 0, 0, 0, 60, 60) +
               meshRecord(kMaxCellId, -1, -1, -1, -1, 1, 1));
  EXPECT_EQ(namedCount(), 2);
  EXPECT_TRUE(cellNamed[4]);
  EXPECT_TRUE(cellNamed[kMaxCellId]);
  // A skipped record leaves no trace, not even in the extent.
  EXPECT_EQ(meshExtent.maxX, 4.0);
  EXPECT_EQ(meshExtent.maxY, 6.0);
}

TEST_F(MeshReader, PositionIsTheUpperRightCornerAndTheExtentNeverGoesBelowZero) {
  readMeshText(kHeader + meshRecord(1, -1, -1, -1, -1, 5, 3));
  EXPECT_EQ(posX[1], 10.0);
  EXPECT_EQ(posY[1], 6.0);
  clearScene();
  readMeshText(kHeader + meshRecord(1, -1, -1, -1, -1, -5, 0) +
               meshRecord(2, -1, -1, -1, -1, 0, -3));
  EXPECT_EQ(posX[1], -10.0);
  EXPECT_EQ(meshExtent.maxX, 0.0);
  EXPECT_EQ(meshExtent.maxY, 0.0);
}

// With a bound, a header line longer than it (its bytes before the LF, a CR
// counted) ends the reading after at most one piece more, whatever follows;
// a line of exactly the bound and the last line without LF still pass. In one piece and in pieces
// smaller than the bound, as a file is read.
TEST(FieldReader, AHeaderLineOverItsBoundEndsTheReading) {
  constexpr std::int64_t kBound = 100;
  const std::string fits(kBound, 'x'), over(kBound + 1, 'x');
  const std::string record = meshRecord(4, -1, -1, -1, -1, 1, 1);
  struct Case {
    std::string text;
    int longLine;  // 0: the header is skipped whole
  } cases[] = {
      {fits + "\n" + fits.substr(1) + "\r\n" + fits + "\n" + record, 0},
      {"h\n" + over + "\nh\n" + record, 2},
      {"h\nh\n" + over, 3},
      {over + std::string(5000, '\0'), 1},
      {"h\nh\n" + fits, 0},
  };
  for (const std::size_t piece : {std::size_t{0}, std::size_t{7}, std::size_t{64}}) {
    for (const Case& c : cases) {
      TextCursor in = makeCursor(c.text, piece);
      int longLine = -1;
      KeptText lines[kMeshHeaderLines]{};
      EXPECT_EQ(skipMeshHeader(in, lines, kBound, &longLine), c.longLine == 0) << c.text.size();
      EXPECT_EQ(longLine, c.longLine) << c.text.size();
      if (c.longLine > 0 && piece > 0) {
        const auto lineStart = static_cast<std::int64_t>(2 * (c.longLine - 1));  // after "h\n"s
        EXPECT_LE(cursorOffset(in), lineStart + kBound + static_cast<std::int64_t>(piece));
      }
    }
  }
  // Without a bound the reading is the program's: every line to its end.
  const std::string longHeader = "h\n" + std::string(5000, 'y') + "\nh\n" + record;
  TextCursor in = makeCursor(longHeader);
  int longLine = -1;
  EXPECT_TRUE(skipMeshHeader(in, nullptr, 0, &longLine));
  EXPECT_EQ(longLine, 0);
  MeshRecord read{};
  FieldFailure failure{};
  EXPECT_TRUE(readMeshRecord(in, read, failure));
  EXPECT_EQ(read.cell, 4);
}

// readLine stops a line longer than its bound there and leaves the rest
// unread; a line of exactly the bound is whole.
TEST(FieldReader, ReadLineStopsAtItsBound) {
  for (const std::size_t piece : {std::size_t{0}, std::size_t{3}}) {
    TextCursor in = makeCursor("abcd\nabcde\nxy", piece);
    std::string line;
    bool longer = true;
    ASSERT_TRUE(readLine(in, line, 4, longer));
    EXPECT_EQ(line, "abcd");
    EXPECT_FALSE(longer);
    ASSERT_TRUE(readLine(in, line, 4, longer));
    EXPECT_EQ(line, "abcd");
    EXPECT_TRUE(longer);
    EXPECT_EQ(cursorOffset(in), 9);  // "e\n" and the rest unread
    ASSERT_TRUE(readLine(in, line, 4, longer));
    EXPECT_EQ(line, "e");
    ASSERT_TRUE(readLine(in, line, 4, longer));
    EXPECT_EQ(line, "xy");
    EXPECT_FALSE(readLine(in, line, 4, longer));
  }
}

TEST(FieldReader, ReportsWhereAndWhyARecordFailed) {
  TextCursor in = makeCursor("h\nh\nh\n1 2 3 4 5 6 7 w 0 0 a b c\n1 12, 0");
  ASSERT_TRUE(skipMeshHeader(in));
  MeshRecord record{};
  FieldFailure failure{};
  ASSERT_TRUE(readMeshRecord(in, record, failure));
  EXPECT_EQ(record.column, 6);
  EXPECT_EQ(record.bottomWall, 0);
  ASSERT_FALSE(readMeshRecord(in, record, failure));
  EXPECT_EQ(failure.result, FieldResult::NotANumber);
  EXPECT_EQ(failure.field, 3);
  EXPECT_EQ(failure.line, 5);
  EXPECT_EQ(failure.text.view(), ",");
  EXPECT_EQ(failure.gluedTo.view(), "12");

  TextCursor exits = makeCursor("4\n\n 99999999999 7");
  CellId exit = 0;
  std::int64_t line = 0;
  ASSERT_TRUE(readExitRecord(exits, exit, line, failure));
  EXPECT_EQ(line, 1);
  EXPECT_FALSE(readExitRecord(exits, exit, line, failure));
  EXPECT_EQ(failure.result, FieldResult::OutOfRange);
  EXPECT_EQ(failure.line, 3);
  EXPECT_EQ(failure.text.view(), "99999999999");
  EXPECT_EQ(failure.gluedTo.length, 0);
}

// A field's text survives a change of piece in the middle of it, and a text
// too long to keep is cut and says so.
TEST(FieldReader, FailingTextAcrossPiecesAndCut) {
  const std::string longWord(3 * kKeptTextBytes, 'x');
  for (std::size_t piece : {1, 2, 7}) {
    TextCursor in = makeCursor("5 12;3 7", piece);
    CellId exit = 0;
    std::int64_t line = 0;
    FieldFailure failure{};
    while (readExitRecord(in, exit, line, failure)) {
    }
    EXPECT_EQ(failure.text.view(), ";3") << piece;
    EXPECT_EQ(failure.gluedTo.view(), "12") << piece;
    EXPECT_EQ(failure.offset, 4) << piece;

    const std::string text = "1 " + longWord + " 3";
    TextCursor words = makeCursor(text, piece);
    ASSERT_EQ(readExitRecord(words, exit, line, failure), true);
    EXPECT_FALSE(readExitRecord(words, exit, line, failure));
    EXPECT_EQ(failure.text.length, kKeptTextBytes) << piece;
    EXPECT_TRUE(failure.text.cut) << piece;
  }
}

TEST_F(MeshReader, MissingFileReadsAsEmpty) {
  readMeshText(kHeader + meshRecord(1, -1, -1, -1, -1, 1, 1));
  TextCursor in{};
  EXPECT_FALSE(openFileCursor("/nonexistent/Mesh.csv", in));
  clearScene();
  readMesh(in, nullptr);
  EXPECT_EQ(namedCount(), 0);
}

// A header line with a hole of a sparse file in it: the hole is jumped, not
// read, and what follows reads as if its zeros had been read.
TEST_F(MeshReader, AHoleInAHeaderLineIsJumpedOver) {
  const std::string path = ::testing::TempDir() + "orvik_sparse_" + std::to_string(::getpid());
  {
    std::ofstream out(path, std::ios::binary);
    out << "header";
    out.seekp(std::streamoff{64} << 20);  // 64 MiB of hole
    out << " end\nh2\nh3\n" << meshRecord(5, -1, -1, -1, -1, 2, 3);
  }
  TextCursor in{};
  ASSERT_TRUE(openFileCursor(path.c_str(), in, 4096));
  KeptText lines[kMeshHeaderLines]{};
  MeshReading seen{nullptr, nullptr, false, false, nullptr, lines, 0, 0};
  readMesh(in, &seen);
  EXPECT_TRUE(seen.headerWhole);
  EXPECT_TRUE(cellNamed[5]);
  EXPECT_EQ(posY[5], 6.0);
  EXPECT_EQ(in.line, 5);
  EXPECT_EQ(lines[0].view().substr(0, 7), std::string("header\0", 7));
  EXPECT_TRUE(lines[0].cut);
  EXPECT_EQ(lines[1].view(), "h2");
  EXPECT_EQ(cursorOffset(in), static_cast<std::int64_t>((64 << 20) + 11 +
                                                       meshRecord(5, -1, -1, -1, -1, 2, 3).size()));
  closeCursor(in);
  std::remove(path.c_str());
}
