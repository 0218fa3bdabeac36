#include "picture.h"

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <png.h>

namespace {

struct Reading {
  std::FILE* file;
  png_structp png;
  png_infop info;
  std::string message;  // libpng's own words for a failure
};

void onPngError(png_structp png, png_const_charp text) {
  auto* reading = static_cast<Reading*>(png_get_error_ptr(png));
  reading->message = text;  // assigned before the jump, not alive across it
  std::longjmp(png_jmpbuf(png), 1);
}

void onPngWarning(png_structp, png_const_charp) {}

// The two steps that can longjmp; no C++ object lives across a libpng
// call in them, so a jump skips no destructor.
bool readHeader(Reading& r, png_uint_32& width, png_uint_32& height) {
  if (setjmp(png_jmpbuf(r.png)) != 0) return false;
  png_init_io(r.png, r.file);
  png_read_info(r.png, r.info);
  width = png_get_image_width(r.png, r.info);
  height = png_get_image_height(r.png, r.info);
  if (static_cast<std::int64_t>(width) * height > kMaxPicturePixels) return true;
  png_set_expand(r.png);  // palette, low-depth grey and tRNS to 8-bit RGB(A)
  png_set_strip_16(r.png);
  png_set_gray_to_rgb(r.png);
  png_set_add_alpha(r.png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(r.png);
  png_read_update_info(r.png, r.info);
  return true;
}

bool readRows(Reading& r, png_bytep* rows) {
  if (setjmp(png_jmpbuf(r.png)) != 0) return false;
  png_read_image(r.png, rows);
  png_read_end(r.png, nullptr);
  return true;
}

bool decode(Reading& r, Picture& picture, std::string& error) {
  png_uint_32 width = 0, height = 0;
  if (!readHeader(r, width, height)) {
    error = "not a readable PNG: " + r.message;
    return false;
  }
  if (static_cast<std::int64_t>(width) * height > kMaxPicturePixels) {
    error = std::to_string(width) + " by " + std::to_string(height) + " pixels, more than " +
            std::to_string(kMaxPicturePixels);
    return false;
  }
  picture.width = static_cast<std::int32_t>(width);
  picture.height = static_cast<std::int32_t>(height);
  picture.rgba.assign(static_cast<std::size_t>(width) * height * 4, 0);
  std::vector<png_bytep> rows(height);
  for (png_uint_32 y = 0; y < height; ++y) rows[y] = picture.rgba.data() + static_cast<std::size_t>(y) * width * 4;
  if (!readRows(r, rows.data())) {
    error = "not a readable PNG: " + r.message;
    return false;
  }
  return true;
}

}  // namespace

bool readPicture(const char* path, Picture& picture, std::string& error) {
  picture = Picture{0, 0, {}};
  Reading r{std::fopen(path, "rb"), nullptr, nullptr, std::string()};
  if (r.file == nullptr) {
    error = std::strerror(errno);
    return false;
  }
  unsigned char signature[8] = {};
  if (std::fread(signature, 1, sizeof signature, r.file) != sizeof signature || png_sig_cmp(signature, 0, 8) != 0) {
    std::fclose(r.file);
    error = "not a PNG picture";
    return false;
  }
  std::rewind(r.file);
  r.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &r, onPngError, onPngWarning);
  r.info = r.png != nullptr ? png_create_info_struct(r.png) : nullptr;
  bool ok = false;
  if (r.info == nullptr) {
    error = "out of memory";
  } else {
    ok = decode(r, picture, error);
  }
  png_destroy_read_struct(&r.png, &r.info, nullptr);
  std::fclose(r.file);
  if (!ok) picture = Picture{0, 0, {}};
  return ok;
}
