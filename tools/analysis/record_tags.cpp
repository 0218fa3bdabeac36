#include "record_tags.h"

namespace {

bool needsEscape(unsigned char byte) {
  return byte <= ' ' || byte == 0x7F || byte == '%' || byte == ';' || byte == '=';
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string decodeTagValue(std::string_view text) {
  std::string raw;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const int high = text[i] == '%' && i + 2 < text.size() ? hexValue(text[i + 1]) : -1;
    const int low = high >= 0 ? hexValue(text[i + 2]) : -1;
    if (low >= 0) {
      raw += static_cast<char>(high * 16 + low);
      i += 2;
    } else {
      raw += text[i];
    }
  }
  return raw;
}

// Calls `each(item)` for every ';'-separated item of `tags` until it returns true.
template <typename Each>
bool anyItem(std::string_view tags, Each each) {
  if (tags == kNoTags) return false;
  while (!tags.empty()) {
    const std::size_t end = tags.find(';');
    if (each(tags.substr(0, end))) return true;
    if (end == std::string_view::npos) break;
    tags.remove_prefix(end + 1);
  }
  return false;
}

}  // namespace

std::string encodeTagValue(std::string_view raw) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string text;
  for (const char c : raw) {
    const auto byte = static_cast<unsigned char>(c);
    if (needsEscape(byte)) {
      text += '%';
      text += kHex[byte >> 4];
      text += kHex[byte & 15];
    } else {
      text += c;
    }
  }
  return text;
}

std::string formatTags(const std::vector<TagItem>& items) {
  std::string text;
  for (const TagItem& item : items) {
    if (!text.empty()) text += ';';
    text += item.first;
    if (!item.second.empty()) text += '=' + encodeTagValue(item.second);
  }
  return text.empty() ? std::string(kNoTags) : text;
}

bool hasTag(std::string_view tags, std::string_view flag) {
  return anyItem(tags, [&](std::string_view item) { return item == flag; });
}

bool findTag(std::string_view tags, std::string_view key, std::string& value) {
  return anyItem(tags, [&](std::string_view item) {
    if (item.size() <= key.size() || item.substr(0, key.size()) != key ||
        item[key.size()] != '=') {
      return false;
    }
    value = decodeTagValue(item.substr(key.size() + 1));
    return true;
  });
}
