// The values of the report options, read strictly: a limit typed as
// "0x10" or "1e3" is refused rather than read as something else.
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "plain_text.h"
#include "report.h"

ReportOptions defaultReportOptions() {
  return ReportOptions{false,
                       "",
                       false,
                       kScaleMaxTime,
                       false,
                       0.0,
                       ReportRegion{ReportRegion::Kind::Whole, 0, 0, 0, 0, ""},
                       0.0};
}

bool parsePlainDecimal(const char* text, double most, double& value) {
  if (!isPlainDecimal(text)) return false;
  char* end = nullptr;
  errno = 0;
  value = std::strtod(text, &end);
  return *end == '\0' && errno == 0 && std::isfinite(value) && value > 0.0 && value <= most;
}

namespace {

// A whole number with an optional minus sign that fits 32 bits, alone.
bool parseGridNumber(const char* from, const char* to, std::int32_t& value) {
  const char* at = from;
  if (at != to && *at == '-') ++at;
  if (at == to || to - at > 10) return false;
  long long n = 0;
  for (; at != to; ++at) {
    if (*at < '0' || *at > '9') return false;
    n = n * 10 + (*at - '0');
  }
  if (*from == '-') n = -n;
  if (n < INT32_MIN || n > INT32_MAX) return false;
  value = static_cast<std::int32_t>(n);
  return true;
}

bool looksNumeric(const char* text) {
  return std::strspn(text, "0123456789,-+. ") == std::strlen(text);
}

}  // namespace

bool parseRegion(const char* text, ReportRegion& region, std::string& error) {
  if (*text == '\0') {
    error = "--region needs a value that is not empty";
    return false;
  }
  if (!looksNumeric(text)) {
    region = ReportRegion{ReportRegion::Kind::Level, 0, 0, 0, 0, text};
    return true;
  }
  std::int32_t n[4] = {};
  const char* at = text;
  for (int i = 0; i < 4; ++i) {
    const char* end = i < 3 ? std::strchr(at, ',') : at + std::strlen(at);
    if (end == nullptr || !parseGridNumber(at, end, n[i])) {
      error = std::string(
                  "--region takes COLUMN,ROW,COLUMN,ROW (two corners in grid cells, "
                  "whole numbers) or a level's name: ") +
              text;
      return false;
    }
    at = end + 1;
  }
  region = ReportRegion{ReportRegion::Kind::Grid, std::min(n[0], n[2]), std::min(n[1], n[3]),
                        std::max(n[0], n[2]),     std::max(n[1], n[3]), ""};
  return true;
}
