#include "scene/reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

#include <unistd.h>

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

void appendKept(KeptText& kept, const char* from, const char* to) {
  const std::size_t room = static_cast<std::size_t>(kKeptTextBytes - kept.length);
  const std::size_t size = static_cast<std::size_t>(to - from);
  const std::size_t taken = std::min(room, size);
  std::memcpy(kept.bytes + kept.length, from, taken);
  kept.length += static_cast<int>(taken);
  if (taken < size) kept.cut = true;
}

// The next piece, when the one at hand is used up. The bytes of a field
// that began in the old piece move into fieldCarry first, so the field's
// text survives the change.
bool refill(TextCursor& in) {
  const bool keeping = in.fieldStart != nullptr;
  if (keeping) appendKept(in.fieldCarry, in.fieldStart, in.end);
  std::size_t got = 0;
  if (in.file != nullptr) {
    errno = 0;
    got = std::fread(in.piece.get(), 1, in.pieceBytes, in.file);
    if (got == 0 && std::ferror(in.file) && in.readError == 0) in.readError = errno != 0 ? errno : EIO;
  } else if (!in.rest.empty()) {
    got = std::min(in.pieceBytes, in.rest.size());
    std::memcpy(in.piece.get(), in.rest.data(), got);
    in.rest.remove_prefix(got);
  }
  if (got == 0) {
    if (keeping) in.fieldStart = in.end;  // what was carried stays; nothing new follows
    return false;
  }
  in.pieceOffset += in.end - in.base;
  in.base = in.piece.get();
  in.pos = in.base;
  in.end = in.base + got;
  if (keeping) in.fieldStart = in.pos;
  return true;
}

// A hole in a sparse file reads as NUL bytes, which hold no line break:
// while looking for the end of a header line the reader may jump over it
// instead of reading gigabytes of zeros. Files that cannot seek, or a file
// system that knows no holes, are simply read on.
void skipHole(TextCursor& in) {
  if (in.file == nullptr) return;
  const off_t here = ::ftello(in.file);
  if (here < 0) return;
  errno = 0;
  off_t data = ::lseek(::fileno(in.file), here, SEEK_DATA);
  if (data < 0 && errno == ENXIO) data = ::lseek(::fileno(in.file), 0, SEEK_END);  // a hole to the end
  if (data > here && ::fseeko(in.file, data, SEEK_SET) == 0) in.pieceOffset += data - here;
}

// True at the end of the input; otherwise *in.pos is the next byte.
inline bool atEnd(TextCursor& in) { return in.pos == in.end && !refill(in); }

// Skips white space; true when any was skipped.
bool skipSpace(TextCursor& in) {
  bool skipped = false;
  while (!atEnd(in) && isFieldSpace(*in.pos)) {
    if (*in.pos == '\n') ++in.line;
    ++in.pos;
    skipped = true;
  }
  return skipped;
}

// From here on, the bytes read belong to the field whose text is kept.
void keepFieldText(TextCursor& in) {
  in.fieldStart = in.pos;
  in.fieldCarry.length = 0;
  in.fieldCarry.cut = false;
}

void keptFieldText(const TextCursor& in, KeptText& out) {
  out = in.fieldCarry;
  if (in.fieldStart != nullptr) appendKept(out, in.fieldStart, in.pos);
}

// Consumes the rest of a field, up to the next white space, keeping its text.
void skipWord(TextCursor& in) {
  while (!atEnd(in) && !isFieldSpace(*in.pos)) ++in.pos;
}

// Like stream extraction into an int: the sign and every digit are consumed
// even when the value overflows, and a lone sign is consumed and fails.
FieldResult readIntHere(TextCursor& in, std::int32_t& value) {
  bool negative = false;
  if (*in.pos == '-' || *in.pos == '+') {
    negative = *in.pos == '-';
    ++in.pos;
  }
  // Magnitude limit: 2147483647, or 2147483648 for a negative number.
  const std::uint64_t limit =
      static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()) + (negative ? 1 : 0);
  std::uint64_t magnitude = 0;
  bool anyDigit = false;
  bool overflow = false;
  while (!atEnd(in) && isDigit(*in.pos)) {
    anyDigit = true;
    if (!overflow) {
      magnitude = magnitude * 10 + static_cast<std::uint64_t>(*in.pos - '0');
      overflow = magnitude > limit;
    }
    ++in.pos;
  }
  if (!anyDigit) return FieldResult::NotANumber;
  if (overflow) return FieldResult::OutOfRange;
  value = negative ? static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude))
                   : static_cast<std::int32_t>(magnitude);
  return FieldResult::Read;
}

// The failing field's text runs to the next white space; only its first
// bytes are looked at, since nothing after a failure is read.
void describeFailure(TextCursor& in, FieldResult result, int field, std::int64_t line,
                     FieldFailure& failure) {
  failure.result = result;
  failure.field = field;
  failure.line = line;
  failure.offset = cursorOffset(in);
  KeptText& text = failure.text;
  text = KeptText{};
  if (result == FieldResult::EndOfText) return;
  keptFieldText(in, text);
  while (text.length <= kKeptTextBytes && !text.cut && !atEnd(in) && !isFieldSpace(*in.pos)) {
    ++in.pos;
    keptFieldText(in, text);
  }
}

// Field kinds of a mesh record, in file order: 'i' integer, 'w' word.
constexpr char kMeshFieldKinds[] = "iiiiiiiwiiwww";
static_assert(sizeof kMeshFieldKinds - 1 == kMeshRecordFields);
constexpr int kKindField = 8;   // the word plan2mesh fills with the kind of floor
constexpr int kTagsField = 11;  // the word plan2mesh fills with the record's tags
constexpr int kPlaceField = 12; // the word plan2mesh fills with the plan position

}  // namespace

TextCursor makeCursor(std::string_view text, std::size_t pieceBytes) {
  TextCursor in{};
  in.line = 1;
  if (pieceBytes == 0) {
    in.base = text.data();
    in.pos = in.base;
    in.end = in.base + text.size();
  } else {
    in.rest = text;
    in.pieceBytes = pieceBytes;
    in.piece.reset(new char[pieceBytes]);
  }
  return in;
}

bool openFileCursor(const char* path, TextCursor& in, std::size_t pieceBytes) {
  in = makeCursor(std::string_view(), pieceBytes);
  in.file = std::fopen(path, "rb");
  return in.file != nullptr;
}

void closeCursor(TextCursor& in) {
  if (in.file != nullptr) std::fclose(in.file);
  in.file = nullptr;
  in.rest = std::string_view();
  in.pos = in.end;
}

std::int64_t cursorOffset(const TextCursor& in) { return in.pieceOffset + (in.pos - in.base); }

FieldResult readIntField(TextCursor& in, std::int32_t& value) {
  skipSpace(in);
  if (atEnd(in)) return FieldResult::EndOfText;
  return readIntHere(in, value);
}

FieldResult readWordField(TextCursor& in, KeptText* word) {
  skipSpace(in);
  if (atEnd(in)) return FieldResult::EndOfText;
  keepFieldText(in);
  skipWord(in);
  if (word != nullptr) keptFieldText(in, *word);
  return FieldResult::Read;
}

// Like std::getline three times: a line ends after its LF; a last line
// without one still counts if it holds any character, but then nothing is
// left to read. With a bound, a line longer than it ends the skip there.
bool skipMeshHeader(TextCursor& in, KeptText* lines, std::int64_t maxLineBytes, int* longLine) {
  if (longLine != nullptr) *longLine = 0;
  for (int i = 0; i < kMeshHeaderLines; ++i) {
    if (atEnd(in)) return false;
    keepFieldText(in);
    const std::int64_t start = cursorOffset(in);
    const auto over = [&](const char* at) {
      return maxLineBytes > 0 && in.pieceOffset + (at - in.base) - start > maxLineBytes;
    };
    const void* lf = nullptr;
    while ((lf = std::memchr(in.pos, '\n', static_cast<std::size_t>(in.end - in.pos))) == nullptr) {
      in.pos = in.end;
      if (over(in.pos)) break;
      skipHole(in);
      if (!refill(in)) break;
    }
    if (lf != nullptr) in.pos = static_cast<const char*>(lf);
    if (lines != nullptr) keptFieldText(in, lines[i]);
    if (over(in.pos)) {
      if (longLine != nullptr) *longLine = i + 1;
      return false;
    }
    if (lf != nullptr) {
      ++in.pos;
      ++in.line;
    }
  }
  return true;
}

bool readMeshRecord(TextCursor& in, MeshRecord& record, FieldFailure& failure, bool keepWords) {
  std::int32_t* const intTargets[] = {&record.cell,   &record.right,    &record.bottom,
                                      &record.left,   &record.top,      &record.column,
                                      &record.row,    &record.leftWall, &record.bottomWall};
  int nextInt = 0;
  for (int field = 1; field <= kMeshRecordFields; ++field) {
    const bool spaced = skipSpace(in);
    // Only a number can end without white space; what follows it is glued on.
    failure.gluedTo.length = 0;
    if (!spaced && field > 1) keptFieldText(in, failure.gluedTo);
    const std::int64_t line = in.line;
    if (field == 1) record.line = line;
    FieldResult result = FieldResult::EndOfText;
    if (!atEnd(in)) {
      keepFieldText(in);
      if (kMeshFieldKinds[field - 1] == 'i') {
        result = readIntHere(in, *intTargets[nextInt++]);
      } else {
        skipWord(in);
        result = FieldResult::Read;
        if (keepWords && field == kKindField) keptFieldText(in, record.kind);
        if (keepWords && field == kTagsField) keptFieldText(in, record.tags);
        if (keepWords && field == kPlaceField) keptFieldText(in, record.place);
      }
    }
    if (result != FieldResult::Read) {
      describeFailure(in, result, field, line, failure);
      return false;
    }
  }
  return true;
}

bool readExitRecord(TextCursor& in, CellId& exit, std::int64_t& line, FieldFailure& failure) {
  const bool spaced = skipSpace(in);
  failure.gluedTo.length = 0;
  if (!spaced && in.fieldStart != nullptr) keptFieldText(in, failure.gluedTo);
  line = in.line;
  FieldResult result = FieldResult::EndOfText;
  if (!atEnd(in)) {
    keepFieldText(in);
    result = readIntHere(in, exit);
  }
  if (result == FieldResult::Read) return true;
  describeFailure(in, result, 1, line, failure);
  return false;
}

bool readLine(TextCursor& in, std::string& line, std::size_t maxBytes, bool& longer) {
  line.clear();
  longer = false;
  if (atEnd(in)) return false;
  for (;;) {
    const std::size_t left = static_cast<std::size_t>(in.end - in.pos);
    const void* lf = std::memchr(in.pos, '\n', left);
    const std::size_t upTo = lf != nullptr ? static_cast<std::size_t>(static_cast<const char*>(lf) - in.pos) : left;
    const std::size_t room = maxBytes - line.size();
    if (upTo > room) {  // more than maxBytes before the LF: the rest stays unread
      line.append(in.pos, room);
      in.pos += room;
      longer = true;
      return true;
    }
    line.append(in.pos, upTo);
    in.pos += upTo;
    if (lf != nullptr) {
      ++in.pos;
      ++in.line;
      return true;
    }
    if (atEnd(in)) return true;
  }
}
