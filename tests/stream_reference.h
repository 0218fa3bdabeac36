// Two readings of the same bytes, for comparing the field reader with
// formatted stream extraction in the C locale (std::getline for the three
// header lines, >> into int32_t and std::string for the fields). Shared by
// the equivalence tests and the differential fuzz target.
#pragma once

#include <cstdint>
#include <locale>
#include <sstream>
#include <string>
#include <vector>

#include "scene/reader.h"

namespace streamref {

constexpr char kFieldKinds[] = "iiiiiiiwiiwww";  // mesh record, in file order
constexpr std::int32_t kUntouched = 12345;       // a value extraction never leaves on failure

struct Reading {
  std::vector<std::int32_t> values;  // integer fields of every complete record, in order
  std::vector<std::size_t> offsets;  // byte offset after each complete record
  int stopField = 0;                 // 1-based field of the record that failed
  FieldResult stopReason = FieldResult::Read;
  std::size_t stopOffset = 0;  // byte offset where the reader stood after the failure
};

inline std::size_t streamOffset(std::istringstream& in) {
  // Straight from the buffer: tellg would set failbit at end of file.
  return static_cast<std::size_t>(in.rdbuf()->pubseekoff(0, std::ios::cur, std::ios::in));
}

// What a failed extraction left in the target: untouched when the text ended
// before the field, clamped when the digits overflowed, else zero.
inline FieldResult streamFailure(std::int32_t value) {
  if (value == kUntouched) return FieldResult::EndOfText;
  if (value == INT32_MAX || value == INT32_MIN) return FieldResult::OutOfRange;
  return FieldResult::NotANumber;
}

inline Reading streamMesh(const std::string& bytes) {
  std::istringstream in(bytes);
  in.imbue(std::locale::classic());
  std::string scratch;
  for (int i = 0; i < kMeshHeaderLines; ++i) std::getline(in, scratch);
  Reading r;
  for (;;) {
    const std::size_t before = r.values.size();
    for (int field = 1; field <= kMeshRecordFields; ++field) {
      std::int32_t value = kUntouched;
      const bool isInt = kFieldKinds[field - 1] == 'i';
      if (isInt) {
        in >> value;
      } else {
        in >> scratch;
      }
      if (!in) {
        r.values.resize(before);
        r.stopField = field;
        r.stopReason = isInt ? streamFailure(value) : FieldResult::EndOfText;
        r.stopOffset = streamOffset(in);
        return r;
      }
      if (isInt) r.values.push_back(value);
    }
    r.offsets.push_back(streamOffset(in));
  }
}

inline std::size_t offsetOf(const TextCursor& in) {
  return static_cast<std::size_t>(cursorOffset(in));
}

// With pieceBytes > 0 the field reader gets the text in pieces of that size,
// as it gets a file, so that fields, numbers, header lines and CR LF pairs
// straddle the edges of the pieces.
inline Reading fieldReaderMesh(const std::string& bytes, std::size_t pieceBytes = 0) {
  TextCursor in = makeCursor(bytes, pieceBytes);
  Reading r;
  if (!skipMeshHeader(in)) {
    r.stopField = 1;
    r.stopReason = FieldResult::EndOfText;
    r.stopOffset = offsetOf(in);
    return r;
  }
  MeshRecord m{};
  FieldFailure failure{};
  while (readMeshRecord(in, m, failure)) {
    for (std::int32_t v : {m.cell, m.right, m.bottom, m.left, m.top, m.column, m.row, m.leftWall,
                           m.bottomWall}) {
      r.values.push_back(v);
    }
    r.offsets.push_back(offsetOf(in));
  }
  r.stopField = failure.field;
  r.stopReason = failure.result;
  r.stopOffset = static_cast<std::size_t>(failure.offset);
  return r;
}

inline Reading streamExits(const std::string& bytes) {
  std::istringstream in(bytes);
  in.imbue(std::locale::classic());
  Reading r;
  for (;;) {
    std::int32_t value = kUntouched;
    if (!(in >> value)) {
      r.stopField = 1;
      r.stopReason = streamFailure(value);
      r.stopOffset = streamOffset(in);
      return r;
    }
    r.values.push_back(value);
    r.offsets.push_back(streamOffset(in));
  }
}

inline Reading fieldReaderExits(const std::string& bytes, std::size_t pieceBytes = 0) {
  TextCursor in = makeCursor(bytes, pieceBytes);
  Reading r;
  CellId exit = 0;
  std::int64_t line = 0;
  FieldFailure failure{};
  while (readExitRecord(in, exit, line, failure)) {
    r.values.push_back(exit);
    r.offsets.push_back(offsetOf(in));
  }
  r.stopField = failure.field;
  r.stopReason = failure.result;
  r.stopOffset = static_cast<std::size_t>(failure.offset);
  return r;
}

}  // namespace streamref
