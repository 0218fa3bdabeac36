// The words the checker's messages are made of, and the tables of words
// (kinds, levels, join labels) read from the records.
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "check_internal.h"

MessagePiece own(std::string words) { return MessagePiece{false, std::move(words), false}; }

MessagePiece quote(std::string_view fileText, bool cut) {
  return MessagePiece{true, std::string(fileText), cut};
}

MessagePiece quote(const KeptText& fileText) { return quote(fileText.view(), fileText.cut); }

std::int16_t wordIndex(std::vector<std::string>& words, std::string_view word, const char* others) {
  for (std::size_t k = 0; k < words.size(); ++k) {
    if (words[k] == word) return static_cast<std::int16_t>(k);
  }
  if (words.size() + 1 >= static_cast<std::size_t>(kMaxKinds)) {
    if (words.size() + 1 == static_cast<std::size_t>(kMaxKinds)) words.emplace_back(others);
    return kMaxKinds - 1;
  }
  words.emplace_back(word);
  return static_cast<std::int16_t>(words.size() - 1);
}

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

// A number as given: the fewest decimals that read back as the
// same value, in exponent form only beyond them; -0 as 0.
std::string shortestNumber(double value) {
  value += 0.0;
  char text[40];
  if (std::fabs(value) < 1e15) {
    for (int decimals = 0; decimals <= 17; ++decimals) {
      std::snprintf(text, sizeof text, "%.*f", decimals, value);
      if (std::strtod(text, nullptr) == value) return text;
    }
  }
  for (int digits = 1; digits <= 17; ++digits) {
    std::snprintf(text, sizeof text, "%.*g", digits, value);
    if (std::strtod(text, nullptr) == value) break;
  }
  return text;
}

std::string minuteHistogram(const int* perMinute, int bins, const std::string& lastLabel) {
  std::string out = "  By minute:";
  for (int b = 0; b < bins; ++b) {
    const std::string label = b + 1 < bins ? num(b) + '-' + num(b + 1) : lastLabel;
    out += (b > 0 ? ", " : " ") + label + ": " + num(perMinute[b]);
  }
  return out + '\n';
}

std::string walkHistogram(const int perMinute[kMinuteBins]) {
  return minuteHistogram(perMinute, kMinuteBins,
                         num(kMinuteBins - 1) + " min to " + num(kLongestTime) + " s");
}
