#include <climits>
#include <cstring>

#include "document/byte_stream.h"
#include "document/le_bytes.h"
#include "document/wave_file_io.h"
#include "tests/document/doc_fixture.h"

namespace {

void read_bytes(CTonewarpDoc& d, const std::string& bytes) {
    memory_istream in(bytes);
    d.read_wave_file(in);
}

}  // namespace

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
    EXPECT_EQ(doc->fmt_avg_bytes_per_sec(), 2 * 44100 * 2);
    EXPECT_EQ(doc->fmt_block_align(), 4);
    EXPECT_EQ(doc->fmt_samples_per_sec(), 44100);
    EXPECT_EQ(doc->fmt_bits_per_sample(), 16);
    EXPECT_EQ(doc->riff_size(), get_le(file, 4, 4) + 1000);
    for (int f = 0; f < 500; ++f) {
        const auto mono = static_cast<std::int16_t>(get_le(w.data, 2 * f, 2));
        ASSERT_EQ(get_le(bytes_of(doc->orgn_dt, 2000), 4 * f, 2), mono) << f;
        ASSERT_EQ(get_le(bytes_of(doc->orgn_dt, 2000), 4 * f + 2, 2), mono) << f;
    }
    // The working copy equals the original; the padding quarter is zero.
    EXPECT_EQ(bytes_of(doc->mdfy_dt, 2000), bytes_of(doc->orgn_dt, 2000));
    EXPECT_TRUE(all_zero(doc->orgn_dt + 2000, 500));
}

TEST_F(wave_reader, takes_sox_samples_exactly_as_sox_decodes_them) {
    if (!run_sox("-n -r 22050 -c 2 -b 16 s.wav synth 0.05 sine 300 sine 700") ||
        !run_sox("s.wav -t raw s.raw") || !run_sox("-n -r 44100 -c 1 -b 16 m.wav synth 0.05 square 440") ||
        !run_sox("m.wav -t raw m.raw"))
        GTEST_SKIP() << "sox unavailable";
    ASSERT_EQ(open_wave_file(*doc, "s.wav"), 0);
    const std::string raw = read_file_bytes("s.raw");
    EXPECT_EQ(doc->fmt_samples_per_sec(), 22050);  // other rates are kept
    ASSERT_EQ(doc->data_len(), static_cast<std::int32_t>(raw.size()));
    EXPECT_EQ(bytes_of(doc->orgn_dt, raw.size()), raw);

    auto mono = std::make_unique<CTonewarpDoc>();
    ASSERT_EQ(open_wave_file(*mono, "m.wav"), 0);
    const std::string mraw = read_file_bytes("m.raw");
    ASSERT_EQ(mono->frame_count(), static_cast<std::int32_t>(mraw.size() / 2));
    for (std::size_t f = 0; f < mraw.size() / 2; ++f) {
        ASSERT_EQ(get_frame_sample(mono->mdfy_dt, f, 0), get_le(mraw, 2 * f, 2));
        ASSERT_EQ(get_frame_sample(mono->mdfy_dt, f, 1), get_le(mraw, 2 * f, 2));
    }
}

TEST_F(wave_reader, takes_the_chunk_after_the_format_chunk_as_the_data_header) {
    wave_spec w;
    w.extra_chunk = "LIST" + std::string("\x08\0\0\0", 4) + "INFOabcd";
    w.data = sample_bytes({1, 2, 3, 4});
    read_bytes(*doc, make_wave_bytes(w));
    EXPECT_FALSE(doc->is_bad_file());
    EXPECT_EQ(std::memcmp(doc->wv_data_hdr, "LIST", 4), 0);
    EXPECT_EQ(doc->data_len(), 8);
    EXPECT_EQ(bytes_of(doc->orgn_dt, 8), "INFOabcd");
}

TEST_F(wave_reader, rejects_other_sample_widths_and_format_lengths_outside_1_to_144) {
    auto check_rejected = [&](const std::string& bytes, const char* what) {
        auto d = std::make_unique<CTonewarpDoc>();
        read_bytes(*d, bytes);
        EXPECT_TRUE(d->is_bad_file()) << what;
        EXPECT_EQ(std::memcmp(d->wv_riff_hdr + 8, "WAVEfmt ", 8), 0) << what;
        EXPECT_EQ(d->fmt_len(), 18) << what;
        EXPECT_EQ(d->data_len(), 2048) << what;
        EXPECT_EQ(d->fmt_samples_per_sec(), 44100) << what;
        ASSERT_NE(d->orgn_dt, nullptr) << what;
        EXPECT_TRUE(all_zero(d->orgn_dt, 2560)) << what;
        EXPECT_TRUE(all_zero(d->mdfy_dt, 2560)) << what;
    };
    wave_spec w;
    w.data = sample_bytes({5, 6, 7, 8});
    for (int bits : {8, 24}) {
        w.bits = static_cast<std::int16_t>(bits);
        check_rejected(make_wave_bytes(w), bits == 8 ? "8 bits" : "24 bits");
    }
    w.bits = 16;
    w.fmt_len = 0;
    check_rejected(make_wave_bytes(w), "L = 0");
    w.fmt_len = 145;
    check_rejected(make_wave_bytes(w), "L = 145");
    w.fmt_len = -16;
    check_rejected(make_wave_bytes(w), "L < 0");
    w.fmt_len = 16;
    w.data_len = -4;
    check_rejected(make_wave_bytes(w), "negative D");
    w.channels = 1;
    w.data_len = INT32_MAX / 2 + 1;  // its doubled length would not fit
    check_rejected(make_wave_bytes(w), "mono D too long to widen");
    check_rejected("RIFF", "shorter than a header");

    if (run_sox("-n -r 44100 -c 2 -b 8 b8.wav synth 0.01 sine 440") &&
        run_sox("-n -r 44100 -c 2 -b 24 b24.wav synth 0.01 sine 440")) {
        check_rejected(read_file_bytes("b8.wav"), "sox 8 bits");
        check_rejected(read_file_bytes("b24.wav"), "sox 24 bits");
    }
}

TEST_F(wave_reader, accepts_a_144_byte_format_chunk_and_keeps_its_whole_body) {
    wave_spec w;
    w.fmt_len = 144;
    for (int i = 0; i < 128; ++i) w.fmt_tail += static_cast<char>(i + 1);
    w.data = sample_bytes({9, -9});
    read_bytes(*doc, make_wave_bytes(w));
    EXPECT_FALSE(doc->is_bad_file());
    EXPECT_EQ(bytes_of(doc->wv_fmt_dt + 16, 128), w.fmt_tail);
    EXPECT_EQ(doc->frame_count(), 1);
}

TEST_F(wave_reader, treats_four_channel_data_as_stereo_frames_unchanged) {
    wave_spec w;
    w.channels = 4;
    w.data = sample_bytes({1, 2, 3, 4, 5, 6, 7, 8});
    read_bytes(*doc, make_wave_bytes(w));
    EXPECT_EQ(doc->fmt_channels(), 4);
    EXPECT_EQ(doc->frame_count(), 4);
    EXPECT_EQ(bytes_of(doc->orgn_dt, 16), w.data);

    // sox writes an extensible format chunk (40 bytes) followed by a "fact"
    // chunk, which the reader takes as the data header.
    if (!run_sox("-n -r 44100 -c 4 -b 16 q.wav synth 0.01 sine 440")) GTEST_SKIP() << "sox unavailable";
    auto q = std::make_unique<CTonewarpDoc>();
    ASSERT_EQ(open_wave_file(*q, "q.wav"), 0);
    EXPECT_FALSE(q->is_bad_file());
    EXPECT_EQ(q->fmt_channels(), 4);
    EXPECT_EQ(q->fmt_len(), 40);
    EXPECT_EQ(std::memcmp(q->wv_data_hdr, "fact", 4), 0);
}

TEST_F(wave_reader, leaves_zeros_where_a_truncated_file_is_missing_bytes) {
    wave_spec w;
    w.data = pattern_samples(50);  // 100 bytes present
    w.data_len = 4000;
    read_bytes(*doc, make_wave_bytes(w));
    EXPECT_FALSE(doc->is_bad_file());
    EXPECT_EQ(doc->frame_count(), 1000);
    EXPECT_EQ(bytes_of(doc->orgn_dt, 100), w.data);
    EXPECT_TRUE(all_zero(doc->orgn_dt + 100, 4900));
    EXPECT_EQ(std::memcmp(doc->mdfy_dt, doc->orgn_dt, 5000), 0);

    // Mono cut in the middle of a sample: the half sample lands in both channels.
    wave_spec m;
    m.channels = 1;
    m.data = std::string("\x11\x22\x33", 3);
    m.data_len = 8;
    auto md = std::make_unique<CTonewarpDoc>();
    read_bytes(*md, make_wave_bytes(m));
    EXPECT_EQ(bytes_of(md->orgn_dt, 16), std::string("\x11\x22\x11\x22\x33\0\x33\0", 8) + std::string(8, '\0'));
}

TEST_F(wave_reader, rejects_a_file_whose_sample_buffers_cannot_be_allocated) {
    wave_spec w;
    w.data = pattern_samples(8);
    w.data_len = 1'000'000'000;  // buffers of 1.25e9 bytes: sized in 64 bits
    heap_test::fail_above_size(1'249'999'999);
    read_bytes(*doc, make_wave_bytes(w));
    EXPECT_TRUE(doc->is_bad_file());
    EXPECT_EQ(doc->frame_count(), 512);
    EXPECT_NE(doc->orgn_dt, nullptr);
    EXPECT_EQ(live_blocks(), 2);  // nothing of the failed attempt is left

    // With no heap at all the document is rejected and holds no buffer.
    heap_test::reset();
    shared_heap = nullptr;
    auto d2 = std::make_unique<CTonewarpDoc>();
    w.data_len = 16;
    read_bytes(*d2, make_wave_bytes(w));
    EXPECT_TRUE(d2->is_bad_file());
    EXPECT_EQ(d2->orgn_dt, nullptr);
    EXPECT_EQ(d2->mdfy_dt, nullptr);
    shared_heap = get_process_heap();
}

TEST_F(wave_reader, releases_the_parts_and_buffers_of_an_earlier_read) {
    wave_spec w;
    w.data = pattern_samples(64);
    read_bytes(*doc, make_wave_bytes(w));
    ASSERT_EQ(doc->alloc_temp_area_add(4096), 0);
    w.data = pattern_samples(32);
    read_bytes(*doc, make_wave_bytes(w));
    EXPECT_EQ(doc->intPart_Cnt, 0);
    EXPECT_EQ(doc->h_Mem_wv_temp_dt[0], nullptr);
    EXPECT_EQ(live_blocks(), 2);
    EXPECT_EQ(doc->frame_count(), 16);
}

TEST_F(wave_reader, writes_the_header_trace_only_while_tracing) {
    wave_spec w;
    w.channels = 1;
    w.data = pattern_samples(4);
    read_bytes(*doc, make_wave_bytes(w));
    EXPECT_FALSE(std::filesystem::exists(err_log_file_name));

    log_on_flg = 2;  // only 1 switches tracing on
    read_bytes(*doc, make_wave_bytes(w));
    EXPECT_FALSE(std::filesystem::exists(err_log_file_name));

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
