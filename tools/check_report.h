// orvik-check's findings about a plan: what the program makes of a mesh file
// and an exit file, and what in them looks wrong. Everything is built from
// the texts, on the program's own readers and routines (readMeshText,
// computeTravelTimesFromText), so the checker cannot count a record the
// program drops or miss one it keeps. Uses (and clears) the global cell table.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "scene/reader.h"
#include "scene/scene.h"

constexpr double kSecondsPerMinute = 60.0;
// Histogram bins of whole minutes up to the cut-off: 0-1, 1-2, ..., 7-7.5 min.
constexpr int kMinuteBins = static_cast<int>(kTimeCutoff / kSecondsPerMinute) + 1;
constexpr int kMaxMoves = static_cast<int>(kTimeCutoff / kStepTime);  // 112 moves = 448 s

enum class InputFile { Mesh, Exits };

// In the order the report lists them. The first group changes what the
// program loads or seeds (exit status 1); the second describes the plan.
enum class FindingKind {
  ShortHeader,             // fewer than three lines: no records at all
  MeshStopped,             // a field could not be read before the end
  CellOutsideTable,        // record skipped: cell number outside 0..kMaxCellId
  RepeatedCell,            // a later record replaced an earlier one
  NoCells,                 // nothing to draw
  ExitsStopped,            // a field could not be read before the end
  ExitOutsideTable,        // skipped: no slot to seed
  ExitWithoutRecord,       // seeds a slot that no mesh record names
  ExitClosedIn,            // all four sides closed: reaches nobody
  NoExits,                 // every cell stays unreached
  HeaderLooksLikeRecord,   // a header line that reads as a whole record
  CellZeroStored,          // slot 0 is stored but never drawn
  SharedPosition,          // two cells drawn on one grid square
  NeighbourWithoutRecord,  // an open side leads into a slot with no record
  NeighbourNotNamedBack,   // A's right is B, B's left is not A
  NeighbourNotBeside,      // named both ways but not adjacent on the grid
  RepeatedExit,            // listed again; changes nothing
};
constexpr int kFindingKinds = static_cast<int>(FindingKind::RepeatedExit) + 1;
constexpr FindingKind kLastLoadFinding = FindingKind::NoExits;

struct Finding {
  FindingKind kind;
  InputFile file;
  std::int32_t line;    // 1-based line in `file`, 0 when there is none
  int field;            // 1-based field of the record, 0 when there is none
  std::string message;  // without file and line; quotes are already escaped
};

// One input file as the program would see it.
struct InputText {
  std::string path;   // as given
  bool opened;        // false: missing or unreadable; the program reads it as empty
  std::string error;  // why it could not be read, when !opened
  std::string text;
};

// Where a reader stopped before the end of its file.
struct ReadStop {
  bool early;  // false: the file ended cleanly after the last field
  FieldResult result;
  int field;          // 1-based
  std::int32_t line;  // 1-based
  std::string text;   // the white-space-delimited text found there, as is
};

struct MeshSummary {
  std::int32_t lines;  // lines in the file, a last line without LF included
  bool headerWhole;    // three header lines were there to skip
  int recordsRead;     // records whose 13 fields were read
  int recordsStored;   // of those, stored in the table (cell number in range)
  int skippedOutside;  // of those, skipped for a cell number outside the table
  int repeatedCells;   // stored records that replaced an earlier one
  int cellsStored;     // distinct drawn cells (1..kMaxCellId) in the table
  ReadStop stop;
};

struct ExitSummary {
  int numbersRead;     // exit numbers read, in file order
  int seeded;          // of those, inside the table (repeats included)
  int skippedOutside;  // of those, outside 0..kMaxCellId
  int distinctExits;   // distinct slots seeded
  ReadStop stop;
};

// Over the drawn cells that the mesh stored.
struct TimeSummary {
  int cells;
  int reached;                 // time 0..448 s
  int fiveMinutesOrMore;       // reached, time >= 300 s
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

// One row of the times file.
struct CellTime {
  CellId cell;
  std::int32_t column, row;  // grid
  float seconds;             // kUnreachedTime when no exit reaches it in time
};

struct CheckReport {
  std::string meshPath, exitPath;
  bool meshOpened, exitOpened;
  std::string meshError, exitError;
  MeshSummary mesh;
  ExitSummary exits;
  TimeSummary times;
  ExtentSummary extent;
  std::vector<Finding> findings;  // grouped by kind, in FindingKind order
  int findingCounts[kFindingKinds];
  std::vector<CellTime> cellTimes;  // stored drawn cells, by cell number
  // The checker's own record count and a breadth-first walk match what
  // readMeshText stored and what computeTravelTimesFromText computed.
  bool agreesWithProgram;
};

// The whole file at `path`, or why it cannot be read.
InputText loadInput(const std::string& path);

// Runs the program's readers and travel times on the two texts (clearing
// the cell table first) and collects the facts and findings.
CheckReport checkPlan(const InputText& mesh, const InputText& exits);

// 2: a file could not be read; 1: something was ignored, reading stopped
// early or an exit is of no use; 0 otherwise.
int checkExitStatus(const CheckReport& report);

// Plain lines for a person; each kind of finding lists at most `listed`
// messages and then says how many more there are.
std::string formatTextReport(const CheckReport& report, int listed = 20);

// The same facts as one JSON object, every finding included.
std::string formatJsonReport(const CheckReport& report);

// "cell,column,row,seconds", one row per stored drawn cell; empty seconds
// for an unreached cell.
std::string formatTimesCsv(const CheckReport& report);

// `text` as a JSON string literal, quotes included. Invalid UTF-8 becomes
// U+FFFD, so any bytes give valid JSON.
std::string jsonQuoted(std::string_view text);
