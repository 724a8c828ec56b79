// Recordings other than 16-bit WAVE: which reader `extract` and `convert`
// use, how decoded samples become 16-bit ones, what is refused, and what
// `info` adds for them. Run inside the test process on WAVE files built
// byte by byte, so every sample value is known.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <filesystem>
#include <limits>

#include "tests/cli/cli_in_process.h"
#include "tests/extract/extract_files.h"

namespace {

namespace fs = std::filesystem;

std::string float_samples(std::initializer_list<float> v) {
    std::string s;
    for (const float x : v) put_le(s, std::bit_cast<std::uint32_t>(x), 4);
    return s;
}

std::string int_samples(std::initializer_list<std::int64_t> v, int bytes) {
    std::string s;
    for (const std::int64_t x : v) put_le(s, static_cast<std::uint64_t>(x), bytes);
    return s;
}

// A WAVE file of the given sample width; format tag 3 (IEEE float) when asked.
std::string wave_of(int channels, int bits, const std::string& data, bool is_float = false) {
    wave_spec w;
    w.channels = static_cast<std::int16_t>(channels);
    w.bits = static_cast<std::int16_t>(bits);
    w.data = data;
    std::string b = make_wave_bytes(w);
    if (is_float) b[20] = 3;
    return b;
}

std::vector<std::int16_t> converted(const std::string& in) {
    write_file_bytes("in.wav", in);
    const cli_run r = run_in_process({"convert", "in.wav", "out.wav"});
    EXPECT_EQ(r.status, 0) << r.err;
    return samples_of(wave_data("out.wav"));
}

using convert_cmd = in_test_dir;

TEST_F(convert_cmd, SamplesAreScaledRoundedHalvesAwayFromZeroAndHeld) {
    // Floats: full scale 1.0 is 32768, so -1.0 fits and +1.0 is held.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    write_file_bytes("f.wav", wave_of(2, 32, float_samples({1.0f, -1.0f, 0.5f / 32768, -0.5f / 32768, 1.49f / 32768,
                                                            nan, 2.0f, -3.0f, 1000.25f / 32768, -0.25f}),
                                      true));
    cli_run r = run_in_process({"convert", "f.wav", "f16.wav"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(samples_of(wave_data("f16.wav")),
              (std::vector<std::int16_t>{32767, -32768, 1, -1, 1, 0, 32767, -32768, 1000, -8192}));
    EXPECT_EQ(r.out, "held samples: 4 (at -32768 or 32767)\n");  // +1.0, NaN, 2.0, -3.0

    // 24-bit: v * 256 is v exactly; a half rounds away from zero. Mono is
    // copied to both channels.
    const auto s24 = converted(wave_of(
        1, 24, int_samples({256 * 1234, 256 * 1234 + 128, 256 * 1234 + 127, -256 * 1234 - 128, -256 * 1234 - 129,
                            8388607, -8388608},
                           3)));
    EXPECT_EQ(s24, (std::vector<std::int16_t>{1234, 1234, 1235, 1235, 1234, 1234, -1235, -1235, -1235, -1235,
                                              32767, 32767, -32768, -32768}));
    // 32-bit: v * 65536 is v exactly.
    EXPECT_EQ(converted(wave_of(2, 32, int_samples({65536 * -77, 65536 * 77 + 32768, 2147483647, -2147483648LL}, 4))),
              (std::vector<std::int16_t>{-77, 78, 32767, -32768}));
    // 8-bit unsigned: (b - 128) * 256.
    EXPECT_EQ(converted(wave_of(1, 8, std::string("\x00\x80\xFF", 3))),
              (std::vector<std::int16_t>{-32768, -32768, 0, 0, 32512, 32512}));
}

TEST_F(convert_cmd, TheConvertedFileIsTheCanonicalSixteenBitStereoWaveAtTheSourceRate) {
    wave_spec w;
    w.channels = 1;
    w.bits = 24;
    w.rate = 48000;
    w.data = int_samples({256, -512}, 3);
    write_file_bytes("in.wav", make_wave_bytes(w));
    ASSERT_EQ(run_in_process({"convert", "in.wav", "out.wav"}).status, 0);
    wave_spec want;
    want.rate = 48000;
    want.data = sample_bytes({1, 1, -2, -2});
    EXPECT_EQ(read_file_bytes("out.wav"), make_wave_bytes(want));

    // A 16-bit file the application opens goes through its own reader, as
    // File Open reads it: its 18-byte format chunk is kept.
    wave_spec own;
    own.fmt_len = 18;
    own.data = sample_bytes({5, -6});
    write_file_bytes("own.wav", make_wave_bytes(own));
    ASSERT_EQ(run_in_process({"convert", "own.wav", "own16.wav"}).status, 0);
    const std::string out = read_file_bytes("own16.wav");
    EXPECT_EQ(get_le(out, 16, 4), 18);
    EXPECT_EQ(wave_data("own16.wav"), own.data);
}

TEST_F(convert_cmd, MoreThanTwoChannelsAreRefusedByExtractAndConvertButInfoReadsAsBefore) {
    // 16-bit (the own reader takes it) and 24-bit (libsndfile's) alike.
    write_file_bytes("c6.wav", wave_of(6, 16, pattern_samples(60)));
    write_file_bytes("c3.wav", wave_of(3, 24, int_samples({1, 2, 3, 4, 5, 6}, 3)));
    for (const auto& [file, count] : {std::pair("c6.wav", "6"), std::pair("c3.wav", "3")}) {
        for (const cli_args& args : {cli_args{"extract", file}, cli_args{"convert", file, "out.wav"}}) {
            const cli_run r = run_in_process(args);
            EXPECT_EQ(r.status, 2) << args[0] << " " << file;
            EXPECT_EQ(r.err, std::string("tonewarp-cli: ") + file + ": " + count +
                                 " channels: extract and convert read mono and stereo recordings only\n");
        }
    }
    EXPECT_FALSE(fs::exists("out.wav") || fs::exists("c6_parts") || fs::exists("c3_parts"));

    cli_run r = run_in_process({"info", "c6.wav"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("\nchannels=6\n"), std::string::npos) << r.out;
    EXPECT_EQ(run_in_process({"cancel", "c6.wav", "k.wav"}).status, 0);
    r = run_in_process({"info", "c3.wav"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out.substr(r.out.find("source_channels")),
              "source_channels=3\nsource_samples_per_sec=44100\nsource_frames=2\nsource_seconds=0.000\n"
              "convertible=0\n");
}

TEST_F(convert_cmd, ExtractSaysWhatItConvertedAndHowManySamplesWereHeld) {
    // A tone at half scale with seven samples beyond full scale.
    std::string data;
    for (int f = 0; f < 4000; ++f) {
        const float v = f % 500 == 7 ? 1.5f : 0.5f * std::sin(static_cast<float>(f) * 0.06f);
        data += float_samples({v, f == 9 ? -1.5f : v / 2});
    }
    write_file_bytes("loud.wav", wave_of(2, 32, data, true));
    cli_run r = run_in_process({"extract", "loud.wav"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\nconverted: WAV (Microsoft), 32 bit float, stereo, 44100 Hz -> 16-bit stereo\n"
                         "held samples: 9 (at -32768 or 32767)\n"),
              std::string::npos)
        << r.out;
    ASSERT_EQ(run_in_process({"convert", "loud.wav", "c.wav"}).status, 0);
    EXPECT_EQ(wave_data("loud_parts/mix.wav"), wave_data("c.wav"));

    write_file_bytes("quiet.wav", stereo_wave(pattern_samples(8000)));
    r = run_in_process({"extract", "loud.wav", "quiet.wav", "--out", "all"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find(", held samples 9\nquiet.wav: ok"), std::string::npos) << r.out;
}

}  // namespace
