// Shared by the fuzz targets: input splitting and a loud failure that
// libFuzzer records as a crash with the input that caused it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

// Aborts with `what` when `ok` is false.
inline void require(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}

inline std::string_view asText(const std::uint8_t* data, std::size_t size) {
  return std::string_view(reinterpret_cast<const char*>(data), size);
}

// Splits at the first NUL byte: the mesh text before it, the exit text
// after it. Without a NUL there is no mesh part.
inline bool splitAtNul(std::string_view input, std::string_view& mesh, std::string_view& exits) {
  const std::size_t nul = input.find('\0');
  if (nul == std::string_view::npos) {
    mesh = std::string_view();
    exits = input;
    return false;
  }
  mesh = input.substr(0, nul);
  exits = input.substr(nul + 1);
  return true;
}
