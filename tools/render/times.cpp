// The times CSV of orvik-check --times, read a line at a time into a line
// buffer of fixed size: a header naming the columns, then one row per cell,
// fields separated by commas, LF or CR LF line ends. As a spreadsheet saves
// it, the file may start with a UTF-8 byte-order mark and a field may stand
// in double quotes (without a comma inside).
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string_view>

#include "plain_text.h"
#include "render.h"
#include "scene/reader.h"

namespace {

constexpr char kCellColumn[] = "cell";
constexpr char kGridColumn[] = "column";  // the cell's grid place, when the file has it
constexpr char kGridRow[] = "row";
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
constexpr std::size_t kShownBytes = 48;       // of a field quoted in a message
constexpr std::size_t kShownHeaderBytes = 200;  // of the header shown in a message

bool listed[kSlotCount];  // slots that a row of the file being read named

struct CsvReading {
  const char* path;
  std::FILE* file;
  long line;                          // 1-based line held in `text`
  char text[kTimesLineCapacity + 2];  // the line, its LF and the terminating NUL
  std::string* error;
};

// Where the header has them: fields of the columns a row is read from.
struct Columns {
  int count;           // fields in the header
  int cell, seconds;   // indices
  int column, row;     // indices, -1 when the header has no such column
};

bool failAt(CsvReading& r, const std::string& what) {
  *r.error = std::string(r.path) + ":" + std::to_string(r.line) + ": " + what;
  return false;
}

std::string_view trimmed(std::string_view field) {
  while (!field.empty() && (field.front() == ' ' || field.front() == '\t')) field.remove_prefix(1);
  while (!field.empty() && (field.back() == ' ' || field.back() == '\t' || field.back() == '\r')) {
    field.remove_suffix(1);
  }
  return field;
}

// A field without the double quotes round it.
std::string_view unquoted(std::string_view field) {
  if (field.size() >= 2 && field.front() == '"' && field.back() == '"') {
    field.remove_prefix(1);
    field.remove_suffix(1);
  }
  return field;
}

// Field `index` (0-based) of a comma-separated line, and the number of fields.
int splitFields(std::string_view line, int index, std::string_view& field) {
  int count = 0;
  for (;;) {
    const std::size_t comma = line.find(',');
    if (count == index) field = unquoted(trimmed(line.substr(0, comma)));
    ++count;
    if (comma == std::string_view::npos) return count;
    line.remove_prefix(comma + 1);
  }
}

// Reads the next line into r.text; false at the end of the file. A line
// longer than the buffer, a NUL byte or a read error is reported in
// r.error, which tells the two apart from the end.
bool nextLine(CsvReading& r, std::string_view& line) {
  ++r.line;
  if (std::fgets(r.text, sizeof r.text, r.file) == nullptr) {
    if (std::ferror(r.file)) failAt(r, std::string("read failed: ") + std::strerror(errno));
    return false;
  }
  std::size_t length = std::strlen(r.text);
  const bool ended = length > 0 && r.text[length - 1] == '\n';
  if (!ended && !std::feof(r.file)) {
    failAt(r, "line longer than " + std::to_string(kTimesLineCapacity) + " bytes (or a NUL byte)");
    return false;
  }
  if (ended) --length;
  line = trimmed(std::string_view(r.text, length));
  return true;
}

// The index of the column called `name`, or -1.
int findColumn(std::string_view header, const char* name) {
  std::string_view field;
  const int count = splitFields(header, 0, field);
  for (int index = 0; index < count; ++index) {
    splitFields(header, index, field);
    if (field == name) return index;
  }
  return -1;
}

bool parseWhole(std::string_view text, std::int32_t& value) {
  TextCursor in = makeCursor(text);
  return readIntField(in, value) == FieldResult::Read && in.pos == in.end;
}

bool parseCell(std::string_view text, CellId& cell) {
  std::int32_t value = 0;
  if (!parseWhole(text, value)) return false;
  cell = value;
  return !outsideTable(cell);
}

bool parseSeconds(std::string_view text, float& seconds) {
  if (text.empty()) {
    seconds = kUnreachedTime;
    return true;
  }
  // Decimal only: strtod would also take hexadecimal, "inf" and "nan".
  if (text.find_first_not_of("0123456789.eE+-") != std::string_view::npos) return false;
  char buffer[64];
  if (text.size() >= sizeof buffer) return false;
  std::memcpy(buffer, text.data(), text.size());
  buffer[text.size()] = '\0';
  char* end = nullptr;
  const double value = std::strtod(buffer, &end);
  // Beyond a float's range the conversion would be undefined: refused like 1e309.
  if (end != buffer + text.size() || !std::isfinite(value) || value < 0.0 ||
      value > std::numeric_limits<float>::max()) {
    return false;
  }
  seconds = static_cast<float>(value);
  return true;
}

// Where the file names the cell's grid place, it must be the mesh's: times
// of another plan, or of this one before it changed, would colour other
// cells. A cell the mesh does not have is never drawn, so it is not asked.
bool samePlace(CsvReading& r, std::string_view line, const Columns& c, CellId cell) {
  if (c.column < 0 || c.row < 0) return true;
  std::string_view columnText, rowText;
  splitFields(line, c.column, columnText);
  splitFields(line, c.row, rowText);
  std::int32_t column = 0, row = 0;
  if (!parseWhole(columnText, column) || !parseWhole(rowText, row)) {
    return failAt(r, "column " + quotedText(columnText, kShownBytes) + " or row " +
                         quotedText(rowText, kShownBytes) + " is not a whole number");
  }
  if (!cellNamed[cell] || (posX[cell] == column * kCellSize && posY[cell] == row * kCellSize)) {
    return true;
  }
  return failAt(r, "cell " + std::to_string(cell) + " stands at column " + std::to_string(column) +
                       ", row " + std::to_string(row) + " here but at column " +
                       std::to_string(static_cast<long long>(posX[cell] / kCellSize)) + ", row " +
                       std::to_string(static_cast<long long>(posY[cell] / kCellSize)) +
                       " in the mesh: the times are of another plan");
}

bool readRow(CsvReading& r, std::string_view line, const Columns& c) {
  std::string_view cellText, secondsText;
  const int count = splitFields(line, c.cell, cellText);
  splitFields(line, c.seconds, secondsText);
  if (count != c.count) {
    return failAt(
        r, std::to_string(count) + " fields where the header has " + std::to_string(c.count));
  }
  CellId cell = 0;
  if (!parseCell(cellText, cell)) {
    return failAt(r, "cell " + quotedText(cellText, kShownBytes) +
                         " is not a cell number from 0 to " + std::to_string(kMaxCellId));
  }
  float seconds = 0.0f;
  if (!parseSeconds(secondsText, seconds)) {
    return failAt(r, quotedText(secondsText, kShownBytes) +
                         " is not a time in seconds (a number from 0 up, or empty for unreached)");
  }
  if (!samePlace(r, line, c, cell)) return false;
  if (listed[cell]) return failAt(r, "cell " + std::to_string(cell) + " has a second row");
  listed[cell] = true;
  travelTime[cell] = seconds;
  return true;
}

bool readRows(CsvReading& r, const char* column) {
  std::string_view header;
  if (!nextLine(r, header)) return r.error->empty() ? failAt(r, "no header line") : false;
  if (header.substr(0, 3) == kByteOrderMark) header.remove_prefix(3);
  std::string_view field;
  const Columns c{splitFields(header, 0, field), findColumn(header, kCellColumn),
                  findColumn(header, column), findColumn(header, kGridColumn),
                  findColumn(header, kGridRow)};
  const std::string shown = " in the header " + quotedText(header, kShownHeaderBytes);
  if (c.cell < 0) return failAt(r, "no column \"cell\"" + shown);
  if (c.seconds < 0) {
    return failAt(r, "no column " + quotedText(column, kShownBytes) + shown);
  }
  std::string_view line;
  while (nextLine(r, line)) {
    if (line.empty()) continue;  // a blank line, the last one above all
    if (!readRow(r, line, c)) return false;
  }
  return r.error->empty();
}

}  // namespace

bool readTimesCsv(const char* path, const char* column, std::string& error) {
  error.clear();
  resetTravelTimes();
  std::fill(std::begin(listed), std::end(listed), false);
  CsvReading r{path, std::fopen(path, "rb"), 0, {}, &error};
  if (r.file == nullptr) {
    error = std::string(path) + ": cannot read: " + std::strerror(errno);
    return false;
  }
  const bool ok = readRows(r, column);
  std::fclose(r.file);
  return ok;
}
