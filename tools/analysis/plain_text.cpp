// Text from a file or the command line for a line on a terminal, escaped
// so that no byte can break the line or reach the terminal as a control
// character, and so that what looks like "1" is 1.
#include "plain_text.h"

#include <algorithm>

namespace {

// Bytes in the well-formed UTF-8 sequence at p, 0 when there is none; `code`
// is its code point.
int utf8Length(const unsigned char* p, std::size_t left, char32_t& code) {
  const unsigned char b = p[0];
  code = b;
  if (b < 0x80) return 1;
  int n = 0;
  unsigned char lo = 0x80, hi = 0xBF;  // range of the second byte
  if (b >= 0xC2 && b <= 0xDF) {
    n = 2;
    code = b & 0x1F;
  } else if (b >= 0xE0 && b <= 0xEF) {
    n = 3;
    code = b & 0x0F;
    if (b == 0xE0) lo = 0xA0;  // no overlong forms
    if (b == 0xED) hi = 0x9F;  // no surrogates
  } else if (b >= 0xF0 && b <= 0xF4) {
    n = 4;
    code = b & 0x07;
    if (b == 0xF0) lo = 0x90;
    if (b == 0xF4) hi = 0x8F;  // nothing above U+10FFFF
  } else {
    return 0;
  }
  if (left < static_cast<std::size_t>(n) || p[1] < lo || p[1] > hi) return 0;
  for (int k = 1; k < n; ++k) {
    if (p[k] < 0x80 || p[k] > 0xBF) return 0;
    code = (code << 6) | (p[k] & 0x3F);
  }
  return n;
}

// Characters a terminal does not show, or shows as something else: control
// characters, and the spaces, joiners, direction marks and the byte-order
// mark that make "1" look like 1 in a message.
bool invisible(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0xA0 || c == 0xAD || c == 0x34F ||
         c == 0x61C || c == 0x180E || (c >= 0x200B && c <= 0x200F) ||
         (c >= 0x2028 && c <= 0x202F) || (c >= 0x2060 && c <= 0x206F) || c == 0xFEFF ||
         (c >= 0xFFF9 && c <= 0xFFFB);
}

void appendHex(std::string& out, const unsigned char* bytes, int count) {
  static const char kDigits[] = "0123456789ABCDEF";
  for (int k = 0; k < count; ++k) {
    out += "\\x";
    out += kDigits[bytes[k] >> 4];
    out += kDigits[bytes[k] & 0x0F];
  }
}

// Text for a report line, at most maxBytes of it: invisible characters and
// bytes that are not UTF-8 written as \xNN, a backslash doubled and `quote`
// (when not 0) escaped. `more` tells whether bytes were left out.
std::string escaped(std::string_view text, std::size_t maxBytes, char quote, bool& more) {
  std::string out;
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  std::size_t i = 0;
  while (i < text.size()) {
    char32_t code = 0;
    const int n = utf8Length(p + i, text.size() - i, code);
    const std::size_t step = static_cast<std::size_t>(std::max(n, 1));
    if (i + step > maxBytes) break;
    if (n == 0 || invisible(code)) {
      appendHex(out, p + i, static_cast<int>(step));
    } else if ((quote != 0 && p[i] == static_cast<unsigned char>(quote)) || p[i] == '\\') {
      out += '\\';
      out += static_cast<char>(p[i]);
    } else {
      out.append(text.data() + i, step);
    }
    i += step;
  }
  more = i < text.size();
  return out;
}

}  // namespace

std::string plainText(std::string_view text, std::size_t maxBytes) {
  bool more = false;
  const std::string shown = escaped(text, maxBytes, 0, more);
  return more ? shown + "..." : shown;
}

std::string quotedText(std::string_view text, std::size_t maxBytes, bool cut) {
  bool more = false;
  const std::string shown = escaped(text, maxBytes, '"', more);
  return '"' + shown + (more || cut ? "...\"" : "\"");
}

bool isPlainDecimal(const char* text) {
  bool digit = false;
  bool point = false;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p >= '0' && *p <= '9') {
      digit = true;
    } else if (*p == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  return digit;
}
