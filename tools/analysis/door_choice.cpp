#include "door_choice.h"

#include <algorithm>

#include "plain_text.h"

namespace {

// Digits only, few enough for a long: "+1", "1.0" and " 1" are names.
bool isDoorNumber(const std::string& text) {
  return !text.empty() && text.size() <= 9 &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

int findDoor(const std::vector<std::string>& names, const std::string& given) {
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (!names[i].empty() && names[i] == given) return static_cast<int>(i);
  }
  if (!isDoorNumber(given)) return -1;
  const long number = std::stol(given);
  return number >= 1 && number <= static_cast<long>(names.size()) ? static_cast<int>(number - 1)
                                                                   : -1;
}

std::string unknownDoorMessage(const std::vector<std::string>& names, const std::string& given) {
  std::string list;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (!list.empty()) list += ", ";
    list += std::to_string(i + 1);
    if (!names[i].empty()) list += " \"" + plainText(names[i], kQuoteBytes) + '"';
  }
  return "no door is named or numbered \"" + plainText(given, kQuoteBytes) +
         "\"; the doors are: " + (list.empty() ? "none" : list);
}

std::string doorExitFileName(int number, int column, int row) {
  return "door" + std::to_string(number) + "-c" + std::to_string(column) + "-r" +
         std::to_string(row) + ".dat";
}
