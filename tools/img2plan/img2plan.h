// img2plan [options] PICTURE.png PLAN: a text plan for plan2mesh from a
// picture painted in any paint program, each pixel one cell, its colour
// naming the kind (palette.h). The summary goes to standard output; the
// plan is written whole or not at all.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "levels.h"
#include "palette.h"
#include "picture.h"
#include "plan_grid.h"

constexpr std::size_t kMaxUnknownColours = 1000;  // told apart in the summary; the rest counted together
constexpr std::size_t kListedUnknownColours = 20; // listed, most pixels first

struct UnknownColour {
  Rgb colour;
  std::int64_t pixels;
  std::int32_t x, y;  // the first such pixel: column and row from the picture's top left, from 0
};

struct PictureSummary {
  std::int32_t width, height;         // pixels
  std::vector<std::int64_t> exact, near, blend;  // pixels read each way, by CellKind
  std::int64_t transparent;           // pixels under half opacity, taken as rock
  std::vector<UnknownColour> unknown; // in order of first appearance
  std::int64_t unknownPixels;
  std::int64_t otherUnknownPixels;    // of colours past kMaxUnknownColours
  PlanGrid plan;                      // one cell a pixel, rock included
};

// Pure: the plan a picture paints under `palette`, and what was read how.
PictureSummary convertPicture(const Picture& picture, const Palette& palette);

// Pure: the summary: the picture, the palette, the plan's counts, what
// was read near a palette colour or as an anti-aliased edge, every
// unknown colour with its pixel count and first pixel, and the large-plan
// advice. `cell` is metres a pixel, 0 when not given.
std::string formatPictureSummary(const PictureSummary& s, const Palette& palette, const std::string& picture,
                                 const std::string& plan, double cell);

// Pure: the plan's header lines (without their "# ").
std::vector<std::string> pictureHeader(const PictureSummary& s, const std::string& picture, double cell);

// Pure: the advice for a plan over the table; empty when it fits.
std::string pictureLargePlanAdvice(const PictureSummary& s);

// Reads a levels file (TOML: [[level]] with name and picture, [[join]] with
// ends at pixel [X, Y] from the picture's top left). False, with `error`
// naming the file and the fault, otherwise.
bool loadLevelsFile(const std::string& path, LevelsSetup& levels, std::string& error);

// The levels' pictures (names relative to `dir`) into one plan at
// `planPath`, with their joins; the exit status as runImg2plan's.
int runImgLevels(const LevelsSetup& levels, const std::string& dir, const Palette& palette, const std::string& planPath,
                 double cell);

// The whole command; returns the exit status: 0 with the plan written, 1
// when the picture cannot be read, holds no floor, or the plan cannot be
// written (nothing written), 2 for bad arguments.
int runImg2plan(int argc, const char* const* argv);
