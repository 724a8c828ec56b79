// How `extract` and `convert` read a recording: through the document's own
// WAVE reader when File Open would read it, through libsndfile otherwise.
#pragma once

#include <cstdint>
#include <string>

#include "document/tonewarp_doc.h"

struct recording_read {
    int status = 0;          // cli_exit_ok, or _io / _bad (already reported on stderr)
    bool converted = false;  // decoded by libsndfile into a 16-bit stereo document
    std::string source;      // converted: container, encoding, channels and rate
    std::int64_t held = 0;   // converted: samples held at -32768 or 32767
};

// A file the own reader accepts with one or two channels (a 16-bit WAVE
// file) is read exactly as File Open reads it. Any other recording that
// libsndfile reads becomes the document that reading its 16-bit stereo WAVE
// conversion at the source's rate gives (cli/wave16_image.h). Refused with
// cli_exit_bad: more than two channels (the message names the count), a file
// neither reader reads (the bad-file message), a recording too long for a
// WAVE file, one whose decoding fails.
recording_read cli_read_recording(CTonewarpDoc& doc, const std::string& path);
