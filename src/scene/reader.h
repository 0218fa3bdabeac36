// The low-level readers of the two input files. They report what they see
// (values, the line and field where reading stopped and why) and store
// nothing; the program's readers and the plan checker both sit on them, so
// the two cannot disagree about a file.
//
// Fields follow the rules of formatted stream extraction in the C locale:
// blanks, tabs, CR, LF, VT and FF separate fields; an integer is an optional
// sign and decimal digits, ends at the first character that cannot continue
// it and must fit 32 bits; a word runs up to the next white space.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "scene.h"

constexpr int kMeshHeaderLines = 3;  // thrown away whatever they hold
constexpr int kMeshRecordFields = 13;

// A read position in a whole file held in memory.
struct TextCursor {
  const char* pos;
  const char* end;
  std::int32_t line;  // 1-based line of `pos`
};

enum class FieldResult {
  Read,         // the field was read
  EndOfText,    // only white space was left
  NotANumber,   // an integer field without a digit where the number starts
  OutOfRange,   // an integer field whose digits do not fit 32 bits
};

// Where and why a record could not be read.
struct FieldFailure {
  FieldResult result;
  int field;              // 1-based field of the record
  std::int32_t line;      // line where the failing field starts
  std::string_view text;  // the white-space-delimited text found there
};

// The fields of one mesh record that the program uses.
struct MeshRecord {
  CellId cell;
  std::int32_t right, bottom, left, top;  // neighbour numbers, as read
  std::int32_t column, row;               // grid position
  std::int32_t leftWall, bottomWall;      // nonzero closes the side
};

// Any caller: a cursor over `text`, on line 1.
TextCursor makeCursor(std::string_view text);

// Any caller: skips white space, then reads one integer field.
FieldResult readIntField(TextCursor& in, std::int32_t& value);

// Any caller: skips white space, then reads one word into `word`.
FieldResult readWordField(TextCursor& in, std::string_view& word);

// Mesh readers: skips the three header lines. False when the text ends
// before the last of them starts, which leaves no records to read.
bool skipMeshHeader(TextCursor& in);

// Mesh readers, after skipMeshHeader: reads the next 13 fields. False, with
// `failure` filled in, when one of them cannot be read.
bool readMeshRecord(TextCursor& in, MeshRecord& record, FieldFailure& failure);

// Exit readers: reads the next exit number. False, with `failure` filled in
// (field 1), at the end or at a field that is not a whole number.
bool readExitRecord(TextCursor& in, CellId& exit, FieldFailure& failure);

// Any caller: the white space that separates fields (the C locale's isspace).
constexpr bool isFieldSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Any caller: a neighbour number that names no slot closes its side.
constexpr bool outsideTable(std::int32_t id) { return id < 0 || id > kMaxCellId; }

// Any caller: the whole file at `path` in `bytes`. False when it cannot be
// opened or read; the program then treats it as an empty file.
bool loadFileBytes(const char* path, std::string& bytes);
