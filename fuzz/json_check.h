// A strict JSON syntax check (RFC 8259, UTF-8 text) for the checker's
// --json output; no values are built.
#pragma once

#include <string_view>

namespace json_check {

struct Reader {
  std::string_view text;
  std::size_t at;
  int depth;
};

constexpr int kMaxDepth = 64;

inline void skipSpace(Reader& r) {
  while (r.at < r.text.size() && (r.text[r.at] == ' ' || r.text[r.at] == '\t' ||
                                  r.text[r.at] == '\n' || r.text[r.at] == '\r')) {
    ++r.at;
  }
}

inline bool eat(Reader& r, char c) {
  skipSpace(r);
  if (r.at >= r.text.size() || r.text[r.at] != c) return false;
  ++r.at;
  return true;
}

inline bool literal(Reader& r, std::string_view word) {
  if (r.text.substr(r.at, word.size()) != word) return false;
  r.at += word.size();
  return true;
}

inline bool digits(Reader& r) {
  const std::size_t from = r.at;
  while (r.at < r.text.size() && r.text[r.at] >= '0' && r.text[r.at] <= '9') ++r.at;
  return r.at > from;
}

inline bool number(Reader& r) {
  if (r.at < r.text.size() && r.text[r.at] == '-') ++r.at;
  if (r.at < r.text.size() && r.text[r.at] == '0') {
    ++r.at;
  } else if (!digits(r)) {
    return false;
  }
  if (r.at < r.text.size() && r.text[r.at] == '.' && (++r.at, !digits(r))) return false;
  if (r.at < r.text.size() && (r.text[r.at] == 'e' || r.text[r.at] == 'E')) {
    ++r.at;
    if (r.at < r.text.size() && (r.text[r.at] == '+' || r.text[r.at] == '-')) ++r.at;
    if (!digits(r)) return false;
  }
  return true;
}

inline bool isHex(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Bytes of the well-formed UTF-8 sequence at `at`, 0 when there is none.
inline int utf8Sequence(std::string_view s, std::size_t at) {
  const auto b = static_cast<unsigned char>(s[at]);
  int n = b < 0x80                 ? 1
          : b >= 0xC2 && b <= 0xDF ? 2
          : b >= 0xE0 && b <= 0xEF ? 3
          : b >= 0xF0 && b <= 0xF4 ? 4
                                   : 0;
  if (n == 0 || at + static_cast<std::size_t>(n) > s.size()) return 0;
  const auto b1 = n > 1 ? static_cast<unsigned char>(s[at + 1]) : 0x80;
  if ((b == 0xE0 && b1 < 0xA0) || (b == 0xED && b1 > 0x9F) || (b == 0xF0 && b1 < 0x90) ||
      (b == 0xF4 && b1 > 0x8F)) {
    return 0;
  }
  for (int k = 1; k < n; ++k) {
    const auto c = static_cast<unsigned char>(s[at + static_cast<std::size_t>(k)]);
    if (c < 0x80 || c > 0xBF) return 0;
  }
  return n;
}

inline bool string(Reader& r) {
  if (!eat(r, '"')) return false;
  while (r.at < r.text.size()) {
    const auto c = static_cast<unsigned char>(r.text[r.at]);
    if (c == '"') {
      ++r.at;
      return true;
    }
    if (c < 0x20) return false;
    if (c == '\\') {
      if (++r.at >= r.text.size()) return false;
      const char e = r.text[r.at++];
      if (e == 'u') {
        for (int k = 0; k < 4; ++k) {
          if (r.at >= r.text.size() || !isHex(r.text[r.at++])) return false;
        }
      } else if (std::string_view("\"\\/bfnrt").find(e) == std::string_view::npos) {
        return false;
      }
      continue;
    }
    const int n = utf8Sequence(r.text, r.at);
    if (n == 0) return false;
    r.at += static_cast<std::size_t>(n);
  }
  return false;
}

inline bool value(Reader& r);

inline bool members(Reader& r, char close, bool keyed) {
  if (eat(r, close)) return true;
  do {
    if (keyed && !(string(r) && eat(r, ':'))) return false;
    if (!value(r)) return false;
  } while (eat(r, ','));
  return eat(r, close);
}

inline bool value(Reader& r) {
  skipSpace(r);
  if (r.at >= r.text.size()) return false;
  const char c = r.text[r.at];
  if (c == '"') return string(r);
  if (c == '{' || c == '[') {
    if (++r.depth > kMaxDepth) return false;
    ++r.at;
    const bool ok = members(r, c == '{' ? '}' : ']', c == '{');
    --r.depth;
    return ok;
  }
  if (c == 't') return literal(r, "true");
  if (c == 'f') return literal(r, "false");
  if (c == 'n') return literal(r, "null");
  return number(r);
}

}  // namespace json_check

// True when `text` is one JSON value and nothing but white space after it.
inline bool isValidJson(std::string_view text) {
  json_check::Reader r{text, 0, 0};
  if (!json_check::value(r)) return false;
  json_check::skipSpace(r);
  return r.at == text.size();
}
