// The sound output on SDL2 (target tw_sound, the only one that links SDL2).
//
// Device 0 is the system's default output. The device thread pulls audio in
// blocks of 1024 frames through a callback that copies from the queued
// buffer in place; everything the callback reads is guarded by the
// process-wide buffer lock of sound_out.h. Enumeration reports SDL's device
// names and, where SDL knows it, the channel count; other values are 0.
#pragma once

#include <memory>

#include "platform/sound_out.h"

// Starts SDL's audio subsystem for the object's lifetime. When SDL cannot
// start, the object lists no devices and open() fails with snd_no_driver.
std::unique_ptr<sound_out> make_sdl_sound_out();
