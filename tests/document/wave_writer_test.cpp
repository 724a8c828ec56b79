#include <sys/resource.h>

#include <csignal>
#include <filesystem>

#include "document/wave_file_io.h"
#include "tests/document/doc_fixture.h"

namespace {

std::string write_bytes(CTonewarpDoc& d, std::int32_t stt, std::int32_t cnt) {
    d.extr_stt_ptr = stt;
    d.extr_dt_cnt = cnt;
    d.extr_end_ptr = stt + cnt - 1;
    memory_ostream out;
    EXPECT_EQ(d.write_wave_file(out), 0);
    return out.bytes();
}

// Refuses every write after the first `ok` ones.
struct failing_ostream final : byte_ostream {
    explicit failing_ostream(int n) : ok(n) {}
    bool write(const void*, std::int64_t) override { return ok-- > 0; }
    int ok;
};

}  // namespace

using wave_writer = doc_test;

TEST_F(wave_writer, writes_the_range_of_the_working_copy_with_sizes_for_it) {
    const std::string file = stereo_wave(pattern_samples(200));  // 100 frames
    read_bytes(*doc, file);
    const std::string none = write_bytes(*doc, 0, 0);  // a range never set
    EXPECT_EQ(none,
              file.substr(0, 4) + std::string("\x24\0\0\0", 4) + file.substr(8, 32) + std::string(4, '\0'));

    doc->make_cancel_dt();  // the working copy, not the original, is saved
    const std::string out = write_bytes(*doc, 10, 5);
    ASSERT_EQ(out.size(), 44u + 20u);
    EXPECT_EQ(get_le(out, 4, 4), 4 * 5 + 36);
    EXPECT_EQ(get_le(out, 40, 4), 20);
    EXPECT_EQ(out.substr(44), bytes_of(doc->mdfy_dt + 40, 20));
    EXPECT_NE(out.substr(44), bytes_of(doc->orgn_dt + 40, 20));

    // A range reaching past the recording is cut at its last frame.
    EXPECT_EQ(write_bytes(*doc, 98, 100).substr(40),
              std::string("\x08\0\0\0", 4) + bytes_of(doc->mdfy_dt + 392, 8));
    EXPECT_EQ(write_bytes(*doc, 500, 3).size(), 44u);
    EXPECT_EQ(write_bytes(*doc, -5, -1).size(), 44u);
}

TEST_F(wave_writer, keeps_the_format_body_as_read_but_sizes_the_riff_for_16_bytes) {
    for (int len : {18, 144}) {
        wave_spec w;
        w.fmt_len = len;
        for (int i = 16; i < len; ++i) w.fmt_tail += static_cast<char>(0xA0 + i % 50);
        w.data = pattern_samples(8);
        const std::string file = make_wave_bytes(w);
        read_bytes(*doc, file);
        const std::string out = write_bytes(*doc, 0, 4);
        ASSERT_EQ(out.size(), static_cast<std::size_t>(20 + len + 8 + 16)) << len;
        EXPECT_EQ(out.substr(16, 4 + len), file.substr(16, 4 + len)) << len;
        EXPECT_EQ(get_le(out, 4, 4), 16 + 36) << len;
        EXPECT_EQ(out.substr(20 + len + 8), w.data) << len;
    }
}

TEST_F(wave_writer, saves_an_opened_file_with_the_same_samples_and_mono_as_equal_stereo) {
    if (!run_sox("-n -r 44100 -c 2 -b 16 s.wav synth 0.1 sine 220 sine 1250") ||
        !run_sox("-n -r 44100 -c 1 -b 16 m.wav synth 0.1 sine 330") || !run_sox("s.wav -t raw s.raw") ||
        !run_sox("m.wav -t raw -c 2 m2.raw remix 1 1"))
        GTEST_SKIP() << "sox unavailable";
    for (const char* name : {"s", "m"}) {
        auto d = std::make_unique<CTonewarpDoc>();
        ASSERT_EQ(open_wave_file(*d, std::string(name) + ".wav"), 0);
        d->extr_dt_cnt = d->frame_count();
        ASSERT_EQ(save_wave_file(*d, "out.wav"), 0);
        ASSERT_TRUE(run_sox("out.wav -t raw out.raw"));
        EXPECT_EQ(read_file_bytes("out.raw"), read_file_bytes(name == std::string("s") ? "s.raw" : "m2.raw"));
    }
}

TEST_F(wave_writer, reports_failed_writes_and_leaves_the_old_file_untouched) {
    read_bytes(*doc, stereo_wave(pattern_samples(4000)));
    doc->extr_dt_cnt = doc->frame_count();
    for (int ok = 0; ok < 4; ++ok) {
        failing_ostream out(ok);
        EXPECT_EQ(doc->write_wave_file(out), -1) << ok;
    }

    // A file size limit below the new file makes the save's own write fail.
    write_file_bytes("keep.wav", "old contents");
    struct rlimit old_lim {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old_lim), 0);
    auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit lim = old_lim;
    lim.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &lim), 0);
    const int e = save_wave_file(*doc, "keep.wav");
    setrlimit(RLIMIT_FSIZE, &old_lim);
    std::signal(SIGXFSZ, old_handler);
    EXPECT_EQ(e, EFBIG);
    EXPECT_EQ(read_file_bytes("keep.wav"), "old contents");
    // Only the settings file and the old file: no temporary file is left.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), {}), 2);

    std::filesystem::create_directory("dir.wav");
    EXPECT_EQ(save_wave_file(*doc, "dir.wav"), EISDIR);
    EXPECT_EQ(save_wave_file(*doc, "no/such/x.wav"), ENOENT);
    EXPECT_EQ(save_wave_file(*doc, "keep.wav"), 0);
    EXPECT_EQ(read_file_bytes("keep.wav").size(), 44u + 8000u);
}
