#include <cerrno>
#include <cstring>
#include <iostream>
#include <limits>
#include <utility>

#include "snapshot/snapshot.h"

namespace {

void putLittle16(unsigned char* at, std::uint16_t value) {
  at[0] = static_cast<unsigned char>(value & 0xff);
  at[1] = static_cast<unsigned char>(value >> 8);
}

void putLittle32(unsigned char* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>((value >> (8 * i)) & 0xff);
}

void reportFailure(const char* path, const char* what, int saved) {
  std::cerr << path << ": " << what << ": "
            << (saved != 0 ? std::strerror(saved) : "unknown error") << std::endl;
}

}  // namespace

bool bmpImageBytes(int width, int height, std::uint32_t& imageBytes) {
  if (width < 0 || height < 0) return false;
  // The format pads rows to a multiple of 4 bytes; at 32 bits a pixel no row
  // needs padding, but the rule is kept whole.
  const std::int64_t rowBytes = (std::int64_t{32} * width / 8 + 3) & ~std::int64_t{3};
  const std::int64_t total = rowBytes * height;
  if (total > std::numeric_limits<std::int32_t>::max() - kBmpHeaderBytes) return false;
  imageBytes = static_cast<std::uint32_t>(total);
  return true;
}

void fillBmpHeader(unsigned char header[kBmpHeaderBytes], int width, int height,
                   std::uint32_t imageBytes) {
  std::memset(header, 0, kBmpHeaderBytes);
  header[0] = 'B';
  header[1] = 'M';
  putLittle32(header + 2, kBmpHeaderBytes + imageBytes);  // bfSize
  putLittle32(header + 10, kBmpHeaderBytes);              // bfOffBits: no colour table
  unsigned char* info = header + kBmpFileHeaderBytes;
  putLittle32(info + 0, kBmpInfoHeaderBytes);               // biSize
  putLittle32(info + 4, static_cast<std::uint32_t>(width));   // biWidth
  putLittle32(info + 8, static_cast<std::uint32_t>(height));  // biHeight > 0: bottom row first
  putLittle16(info + 12, 1);                                // biPlanes
  putLittle16(info + 14, 8 * kBmpBytesPerPixel);            // biBitCount
  // biCompression (BI_RGB), biSizeImage and the rest stay 0; readers accept a
  // zero biSizeImage for uncompressed pictures.
}

void swapRedBlue(unsigned char* pixels, std::size_t bytes) {
  for (std::size_t i = 0; i + kBmpBytesPerPixel <= bytes; i += kBmpBytesPerPixel) {
    std::swap(pixels[i], pixels[i + 2]);
  }
}

BmpWriteResult writeBmp(const char* path, const unsigned char header[kBmpHeaderBytes],
                        const unsigned char* pixels, std::uint32_t imageBytes,
                        OutputTarget allowed) {
  OutputFile out{};
  if (!openOutputFile(path, out, allowed)) return {BmpWritten::CannotOpen, errno};
  if (!writeOutput(out, header, kBmpHeaderBytes) || !writeOutput(out, pixels, imageBytes)) {
    const int saved = errno;
    discardOutputFile(out);
    return {BmpWritten::WriteFailed, saved};
  }
  if (!commitOutputFile(out)) return {BmpWritten::WriteFailed, errno};
  return {BmpWritten::Done, 0};
}

bool writeBmpFile(const char* path, const unsigned char header[kBmpHeaderBytes],
                  const unsigned char* pixels, std::uint32_t imageBytes) {
  const BmpWriteResult result =
      writeBmp(path, header, pixels, imageBytes, OutputTarget::FilesOnly);
  switch (result.outcome) {
    case BmpWritten::Done: return true;
    case BmpWritten::CannotOpen: std::cerr << "fstream::open() failed." << std::endl; break;
    case BmpWritten::WriteFailed: reportFailure(path, "write failed", result.error); break;
  }
  return false;
}
