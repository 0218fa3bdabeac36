// Feeds the same bytes to the mesh and exit field readers and to formatted
// stream extraction (std::getline for the header, >> into int32_t and
// std::string for the fields), and aborts on the first difference in a
// value read, in the number of records read, in the field and reason that
// ended the reading, or in the byte offset where each reader stopped.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "scene/reader.h"
#include "stream_reference.h"

using namespace streamref;

namespace {

// Past end of file the stream's offset is the size of the text, so offsets
// compare exactly everywhere.
void expectSame(const char* what, const Reading& stream, const Reading& fields) {
  if (stream.values == fields.values && stream.offsets == fields.offsets &&
      stream.stopField == fields.stopField && stream.stopReason == fields.stopReason &&
      stream.stopOffset == fields.stopOffset) {
    return;
  }
  std::fprintf(stderr,
               "%s: stream read %zu values, stopped at field %d (reason %d) at byte %zu; "
               "field reader read %zu values, stopped at field %d (reason %d) at byte %zu\n",
               what, stream.values.size(), stream.stopField, static_cast<int>(stream.stopReason),
               stream.stopOffset, fields.values.size(), fields.stopField,
               static_cast<int>(fields.stopReason), fields.stopOffset);
  std::abort();
}

}  // namespace

// The field reader gets the bytes whole, a byte at a time, and in pieces of
// a size the input picks, so that every kind of field, line and line break
// also lands across the edge of two pieces.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::size_t picked = size == 0 ? 2 : 1 + data[0] % 16;
  const Reading mesh = streamMesh(bytes);
  const Reading exits = streamExits(bytes);
  for (std::size_t piece : {std::size_t{0}, std::size_t{1}, picked}) {
    expectSame("mesh", mesh, fieldReaderMesh(bytes, piece));
    expectSame("exits", exits, fieldReaderExits(bytes, piece));
  }
  return 0;
}
