#include <GL/glut.h>

#include <iostream>
#include <memory>
#include <new>

#include "snapshot/snapshot.h"

bool saveSnapshot() {
  const int width = glutGet(GLUT_WINDOW_WIDTH);
  const int height = glutGet(GLUT_WINDOW_HEIGHT);
  std::uint32_t imageBytes = 0;
  if (!bmpImageBytes(width, height, imageBytes)) {
    std::cerr << kSnapshotPath << ": a " << width << " by " << height
              << " window is too large for a BMP file; nothing written" << std::endl;
    return false;
  }
  unsigned char header[kBmpHeaderBytes];
  fillBmpHeader(header, width, height, imageBytes);

  std::unique_ptr<unsigned char[]> pixels;
  if (imageBytes > 0) {
    pixels.reset(new (std::nothrow) unsigned char[imageBytes]());
    if (!pixels) {
      std::cerr << kSnapshotPath << ": no memory for " << imageBytes
                << " bytes of pixels; nothing written" << std::endl;
      return false;
    }
    // The default read buffer of a double-buffered window is the back
    // buffer: the picture the next display call will present. Rows come
    // bottom first, as the BMP wants them for a positive height.
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.get());
    swapRedBlue(pixels.get(), imageBytes);
  }
  return writeBmpFile(kSnapshotPath, header, pixels.get(), imageBytes);
}
