#include "report_text.h"

#include <GL/gl.h>

namespace {

constexpr char kUnknown = '?';
constexpr char kEllipsis[] = "...";

const TableGlyph* glyphOf(const ReportFont& font, unsigned char c) {
  if (c < kFirstReportChar) return nullptr;
  return &font.glyphs[c - kFirstReportChar];
}

// The length of the UTF-8 sequence a lead byte starts, 0 for a byte that starts none.
int sequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xc2 && lead <= 0xdf) return 2;
  if (lead >= 0xe0 && lead <= 0xef) return 3;
  if (lead >= 0xf0 && lead <= 0xf4) return 4;
  return 0;
}

}  // namespace

ReportFonts reportFontsFor(int width) {
  if (width < 640) return {&kReportFonthelvR10, &kReportFonthelvB12};
  if (width < 1600) return {&kReportFonthelvR12, &kReportFonthelvB18};
  return {&kReportFonthelvR18, &kReportFonthelvB24};
}

std::string latin1Text(std::string_view utf8) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    int length = sequenceLength(lead);
    bool whole = length > 0 && i + static_cast<std::size_t>(length) <= utf8.size();
    for (int k = 1; whole && k < length; ++k) {
      whole = (static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(k)]) & 0xc0) == 0x80;
    }
    if (!whole) {  // a stray byte stands for itself alone
      out += kUnknown;
      ++i;
      continue;
    }
    unsigned code = length == 1 ? lead : lead & (0x7fu >> length);
    for (int k = 1; k < length; ++k) {
      code = code << 6 | (static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(k)]) & 0x3f);
    }
    const bool shown = (code >= 32 && code <= 126) || (code >= 160 && code <= 255);
    out += shown ? static_cast<char>(code) : kUnknown;
    i += static_cast<std::size_t>(length);
  }
  return out;
}

int textWidth(const ReportFont& font, std::string_view latin1) {
  int width = 0;
  for (char c : latin1) {
    const TableGlyph* g = glyphOf(font, static_cast<unsigned char>(c));
    if (g != nullptr) width += g->advance;
  }
  return width;
}

std::string fitText(const ReportFont& font, std::string_view latin1, int maxWidth) {
  if (textWidth(font, latin1) <= maxWidth) return std::string(latin1);
  const int room = maxWidth - textWidth(font, kEllipsis);
  std::string kept;
  int width = 0;
  for (char c : latin1) {
    const TableGlyph* g = glyphOf(font, static_cast<unsigned char>(c));
    const int advance = g != nullptr ? g->advance : 0;
    if (width + advance > room) break;
    kept += c;
    width += advance;
  }
  while (!kept.empty() && kept.back() == ' ') kept.pop_back();
  return room >= 0 ? kept + kEllipsis : std::string();
}

void drawReportText(const ReportFont& font, std::string_view latin1, double x, double y) {
  glRasterPos2d(x, y);
  drawGlyphRun(font.glyphs, kFirstReportChar, kLastReportChar, font.bits, latin1);
}
