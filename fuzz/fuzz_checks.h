// Properties checked on one arbitrary input, shared by the libFuzzer targets
// and by the regression test that replays the seed corpora and every input
// a fuzzer once broke the program with.
//
// Each check returns an empty string when every property holds, otherwise a
// one-line description of the first one that failed. A check leaves the
// process as it found it: settings block defaults, tracing off, heap
// failure rules cleared; files go to the current working directory (the
// caller's private one).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Reads the bytes as a WAVE file, writes the document back, reads that and
// writes it again: the reader accepts or rejects exactly the files it must,
// keeps every sample, and the second round gives the first round's bytes.
// Sample buffers above wave_check_heap_cap bytes are refused by the heap.
std::string check_wave_io(const std::uint8_t* data, std::size_t size);
inline constexpr std::int64_t wave_check_heap_cap = 1 << 20;

// Uses the bytes as the settings file "Tonewarp.Inf": loading keeps each
// field that passes its test and replaces the others by their defaults,
// keeps the reserved bytes, leaves the file as it was; saving and loading
// again changes nothing.
std::string check_sys_param_file(const std::uint8_t* data, std::size_t size);

// Converts the bytes from CP932 and from UTF-8: the results are well formed,
// no longer than they may be, ASCII stays itself, and a converted text
// survives a second round trip unchanged.
std::string check_cp932(const std::uint8_t* data, std::size_t size);

// The part-name dialog's rule on arbitrary input: byte 0 the edited part
// (signed), byte 1 the number of name-table entries, then those 14-byte
// entries, then the typed text. The cut name is at most 12 bytes of the
// typed text's CP932 bytes, and it is refused exactly when another part's
// name has the same first 12 bytes.
std::string check_part_name(const std::uint8_t* data, std::size_t size);

// A whole extraction run over arbitrary samples (at most
// extract_check_max_frames frames after the 10 setting bytes described in
// extract_check.cpp): the run ends through the finishing state, frees its
// coefficient areas, keeps the parts limit, and the mix equals the
// recording over the range; nothing stays allocated afterwards.
std::string check_short_extraction(const std::uint8_t* data, std::size_t size);
inline constexpr int extract_check_max_frames = 8192;
