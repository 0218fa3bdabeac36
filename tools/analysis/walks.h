// Walks over the cell table for the companion tools, beside the program's
// own depth-first walk: the fewest moves from any exit, breadth first and
// without a cut-off. It counts by the program's move rule, so it is the
// oracle the checker and the benchmarks hold the program's times against.
#pragma once

#include "scene/scene.h"

constexpr int kNoWay = -1;  // moves, for a slot that no exit leads to

// Needs the table read; every entry of `exits` a slot: leaves in `moves`
// the fewest moves from any of them to each slot, kNoWay where none leads.
void countMovesFromExits(const CellId* exits, int exitCount, int moves[kSlotCount]);

// The time the program's walk gives a slot `moves` moves from the nearest
// exit: kStepTime a move up to kMaxMoves, kUnreachedTime beyond or for kNoWay.
float timeForMoves(int moves);
