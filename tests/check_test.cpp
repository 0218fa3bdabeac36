#include <nlohmann/json.hpp>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "check.h"
#include "scene_fixture.h"

namespace {

using PlanCheck = SceneTest;

CheckReport check(const std::string& mesh, const std::string& exits, std::size_t pieces = 0) {
  return checkPlanTexts("in/Mesh.csv", mesh, "in/ExitGrid.dat", exits, pieces);
}

std::int64_t count(const CheckReport& r, FindingKind kind) {
  return r.findingCounts[static_cast<int>(kind)];
}

// The first finding of `kind`, or a blank one (and a test failure).
const Finding& first(const CheckReport& r, FindingKind kind) {
  static const Finding kNone{kind, InputFile::Mesh, 0, 0, {}};
  const std::vector<Finding>& kept = r.findings[static_cast<int>(kind)];
  EXPECT_FALSE(kept.empty()) << "no finding of kind " << static_cast<int>(kind);
  return kept.empty() ? kNone : kept.front();
}

std::string text(const Finding& f) { return messageText(f.message); }

std::int64_t totalFindings(const CheckReport& r) {
  std::int64_t total = 0;
  for (std::int64_t n : r.findingCounts) total += n;
  return total;
}

// Three columns by two rows, numbered row by row from the bottom: 1 2 3 at
// row 1, 4 5 6 at row 2; every pair named both ways, the rim closed.
std::string room() {
  return kHeader + meshRecord(1, 2, -1, -1, 4, 1, 1) + meshRecord(2, 3, -1, 1, 5, 2, 1) +
         meshRecord(3, -1, -1, 2, 6, 3, 1) + meshRecord(4, 5, 1, -1, -1, 1, 2) +
         meshRecord(5, 6, 2, 4, -1, 2, 2) + meshRecord(6, -1, 3, 5, -1, 3, 2);
}

}  // namespace

TEST_F(PlanCheck, CleanRoomLoadsWholeWithItsTimesAndExtent) {
  const CheckReport r = check(room(), "3\n");
  EXPECT_EQ(checkExitStatus(r), 0);
  EXPECT_EQ(totalFindings(r), 0);
  EXPECT_TRUE(r.agreesWithProgram);
  EXPECT_EQ(r.mesh.recordsRead, 6);
  EXPECT_EQ(r.mesh.cellsStored, 6);
  EXPECT_FALSE(r.mesh.stop.early);
  EXPECT_EQ(r.times.reached, 6);
  EXPECT_EQ(r.times.largest, 12.0f);  // cell 4: three moves from 3
  EXPECT_EQ(r.times.perMinute[0], 6);
  EXPECT_EQ(r.extent.minColumn, 1);
  EXPECT_EQ(r.extent.maxColumn, 3);
  EXPECT_EQ(r.extent.maxRow, 2);
  EXPECT_EQ(r.extent.maxX, 6.0);
  EXPECT_EQ(r.extent.maxY, 4.0);
  const std::string text = formatTextReport(r);
  EXPECT_NE(text.find("6 records read, 6 stored"), std::string::npos) << text;
  EXPECT_NE(text.find("ends cleanly"), std::string::npos) << text;
}

TEST_F(PlanCheck, CommaAfterANumberIsReportedWhereTheReaderStops) {
  // "12," reads 12 for field 2; the comma starts field 3, which fails.
  const CheckReport r = check(
      kHeader + meshRecord(1, -1, -1, -1, -1, 1, 1) + "2 12, -1 -1 -1 2 1 f 0 0 a b c\n", "1");
  EXPECT_EQ(checkExitStatus(r), 1);
  EXPECT_EQ(r.mesh.recordsStored, 1);
  ASSERT_TRUE(r.mesh.stop.early);
  EXPECT_EQ(r.mesh.stop.field, 3);
  EXPECT_EQ(r.mesh.stop.line, 5);
  EXPECT_EQ(r.mesh.stop.text, ",");
  const Finding& f = first(r, FindingKind::MeshStopped);
  EXPECT_EQ(f.line, 5);
  EXPECT_NE(text(f).find("comma is no separator"), std::string::npos) << text(f);
  EXPECT_NE(text(f).find("\"12\""), std::string::npos) << text(f);
  EXPECT_NE(formatTextReport(r).find("Mesh.csv:5: record 2, field 3"), std::string::npos);
}

TEST_F(PlanCheck, CommaSeparatedFileStoresNothing) {
  const CheckReport r = check(kHeader + "1,-1,-1,-1,-1,1,1,f,0,0,a,b,c\n", "1");
  EXPECT_EQ(r.mesh.recordsRead, 0);
  EXPECT_EQ(r.mesh.stop.field, 2);
  EXPECT_EQ(r.mesh.stop.line, 4);
  EXPECT_EQ(count(r, FindingKind::NoCells), 1);
  EXPECT_EQ(count(r, FindingKind::ExitWithoutRecord), 1);
  EXPECT_TRUE(r.agreesWithProgram);
}

TEST_F(PlanCheck, NumberTooLargeStopsReadingAndKeepsTheRecordsBefore) {
  const CheckReport r = check(
      room() + "7 -1 -1 -1 -1 4 1 f 0 2147483648 a b c\n" + meshRecord(8, -1, -1, -1, -1, 5, 1),
      "1");
  EXPECT_EQ(r.mesh.recordsStored, 6);
  EXPECT_EQ(r.mesh.stop.result, FieldResult::OutOfRange);
  EXPECT_EQ(r.mesh.stop.field, 10);
  EXPECT_EQ(r.mesh.stop.line, 10);
  EXPECT_EQ(r.mesh.stop.text, "2147483648");
  EXPECT_EQ(checkExitStatus(r), 1);
}

TEST_F(PlanCheck, FileEndingInsideARecordIsNotClean) {
  std::string mesh = room() + "7 -1 -1 -1 -1 4 1 f 0 0 a b";  // 12 of 13 fields
  const CheckReport r = check(mesh, "1");
  EXPECT_TRUE(r.mesh.stop.early);
  EXPECT_EQ(r.mesh.stop.field, 13);
  EXPECT_NE(text(first(r, FindingKind::MeshStopped)).find("after 12 of its 13 fields"),
            std::string::npos);
}

TEST_F(PlanCheck, ShortHeaderAndHeaderThatLooksLikeARecord) {
  EXPECT_EQ(count(check("only\ntwo lines\n", "1"), FindingKind::ShortHeader), 1);
  const CheckReport r =
      check(meshRecord(1, -1, -1, -1, -1, 1, 1) + "x\ny\n" + meshRecord(2, 3, -1, -1, -1, 2, 1) +
                meshRecord(3, -1, -1, 2, -1, 3, 1),
            "2");
  EXPECT_EQ(count(r, FindingKind::HeaderLooksLikeRecord), 1);
  EXPECT_EQ(first(r, FindingKind::HeaderLooksLikeRecord).line, 1);
  EXPECT_EQ(checkExitStatus(r), 0);  // a note only: the program reads it this way on purpose
}

TEST_F(PlanCheck, CellOutsideTableIsSkippedAndReadingGoesOn) {
  const CheckReport r =
      check(room() + meshRecord(kMaxCellId + 1, -1, -1, -1, -1, 9, 9) +
                meshRecord(-3, -1, -1, -1, -1, 9, 9) + meshRecord(7, -1, -1, -1, -1, 4, 1),
            "3");
  EXPECT_EQ(r.mesh.recordsRead, 9);
  EXPECT_EQ(r.mesh.skippedOutside, 2);
  EXPECT_EQ(r.mesh.cellsStored, 7);
  EXPECT_FALSE(r.mesh.stop.early);
  EXPECT_EQ(first(r, FindingKind::CellOutsideTable).line, 10);
  EXPECT_EQ(r.extent.maxColumn, 4);  // the skipped records' 9 counts nowhere
  EXPECT_EQ(checkExitStatus(r), 1);
  EXPECT_TRUE(r.agreesWithProgram);
}

TEST_F(PlanCheck, RepeatedCellAndSharedSquare) {
  const CheckReport r =
      check(room() + meshRecord(2, 3, -1, 1, 5, 2, 1) + meshRecord(7, -1, -1, -1, -1, 3, 2), "1");
  EXPECT_EQ(count(r, FindingKind::RepeatedCell), 1);
  EXPECT_EQ(first(r, FindingKind::RepeatedCell).line, 10);
  EXPECT_NE(text(first(r, FindingKind::RepeatedCell)).find("first on line 5"), std::string::npos);
  EXPECT_EQ(count(r, FindingKind::SharedPosition), 1);
  EXPECT_NE(text(first(r, FindingKind::SharedPosition))
                .find("cell 7 is at column 3, row 2, like cell 6"),
            std::string::npos);
}

TEST_F(PlanCheck, NeighbourThatDoesNotNameTheCellBack) {
  // Cell 2 names 3 on its right, but 3's left names 5: walking goes 2 -> 3
  // only. Cell 4's right names 5 while 5's left is -1: blocked both ways.
  std::string mesh = kHeader + meshRecord(1, 2, -1, -1, 4, 1, 1) +
                     meshRecord(2, 3, -1, 1, 5, 2, 1) + meshRecord(3, -1, -1, 5, 6, 3, 1) +
                     meshRecord(4, 5, 1, -1, -1, 1, 2) + meshRecord(5, 6, 2, -1, -1, 2, 2) +
                     meshRecord(6, -1, 3, 5, -1, 3, 2);
  const CheckReport r = check(mesh, "1");
  EXPECT_TRUE(r.agreesWithProgram);
  std::vector<std::string> messages;
  for (const Finding& f : r.findings[static_cast<int>(FindingKind::NeighbourNotNamedBack)]) {
    messages.push_back(text(f));
  }
  ASSERT_EQ(messages.size(), 3u) << formatTextReport(r);
  EXPECT_NE(messages[0].find(
                "cell 2 names cell 3 as its right neighbour, but cell 3's left side names cell 5: "
                "walking passes from 2 into 3 but not back"),
            std::string::npos)
      << messages[0];
  EXPECT_NE(messages[1].find("cell 3 names cell 5 as its left neighbour"), std::string::npos)
      << messages[1];
  EXPECT_NE(messages[2].find(
                "cell 4 names cell 5 as its right neighbour, but cell 5's left side names no "
                "neighbour (-1): that side is closed"),
            std::string::npos)
      << messages[2];
  EXPECT_EQ(checkExitStatus(r), 0);  // notes about the plan leave the status alone
}

TEST_F(PlanCheck, OneSidedWallFieldIsNoFinding) {
  // A left wall field on 2 closes the pair 1|2 both ways by the move rule:
  // nothing to say about the plan, but exit 1 is shut in by it.
  std::string mesh =
      kHeader + meshRecord(1, 2, -1, -1, -1, 1, 1) + meshRecord(2, -1, -1, 1, -1, 2, 1, 1);
  const CheckReport r = check(mesh, "1");
  EXPECT_EQ(totalFindings(r), 1) << formatTextReport(r);
  EXPECT_EQ(count(r, FindingKind::ExitClosedIn), 1);
  EXPECT_EQ(r.times.unreached, 1);
  EXPECT_EQ(r.times.noPath, 1);
}

TEST_F(PlanCheck, OpenSideIntoASlotWithoutRecordOrOffTheGrid) {
  std::string mesh = kHeader + meshRecord(1, 9, -1, -1, 0, 1, 1) +
                     meshRecord(2, -1, -1, -1, 3, 5, 1) + meshRecord(3, -1, 2, -1, -1, 5, 4);
  const CheckReport r = check(mesh, "2");
  ASSERT_EQ(count(r, FindingKind::NeighbourWithoutRecord), 2);
  const auto& without = r.findings[static_cast<int>(FindingKind::NeighbourWithoutRecord)];
  EXPECT_NE(text(without[0]).find("right side is open to cell 9"), std::string::npos);
  EXPECT_NE(text(without[1]).find("names cell 0"), std::string::npos);
  ASSERT_EQ(count(r, FindingKind::NeighbourNotBeside), 1);
  EXPECT_NE(text(first(r, FindingKind::NeighbourNotBeside))
                .find("(column 5, row 1) and its top neighbour 3 (column 5, row 4)"),
            std::string::npos);
}

TEST_F(PlanCheck, ExitProblems) {
  // kMaxCellId + 1 has no slot, 9 no record, 3 is listed twice, 7 is closed in.
  const CheckReport r = check(room() + meshRecord(7, -1, -1, -1, -1, 5, 5),
                              "3 " + std::to_string(kMaxCellId + 1) + "\n9\n6 3\n7 x");
  EXPECT_EQ(r.exits.numbersRead, 6);
  EXPECT_EQ(r.exits.skippedOutside, 1);
  EXPECT_EQ(r.exits.distinctExits, 4);
  EXPECT_EQ(first(r, FindingKind::ExitOutsideTable).line, 1);
  EXPECT_EQ(first(r, FindingKind::ExitWithoutRecord).line, 2);
  EXPECT_EQ(count(r, FindingKind::RepeatedExit), 1);
  EXPECT_EQ(first(r, FindingKind::ExitClosedIn).line, 4);
  ASSERT_TRUE(r.exits.stop.early);
  EXPECT_EQ(r.exits.stop.line, 4);
  EXPECT_EQ(r.exits.stop.text, "x");
  EXPECT_EQ(checkExitStatus(r), 1);
  EXPECT_TRUE(r.agreesWithProgram);
}

TEST_F(PlanCheck, RepeatedExitAloneKeepsStatusZero) {
  EXPECT_EQ(checkExitStatus(check(room(), "1 1")), 0);
  EXPECT_EQ(count(check(room(), ""), FindingKind::NoExits), 1);
  EXPECT_EQ(checkExitStatus(check(room(), "")), 1);
}

TEST_F(PlanCheck, UnreachedSplitsIntoCutOffAndNoPath) {
  // 120 cells in a row from exit 1: cells 114.. are 113+ moves away. Cell
  // 200 stands alone.
  const CheckReport r = check(corridor(120) + meshRecord(200, -1, -1, -1, -1, 1, 5), "1");
  EXPECT_EQ(r.times.reached, 113);
  EXPECT_EQ(r.times.beyondCutoff, 7);
  EXPECT_EQ(r.times.noPath, 1);
  EXPECT_EQ(r.times.largest, 448.0f);
  EXPECT_EQ(r.times.fiveMinutesOrMore, 113 - 75);  // 75 moves = 300 s
  EXPECT_EQ(r.times.perMinute[0], 15);             // 0..56 s
  EXPECT_EQ(r.times.perMinute[7], 113 - 105);      // 420..448 s
  EXPECT_TRUE(r.agreesWithProgram);
}

TEST_F(PlanCheck, TimesCsvHasEveryStoredCellAndEmptySecondsWhenUnreached) {
  const CheckReport r =
      check(kHeader + meshRecord(3, -1, -1, -1, -1, 7, 2) + meshRecord(1, 2, -1, -1, -1, 4, 9) +
                meshRecord(2, -1, -1, 1, -1, 5, 9),
            "1");
  EXPECT_EQ(formatTimesCsv(r), "cell,column,row,seconds\n1,4,9,0\n2,5,9,4\n3,7,2,\n");
}

TEST_F(PlanCheck, MissingFileGivesStatusTwo) {
  const std::string exits = ::testing::TempDir() + "orvik_check_" + std::to_string(getpid()) + ".dat";
  std::FILE* f = std::fopen(exits.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fputs("1\n", f);
  std::fclose(f);
  const CheckReport r = checkPlanFiles("/nonexistent/dir/Mesh.csv", exits);
  std::remove(exits.c_str());
  EXPECT_FALSE(r.meshOpened);
  EXPECT_FALSE(r.meshError.empty());
  EXPECT_EQ(checkExitStatus(r), 2);
  EXPECT_EQ(count(r, FindingKind::NoCells), 0);  // the missing file says it all
  EXPECT_NE(formatTextReport(r).find("Mesh.csv: cannot read /nonexistent/dir/Mesh.csv"),
            std::string::npos);
}

TEST_F(PlanCheck, LongListsAreCut) {
  std::string mesh = room();
  const int outside = kMaxCellId + 1000;  // 5 digits or more whatever the table's size
  for (int i = 0; i < 25; ++i) mesh += meshRecord(outside + i, -1, -1, -1, -1, 1, 1);
  const std::string text = formatTextReport(check(mesh, "1"), 20);
  EXPECT_NE(text.find("is outside 0 to " + std::to_string(kMaxCellId),
                      text.find(std::to_string(outside + 19))),
            std::string::npos);
  EXPECT_EQ(text.find(std::to_string(outside + 20)), std::string::npos);
  EXPECT_NE(text.find("... and 5 more like this"), std::string::npos);
}

// The JSON report carries the file's own bytes: quotes and backslashes are
// no longer escaped twice, and no \xNN spelling of the text report leaks in.
TEST_F(PlanCheck, JsonCarriesRawFileTextAsValidUtf8) {
  const std::string nasty = std::string("a\"b\\c\x01") + "\xff\xc3\xa9";
  const CheckReport r = check(room() + "7 " + nasty + " -1\n", "1");
  const nlohmann::json json = nlohmann::json::parse(formatJsonReport(r));
  const std::string expected = std::string("a\"b\\c\x01") + "\xef\xbf\xbd\xc3\xa9";  // U+FFFD
  EXPECT_EQ(json["mesh"]["stop"]["text"], expected);
  EXPECT_EQ(json["mesh"]["stop"]["line"], 10);
  EXPECT_EQ(json["mesh"]["stop"]["field"], 2);
  EXPECT_EQ(json["mesh"]["stop"]["reason"], "not a whole number");
  const std::string message = json["findings"][0]["message"];
  EXPECT_NE(message.find("\"" + expected + "\""), std::string::npos) << message;
  EXPECT_EQ(message.find("\\x"), std::string::npos) << message;
  // The text report escapes the same text for a terminal instead.
  EXPECT_NE(formatTextReport(r).find("\"a\\\"b\\\\c\\x01\\xFF\xc3\xa9\""), std::string::npos)
      << formatTextReport(r);
}

TEST_F(PlanCheck, JsonCarriesTheFindingsAndTheStatus) {
  const std::string report = formatJsonReport(check(room() + "7 x\n", "1"));
  EXPECT_EQ(report.rfind("{\"status\":1,", 0), 0u) << report;
  const nlohmann::json json = nlohmann::json::parse(report);
  EXPECT_EQ(json["mesh"]["stop"]["text"], "x");
  const nlohmann::json& f = json["findings"][0];
  EXPECT_EQ(f["kind"], "meshStopped");
  EXPECT_EQ(f["file"], "Mesh.csv");
  EXPECT_EQ(f["line"], 10);
  EXPECT_EQ(f["field"], 2);
  EXPECT_EQ(json["findingCounts"]["meshStopped"], 1);
}

// An exit whose own sides are open can still be shut in: the move rule
// needs the neighbour's facing side open too.
TEST_F(PlanCheck, ExitShutInByItsNeighboursWallReachesNobody) {
  const CheckReport r =
      check(kHeader + meshRecord(1, 2, -1, -1, -1, 1, 1) + meshRecord(2, -1, -1, 1, -1, 2, 1, 1),
            "1");
  EXPECT_EQ(count(r, FindingKind::ExitClosedIn), 1) << formatTextReport(r);
  EXPECT_EQ(checkExitStatus(r), 1);
  EXPECT_EQ(r.times.noPath, 1);
}

TEST_F(PlanCheck, TheSeparatorFoundIsTheOneNamed) {
  for (const auto& [glued, words] : {std::pair{"12;", "a semicolon is no separator"},
                                     std::pair{"12,", "a comma is no separator"},
                                     std::pair{"12.5", "a whole number has no decimal point"},
                                     std::pair{"12x", "fields must be separated by white space"}}) {
    const CheckReport r = check(
        kHeader + meshRecord(1, -1, -1, -1, -1, 1, 1) + "2 " + glued + " -1 -1 -1 2 1 f 0 0 a b c\n",
        "1");
    const std::string message = text(first(r, FindingKind::MeshStopped));
    EXPECT_NE(message.find(words), std::string::npos) << message;
    EXPECT_EQ(message.find(std::string(glued) == "12," ? "semicolon" : "comma"), std::string::npos)
        << message;
  }
}

TEST_F(PlanCheck, LastMinuteBinEndsAtTheLongestTimeKept) {
  const std::string report = formatTextReport(check(corridor(120), "1"));
  EXPECT_NE(report.find("6-7: 15, 7 min to 448 s: 8\n"), std::string::npos) << report;
  EXPECT_EQ(report.find("7-7.5"), std::string::npos);
}

// Findings are counted without end but kept only up to a bound, so that a
// file of a million repeated records cannot take the checker's memory.
TEST_F(PlanCheck, FindingsAreCountedAllButKeptUpToABound) {
  std::string mesh = room();
  for (int i = 0; i < kKeptFindings + 500; ++i) mesh += meshRecord(2, 3, -1, 1, 5, 2, 1);
  const CheckReport r = check(mesh, "1");
  EXPECT_EQ(count(r, FindingKind::RepeatedCell), kKeptFindings + 500);
  EXPECT_EQ(r.findings[static_cast<int>(FindingKind::RepeatedCell)].size(),
            static_cast<std::size_t>(kKeptFindings));
  const nlohmann::json json = nlohmann::json::parse(formatJsonReport(r));
  EXPECT_EQ(json["findingCounts"]["repeatedCell"], kKeptFindings + 500);
  EXPECT_EQ(json["findings"].size(), static_cast<std::size_t>(kKeptFindings));
  EXPECT_NE(formatTextReport(r).find("... and 1480 more like this"), std::string::npos);
}

// Line numbers past 2^31 stay positive from the reader to the JSON.
TEST_F(PlanCheck, LineNumbersBeyondThirtyTwoBits) {
  TextCursor in = makeCursor("h\nh\nh\n\n\n1 2 x");
  in.line = 2147483640;
  ASSERT_TRUE(skipMeshHeader(in));
  MeshRecord record{};
  FieldFailure failure{};
  EXPECT_FALSE(readMeshRecord(in, record, failure));
  EXPECT_EQ(failure.line, 2147483645);

  CheckReport r = check(room() + "7 x\n", "1");
  r.mesh.stop.line = 3000000000;
  r.findings[static_cast<int>(FindingKind::MeshStopped)][0].line = 3000000001;
  const nlohmann::json json = nlohmann::json::parse(formatJsonReport(r));
  EXPECT_EQ(json["mesh"]["stop"]["line"], 3000000000);
  EXPECT_EQ(json["findings"][0]["line"], 3000000001);
  EXPECT_NE(formatTextReport(r).find("Mesh.csv:3000000001: record 7"), std::string::npos);
}

// Columns and rows from 1 up are what the map shows; cells left of or below
// it, or so far out that float corners merge, are noted.
TEST_F(PlanCheck, CellsTheMapCannotShowAreNoted) {
  const CheckReport r =
      check(room() + meshRecord(7, -1, -1, -1, -1, 0, 5) + meshRecord(8, -1, -1, -1, -1, 4, -2) +
                meshRecord(9, -1, -1, -1, -1, 20000000, 1),
            "1");
  EXPECT_EQ(count(r, FindingKind::OutsideMapArea), 2);
  EXPECT_EQ(first(r, FindingKind::OutsideMapArea).line, 10);
  EXPECT_EQ(count(r, FindingKind::PositionTooLarge), 1);
  EXPECT_NE(text(first(r, FindingKind::PositionTooLarge)).find("cell 9"), std::string::npos);
  EXPECT_EQ(checkExitStatus(r), 0);  // notes only
  EXPECT_EQ(totalFindings(check(room(), "1")), 0);
}

// A byte-order mark before a number makes it no number; the message shows
// the mark instead of a "1" that looks like the number it is not.
TEST_F(PlanCheck, InvisibleCharactersAreSpelledOut) {
  const CheckReport r = check(room(), "\xEF\xBB\xBF" "1\n");
  const std::string message = text(first(r, FindingKind::ExitsStopped));
  EXPECT_NE(message.find("\"\\xEF\\xBB\\xBF1\" is not a whole number"), std::string::npos)
      << message;
  for (const char* hidden : {"\xE2\x80\x8B", "\xC2\xA0", "\xE2\x80\xAE", "\x7F", "\x1B"}) {
    const CheckReport odd = check(room(), std::string(hidden) + "2\n");
    EXPECT_EQ(text(first(odd, FindingKind::ExitsStopped)).find(hidden), std::string::npos)
        << hidden;
  }
  const nlohmann::json json = nlohmann::json::parse(formatJsonReport(r));
  EXPECT_EQ(json["exits"]["stop"]["text"], "\xEF\xBB\xBF" "1");
}

// Paths come from the command line, often from a glob over folders named
// by others: the plain report spells their control bytes out as well, so
// that every line stays one plain line.
TEST_F(PlanCheck, PathsInTheTextReportAreEscaped) {
  const CheckReport r = checkPlanTexts("in\x1b[2J/Mesh\n.csv", room() + "7 x\n",
                                       "in/Exit\x07Grid.dat", "1\n", 0);
  const std::string text = formatTextReport(r);
  for (char raw : {'\x1b', '\x07'}) EXPECT_EQ(text.find(raw), std::string::npos) << text;
  EXPECT_EQ(text.rfind("Checking in\\x1B[2J/Mesh\\x0A.csv and in/Exit\\x07Grid.dat\n", 0), 0u)
      << text;
  EXPECT_NE(text.find("\n  Mesh\\x0A.csv:10: record 7"), std::string::npos) << text;
  EXPECT_NE(text.find("\nExits (Exit\\x07Grid.dat)\n"), std::string::npos) << text;
  // Every line of the report is a line of the report's own.
  EXPECT_EQ(text.find("\n.csv"), std::string::npos) << text;
}

// Neighbours are beside each other when their columns differ by one, in
// whole numbers: 2147483647 and -2147483648 are as far apart as columns go.
TEST_F(PlanCheck, NeighboursAtTheEndsOfThirtyTwoBitColumnsAreNotBeside) {
  const CheckReport r =
      check(kHeader + "1 2 -1 -1 -1 2147483647 1 f 0 0 a b c\n" +
                "2 -1 -1 1 -1 -2147483648 1 f 0 0 a b c\n" +
                "3 -1 -1 -1 4 5 2147483647 f 0 0 a b c\n" +
                "4 -1 3 -1 -1 5 -2147483648 f 0 0 a b c\n",
            "1");
  EXPECT_EQ(count(r, FindingKind::NeighbourNotBeside), 2) << formatTextReport(r);
}
