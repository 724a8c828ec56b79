// Short recordings for the golden-output checks, computed bit for bit the
// same on every machine: the oscillator is a polynomial sine of a 32-bit
// phase and the envelopes are multiplications per sample, so no library
// function (whose last bit may differ between C libraries) is involved.
#pragma once

#include <string>

// A four-voice mix, 44.1 kHz stereo 16-bit, as the bytes of a WAVE file:
// a plucked voice from 0 s, a bass from `seconds`/5, a sustained pad from
// 2·`seconds`/5 and a flute-like voice from 3·`seconds`/5, each placed
// differently between the channels, each with its own note sequence.
std::string golden_mix_wave(double seconds);
