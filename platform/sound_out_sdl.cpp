#include "platform/sound_out_sdl.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

namespace {

// Frames per device block: about 23 ms at 44100 frames per second, so the
// reported position runs at most that far ahead of what is heard.
constexpr int device_block_frames = 1024;

class sound_out_sdl final : public sound_out {
   public:
    sound_out_sdl() {
        // SDL would otherwise install its own SIGINT/SIGTERM handlers, and the
        // program would no longer end on kill or at logout.
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        sdl_up_ = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    }

    ~sound_out_sdl() override {
        close();
        if (sdl_up_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

    sound_out_sdl(const sound_out_sdl&) = delete;
    sound_out_sdl& operator=(const sound_out_sdl&) = delete;

    int input_dev_count() override { return dev_count(1); }
    int input_dev_caps(int index, sound_dev_caps& caps) override { return dev_caps(1, index, caps); }
    int output_dev_count() override { return dev_count(0); }
    int output_dev_caps(int index, sound_dev_caps& caps) override { return dev_caps(0, index, caps); }

    int open(const sound_format& fmt) override;
    int write(const std::uint8_t* data, std::int64_t length) override;
    bool done() override;
    int pause() override;
    int restart() override;
    int reset() override;
    int position(sound_pos& pos) override;
    int close() override;

   private:
    int dev_count(int capture) {
        if (!sdl_up_) return 0;
        return std::max(0, SDL_GetNumAudioDevices(capture));
    }
    int dev_caps(int capture, int index, sound_dev_caps& caps);
    static void SDLCALL feed(void* self, Uint8* stream, int len);

    bool sdl_up_ = false;
    SDL_AudioDeviceID dev_ = 0;
    std::int64_t block_ = 4;  // bytes per sample frame of the opened format
    Uint8 silence_ = 0;

    // Shared with the device thread; written only under the buffer lock.
    const std::uint8_t* data_ = nullptr;  // null: nothing queued (done)
    std::int64_t length_ = 0;             // whole frames, in bytes
    std::int64_t offset_ = 0;             // bytes of the buffer already handed to the device
    bool paused_ = false;
    std::int64_t played_ = 0;  // bytes handed to the device since open or reset
};

int sound_out_sdl::dev_caps(int capture, int index, sound_dev_caps& caps) {
    if (!sdl_up_) return snd_no_driver;
    const char* name = SDL_GetAudioDeviceName(index, capture);
    if (name == nullptr) return snd_bad_device;
    sound_dev_caps c;
    c.name = name;  // copied at once: SDL's string lives only until the next enumeration
    SDL_AudioSpec fmt{};
    if (SDL_GetAudioDeviceSpec(index, capture, &fmt) == 0) c.channels = fmt.channels;
    caps = c;
    return snd_ok;
}

int sound_out_sdl::open(const sound_format& fmt) {
    if (!sdl_up_) return snd_no_driver;
    if (dev_ != 0) return snd_error;
    SDL_AudioSpec want{};
    if (fmt.bits_per_sample == 16) {
        want.format = AUDIO_S16LSB;
    } else if (fmt.bits_per_sample == 8) {
        want.format = AUDIO_U8;
    } else {
        return snd_bad_format;
    }
    // PCM only, with a block that holds exactly one sample of every channel.
    if (fmt.format_tag != 1 || fmt.channels < 1 || fmt.channels > 8 || fmt.samples_per_sec == 0 ||
        fmt.samples_per_sec > 768000 || fmt.block_align != fmt.channels * fmt.bits_per_sample / 8) {
        return snd_bad_format;
    }
    want.freq = static_cast<int>(fmt.samples_per_sec);
    want.channels = static_cast<Uint8>(fmt.channels);
    want.samples = device_block_frames;
    want.callback = &sound_out_sdl::feed;
    want.userdata = this;
    SDL_AudioSpec got{};
    // No changes allowed: SDL converts to whatever the hardware takes.
    const SDL_AudioDeviceID dev = SDL_OpenAudioDevice(nullptr, 0, &want, &got, 0);
    if (dev == 0) return snd_error;
    {
        sound_buffers_guard g;
        block_ = fmt.block_align;
        silence_ = got.silence;
        data_ = nullptr;
        length_ = offset_ = played_ = 0;
        paused_ = false;
    }
    dev_ = dev;  // SDL opens paused: the device runs only while a buffer is queued
    return snd_ok;
}

int sound_out_sdl::write(const std::uint8_t* data, std::int64_t length) {
    if (dev_ == 0) return snd_invalid_handle;
    if (data == nullptr || length < 0) return snd_error;
    const std::int64_t whole = length - length % block_;
    bool run = false;
    {
        sound_buffers_guard g;
        if (data_ != nullptr) return snd_still_playing;
        if (whole > 0) {
            data_ = data;
            length_ = whole;
            offset_ = 0;
            run = !paused_;
        }
    }
    if (run) SDL_PauseAudioDevice(dev_, 0);
    return snd_ok;
}

bool sound_out_sdl::done() {
    sound_buffers_guard g;
    return data_ == nullptr;
}

int sound_out_sdl::pause() {
    if (dev_ == 0) return snd_invalid_handle;
    {
        sound_buffers_guard g;
        paused_ = true;
    }
    SDL_PauseAudioDevice(dev_, 1);
    return snd_ok;
}

int sound_out_sdl::restart() {
    if (dev_ == 0) return snd_invalid_handle;
    bool run = false;
    {
        sound_buffers_guard g;
        paused_ = false;
        run = data_ != nullptr;
    }
    if (run) SDL_PauseAudioDevice(dev_, 0);
    return snd_ok;
}

int sound_out_sdl::reset() {
    if (dev_ == 0) return snd_invalid_handle;
    {
        sound_buffers_guard g;
        data_ = nullptr;
        length_ = offset_ = played_ = 0;
        paused_ = false;
    }
    SDL_PauseAudioDevice(dev_, 1);
    return snd_ok;
}

int sound_out_sdl::position(sound_pos& pos) {
    if (dev_ == 0) return snd_invalid_handle;
    sound_buffers_guard g;
    pos.unit = sound_pos::samples;
    pos.value = played_ / block_;
    return snd_ok;
}

int sound_out_sdl::close() {
    if (dev_ == 0) return snd_invalid_handle;
    reset();
    SDL_CloseAudioDevice(dev_);  // waits for the device thread: never under the buffer lock
    dev_ = 0;
    return snd_ok;
}

// Runs on SDL's device thread with SDL's device lock held. Copies the next
// bytes of the queued buffer, marks it done at its end, and fills the rest
// of the block with silence.
void SDLCALL sound_out_sdl::feed(void* self, Uint8* stream, int len) {
    auto* me = static_cast<sound_out_sdl*>(self);
    std::int64_t n = 0;
    {
        sound_buffers_guard g;
        if (!me->paused_ && me->data_ != nullptr) {
            n = std::min<std::int64_t>(len, me->length_ - me->offset_);
            std::memcpy(stream, me->data_ + me->offset_, static_cast<std::size_t>(n));
            me->offset_ += n;
            me->played_ += n;
            if (me->offset_ >= me->length_) {
                me->data_ = nullptr;
                me->length_ = me->offset_ = 0;
            }
        }
    }
    std::memset(stream + n, me->silence_, static_cast<std::size_t>(len - n));
}

}  // namespace

std::unique_ptr<sound_out> make_sdl_sound_out() { return std::make_unique<sound_out_sdl>(); }
