// Shared by the checker's own files: its notes on each slot, kept beside the
// program's cell table while one plan is checked, the store of findings and
// the words that messages are made of.
#pragma once

#include <string>
#include <string_view>

#include "check.h"
#include "plain_text.h"

// Per slot, cleared by clearNotes before each plan.
extern std::int64_t firstLine[kSlotCount];   // line of the slot's first record, 0 none
extern std::int64_t recordLine[kSlotCount];  // line of the record that stands, 0 none
extern std::int32_t gridColumn[kSlotCount];  // grid, of the record that stands
extern std::int32_t gridRow[kSlotCount];     // grid, of the record that stands
extern std::int64_t exitLine[kSlotCount];    // line of the exit's first listing, 0 not an exit
extern CellId storedSlots[kSlotCount];       // slots with a record, in file order
extern int storedCount;                      // entries of storedSlots in use
extern CellId exitSlots[kSlotCount];         // distinct exits in the order first listed
extern int exitCount;                        // entries of exitSlots in use
extern std::int16_t kindOf[kSlotCount];      // index in kindWords of the record's field 8, -1 none
extern std::string placeOf[kSlotCount];      // the record's plan place (field 12) when it is one
extern int movesFromExit[kSlotCount];        // fewest moves from any exit, kNoWay where none leads
extern float geodesicTime[kSlotCount];       // s, with options.geodesic
extern float worstTime[kSlotCount];          // s, with options.blocked: worst of one door blocked
extern float worstGeodesic[kSlotCount];      // s, the same for the geodesic times
extern int worstMoves[kSlotCount];           // with options.blocked: most side moves of one door
                                             // blocked, uncut; kNoWay where some door leaves none
extern std::string doorNameOf[kSlotCount];   // door=NAME of the record's tags, "" none
extern float blockedTime[kSlotCount];        // s, with options.block: those doors blocked
extern float blockedGeodesicTime[kSlotCount];  // s, the same for the geodesic times
extern int blockedMoves[kSlotCount];         // side moves with those doors blocked, uncut; kNoWay

extern std::int16_t levelOf[kSlotCount];     // index in levelNames of the record's level, -1 none
extern std::int16_t endLabelOf[kSlotCount];  // index in joinLabels when the record is a join's end
extern Travel towardOf[kSlotCount];          // a join end's way across, as its record says
extern Travel runsOf[kSlotCount];            // a join end's escalator way, as its record says

// The distinct level names and join labels of the records' tags, in the
// order first met; past kMaxKinds, further ones share the last entry.
extern std::vector<std::string> levelNames;
extern std::vector<std::string> joinLabels;

// The distinct kind words of the records, in the order they first appear;
// past kMaxKinds, further words share the last entry.
constexpr int kMaxKinds = 64;
extern std::vector<std::string> kindWords;

// The index of `word` in `words` (kind words, level names, join labels),
// added when it is new; past kMaxKinds entries, further words share the
// last, which then reads `others`.
std::int16_t wordIndex(std::vector<std::string>& words, std::string_view word, const char* others);

// Leaves every note empty.
void clearNotes();

// Counts the finding and keeps it while fewer than kKeptFindings of its kind are kept.
void addFinding(CheckReport& r, FindingKind kind, InputFile file, std::int64_t line, int field,
                Message message);


// Message pieces: the checker's own words, and text from a file.
MessagePiece own(std::string words);
MessagePiece quote(std::string_view fileText, bool cut = false);
MessagePiece quote(const KeptText& fileText);

std::string num(long long value);
// "1 record", "2 records".
std::string plural(long long count, const char* one, const char* many);
// `value` with `decimals` digits after the point.
std::string fixed(double value, int decimals);
// The last part of a path, as reports name the files.
std::string baseName(const std::string& path);
// `value` with the fewest decimals that read back as the same number.
std::string shortestNumber(double value);
// "  By minute: 0-1: n, 1-2: n, ..., <lastLabel>: n" and a line break.
std::string minuteHistogram(const int* perMinute, int bins, const std::string& lastLabel);
// minuteHistogram of the walk's bins, the last ending at kLongestTime.
std::string walkHistogram(const int perMinute[kMinuteBins]);

// Why a field could not be read, as words after the quoted text.
const char* failureReason(FieldResult result);

// When the failing field was glued to the one before it ("12," or "2.5"),
// adds what the reader made of them; `previous` names the field before.
void appendGluedHint(Message& m, const FieldFailure& f, const std::string& previous);

// The steps of checking one plan, in the order checkPlanTexts runs them.
void noteMeshRecord(const MeshRecord& record, void* report);
void describeMeshStop(const FieldFailure& failure, CheckReport& r);
void checkHeaderLines(const KeptText lines[kMeshHeaderLines], CheckReport& r);
void checkPlacesAndNeighbours(CheckReport& r);
// Notes slot c's level and join from the tags word of its record.
void noteLevelTags(CellId c, std::string_view tags);
// After the exits are read: the levels, their cells, exits and joins; and
// the joins as the geodesic search's portals.
void summariseLevels(CheckReport& r);
void noteExitNumber(const ExitNumber& number, void* report);
void describeExitStop(const FieldFailure& failure, CheckReport& r);
void checkExitsLeadOut(CheckReport& r);
void summariseTimesAndExtent(CheckReport& r);
void summariseGeodesic(CheckReport& r);
// Exit cells a move joins into report.doors, each named from its cells' tags.
void groupDoors(CheckReport& r);
void nameDoors(CheckReport& r);
// The index in report.doors of exit slot e's door; needs groupDoors.
int doorIndexOf(CellId e);
void blockEachDoor(CheckReport& r);
// With options.block: the named doors blocked together, or blockError.
void blockChosenDoors(CheckReport& r);
// travelTime holding a case walked from `seeds`: its side moves, counted
// past the cut-off where some cell is unreached that has a way out with
// every exit, into `moves` (kNoWay where none leads).
void uncutMovesOfCase(const CellId* seeds, int count, int moves[kSlotCount]);
// Ranks kNoWay above every count of moves.
int remoteness(int moves);
// After tallyTimes: the unreached cells of `times` split by `moves` into
// those beyond the cut-off and those with no way out.
void splitUnreached(const float times[kSlotCount], const int moves[kSlotCount], TimeSummary& s);
void judgeLimit(CheckReport& r);
void collectCellTimes(CheckReport& r);
// A time for a CSV field with `decimals` digits after the point; "" when unreached.
std::string csvSeconds(float t, int decimals);

// A line on standard error while a long step runs, when `show` (standard
// error is a terminal): the first at once, then at most one a second, each
// replacing the last, with the time left where every unit of the step
// costs about the same (`paceSteady`); endProgress erases it.
void startProgress(bool show, const char* what, bool paceSteady);
void tickProgress(std::int64_t done, std::int64_t total);
void endProgress();
// Pure: the words of that line after `seconds` of the step (below 0: no
// estimate of the time left).
std::string progressLine(const char* what, std::int64_t done, std::int64_t total, double seconds);

// Over the drawn cells: how many are reached, by minute, the largest; the
// split of the unreached is left to the caller.
void tallyTimes(const float times[kSlotCount], TimeSummary& s);

// The text report's sections on what the options asked for (geodesic
// times, each door blocked, the doors chosen with --block, a limit), appended
// to `out`; each kind of list cut after `listed`.
void appendWhatIfs(std::string& out, const CheckReport& r, int listed);
