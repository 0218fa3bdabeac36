// readExitList, the one reading of exit files: each slot once, in the order
// first listed, and every number handed over with what became of it.
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "scene/reader.h"

namespace {

void keep(const ExitNumber& number, void* seen) {
  static_cast<std::vector<ExitNumber>*>(seen)->push_back(number);
}

}  // namespace

// Numbers in file order: 7, 3, 7 (again), -2 (outside), beyond (outside),
// 3 (again), 0 (slot 0 is a slot), then a word that stops the reading.
TEST(ExitList, SlotsOnceInFirstOrderAndEveryNumberHandedOver) {
  const std::string beyond = std::to_string(kMaxCellId + 1);
  const std::string text = "7\n3 7\n-2\n" + beyond + " 3\n0 x 5\n";
  for (std::size_t piece : {0, 1, 3}) {
    TextCursor in = makeCursor(text, piece);
    ExitList list;
    std::vector<ExitNumber> seen;
    readExitList(in, list, keep, &seen);
    EXPECT_EQ(list.exits, (std::vector<CellId>{7, 3, 0})) << piece;
    EXPECT_EQ(list.lines, (std::vector<std::int64_t>{1, 2, 5})) << piece;
    EXPECT_EQ(list.numbersRead, 7) << piece;
    EXPECT_EQ(list.repeated, 2) << piece;
    EXPECT_EQ(list.outside, 2) << piece;
    EXPECT_EQ(list.firstOutside.exit, -2) << piece;
    EXPECT_EQ(list.firstOutside.line, 3) << piece;
    EXPECT_EQ(list.stop.result, FieldResult::NotANumber) << piece;
    EXPECT_EQ(list.stop.line, 5) << piece;
    EXPECT_EQ(list.stop.text.view(), "x") << piece;
    ASSERT_EQ(seen.size(), 7u) << piece;
    EXPECT_EQ(seen[2].line, 2);
    EXPECT_EQ(seen[2].firstLine, 1);  // the second 7
    EXPECT_EQ(seen[5].line, 4);
    EXPECT_EQ(seen[5].firstLine, 2);  // the second 3
    EXPECT_TRUE(seen[4].outside);
    EXPECT_EQ(seen[4].exit, kMaxCellId + 1);
    EXPECT_EQ(seen[6].firstLine, 0);
    EXPECT_FALSE(seen[6].outside);
  }
}

// A clean end is EndOfText in field 1; a reading starts from an empty list.
TEST(ExitList, CleanEndAndFreshList) {
  TextCursor in = makeCursor("12 12\n");
  ExitList list;
  list.exits = {99};
  list.numbersRead = 5;
  readExitList(in, list);
  EXPECT_EQ(list.exits, std::vector<CellId>{12});
  EXPECT_EQ(list.numbersRead, 2);
  EXPECT_EQ(list.stop.result, FieldResult::EndOfText);
  EXPECT_EQ(list.stop.field, 1);
}

TEST(ExitList, FileThatCannotBeOpenedListsNothing) {
  ExitList list;
  list.exits = {4};
  EXPECT_FALSE(readExitFile("/nonexistent/ExitGrid.dat", list));
  EXPECT_TRUE(list.exits.empty());

  const std::string path = ::testing::TempDir() + "exit_list_test.dat";
  FILE* f = std::fopen(path.c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fputs("5 2 5\n", f);
  std::fclose(f);
  int readError = -1;
  ASSERT_TRUE(readExitFile(path.c_str(), list, &readError));
  EXPECT_EQ(readError, 0);
  EXPECT_EQ(list.exits, (std::vector<CellId>{5, 2}));
  ::unlink(path.c_str());
}
