// The list of the cells over a limit: one CSV row a cell, for a spreadsheet
// or a filter. Text from the records (the kind word) is quoted whenever it
// holds a comma, a double quote or a line break, the quote doubled.
#include "check_internal.h"

namespace {

std::string csvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + '"';
}

const char* unreachedWord(Unreached u) {
  switch (u) {
    case Unreached::BeyondCutoff:
      return "beyond_cutoff";
    case Unreached::NoWayOut:
      return "no_way_out";
    case Unreached::No:
      break;
  }
  return "";
}

}  // namespace

std::string formatOverCsv(const CheckReport& r) {
  const int decimals = r.options.geodesic ? 2 : 0;
  std::string out = "cell,column,row,plan_place,kind,seconds,unreached\n";
  for (const OverCell& c : r.overCells) {
    out += num(c.cell) + ',' + num(c.column) + ',' + num(c.row) + ',' + csvField(c.place) + ',' +
           csvField(c.kind) + ',';
    out += csvSeconds(c.seconds, decimals) + ',' + unreachedWord(c.unreached) + '\n';
  }
  return out;
}
