// What the checker says about the exit file: each number as the reader
// hands it over, where and why reading stopped, and exits of no use.
#include "check_internal.h"

void noteExitNumber(const ExitNumber& number, void* report) {
  CheckReport& r = *static_cast<CheckReport*>(report);
  const CellId e = number.exit;
  ++r.exits.numbersRead;
  if (number.outside) {
    ++r.exits.skippedOutside;
    addFinding(r, FindingKind::ExitOutsideTable, InputFile::Exits, number.line, 0,
               {own("exit " + num(e) + " is outside 0 to " + num(kMaxCellId) + "; it is skipped.")});
    return;
  }
  ++r.exits.seeded;
  if (number.firstLine != 0) {
    addFinding(r, FindingKind::RepeatedExit, InputFile::Exits, number.line, 0,
               {own("exit " + num(e) + " is listed again (first on line " + num(number.firstLine) +
                    "); the repeat changes nothing.")});
    return;
  }
  exitLine[e] = number.line;
  exitSlots[exitCount++] = e;
  ++r.exits.distinctExits;
}

void describeExitStop(const FieldFailure& f, CheckReport& r) {
  r.exits.stop = ReadStop{f.result != FieldResult::EndOfText || f.field > 1, f.result, f.field,
                          f.line, std::string(f.text.view()), f.text.cut};
  if (!r.exits.stop.early) return;
  Message m{own("exit number " + num(r.exits.numbersRead + 1) + ' '), quote(f.text),
            own(std::string(" ") + failureReason(f.result) + "; reading stops here, " +
                plural(r.exits.numbersRead, "exit number", "exit numbers") + " read before it.")};
  appendGluedHint(m, f, "an exit number");
  addFinding(r, FindingKind::ExitsStopped, InputFile::Exits, f.line, 1, std::move(m));
}

// An exit helps only if the walk can leave it: a move needs the exit's side
// and the neighbour's facing side open, so a wall field on the neighbour
// shuts the exit in as surely as its own.
void checkExitsLeadOut(CheckReport& r) {
  for (int i = 0; i < exitCount; ++i) {
    const CellId e = exitSlots[i];
    if (!cellNamed[e]) {
      addFinding(r, FindingKind::ExitWithoutRecord, InputFile::Exits, exitLine[e], 0,
                 {own("exit " + num(e) +
                      " is not a cell of the mesh (no record names it); it is seeded in a slot "
                      "that is never drawn.")});
      continue;
    }
    bool leadsOut = false;
    for (const Side& side : kWalkSides) leadsOut = leadsOut || moveAcross(e, side) >= 0;
    if (!leadsOut) {
      addFinding(r, FindingKind::ExitClosedIn, InputFile::Exits, exitLine[e], 0,
                 {own("exit " + num(e) +
                      " is walled in: no move leads from it into a neighbour (a side needs both "
                      "its own face and the neighbour's open), so it reaches nobody.")});
    }
  }
}
