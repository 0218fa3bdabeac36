// The words the checker's messages are made of.
#include <cstdio>

#include "check_internal.h"

MessagePiece own(std::string words) { return MessagePiece{false, std::move(words), false}; }

MessagePiece quote(std::string_view fileText, bool cut) {
  return MessagePiece{true, std::string(fileText), cut};
}

MessagePiece quote(const KeptText& fileText) { return quote(fileText.view(), fileText.cut); }

std::string num(long long value) { return std::to_string(value); }

std::string plural(long long count, const char* one, const char* many) {
  return num(count) + ' ' + (count == 1 ? one : many);
}

std::string fixed(double value, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
  return buf;
}

std::string baseName(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

const char* failureReason(FieldResult result) {
  switch (result) {
    case FieldResult::NotANumber:
      return "is not a whole number";
    case FieldResult::OutOfRange:
      return "does not fit a 32-bit whole number (-2147483648 to 2147483647)";
    case FieldResult::EndOfText:
      return "is missing: the file ends";
    case FieldResult::Read:
      break;
  }
  return "was read";
}
