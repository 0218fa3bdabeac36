#include <algorithm>

#include "img2plan.h"

namespace {

void countUnknown(PictureSummary& s, Rgb c, std::int32_t x, std::int32_t y) {
  ++s.unknownPixels;
  for (UnknownColour& u : s.unknown) {
    if (u.colour.r == c.r && u.colour.g == c.g && u.colour.b == c.b) {
      ++u.pixels;
      return;
    }
  }
  if (s.unknown.size() < kMaxUnknownColours) {
    s.unknown.push_back({c, 1, x, y});
  } else {
    ++s.otherUnknownPixels;
  }
}

}  // namespace

PictureSummary convertPicture(const Picture& picture, const Palette& palette) {
  PictureSummary s{picture.width, picture.height, std::vector<std::int64_t>(kCellKindCount, 0),
                   std::vector<std::int64_t>(kCellKindCount, 0), std::vector<std::int64_t>(kCellKindCount, 0),
                   0, {}, 0, 0, makePlanGrid(picture.width, picture.height)};
  // One colour a run of pixels is the common case: read it once.
  Rgb last{0, 0, 0};
  CellKind lastKind = CellKind::Rock;
  PixelRead lastHow = PixelRead::Unknown;
  bool haveLast = false;
  for (std::int32_t y = 0; y < picture.height; ++y) {
    for (std::int32_t x = 0; x < picture.width; ++x) {
      const std::uint8_t* p = &picture.rgba[(static_cast<std::size_t>(y) * picture.width + x) * 4];
      if (p[3] < 128) {
        ++s.transparent;
        continue;
      }
      const Rgb c{p[0], p[1], p[2]};
      if (!haveLast || c.r != last.r || c.g != last.g || c.b != last.b) {
        lastKind = readPixel(palette, c, lastHow);
        last = c;
        haveLast = true;
      }
      const int k = static_cast<int>(lastKind);
      switch (lastHow) {
        case PixelRead::Exact: ++s.exact[k]; break;
        case PixelRead::Near: ++s.near[k]; break;
        case PixelRead::Blend: ++s.blend[k]; break;
        case PixelRead::Unknown: countUnknown(s, c, x, y); break;
      }
      // The picture's top row is the plan's highest.
      s.plan.kinds[static_cast<std::size_t>(picture.height - 1 - y) * picture.width + x] = lastKind;
    }
  }
  return s;
}
