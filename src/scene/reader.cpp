#include "scene/reader.h"

#include <cstdio>
#include <limits>

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

void skipSpace(TextCursor& in) {
  while (in.pos != in.end && isFieldSpace(*in.pos)) {
    if (*in.pos == '\n') ++in.line;
    ++in.pos;
  }
}

// The text from `from` to the next white space, for messages.
std::string_view wordAt(const char* from, const char* end) {
  const char* to = from;
  while (to != end && !isFieldSpace(*to)) ++to;
  return std::string_view(from, static_cast<std::size_t>(to - from));
}

void fail(FieldFailure& failure, FieldResult result, int field, std::int32_t line,
          std::string_view text) {
  failure = FieldFailure{result, field, line, text};
}

}  // namespace

TextCursor makeCursor(std::string_view text) {
  return TextCursor{text.data(), text.data() + text.size(), 1};
}

// Like stream extraction into an int: the sign and every digit are consumed
// even when the value overflows, and a lone sign is consumed and fails.
FieldResult readIntField(TextCursor& in, std::int32_t& value) {
  skipSpace(in);
  if (in.pos == in.end) return FieldResult::EndOfText;
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
  for (; in.pos != in.end && isDigit(*in.pos); ++in.pos) {
    anyDigit = true;
    if (!overflow) {
      magnitude = magnitude * 10 + static_cast<std::uint64_t>(*in.pos - '0');
      overflow = magnitude > limit;
    }
  }
  if (!anyDigit) return FieldResult::NotANumber;
  if (overflow) return FieldResult::OutOfRange;
  value = negative ? static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude))
                   : static_cast<std::int32_t>(magnitude);
  return FieldResult::Read;
}

FieldResult readWordField(TextCursor& in, std::string_view& word) {
  skipSpace(in);
  if (in.pos == in.end) return FieldResult::EndOfText;
  word = wordAt(in.pos, in.end);
  in.pos += word.size();
  return FieldResult::Read;
}

// Like std::getline three times: a line ends after its LF; a last line
// without one still counts if it holds any character, but then nothing is
// left to read.
bool skipMeshHeader(TextCursor& in) {
  for (int i = 0; i < kMeshHeaderLines; ++i) {
    if (in.pos == in.end) return false;
    while (in.pos != in.end && *in.pos != '\n') ++in.pos;
    if (in.pos != in.end) {
      ++in.pos;
      ++in.line;
    }
  }
  return true;
}

namespace {

// Field kinds of a mesh record, in file order: 'i' integer, 'w' word.
constexpr char kMeshFieldKinds[] = "iiiiiiiwiiwww";
static_assert(sizeof kMeshFieldKinds - 1 == kMeshRecordFields);

}  // namespace

bool readMeshRecord(TextCursor& in, MeshRecord& record, FieldFailure& failure) {
  std::int32_t* const intTargets[] = {&record.cell,   &record.right,    &record.bottom,
                                      &record.left,   &record.top,      &record.column,
                                      &record.row,    &record.leftWall, &record.bottomWall};
  int nextInt = 0;
  for (int field = 1; field <= kMeshRecordFields; ++field) {
    skipSpace(in);
    const char* start = in.pos;
    const std::int32_t line = in.line;
    std::string_view word;
    const FieldResult result = kMeshFieldKinds[field - 1] == 'i'
                                   ? readIntField(in, *intTargets[nextInt++])
                                   : readWordField(in, word);
    if (result != FieldResult::Read) {
      fail(failure, result, field, line, wordAt(start, in.end));
      return false;
    }
  }
  return true;
}

bool readExitRecord(TextCursor& in, CellId& exit, FieldFailure& failure) {
  skipSpace(in);
  const char* start = in.pos;
  const std::int32_t line = in.line;
  const FieldResult result = readIntField(in, exit);
  if (result == FieldResult::Read) return true;
  fail(failure, result, 1, line, wordAt(start, in.end));
  return false;
}

namespace {

// Bytes from the current position to the end, or 0 when the file cannot
// seek (a pipe); the position is left where it was.
std::size_t bytesLeft(std::FILE* file) {
  const long here = std::ftell(file);
  if (here < 0 || std::fseek(file, 0, SEEK_END) != 0) return 0;
  const long end = std::ftell(file);
  std::fseek(file, here, SEEK_SET);
  return end > here ? static_cast<std::size_t>(end - here) : 0;
}

}  // namespace

// One read into a buffer of the file's size. The first byte is read on its
// own, so that a folder or an unreadable file fails before any buffer is
// sized from what seeking to its end says; the loop after that still takes
// whatever a file that grew meanwhile, or a pipe, has beyond that.
bool loadFileBytes(const char* path, std::string& bytes) {
  bytes.clear();
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return false;
  char first = 0;
  if (std::fread(&first, 1, 1, file) == 1) {
    const std::size_t rest = bytesLeft(file);
    bytes.resize(1 + rest);
    bytes[0] = first;
    bytes.resize(1 + std::fread(bytes.data() + 1, 1, rest, file));
  }
  char chunk[1 << 16];
  std::size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, got);
  const bool ok = std::ferror(file) == 0;
  std::fclose(file);
  if (!ok) bytes.clear();
  return ok;
}
