// The least any reader of the mesh file has to do: get its bytes into memory
// and split them into white-space-separated fields, converting nothing and
// storing nothing. Every reading figure is compared with this.
#pragma once

#include <cstddef>

// The fields between p and end; blanks, '\t', '\n', '\v', '\f' and '\r'
// separate them, as in the mesh reader.
std::size_t countFields(const char* p, const char* end);

// One read of kMeshPath, relative to the working directory, into a buffer of
// the file's size, then countFields over it. 0 when the file is missing.
std::size_t countMeshFileFields();
