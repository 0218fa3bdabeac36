// Snapshot: the window's picture as an uncompressed 32-bit BMP file. The
// format part is plain computation; only saveSnapshot needs a window.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "files/output_file.h"

constexpr char kSnapshotPath[] = "./snapshot.bmp";  // relative to the working directory
constexpr int kBmpFileHeaderBytes = 14;             // BITMAPFILEHEADER
constexpr int kBmpInfoHeaderBytes = 40;             // BITMAPINFOHEADER
constexpr int kBmpHeaderBytes = kBmpFileHeaderBytes + kBmpInfoHeaderBytes;
constexpr int kBmpBytesPerPixel = 4;                // blue, green, red, alpha

// Pure: the pixel bytes of a w by h picture, computed in 64 bits. False
// when w or h is negative or the file would not fit the format's 32-bit
// size field.
bool bmpImageBytes(int width, int height, std::uint32_t& imageBytes);

// Pure, with imageBytes from bmpImageBytes: leaves the 54 header bytes of a
// w by h picture (bottom row first), little-endian.
void fillBmpHeader(unsigned char header[kBmpHeaderBytes], int width, int height,
                   std::uint32_t imageBytes);

// Pure: turns RGBA pixels as OpenGL reads them into the BMP's BGRA.
void swapRedBlue(unsigned char* pixels, std::size_t bytes);

// How a BMP file came out, and the errno of a failure.
enum class BmpWritten {
  Done,         // the file holds the picture
  CannotOpen,   // the target could not be created or replaced; nothing written
  WriteFailed,  // a write, the flush or the rename failed; the old file stays
};
struct BmpWriteResult {
  BmpWritten outcome;
  int error;  // errno of the failure; 0 when Done
};

// The one BMP writer: header and pixels to `path` whole, or the old file
// left as it was (a temporary file beside it replaces it once written and
// closed). `allowed` says whether a device or FIFO of that name is written
// directly. Prints nothing: each caller words its own message.
BmpWriteResult writeBmp(const char* path, const unsigned char header[kBmpHeaderBytes],
                        const unsigned char* pixels, std::uint32_t imageBytes,
                        OutputTarget allowed);

// The window's snapshot through writeBmp, devices and FIFOs refused. On any
// failure writes one line to stderr and returns false: "fstream::open()
// failed." when the file cannot be created or replaced (a folder, no write
// permission, a FIFO or device of that name), else the file and the reason.
bool writeBmpFile(const char* path, const unsigned char header[kBmpHeaderBytes],
                  const unsigned char* pixels, std::uint32_t imageBytes);

// A picture read back from OpenGL in the BMP's layout: BGRA pixels, bottom
// row first, stride 4 * width, and the 54 header bytes that go before them.
struct BmpPicture {
  int width = 0, height = 0;                // px
  std::uint32_t imageBytes = 0;             // bytes the pixels take
  unsigned char header[kBmpHeaderBytes] = {};
  std::unique_ptr<unsigned char[]> pixels;  // null when imageBytes is 0 or found no memory
};

enum class ReadBack {
  Done,      // the picture holds the pixels
  TooLarge,  // width by height does not fit a BMP file; nothing read
  NoMemory,  // no memory for the imageBytes of pixels; nothing read
};

// GL, with a context current: reads the lower-left width by height px of
// the current read buffer into `picture`, reusing its buffer when the byte
// count is the same (a default-constructed picture has none). Window and offscreen renderer
// share it, so their files hold the same bytes for the same pixels.
ReadBack readBmpPicture(int width, int height, BmpPicture& picture);

// Needs the window current: writes its read buffer, the whole window at its
// present size, to kSnapshotPath as writeBmpFile does.
bool saveSnapshot();
