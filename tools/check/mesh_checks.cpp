// What the checker says about the mesh file: each record as the reader
// hands it over, where and why reading stopped, and, once the table is
// whole, the places and neighbours of the cells.
#include "check_internal.h"
#include "record_tags.h"

namespace {

const char* meshFieldName(int field) {
  static const char* const kNames[kMeshRecordFields] = {
      "cell number", "right neighbour", "bottom neighbour", "left neighbour", "top neighbour",
      "grid column", "grid row",        "word",             "left wall",      "bottom wall",
      "word",        "word",            "word"};
  return field >= 1 && field <= kMeshRecordFields ? kNames[field - 1] : "field";
}

// The character that began the failing field, named for the hint.
std::string separatorHint(char c) {
  if (c == ',') return ": a comma is no separator, only blanks, tabs and line breaks are.";
  if (c == ';') return ": a semicolon is no separator, only blanks, tabs and line breaks are.";
  if (c == '.') return ": a whole number has no decimal point.";
  return ": fields must be separated by white space.";
}

// "line:column", as plan2mesh writes the place of a cell in its plan.
bool isPlanPlace(std::string_view word) {
  const std::size_t colon = word.find(':');
  if (colon == 0 || colon == std::string_view::npos || colon + 1 == word.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    if (i != colon && (word[i] < '0' || word[i] > '9')) return false;
  }
  return word.size() <= 24;
}

// The door=NAME tag plan2mesh writes on the exit cells of a named door.
void noteDoorName(CellId c, std::string_view tags) {
  doorNameOf[c].clear();
  findTag(tags, kDoorTag, doorNameOf[c]);
}

}  // namespace

// When the failing text sticks to the field before it ("12," or "2.5"),
// the reader took the number and the rest began the next field: say so.
void appendGluedHint(Message& m, const FieldFailure& f, const std::string& previous) {
  if (f.gluedTo.length == 0 || f.text.length == 0) return;
  m.push_back(own(" The reader took "));
  m.push_back(quote(f.gluedTo));
  m.push_back(own(" as " + previous + " and began the next field at "));
  m.push_back(quote(f.text.view().substr(0, 1)));
  m.push_back(own(separatorHint(f.text.bytes[0])));
}

void noteMeshRecord(const MeshRecord& rec, void* report) {
  CheckReport& r = *static_cast<CheckReport*>(report);
  ++r.mesh.recordsRead;
  if (outsideTable(rec.cell)) {
    ++r.mesh.skippedOutside;
    addFinding(r, FindingKind::CellOutsideTable, InputFile::Mesh, rec.line, 1,
               {own("cell number " + num(rec.cell) + " is outside 0 to " + num(kMaxCellId) +
                    "; the record is skipped.")});
    return;
  }
  ++r.mesh.recordsStored;
  const CellId c = rec.cell;
  if (firstLine[c] != 0) {
    ++r.mesh.repeatedCells;
    addFinding(r, FindingKind::RepeatedCell, InputFile::Mesh, rec.line, 1,
               {own("cell " + num(c) + " appears again (first on line " + num(firstLine[c]) +
                    "); this record replaces the earlier one.")});
  } else {
    firstLine[c] = rec.line;
    storedSlots[storedCount++] = c;
  }
  recordLine[c] = rec.line;
  gridColumn[c] = rec.column;
  gridRow[c] = rec.row;
  kindOf[c] = wordIndex(kindWords, rec.kind.view(), "(other kinds)");
  noteLevelTags(c, rec.tags.view());
  noteDoorName(c, rec.tags.view());
  placeOf[c] = isPlanPlace(rec.place.view()) ? std::string(rec.place.view()) : std::string();
}

void describeMeshStop(const FieldFailure& f, CheckReport& r) {
  r.mesh.stop = ReadStop{f.result != FieldResult::EndOfText || f.field > 1, f.result, f.field,
                         f.line, std::string(f.text.view()), f.text.cut};
  if (!r.mesh.stop.early) return;
  const long long record = r.mesh.recordsRead + 1;
  Message m;
  if (f.result == FieldResult::EndOfText) {
    m.push_back(own("the file ends inside record " + num(record) + " after " +
                    num(f.field - 1) + " of its " + num(kMeshRecordFields) +
                    " fields; that record is not stored."));
  } else {
    m.push_back(own("record " + num(record) + ", field " + num(f.field) + " (" +
                    meshFieldName(f.field) + ") "));
    m.push_back(quote(f.text));
    m.push_back(own(std::string(" ") + failureReason(f.result) + "; reading stops here, " +
                    plural(r.mesh.recordsStored, "record", "records") + " stored before it."));
    if (f.field > 1) {
      appendGluedHint(m, f, "field " + num(f.field - 1));
    } else if (r.mesh.recordsRead == 0) {
      m.push_back(own(" The first three lines are skipped whatever they hold and records start "
                      "on the fourth; is the header longer than three lines?"));
    }
  }
  addFinding(r, FindingKind::MeshStopped, InputFile::Mesh, f.line, f.field, std::move(m));
}

// A header line that is a whole record by itself suggests the header is missing.
void checkHeaderLines(const KeptText lines[kMeshHeaderLines], CheckReport& r) {
  for (int i = 0; i < kMeshHeaderLines; ++i) {
    if (lines[i].cut) continue;  // longer than any record a person would write on one line
    TextCursor in = makeCursor(lines[i].view());
    MeshRecord record{};
    FieldFailure failure{};
    if (readMeshRecord(in, record, failure) &&
        readWordField(in, nullptr) == FieldResult::EndOfText) {
      addFinding(r, FindingKind::HeaderLooksLikeRecord, InputFile::Mesh, i + 1, 0,
                 {own("header line " + num(i + 1) + " reads as a whole record (cell " +
                      num(record.cell) +
                      "), but the first three lines are always skipped; is the header missing?")});
    }
  }
}
