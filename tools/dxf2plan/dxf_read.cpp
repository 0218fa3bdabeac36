#include "dxf_read.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include <dxflib/dl_creationadapter.h>
#include <dxflib/dl_dxf.h>

#include "dxf_entities.h"

namespace {

constexpr char kBinarySentinel[] = "AutoCAD Binary DXF";

std::string_view stripped(std::string_view s) {
  while (!s.empty() && std::strchr(" \t\r\n", s.front()) != nullptr) s.remove_prefix(1);
  while (!s.empty() && std::strchr(" \t\r\n", s.back()) != nullptr) s.remove_suffix(1);
  return s;
}

bool parseGroupCode(std::string_view text, int& code) {
  if (text.empty() || text.size() > 9) return false;
  std::size_t i = text[0] == '-' ? 1 : 0;
  if (i == text.size()) return false;
  long value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    value = value * 10 + (text[i] - '0');
  }
  code = static_cast<int>(text[0] == '-' ? -value : value);
  return true;
}

// The state of the group loop: the entity being read and where.
struct GroupLoop {
  DxfEntityInfo current;  // the entity whose groups are being read
  std::string section;    // the section being read
  bool sectionName;       // the next group 2 names the section
  EntityChecks checks;    // counts of the entity read so far
};

bool refuseOtherFormats(std::string_view firstLine, DxfReadError& error);

bool readPair(TextCursor& in, std::string& codeLine, std::string& valueLine, std::int64_t& line,
              DxfReadError& error) {
  bool longer = false;
  line = in.line;
  if (!readLine(in, codeLine, kMaxDxfLine, longer)) return false;
  if (line == 1 && refuseOtherFormats(codeLine, error)) return false;
  if (longer) {
    error = {line, "line longer than " + std::to_string(kMaxDxfLine) + " bytes"};
    return false;
  }
  if (!readLine(in, valueLine, kMaxDxfLine, longer)) {
    error = {line, "the file ends after a group code, without its value"};
    return false;
  }
  if (longer) error = {line + 1, "line longer than " + std::to_string(kMaxDxfLine) + " bytes"};
  return !longer;
}

bool refuseOtherFormats(std::string_view firstLine, DxfReadError& error) {
  if (firstLine.substr(0, std::strlen(kBinarySentinel)) == kBinarySentinel) {
    error = {1, "a binary DXF file; save the drawing as ASCII DXF"};
    return true;
  }
  if (firstLine.size() >= 6 && firstLine.substr(0, 4) == "AC10") {
    error = {1, "a DWG drawing, not DXF; export it as ASCII DXF"};
    return true;
  }
  return false;
}

}  // namespace

const char* skipWords(DxfSkip why) {
  switch (why) {
    case DxfSkip::Text: return "text";
    case DxfSkip::Annotation: return "dimension or leader";
    case DxfSkip::ThreeD: return "3D entity";
    case DxfSkip::Tilted: return "not in the plan's plane (extrusion not along Z)";
    case DxfSkip::PaperSpace: return "on a paper-space layout";
    case DxfSkip::NotFinite: return "a coordinate that is not a finite number";
    case DxfSkip::Unsupported: return "a type this tool does not read";
  }
  return "";
}

bool readDxf(TextCursor& in, const DxfSink& sink, DxfHeader& header, DxfReadError& error) {
  header = DxfHeader{-1, std::string()};
  error = DxfReadError{0, std::string()};
  DL_Dxf dxf;
  EntityAdapter adapter(sink, header);
  GroupLoop loop{{"", "", "0", 0, "", false}, "", false, {}};
  std::string codeLine, valueLine;
  // dxflib's handlers read the pair from members that only its own group
  // reader sets, so each checked pair goes through that reader.
  std::istringstream pair;
  auto hand = [&](int code, const std::string& value) {
    pair.clear();
    pair.str(std::to_string(code) + "\n" + value + "\n");
    dxf.readDxfGroups(pair, &adapter);
  };
  std::int64_t line = 0;
  while (readPair(in, codeLine, valueLine, line, error)) {
    int code = 0;
    if (!parseGroupCode(stripped(codeLine), code)) {
      error = {line, "group code '" + std::string(stripped(codeLine).substr(0, 40)) + "' is not a number"};
      return false;
    }
    const std::string value(stripped(valueLine));
    if (code == 999) continue;  // a comment
    if (code == 0) {
      adapter.dispatching(loop.current, loop.section == "ENTITIES" || loop.section == "BLOCKS");
      hand(0, value);
      adapter.dispatched(value);
      if (value == "ENDSEC") loop.section.clear();
      loop.sectionName = value == "SECTION";
      loop.current = DxfEntityInfo{value, "", "0", line, adapter.blockName(), false};
      loop.checks = EntityChecks{};
      if (value == "EOF") break;
      continue;
    }
    if (code == 2 && loop.sectionName) {
      loop.section = value;
      loop.sectionName = false;
    }
    if (code == 5) loop.current.handle = value;
    if (code == 8) loop.current.layer = value;
    if (code == 67) loop.current.paperSpace = std::atoi(value.c_str()) == 1;
    std::string problem;
    if (!checkGroup(loop.current.type, code, value, loop.checks, problem)) {
      error = {line, loop.current.type + (loop.current.handle.empty() ? "" : " " + loop.current.handle) +
                         ": " + problem};
      return false;
    }
    hand(code, value);
  }
  if (!error.message.empty()) return false;
  if (in.readError != 0) {
    error = {line, std::strerror(in.readError)};
    return false;
  }
  adapter.finish();
  return true;
}

bool readDxfText(std::string_view text, const DxfSink& sink, DxfHeader& header, DxfReadError& error) {
  TextCursor in = makeCursor(text);
  return readDxf(in, sink, header, error);
}
