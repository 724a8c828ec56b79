// Replacing a small file's whole contents without ever leaving it truncated.
//
// The bytes go to a temporary file beside the file, are flushed to disk, and
// the temporary is renamed over the file in one step. A name that is a
// symbolic link is followed to the file it finally names: that file is
// replaced and the links stay. The new file keeps the old one's permission
// bits (and, where the process may set them, its owner and group).
//
// Where no temporary file can be made beside it (a directory the user may
// not write, holding a file he may), the file is written in place instead,
// as opening it for writing would. A file the user may not write is left
// alone, though renaming over it would succeed.
#pragma once

#include <cstddef>

// True when the bytes reached the file; failures are otherwise silent.
bool replace_file_bytes(const char* name, const void* data, std::size_t size);
