#include <sys/resource.h>

#include <csignal>
#include <cstring>
#include <filesystem>

#include "document/byte_stream.h"
#include "document/wave_file_io.h"
#include "tests/document/doc_fixture.h"

namespace {

std::string write_bytes(CTonewarpDoc& d) {
    memory_ostream out;
    EXPECT_EQ(d.write_wave_file(out), 0);
    return out.bytes();
}

void read_bytes(CTonewarpDoc& d, const std::string& bytes) {
    memory_istream in(bytes);
    d.read_wave_file(in);
}

void set_range(CTonewarpDoc& d, std::int32_t stt, std::int32_t cnt) {
    d.extr_stt_ptr = stt;
    d.extr_dt_cnt = cnt;
    d.extr_end_ptr = stt + cnt - 1;
}

// Refuses every write after the first `ok` ones.
class failing_ostream final : public byte_ostream {
public:
    explicit failing_ostream(int ok) : ok_(ok) {}
    bool write(const void*, std::int64_t) override { return ok_-- > 0; }

private:
    int ok_;
};

}  // namespace

using wave_writer = doc_test;

TEST_F(wave_writer, writes_only_the_headers_when_no_range_was_ever_set) {
    wave_spec w;
    w.data = pattern_samples(40);
    const std::string file = make_wave_bytes(w);
    read_bytes(*doc, file);
    const std::string out = write_bytes(*doc);
    ASSERT_EQ(out.size(), 20u + 16u + 8u);
    EXPECT_EQ(out.substr(0, 4), "RIFF");
    EXPECT_EQ(get_le(out, 4, 4), 36);
    EXPECT_EQ(out.substr(8, 28), file.substr(8, 28));  // form, fmt tag, L and body as held
    EXPECT_EQ(out.substr(36, 4), "data");
    EXPECT_EQ(get_le(out, 40, 4), 0);
}

TEST_F(wave_writer, writes_the_range_of_the_working_copy_with_sizes_for_it) {
    wave_spec w;
    w.data = pattern_samples(200);  // 100 frames
    read_bytes(*doc, make_wave_bytes(w));
    doc->make_cancel_dt();  // the working copy, not the original, is saved
    set_range(*doc, 10, 5);
    const std::string out = write_bytes(*doc);
    ASSERT_EQ(out.size(), 44u + 20u);
    EXPECT_EQ(get_le(out, 4, 4), 4 * 5 + 36);
    EXPECT_EQ(get_le(out, 40, 4), 20);
    EXPECT_EQ(out.substr(44), bytes_of(doc->mdfy_dt + 40, 20));
    EXPECT_NE(out.substr(44), bytes_of(doc->orgn_dt + 40, 20));
}

TEST_F(wave_writer, keeps_the_format_body_as_read_but_sizes_the_riff_for_16_bytes) {
    for (int len : {18, 144}) {
        wave_spec w;
        w.fmt_len = len;
        for (int i = 16; i < len; ++i) w.fmt_tail += static_cast<char>(0xA0 + i % 50);
        w.data = pattern_samples(8);
        const std::string file = make_wave_bytes(w);
        auto d = std::make_unique<CTonewarpDoc>();
        read_bytes(*d, file);
        set_range(*d, 0, 4);
        const std::string out = write_bytes(*d);
        ASSERT_EQ(out.size(), static_cast<std::size_t>(20 + len + 8 + 16)) << len;
        EXPECT_EQ(get_le(out, 16, 4), len);
        EXPECT_EQ(out.substr(20, len), file.substr(20, len)) << len;
        EXPECT_EQ(get_le(out, 4, 4), 16 + 36) << len;
        EXPECT_EQ(out.substr(20 + len + 8), w.data) << len;
    }
}

TEST_F(wave_writer, saves_an_opened_file_with_the_same_samples_and_mono_as_equal_stereo) {
    if (!run_sox("-n -r 44100 -c 2 -b 16 s.wav synth 0.1 sine 220 sine 1250") ||
        !run_sox("-n -r 44100 -c 1 -b 16 m.wav synth 0.1 sine 330"))
        GTEST_SKIP() << "sox unavailable";
    ASSERT_EQ(open_wave_file(*doc, "s.wav"), 0);
    set_range(*doc, 0, doc->frame_count());
    ASSERT_EQ(save_wave_file(*doc, "out.wav"), 0);
    ASSERT_TRUE(run_sox("s.wav -t raw s.raw") && run_sox("out.wav -t raw out.raw"));
    EXPECT_EQ(read_file_bytes("out.raw"), read_file_bytes("s.raw"));
    EXPECT_EQ(read_file_bytes("out.wav"), read_file_bytes("s.wav"));

    auto m = std::make_unique<CTonewarpDoc>();
    ASSERT_EQ(open_wave_file(*m, "m.wav"), 0);
    set_range(*m, 0, m->frame_count());
    ASSERT_EQ(save_wave_file(*m, "mout.wav"), 0);
    ASSERT_TRUE(run_sox("m.wav -t raw -c 2 m2.raw remix 1 1") && run_sox("mout.wav -t raw mout.raw"));
    EXPECT_EQ(read_file_bytes("mout.raw"), read_file_bytes("m2.raw"));
}

TEST_F(wave_writer, keeps_a_range_beyond_the_recording_inside_its_frames) {
    read_bytes(*doc, stereo_wave(pattern_samples(20)));  // 10 frames
    set_range(*doc, 8, 100);
    std::string out = write_bytes(*doc);
    EXPECT_EQ(get_le(out, 40, 4), 8);
    EXPECT_EQ(out.substr(44), bytes_of(doc->mdfy_dt + 32, 8));
    set_range(*doc, 50, 3);
    EXPECT_EQ(get_le(write_bytes(*doc), 40, 4), 0);
    set_range(*doc, -5, -1);
    EXPECT_EQ(write_bytes(*doc).size(), 44u);
}

TEST_F(wave_writer, reports_a_refused_write_at_every_step) {
    read_bytes(*doc, stereo_wave(pattern_samples(20)));
    set_range(*doc, 0, 10);
    for (int ok = 0; ok < 4; ++ok) {
        failing_ostream out(ok);
        EXPECT_EQ(doc->write_wave_file(out), -1) << ok;
    }
    failing_ostream enough(4);
    EXPECT_EQ(doc->write_wave_file(enough), 0);
}

TEST_F(wave_writer, leaves_the_old_file_untouched_when_a_save_fails) {
    read_bytes(*doc, stereo_wave(pattern_samples(4000)));
    set_range(*doc, 0, doc->frame_count());
    write_file_bytes("keep.wav", "old contents");

    // A file size limit below the new file makes the write itself fail.
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

    // A directory or a missing folder is refused without leaving anything.
    std::filesystem::create_directory("dir.wav");
    EXPECT_EQ(save_wave_file(*doc, "dir.wav"), EISDIR);
    EXPECT_EQ(save_wave_file(*doc, "no/such/x.wav"), ENOENT);
    EXPECT_EQ(save_wave_file(*doc, "keep.wav"), 0);
    EXPECT_EQ(read_file_bytes("keep.wav").size(), 44u + 8000u);
}
