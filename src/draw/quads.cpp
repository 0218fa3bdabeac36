#include "draw/draw.h"

QuadVertexBuffer quadVertexBuffer;
QuadColorBuffer quadColorBuffer;

void fillQuadVertices() {
  for (CellId i = 1; i <= kMaxCellId; ++i) {
    const double x = posX[i];
    const double y = posY[i];
    // An unnamed slot would otherwise be a square at the origin in the
    // unreached colour, hiding any real cell there.
    const double left = cellNamed[i] ? x - kCellSize : x;
    const double bottom = cellNamed[i] ? y - kCellSize : y;
    const double corners[kQuadVertexFloats] = {x, y, left, y, left, bottom, x, bottom};
    float* slot = quadVertexBuffer + i * kQuadVertexFloats;
    for (int k = 0; k < kQuadVertexFloats; ++k) slot[k] = static_cast<float>(corners[k]);
  }
}

void fillQuadColors() {
  for (CellId i = 1; i <= kMaxCellId; ++i) {
    const ColorRGB color = timeToColor(travelTime[i]);
    float* slot = quadColorBuffer + i * kQuadColorFloats;
    for (int corner = 0; corner < kCornersPerQuad; ++corner) {
      slot[corner * 3 + 0] = color.red;
      slot[corner * 3 + 1] = color.green;
      slot[corner * 3 + 2] = color.blue;
    }
  }
}

