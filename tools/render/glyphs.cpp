#include <GL/gl.h>

#include <cstring>

#include "render.h"

// Each character is one glBitmap that moves the raster position by its
// advance, as GLUT draws its bitmap fonts; the raster colour and position
// are the caller's. Unpack alignment 1, since rows are packed to whole bytes.
void drawGlyphRun(const TableGlyph* glyphs, int firstChar, int lastChar,
                  const unsigned char* bits, std::string_view text) {
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  glPixelStorei(GL_UNPACK_SWAP_BYTES, GL_FALSE);
  glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
  glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  for (char c : text) {
    const int code = static_cast<unsigned char>(c);
    if (code < firstChar || code > lastChar) continue;
    const TableGlyph& g = glyphs[code - firstChar];
    glBitmap(g.width, g.height, static_cast<GLfloat>(g.xOrigin), static_cast<GLfloat>(g.yOrigin),
             static_cast<GLfloat>(g.advance), 0.0f, bits + g.offset);
  }
  glPopClientAttrib();
}

void drawTableGlyphs(const char* text) {
  drawGlyphRun(kTableGlyphs, kFirstTableChar, kLastTableChar, kTableGlyphBits,
               std::string_view(text, std::strlen(text)));
}
