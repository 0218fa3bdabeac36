// Levels and joins as plan2mesh records them in field 11 of a mesh record
// (record_tags.h), read back by the tools without the plan file.
//
// A join links the end of a stair or escalator on one level to its other
// end on another level. Every cell of such a run (the cells of its kind
// that reach the end through open sides on that level) carries the join's
// label and the way crossing the join leads from there; the end cells, whose
// neighbour across the joined side lies on the other level, are flagged;
// an escalator's cells say which way it carries people.
//   level=Concourse;join=2;end;toward=down;runs=up
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

constexpr char kJoinTag[] = "join";      // key: the label of the join the cell's run leads to
constexpr char kJoinEndTag[] = "end";    // flag: the cell's joined side leads to the other level
constexpr char kTowardTag[] = "toward";  // key: up or down, crossing the join from this level
constexpr char kRunsTag[] = "runs";      // key: up or down, the way an escalator carries people

// Which way a join leads, or an escalator carries people. Levels are
// listed from the top down, so "down" is towards a later level.
enum class Travel : std::int8_t { None, Up, Down };

// What field 11 says about a cell's join.
struct RecordJoin {
  std::string label;  // "" when the cell is on no joined run
  bool end;           // kJoinEndTag present
  Travel toward;      // None when absent or not up/down
  Travel runs;        // None when absent or not up/down
};

// Pure: "up", "down", or "" for None.
const char* travelWord(Travel way);

// Pure: the way `word` names; None for any word but "up" and "down".
Travel travelFromWord(std::string_view word);

// Pure: the join facts of a field-11 word.
RecordJoin readRecordJoin(std::string_view tags);

// Pure: the level name of a field-11 word; "" for a cell of no named level.
std::string recordLevel(std::string_view tags);
