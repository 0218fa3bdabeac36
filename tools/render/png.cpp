// PNG through libpng into an OutputFile: libpng reports errors by longjmp,
// so the function that sets the jump point owns no object with a
// destructor, and every byte goes through writeOutput, whose failure ends
// the image like any libpng error.
#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstring>

#include "files/output_file.h"
#include "render.h"

namespace {

// What the callbacks share with writeRows.
struct PngSink {
  OutputFile* out;
  const char* problem;  // first failure, for the message; nullptr when none
  int savedErrno;       // errno of a failed write, 0 when none
};

void onWrite(png_structp png, png_bytep bytes, png_size_t size) {
  PngSink* sink = static_cast<PngSink*>(png_get_io_ptr(png));
  if (!writeOutput(*sink->out, bytes, size)) {
    sink->savedErrno = errno;
    png_error(png, "write failed");
  }
}

void onFlush(png_structp) {}  // commitOutputFile flushes once, at the end

void onError(png_structp png, png_const_charp) {
  PngSink* sink = static_cast<PngSink*>(png_get_error_ptr(png));
  if (sink->problem == nullptr) sink->problem = "libpng could not encode the picture";
  png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

// Plain data only from here to the end of the function: a longjmp out of
// libpng skips destructors.
bool writeRows(png_structp png, png_infop info, const unsigned char* bgra, int width, int height,
               const PngEncoding& encoding) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(png, encoding.zlibLevel);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, encoding.filters);
  png_write_info(png, info);
  png_set_bgr(png);                          // the BMP's blue, green, red order
  png_set_filler(png, 0, PNG_FILLER_AFTER);  // and its fourth byte, dropped
  const std::size_t stride = static_cast<std::size_t>(width) * 4;
  for (int y = height - 1; y >= 0; --y) {  // PNG rows run top first
    png_write_row(png, bgra + static_cast<std::size_t>(y) * stride);
  }
  png_write_end(png, nullptr);
  return true;
}

}  // namespace

bool writePngFile(const char* path, const unsigned char* bgra, int width, int height,
                  std::string& error, const PngEncoding& encoding) {
  OutputFile out{};
  if (!openOutputFile(path, out)) {
    error = std::string(path) + ": cannot write: " + std::strerror(errno);
    return false;
  }
  PngSink sink{&out, nullptr, 0};
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &sink, onError, onWarning);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  bool ok = info != nullptr;
  if (ok) {
    png_set_write_fn(png, &sink, onWrite, onFlush);
    ok = writeRows(png, info, bgra, width, height, encoding);
  }
  png_destroy_write_struct(png != nullptr ? &png : nullptr, info != nullptr ? &info : nullptr);
  if (!ok) {
    discardOutputFile(out);
    error = std::string(path) + ": " +
            (sink.savedErrno != 0 ? std::string("write failed: ") + std::strerror(sink.savedErrno)
                                  : std::string(sink.problem ? sink.problem : "libpng gave out"));
    return false;
  }
  if (!commitOutputFile(out)) {
    error = std::string(path) + ": write failed: " + std::strerror(errno);
    return false;
  }
  return true;
}
