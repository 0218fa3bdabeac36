// The read-back of a picture from whatever OpenGL context is current; no
// window system here, so the window and the offscreen renderer share it.
#include <GL/gl.h>

#include <new>

#include "snapshot/snapshot.h"

ReadBack readBmpPicture(int width, int height, BmpPicture& picture) {
  picture.width = width;
  picture.height = height;
  picture.pixels.reset();
  if (!bmpImageBytes(width, height, picture.imageBytes)) return ReadBack::TooLarge;
  fillBmpHeader(picture.header, width, height, picture.imageBytes);
  if (picture.imageBytes == 0) return ReadBack::Done;
  picture.pixels.reset(new (std::nothrow) unsigned char[picture.imageBytes]());
  if (!picture.pixels) return ReadBack::NoMemory;
  // Rows come bottom first, as the BMP wants them for a positive height;
  // 4 bytes a pixel keep every row aligned whatever the pack alignment.
  glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, picture.pixels.get());
  swapRedBlue(picture.pixels.get(), picture.imageBytes);
  return ReadBack::Done;
}
