// Snapshot: the window's picture as an uncompressed 32-bit BMP file. The
// format part is plain computation; only saveSnapshot needs a window.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr char kSnapshotPath[] = "./snapshot.bmp";  // relative to the working directory
constexpr int kBmpFileHeaderBytes = 14;             // BITMAPFILEHEADER
constexpr int kBmpInfoHeaderBytes = 40;             // BITMAPINFOHEADER
constexpr int kBmpHeaderBytes = kBmpFileHeaderBytes + kBmpInfoHeaderBytes;
constexpr int kBmpBytesPerPixel = 4;                // blue, green, red, alpha

// Any caller: the pixel bytes of a w by h picture, computed in 64 bits.
// False when w or h is negative or the file would not fit the format's
// 32-bit size field.
bool bmpImageBytes(int width, int height, std::uint32_t& imageBytes);

// Any caller: the 54 header bytes of a w by h picture (bottom row first),
// little-endian. imageBytes must come from bmpImageBytes.
void fillBmpHeader(unsigned char header[kBmpHeaderBytes], int width, int height,
                   std::uint32_t imageBytes);

// Any caller: turns RGBA pixels as OpenGL reads them into the BMP's BGRA.
void swapRedBlue(unsigned char* pixels, std::size_t bytes);

// Any caller: writes header and pixels to `path`, replacing the file. On any
// failure writes one line to stderr and returns false; an unopenable file
// gives "fstream::open() failed.".
bool writeBmpFile(const char* path, const unsigned char header[kBmpHeaderBytes],
                  const unsigned char* pixels, std::uint32_t imageBytes);

// The "s" key, between two display calls: writes the back buffer (the
// newest complete picture) to kSnapshotPath. Needs the window current.
bool saveSnapshot();
