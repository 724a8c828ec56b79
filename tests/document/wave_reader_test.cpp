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

TEST_F(wave_reader, passes_over_the_chunks_between_the_format_and_the_data_chunk) {
    const std::string list("LIST\x1a\0\0\0INFOISFT\x0e\0\0\0Lavf58.76.100\0", 34);
    // A "data" header inside a chunk's body is not a chunk.
    const std::string junk = std::string("JUNK\x1c\0\0\0data\x08\0\0\0", 16) + std::string(20, '\0');
    const std::string odd("note\x03\0\0\0abc\0", 12);  // 3 bytes and the pad byte
    const struct {
        const char* what;
        std::string extra;
        std::int16_t channels;
    } cases[] = {
        {"LIST", list, 2},       {"JUNK", junk, 2}, {"odd length", odd, 2}, {"two chunks", odd + list, 2},
        {"mono, LIST", list, 1},
    };
    for (const auto& c : cases) {
        wave_spec w;
        w.channels = c.channels;
        w.extra_chunk = c.extra;
        w.data = pattern_samples(8);
        auto d = std::make_unique<CTonewarpDoc>();
        read_bytes(*d, make_wave_bytes(w));
        EXPECT_FALSE(d->is_bad_file()) << c.what;
        EXPECT_EQ(bytes_of(d->wv_data_hdr, 4), "data") << c.what;
        if (c.channels == 1) {
            EXPECT_EQ(d->data_len(), 32) << c.what;
            EXPECT_EQ(get_frame_sample(d->orgn_dt, 7, 1), get_le(w.data, 14, 2)) << c.what;
        } else {
            EXPECT_EQ(d->data_len(), 16) << c.what;
            EXPECT_EQ(bytes_of(d->orgn_dt, 16), w.data) << c.what;
        }
        const auto size = static_cast<std::size_t>(d->data_len() * 5 / 4);
        EXPECT_EQ(bytes_of(d->mdfy_dt, size), bytes_of(d->orgn_dt, size)) << c.what;
    }

    // The trace shows the data chunk that was read.
    log_on_flg = 1;
    wave_spec w;
    w.extra_chunk = list;
    w.data = pattern_samples(8);
    read_bytes(*doc, make_wave_bytes(w));
    const std::vector<std::string> lines = log_lines();
    ASSERT_EQ(lines.size(), 14u);
    EXPECT_EQ(lines[12], "チャンクタイプ3        = data");
    EXPECT_EQ(lines[13], "サウンドデータの長さ   =       16");
    log_on_flg = 0;

    // sox writes a 16-bit file of four channels with an extensible format
    // chunk and a "fact" chunk before the data.
    if (!run_sox("-n -r 44100 -c 4 -b 16 q.wav synth 0.01 sine 440")) GTEST_SKIP() << "sox unavailable";
    const std::string file = read_file_bytes("q.wav");
    const std::size_t data_at = file.find("data");
    ASSERT_NE(file.find("fact"), std::string::npos);
    ASSERT_LT(file.find("fact"), data_at);
    read_bytes(*doc, file);
    EXPECT_FALSE(doc->is_bad_file());
    EXPECT_EQ(bytes_of(doc->wv_data_hdr, 8), file.substr(data_at, 8));
    EXPECT_EQ(doc->frame_count(), 441 * 2);  // 441 frames of 8 bytes, read as 4-byte frames
    EXPECT_EQ(bytes_of(doc->orgn_dt, 3528), file.substr(data_at + 8));
}

TEST_F(wave_reader, takes_the_chunk_after_the_format_chunk_when_no_data_chunk_follows) {
    // The file up to the data chunk's header: the header, the format chunk and extra.
    auto without_data = [](const std::string& extra, std::int16_t channels = 2) {
        wave_spec w;
        w.channels = channels;
        w.extra_chunk = extra;
        return make_wave_bytes(w).substr(0, 36 + extra.size());
    };
    const std::string list("LIST\x08\0\0\0INFOabcd", 16);
    const struct {
        const char* what;
        std::string file;
    } cases[] = {
        {"nothing after it", without_data(list)},
        {"a chunk running past the end",
         without_data(list + std::string("JUNK\xe8\x03\0\0", 8) + "0123456789")},
        {"a header cut off", without_data(list + "data\x10")},
    };
    for (const auto& c : cases) {
        auto d = std::make_unique<CTonewarpDoc>();
        read_bytes(*d, c.file);
        EXPECT_FALSE(d->is_bad_file()) << c.what;
        EXPECT_EQ(bytes_of(d->wv_data_hdr, 8), list.substr(0, 8)) << c.what;
        EXPECT_EQ(bytes_of(d->orgn_dt, 10), std::string("INFOabcd\0\0", 10)) << c.what;
        EXPECT_EQ(bytes_of(d->mdfy_dt, 10), bytes_of(d->orgn_dt, 10)) << c.what;
    }

    // The first chunk itself runs past the end: its length is D, its bytes
    // are samples, a "data" header among them included.
    const std::string body = std::string("INFOdata\x04\0\0\0", 12) + "wxyz";
    read_bytes(*doc, without_data(std::string("LIST\xa0\x0f\0\0", 8) + body));
    EXPECT_EQ(bytes_of(doc->wv_data_hdr, 4), "LIST");
    EXPECT_EQ(doc->data_len(), 4000);
    EXPECT_EQ(bytes_of(doc->orgn_dt, 16), body);
    EXPECT_TRUE(all_zero(doc->orgn_dt + 16, 4984));
    EXPECT_EQ(bytes_of(doc->mdfy_dt, 5000), bytes_of(doc->orgn_dt, 5000));

    // Mono: the chunk's bytes are widened like samples.
    read_bytes(*doc, without_data(list, 1));
    EXPECT_EQ(doc->data_len(), 16);
    EXPECT_EQ(bytes_of(doc->orgn_dt, 20), std::string("ININFOFOababcdcd\0\0\0\0", 20));
    EXPECT_EQ(bytes_of(doc->mdfy_dt, 20), bytes_of(doc->orgn_dt, 20));
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
    EXPECT_EQ(bytes_of(doc->mdfy_dt, 20), bytes_of(doc->orgn_dt, 20));

    // Written into a pipe, a WAVE file declares the most it could hold
    // (sox: 0x7FFFF000 bytes). The document keeps that length; both buffers
    // hold the samples read and zeros after them.
    w.channels = 2;
    w.data = pattern_samples(1000);
    w.data_len = 0x7FFFF000;
    read_bytes(*doc, make_wave_bytes(w));
    EXPECT_FALSE(doc->is_bad_file());
    EXPECT_EQ(doc->frame_count(), 0x7FFFF000 / 4);
    const std::int64_t size = std::int64_t{0x7FFFF000} * 5 / 4;
    for (const unsigned char* buf : {doc->orgn_dt, doc->mdfy_dt}) {
        EXPECT_EQ(bytes_of(buf, 2000), w.data);
        EXPECT_TRUE(all_zero(buf + 2000, 1 << 20));
        EXPECT_TRUE(all_zero(buf + size - 4096, 4096));
    }
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
