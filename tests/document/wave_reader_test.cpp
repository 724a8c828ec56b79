#include <climits>
#include <filesystem>

#include "document/wave_file_io.h"
#include "tests/document/doc_fixture.h"

using wave_reader = doc_test;

TEST_F(wave_reader, widens_mono_to_equal_stereo_frames_and_doubles_the_header_values) {
    wave_spec w;
    w.channels = 1;
    w.data = pattern_samples(500);  // D = 1000
    const std::string file = make_wave_bytes(w);
    read_bytes(*doc, file);
    EXPECT_FALSE(doc->is_bad_file());
    EXPECT_EQ(doc->data_len(), 2000);
    EXPECT_EQ(doc->frame_count(), 500);
    EXPECT_EQ(doc->fmt_channels(), 2);
    EXPECT_EQ(doc->fmt_avg_bytes_per_sec(), 176400);
    EXPECT_EQ(doc->fmt_block_align(), 4);
    EXPECT_EQ(doc->fmt_samples_per_sec(), 44100);
    EXPECT_EQ(doc->riff_size(), get_le(file, 4, 4) + 1000);
    for (int f = 0; f < 500; ++f) {
        ASSERT_EQ(get_frame_sample(doc->orgn_dt, f, 0), get_le(w.data, 2 * f, 2)) << f;
        ASSERT_EQ(get_frame_sample(doc->orgn_dt, f, 1), get_le(w.data, 2 * f, 2)) << f;
    }
    EXPECT_EQ(bytes_of(doc->mdfy_dt, 2000), bytes_of(doc->orgn_dt, 2000));
    EXPECT_TRUE(all_zero(doc->orgn_dt + 2000, 500));  // the padding quarter
}

TEST_F(wave_reader, takes_the_chunk_after_the_format_chunk_as_the_data_header) {
    wave_spec w;
    w.extra_chunk = std::string("LIST\x08\0\0\0INFOabcd", 16);
    w.data = sample_bytes({1, 2, 3, 4});
    read_bytes(*doc, make_wave_bytes(w));
    EXPECT_FALSE(doc->is_bad_file());
    EXPECT_EQ(bytes_of(doc->wv_data_hdr, 4), "LIST");
    EXPECT_EQ(doc->data_len(), 8);
    EXPECT_EQ(bytes_of(doc->orgn_dt, 8), "INFOabcd");
}

TEST_F(wave_reader, rejects_other_sample_widths_bad_lengths_and_unallocatable_buffers) {
    auto expect_rejected = [&](const std::string& bytes, const char* what) {
        auto d = std::make_unique<CTonewarpDoc>();
        read_bytes(*d, bytes);
        EXPECT_TRUE(d->is_bad_file()) << what;
        EXPECT_EQ(bytes_of(d->wv_riff_hdr + 4, 16), std::string("\x2e\0\0\0WAVEfmt \x12\0\0\0", 16)) << what;
        EXPECT_EQ(d->data_len(), 2048) << what;
        EXPECT_EQ(d->fmt_samples_per_sec(), 44100) << what;
        ASSERT_NE(d->orgn_dt, nullptr) << what;
        EXPECT_TRUE(all_zero(d->orgn_dt, 2560) && all_zero(d->mdfy_dt, 2560)) << what;
    };
    wave_spec w;
    w.data = sample_bytes({5, 6, 7, 8});
    for (int bits : {8, 24}) {
        w.bits = static_cast<std::int16_t>(bits);
        expect_rejected(make_wave_bytes(w), "8 or 24 bits");
    }
    w.bits = 16;
    for (int len : {0, 145, -16}) {
        w.fmt_len = len;
        expect_rejected(make_wave_bytes(w), "format length");
    }
    w.fmt_len = 16;
    w.data_len = -4;
    expect_rejected(make_wave_bytes(w), "negative D");
    w.channels = 1;
    w.data_len = INT32_MAX / 2 + 1;
    expect_rejected(make_wave_bytes(w), "mono D too long to double");
    expect_rejected("RIFF", "4 bytes");
    // Buffers of D * 5 / 4 = 1.25e9 bytes: the size must not wrap in 32 bits.
    w.channels = 2;
    w.data_len = 1'000'000'000;
    heap_test::fail_above_size(1'249'999'999);
    expect_rejected(make_wave_bytes(w), "no memory");
    heap_test::reset();
    EXPECT_EQ(live_blocks(), 0);

    if (!run_sox("-n -r 44100 -c 2 -b 8 b8.wav synth 0.01 sine 440") ||
        !run_sox("-n -r 44100 -c 2 -b 24 b24.wav synth 0.01 sine 440"))
        GTEST_SKIP() << "sox unavailable";
    expect_rejected(read_file_bytes("b8.wav"), "sox 8 bits");
    expect_rejected(read_file_bytes("b24.wav"), "sox 24 bits");
}

TEST_F(wave_reader, accepts_a_144_byte_format_chunk_and_four_channels_as_they_are) {
    wave_spec w;
    w.fmt_len = 144;
    w.channels = 4;
    for (int i = 0; i < 128; ++i) w.fmt_tail += static_cast<char>(i + 1);
    w.data = sample_bytes({1, 2, 3, 4, 5, 6, 7, 8});
    read_bytes(*doc, make_wave_bytes(w));
    EXPECT_FALSE(doc->is_bad_file());
    EXPECT_EQ(bytes_of(doc->wv_fmt_dt + 16, 128), w.fmt_tail);
    EXPECT_EQ(doc->fmt_channels(), 4);
    EXPECT_EQ(doc->frame_count(), 4);
    EXPECT_EQ(bytes_of(doc->orgn_dt, 16), w.data);
}

TEST_F(wave_reader, leaves_zeros_where_a_truncated_file_is_missing_bytes) {
    wave_spec w;
    w.data = pattern_samples(50);  // 100 of 4000 bytes
    w.data_len = 4000;
    read_bytes(*doc, make_wave_bytes(w));
    EXPECT_EQ(doc->frame_count(), 1000);
    EXPECT_EQ(bytes_of(doc->orgn_dt, 100), w.data);
    EXPECT_TRUE(all_zero(doc->orgn_dt + 100, 4900));
    EXPECT_EQ(bytes_of(doc->mdfy_dt, 5000), bytes_of(doc->orgn_dt, 5000));

    // Mono cut inside a sample: the half sample lands in both channels.
    w.channels = 1;
    w.data = "\x11\x22\x33";
    w.data_len = 8;
    read_bytes(*doc, make_wave_bytes(w));
    EXPECT_EQ(bytes_of(doc->orgn_dt, 20),
              std::string("\x11\x22\x11\x22\x33\0\x33\0", 8) + std::string(12, '\0'));
}

TEST_F(wave_reader, writes_the_header_trace_only_while_tracing) {
    wave_spec w;
    w.channels = 1;
    w.data = pattern_samples(4);
    for (int flag : {0, 2}) {  // only 1 switches tracing on
        log_on_flg = flag;
        read_bytes(*doc, make_wave_bytes(w));
        EXPECT_FALSE(std::filesystem::exists(err_log_file_name));
    }
    log_on_flg = 1;
    read_bytes(*doc, make_wave_bytes(w));
    const std::vector<std::string> want = {
        "チャンクタイプ1        = RIFF",
        "合計ファイルサイズ－８ =       44",
        "形式名                 = WAVE",
        "チャンクタイプ2        = fmt ",
        "形式チャンクデータ長   =       16",
        "形式チャンクデータ: ",
        "  サンプリングデータタイプ           =   1 ",
        "  チャンネル数                       =   1 ",
        "  １秒あたりのサンプリング数         =    44100",
        "  １秒あたりの平均バイト数           =    88200",
        "  ブロック整列(1ﾌﾞﾛｯｸ当りのﾊﾞｲﾄ数)   =   2 ",
        "  １サンプリングあたりの有効ビット数 =  16 ",
        "チャンクタイプ3        = data",
        "サウンドデータの長さ   =        8",
    };
    EXPECT_EQ(log_lines(), want);
}
