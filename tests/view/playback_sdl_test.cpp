// The SDL2 output on SDL's disk driver (SDL_AUDIODRIVER=disk is set for every test), alone and
// driven by playback ticks. The driver writes what the device plays to SDL_DISKAUDIOFILE at about
// real-time pace, with silence while the device idles.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/sound_out_sdl.h"
#include "tests/support/test_dir.h"
#include "view/playback.h"

namespace {

using namespace std::chrono_literals;

// 16-bit stereo frames of which none is silent, so the device's silence can be told from data.
std::string test_signal(std::int64_t frames, int seed = 0) {
    std::string out;
    for (std::int64_t i = 0; i < frames; ++i) {
        const int l = 1 + static_cast<int>((i * 7 + seed) % 30000),
                  r = -1 - static_cast<int>((i * 13) % 20000);
        const char f[4] = {char(l & 0xff), char(l >> 8), char(r & 0xff), char((r >> 8) & 0xff)};
        out.append(f, 4);
    }
    return out;
}

const std::uint8_t* bytes_of(const std::string& s) { return reinterpret_cast<const std::uint8_t*>(s.data()); }

struct quiet_surface final : play_surface {
    void draw_play_btn() override {}
    void put_pos_text(int, int, const char*) override {}
    void put_pos_time(int, int, std::int64_t) override {}
};

class disk_audio : public in_test_dir {
   protected:
    disk_audio() { setenv("SDL_DISKAUDIOFILE", "played.raw", 1); }  // in this test's own directory
    // Closes the output so the driver's file is complete; returns its frames that are not silence.
    std::string played() {
        dev->close();
        pb.close_output();
        const std::string all = read_file_bytes("played.raw");
        std::string out;
        for (std::size_t at = 0; at + 4 <= all.size(); at += 4) {
            if (all.compare(at, 4, std::string(4, '\0')) != 0) out.append(all, at, 4);
        }
        return out;
    }
    std::int64_t frames_played() {
        sound_pos p;
        return dev->position(p) == snd_ok && p.unit == sound_pos::samples ? p.value : -1;
    }
    bool wait_done() {
        for (int i = 0; i < 1000 && !dev->done(); ++i) std::this_thread::sleep_for(5ms);
        return dev->done();
    }
    void click(int id) {
        ASSERT_TRUE(pb.btn_click((2 + 3 * id) * 8 + 8, 243, src, {8, 18, 1200, 1064}, surf));
    }
    void play_to_end() {  // ticks every 20 ms; the view's 100 ms only widens the gaps between pieces
        for (int i = 0; i < 500 && pb.play_flg() == 1; ++i) {
            std::this_thread::sleep_for(20ms);
            pb.timer_step(src, {8, 18, 1200, 1064}, surf);
        }
    }
    void open_playback() {
        const std::uint8_t fmt_dt[16] = {1, 0, 2, 0, 0x44, 0xac, 0, 0, 0x10, 0xb1, 2, 0, 4, 0, 16, 0};
        ASSERT_EQ(pb.open_output(make_sdl_sound_out(), fmt_dt), snd_ok);
    }

    std::unique_ptr<sound_out> dev = make_sdl_sound_out();
    view_playback pb{16384};  // pieces of 4096 frames
    const std::string copy = test_signal(30000);
    const std::string range = copy.substr(5000 * 4, 9000 * 4);  // 36000 bytes: 16384 + 16384 + 3232
    play_source src{bytes_of(copy), 30000, 5000, 9000};
    quiet_surface surf;
};

TEST_F(disk_audio, ARangePlayedToTheEndInPiecesWritesExactlyItsBytes) {
    open_playback();
    click(play_btn_play);
    EXPECT_EQ(pb.piece_cnt(), 3);
    play_to_end();
    EXPECT_EQ(pb.piece_wrt_cnt(), 3);
    EXPECT_EQ(played(), range);
}

TEST_F(disk_audio, PauseThenPlayContinuesWhereItPausedAndFromTopStartsAgain) {
    open_playback();
    click(play_btn_play);
    std::this_thread::sleep_for(60ms);
    click(play_btn_pause);
    std::this_thread::sleep_for(60ms);
    click(play_btn_play);
    play_to_end();
    click(play_btn_from_top);
    std::this_thread::sleep_for(50ms);
    click(play_btn_pause);
    click(play_btn_from_top);
    play_to_end();
    // The range once (nothing lost or repeated at the pause), a prefix cut by the pause, the range again.
    const std::string out = played();
    ASSERT_GT(out.size(), 2 * range.size());
    EXPECT_EQ(out, range + range.substr(0, out.size() - 2 * range.size()) + range);
}

TEST_F(disk_audio, PauseHoldsThePositionResetZeroesItAndAPartialLastFrameIsNotPlayed) {
    ASSERT_GE(dev->output_dev_count(), 1);
    ASSERT_EQ(dev->open(sound_format{}), snd_ok);
    ASSERT_EQ(dev->write(bytes_of(copy), 40000), snd_ok);
    EXPECT_EQ(dev->write(bytes_of(copy), 40000), snd_still_playing);
    std::this_thread::sleep_for(60ms);
    dev->pause();
    const std::int64_t at_pause = frames_played();
    std::this_thread::sleep_for(60ms);
    EXPECT_EQ(frames_played(), at_pause);
    EXPECT_GT(at_pause, 0);
    dev->reset();  // also ends the pause
    EXPECT_TRUE(dev->done());
    EXPECT_EQ(frames_played(), 0);
    const std::string odd = range + "\x11\x22\x33";
    ASSERT_EQ(dev->write(bytes_of(odd), static_cast<std::int64_t>(odd.size())), snd_ok);
    ASSERT_TRUE(wait_done());
    EXPECT_EQ(frames_played(), 9000);
    const std::string out = played();  // a prefix cut by the reset, then the range
    ASSERT_GT(out.size(), range.size());
    EXPECT_EQ(out, copy.substr(0, out.size() - range.size()) + range);
}

TEST_F(disk_audio, MemoryRewrittenUnderTheBufferLockWhilePlayingIsHeard) {
    std::string data = test_signal(22050);
    ASSERT_EQ(dev->open(sound_format{}), snd_ok);
    dev->write(bytes_of(data), static_cast<std::int64_t>(data.size()));
    std::this_thread::sleep_for(40ms);
    const std::size_t from = static_cast<std::size_t>(frames_played() + 4410) * 4;  // 100 ms ahead
    ASSERT_LT(from, data.size()) << "the device ran ahead of the test";
    {
        sound_buffers_guard g;
        data.replace(from, std::string::npos, test_signal(22050, 12345), from);
    }
    ASSERT_TRUE(wait_done());
    EXPECT_EQ(played(), data);
}

TEST_F(disk_audio, UnplayableFormatsAndOperationsOnAClosedOutputAreRefused) {
    EXPECT_EQ(dev->pause(), snd_invalid_handle);
    EXPECT_EQ(dev->write(bytes_of(copy), 4), snd_invalid_handle);
    const sound_format bad[] = {{1, 2, 44100, 0, 6, 24, 0},
                                {1, 2, 44100, 0, 3, 16, 0},
                                {1, 0, 44100, 0, 0, 16, 0},
                                {3, 2, 44100, 0, 4, 16, 0},
                                {1, 2, 0, 0, 4, 16, 0}};
    for (const sound_format& f : bad) EXPECT_EQ(dev->open(f), snd_bad_format);
    EXPECT_EQ(dev->open({1, 1, 22050, 22050, 1, 8, 0}), snd_ok);
    EXPECT_EQ(dev->open(sound_format{}), snd_error);
    EXPECT_EQ(dev->close(), snd_ok);
    EXPECT_EQ(dev->close(), snd_invalid_handle);
}

}  // namespace

namespace {

// Starting the sound output must leave the process's signal handling alone:
// a desktop program has to end on SIGTERM (kill, logout).
TEST(sdl_output, leaves_sigterm_ending_the_program) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        auto dev = make_sdl_sound_out();
        raise(SIGTERM);
        _exit(0);  // reached only when something swallowed the signal
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the program ignored SIGTERM";
    EXPECT_EQ(WTERMSIG(status), SIGTERM);
}

}  // namespace
