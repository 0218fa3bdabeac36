// Text of annotated pictures: X bitmap fonts compiled in at build time
// (Helvetica from xfonts-75dpi, Latin-1), measured here without OpenGL and
// drawn with glBitmap as the window draws its labels.
#pragma once

#include <string>
#include <string_view>

#include "render.h"

constexpr int kFirstReportChar = 32;  // space
constexpr int kLastReportChar = 255;  // y with diaeresis: the fonts are ISO 8859-1
constexpr int kReportFontChars = kLastReportChar - kFirstReportChar + 1;

struct ReportFont {
  const TableGlyph* glyphs;   // kReportFontChars; an empty glyph where the font has none
  const unsigned char* bits;  // bitmaps, as kTableGlyphBits
  int ascent, descent;        // px above and below the baseline of a line of text
};

// The generated fonts (render.cmake lists them).
extern const ReportFont kReportFonthelvR10, kReportFonthelvB12, kReportFonthelvR12,
    kReportFonthelvB18, kReportFonthelvR18, kReportFonthelvB24;

// The two fonts of one picture: labels, legend and subtitle; the title.
struct ReportFonts {
  const ReportFont* label;
  const ReportFont* title;
};

// Pure: the fonts for a picture `width` px wide: smaller below 640 px,
// larger from 1600 px, so that text keeps about the same share of it.
ReportFonts reportFontsFor(int width);

// Pure: UTF-8 text as the fonts' Latin-1 bytes; a character beyond
// Latin-1, a control character or a byte that is not UTF-8 becomes '?'.
std::string latin1Text(std::string_view utf8);

// Pure: px from the pen's start to its end after `latin1`.
int textWidth(const ReportFont& font, std::string_view latin1);

// Pure: `latin1` cut at a character boundary, with "..." after it, so that
// it takes at most maxWidth px; as it is when it fits already.
std::string fitText(const ReportFont& font, std::string_view latin1, int maxWidth);

// Pure: px from the lowest to the highest point of a line of the font.
inline int lineHeight(const ReportFont& font) { return font.ascent + font.descent; }

// GL, with a pixel projection: draws `latin1` with its baseline starting at
// (x, y) px in the current colour.
void drawReportText(const ReportFont& font, std::string_view latin1, double x, double y);
