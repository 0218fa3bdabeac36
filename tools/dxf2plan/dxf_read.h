// Reading an ASCII DXF drawing: the file is read a line at a time with the
// project's own reader (so memory does not grow with the file), checked
// group by group, and handed to dxflib, whose callbacks give each entity's
// geometry; this reader turns that into figures in the drawing's own units
// and world frame (an entity's object frame mirrored when its extrusion is
// -Z), and block references into maps. It keeps nothing of an entity once
// it has been handed on, and does not expand blocks (blocks.h does).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "geometry.h"
#include "scene/reader.h"

constexpr std::size_t kMaxDxfLine = 4096;           // bytes; DXF lines are at most 2,049
constexpr std::int64_t kMaxDxfCount = 1000000;      // a count a DXF entity may announce
constexpr std::int64_t kMaxInsertArray = 10000;     // copies of one array insert

// Where an entity comes from, for every message about it.
struct DxfEntityInfo {
  std::string type;    // as in the file: LINE, LWPOLYLINE, INSERT, ...
  std::string handle;  // group 5, hexadecimal; empty when the file gives none
  std::string layer;   // group 8; "0" when the file gives none
  std::int64_t line = 0;    // 1-based line of the entity's "0" group
  std::string block;        // the block being defined; empty at the top level
  bool paperSpace = false;  // group 67 = 1: a sheet layout, not the plan
};

// Why an entity gives no geometry.
enum class DxfSkip {
  Text,         // TEXT, MTEXT, ATTRIB, ATTDEF
  Annotation,   // DIMENSION, LEADER, TOLERANCE
  ThreeD,       // 3DFACE, 3DSOLID, meshes, 3D polylines, ...
  Tilted,       // drawn in a plane that is not the plan's
  PaperSpace,   // on a sheet layout
  NotFinite,    // a coordinate that is not a finite number
  Unsupported,  // a type this tool does not read (MLINE, IMAGE, ...)
};
constexpr int kDxfSkipCount = 7;

// A block reference (one copy of an array): the block's name and the map
// from its frame into the frame the reference stands in, drawing units.
struct DxfInsert {
  std::string block;
  Affine map;
};

// What the reader hands on; any pointer may be null.
struct DxfSink {
  void* context;
  void (*entity)(const DxfEntityInfo& info, void* context);  // each entity, before what it gives
  void (*figure)(const DxfEntityInfo& info, const Figure& figure, void* context);
  void (*insert)(const DxfEntityInfo& info, const DxfInsert& insert, void* context);
  void (*skipped)(const DxfEntityInfo& info, DxfSkip why, void* context);
  void (*blockStart)(const std::string& name, Vec2 base, void* context);
  void (*blockEnd)(void* context);
};

struct DxfHeader {
  int insunits;         // $INSUNITS; -1 when the file does not set it
  std::string version;  // $ACADVER, e.g. AC1024; empty when absent
};

struct DxfReadError {
  std::int64_t line;  // 1-based line of the file, 0 when the error has none
  std::string message;
};

// Pure: the reason's words for the summary ("text", "3D", ...).
const char* skipWords(DxfSkip why);

// Reads the whole drawing from `in`, handing each entity to `sink` in file
// order. False, with `error` filled in, for a binary DXF or a DWG file, a
// line longer than kMaxDxfLine, a group code that is not a number, a file
// that ends inside a group, an entity whose counts are out of range or out
// of order; what was handed on before stands.
bool readDxf(TextCursor& in, const DxfSink& sink, DxfHeader& header, DxfReadError& error);

// readDxf on text in memory.
bool readDxfText(std::string_view text, const DxfSink& sink, DxfHeader& header, DxfReadError& error);
