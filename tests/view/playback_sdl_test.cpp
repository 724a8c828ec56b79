// Playback driven by ticks through the real SDL output on the disk driver.
#include <gtest/gtest.h>

#include "platform/sound_out_sdl.h"
#include "tests/platform/disk_audio.h"
#include "tests/support/test_dir.h"
#include "view/playback.h"

namespace {

using namespace std::chrono_literals;

struct quiet_surface final : play_surface {
    void draw_play_btn() override {}
    void put_pos_text(int, int, const char*) override {}
    void put_pos_time(int, int, std::int64_t) override {}
};

class playback_on_sdl : public in_test_dir {
   protected:
    playback_on_sdl() { use_disk_audio_file(); }
    void open(std::int64_t piece) {
        pb = std::make_unique<view_playback>(piece);
        const std::uint8_t fmt_dt[16] = {1, 0, 2, 0, 0x44, 0xac, 0, 0, 0x10, 0xb1, 2, 0, 4, 0, 16, 0};
        ASSERT_EQ(pb->open_output(make_sdl_sound_out(), fmt_dt), snd_ok);
    }
    void click(int id) { ASSERT_TRUE(pb->btn_click((2 + 3 * id) * 8 + 8, 243, src, geom, surf)); }
    void play_to_end() {  // ticks every 20 ms; the view's 100 ms only widens the gaps between pieces
        for (int i = 0; i < 500 && pb->play_flg() == 1; ++i) {
            std::this_thread::sleep_for(20ms);
            pb->timer_step(src, geom, surf);
        }
    }
    std::string played() {
        pb->close_output();
        return drop_silence(read_file_bytes(disk_audio_file));
    }

    const play_geom geom{8, 18, 1200, 1064};
    const std::string copy = test_signal(30000);
    play_source src{bytes_of(copy), 30000, 5000, 9000};
    quiet_surface surf;
    std::unique_ptr<view_playback> pb;
};

TEST_F(playback_on_sdl, ARangePlayedToTheEndInPiecesWritesExactlyItsBytes) {
    open(16384);  // 36000 bytes: pieces of 16384, 16384 and 3232
    click(play_btn_play);
    EXPECT_EQ(pb->piece_cnt(), 3);
    play_to_end();
    EXPECT_EQ(pb->piece_wrt_cnt(), 3);
    EXPECT_EQ(played(), copy.substr(5000 * 4, 9000 * 4));
}

TEST_F(playback_on_sdl, PauseThenPlayContinuesWhereItPausedAndFromTopStartsAgain) {
    open(play_piece_size);
    click(play_btn_play);
    std::this_thread::sleep_for(60ms);
    click(play_btn_pause);
    EXPECT_GT(pb->play_pos(), 5000);
    std::this_thread::sleep_for(60ms);
    click(play_btn_play);
    play_to_end();
    click(play_btn_from_top);
    std::this_thread::sleep_for(50ms);
    click(play_btn_pause);
    click(play_btn_from_top);
    play_to_end();
    // The range once (nothing lost or repeated at the pause), a prefix cut by the pause, the range again.
    const std::string once = copy.substr(5000 * 4, 9000 * 4);
    const std::string out = played();
    ASSERT_GT(out.size(), 2 * once.size());
    EXPECT_EQ(out, once + once.substr(0, out.size() - 2 * once.size()) + once);
}

}  // namespace
