// dxf2plan [options] DRAWING.dxf PLAN: a text plan for plan2mesh from an
// architect's DXF drawing. The summary goes to standard output; the plan
// is written whole or not at all.
#pragma once

#include <string>

#include "convert.h"

// Pure: reads the command line into `options`, `drawing` and `plan`. False,
// with `error` said in one line, for an unknown option, a missing or bad
// value, or not exactly two paths; `help` when --help was asked for.
bool parseDxf2planArgs(int argc, const char* const* argv, DxfOptions& options, std::string& drawing,
                       std::string& plan, bool& help, std::string& error);

// The levels of `options` (each its own drawing) into one plan at
// `planPath`, with their joins; the exit status as runDxf2plan's.
int runDxfLevels(const DxfOptions& options, const std::string& planPath);

// The whole command. Returns the exit status: 0 with the plan written, 1
// when no plan results or it cannot be written (nothing written), 2 for
// bad arguments.
int runDxf2plan(int argc, const char* const* argv);
