#include "people.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "scene/reader.h"

namespace {

struct CsvRead {
  const std::string& name;
  std::int64_t line;
  std::string& error;
};

bool fail(CsvRead& r, const std::string& message) {
  r.error = r.name + ":" + std::to_string(r.line) + ": " + message;
  return false;
}

std::vector<std::string_view> splitCommas(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  std::vector<std::string_view> fields;
  for (;;) {
    const std::size_t comma = line.find(',');
    std::string_view field = line.substr(0, comma);
    while (!field.empty() && (field.front() == ' ' || field.front() == '\t')) field.remove_prefix(1);
    while (!field.empty() && (field.back() == ' ' || field.back() == '\t')) field.remove_suffix(1);
    fields.push_back(field);
    if (comma == std::string_view::npos) return fields;
    line.remove_prefix(comma + 1);
  }
}

// A decimal number and nothing else.
bool parseNumber(std::string_view text, double& value) {
  const std::string copy(text);
  char* end = nullptr;
  errno = 0;
  value = std::strtod(copy.c_str(), &end);
  return !copy.empty() && end == copy.c_str() + copy.size() && errno == 0 && std::isfinite(value);
}

int columnOf(const std::vector<std::string_view>& header, std::string_view name) {
  for (std::size_t i = 0; i < header.size(); ++i) {
    if (header[i] == name) return static_cast<int>(i);
  }
  return -1;
}

bool readRows(TextCursor& in, CsvRead& r, const PlanGraph& g, const std::vector<double>& maxPeople,
              std::vector<double>& people) {
  std::string line;
  bool longer = false;
  std::vector<bool> listed(g.number.size(), false);
  int cellColumn = -1;
  int peopleColumn = -1;
  std::size_t fieldCount = 0;
  while (readLine(in, line, kPeopleLineBytes, longer)) {
    ++r.line;
    if (longer) return fail(r, "line longer than " + std::to_string(kPeopleLineBytes) + " bytes");
    const std::vector<std::string_view> fields = splitCommas(line);
    if (r.line == 1) {
      cellColumn = columnOf(fields, "cell");
      peopleColumn = columnOf(fields, "people");
      if (cellColumn < 0 || peopleColumn < 0) return fail(r, "the header must name the columns cell and people");
      fieldCount = fields.size();
      continue;
    }
    if (fields.size() != fieldCount) {
      return fail(r, std::to_string(fields.size()) + " fields where the header has " + std::to_string(fieldCount));
    }
    double number = 0.0;
    double persons = 0.0;
    if (!parseNumber(fields[static_cast<std::size_t>(cellColumn)], number) || number != std::floor(number)) {
      return fail(r, "cell \"" + std::string(fields[static_cast<std::size_t>(cellColumn)]) + "\" is not a cell number");
    }
    if (!parseNumber(fields[static_cast<std::size_t>(peopleColumn)], persons) || persons < 0.0) {
      return fail(r, "people \"" + std::string(fields[static_cast<std::size_t>(peopleColumn)]) +
                         "\" is not a number of persons from 0 up");
    }
    const std::int32_t c = std::fabs(number) < 2147483648.0 ? indexOfCell(g, static_cast<CellId>(number)) : kNoIndex;
    if (c == kNoIndex) return fail(r, "cell " + std::string(fields[static_cast<std::size_t>(cellColumn)]) + " is not a cell of the mesh");
    const auto i = static_cast<std::size_t>(c);
    if (listed[i]) return fail(r, "cell " + std::to_string(g.number[i]) + " is listed twice");
    listed[i] = true;
    people[i] += persons;
    const double most = maxPeople[g.kind[i]];
    if (people[i] > most * (1.0 + 1e-12)) {
      char figures[96];
      std::snprintf(figures, sizeof figures, " would hold %.6g persons, above its jam of %.6g", people[i], most);
      return fail(r, "cell " + std::to_string(g.number[i]) + figures);
    }
  }
  if (in.readError != 0) return fail(r, std::string("read failed: ") + std::strerror(in.readError));
  if (r.line == 0) return fail(r, "empty; the header must name the columns cell and people");
  return true;
}

}  // namespace

bool addPeopleCsv(const std::string& path, const PlanGraph& graph,
                  const std::vector<double>& maxPeople, std::vector<double>& people,
                  std::string& error) {
  TextCursor in{};
  if (!openFileCursor(path.c_str(), in)) {
    error = path + ": cannot be opened: " + std::strerror(errno);
    return false;
  }
  CsvRead r{path, 0, error};
  const bool read = readRows(in, r, graph, maxPeople, people);
  closeCursor(in);
  return read;
}

bool addPeopleCsvText(std::string_view text, const std::string& name, const PlanGraph& graph,
                      const std::vector<double>& maxPeople, std::vector<double>& people,
                      std::string& error) {
  TextCursor in = makeCursor(text);
  CsvRead r{name, 0, error};
  return readRows(in, r, graph, maxPeople, people);
}
