// State of the keyboard's lock keys, for the status bar's indicators.
//
// Qt has no portable query for the lock keys. Under X11 the keyboard
// extension reports its indicator lamps by name; elsewhere (Wayland, the
// offscreen platform of the tests) nothing is known and every key reads as
// off. A test or another platform can put its own source in place.
#pragma once

#include <functional>

struct lock_key_state {
    bool kana = false;
    bool caps = false;
    bool num = false;
    bool scroll = false;
    bool operator==(const lock_key_state&) const = default;
};

using lock_key_source = std::function<lock_key_state()>;

// The windowing system's source: X11 indicator lamps when the application
// runs on X11 and was built with Xlib, otherwise all off.
lock_key_source system_lock_key_source();
