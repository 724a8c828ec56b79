#include "view/playback.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/err_log.h"
#include "tests/support/test_dir.h"

namespace {

// A scripted device: it records what is queued as "offset+length" (bytes into `base`)
// and the calls made; the test decides when a buffer is done.
struct fake_state {
    const std::uint8_t* base = nullptr;
    std::string queued, calls;
    int open_result = snd_ok;
    bool done = true;
    sound_pos pos;
    sound_format opened;
};

class fake_out final : public sound_out {
   public:
    explicit fake_out(fake_state& s) : s_(s) {}
    int input_dev_count() override { return 1; }
    int input_dev_caps(int, sound_dev_caps& c) override { return c.name = "Mic", c.channels = 1, snd_ok; }
    int output_dev_count() override { return 2; }
    int output_dev_caps(int i, sound_dev_caps& c) override {
        c.name = "Speakers", c.channels = 2, c.formats = 0xabc, c.support = 0x1f;
        return i == 0 ? snd_ok : snd_bad_device;
    }
    int open(const sound_format& f) override { return s_.opened = f, s_.open_result; }
    int write(const std::uint8_t* d, std::int64_t n) override {
        s_.queued += std::to_string(d - s_.base) + "+" + std::to_string(n) + " ";
        return s_.done = false, snd_ok;
    }
    bool done() override { return s_.done; }
    int pause() override { return s_.calls += "pause ", snd_ok; }
    int restart() override { return s_.calls += "restart ", snd_ok; }
    int reset() override { return s_.calls += "reset ", s_.done = true, s_.pos = {}, snd_ok; }
    int position(sound_pos& p) override { return p = s_.pos, snd_ok; }
    int close() override { return s_.calls += "close ", snd_ok; }

   private:
    fake_state& s_;
};

// Records label texts as "col,row:text"; a time label as "col,row:@frame".
struct surface final : play_surface {
    void draw_play_btn() override { ++draws; }
    void put_pos_text(int c, int r, const char* t) override { texts += cell(c, r) + t + "|"; }
    void put_pos_time(int c, int r, std::int64_t f) override {
        texts += cell(c, r) + "@" + std::to_string(f) + "|";
    }
    static std::string cell(int c, int r) { return std::to_string(c) + "," + std::to_string(r) + ":"; }
    int draws = 0;
    std::string texts;
};

// Cell 8 x 18, W = 1200: the copy is 1064 pixels, more than 100 cells; the label sits at
// column (1200 - 4 - 320 - 4 + 1)/8 = 109, its time at (1200 - 4 - 248 - 4 + 1)/8 = 118, row 1.
constexpr play_geom wide{8, 18, 1200, 1064};
constexpr play_geom narrow{8, 18, 900, 800};

class playback : public in_test_dir {
   protected:
    ~playback() override { log_on_flg = 0; }
    void make(std::int64_t piece, std::int64_t frames, std::int64_t stt, std::int64_t len) {
        copy.assign(static_cast<std::size_t>(frames * 4), 0x5a);
        pb = std::make_unique<view_playback>(piece);
        dev.queued = dev.calls = "";
        dev.base = copy.data();
        open_result = pb->open_output(std::make_unique<fake_out>(dev), fmt_dt);
        src = play_source{copy.data(), frames, stt, len};
    }
    // Button centres: buttons start at cells 2, 5, 8, 11 and are two cells wide.
    bool click(int id, const play_geom& g = wide) {
        return pb->btn_click((2 + 3 * id) * 8 + 8, 243, src, g, surf);
    }
    void tick(const play_geom& g = wide) { pb->timer_step(src, g, surf); }
    void finish_piece() { dev.done = true, tick(); }
    bool pressed(int id) const { return pb->btn_looks(8, 18)[static_cast<std::size_t>(id)].pressed; }

    // 48000 Hz stereo with format tag 3 and two extra bytes: the device gets PCM without them.
    std::uint8_t fmt_dt[144] = {3, 0, 2, 0, 0x80, 0xbb, 0, 0, 0x00, 0xee, 2, 0, 4, 0, 16, 0, 0x16, 0};
    fake_state dev;
    surface surf;
    std::vector<std::uint8_t> copy;
    std::unique_ptr<view_playback> pb;
    play_source src;
    int open_result = -1;
};

TEST_F(playback, ARangeOfOnePieceIsQueuedWholeAndOneFrameMoreAddsAFourBytePiece) {
    EXPECT_EQ(play_piece_length(62000004, play_piece_size, 1), 4);
    EXPECT_EQ(play_piece_count(std::int64_t{1} << 33, play_piece_size), 139);  // no 32-bit overflow
    EXPECT_EQ(view_playback(401).piece_size(), 400);                           // whole frames

    make(400, 300, 20, 100);
    click(play_btn_play);
    finish_piece();
    EXPECT_EQ(pb->play_flg(), 2);
    src.rng_len = 101;
    click(play_btn_from_top);
    finish_piece();
    EXPECT_EQ(pb->play_flg(), 1);
    finish_piece();
    EXPECT_EQ(pb->play_flg(), 2);
    EXPECT_EQ(dev.queued, "80+400 80+400 480+4 ");
    EXPECT_EQ(dev.calls, "reset reset ");  // the position keeps counting between pieces
}

TEST_F(playback, TheRangeIsClampedToTheCopyAndLaterPiecesKeepTheRangeOfTheStart) {
    make(400, 100, 90, 50);  // a mark past the last frame
    click(play_btn_play);
    EXPECT_EQ(dev.queued, "360+40 ");

    make(400, 1000, 10, 150);  // 600 bytes: 400 + 200
    click(play_btn_play);
    src.rng_stt = 995;  // marks moved while playing
    dev.pos = {sound_pos::samples, 100};
    finish_piece();
    EXPECT_EQ(dev.queued, "40+400 440+200 ");
    EXPECT_EQ(pb->play_pos(), 110);

    make(400, 1000, 0, 1000);
    click(play_btn_play);
    src.data_cnt = 150;  // the copy shrank while playing: no piece reaches past it
    finish_piece();
    finish_piece();
    EXPECT_EQ(dev.queued, "0+400 400+200 ");
    EXPECT_EQ(pb->play_flg(), 2);

    src = play_source{nullptr, 100, 0, 100};
    click(play_btn_play);
    EXPECT_EQ(pb->play_flg(), 2);  // nothing to play: stays stopped
}

TEST_F(playback, PauseThenPlayContinuesFromTopRestartsAndPlayButtonsAreIgnoredWhilePlaying) {
    make(400, 1000, 10, 500);
    click(play_btn_play);
    click(play_btn_from_top);
    click(play_btn_play);
    EXPECT_EQ(pb->play_mode(), 1);
    dev.pos = {sound_pos::samples, 60};
    click(play_btn_pause);
    EXPECT_EQ(pb->play_pos(), 70);
    EXPECT_TRUE(pressed(play_btn_pause));
    tick();
    const int draws = surf.draws;
    click(play_btn_play);
    EXPECT_EQ(pb->play_flg(), 1);
    EXPECT_EQ(surf.draws, draws);  // "→" from a pause repaints at the next tick
    tick();
    EXPECT_EQ(surf.draws, draws + 1);
    click(play_btn_pause);
    click(play_btn_from_top);
    EXPECT_EQ(dev.queued, "40+400 40+400 ");
    EXPECT_EQ(dev.calls, "pause restart pause reset ");
    EXPECT_TRUE(pressed(play_btn_from_top));
}

TEST_F(playback, StopShowsItsButtonPressedUntilTheNextTickAndClearsTheLabel) {
    make(400, 1000, 0, 1000);
    EXPECT_TRUE(click(play_btn_stop));
    EXPECT_EQ(surf.texts, "109,1:                 |");
    const play_btn_look stop = pb->btn_looks(8, 18)[play_btn_stop];
    const play_btn_look play = pb->btn_looks(8, 18)[play_btn_play];
    EXPECT_TRUE(stop.pressed);
    EXPECT_EQ(stop.fill.g + stop.light.r + stop.dark.r, 255 + 111 + 255);  // green, edges swapped
    EXPECT_EQ(play.fill.r + play.light.r + play.dark.r, 191 + 255 + 111);
    EXPECT_EQ(stop.col, (8 * 8 - 3 + 4) / 8);
    tick();
    EXPECT_FALSE(pressed(play_btn_stop));
    click(play_btn_play);
    click(play_btn_stop);
    EXPECT_EQ(dev.calls, "reset ");  // only a playing or paused device is reset
    const play_rect r = play_btn_rect(play_btn_stop, 8, 18);
    EXPECT_TRUE(
        pb->btn_click(r.left, r.top, src, wide, surf));  // the left and top edges belong to the button
    EXPECT_TRUE(pb->btn_click(r.right - 1, r.bottom - 1, src, wide, surf));
    EXPECT_FALSE(pb->btn_click(r.right, 243, src, wide, surf));  // the right and bottom ones do not
    EXPECT_FALSE(pb->btn_click(r.left + 4, r.bottom, src, wide, surf));
}

TEST_F(playback, ThePositionLabelShowsRangeStartPlusDevicePositionOnlyWhenTheCopyIsWide) {
    make(62000000, 100000, 1000, 5000);
    click(play_btn_play);
    dev.pos = {sound_pos::samples, 441};
    tick();
    dev.pos = {sound_pos::bytes, 4000};
    tick();
    dev.pos = {sound_pos::millis, 1000};
    tick();
    EXPECT_EQ(surf.texts,
              "109,1:演奏位置=|118,1:@1441|109,1:演奏位置=|118,1:@2000|109,1:演奏位置=|118,1:@45100|");
    surf.texts = "";
    tick(narrow);
    click(play_btn_stop, narrow);
    EXPECT_EQ(surf.texts, "");
}

TEST_F(playback, OpeningLogsTheDevicesAndTheFormatAndAFailedOpenLeavesTheViewSilent) {
    log_on_flg = 1;
    make(400, 1000, 0, 1000);
    EXPECT_EQ(dev.opened.format_tag + dev.opened.extra_size, 1);
    const std::string eq(60, '='), dash(60, '-');
    const std::string ids = "wMid           =     0\r\nwPid           =     0\r\nvDriverVersion =     0\r\n";
    EXPECT_EQ(
        read_file_bytes(err_log_file_name),
        eq + "\r\nwaveInGetNumDevs() =     1\r\n" + dash + "\r\n  0: waveInGetDevCaps() =     0\r\n" + ids +
            "szPname        = Mic\r\ndwFormats      = 00000000h\r\nwChannels      = 0001\r\n" +
            "wReserved1     =     0\r\n" + eq + "\r\nwaveOutGetNumDevs() =     2\r\n" + dash +
            "\r\n  0: waveOutGetDevCaps() =     0\r\n" + ids +
            "szPname        = Speakers\r\ndwFormats      = 00000ABCh\r\nwChannels      = 0002\r\n" +
            "wReserved1     =     0\r\ndwSupport      = 0000001Fh\r\n  1: waveOutGetDevCaps() =     2\r\n" +
            dash + "\r\nwaveOutOpen() =     0\r\n\r\nWAVEFORMATEX Values:\r\n\r\n" +
            "wFormatTag      = 0001h\r\nnChannels       =     2  \r\nnSamplesPerSec  =  48000 \r\n" +
            "nAvgBytesPerSec = 192000 \r\nnBlockAlign     =     4  \r\nwBitsPerSample  =    16  \r\n" +
            "cbSize          = 0000h\r\n");

    dev.open_result = snd_bad_format;
    make(play_piece_size, 1000, 0, 1000);
    EXPECT_EQ(open_result, snd_bad_format);
    EXPECT_NE(read_file_bytes(err_log_file_name).find("waveOutOpen() =    32\r\n"), std::string::npos);
    click(play_btn_play);  // the silent stand-in finishes at once: stopped at the next tick
    tick();
    EXPECT_EQ(pb->play_flg(), 2);
    pb.reset();
    EXPECT_EQ(dev.queued + dev.calls, "");  // the failed device was dropped, never used
}

}  // namespace
