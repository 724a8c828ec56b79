#include "platform/sound_out_sdl.h"

#include <gtest/gtest.h>

#include "tests/platform/disk_audio.h"
#include "tests/support/test_dir.h"

namespace {

using namespace std::chrono_literals;

class sdl_sound_out : public in_test_dir {
protected:
    sdl_sound_out() { use_disk_audio_file(); }
    // Closes the device so the driver's file is complete, then reads it.
    std::string played() {
        dev->close();
        return read_file_bytes(disk_audio_file);
    }
    std::int64_t frames_played() {
        sound_pos p;
        EXPECT_EQ(dev->position(p), snd_ok);
        EXPECT_EQ(p.unit, sound_pos::samples);
        return p.value;
    }
    std::unique_ptr<sound_out> dev = make_sdl_sound_out();
};

TEST_F(sdl_sound_out, TheDefaultOutputIsListedWithItsNameAndAnUnknownIndexIsRefused) {
    ASSERT_GE(dev->output_dev_count(), 1);
    sound_dev_caps c;
    c.mid = 99;
    EXPECT_EQ(dev->output_dev_caps(0, c), snd_ok);
    EXPECT_FALSE(c.name.empty());
    EXPECT_EQ(c.mid, 0);  // SDL has no manufacturer id: left 0
    EXPECT_EQ(c.support, 0u);
    sound_dev_caps untouched;
    untouched.name = "kept";
    EXPECT_EQ(dev->output_dev_caps(dev->output_dev_count() + 5, untouched), snd_bad_device);
    EXPECT_EQ(untouched.name, "kept");
}

TEST_F(sdl_sound_out, AQueuedBufferIsPlayedExactlyOnceBetweenSilence) {
    const auto data = test_signal(6000);  // 136 ms
    ASSERT_EQ(dev->open(sound_format{}), snd_ok);
    EXPECT_TRUE(dev->done());
    ASSERT_EQ(dev->write(data.data(), static_cast<std::int64_t>(data.size())), snd_ok);
    EXPECT_FALSE(dev->done());
    ASSERT_TRUE(wait_done(*dev));
    EXPECT_EQ(frames_played(), 6000);
    EXPECT_EQ(trim_silence(played()), as_string(data.data(), data.size()));
}

TEST_F(sdl_sound_out, ASecondBufferIsRefusedWhileTheFirstPlaysAndPositionsAddUpAcrossBuffers) {
    const auto data = test_signal(4000);
    ASSERT_EQ(dev->open(sound_format{}), snd_ok);
    ASSERT_EQ(dev->write(data.data(), 8000), snd_ok);
    EXPECT_EQ(dev->write(data.data() + 8000, 8000), snd_still_playing);
    ASSERT_TRUE(wait_done(*dev));
    ASSERT_EQ(dev->write(data.data() + 8000, 8002), snd_ok);  // a partial last frame is not played
    ASSERT_TRUE(wait_done(*dev));
    EXPECT_EQ(frames_played(), 4000);
    EXPECT_EQ(drop_silence(played()), as_string(data.data(), data.size()));
}

TEST_F(sdl_sound_out, PauseHoldsThePositionAndRestartContinuesWithNothingLostOrRepeated) {
    const auto data = test_signal(22050);  // 500 ms
    ASSERT_EQ(dev->open(sound_format{}), snd_ok);
    dev->write(data.data(), static_cast<std::int64_t>(data.size()));
    std::this_thread::sleep_for(80ms);
    ASSERT_EQ(dev->pause(), snd_ok);
    const std::int64_t at_pause = frames_played();
    EXPECT_GT(at_pause, 0);
    EXPECT_LT(at_pause, 22050);
    std::this_thread::sleep_for(120ms);
    EXPECT_EQ(frames_played(), at_pause);
    EXPECT_FALSE(dev->done());
    ASSERT_EQ(dev->restart(), snd_ok);
    ASSERT_TRUE(wait_done(*dev));
    EXPECT_EQ(frames_played(), 22050);
    EXPECT_EQ(drop_silence(played()), as_string(data.data(), data.size()));
}

TEST_F(sdl_sound_out, ResetReturnsTheBufferAtOnceAndStartsThePositionAgain) {
    const auto data = test_signal(44100);
    ASSERT_EQ(dev->open(sound_format{}), snd_ok);
    dev->write(data.data(), static_cast<std::int64_t>(data.size()));
    std::this_thread::sleep_for(60ms);
    dev->pause();
    ASSERT_EQ(dev->reset(), snd_ok);
    EXPECT_TRUE(dev->done());
    EXPECT_EQ(frames_played(), 0);
    // After a reset the device is no longer paused: a new buffer plays.
    ASSERT_EQ(dev->write(data.data(), 4000), snd_ok);
    ASSERT_TRUE(wait_done(*dev));
    EXPECT_EQ(frames_played(), 1000);
    const std::string out = drop_silence(played());
    const std::string all = as_string(data.data(), data.size());
    ASSERT_GT(out.size(), 4000u);
    ASSERT_LT(out.size(), all.size());
    const std::size_t cut = out.size() - 4000;  // what played before the reset: a prefix
    EXPECT_EQ(out.substr(0, cut), all.substr(0, cut));
    EXPECT_EQ(out.substr(cut), all.substr(0, 4000));
}

TEST_F(sdl_sound_out, MemoryRewrittenUnderTheBufferLockWhilePlayingIsHeard) {
    const std::int64_t frames = 22050;  // 500 ms
    auto data = test_signal(frames);
    const auto mix = test_signal(frames, 12345);
    ASSERT_EQ(dev->open(sound_format{}), snd_ok);
    dev->write(data.data(), frames * 4);
    std::this_thread::sleep_for(40ms);
    // Rewrite from 100 ms ahead of the device to the end, as a mix rebuilt while playing.
    const std::int64_t from = frames_played() + 4410;
    ASSERT_LT(from, frames) << "the device ran ahead of the test";
    {
        sound_buffers_guard g;
        std::copy(mix.begin() + from * 4, mix.end(), data.begin() + from * 4);
    }
    ASSERT_TRUE(wait_done(*dev));
    EXPECT_EQ(trim_silence(played()), as_string(data.data(), data.size()));
    EXPECT_EQ(data[static_cast<std::size_t>(from * 4)], mix[static_cast<std::size_t>(from * 4)]);
}

TEST_F(sdl_sound_out, FormatsTheDeviceCannotTakeAreRefused) {
    sound_format f;
    f.bits_per_sample = 24;
    f.block_align = 6;
    EXPECT_EQ(dev->open(f), snd_bad_format);
    f = sound_format{};
    f.block_align = 3;
    EXPECT_EQ(dev->open(f), snd_bad_format);
    f = sound_format{};
    f.channels = 0;
    EXPECT_EQ(dev->open(f), snd_bad_format);
    f = sound_format{};
    f.format_tag = 3;
    EXPECT_EQ(dev->open(f), snd_bad_format);
    f = sound_format{};
    f.samples_per_sec = 0;
    EXPECT_EQ(dev->open(f), snd_bad_format);
    // 8-bit mono at another rate is fine; a second open of the same output is not.
    f = sound_format{1, 1, 22050, 22050, 1, 8, 0};
    EXPECT_EQ(dev->open(f), snd_ok);
    EXPECT_EQ(dev->open(f), snd_error);
}

TEST_F(sdl_sound_out, EveryOperationOfAClosedOutputFailsHarmlessly) {
    const auto data = test_signal(10);
    sound_pos p;
    EXPECT_EQ(dev->write(data.data(), 40), snd_invalid_handle);
    EXPECT_EQ(dev->pause(), snd_invalid_handle);
    EXPECT_EQ(dev->restart(), snd_invalid_handle);
    EXPECT_EQ(dev->reset(), snd_invalid_handle);
    EXPECT_EQ(dev->position(p), snd_invalid_handle);
    EXPECT_EQ(dev->close(), snd_invalid_handle);
    EXPECT_TRUE(dev->done());
    ASSERT_EQ(dev->open(sound_format{}), snd_ok);
    EXPECT_EQ(dev->write(nullptr, 40), snd_error);
    EXPECT_EQ(dev->write(data.data(), -4), snd_error);
    EXPECT_EQ(dev->write(data.data(), 0), snd_ok);
    EXPECT_TRUE(dev->done());
    EXPECT_EQ(dev->close(), snd_ok);
    EXPECT_EQ(dev->close(), snd_invalid_handle);
}

TEST(null_sound_out, FinishesEveryBufferAtOnceAndNeverMoves) {
    auto dev = make_null_sound_out();
    const std::uint8_t bytes[8] = {};
    EXPECT_EQ(dev->open(sound_format{}), snd_ok);
    EXPECT_EQ(dev->output_dev_count(), 0);
    EXPECT_EQ(dev->write(bytes, 8), snd_ok);
    EXPECT_TRUE(dev->done());
    sound_pos p{sound_pos::bytes, 77};
    EXPECT_EQ(dev->position(p), snd_ok);
    EXPECT_EQ(p.unit, sound_pos::samples);
    EXPECT_EQ(p.value, 0);
}

}  // namespace
