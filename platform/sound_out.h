// Wave-audio output as the view sees it: one output device per view, one
// queued buffer at a time, polled from the view's 100 ms timer.
//
// The queued buffer is not copied: the device reads straight from the caller's
// memory (the document's working copy) while it plays, so a mix rebuilt while
// playing is heard at once. The device reads on its own thread; every write
// into memory that a device may be reading is made while holding a
// sound_buffers_guard (or between lock_buffers() and unlock_buffers()).
//
// Result codes follow the wave-output convention: 0 success, a positive code
// otherwise (see sound_result). No operation throws.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

enum sound_result : int {
    snd_ok = 0,
    snd_error = 1,           // unspecified failure of the platform
    snd_bad_device = 2,      // no such device number
    snd_invalid_handle = 5,  // the output is not open
    snd_no_driver = 6,       // the sound system could not be started
    snd_bad_format = 32,     // the format cannot be played
    snd_still_playing = 33,  // a buffer is still queued
};

// The output format, filled from the document's format chunk body. Field
// order and widths mirror the 18-byte wave format record.
struct sound_format {
    std::uint16_t format_tag = 1;  // 1 = PCM
    std::uint16_t channels = 2;
    std::uint32_t samples_per_sec = 44100;
    std::uint32_t avg_bytes_per_sec = 176400;
    std::uint16_t block_align = 4;
    std::uint16_t bits_per_sample = 16;
    std::uint16_t extra_size = 0;
};

// Capabilities of one device, as written to the diagnostic log. Values the
// platform does not know (manufacturer, product, driver version, format bits)
// are left 0 on purpose.
struct sound_dev_caps {
    int mid = 0;
    int pid = 0;
    int driver_version = 0;
    std::string name;  // UTF-8
    std::uint32_t formats = 0;
    int channels = 0;
    int reserved1 = 0;
    std::uint32_t support = 0;  // output devices only
};

// A device position. The view asks for samples; a device may answer in
// another unit and the caller converts.
struct sound_pos {
    enum unit_t { samples, bytes, millis };
    unit_t unit = samples;
    std::int64_t value = 0;
};

class sound_out {
   public:
    virtual ~sound_out() = default;

    // Device enumeration (for the diagnostic log). Caps queries return 0 and
    // fill `caps`, or a non-zero code and leave it untouched.
    virtual int input_dev_count() = 0;
    virtual int input_dev_caps(int index, sound_dev_caps& caps) = 0;
    virtual int output_dev_count() = 0;
    virtual int output_dev_caps(int index, sound_dev_caps& caps) = 0;

    // Opens the platform's default output (our device 0) with the format.
    virtual int open(const sound_format& fmt) = 0;

    // Queues `length` bytes at `data` (whole blocks; a partial last block is
    // not played). The memory must stay valid until the buffer is done or the
    // device is reset. Fails with snd_still_playing while a buffer is queued
    // and not done. A paused device stays paused.
    virtual int write(const std::uint8_t* data, std::int64_t length) = 0;

    // True when no buffer is queued any more: the last one was played to its
    // end or returned by reset(). True before the first write.
    virtual bool done() = 0;

    // Pause keeps the queued buffer and the position; restart continues.
    virtual int pause() = 0;
    virtual int restart() = 0;

    // Stops playback, returns the queued buffer (done() becomes true), clears
    // a pause and sets the position back to 0.
    virtual int reset() = 0;

    // The number of sample frames played since the open or the last reset,
    // counted across buffers.
    virtual int position(sound_pos& pos) = 0;

    // Closes the device (resetting it first). Further calls fail with
    // snd_invalid_handle; close itself may be called again.
    virtual int close() = 0;
};

// Locks out every device's reads of queued memory, process-wide, so the user
// interface can rewrite sample memory that may be playing without a data race.
// Never call device operations while holding it: a device thread waiting for
// this lock may hold its platform lock.
void lock_buffers();
void unlock_buffers();

class sound_buffers_guard {
   public:
    sound_buffers_guard() { lock_buffers(); }
    ~sound_buffers_guard() { unlock_buffers(); }
    sound_buffers_guard(const sound_buffers_guard&) = delete;
    sound_buffers_guard& operator=(const sound_buffers_guard&) = delete;
};

// The stand-in for an output that failed to open: it lists no devices, plays
// nothing, and finishes every queued buffer at once with the position still
// 0, so a view that asks it to play simply returns to the stopped state.
std::unique_ptr<sound_out> make_null_sound_out();
