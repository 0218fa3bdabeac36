// The times file: one row per stored drawn cell, for diff and spreadsheets.
// Side-move times are whole seconds; geodesic ones have two decimals.
// Columns are added after the older ones, so readers that find columns by
// name or position keep working.
#include <cstdio>

#include "check_internal.h"

std::string csvSeconds(float t, int decimals) {
  if (t == kUnreachedTime) return std::string();  // empty: no exit reaches the cell
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", decimals, static_cast<double>(t));
  return text;
}

namespace {

void appendSeconds(std::string& out, float t, int decimals) { out += ',' + csvSeconds(t, decimals); }

}  // namespace

std::string formatTimesCsv(const CheckReport& r) {
  const CheckOptions& o = r.options;
  std::string out = "cell,column,row,seconds";
  if (o.blocked) out += ",worst_blocked_seconds";
  if (o.geodesic) out += ",geodesic_seconds";
  if (o.blocked && o.geodesic) out += ",worst_blocked_geodesic_seconds";
  const bool block = !o.block.empty();
  if (block) out += ",blocked_seconds";
  if (block && o.geodesic) out += ",blocked_geodesic_seconds";
  out += '\n';
  for (const CellTime& c : r.cellTimes) {
    out += num(c.cell) + ',' + num(c.column) + ',' + num(c.row);
    appendSeconds(out, c.seconds, 0);
    if (o.blocked) appendSeconds(out, c.worstBlocked, 0);
    if (o.geodesic) appendSeconds(out, c.geodesic, 2);
    if (o.blocked && o.geodesic) appendSeconds(out, c.worstBlockedGeodesic, 2);
    if (block) appendSeconds(out, c.blockedSeconds, 0);
    if (block && o.geodesic) appendSeconds(out, c.blockedGeodesic, 2);
    out += '\n';
  }
  return out;
}
