#include "join_tags.h"

#include "record_tags.h"

const char* travelWord(Travel way) {
  switch (way) {
    case Travel::Up:
      return "up";
    case Travel::Down:
      return "down";
    default:
      return "";
  }
}

Travel travelFromWord(std::string_view word) {
  if (word == "up") return Travel::Up;
  if (word == "down") return Travel::Down;
  return Travel::None;
}

RecordJoin readRecordJoin(std::string_view tags) {
  RecordJoin join{"", false, Travel::None, Travel::None};
  if (!findTag(tags, kJoinTag, join.label)) return join;
  join.end = hasTag(tags, kJoinEndTag);
  std::string word;
  if (findTag(tags, kTowardTag, word)) join.toward = travelFromWord(word);
  if (findTag(tags, kRunsTag, word)) join.runs = travelFromWord(word);
  return join;
}

std::string recordLevel(std::string_view tags) {
  std::string name;
  findTag(tags, kLevelTag, name);
  return name;
}
