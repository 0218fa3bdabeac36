// The small inputs beside a drawing or picture that both importers read:
// TOML files (roles, palettes, levels) and numbers on the command line.
#pragma once

#include <string>

#include <toml++/toml.h>

constexpr long kMaxSmallTomlBytes = 1 << 20;  // bytes; a roles, palette or levels file is a page of text

// `what` names the file in the message ("roles", "palette", "levels").
// Leaves `file` parsed and true, or false with `error` naming the path and,
// for a syntax error, its line; a file over kMaxSmallTomlBytes or not a
// regular file is refused before it is read.
bool readSmallToml(const std::string& path, const char* what, toml::table& file, std::string& error);

// True with `value` set when `text` is one whole finite number as strtod
// reads it; `value` is unspecified otherwise.
bool parseFiniteNumber(const char* text, double& value);
