// Reading a plan into a graph of its own size: every record is kept in a
// list as read, then sorted by cell number, so that neither a sparse
// numbering nor a number beyond the program's table costs memory.
#include "plan_graph.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unordered_map>

#include "record_tags.h"
#include "scene/reader.h"

namespace {

// The fields of a record the graph uses (MeshRecord's kept words would
// take most of a kilobyte a record).
struct RecordFields {
  CellId cell;
  std::int32_t right, bottom, left, top;  // neighbour numbers, as read
  std::int32_t column, row;               // grid position
  std::int32_t leftWall, bottomWall;      // nonzero closes the side
  std::int64_t line;                      // line where the record starts
};

struct RawRecord {
  RecordFields fields;
  std::uint16_t kind;    // index in kindWords
  std::string doorName;  // decoded `door=` tag, or ""
  RecordJoin join;       // the join tags
  std::int64_t order;    // position in the file: of two records of a number, the later counts
};

struct Reading {
  PlanGraph& graph;
  PlanWarnings& warnings;
  std::string meshName;
  std::string exitName;
};

void warn(PlanWarnings& w, const std::string& name, std::int64_t line, const std::string& what) {
  if (static_cast<int>(w.kept.size()) < kKeptWarnings) {
    w.kept.push_back(name + ":" + std::to_string(line) + ": " + what);
  }
  ++w.count;
}

std::string lastPart(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

const char* reasonOf(FieldResult result) {
  switch (result) {
    case FieldResult::NotANumber: return "is not a whole number";
    case FieldResult::OutOfRange: return "does not fit 32 bits";
    default: return "is missing";
  }
}

void warnStop(Reading& r, const std::string& name, const FieldFailure& f, const char* what) {
  if (f.result == FieldResult::EndOfText && f.field == 1) return;  // a clean end
  warn(r.warnings, name, f.line,
       "field " + std::to_string(f.field) + " \"" + std::string(f.text.view()) + "\" " +
           reasonOf(f.result) + "; reading stops here, the " + what + " before it are used");
}

std::uint16_t kindIndex(std::unordered_map<std::string, std::uint16_t>& seen,
                        std::vector<std::string>& words, std::string_view word) {
  const auto found = seen.find(std::string(word));
  if (found != seen.end()) return found->second;
  if (words.size() > UINT16_MAX) return UINT16_MAX;  // past 65,536 words the last one stands for all
  const auto index = static_cast<std::uint16_t>(words.size());
  words.emplace_back(word);
  seen.emplace(std::string(word), index);
  return index;
}

bool readRecords(TextCursor& in, Reading& r, std::vector<RawRecord>& records) {
  if (!skipMeshHeader(in)) return in.readError == 0;
  std::unordered_map<std::string, std::uint16_t> kinds;
  MeshRecord record{};
  FieldFailure failure{};
  while (readMeshRecord(in, record, failure, true)) {
    if (record.cell < 0) {
      warn(r.warnings, r.meshName, record.line,
           "cell number " + std::to_string(record.cell) + " is below 0; the record is skipped");
      continue;
    }
    const RecordFields fields{record.cell,   record.right,    record.bottom,
                              record.left,   record.top,      record.column,
                              record.row,    record.leftWall, record.bottomWall,
                              record.line};
    RawRecord raw{fields, kindIndex(kinds, r.graph.kindWords, record.kind.view()), "",
                  readRecordJoin(record.tags.view()), static_cast<std::int64_t>(records.size())};
    findTag(record.tags.view(), kDoorTag, raw.doorName);
    records.push_back(std::move(raw));
  }
  warnStop(r, r.meshName, failure, "records");
  return in.readError == 0;
}

// Keeps the last record of each number, in ascending number order.
void keepLastOfEach(std::vector<RawRecord>& records, PlanWarnings& warnings, const std::string& name) {
  std::sort(records.begin(), records.end(), [](const RawRecord& a, const RawRecord& b) {
    return a.fields.cell != b.fields.cell ? a.fields.cell < b.fields.cell : a.order < b.order;
  });
  std::size_t kept = 0;
  for (std::size_t i = 0; i < records.size(); ++i) {
    if (i + 1 < records.size() && records[i + 1].fields.cell == records[i].fields.cell) {
      warn(warnings, name, records[i].fields.line,
           "cell " + std::to_string(records[i].fields.cell) +
               " is named again later; this record is replaced by the later one");
      continue;
    }
    if (kept != i) records[kept] = std::move(records[i]);  // never onto itself: that empties a name
    ++kept;
  }
  records.resize(kept);
}

// Side order right, top, left, bottom; for each side of a cell, whether its
// own flag closes it.
void fillMoves(const std::vector<RawRecord>& records, PlanGraph& g) {
  const std::int32_t n = cellCount(g);
  std::vector<std::array<std::int32_t, kGraphSides>> across(static_cast<std::size_t>(n));
  std::vector<std::array<bool, kGraphSides>> closed(static_cast<std::size_t>(n));
  for (std::int32_t i = 0; i < n; ++i) {
    const RecordFields& f = records[static_cast<std::size_t>(i)].fields;
    const std::int32_t ids[kGraphSides] = {f.right, f.top, f.left, f.bottom};
    for (int k = 0; k < kGraphSides; ++k) across[i][k] = indexOfCell(g, ids[k]);
    closed[i] = {across[i][0] == kNoIndex, across[i][1] == kNoIndex,
                 across[i][2] == kNoIndex || f.leftWall != 0,
                 across[i][3] == kNoIndex || f.bottomWall != 0};
  }
  g.move.assign(static_cast<std::size_t>(n), {kNoIndex, kNoIndex, kNoIndex, kNoIndex});
  for (std::int32_t i = 0; i < n; ++i) {
    for (int k = 0; k < kGraphSides; ++k) {
      const std::int32_t to = across[i][k];
      if (closed[i][k] || closed[static_cast<std::size_t>(to)][(k + 2) % kGraphSides]) continue;
      g.move[i][k] = to;
    }
  }
}

// Labels beyond the 32,767th stand for none: plan2mesh writes ten at most.
void storeJoins(const std::vector<RawRecord>& records, PlanGraph& g) {
  std::unordered_map<std::string, std::int16_t> seen;
  g.joinOf.resize(records.size());
  for (std::size_t i = 0; i < records.size(); ++i) {
    const RecordJoin& j = records[i].join;
    std::int16_t index = -1;
    if (!j.label.empty()) {
      const auto found = seen.find(j.label);
      if (found != seen.end()) {
        index = found->second;
      } else if (g.joinLabels.size() < INT16_MAX) {
        index = static_cast<std::int16_t>(g.joinLabels.size());
        g.joinLabels.push_back(j.label);
        seen.emplace(j.label, index);
      }
    }
    g.joinOf[i] = GraphJoin{index, j.toward, j.runs, index >= 0 && j.end};
  }
}

void storeCells(std::vector<RawRecord>& records, PlanGraph& g) {
  const std::size_t n = records.size();
  g.number.resize(n);
  g.column.resize(n);
  g.row.resize(n);
  g.kind.resize(n);
  g.recordLine.resize(n);
  for (std::size_t i = 0; i < n; ++i) {
    g.number[i] = records[i].fields.cell;
    g.column[i] = records[i].fields.column;
    g.row[i] = records[i].fields.row;
    g.kind[i] = records[i].kind;
    g.recordLine[i] = records[i].fields.line;
  }
  fillMoves(records, g);
  storeJoins(records, g);
}

// The exits as the graph numbers them. The graph has no table bound, so
// every number read is looked up, those outside the program's table too.
struct GraphExits {
  Reading& r;
  const std::vector<RawRecord>& records;
  std::vector<bool> listed;  // by graph index
};

void addGraphExit(const ExitNumber& number, void* context) {
  GraphExits& to = *static_cast<GraphExits*>(context);
  PlanGraph& g = to.r.graph;
  const std::int32_t i = indexOfCell(g, number.exit);
  if (i == kNoIndex) {
    warn(to.r.warnings, to.r.exitName, number.line,
         "exit " + std::to_string(number.exit) + " is not a cell of the mesh; it is skipped");
    return;
  }
  if (to.listed[static_cast<std::size_t>(i)]) return;  // listed twice: one exit
  to.listed[static_cast<std::size_t>(i)] = true;
  g.exits.push_back(i);
  g.exitLine.push_back(number.line);
  g.exitDoorName.push_back(to.records[static_cast<std::size_t>(i)].doorName);
}

bool readExits(TextCursor& in, Reading& r, const std::vector<RawRecord>& records) {
  GraphExits to{r, records, std::vector<bool>(r.graph.number.size(), false)};
  ExitList list;
  readExitList(in, list, addGraphExit, &to);
  warnStop(r, r.exitName, list.stop, "exits");
  return in.readError == 0;
}

bool readBoth(TextCursor& mesh, TextCursor& exits, Reading& r, std::string& error) {
  std::vector<RawRecord> records;
  if (!readRecords(mesh, r, records)) {
    error = r.meshName + ": read failed: " + std::strerror(mesh.readError);
    return false;
  }
  keepLastOfEach(records, r.warnings, r.meshName);
  if (records.empty()) {
    error = r.meshName + ": no cell record could be read";
    return false;
  }
  storeCells(records, r.graph);
  if (!readExits(exits, r, records)) {
    error = r.exitName + ": read failed: " + std::strerror(exits.readError);
    return false;
  }
  return true;
}

}  // namespace

std::int32_t indexOfCell(const PlanGraph& graph, CellId cell) {
  const auto at = std::lower_bound(graph.number.begin(), graph.number.end(), cell);
  if (at == graph.number.end() || *at != cell) return kNoIndex;
  return static_cast<std::int32_t>(at - graph.number.begin());
}

bool readPlanGraph(const char* meshPath, const char* exitPath, PlanGraph& graph,
                   PlanWarnings& warnings, std::string& error) {
  graph = PlanGraph{};
  Reading r{graph, warnings, lastPart(meshPath), lastPart(exitPath)};
  TextCursor mesh{};
  TextCursor exits{};
  if (!openFileCursor(meshPath, mesh)) {
    error = std::string(meshPath) + ": cannot be opened: " + std::strerror(errno);
    return false;
  }
  if (!openFileCursor(exitPath, exits)) {
    error = std::string(exitPath) + ": cannot be opened: " + std::strerror(errno);
    closeCursor(mesh);
    return false;
  }
  const bool read = readBoth(mesh, exits, r, error);
  closeCursor(mesh);
  closeCursor(exits);
  return read;
}

bool readPlanGraphText(std::string_view meshText, std::string_view exitText, PlanGraph& graph,
                       PlanWarnings& warnings, std::string& error) {
  graph = PlanGraph{};
  Reading r{graph, warnings, "Mesh.csv", "ExitGrid.dat"};
  TextCursor mesh = makeCursor(meshText);
  TextCursor exits = makeCursor(exitText);
  return readBoth(mesh, exits, r, error);
}
