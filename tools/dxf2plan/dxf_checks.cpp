#include <cerrno>
#include <cstdlib>

#include "dxf_entities.h"

namespace {

// An announced count (countCode), the group that begins each item it
// counts (startCode) and groups that belong to an item already begun.
struct CountRule {
  const char* type;
  int countCode;
  int startCode;
  int dependents[5];  // 0 = none
};

constexpr CountRule kCountRules[] = {
    {"LWPOLYLINE", 90, 10, {20, 30, 40, 41, 42}},
    {"SPLINE", 72, 40, {0, 0, 0, 0, 0}},
    {"SPLINE", 73, 10, {20, 30, 41, 0, 0}},
    {"SPLINE", 74, 11, {21, 31, 0, 0, 0}},
    {"LEADER", 76, 10, {20, 30, 0, 0, 0}},
};

// Entities whose counts dxflib trusts; their 70s and 90s must be in range.
bool countedType(const std::string& type) {
  return type == "LWPOLYLINE" || type == "SPLINE" || type == "LEADER" || type == "HATCH";
}

bool parseCount(const std::string& value, std::int64_t& count) {
  errno = 0;
  char* end = nullptr;
  count = std::strtoll(value.c_str(), &end, 10);
  return errno == 0 && end != value.c_str() && *end == '\0';
}

}  // namespace

bool checkGroup(const std::string& type, int code, const std::string& value, EntityChecks& checks,
                std::string& problem) {
  if (!countedType(type)) return true;
  std::int64_t number = 0;
  const bool isCountLike = (code >= 70 && code <= 79) || (code >= 90 && code <= 99);
  if (isCountLike && (!parseCount(value, number) || number < 0 || number > kMaxDxfCount)) {
    problem = "group " + std::to_string(code) + " is '" + value.substr(0, 40) + "', not a count from 0 to " +
              std::to_string(kMaxDxfCount);
    return false;
  }
  int rule = 0;
  for (const CountRule& r : kCountRules) {
    if (type != r.type) continue;
    std::int64_t& declared = checks.declared[rule];
    std::int64_t& started = checks.started[rule];
    ++rule;
    if (code == r.countCode) {
      if (declared >= 0) {
        problem = "its count (group " + std::to_string(code) + ") is given twice";
        return false;
      }
      declared = number;
    } else if (code == r.startCode) {
      if (declared < 0 || started >= declared) {
        problem = declared < 0 ? "group " + std::to_string(code) + " before its count (group " +
                                     std::to_string(r.countCode) + ")"
                               : "more items than its count (group " + std::to_string(r.countCode) +
                                     ") announced";
        return false;
      }
      ++started;
    } else {
      for (int dependent : r.dependents) {
        if (dependent != 0 && code == dependent && started == 0) {
          problem = "group " + std::to_string(code) + " before " +
                    (declared < 0 ? "its count (group " + std::to_string(r.countCode) + ")"
                                  : "the first group " + std::to_string(r.startCode));
          return false;
        }
      }
    }
  }
  return true;
}

