// The low-level readers of the two input files. They report what they see
// (values, the line and field where reading stopped and why) and store
// nothing; the program's readers and the plan checker both sit on them, so
// the two cannot disagree about a file.
//
// Fields follow the rules of formatted stream extraction in the C locale:
// blanks, tabs, CR, LF, VT and FF separate fields; an integer is an optional
// sign and decimal digits, ends at the first character that cannot continue
// it and must fit 32 bits; a word runs up to the next white space.
//
// A file is read a piece at a time into one buffer of fixed size, so the
// memory a reading takes does not depend on the file: a field, a number or a
// line break may straddle two pieces, and is read as if it did not.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "scene/scene.h"

constexpr int kMeshHeaderLines = 3;  // thrown away whatever they hold
constexpr int kMeshRecordFields = 13;
constexpr std::size_t kPieceBytes = std::size_t{1} << 20;  // bytes read from a file at a time

// The first bytes of a field or line, for messages; the rest is only counted.
constexpr int kKeptTextBytes = 256;
struct KeptText {
  char bytes[kKeptTextBytes];
  int length;  // bytes held in `bytes`
  bool cut;    // the text went on beyond them
  std::string_view view() const { return std::string_view(bytes, static_cast<std::size_t>(length)); }
};

// A read position in an input: text in memory, or a file (or text in
// memory, for tests) handed over a piece at a time. Not copyable: a file
// has one position.
struct TextCursor {
  const char* base;               // first byte of the piece at hand
  const char* pos;                // next byte
  const char* end;                // end of the piece at hand
  std::int64_t line;              // 1-based line of `pos`
  std::int64_t pieceOffset;       // bytes of the input before the piece at hand
  std::FILE* file;                // read from here when the piece runs out; nullptr: none
  std::string_view rest;          // or take the next piece from here
  std::size_t pieceBytes;         // size of a piece
  std::unique_ptr<char[]> piece;  // the buffer of pieces; empty for text in one piece
  int readError;                  // errno of a failed read, 0 when none
  // The field being read, kept across a change of piece (see keepFieldText).
  const char* fieldStart;  // in the piece at hand; nullptr when no field is kept
  KeptText fieldCarry;     // its bytes from earlier pieces
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
  int field;           // 1-based field of the record
  std::int64_t line;   // line where the failing field starts
  std::int64_t offset; // bytes of the input consumed where the reader stopped
  KeptText text;       // the white-space-delimited text found there
  KeptText gluedTo;    // the field before it when no white space came between; else empty
};

// The fields of one mesh record that the readers use.
struct MeshRecord {
  CellId cell;
  std::int32_t right, bottom, left, top;  // neighbour numbers, as read
  std::int32_t column, row;               // grid position
  std::int32_t leftWall, bottomWall;      // nonzero closes the side
  std::int64_t line;                      // line where the record starts
  KeptText kind;                          // field 8, when asked for
  KeptText tags;                          // field 11, when asked for
  KeptText place;                         // field 12, when asked for
};

// Pure: a cursor over the whole of `text` (which must outlive it), on line
// 1. With pieceBytes > 0 the text is handed over in pieces of that size,
// exactly as a file would be.
TextCursor makeCursor(std::string_view text, std::size_t pieceBytes = 0);

// Opens `path` for reading in pieces of pieceBytes. False, with errno set
// and the cursor empty, when it cannot be opened; a folder opens and then
// fails to read. The cursor closes the file in closeCursor.
bool openFileCursor(const char* path, TextCursor& in, std::size_t pieceBytes = kPieceBytes);

// Closes the cursor's file, if any; the cursor then reads as ended.
void closeCursor(TextCursor& in);

// Bytes of the input consumed so far.
std::int64_t cursorOffset(const TextCursor& in);

// Skips white space, then reads one integer field.
FieldResult readIntField(TextCursor& in, std::int32_t& value);

// Skips white space, then reads one word; its first bytes land in `word`
// when it is not null.
FieldResult readWordField(TextCursor& in, KeptText* word);

// Skips the three header lines, keeping the first bytes of each in `lines`
// when it is not null. False when the text ends before the last of them
// starts, which leaves no records to read. With maxLineBytes > 0, also
// false, with the 1-based number of that line in *longLine (when not null;
// else 0), at a line longer than maxLineBytes, after reading at most one
// piece beyond them: an endless line (/dev/zero) ends the reading there.
bool skipMeshHeader(TextCursor& in, KeptText* lines = nullptr, std::int64_t maxLineBytes = 0,
                    int* longLine = nullptr);

// The bound the companion programs put on a header line, bytes; the
// program's own reading has none, as std::getline.
constexpr std::int64_t kMaxHeaderLineBytes = std::int64_t{1} << 20;

// After skipMeshHeader: reads the next 13 fields; with keepWords, fields 8,
// 11 and 12 too. False, with `failure` filled in, when one cannot be read.
bool readMeshRecord(TextCursor& in, MeshRecord& record, FieldFailure& failure,
                    bool keepWords = false);

// Reads the next exit number; `line` is where it stands. False, with
// `failure` filled in (field 1), at the end or at a field that is not a
// whole number.
bool readExitRecord(TextCursor& in, CellId& exit, std::int64_t& line, FieldFailure& failure);

// One exit number as readExitList met it, for callers that explain a reading.
struct ExitNumber {
  CellId exit;             // as read
  std::int64_t line;       // where it stands
  std::int64_t firstLine;  // a slot listed before: the line of its first listing; else 0
  bool outside;            // outside 0..kMaxCellId: skipped
};

// What a reading of an exit file left. It holds one entry a slot at most,
// so its size is bounded by the table, not by the file.
struct ExitList {
  std::vector<CellId> exits;        // distinct slots listed, in the order first listed
  std::vector<std::int64_t> lines;  // the line of each one's first listing
  std::int64_t numbersRead;         // whole numbers read, repeats and outside ones too
  std::int64_t repeated;            // of those, slots listed before: they change nothing
  std::int64_t outside;             // of those, outside 0..kMaxCellId: skipped
  ExitNumber firstOutside;          // the first of the outside ones; zero when none
  FieldFailure stop;                // why reading ended: EndOfText in field 1 at a clean end
};

// The one reading of exit numbers: from `in` to its end or to the first
// field that is not a whole number, into `list` (cleared first); `seen`
// (may be null) is handed each number read, in file order, with `context`.
void readExitList(TextCursor& in, ExitList& list,
                  void (*seen)(const ExitNumber& number, void* context) = nullptr,
                  void* context = nullptr);

// readExitList on the file at `path`. False, with errno set and the list
// empty, when it cannot be opened; a failed read leaves its errno in
// *readError (when not null; else 0) and the list as read before it.
bool readExitFile(const char* path, ExitList& list, int* readError = nullptr);

// Reads up to and including the next LF (or to the end) and leaves the
// line without its LF in `line`. A line longer than maxBytes is read only
// that far, with `longer` set: the rest stays unread, so an endless line
// costs no more than maxBytes. False when nothing was left.
bool readLine(TextCursor& in, std::string& line, std::size_t maxBytes, bool& longer);

// The white space that separates fields (the C locale's isspace).
constexpr bool isFieldSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// A neighbour or cell number that names no slot.
constexpr bool outsideTable(std::int64_t id) { return id < 0 || id > kMaxCellId; }
