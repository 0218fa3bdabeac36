// Every drawn cell against a walking-time limit, by the kind word of its
// record: with all exits, and with the worst of any one door blocked. The
// times judged are the geodesic ones when those were asked for. A cell that
// no exit reaches is over any limit.
#include <algorithm>

#include "check_internal.h"

namespace {

LimitCase judge(const float times[kSlotCount], double limit) {
  LimitCase result{};
  std::vector<int> slotOfKind(static_cast<std::size_t>(kMaxKinds), -1);  // into result.kinds
  for (CellId c = 1; c <= kMaxCellId; ++c) {
    if (!cellNamed[c]) continue;
    const float t = times[c];
    if (t != kUnreachedTime && t <= limit) continue;
    ++result.over;
    const int kind = kindOf[c] < 0 ? 0 : kindOf[c];
    int& slot = slotOfKind[static_cast<std::size_t>(kind)];
    if (slot < 0) {
      slot = static_cast<int>(result.kinds.size());
      const std::string word = kindOf[c] < 0 ? "" : kindWords[static_cast<std::size_t>(kind)];
      result.kinds.push_back(KindOverLimit{word, 0, c, gridColumn[c], gridRow[c], t});
    }
    KindOverLimit& k = result.kinds[static_cast<std::size_t>(slot)];
    ++k.cells;
    if (t > k.seconds) k = KindOverLimit{k.kind, k.cells, c, gridColumn[c], gridRow[c], t};
  }
  // In the order the kinds first appear in the mesh, as the records name them.
  std::stable_sort(result.kinds.begin(), result.kinds.end(),
                   [](const KindOverLimit& a, const KindOverLimit& b) {
                     return kindOf[a.remote] < kindOf[b.remote];
                   });
  return result;
}

}  // namespace

void judgeLimit(CheckReport& r) {
  const bool geodesic = r.options.geodesic;
  r.limitAllExits = judge(geodesic ? geodesicTime : travelTime, r.options.limitSeconds);
  if (r.options.blocked) {
    r.limitAnyDoorBlocked = judge(geodesic ? worstGeodesic : worstTime, r.options.limitSeconds);
  }
}
