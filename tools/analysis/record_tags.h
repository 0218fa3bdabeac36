// The tags of a mesh record: its 11th field, one word that plan2mesh fills
// with what the program never reads but the companion tools do. "-" is a
// record without tags; otherwise items separated by ';', each a bare flag
// ("exit") or "key=value" (door=North%20stair, level=Concourse).
//
// A value is percent-encoded (%20 for a blank, %25 for '%'), with every
// byte that would end the word or the item encoded: blanks and control
// bytes, DEL, '%', ';' and '='. Other bytes, UTF-8 included, stand as they
// are, so a name reads as itself in a text editor.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

constexpr char kNoTags[] = "-";          // field 11 of a record without tags
constexpr char kExitTag[] = "exit";      // flag: the cell is an exit
constexpr char kDoorTag[] = "door";      // key: the name of the door an exit cell belongs to
constexpr char kLevelTag[] = "level";    // key: the name of the level a cell lies on

using TagItem = std::pair<std::string, std::string>;  // key (or flag), raw value; "" for a flag

// Pure: `raw` with the bytes a tag value may not hold percent-encoded.
std::string encodeTagValue(std::string_view raw);

// Pure: the field-11 word of `items` in their order, each value encoded (an
// empty value makes a bare flag); kNoTags when there are none. Keys must be
// non-empty words of letters.
std::string formatTags(const std::vector<TagItem>& items);

// Pure: true when `tags` holds the bare flag `flag`.
bool hasTag(std::string_view tags, std::string_view flag);

// Pure: true when `tags` holds `key=...`, with the decoded value of its
// first such item left in `value`. A malformed escape is kept as written.
bool findTag(std::string_view tags, std::string_view key, std::string& value);
