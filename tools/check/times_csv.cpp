// The times file: one row per stored drawn cell, for diff and spreadsheets.
// Side-move times are whole seconds; geodesic ones have two decimals.
#include <cstdio>

#include "check_internal.h"

namespace {

void appendSeconds(std::string& out, float t, int decimals) {
  out += ',';
  if (t == kUnreachedTime) return;  // empty: no exit reaches the cell
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", decimals, static_cast<double>(t));
  out += text;
}

}  // namespace

std::string formatTimesCsv(const CheckReport& r) {
  const CheckOptions& o = r.options;
  std::string out = "cell,column,row,seconds";
  if (o.blocked) out += ",worst_blocked_seconds";
  if (o.geodesic) out += ",geodesic_seconds";
  if (o.blocked && o.geodesic) out += ",worst_blocked_geodesic_seconds";
  out += '\n';
  for (const CellTime& c : r.cellTimes) {
    out += num(c.cell) + ',' + num(c.column) + ',' + num(c.row);
    appendSeconds(out, c.seconds, 0);
    if (o.blocked) appendSeconds(out, c.worstBlocked, 0);
    if (o.geodesic) appendSeconds(out, c.geodesic, 2);
    if (o.blocked && o.geodesic) appendSeconds(out, c.worstBlockedGeodesic, 2);
    out += '\n';
  }
  return out;
}
