// Reading a painted plan from a PNG file with libpng: any colour type and
// depth, turned into 8-bit RGBA, each pixel one cell of the plan.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr std::int64_t kMaxPicturePixels = 50000000;  // a plan far past any table a build takes

struct Picture {
  std::int32_t width, height;        // pixels
  std::vector<std::uint8_t> rgba;    // 4 bytes a pixel, rows from the top
};

// Reads the PNG at `path`. False, with `error` said, when it cannot be
// read, is not a PNG, is broken, or has more than kMaxPicturePixels pixels.
bool readPicture(const char* path, Picture& picture, std::string& error);
