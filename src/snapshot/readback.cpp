// The read-back of a picture from whatever OpenGL context is current; no
// window system here, so the window and the offscreen renderer share it.
#include <GL/gl.h>

#include <new>

#include "snapshot/snapshot.h"

ReadBack readBmpPicture(int width, int height, BmpPicture& picture) {
  std::uint32_t imageBytes = 0;
  if (!bmpImageBytes(width, height, imageBytes)) return ReadBack::TooLarge;
  // A picture of the same byte count keeps its buffer: a batch of pictures
  // then takes its pages once, not once a picture.
  if (!picture.pixels || imageBytes != picture.imageBytes) {
    picture.pixels.reset(imageBytes > 0 ? new (std::nothrow) unsigned char[imageBytes] : nullptr);
  }
  picture.width = width;
  picture.height = height;
  picture.imageBytes = imageBytes;
  if (imageBytes > 0 && !picture.pixels) return ReadBack::NoMemory;
  fillBmpHeader(picture.header, width, height, imageBytes);
  if (imageBytes == 0) return ReadBack::Done;
  // Rows come bottom first, as the BMP wants them for a positive height;
  // 4 bytes a pixel keep every row aligned whatever the pack alignment.
  glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, picture.pixels.get());
  swapRedBlue(picture.pixels.get(), imageBytes);
  return ReadBack::Done;
}
