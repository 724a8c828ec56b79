// Material of the painting benchmarks, made in code and always the same:
// a stereo recording of six synthesised voices (wavetable tones with their
// own timbre, pitch range, note lengths and pan) entering one after another,
// plus a little noise, and the parts an extraction would leave for it, built
// directly rather than by running the engine: one part per voice whose
// waveform holds that voice alone and whose info records are its notes (one
// episode per note, both channels), and a residual part "Total_Diff." over
// the whole recording holding the noise.
#pragma once

#include <cstdint>
#include <memory>

#include "document/tonewarp_doc.h"
#include "engine/extr_state.h"

inline constexpr int paint_voice_cnt = 6;

// A document holding frames stereo frames of the mix in both sample buffers
// (the settings block and heap must be prepared), the whole recording as
// its extraction range, and paint_voice_cnt + 1 parts.
std::unique_ptr<CTonewarpDoc> make_paint_material(std::int64_t frames);

// Lists every part of doc in a view's extraction state: the part count,
// every part expanded and in the mix, the list at its first part.
void list_all_parts(const CTonewarpDoc& doc, extr_state& ex);
