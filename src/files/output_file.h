// Output files written whole or not at all: the bytes go to a temporary
// file in the target's folder, which replaces the target only once it was
// written, flushed and closed without error. A failure at any point removes
// the temporary file and leaves the old target as it was.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

//
// A target that is a symbolic link is written through: the file at the end
// of the links is replaced and the link stays. A target that is a device or
// a FIFO (a pipe to another program), or one of the program's own
// descriptors (/dev/stdout, /dev/fd/N, on whatever file the shell opened),
// cannot be replaced; where the caller allows it, it is written directly,
// and a FIFO without a reader fails at once instead of waiting.
struct OutputFile {
  std::FILE* file;       // open for writing; nullptr when none
  std::string path;      // the target, at the end of its symbolic links
  std::string tempPath;  // the temporary file beside it; empty when writing directly
};

enum class OutputTarget {
  FilesOnly,     // refuse devices and FIFOs
  StreamsToo,    // write devices and FIFOs directly
};

// Creates a temporary file beside `path` (or opens a device or FIFO, when
// allowed). False, with errno set and nothing created, when the folder does
// not take one or `path` cannot be replaced: a folder, a file without write
// permission, a device or FIFO that is not allowed.
bool openOutputFile(const char* path, OutputFile& out,
                    OutputTarget allowed = OutputTarget::StreamsToo);

// Needs openOutputFile: writes `size` bytes to the temporary file; false,
// with errno set, when they were not all written.
bool writeOutput(OutputFile& out, const void* bytes, std::size_t size);

// Needs openOutputFile: flushes, closes and renames the temporary file onto
// the target. False, with errno set, when any step failed; the temporary
// file is then gone and the target untouched.
bool commitOutputFile(OutputFile& out);

// commitOutputFile in two steps, for files that must replace their targets
// together: finish flushes and closes (false, with errno set and the
// temporary file removed, on failure); place then renames it onto the target.
bool finishOutputFile(OutputFile& out);
bool placeOutputFile(OutputFile& out);

// Removes the temporary file, if any, and leaves the target untouched.
void discardOutputFile(OutputFile& out);

// All of the above for bytes in memory. False, with errno set, on any failure.
bool writeWholeFile(const char* path, std::string_view bytes,
                    OutputTarget allowed = OutputTarget::StreamsToo);

// Two paths that name one file: the same device and inode where both exist,
// the same place otherwise. For refusing an output that would replace an
// input.
bool sameFile(const char* a, const char* b);
