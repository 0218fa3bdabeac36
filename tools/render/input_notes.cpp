// What reading a mesh or exit file left out of the picture, in the words of
// a warning line each: the picture is drawn as the program draws it, but a
// script has no window to see that half the plan is missing.
#include <string>

#include "plain_text.h"
#include "render.h"

namespace {

constexpr std::size_t kShownBytes = 48;  // of a field quoted from a file

std::string at(const std::string& path, std::int64_t line) {
  return plainText(path) + (line > 0 ? ":" + std::to_string(line) : std::string()) + ": ";
}

std::string count(std::int64_t n, const char* one, const char* many) {
  return std::to_string(n) + ' ' + (n == 1 ? one : many);
}

const char* whyNot(FieldResult result) {
  return result == FieldResult::OutOfRange ? "does not fit 32 bits" : "is not a whole number";
}

}  // namespace

void countMeshRecord(const MeshRecord& record, void* notes) {
  InputNotes& n = *static_cast<InputNotes*>(notes);
  ++n.read;
  if (!outsideTable(record.cell)) return;
  if (n.skipped++ == 0) n.firstSkipped = InputNotes::Skip{record.cell, record.line};
}

std::vector<std::string> meshWarnings(const std::string& path, const MeshReading& reading,
                                      const FieldFailure& stop, const InputNotes& notes) {
  std::vector<std::string> lines;
  if (reading.longHeaderLine > 0) {
    lines.push_back(at(path, reading.longHeaderLine) + "a header line longer than " +
                    std::to_string(kMaxHeaderLineBytes) +
                    " bytes; reading stops there and the map is empty");
    return lines;
  }
  if (!reading.headerWhole) {
    lines.push_back(at(path, 0) + "fewer than the three header lines; the map is empty");
    return lines;
  }
  const std::string after = "; the map shows what the " +
                            count(notes.read, "record", "records") + " before it hold";
  if (stop.result == FieldResult::EndOfText && stop.field > 1) {
    lines.push_back(at(path, stop.line) + "the file ends inside record " +
                    std::to_string(notes.read + 1) + after);
  } else if (stop.result != FieldResult::EndOfText) {
    lines.push_back(at(path, stop.line) + "record " + std::to_string(notes.read + 1) +
                    ", field " + std::to_string(stop.field) + ' ' +
                    quotedText(stop.text.view(), kShownBytes, stop.text.cut) + ' ' +
                    whyNot(stop.result) + ", reading stops there" + after);
  }
  if (notes.skipped > 0) {
    lines.push_back(at(path, notes.firstSkipped.line) + "cell number " +
                    std::to_string(notes.firstSkipped.number) + " is outside 0 to " +
                    std::to_string(kMaxCellId) + "; " +
                    count(notes.skipped, "record is", "records are") + " skipped");
  }
  if (notes.read == 0 && lines.empty()) {
    lines.push_back(at(path, 0) + "no record after the header; the map is empty");
  }
  return lines;
}

std::vector<std::string> exitWarnings(const std::string& path, const ExitList& list) {
  std::vector<std::string> lines;
  const FieldFailure& stop = list.stop;
  if (stop.result != FieldResult::EndOfText) {
    lines.push_back(at(path, stop.line) + quotedText(stop.text.view(), kShownBytes, stop.text.cut) +
                    ' ' + whyNot(stop.result) + "; reading stops there, after " +
                    count(list.numbersRead, "exit", "exits"));
  }
  if (list.outside > 0) {
    lines.push_back(at(path, list.firstOutside.line) + "exit " +
                    std::to_string(list.firstOutside.exit) + " is outside 0 to " +
                    std::to_string(kMaxCellId) + "; " +
                    count(list.outside, "exit is", "exits are") + " skipped");
  }
  if (list.numbersRead == list.outside) {
    lines.push_back(at(path, 0) + "no exit to walk from; every cell shows as unreached");
  }
  return lines;
}
