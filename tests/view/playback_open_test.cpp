#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/err_log.h"
#include "tests/support/test_dir.h"
#include "tests/view/playback_fakes.h"
#include "view/playback.h"

namespace {

class playback_open : public in_test_dir {
protected:
    ~playback_open() override { log_on_flg = 0; }
    // A 48000 Hz stereo body with a wrong format tag (3) and extra bytes that must not reach the device.
    std::uint8_t fmt_dt[144] = {3, 0, 2, 0, 0x80, 0xbb, 0, 0, 0x00, 0xee, 2, 0, 4, 0, 16, 0, 0x16, 0};
    fake_log dev;
};

TEST_F(playback_open, TheFormatComesFromTheDocumentAsPcmWithoutExtraBytes) {
    view_playback pb;
    EXPECT_EQ(pb.open_output(std::make_unique<fake_sound_out>(dev), fmt_dt), snd_ok);
    EXPECT_EQ(dev.opens, 1);
    EXPECT_EQ(dev.opened.format_tag, 1);
    EXPECT_EQ(dev.opened.channels, 2);
    EXPECT_EQ(dev.opened.samples_per_sec, 48000u);
    EXPECT_EQ(dev.opened.avg_bytes_per_sec, 192000u);
    EXPECT_EQ(dev.opened.block_align, 4);
    EXPECT_EQ(dev.opened.bits_per_sample, 16);
    EXPECT_EQ(dev.opened.extra_size, 0);
    EXPECT_FALSE(std::filesystem::exists(err_log_file_name));  // tracing is off: nothing logged
}

TEST_F(playback_open, WithTracingOnTheDevicesAndTheOpenAreLoggedLineByLine) {
    log_on_flg = 1;
    sound_dev_caps mic;
    mic.name = "Mic";
    mic.channels = 1;
    sound_dev_caps spk;
    spk.name = "Speakers";
    spk.channels = 2;
    spk.formats = 0xabc;
    spk.support = 0x1f;
    dev.in_devs = {mic};
    dev.out_devs = {spk, spk};
    dev.failing_caps = 1;
    view_playback pb;
    pb.open_output(std::make_unique<fake_sound_out>(dev), fmt_dt);

    const std::string eq(60, '='), dash(60, '-');
    const std::string expected =
        eq + "\r\n"
        "waveInGetNumDevs() =     1\r\n" +
        dash + "\r\n"
        "  0: waveInGetDevCaps() =     0\r\n"
        "wMid           =     0\r\n"
        "wPid           =     0\r\n"
        "vDriverVersion =     0\r\n"
        "szPname        = Mic\r\n"
        "dwFormats      = 00000000h\r\n"
        "wChannels      = 0001\r\n"
        "wReserved1     =     0\r\n" +
        eq + "\r\n"
        "waveOutGetNumDevs() =     2\r\n" +
        dash + "\r\n"
        "  0: waveOutGetDevCaps() =     0\r\n"
        "wMid           =     0\r\n"
        "wPid           =     0\r\n"
        "vDriverVersion =     0\r\n"
        "szPname        = Speakers\r\n"
        "dwFormats      = 00000ABCh\r\n"
        "wChannels      = 0002\r\n"
        "wReserved1     =     0\r\n"
        "dwSupport      = 0000001Fh\r\n"
        "  1: waveOutGetDevCaps() =     2\r\n" +
        dash + "\r\n"
        "waveOutOpen() =     0\r\n"
        "\r\n"
        "WAVEFORMATEX Values:\r\n"
        "\r\n"
        "wFormatTag      = 0001h\r\n"
        "nChannels       =     2  \r\n"
        "nSamplesPerSec  =  48000 \r\n"
        "nAvgBytesPerSec = 192000 \r\n"
        "nBlockAlign     =     4  \r\n"
        "wBitsPerSample  =    16  \r\n"
        "cbSize          = 0000h\r\n";
    EXPECT_EQ(read_file_bytes(err_log_file_name), expected);
}

TEST_F(playback_open, AFailedOpenIsLoggedAndLeavesTheViewSilentButWorking) {
    log_on_flg = 1;
    dev.open_result = snd_bad_format;
    view_playback pb;
    EXPECT_EQ(pb.open_output(std::make_unique<fake_sound_out>(dev), fmt_dt), snd_bad_format);
    const std::string log = read_file_bytes(err_log_file_name);
    EXPECT_NE(log.find("waveOutOpen() =    32\r\n"), std::string::npos);

    // The stand-in takes the failed device's place: playing returns to stopped at the next tick.
    std::vector<std::uint8_t> copy(4000, 1);
    recording_surface surf;
    const play_source src{copy.data(), 1000, 0, 1000};
    const play_geom g{8, 18, 1200, 1064};
    ASSERT_TRUE(pb.btn_click(24, 243, src, g, surf));
    EXPECT_EQ(pb.play_flg(), 1);
    pb.timer_step(src, g, surf);
    EXPECT_EQ(pb.play_flg(), 2);
    EXPECT_TRUE(dev.writes.empty());
}

TEST_F(playback_open, WithoutAFormatBodyNothingIsOpened) {
    view_playback pb;
    EXPECT_EQ(pb.open_output(std::make_unique<fake_sound_out>(dev), nullptr), snd_bad_format);
    EXPECT_EQ(dev.opens, 0);
    EXPECT_EQ(pb.open_output(nullptr, fmt_dt), snd_no_driver);
}

}  // namespace
