// dxf2plan's words: the summary of what was read, used and left out, and
// the comment lines at the head of the plan.
#pragma once

#include <string>
#include <vector>

#include "convert.h"

// Pure: the summary: the drawing, its units, the plan's size, every layer
// with its role and the rule that gave it, the entities by type with what
// was used and why the rest was left out, notes, and the problems.
std::string formatDxfSummary(const DxfSummary& summary, const DxfOptions& options, const std::string& planPath);

// Pure: the plan's header lines (without their "# "): the drawing, the
// cell size and units, the origin, the size and counts, and which layers
// gave walls, floor and exits.
std::vector<std::string> planHeader(const DxfSummary& summary, const DxfOptions& options);

// Pure: the advice for a plan over the table (empty when it fits): the
// cell size that would fit and the build option that would take it.
std::string dxfLargePlanAdvice(const DxfSummary& summary, const DxfOptions& options);
