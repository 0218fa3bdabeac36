// The command line: options set files, size and keys; each output name
// takes them as they stand. Files, the times column and the size carry on
// to later outputs; keys belong to the one output that follows them.
#include <strings.h>

#include <cstdlib>
#include <cstring>

#include "app/app.h"
#include "render.h"

namespace {

// The program's file names without its folder: what --plan DIR holds.
const char* fileName(const char* path) {
  const char* slash = std::strrchr(path, '/');
  return slash != nullptr ? slash + 1 : path;
}

constexpr char kDefaultColumn[] = "seconds";  // orvik-check --times's time column
constexpr int kMaxSide = 16384;               // px, beyond any window
constexpr const char* kOptions[] = {"--plan",   "--mesh", "--exits", "--times",
                                    "--column", "--size", "--keys"};

constexpr char kUsage[] =
    "Usage: orvik-render [OPTIONS] OUT.png|OUT.bmp [[OPTIONS] OUT...]\n"
    "\n"
    "Draws the map as the orvik window shows it, without any X server, and\n"
    "writes it as PNG, or as the window's 32-bit BMP when OUT ends in .bmp.\n"
    "\n"
    "  --plan DIR     folder with Mesh.csv and ExitGrid.dat (default ../in)\n"
    "  --mesh FILE    the mesh file alone\n"
    "  --exits FILE   the exit file alone; colours from the walk from its exits\n"
    "  --times FILE   colours from a times CSV of orvik-check --times instead\n"
    "  --column NAME  the CSV column with the seconds (default seconds)\n"
    "  --size WxH     the window's size in px (default 800x600)\n"
    "  --keys \"KEYS\"  keys of the program, separated by blanks, pressed in order\n"
    "                 before drawing: 8 k 2 i 6 l 4 j (pan), w W (zoom), 0 R (reset)\n"
    "  --help         this text\n"
    "\n"
    "Several outputs may follow each other, each after its own options, and\n"
    "are drawn with one OpenGL context. Files, --column and --size hold for\n"
    "every later output until given again; --keys holds only for the next\n"
    "output. Of --times and --exits (or --plan), the later one decides how the\n"
    "map is coloured. Cells that the times CSV does not list show as unreached.\n";

struct Settings {
  RenderJob next;       // files and size for the next output
  bool timesNamed;      // --times was ever given
  bool columnNamed;     // --column was ever given
  bool optionsPending;  // an option was given since the last output
  bool columnPending;   // --column was given since the last output
  bool keysPending;     // --keys was given since the last output
};

// Whatever the case: a camera's PICTURE.PNG is a PNG too.
bool endsWith(const std::string& text, const char* suffix) {
  const std::size_t n = std::strlen(suffix);
  return text.size() >= n && strcasecmp(text.c_str() + text.size() - n, suffix) == 0;
}

bool parseSide(const char* from, const char* to, int& side) {
  if (from == to || to - from > 5) return false;
  side = 0;
  for (const char* c = from; c != to; ++c) {
    if (*c < '0' || *c > '9') return false;
    side = side * 10 + (*c - '0');
  }
  return side >= 1 && side <= kMaxSide;
}

bool parseSize(const char* text, int& width, int& height) {
  const char* x = std::strchr(text, 'x');
  return x != nullptr && parseSide(text, x, width) && parseSide(x + 1, x + std::strlen(x), height);
}

// A key of the table that changes the view; "s" and Escape are refused
// with a reason, since a picture is written anyway and nothing quits.
bool parseKey(const std::string& name, char& key, std::string& error) {
  if (name == "s") {
    error =
        "--keys: \"s\" saves the window's picture; orvik-render writes OUT instead, leave it out";
    return false;
  }
  if (name == "Escape" || name == "Esc" || name == "\x1b") {
    error = "--keys: Escape quits the program; orvik-render has nothing to quit, leave it out";
    return false;
  }
  ViewState probe = kStartView;
  if (name.size() != 1 ||
      applyKey(static_cast<unsigned char>(name[0]), probe) == KeyCommand::NotAKey) {
    error = "--keys: \"" + name +
            "\" is not a key of the program; keys are 8 k 2 i 6 l 4 j (pan), "
            "w W (zoom), 0 R (reset), one character each, separated by blanks";
    return false;
  }
  key = name[0];
  return true;
}

bool parseKeys(const char* text, std::string& keys, std::string& error) {
  keys.clear();
  const char* at = text;
  for (;;) {
    while (*at == ' ' || *at == '\t') ++at;
    if (*at == '\0') return true;
    const char* end = at;
    while (*end != '\0' && *end != ' ' && *end != '\t') ++end;
    char key = 0;
    if (!parseKey(std::string(at, end), key, error)) return false;
    keys += key;
    at = end;
  }
}

bool addOutput(Settings& s, const char* name, RenderRequest& request, std::string& error) {
  RenderJob job = s.next;
  job.outPath = name;
  if (endsWith(job.outPath, ".bmp")) {
    job.bmp = true;
  } else if (endsWith(job.outPath, ".png")) {
    job.bmp = false;
  } else {
    error = "the output file must end in .png or .bmp: " + job.outPath;
    return false;
  }
  // A column named for an output that the exits colour would be dropped
  // without a word.
  if (s.columnPending && s.timesNamed && job.timesPath.empty()) {
    error = "--column " + job.timesColumn + " is given for " + job.outPath +
            ", which the exits colour (--exits or --plan came after --times); give --times "
            "again before it, or leave --column out";
    return false;
  }
  request.jobs.push_back(job);
  s.next.keys.clear();
  s.optionsPending = s.columnPending = s.keysPending = false;
  return true;
}

// One option and its value; false, with `error`, when either is wrong.
bool applyOption(Settings& s, const std::string& option, const char* value, std::string& error) {
  RenderJob& n = s.next;
  if (option == "--plan") {
    n.meshPath = std::string(value) + "/" + fileName(kMeshPath);
    n.exitPath = std::string(value) + "/" + fileName(kExitPath);
    n.timesPath.clear();
  } else if (option == "--mesh") {
    n.meshPath = value;
  } else if (option == "--exits") {
    n.exitPath = value;
    n.timesPath.clear();
  } else if (option == "--times") {
    n.timesPath = value;
    s.timesNamed = true;
  } else if (option == "--column") {
    n.timesColumn = value;
    s.columnNamed = s.columnPending = true;
  } else if (option == "--size") {
    if (!parseSize(value, n.width, n.height)) {
      error = "--size takes WIDTHxHEIGHT in px, each 1 to " + std::to_string(kMaxSide) +
              ", e.g. 800x600: " + value;
      return false;
    }
  } else if (option == "--keys") {
    if (s.keysPending) {
      error = "--keys is given twice before one output; the second would replace the first: "
              "put all the keys in one --keys";
      return false;
    }
    if (!parseKeys(value, n.keys, error)) return false;
    s.keysPending = true;
  }
  if (*value == '\0' && option != "--keys") {
    error = option + " needs a value that is not empty";
    return false;
  }
  return true;
}

bool isOption(const std::string& arg) {
  for (const char* known : kOptions) {
    if (arg == known) return true;
  }
  return false;
}

}  // namespace

const char* renderUsage() { return kUsage; }

bool parseRenderArguments(int argc, const char* const* argv, RenderRequest& request,
                          std::string& error) {
  request = RenderRequest{false, {}};
  Settings s{RenderJob{kMeshPath, kExitPath, "", kDefaultColumn,
                       kWindowWidth, kWindowHeight, "", "", false},
             false, false, false, false, false};
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      request.help = true;
      return true;
    }
    if (arg.size() > 1 && arg[0] == '-') {
      if (!isOption(arg)) {
        error = "unknown option " + arg + " (orvik-render --help lists them)";
        return false;
      }
      if (i + 1 >= argc) {
        error = arg + " needs a value";
        return false;
      }
      if (!applyOption(s, arg, argv[++i], error)) return false;
      s.optionsPending = true;
    } else if (!addOutput(s, arg.c_str(), request, error)) {
      return false;
    }
  }
  if (request.jobs.empty()) {
    error = "no output file named (orvik-render --help shows how)";
    return false;
  }
  if (s.optionsPending) {
    error =
        "options after the last output hold for no picture; put them before the output they are "
        "for";
    return false;
  }
  if (s.columnNamed && !s.timesNamed) {
    error = "--column names a column of a times CSV; it needs --times";
    return false;
  }
  return true;
}
