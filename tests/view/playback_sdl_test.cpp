// Playback driven by ticks through the real SDL output on the disk driver.
#include <gtest/gtest.h>

#include "platform/sound_out_sdl.h"
#include "tests/platform/disk_audio.h"
#include "tests/support/test_dir.h"
#include "tests/view/playback_fakes.h"
#include "view/playback.h"

namespace {

using namespace std::chrono_literals;

constexpr play_geom geom{8, 18, 1200, 1064};
constexpr int btn_y = 9 * 2 + 12 * 18 + 9;
constexpr int btn_x(int id) { return (2 + 3 * id) * 8 + 8; }

class playback_on_sdl : public in_test_dir {
protected:
    playback_on_sdl() { use_disk_audio_file(); }
    void open(std::int64_t piece) {
        pb = std::make_unique<view_playback>(piece);
        ASSERT_EQ(pb->open_output(make_sdl_sound_out(), fmt_dt), snd_ok);
    }
    void click(int id) { ASSERT_TRUE(pb->btn_click(btn_x(id), btn_y, src, geom, surf)); }
    // Ticks every 20 ms (the view's is 100 ms; only the gaps between pieces differ) until stopped.
    int tick_until_stopped() {
        int ticks = 0;
        while (pb->play_flg() == 1 && ticks < 500) {
            std::this_thread::sleep_for(20ms);
            pb->timer_step(src, geom, surf);
            ++ticks;
        }
        return ticks;
    }
    std::string played() {
        pb->close_output();
        return read_file_bytes(disk_audio_file);
    }

    std::uint8_t fmt_dt[16] = {1, 0, 2, 0, 0x44, 0xac, 0, 0, 0x10, 0xb1, 2, 0, 4, 0, 16, 0};
    std::vector<std::uint8_t> copy = test_signal(30000);
    play_source src{copy.data(), 30000, 0, 30000};
    recording_surface surf;
    std::unique_ptr<view_playback> pb;
};

TEST_F(playback_on_sdl, ARangePlayedToTheEndInPiecesWritesExactlyItsBytes) {
    open(16384);  // 4096 frames a piece
    src.rng_stt = 5000;
    src.rng_len = 9000;  // 36000 bytes: pieces of 16384, 16384 and 3232
    click(play_btn_play);
    EXPECT_EQ(pb->piece_cnt(), 3);
    tick_until_stopped();
    EXPECT_EQ(pb->play_flg(), 2);
    EXPECT_EQ(pb->piece_wrt_cnt(), 3);
    EXPECT_EQ(drop_silence(played()), as_string(copy.data() + 5000 * 4, 9000 * 4));
    EXPECT_EQ(surf.texts.back().text, play_pos_blank);
}

TEST_F(playback_on_sdl, PauseThenPlayContinuesAndFromTopStartsAgain) {
    open(play_piece_size);
    src.rng_stt = 1000;
    src.rng_len = 11025;  // 250 ms
    click(play_btn_play);
    std::this_thread::sleep_for(60ms);
    click(play_btn_pause);
    const std::int64_t paused_at = pb->play_pos();
    EXPECT_GT(paused_at, 1000);
    std::this_thread::sleep_for(60ms);
    pb->timer_step(src, geom, surf);
    surf.clear();
    click(play_btn_play);
    tick_until_stopped();
    // The position label went on from the pause and never passed the range end.
    std::int64_t last_shown = 0;
    for (const text_call& t : surf.texts) {
        if (t.text[0] == '@') last_shown = std::stoll(t.text.substr(1));
    }
    EXPECT_GE(last_shown, paused_at);
    EXPECT_LE(last_shown, 1000 + 11025);
    const std::string once = as_string(copy.data() + 1000 * 4, 11025 * 4);

    click(play_btn_from_top);
    std::this_thread::sleep_for(50ms);
    click(play_btn_pause);
    click(play_btn_from_top);  // from a pause: back to the range start
    tick_until_stopped();
    const std::string out = drop_silence(played());
    // Whole range once, then a prefix of it cut by the pause, then the whole range again.
    ASSERT_GT(out.size(), 2 * once.size());
    EXPECT_EQ(out.substr(0, once.size()), once);
    const std::size_t cut = out.size() - 2 * once.size();
    EXPECT_EQ(out.substr(once.size(), cut), once.substr(0, cut));
    EXPECT_EQ(out.substr(once.size() + cut), once);
}

}  // namespace
