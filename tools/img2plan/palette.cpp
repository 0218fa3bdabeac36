#include "palette.h"
#include "small_inputs.h"

#include <cmath>
#include <cstdio>

#include <toml++/toml.h>

namespace {

double distance(Rgb a, double r, double g, double b) {
  return std::sqrt((a.r - r) * (a.r - r) + (a.g - g) * (a.g - g) + (a.b - b) * (a.b - b));
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool colourEntries(const toml::node& node, CellKind kind, std::vector<PaletteEntry>& out) {
  std::vector<const toml::node*> items;
  if (const auto* list = node.as_array()) {
    for (const toml::node& item : *list) items.push_back(&item);
  } else {
    items.push_back(&node);
  }
  for (const toml::node* item : items) {
    Rgb colour{};
    if (!item->is_string() || !parseColour(item->as_string()->get(), colour)) return false;
    out.push_back({colour, kind});
  }
  return !items.empty();
}

}  // namespace

Palette defaultPalette() {
  return Palette{{{{0, 0, 0}, CellKind::Rock},
                  {{255, 255, 255}, CellKind::Floor},
                  {{0, 0, 255}, CellKind::Platform},
                  {{255, 255, 0}, CellKind::Stair},
                  {{0, 255, 255}, CellKind::Escalator},
                  {{255, 0, 255}, CellKind::Gate},
                  {{255, 128, 0}, CellKind::Service},
                  {{0, 255, 0}, CellKind::Exit}},
                 kDefaultTolerance};
}

bool parseColour(const std::string& text, Rgb& colour) {
  if (text.size() != 7 || text[0] != '#') return false;
  int v[6];
  for (int i = 0; i < 6; ++i) {
    v[i] = hexDigit(text[static_cast<std::size_t>(i) + 1]);
    if (v[i] < 0) return false;
  }
  colour = Rgb{static_cast<std::uint8_t>(v[0] * 16 + v[1]), static_cast<std::uint8_t>(v[2] * 16 + v[3]),
               static_cast<std::uint8_t>(v[4] * 16 + v[5])};
  return true;
}

std::string colourText(Rgb c) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", c.r, c.g, c.b);
  return text;
}

bool loadPalette(const std::string& path, Palette& palette, std::string& error) {
  toml::table file;
  if (!readSmallToml(path, "palette", file, error)) return false;
  Palette loaded{{}, kDefaultTolerance};
  for (const auto& [key, node] : file) {
    const std::string word(key.str());
    if (word == "tolerance" && (node.is_integer() || node.is_floating_point())) {
      loaded.tolerance = node.value<double>().value_or(kDefaultTolerance);
      if (!(loaded.tolerance >= 0 && loaded.tolerance <= 441)) {
        error = path + ": tolerance must be from 0 to 441";
        return false;
      }
    } else if (word == "colours" && node.is_table()) {
      for (const auto& [kindKey, colours] : *node.as_table()) {
        CellKind kind = CellKind::Rock;
        const std::string kindName(kindKey.str());
        if (!parseKindWord(kindName, kind)) {
          error = path + ": [colours] " + kindName + ": not a kind (rock, floor, platform, stair, escalator, gate, service, exit)";
          return false;
        }
        if (!colourEntries(colours, kind, loaded.entries)) {
          error = path + ": [colours] " + kindName + ": give \"#RRGGBB\" or a list of them";
          return false;
        }
      }
    } else {
      error = path + ": unknown key '" + word + "' (a palette holds tolerance and [colours])";
      return false;
    }
  }
  if (loaded.entries.empty()) {
    error = path + ": no [colours]";
    return false;
  }
  palette = loaded;
  return true;
}

CellKind readPixel(const Palette& palette, Rgb c, PixelRead& how) {
  const PaletteEntry* nearest = nullptr;
  double best = 0;
  for (const PaletteEntry& e : palette.entries) {
    const double d = distance(e.colour, c.r, c.g, c.b);
    if (nearest == nullptr || d < best) {
      nearest = &e;
      best = d;
    }
  }
  if (nearest != nullptr && best <= palette.tolerance) {
    how = best == 0 ? PixelRead::Exact : PixelRead::Near;
    return nearest->kind;
  }
  // An edge a paint program smoothed mixes the two colours it separates:
  // the pixel lies on the line between them in RGB.
  const PaletteEntry* blendOf = nullptr;
  best = palette.tolerance;
  for (const PaletteEntry& a : palette.entries) {
    for (const PaletteEntry& b : palette.entries) {
      if (&a == &b || a.kind == b.kind) continue;
      const double dr = b.colour.r - a.colour.r, dg = b.colour.g - a.colour.g, db = b.colour.b - a.colour.b;
      const double t = ((c.r - a.colour.r) * dr + (c.g - a.colour.g) * dg + (c.b - a.colour.b) * db) /
                       (dr * dr + dg * dg + db * db);
      if (!(t > 0 && t <= 0.5)) continue;  // nearer `a`; the pair the other way round covers the rest
      const double d = distance(c, a.colour.r + t * dr, a.colour.g + t * dg, a.colour.b + t * db);
      if (blendOf == nullptr ? d <= best : d < best) {
        best = d;
        blendOf = &a;
      }
    }
  }
  if (blendOf != nullptr) {
    how = PixelRead::Blend;
    return blendOf->kind;
  }
  how = PixelRead::Unknown;
  return CellKind::Rock;
}
