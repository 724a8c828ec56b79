// Writing a document's range as a WAVE file whose frames are made piece by
// piece instead of being read from the working copy mdfy_dt.
#pragma once

#include <cstdint>
#include <functional>
#include <span>

#include "document/byte_stream.h"

class CTonewarpDoc;

// Makes frames first .. first + count - 1 of the recording (4 bytes a frame)
// into out.
using wave_frame_fill = std::function<void(std::int64_t first, std::int64_t count, unsigned char* out)>;

// Writes exactly the file write_wave_file would write if mdfy_dt held the
// frames fill makes: the same header records, range and sizes. The frames
// are made into scratch, as many whole frames at a time as it holds (it
// must hold one), and written from there. 0, or -1 when the stream refused
// a write.
int write_wave_file_made(const CTonewarpDoc& doc, byte_ostream& out, const wave_frame_fill& fill,
                         std::span<unsigned char> scratch);
