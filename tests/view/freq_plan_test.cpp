#include "view/freq_plan.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <vector>

#include "document/le_bytes.h"

namespace {

constexpr int N = freq_frm_len;
constexpr double kPi = 3.14159265358979323846;

// Stereo frames; left(i) and right(i) rounded to 16 bits.
template <typename L, typename R>
std::vector<unsigned char> frames_of(int cnt, L left, R right) {
    std::vector<unsigned char> buf(4 * static_cast<std::size_t>(cnt));
    for (int i = 0; i < cnt; ++i) {
        put_frame_sample(buf.data(), i, 0, static_cast<std::int16_t>(std::lround(left(i))));
        put_frame_sample(buf.data(), i, 1, static_cast<std::int16_t>(std::lround(right(i))));
    }
    return buf;
}

// Work arrays with a sentinel after the N values each may use.
struct guarded_work {
    static constexpr double sentinel = -12345.678;
    std::vector<double> a[6];
    guarded_work() {
        for (auto& v : a) v.assign(N + 1, 0.0), v[N] = sentinel;
    }
    freq_work get() { return {a[0].data(), a[1].data(), a[2].data(), a[3].data(), a[4].data(), a[5].data()}; }
    bool intact() const {
        for (const auto& v : a)
            if (v[N] != sentinel) return false;
        return true;
    }
};

// A tall inner area (518 rows) at a fixed place, 64 frames per pixel.
freq_frames_in tall_input(const std::vector<unsigned char>& buf, int cnt) {
    freq_frames_in in;
    in.frames = buf.data();
    in.data_cnt = cnt;
    in.full_scale = 355632.475;
    in.IL = 100, in.IT = 50, in.IR = 1100, in.IB = 50 + 518;
    return in;
}

TEST(freq_hop, GrowsWithTheZoomAtItsOwnBounds) {
    const struct {
        double p;
        int hop;
    } rows[] = {{0.125, N / 8}, {64, N / 8},   {129, N / 8},   {129.5, N / 4}, {256, N / 4},  {257, N / 2},
                {512, N / 2},   {513, N},      {1025, 2 * N},  {2049, 4 * N},  {4097, 4 * N}, {4098, 4 * N},
                {4099, 8 * N},  {8192, 8 * N}, {8193, 16 * N}, {65536, 16 * N}};
    for (const auto& r : rows) EXPECT_EQ(freq_hop(r.p, N), r.hop) << "frames per pixel " << r.p;
}

TEST(freq_scroll, OnlyAShortAreaWithABarThatHasARangeScrolls) {
    freq_scene fs;
    EXPECT_EQ(freq_scroll_ofs(fs, 300), 0) << "no bar";
    fs.bar_exists = true;
    fs.bar_max = 10000;
    fs.bar_pos = 5000;
    EXPECT_EQ(freq_scroll_ofs(fs, 300), 109) << "half of the 218 rows that do not fit";
    EXPECT_EQ(freq_scroll_ofs(fs, 518), 0) << "a tall area never scrolls";
    fs.bar_pos = 10000;
    EXPECT_EQ(freq_scroll_ofs(fs, 300), 218) << "the bottom shows bin 1 on the last row";
    fs.bar_max = 0;
    EXPECT_EQ(freq_scroll_ofs(fs, 300), 0) << "an empty range";
}

TEST(freq_frames, StripesAreSixteenPixelsWideEveryTwoPixelsAndStopAtTheEdge) {
    const int cnt = 10000;
    const auto buf = frames_of(
        cnt, [](int) { return 0.0; }, [](int) { return 0.0; });
    freq_frames_in in = tall_input(buf, cnt);
    guarded_work w;
    std::vector<freq_run> runs;
    run_freq_frames(in, w.get(), [&](const freq_run& r) { runs.push_back(r); });
    EXPECT_EQ(runs[0].rows, 512) << "rows IT + 3 .. IB - 4";
    ASSERT_EQ(runs.size(), 79u) << "frames start at 0, 128, ... while below the data count";
    EXPECT_EQ(runs[78].x0, 103 + 2 * 78);
    EXPECT_EQ(runs[78].x1, 103 + 2 * 78 + 16);

    // A narrow area: stripes end at IR - 2 and none starts right of it.
    in.IR = 103 + 40;
    runs.clear();
    run_freq_frames(in, w.get(), [&](const freq_run& r) { runs.push_back(r); });
    ASSERT_EQ(runs.size(), 20u);
    EXPECT_EQ(runs.back().x0, 141);
    EXPECT_EQ(runs.back().x1, 141);

    // Zoomed in far (1/8 frame per pixel) w is 8192 pixels: one clipped stripe.
    in.smpl_per_pix = 0.125;
    runs.clear();
    run_freq_frames(in, w.get(), [&](const freq_run& r) { runs.push_back(r); });
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].x1, 141);

    // Past the data: the first frame still runs, on zeros.
    in.smpl_per_pix = 64;
    in.draw_stt = cnt + 5;
    runs.clear();
    run_freq_frames(in, w.get(), [&](const freq_run& r) { runs.push_back(r); });
    EXPECT_EQ(runs.size(), 1u);
}

TEST(freq_frames, EachComponentOfTheSelectedChannelTakesItsLevelColour) {
    // A pure sine at bin 64 on the left (all imaginary in frames starting at
    // multiples of 128 frames), silence on the right.
    const int cnt = 4096;
    const auto buf = frames_of(
        cnt, [](int i) { return 300.0 * std::sin(2 * kPi * 64 * i / N); }, [](int) { return 0.0; });
    freq_frames_in in = tall_input(buf, cnt);
    guarded_work w;
    const tw_colorref black = lvl_color(0, 0, in.full_scale);
    for (int comp : {1, 2, 3}) {
        in.sel.comp = comp;
        std::vector<tw_colorref> c;
        run_freq_frames(in, w.get(), [&](const freq_run& r) { c.push_back(r.colors[N / 2 - 64]); });
        std::complex<double> x = 0;
        for (int k = 0; k < N; ++k)
            x += double(get_frame_sample(buf.data(), 128 + k, 0)) * std::polar(1.0, -2 * kPi * 64 * k / N);
        const double v = comp == 1 ? std::abs(x) : comp == 2 ? std::fabs(x.real()) : std::fabs(x.imag());
        EXPECT_EQ(c[1], lvl_color(v, 0, in.full_scale)) << "component " << comp;
        EXPECT_EQ(c[1] == black, comp == 2) << "component " << comp;
    }
    EXPECT_TRUE(w.intact()) << "no array written past N values";
    in.sel = freq_sel{2, 1, 1};
    std::vector<tw_colorref> right;
    run_freq_frames(in, w.get(), [&](const freq_run& r) { right.push_back(r.colors[N / 2 - 64]); });
    EXPECT_EQ(right[1], black) << "the right channel is silent";
}

}  // namespace
