// The times CSV of orvik-check --times, read a line at a time into a line
// buffer of fixed size: a header naming the columns, then one row per cell,
// fields separated by commas, no quoting, LF or CR LF line ends.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "render.h"
#include "scene/reader.h"

namespace {

constexpr char kCellColumn[] = "cell";

bool listed[kSlotCount];  // slots that a row of the file being read named

struct CsvReading {
  const char* path;
  std::FILE* file;
  long line;                          // 1-based line held in `text`
  char text[kTimesLineCapacity + 2];  // the line, its LF and the terminating NUL
  std::string* error;
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

// Field `index` (0-based) of a comma-separated line, and the number of fields.
int splitFields(std::string_view line, int index, std::string_view& field) {
  int count = 0;
  for (;;) {
    const std::size_t comma = line.find(',');
    if (count == index) field = trimmed(line.substr(0, comma));
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

bool findColumn(std::string_view header, const char* name, int& index) {
  std::string_view field;
  const int count = splitFields(header, 0, field);
  for (index = 0; index < count; ++index) {
    splitFields(header, index, field);
    if (field == name) return true;
  }
  return false;
}

bool parseCell(std::string_view text, CellId& cell) {
  TextCursor in = makeCursor(text);
  std::int32_t value = 0;
  if (readIntField(in, value) != FieldResult::Read || in.pos != in.end) return false;
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
  if (end != buffer + text.size() || !std::isfinite(value) || value < 0.0) return false;
  seconds = static_cast<float>(value);
  return true;
}

bool readRow(CsvReading& r, std::string_view line, int columns, int cellIndex, int secondsIndex) {
  std::string_view cellText, secondsText;
  const int count = splitFields(line, cellIndex, cellText);
  splitFields(line, secondsIndex, secondsText);
  if (count != columns) {
    return failAt(
        r, std::to_string(count) + " fields where the header has " + std::to_string(columns));
  }
  CellId cell = 0;
  if (!parseCell(cellText, cell)) {
    return failAt(r, "cell \"" + std::string(cellText) + "\" is not a cell number from 0 to " +
                         std::to_string(kMaxCellId));
  }
  float seconds = 0.0f;
  if (!parseSeconds(secondsText, seconds)) {
    return failAt(r,
                  "\"" + std::string(secondsText) +
                      "\" is not a time in seconds (a number from 0 up, or empty for unreached)");
  }
  if (listed[cell]) return failAt(r, "cell " + std::to_string(cell) + " has a second row");
  listed[cell] = true;
  travelTime[cell] = seconds;
  return true;
}

bool readRows(CsvReading& r, const char* column) {
  std::string_view header;
  if (!nextLine(r, header)) return r.error->empty() ? failAt(r, "no header line") : false;
  int cellIndex = 0, secondsIndex = 0;
  if (!findColumn(header, kCellColumn, cellIndex))
    return failAt(r, "no column \"cell\" in the header");
  if (!findColumn(header, column, secondsIndex)) {
    return failAt(r, "no column \"" + std::string(column) + "\" in the header \"" +
                         std::string(header) + "\"");
  }
  std::string_view field;
  const int columns = splitFields(header, 0, field);
  std::string_view line;
  while (nextLine(r, line)) {
    if (line.empty()) continue;  // a blank line, the last one above all
    if (!readRow(r, line, columns, cellIndex, secondsIndex)) return false;
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
