#include "platform/sound_out_sdl.h"

#include <gtest/gtest.h>

#include "tests/platform/disk_audio.h"
#include "tests/support/test_dir.h"

namespace {

using namespace std::chrono_literals;

class sdl_sound_out : public in_test_dir {
   protected:
    sdl_sound_out() { use_disk_audio_file(); }
    std::string played() {  // closing completes the driver's file
        dev->close();
        return drop_silence(read_file_bytes(disk_audio_file));
    }
    std::int64_t frames_played() {
        sound_pos p;
        return dev->position(p) == snd_ok && p.unit == sound_pos::samples ? p.value : -1;
    }
    std::unique_ptr<sound_out> dev = make_sdl_sound_out();
};

TEST_F(sdl_sound_out, PauseHoldsThePositionRestartLosesNothingAndPositionsAddUpAcrossBuffers) {
    const std::string data = test_signal(22050);  // 500 ms
    ASSERT_GE(dev->output_dev_count(), 1);
    ASSERT_EQ(dev->open(sound_format{}), snd_ok);
    ASSERT_EQ(dev->write(bytes_of(data), 40000), snd_ok);
    EXPECT_EQ(dev->write(bytes_of(data), 40000), snd_still_playing);
    std::this_thread::sleep_for(80ms);
    dev->pause();
    const std::int64_t at_pause = frames_played();
    EXPECT_GT(at_pause, 0);
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(frames_played(), at_pause);
    EXPECT_FALSE(dev->done());
    dev->restart();
    ASSERT_TRUE(wait_done(*dev));
    // The rest, with a partial last frame that must not be played.
    const std::string rest = data.substr(40000) + "\x11\x22\x33";
    ASSERT_EQ(dev->write(bytes_of(rest), static_cast<std::int64_t>(rest.size())), snd_ok);
    ASSERT_TRUE(wait_done(*dev));
    EXPECT_EQ(frames_played(), 22050);
    EXPECT_EQ(played(), data);
}

TEST_F(sdl_sound_out, ResetReturnsTheBufferClearsAPauseAndStartsThePositionAgain) {
    const std::string data = test_signal(44100);
    ASSERT_EQ(dev->open(sound_format{}), snd_ok);
    dev->write(bytes_of(data), static_cast<std::int64_t>(data.size()));
    std::this_thread::sleep_for(60ms);
    dev->pause();
    dev->reset();
    EXPECT_TRUE(dev->done());
    EXPECT_EQ(frames_played(), 0);
    dev->write(bytes_of(data), 4000);
    ASSERT_TRUE(wait_done(*dev));
    EXPECT_EQ(frames_played(), 1000);
    const std::string out = played();  // a prefix cut by the reset, then the first 1000 frames again
    ASSERT_GT(out.size(), 4000u);
    ASSERT_LT(out.size(), data.size());
    EXPECT_EQ(out, data.substr(0, out.size() - 4000) + data.substr(0, 4000));
}

TEST_F(sdl_sound_out, MemoryRewrittenUnderTheBufferLockWhilePlayingIsHeard) {
    std::string data = test_signal(22050);
    const std::string mix = test_signal(22050, 12345);
    ASSERT_EQ(dev->open(sound_format{}), snd_ok);
    dev->write(bytes_of(data), static_cast<std::int64_t>(data.size()));
    std::this_thread::sleep_for(40ms);
    const std::size_t from = static_cast<std::size_t>(frames_played() + 4410) * 4;  // 100 ms ahead
    ASSERT_LT(from, data.size()) << "the device ran ahead of the test";
    {
        sound_buffers_guard g;
        data.replace(from, std::string::npos, mix, from);
    }
    ASSERT_TRUE(wait_done(*dev));
    EXPECT_EQ(played(), data);
}

TEST_F(sdl_sound_out, UnplayableFormatsAndOperationsOnAClosedOutputAreRefused) {
    EXPECT_EQ(dev->pause(), snd_invalid_handle);
    EXPECT_EQ(dev->write(bytes_of("abcd"), 4), snd_invalid_handle);
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
