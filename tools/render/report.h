// orvik-render --annotate: pictures for a report. A title, the map of the
// whole plan or of a region fitted to the picture with square cells, the
// exits and any blocked door marked and named, a legend with a tick every
// minute (or the two colours of a limit) and a scale bar. Everything but
// report_draw.cpp is plain computation.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "color/color.h"
#include "report_options.h"
#include "report_text.h"
#include "scene/reader.h"
#include "scene/scene.h"

// ------------------------------------------------------- what the plan says

// Field-11 facts of the records read, by slot: the level a cell lies on and
// the name of the door an exit cell belongs to, as indexes into the names.
extern std::int32_t reportLevelOf[kSlotCount];     // into reportLevelNames, -1 for no level
extern std::int32_t reportDoorNameOf[kSlotCount];  // into reportDoorNames, -1 for no door name
extern std::vector<std::string> reportLevelNames;  // UTF-8, in the order first read
extern std::vector<std::string> reportDoorNames;   // UTF-8, decoded from the tags

// Forgets every level and door name; the next mesh reading fills them.
void clearRecordFacts();

// A mesh reading's onRecord (with keepWords): notes the record's level and
// door name. `context` is unused.
void noteRecordFacts(const MeshRecord& record, void* context);

// Exit cells a move joins (both facing sides open), as orvik-check groups
// them, numbered as it numbers them for the same exit file.
struct ReportDoor {
  int number;                   // 1-based, by the door's first cell in the plan's exit file
  std::string name;             // door=NAME of its first cell that has one; "" for none
  std::vector<CellId> cells;    // its exit cells that a record names
  std::vector<CellId> blocked;  // of those, the cells the drawn exit file leaves out
  std::int32_t column0, row0;   // grid, the lower left of its cells
  std::int32_t column1, row1;   // grid, the upper right
};

// Needs the table and the names read: the doors of the plan's exits, then
// of the drawn exits that the plan does not list (a number listed twice
// counts once); a door's cell is blocked when the plan lists it and the
// drawn file does not.
std::vector<ReportDoor> groupReportDoors(const std::vector<CellId>& planExits,
                                         const std::vector<CellId>& drawnExits);

// Needs the table and the names read: the plan's exits (distinct, in file
// order) less the cells of the doors `given` calls (names or numbers, as
// orvik-check --block takes them, door_choice.h), in `open`; `exitFile` is
// the name orvik-check --exits-dir gives the exit file of the one door
// blocked, "" when more than one is. False, with the one-line refusal in
// `error` and the rest unusable, for a name or number of no door.
bool exitsWithoutDoors(const std::vector<CellId>& planExits, const std::vector<std::string>& given,
                       std::vector<CellId>& open, std::string& exitFile, std::string& error);

// Grid rectangle of cells, inclusive.
struct GridBox {
  std::int32_t column0, row0, column1, row1;
};

// Needs the table read: the cells the region covers. False, with `error`,
// for a level the records do not name, or a plan without cells.
bool regionBox(const ReportRegion& region, GridBox& box, std::string& error);

// ------------------------------------------------------------- colours

constexpr ColorRGB kWithinColour = {0.27f, 0.58f, 0.86f};     // within the limit: blue
constexpr ColorRGB kOverColour = {0.95f, 0.55f, 0.10f};       // over the limit: orange
constexpr ColorRGB kUnreachedColour = {0.55f, 0.55f, 0.55f};  // no exit within the cut-off: grey
constexpr ColorRGB kExitColour = {0.0f, 0.60f, 0.25f};        // an exit cell: green
constexpr ColorRGB kBlockedColour = {0.80f, 0.0f, 0.0f};      // the mark of a blocked door: red
constexpr ColorRGB kBlockedFill = {1.0f, 0.78f, 0.78f};  // its cells: pale, for the cross to show

// Pure: the colour of a time (s, or kUnreachedTime) under the options: the
// window's scale stretched to scaleMax, or the limit's two colours.
ColorRGB reportTimeColour(float seconds, const ReportOptions& options);

// Needs the times final: every slot's colour in quadColorBuffer by
// reportTimeColour, the doors' cells in kExitColour, blocked ones in
// kBlockedFill.
void fillReportColours(const ReportOptions& options, const std::vector<ReportDoor>& doors);

// ------------------------------------------------------------- layout

struct PixelBox {
  double x0, y0, x1, y1;  // px, y up from the picture's bottom edge
};

// A label of the legend or the map: text with its baseline start.
struct PlacedText {
  std::string text;  // Latin-1
  double x, y;       // px, the baseline's start
  bool bold;         // in the title font
};

// A tick of the legend bar.
struct LegendTick {
  double x;       // px
  int minute;     // the time it marks
  bool labelled;  // its minute is written under it
};

// A swatch of the legend: a square of one colour (or the exit marks) and its words.
struct LegendSwatch {
  enum class Mark { Fill, Exit, Blocked } mark;
  ColorRGB colour;
  PixelBox box;  // px, the square
  PlacedText words;
};

// Everything the picture draws, in px of the picture.
struct ReportLayout {
  int width, height;  // px
  ReportFonts fonts;
  std::vector<PlacedText> texts;   // title, subtitle, legend caption, tick labels, scale bar
  PixelBox mapArea;                // where the region is fitted
  GridBox region;                  // the cells fitted
  bool wholePlan;                  // the region is the whole plan
  PixelBox mapBox;                 // the region itself inside mapArea, cells square
  double left, bottom, pxPerUnit;  // map units at mapArea's lower left; px a map unit
  bool bar;                        // a colour bar (false with a limit)
  PixelBox barBox;                 // px, the colour bar
  double barSeconds;               // s at the bar's right end
  std::vector<LegendTick> ticks;
  std::vector<LegendSwatch> swatches;
  PixelBox scaleBar;                   // px, the scale bar's line (y0 == y1)
  int scaleCells;                      // cells the scale bar spans
  std::vector<PlacedText> doorLabels;  // door names placed on the map, each on a white box
  std::vector<PixelBox> doorLabelBoxes;
};

// Pure: the ticks of a bar barWidth px long from 0 to scaleMax s: one a
// minute, labelled every 1, 2, 5, 10, 15, 30 or 60 minutes, the first step
// whose labels (labelWidth px each) stay apart; every tick labelled step
// when ticks would come closer than 4 px.
std::vector<LegendTick> legendTicks(double barLeft, double barWidth, double scaleMax,
                                    int labelWidth);

// Pure: the cells of the scale bar, 1, 2 or 5 times a power of ten, the
// largest whose length stays within maxPx at pxPerCell.
int scaleBarCells(double pxPerCell, double maxPx);

// Pure: metres as the scale bar writes them ("5", "0.25", "1250").
std::string metresText(double metres);

// What the title band and legend say, composed by report_words.cpp.
struct ReportWords {
  std::string title;           // UTF-8
  std::string subtitle;        // UTF-8
  std::string caption;         // UTF-8, over the bar or the swatches
  std::string limitWords;      // UTF-8, the limit as the swatches name it ("240 s (4 min)")
  std::string unreachedWords;  // UTF-8, what the unreached colour stands for
};

// Pure: the layout of a width by height picture of `box` with `doors`.
ReportLayout layoutReport(int width, int height, const GridBox& box, const ReportOptions& options,
                          const ReportWords& words, const std::vector<ReportDoor>& doors);

// Pure: true when some of the door's cells lie in the region drawn.
bool doorShown(const ReportLayout& layout, const ReportDoor& door);

// Pure: px of the mark round a door's cells: its cells' box and a little
// more, at least a few px a side.
PixelBox doorMark(const ReportLayout& layout, const ReportDoor& door);

// Pure: px of the picture of a point of the map (map units).
inline double pictureX(const ReportLayout& l, double x) {
  return l.mapArea.x0 + (x - l.left) * l.pxPerUnit;
}
inline double pictureY(const ReportLayout& l, double y) {
  return l.mapArea.y0 + (y - l.bottom) * l.pxPerUnit;
}

// ------------------------------------------------------------- words

// What the picture shows, for the title band.
struct ReportSubject {
  std::string planName;     // the plan's folder name
  std::string regionName;   // "" for the whole plan, else the level or "columns ..."
  std::string exitFile;     // the drawn exit file's name
  std::string timesFile;    // the times CSV's name; "" when the walk colours
  std::string timesColumn;  // its column
};

// Pure: title, subtitle and legend caption.
ReportWords composeReportWords(const ReportOptions& options, const ReportSubject& subject,
                               const std::vector<ReportDoor>& doors);

// Pure: how a door is called on the picture: its name, else "door N".
std::string doorCalled(const ReportDoor& door);

// ------------------------------------------------------------- drawing

// GL, with the picture's buffer current and the quad buffers filled: the
// whole annotated picture.
void drawReport(const ReportLayout& layout, const std::vector<ReportDoor>& doors);
