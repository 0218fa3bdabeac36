// The colours of a painted plan: which colour stands for which kind of
// cell, and how a pixel's colour is read, anti-aliased edges included.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "plan_grid.h"

constexpr double kDefaultTolerance = 40.0;  // RGB distance (0 to 441) still read as a palette colour

struct Rgb {
  std::uint8_t r, g, b;
};

struct PaletteEntry {
  Rgb colour;
  CellKind kind;  // Rock for rock
};

struct Palette {
  std::vector<PaletteEntry> entries;
  double tolerance;  // RGB distance, see kDefaultTolerance
};

// How a pixel was read.
enum class PixelRead {
  Exact,       // a palette colour
  Near,        // within the tolerance of one
  Blend,       // on the way between two palette colours (an anti-aliased edge): the nearer one
  Unknown,     // none of these: taken as rock
};

// Pure: the built-in palette: black rock, white floor, blue platform,
// yellow stair, cyan escalator, magenta gate, orange service, green exit.
Palette defaultPalette();

// Loads a palette file (TOML): a table [colours] mapping each kind (rock,
// floor, platform, stair, escalator, gate, service, exit) to "#RRGGBB" or a
// list of them, and optionally `tolerance`. It replaces the built-in
// palette. False, with `error` naming the file and the fault, otherwise.
bool loadPalette(const std::string& path, Palette& palette, std::string& error);

// Pure: "#RRGGBB" -> colour; false for anything else.
bool parseColour(const std::string& text, Rgb& colour);

// Pure: "#RRGGBB".
std::string colourText(Rgb colour);

// Pure: the kind `colour` is read as, and how.
CellKind readPixel(const Palette& palette, Rgb colour, PixelRead& how);
