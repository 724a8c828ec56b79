// A one-hour stereo recording, mostly silent: it opens, plays piece after
// piece through a device that keeps time, and extracts headless over the
// whole hour. Run in the sanitizer build, undefined behaviour (a 32-bit
// overflow of a byte count or a position) stops the test.
//
// The file is sparse: the silence takes no disk space, only the header and
// two short bursts of a 440 Hz tone are written. The second one ends with
// the recording, so the last frames of the run reach past its end.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/sys_param.h"
#include "document/le_bytes.h"
#include "document/tonewarp_doc.h"
#include "document/wave_file_io.h"
#include "engine/extr_engine_steps.h"
#include "engine/extr_run.h"
#include "engine/extr_state.h"
#include "engine/part_mix.h"
#include "tests/support/test_dir.h"
#include "tests/support/wave_bytes.h"
#include "view/playback.h"

namespace {

constexpr std::int64_t hour_frames = 3600LL * 44100;  // 158 760 000
constexpr std::int64_t hour_bytes = 4 * hour_frames;  // 635 040 000: 10 pieces and a bit
// Bursts: half a second at 40 min, and the last 0.3 s of the hour.
constexpr std::int64_t burst1 = 40LL * 60 * 44100;
constexpr std::int64_t burst1_len = 22050;
constexpr std::int64_t burst2_len = 13230;
constexpr std::int64_t burst2 = hour_frames - burst2_len;

// Sample i of a burst of n frames: the tone, faded in and out over 2000
// frames so that neither end is a click of its own.
std::int16_t tone(std::int64_t i, std::int64_t n) {
    const double fade =
        std::min({1.0, static_cast<double>(i) / 2000.0, static_cast<double>(n - 1 - i) / 2000.0});
    return static_cast<std::int16_t>(fade * 8000.0 *
                                     std::sin(2.0 * M_PI * 440.0 * static_cast<double>(i) / 44100.0));
}

void write_burst(int fd, std::int64_t first, std::int64_t frames) {
    std::vector<unsigned char> b(static_cast<std::size_t>(4 * frames));
    for (std::int64_t i = 0; i < frames; ++i) {
        put_frame_sample(b.data(), i, 0, tone(i, frames));
        put_frame_sample(b.data(), i, 1, tone(i, frames));
    }
    ASSERT_EQ(pwrite(fd, b.data(), b.size(), 44 + 4 * first), static_cast<ssize_t>(b.size()));
}

void make_hour_file(const char* name) {
    wave_spec w;
    w.data_len = hour_bytes;
    const std::string header = make_wave_bytes(w);  // 44 bytes, no samples
    const int fd = ::open(name, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, header.data(), header.size()), 44);
    ASSERT_EQ(ftruncate(fd, 44 + hour_bytes), 0);
    write_burst(fd, burst1, burst1_len);
    write_burst(fd, burst2, burst2_len);
    ::close(fd);
}

// A device that keeps time: every advance() plays `step` frames of the
// queued buffer (none while paused); the buffer is done when all of its
// frames have been played. Positions count frames across buffers since the
// open or the last reset. Queued buffers are kept as (byte offset, length).
class clock_out final : public sound_out {
   public:
    explicit clock_out(const std::uint8_t* base) : base_(base) {}
    int input_dev_count() override { return 0; }
    int input_dev_caps(int, sound_dev_caps&) override { return snd_bad_device; }
    int output_dev_count() override { return 1; }
    int output_dev_caps(int, sound_dev_caps& c) override { return c.name = "clock", snd_ok; }
    int open(const sound_format&) override { return snd_ok; }
    int write(const std::uint8_t* d, std::int64_t n) override {
        queued.emplace_back(d - base_, n);
        left_ = n / 4;
        return snd_ok;
    }
    bool done() override { return left_ == 0; }
    int pause() override { return paused_ = true, snd_ok; }
    int restart() override { return paused_ = false, snd_ok; }
    int reset() override { return left_ = 0, played = 0, paused_ = false, snd_ok; }
    int position(sound_pos& p) override { return p = {sound_pos::samples, played}, snd_ok; }
    int close() override { return snd_ok; }

    void advance(std::int64_t step) {
        if (paused_) return;
        const std::int64_t n = std::min(step, left_);
        left_ -= n;
        played += n;
        heard += n;
    }

    std::vector<std::pair<std::int64_t, std::int64_t>> queued;
    std::int64_t played = 0;  // since the open or the last reset
    std::int64_t heard = 0;   // all frames ever played

   private:
    const std::uint8_t* base_;
    std::int64_t left_ = 0;
    bool paused_ = false;
};

// A queued buffer: byte offset into the working copy, byte length.
std::pair<std::int64_t, std::int64_t> piece(std::int64_t offset, std::int64_t length) {
    return {offset, length};
}

struct quiet_surface final : play_surface {
    void draw_play_btn() override {}
    void put_pos_text(int, int, const char*) override {}
    void put_pos_time(int, int, std::int64_t frame) override { last_time = frame; }
    std::int64_t last_time = -1;
};

// Every info record of every part, for the message of a failed expectation.
std::string part_table(const CTonewarpDoc& doc) {
    std::string t;
    for (int p = 0; p < doc.intPart_Cnt; ++p) {
        for (int r = 0; r < doc.intPart_Inf_Cnt[p] && doc.h_Mem_msc_prt_inf[p] != nullptr; ++r) {
            const msc_prt_inf_t& i = doc.h_Mem_msc_prt_inf[p][r];
            t += std::string(doc.prt_name[p]) + " #" + std::to_string(r) + ": L " +
                 std::to_string(i.stt_orgn_L) + "+" + std::to_string(i.data_cnt_L) + ", R " +
                 std::to_string(i.stt_orgn_R) + "+" + std::to_string(i.data_cnt_R) + "\n";
        }
    }
    return t;
}

// Button centres on the control line: "→" at cells 2-3, "||" at cells 11-12.
constexpr int play_x = 2 * 8 + 8;
constexpr int pause_x = 11 * 8 + 8;
constexpr int btn_y = 2 * 9 + 12 * 18 + 5;

class long_recording : public in_test_dir {
   protected:
    void SetUp() override {
        load_sys_param();
        make_hour_file("hour.wav");
        doc = std::make_unique<CTonewarpDoc>();
        ASSERT_EQ(open_wave_file(*doc, "hour.wav"), 0);
        ASSERT_FALSE(doc->is_bad_file());
        ASSERT_EQ(doc->frame_count(), hour_frames);
    }

    // Plays frames first .. last through the clock device, 10 s a tick, with
    // a pause of three ticks inside piece `pause_in` (0-based). Checks the
    // position shown at every tick; returns what was queued.
    std::vector<std::pair<std::int64_t, std::int64_t>> play(std::int64_t first, std::int64_t last,
                                                            int pause_in) {
        view_playback pb;
        auto dev = std::make_unique<clock_out>(doc->mdfy_dt);
        clock_out& clock = *dev;
        pb.open_output(std::move(dev), doc->wv_fmt_dt);
        const play_source src{doc->mdfy_dt, doc->frame_count(), first, last - first + 1};
        const play_geom geom{8, 18, 1200, 1064};  // wide enough for the position label
        quiet_surface surf;
        pb.btn_click(play_x, btn_y, src, geom, surf);
        EXPECT_EQ(pb.play_flg(), 1);
        int paused_ticks = 0;
        for (int tick = 0; pb.play_flg() == 1 || pb.pause_flg() == 1; ++tick) {
            clock.advance(441000);
            if (pb.pause_flg() != 1) {
                pb.timer_step(src, geom, surf);
                if (pb.play_flg() == 1) {
                    EXPECT_EQ(pb.play_pos(), first + clock.played) << "tick " << tick;
                    EXPECT_EQ(surf.last_time, pb.play_pos());
                    EXPECT_LE(pb.play_pos(), last + 1);
                }
            }
            if (pb.piece_wrt_cnt() == pause_in + 1 && paused_ticks == 0 && pb.play_flg() == 1) {
                pb.btn_click(pause_x, btn_y, src, geom, surf);
                EXPECT_EQ(pb.play_pos(), first + clock.played);
            }
            if (pb.pause_flg() == 1 && ++paused_ticks == 3) {
                pb.btn_click(play_x, btn_y, src, geom, surf);  // continues where it paused
                EXPECT_EQ(pb.play_flg(), 1);
            }
            if (tick > 2000) {
                ADD_FAILURE() << "playback never ended";
                break;
            }
        }
        EXPECT_EQ(clock.heard, last - first + 1);
        EXPECT_EQ(paused_ticks, 3);
        return clock.queued;
    }

    std::unique_ptr<CTonewarpDoc> doc;
};

TEST_F(long_recording, AnHourOpensWithEverySampleInPlace) {
    const auto sample = [this](std::int64_t f, int ch) { return get_frame_sample(doc->orgn_dt, f, ch); };
    EXPECT_EQ(doc->data_len(), hour_bytes);
    EXPECT_EQ(sample(burst1 + 5000, 0), tone(5000, burst1_len));
    EXPECT_EQ(sample(burst2 + 11000, 1), tone(11000, burst2_len));
    EXPECT_EQ(sample(burst1 - 1, 0), 0);
    EXPECT_EQ(std::memcmp(doc->mdfy_dt, doc->orgn_dt, static_cast<std::size_t>(hour_bytes)), 0);
}

TEST_F(long_recording, AnHourPlaysPieceAfterPieceWithTheRightPositions) {
    // The whole hour: ten pieces of 62 000 000 bytes and one of 15 040 000.
    const auto whole = play(0, hour_frames - 1, 4);
    ASSERT_EQ(whole.size(), 11u);
    for (std::size_t k = 0; k < 10; ++k) {
        EXPECT_EQ(whole[k], piece(62000000 * static_cast<std::int64_t>(k), 62000000));
    }
    EXPECT_EQ(whole[10], piece(620000000, 15040000));

    // From a mark at an odd frame to the end: 235 039 996 bytes in four pieces.
    const std::int64_t first = 100000001;
    const auto ranged = play(first, hour_frames - 1, 1);
    ASSERT_EQ(ranged.size(), 4u);
    EXPECT_EQ(ranged[0], piece(4 * first, 62000000));
    EXPECT_EQ(ranged[3], piece(4 * first + 186000000, 49039996));
}

TEST_F(long_recording, AnHourExtractsHeadlessAndTheMixGivesBackTheRecording) {
    // Each part's waveform spans the hour (794 MB): one part and the residual
    // keep the run at about 3 GB. The second burst then only updates.
    sys_param.part_max = 2;
    auto st = std::make_unique<extr_state>();
    extr_engine_steps steps;
    set_extr_range(*st, *doc, 0, static_cast<int>(hour_frames - 1));
    int last_state = -1;
    const long ticks =
        run_extraction(*st, *doc, steps, [&last_state](const extr_state& s) { last_state = s.extr_stat; });
    EXPECT_EQ(last_state, 3);
    EXPECT_EQ(st->err_stop, 2);
    EXPECT_NEAR(ticks, hour_frames / 2048, 1);  // 2048 frames a batch

    ASSERT_EQ(doc->intPart_Cnt, 2) << part_table(*doc);
    EXPECT_STREQ(doc->prt_name[0], "Part_001");
    EXPECT_STREQ(doc->prt_name[1], total_diff_part_name);
    ASSERT_GE(doc->intPart_Inf_Cnt[0], 1);
    const msc_prt_inf_t* rec = doc->h_Mem_msc_prt_inf[0];
    EXPECT_NEAR(rec[0].stt_orgn_L, burst1, 2048) << part_table(*doc);
    for (int r = 0; r < doc->intPart_Inf_Cnt[0]; ++r) {
        EXPECT_EQ(rec[r].stt_ofs_L, rec[r].stt_orgn_L);  // the range starts at frame 0
        EXPECT_LE(rec[r].stt_orgn_L + rec[r].data_cnt_L, hour_frames) << part_table(*doc);
        EXPECT_LE(rec[r].stt_orgn_R + rec[r].data_cnt_R, hour_frames) << part_table(*doc);
    }
    // 4 bytes a frame for the range rounded up past a multiple of 1024, a quarter more.
    EXPECT_EQ(doc->wv_temp_dt_size[0], (hour_frames / 1024 + 1) * 1024 * 5);
    EXPECT_EQ(doc->wv_temp_dt_size[1], doc->wv_temp_dt_size[0]);

    // The part sounds where the tone is and nowhere near the start.
    EXPECT_NE(get_frame_sample(doc->h_Mem_wv_temp_dt[0], burst1 + 10000, 0), 0);
    EXPECT_EQ(get_frame_sample(doc->h_Mem_wv_temp_dt[0], 1000, 0), 0);
    EXPECT_EQ(std::memcmp(doc->mdfy_dt, doc->orgn_dt, static_cast<std::size_t>(hour_bytes)), 0);
}

}  // namespace
