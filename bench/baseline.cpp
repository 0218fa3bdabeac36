#include "baseline.h"

#include <sys/stat.h>

#include <cstdio>
#include <memory>

#include "scene/reader.h"
#include "scene/scene.h"

std::size_t countFields(const char* p, const char* end) {
  std::size_t fields = 0;
  for (;;) {
    while (p != end && isFieldSpace(*p)) ++p;
    if (p == end) return fields;
    ++fields;
    while (p != end && !isFieldSpace(*p)) ++p;
  }
}

std::size_t countMeshFileFields() {
  std::FILE* file = std::fopen(kMeshPath, "rb");
  if (file == nullptr) return 0;
  struct stat info {};
  fstat(fileno(file), &info);
  const std::size_t size = static_cast<std::size_t>(info.st_size);
  std::unique_ptr<char[]> bytes(new char[size]);  // not zeroed: the read fills it
  const std::size_t got = std::fread(bytes.get(), 1, size, file);
  std::fclose(file);
  return countFields(bytes.get(), bytes.get() + got);
}
