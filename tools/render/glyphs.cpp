#include <GL/gl.h>

#include "render.h"

// Each character is one glBitmap that moves the raster position by its
// advance, as GLUT draws its bitmap fonts; the raster colour and position
// are the caller's. Unpack alignment 1, since rows are packed to whole bytes.
void drawTableGlyphs(const char* text) {
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  glPixelStorei(GL_UNPACK_SWAP_BYTES, GL_FALSE);
  glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
  glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  for (const char* c = text; *c != '\0'; ++c) {
    const int code = static_cast<unsigned char>(*c);
    if (code < kFirstTableChar || code > kLastTableChar) continue;
    const TableGlyph& g = kTableGlyphs[code - kFirstTableChar];
    glBitmap(g.width, g.height, static_cast<GLfloat>(g.xOrigin), static_cast<GLfloat>(g.yOrigin),
             static_cast<GLfloat>(g.advance), 0.0f, kTableGlyphBits + g.offset);
  }
  glPopClientAttrib();
}
