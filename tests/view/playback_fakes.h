// A scripted sound output and a recording surface for the playback tests.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/sound_out.h"
#include "view/playback.h"

struct fake_log {
    struct write_call {
        const std::uint8_t* data;
        std::int64_t length;
    };
    std::vector<write_call> writes;
    int pauses = 0, restarts = 0, resets = 0, closes = 0, opens = 0;
    sound_format opened;
    bool done = true;        // what done() answers; a write clears it
    sound_pos pos;           // what position() answers
    int open_result = snd_ok;
    std::vector<sound_dev_caps> in_devs, out_devs;
    int failing_caps = -1;  // this output index answers snd_bad_device
};

// The log outlives the device so tests can look after the view dropped it.
class fake_sound_out final : public sound_out {
public:
    explicit fake_sound_out(fake_log& log) : log_(log) {}
    int input_dev_count() override { return static_cast<int>(log_.in_devs.size()); }
    int input_dev_caps(int i, sound_dev_caps& c) override {
        c = log_.in_devs.at(static_cast<std::size_t>(i));
        return snd_ok;
    }
    int output_dev_count() override { return static_cast<int>(log_.out_devs.size()); }
    int output_dev_caps(int i, sound_dev_caps& c) override {
        if (i == log_.failing_caps) return snd_bad_device;
        c = log_.out_devs.at(static_cast<std::size_t>(i));
        return snd_ok;
    }
    int open(const sound_format& f) override {
        ++log_.opens;
        log_.opened = f;
        return log_.open_result;
    }
    int write(const std::uint8_t* data, std::int64_t length) override {
        log_.writes.push_back({data, length});
        log_.done = false;
        return snd_ok;
    }
    bool done() override { return log_.done; }
    int pause() override { return ++log_.pauses, snd_ok; }
    int restart() override { return ++log_.restarts, snd_ok; }
    int reset() override {
        ++log_.resets;
        log_.done = true;
        log_.pos = sound_pos{};
        return snd_ok;
    }
    int position(sound_pos& p) override {
        p = log_.pos;
        return snd_ok;
    }
    int close() override { return ++log_.closes, snd_ok; }

private:
    fake_log& log_;
};

struct text_call {
    int col, row;
    std::string text;
};

class recording_surface final : public play_surface {
public:
    void draw_play_btn() override { ++btn_draws; }
    void put_pos_text(int col, int row, const char* text) override { texts.push_back({col, row, text}); }
    void put_pos_time(int col, int row, std::int64_t frame) override {
        texts.push_back({col, row, "@" + std::to_string(frame)});
    }
    void clear() {
        btn_draws = 0;
        texts.clear();
    }
    int btn_draws = 0;
    std::vector<text_call> texts;  // times are recorded as "@<frame>"
};
