// The exit file read into a list: every program, tool and test that needs
// the exits reads them here, so none can disagree about a file.
#include "scene/reader.h"

void readExitList(TextCursor& in, ExitList& list, void (*seen)(const ExitNumber&, void*),
                  void* context) {
  list = ExitList{};
  // Index in list.exits of each slot listed so far, -1 before its first listing.
  std::vector<std::int32_t> listedAt(kSlotCount, -1);
  CellId exit = 0;
  std::int64_t line = 0;
  while (readExitRecord(in, exit, line, list.stop)) {
    ExitNumber number{exit, line, 0, outsideTable(exit)};
    ++list.numbersRead;
    if (number.outside) {
      if (list.outside++ == 0) list.firstOutside = number;
    } else if (listedAt[exit] >= 0) {
      number.firstLine = list.lines[static_cast<std::size_t>(listedAt[exit])];
      ++list.repeated;
    } else {
      listedAt[exit] = static_cast<std::int32_t>(list.exits.size());
      list.exits.push_back(exit);
      list.lines.push_back(line);
    }
    if (seen != nullptr) seen(number, context);
  }
}

bool readExitFile(const char* path, ExitList& list, int* readError) {
  list = ExitList{};
  if (readError != nullptr) *readError = 0;
  TextCursor in = makeCursor("");
  if (!openFileCursor(path, in)) return false;
  readExitList(in, list);
  if (readError != nullptr) *readError = in.readError;
  closeCursor(in);
  return true;
}
