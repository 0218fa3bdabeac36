// The words of an annotated picture: the title, a subtitle saying what the
// colours show, which exits and doors, and the legend's caption.
#include <cmath>
#include <cstdio>

#include "report.h"

namespace {

std::string number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

std::string secondsAndMinutes(double seconds) {
  return number(seconds) + " s (" + number(std::round(seconds / kSecondsPerMinute * 10) / 10) +
         " min)";
}

std::string blockedDoors(const std::vector<ReportDoor>& doors) {
  std::string list;
  for (const ReportDoor& d : doors) {
    if (d.blocked.empty()) continue;
    list += (list.empty() ? "" : ", ") + doorCalled(d);
    if (d.blocked.size() != d.cells.size()) list += " (partly)";
  }
  return list;
}

}  // namespace

std::string doorCalled(const ReportDoor& door) {
  return door.name.empty() ? "door " + std::to_string(door.number) : door.name;
}

ReportWords composeReportWords(const ReportOptions& o, const ReportSubject& s,
                               const std::vector<ReportDoor>& doors) {
  ReportWords w;
  w.title =
      !o.title.empty() ? o.title : s.planName + (s.regionName.empty() ? "" : ": " + s.regionName);
  const bool walk = s.timesFile.empty();
  const std::string what =
      walk ? "Walking time to the nearest exit (" + number(kStepTime) + " s a move)"
           : "Times of column " + s.timesColumn + " in " + s.timesFile;
  std::string subtitle = what;
  if (o.limitGiven) {
    subtitle += "; limit " + secondsAndMinutes(o.limit);
  } else if (o.scaleMaxGiven) {
    subtitle += "; scale to " + secondsAndMinutes(o.scaleMax);
  }
  const std::string blocked = blockedDoors(doors);
  subtitle += "; exits of " + s.exitFile + (blocked.empty() ? "" : ", blocked: " + blocked);
  w.subtitle = subtitle;
  w.limitWords = secondsAndMinutes(o.limit);
  w.unreachedWords =
      walk ? "no exit within " + number(kMaxMoves * kStepTime) + " s" : "no time in " + s.timesFile;
  if (o.limitGiven) {
    w.caption = walk ? "Walking time against the limit" : s.timesColumn + " against the limit";
  } else {
    w.caption = walk ? "Minutes to the nearest exit" : "Minutes (" + s.timesColumn + ")";
  }
  return w;
}
