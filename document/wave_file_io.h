// Opening and saving a recording by path: what File Open and Save do with
// the file once its name is known.
#pragma once

#include <string>

#include "document/tonewarp_doc.h"

// Reads the file at path into doc (read_wave_file). Returns 0, or the
// system's error number when the file cannot be opened or read; a file that
// is read but fails the checks is not an error here (doc carries "NG_F").
int open_wave_file(CTonewarpDoc& doc, const std::string& path);

// Writes doc (write_wave_file) to path through a temporary file renamed over
// it, so that a failed save leaves an existing file untouched. Returns 0, or
// the system's error number.
int save_wave_file(CTonewarpDoc& doc, const std::string& path);
