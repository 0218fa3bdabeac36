// The times file: one row per stored drawn cell, for diff and spreadsheets.
#include "check_internal.h"

std::string formatTimesCsv(const CheckReport& r) {
  std::string out = "cell,column,row,seconds\n";
  for (const CellTime& c : r.cellTimes) {
    out += num(c.cell) + ',' + num(c.column) + ',' + num(c.row) + ',';
    if (c.seconds != kUnreachedTime) out += num(static_cast<long long>(c.seconds));
    out += '\n';
  }
  return out;
}
