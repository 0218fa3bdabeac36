// orvik-check's findings about a plan: what the program makes of a mesh
// file and an exit file, and what in them looks wrong. The files are read
// once, with the program's own readers and walk (readMesh, readExitList,
// seedExitList), the readers handing every record and exit number to the
// checker as they go; so the checker cannot count a record the program
// drops or miss one it keeps. Uses (and overwrites) the global cell table.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "join_tags.h"
#include "scene/reader.h"
#include "scene/scene.h"

constexpr int kLongestTime = static_cast<int>(kMaxMoves * kStepTime);  // s, the last time the walk keeps
// Histogram bins of whole minutes up to the cut-off; the last holds the
// times from its minute up to kLongestTime.
constexpr int kMinuteBins = static_cast<int>(kLongestTime / kSecondsPerMinute) + 1;
// Findings of one kind listed in full; beyond that they are only counted.
constexpr int kKeptFindings = 1000;

enum class InputFile { Mesh, Exits };

// In the order the report lists them. The first group changes what the
// program loads or seeds (exit status 1); the second describes the plan.
enum class FindingKind {
  ShortHeader,             // fewer than three lines, or one over the bound: no records at all
  MeshStopped,             // a field could not be read before the end
  CellOutsideTable,        // record skipped: cell number outside 0..kMaxCellId
  RepeatedCell,            // a later record replaced an earlier one
  NoCells,                 // nothing to draw
  ExitsStopped,            // a field could not be read before the end
  ExitOutsideTable,        // skipped: no slot to seed
  ExitWithoutRecord,       // seeds a slot that no mesh record names
  ExitClosedIn,            // no move leads out of it: reaches nobody
  NoExits,                 // every cell stays unreached
  HeaderLooksLikeRecord,   // a header line that reads as a whole record
  CellZeroStored,          // slot 0 is stored but never drawn
  SharedPosition,          // two cells drawn on one grid square
  NeighbourWithoutRecord,  // an open side leads into a slot with no record
  NeighbourNotNamedBack,   // A's right is B, B's left is not A
  NeighbourNotBeside,      // named both ways but not adjacent on the grid
  OutsideMapArea,          // drawn left of or below the map's origin: not seen
  PositionTooLarge,        // too far out for the float vertices to tell cells apart
  RepeatedExit,            // listed again; changes nothing
};
constexpr int kFindingKinds = static_cast<int>(FindingKind::RepeatedExit) + 1;
constexpr FindingKind kLastLoadFinding = FindingKind::NoExits;

// Part of a message: words of the checker's own, or text taken from an input
// file, which each report shows its own way (escaped and cut for a terminal,
// raw in JSON).
struct MessagePiece {
  bool fromFile;
  std::string text;
  bool cut;  // file text that went on beyond `text`
};
using Message = std::vector<MessagePiece>;

struct Finding {
  FindingKind kind;
  InputFile file;
  std::int64_t line;  // 1-based line in `file`, 0 when there is none
  int field;          // 1-based field of the record, 0 when there is none
  Message message;    // without file and line
};

// Where a reader stopped before the end of its file.
struct ReadStop {
  bool early;  // false: the file ended cleanly after the last field
  FieldResult result;
  int field;          // 1-based
  std::int64_t line;  // 1-based
  std::string text;   // the first bytes of the white-space-delimited text found there
  bool textCut;       // the text went on beyond them
};

struct MeshSummary {
  std::int64_t lines;        // lines read, up to where reading ended
  bool headerWhole;          // three header lines were there to skip
  std::int64_t recordsRead;  // records whose 13 fields were read
  std::int64_t recordsStored;   // of those, stored in the table (cell number in range)
  std::int64_t skippedOutside;  // of those, skipped for a cell number outside the table
  std::int64_t repeatedCells;   // stored records that replaced an earlier one
  int cellsStored;              // distinct drawn cells (1..kMaxCellId) in the table
  ReadStop stop;
};

struct ExitSummary {
  std::int64_t numbersRead;     // exit numbers read, in file order
  std::int64_t seeded;          // of those, inside the table (repeats included)
  std::int64_t skippedOutside;  // of those, outside 0..kMaxCellId
  int distinctExits;            // distinct slots seeded
  ReadStop stop;
};

// Over the drawn cells that the mesh stored.
struct TimeSummary {
  int cells;
  int reached;                 // time 0..kMaxMoves moves
  int fiveMinutesOrMore;       // reached, time >= kScaleMaxTime
  int unreached;               // kUnreachedTime
  int beyondCutoff;            // of the unreached: a path exists, longer than kMaxMoves
  int noPath;                  // of the unreached: no exit leads there at all
  float largest;               // s, largest reached time; -1 when none was reached
  int perMinute[kMinuteBins];  // reached cells by whole minutes of time
};

struct ExtentSummary {
  double maxX, maxY;                  // map units, the program's MeshExtent
  std::int32_t minColumn, maxColumn;  // grid, over the stored drawn cells
  std::int32_t minRow, maxRow;        // grid
  CellId highestCell;                 // 0 when no cell was stored
};

// What to work out beyond reading and checking the files.
struct CheckOptions {
  bool blocked = false;     // each door blocked in turn
  bool geodesic = false;    // the continuous walking time beside the side-move count
  bool limitGiven = false;  // judge every cell against limitSeconds
  double limitSeconds = 0;  // s
  std::string exitsDir;     // with blocked: write one exit file per door here; empty: none
  int maxDoors = 0;         // with blocked: refuse a plan of more doors; 0: no bound
  bool progress = false;    // a progress line on standard error during long steps
  std::vector<std::string> block;  // doors blocked together: names or numbers as given; empty none
  bool listOver = false;    // with limitGiven: keep the cells over the limit for a list
};

// One row of the times file.
struct CellTime {
  CellId cell;
  std::int32_t column, row;     // grid
  float seconds;                // kUnreachedTime when no exit reaches it in time
  float worstBlocked;           // s, the longest with any one door blocked; kUnreachedTime
                                // when some door leaves the cell unreached
  float geodesic;               // s, the continuous walking time; kUnreachedTime when none
  float worstBlockedGeodesic;   // s, geodesic, the longest with any one door blocked
  float blockedSeconds;         // s, with options.block: the time with those doors blocked
  float blockedGeodesic;        // s, the same for the geodesic time
};

// Exit cells that a move joins, as one entrance: numbered in the order in
// which their first cell appears in the exit file.
struct Door {
  int number;                     // 1-based
  std::string name;               // door=NAME in its cells' tags (the first cell that has one); "" none
  CellId first;                   // its first cell in the exit file
  std::int32_t column, row;       // grid, of that cell
  std::string place;              // "line:column" in the plan, where the record names one
  int cells;                      // exit cells in the door
  // With the door blocked (its cells no exits), over the drawn cells:
  int longer;                     // cells whose time grows
  float largestIncrease;          // s, among cells reached either way; 0 when none
  int fiveMinutesOrMore;          // reached in kScaleMaxTime or more
  int lostWayOut;                 // reached with all exits, unreached with this door blocked
  int lostNoWay;                  // of those, with no way out at all (the rest only beyond the cut-off)
  float largestGeodesic;          // s, the longest geodesic time; -1 when none or not asked
};

// Cells over a walking-time limit, by the kind word of their record.
struct KindOverLimit {
  std::string kind;        // field 8 of the records, as written
  int cells;               // of this kind, over the limit
  CellId remote;           // the most remote of them: the longest walk, uncut; no way out longest
  std::int32_t column, row;
  float seconds;           // its time; kUnreachedTime when no exit reaches it
  int beyondCutoff;        // of the cells, unreached in time but with a way out beyond the cut-off
  int noWayOut;            // of the cells, with no way to an exit at all
  int remoteMoves;         // side moves of the most remote, counted past the cut-off; kNoWay
                           // when it has no way out, -2 for geodesic times
};

struct LimitCase {
  int over;                           // cells over the limit
  int beyondCutoff;                   // of those, unreached in time but with a way beyond it
  int noWayOut;                       // of those, with no way to an exit at all
  std::vector<KindOverLimit> kinds;   // in the order the kinds first appear in the mesh
};

// A cell over the limit, for the list file.
enum class Unreached { No, BeyondCutoff, NoWayOut };
struct OverCell {
  CellId cell;
  std::int32_t column, row;   // grid
  std::string place;          // plan place line:column, "" where the record names none
  std::string kind;           // field 8 of its record
  float seconds;              // the time judged; kUnreachedTime when unreached
  Unreached unreached;
};

// Continuous walking times over the drawn cells, and how the side-move
// count compares with them.
constexpr int kGeodesicMinuteBins = 11;  // whole minutes 0-1 .. 9-10, then 10 and more
struct GeodesicSummary {
  int reached;
  int unreached;                         // no exit leads there at all
  int fiveMinutesOrMore;
  float largest;                         // s; -1 when none
  int perMinute[kGeodesicMinuteBins];
  int compared;                          // cells with both times, exits left out
  double ratioMedian, ratio95, ratioLargest;  // side-move time (uncut) / geodesic time
  CellId ratioWhere;                     // the cell of the largest ratio
  std::int32_t ratioColumn, ratioRow;
};

// A join between levels as seen from one of its levels.
struct LevelJoin {
  std::string label;    // as the records name it
  std::string kind;     // field 8 of its end cells (stair, escalator)
  int cells;            // end cells on this level joined to the other level
  std::string toLevel;  // the level of the cells they are joined to
  Travel toward;        // crossing from this level goes up or down, as the records say
  Travel runs;          // an escalator's way, as the records say; None for a stair
};

// The cells of one level, by the level names in the records' tags.
struct LevelSummary {
  std::string name;              // "" for cells of no named level
  int cells;                     // drawn cells
  int exits;                     // distinct exits among them
  std::vector<LevelJoin> joins;  // by label as first met in the mesh
};

struct CheckReport {
  std::string meshPath, exitPath;
  std::string planPath;              // the plan file converted in memory; "" for files read
  bool meshOpened, exitOpened;       // false: missing or unreadable
  std::string meshError, exitError;  // why, when not opened
  MeshSummary mesh;
  ExitSummary exits;
  TimeSummary times;
  ExtentSummary extent;
  std::vector<Finding> findings[kFindingKinds];  // the first kKeptFindings of each kind
  std::int64_t findingCounts[kFindingKinds];     // all of each kind
  std::vector<CellTime> cellTimes;               // stored drawn cells, by cell number
  std::vector<LevelSummary> levels;              // named levels in the order first met; empty
                                                 // when no record names a level
  CheckOptions options;
  std::vector<Door> doors;        // with options.blocked
  TimeSummary worstBlocked;       // with options.blocked: the worst of any one door blocked
  GeodesicSummary geodesic;       // with options.geodesic
  LimitCase limitAllExits;        // with options.limitGiven
  LimitCase limitAnyDoorBlocked;  // with options.limitGiven and options.blocked
  std::vector<int> blockedDoors;  // with options.block: their indexes in doors, as given
  std::string blockError;         // a name or number of options.block that names no door
  TimeSummary blockedTimes;       // with options.block, over the drawn cells
  int blockedLonger;              // cells whose time grows with those doors blocked
  float blockedLargestIncrease;   // s, among cells reached either way
  int blockedLostWayOut, blockedLostNoWay;  // as Door's lostWayOut and lostNoWay
  LimitCase limitBlockedDoors;    // with options.limitGiven and options.block
  std::vector<OverCell> overCells;  // with options.listOver: the listed case's cells over the limit
  std::string listCase;           // the case the list holds: allExits, anyDoorBlocked, blockedDoors
  std::vector<std::string> exitFilesWritten;  // with options.exitsDir
  std::vector<std::string> staleExitFilesRemoved;  // door files of an earlier run, removed
  // The checker's own record count and a breadth-first walk match what the
  // program's reader stored and what its walk computed.
  bool agreesWithProgram;
  std::string writeFailure;  // a file the checker was asked to write and could not, and why
  std::string refusal;       // a bound of the options the plan passes: the step was not run
};

// Reads the two files with the program's readers in pieces and collects the
// facts and findings, and what `options` asks for; a file that cannot be
// read is reported, not fatal.
CheckReport checkPlanFiles(const std::string& meshPath, const std::string& exitPath,
                           const CheckOptions& options = CheckOptions{});

// checkPlanFiles on texts in memory, handed to the readers in pieces of
// pieceBytes (0: in one piece); the paths only name the texts.
CheckReport checkPlanTexts(const std::string& meshPath, std::string_view meshText,
                           const std::string& exitPath, std::string_view exitText,
                           std::size_t pieceBytes = 0,
                           const CheckOptions& options = CheckOptions{});

// With report.options.exitsDir: the bytes the exit files of the doors take
// in all (each lists every exit but its own door's cells).
std::int64_t doorFilesBytes(const CheckReport& report);

// True when `path` names one of the exit files report.options.exitsDir
// gets: another output of the same run would replace it.
bool isDoorExitFile(const CheckReport& report, const std::string& path);

// 2: a file could not be read or written; 1: something was ignored, reading
// stopped early, an exit is of no use, or (with a limit) a cell is over the
// limit; 0 otherwise.
// With a refusal (a bound of the options), 2 too.
int checkExitStatus(const CheckReport& report);

// True when writing `path` would replace the mesh, exit or plan file the
// report was made from; a device or FIFO, written in place, replaces nothing.
bool replacesInput(const CheckReport& report, const std::string& path);

// With report.options.exitsDir: writes one exit file per door, the exit
// file without that door's cells, named for the door, and notes the names
// in the report; false, with report.writeFailure set, when one cannot be
// written. Needs the report of the last check.
bool writeDoorExitFiles(CheckReport& report);

// Plain lines for a person; each kind of finding lists at most `listed`
// messages and then says how many more there are. Text from the files is
// quoted, cut and escaped so that every line stays one plain line.
std::string formatTextReport(const CheckReport& report, int listed = 20);

// The same facts as one JSON object, with up to kKeptFindings findings of
// each kind and the count of all; text from the files as it stands, invalid
// UTF-8 replaced by U+FFFD.
std::string formatJsonReport(const CheckReport& report);

// "cell,column,row,seconds", one row per stored drawn cell, with
// worst_blocked_seconds, geodesic_seconds and worst_blocked_geodesic_seconds
// as the options asked for them; an empty value for an unreached cell.
std::string formatTimesCsv(const CheckReport& report);

// "cell,column,row,plan_place,kind,seconds,unreached": the cells over the
// limit of report.overCells, fields quoted as CSV needs (RFC 4180); seconds
// empty and unreached "beyond_cutoff" or "no_way_out" for a cell no exit
// reaches within the cut-off.
std::string formatOverCsv(const CheckReport& report);

// checkPlanTexts for a plan file converted in memory: the report names
// `planPath` and the converted files by their plain names.
CheckReport checkConvertedPlan(const std::string& planPath, std::string_view meshText,
                               std::string_view exitText, const CheckOptions& options);

// A message as the text report shows it: file text quoted, cut after a few
// dozen bytes, with control bytes and bytes that are not UTF-8 as \xNN.
std::string messageText(const Message& message);
