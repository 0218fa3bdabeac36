#include <GL/glut.h>

#include <iostream>

#include "snapshot/snapshot.h"

bool saveSnapshot() {
  const int width = glutGet(GLUT_WINDOW_WIDTH);
  const int height = glutGet(GLUT_WINDOW_HEIGHT);
  // The default read buffer of a double-buffered window is the back buffer:
  // the picture the next display call will present.
  BmpPicture picture;
  switch (readBmpPicture(width, height, picture)) {
    case ReadBack::TooLarge:
      std::cerr << kSnapshotPath << ": a " << width << " by " << height
                << " window is too large for a BMP file; nothing written" << std::endl;
      return false;
    case ReadBack::NoMemory:
      std::cerr << kSnapshotPath << ": no memory for " << picture.imageBytes
                << " bytes of pixels; nothing written" << std::endl;
      return false;
    case ReadBack::Done: break;
  }
  return writeBmpFile(kSnapshotPath, picture.header, picture.pixels.get(), picture.imageBytes);
}
