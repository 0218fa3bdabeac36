// orvik-render: the program's picture drawn offscreen, with the program's
// own drawing code and no window system, written as PNG or as the BMP that
// the window's "s" key writes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "scene/reader.h"
#include "scene/scene.h"
#include "report_options.h"

// ------------------------------------------------------------ arguments

// One picture to make: every file and the size as they stand where its
// output name appears on the command line.
struct RenderJob {
  std::string meshPath;     // mesh file
  std::string exitPath;     // exit file; ignored when timesPath is set
  std::string timesPath;    // times CSV that colours the map; empty: walk from the exits
  std::string timesColumn;  // column of timesPath holding the seconds
  int width, height;        // px, the window's size
  std::string keys;         // key characters, applied in order to the start view
  std::string outPath;      // the picture
  bool bmp;                 // outPath ends in ".bmp": the window's BMP instead of PNG
  std::string planExitPath; // the plan's own exit file, which a blocked door is missing
                            // from; empty when a --mesh came after the last --plan
  ReportOptions report;     // --annotate and its options
  std::string planPath{};   // the last --plan as given; "" for none (../in). A .plan file
                            // stands for itself in meshPath, exitPath and planExitPath until
                            // openRenderPlans points them at its converted files
  bool meshFromPlan = false;  // meshPath is the converted mesh of the .plan planPath
  bool exitsFromPlan = false; // exitPath is the converted exit file of that .plan
  std::vector<std::string> block{};  // --block: doors (names or numbers as given) whose cells
                                     // the exits of exitPath lose; this output only
};

struct RenderRequest {
  bool help;                    // --help: print the usage, make nothing
  std::vector<RenderJob> jobs;  // in command-line order
};

// Pure: reads argv[1..argc-1]. False, with one line (no program name) in
// `error`, when the arguments make no sense; then `request` is unusable.
bool parseRenderArguments(int argc, const char* const* argv, RenderRequest& request,
                          std::string& error);

// Pure: the text --help prints.
const char* renderUsage();

// ------------------------------------------------------- offscreen context

// Leaves an OpenGL compatibility context current on an offscreen buffer of
// width by height px with 8 bits per colour channel and no alpha, as the
// window has: created on the first call, the buffer made anew when the size
// changes. No X server is needed. False, with one line in `error`, when
// Mesa gives no such context or buffer.
bool useOffscreen(int width, int height, std::string& error);

// Starts making the context of useOffscreen on a thread of its own and
// returns at once, so that reading the first scene overlaps the driver's
// start-up (about half of a single picture's time); useOffscreen waits for it.
void startOffscreen();

// Releases what useOffscreen made; the next useOffscreen starts afresh.
void closeOffscreen();

// The variable from which Mesa's llvmpipe takes its number of rasterizer threads.
constexpr char kDriverThreadsVariable[] = "LP_NUM_THREADS";

// Before the driver loads: keeps Mesa's loader warnings off standard error
// unless EGL_LOG_LEVEL is set, and, unless the user set
// kDriverThreadsVariable, sets it to the threads the system lets this
// process start beside the context's loader thread, at most one a core (0
// under an address-space cap), since llvmpipe waits for ever for a thread
// it was refused. False when not even the loader thread can be started.
bool prepareDriver();

// Words to add to a failure of the driver that a limit of the process may
// explain ("; the address space is capped at ..."), or empty.
std::string driverLimitHint();

// ----------------------------------------------------------------- glyphs

// GL, a LabelGlyphs: draws `text` from the current raster position in the
// window's label font (Times Roman 24 bitmaps), from a table compiled into
// the program, and leaves the raster position after the last character.
// Characters outside the table draw nothing and do not move it.
void drawTableGlyphs(const char* text);

// One glyph of the compiled table, in glBitmap's terms.
struct TableGlyph {
  int width, height;     // px of the bitmap; rows bottom first, each a whole number of bytes
  int xOrigin, yOrigin;  // px from the bitmap's lower-left corner to the pen
  int advance;           // px the pen moves to the right
  int offset;            // first byte of the bitmap in kTableGlyphBits
};
constexpr int kFirstTableChar = 32;  // space
constexpr int kLastTableChar = 126;  // tilde
constexpr int kTableGlyphCount = kLastTableChar - kFirstTableChar + 1;
extern const TableGlyph kTableGlyphs[kTableGlyphCount];  // from the generated source
extern const unsigned char kTableGlyphBits[];            // bitmaps, most significant bit leftmost

// GL: draws the characters of `text` from firstChar to lastChar with the
// glyphs of a table that starts at firstChar, from the current raster
// position, and leaves it after the last; other characters draw nothing.
void drawGlyphRun(const TableGlyph* glyphs, int firstChar, int lastChar,
                  const unsigned char* bits, std::string_view text);

// ------------------------------------------------------------ input notes

// What a reading of the mesh file handed over, for its warnings.
struct InputNotes {
  struct Skip {
    std::int32_t number;  // the cell or exit number outside the table
    std::int64_t line;    // where it stands
  };
  std::int64_t read;     // records or exit numbers read
  std::int64_t skipped;  // of those, outside 0..kMaxCellId
  Skip firstSkipped;     // the first of them
};

// MeshReading::onRecord with an InputNotes as context.
void countMeshRecord(const MeshRecord& record, void* notes);

// Pure: one warning line (without the program's name) for each way the
// reading of the mesh at `path` left cells out: a header line over its
// bound or a short header, a stop before the end, records skipped, no
// record at all. Empty when the file was read whole.
std::vector<std::string> meshWarnings(const std::string& path, const MeshReading& reading,
                                      const FieldFailure& stop, const InputNotes& notes);

// Pure: the same for the exit file as readExitList left it: a stop at a
// field that is not a whole number, exits skipped, no exit to walk from.
std::vector<std::string> exitWarnings(const std::string& path, const ExitList& list);

// ------------------------------------------------------------ times CSV

// Needs the table read: every slot's travel time from the CSV at `path`
// (cell,column,row,seconds[,...], as orvik-check --times writes it), the
// seconds from the column named `column`; an empty value and a cell absent
// from the file are unreached. False, with one line naming the file and
// line in `error`, for an unreadable file, a missing column or a malformed
// row; the times are then unusable.
bool readTimesCsv(const char* path, const char* column, std::string& error);

// Longest line of a times CSV, in bytes; the reader holds no more than this.
constexpr int kTimesLineCapacity = 4096;

// ------------------------------------------------------------------ PNG

// How the PNG is packed: the zlib level (0 stores, 9 packs hardest) and the
// row filters libpng may choose from (PNG_FILTER_* bits; PNG_ALL_FILTERS = 0xf8).
struct PngEncoding {
  int zlibLevel;
  int filters;
};
constexpr PngEncoding kPngEncoding = {6, 0x08};  // no filter; see docs/performance.md

// Writes BGRA pixels, bottom row first, stride 4 * width, as an 8-bit RGB
// PNG at `path`, whole or not at all. False, with one line in `error`
// naming the file, on any failure; the target is then untouched.
bool writePngFile(const char* path, const unsigned char* bgra, int width, int height,
                  std::string& error, const PngEncoding& encoding = kPngEncoding);
