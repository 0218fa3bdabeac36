#include "small_inputs.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <sys/stat.h>

bool readSmallToml(const std::string& path, const char* what, toml::table& file, std::string& error) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > kMaxSmallTomlBytes) {
    error = path + ": not a readable " + what + " file of at most 1 MiB";
    return false;
  }
  try {
    file = toml::parse_file(path);
  } catch (const toml::parse_error& e) {
    error = path + ":" + std::to_string(e.source().begin.line) + ": " + std::string(e.description());
    return false;
  }
  return true;
}

bool parseFiniteNumber(const char* text, double& value) {
  char* end = nullptr;
  errno = 0;
  value = std::strtod(text, &end);
  return end != text && *end == '\0' && errno == 0 && std::isfinite(value);
}
