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

// Magnitude of bin b of a frame by the plain definition of the transform.
double direct_mag(const std::vector<unsigned char>& buf, int cnt, long long J, int chnl, int b) {
    std::complex<double> s = 0;
    for (int k = 0; k < N; ++k) {
        const double x = J + k < cnt ? get_frame_sample(buf.data(), J + k, chnl) : 0.0;
        s += x * std::polar(1.0, -2.0 * kPi * b * k / N);
    }
    return std::abs(s);
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

TEST(freq_labels, TwoThousandHertzIsLabelledAtBinsFortySixAndFortySevenOneRowApart) {
    const std::vector<freq_label> labels = freq_labels(50, 568, 0, N, 15);
    std::vector<int> at_2000;
    for (const freq_label& l : labels) {
        EXPECT_GT(l.y, 50 + 30) << "nothing within two cells of the top";
        EXPECT_EQ(l.y, 50 + 3 + (N / 2 - l.bin));
        EXPECT_EQ(l.hz % 2000, 0);
        if (l.hz == 2000) at_2000.push_back(l.bin);
    }
    ASSERT_EQ(at_2000.size(), 2u);
    EXPECT_EQ(at_2000[0], 47);
    EXPECT_EQ(at_2000[1], 46);
    EXPECT_EQ(freq_of_bin(46, N), 1981);
    EXPECT_EQ(freq_of_bin(47, N), 2024);
    EXPECT_EQ(labels.front().hz, 20000) << "22050 Hz at the top gets no label";

    // A short area scrolled by 100 rows starts at bin 412 and stops above IB - 3.
    for (const freq_label& l : freq_labels(50, 350, 100, N, 15)) {
        EXPECT_LE(l.bin, 412);
        EXPECT_LT(l.y, 347);
    }
}

TEST(freq_frames, BinsRunFromHalfTheRateOnTopToBinOneAtTheBottomInTheirOwnColours) {
    // Bin 512 (alternating samples) on the left, bin 1 (one period per frame) on the right.
    const int cnt = 4096;
    const auto buf = frames_of(
        cnt, [](int i) { return i % 2 == 0 ? 100.0 : -100.0; },
        [](int i) { return 200.0 * std::sin(2 * kPi * i / N); });
    for (int chnl : {1, 2}) {
        freq_frames_in in = tall_input(buf, cnt);
        in.sel.chnl = chnl;
        guarded_work w;
        std::vector<freq_run> runs;
        std::vector<std::vector<tw_colorref>> cols;
        run_freq_frames(in, w.get(), [&](const freq_run& r) {
            runs.push_back(r);
            cols.emplace_back(r.colors, r.colors + r.rows);
        });
        ASSERT_FALSE(runs.empty());
        EXPECT_TRUE(w.intact()) << "no array written past N values";
        const freq_run& r = runs[3];
        EXPECT_EQ(r.y0, 53);
        ASSERT_EQ(r.rows, 512) << "rows IT + 3 .. IB - 4";
        const int c = chnl - 1;
        const double top = direct_mag(buf, cnt, 3 * 128, c, 512);
        const double bottom = direct_mag(buf, cnt, 3 * 128, c, 1);
        EXPECT_EQ(cols[3][0], lvl_color(top, 0, in.full_scale)) << "channel " << chnl;
        EXPECT_EQ(cols[3][511], lvl_color(bottom, 0, in.full_scale)) << "channel " << chnl;
        EXPECT_NE(cols[3][chnl == 1 ? 0 : 511], lvl_color(0, 0, in.full_scale))
            << "the channel's own bin is lit";
        EXPECT_EQ(cols[3][256], lvl_color(0, 0, in.full_scale)) << "bin 256 is empty";
    }
}

TEST(freq_frames, StripesAreSixteenPixelsWideEveryTwoPixelsAndStopAtTheEdge) {
    const int cnt = 10000;
    const auto buf = frames_of(
        cnt, [](int) { return 0.0; }, [](int) { return 0.0; });
    freq_frames_in in = tall_input(buf, cnt);
    guarded_work w;
    std::vector<freq_run> runs;
    run_freq_frames(in, w.get(), [&](const freq_run& r) { runs.push_back(r); });
    ASSERT_EQ(runs.size(), 79u) << "frames start at 0, 128, ... while below the data count";
    for (std::size_t k = 0; k < runs.size(); ++k) {
        EXPECT_EQ(runs[k].x0, 103 + 2 * static_cast<int>(k));
        EXPECT_EQ(runs[k].x1 - runs[k].x0, 16);
    }

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

TEST(freq_frames, TheDifferenceScaleShowsTheFirstFrameAsZeroAndRisesWhereTheSoundGrows) {
    // Bin 64 throughout, twice as loud from frame 3000 on.
    const int cnt = 8000;
    auto tone = [](int i) { return (i < 3000 ? 300.0 : 600.0) * std::sin(2 * kPi * 64 * i / N); };
    const auto buf = frames_of(cnt, tone, tone);
    freq_frames_in in = tall_input(buf, cnt);
    in.sel.scale = 2;
    guarded_work w;
    std::vector<tw_colorref> row64;  // bin 64's colour of every frame
    run_freq_frames(in, w.get(), [&](const freq_run& r) { row64.push_back(r.colors[N / 2 - 64]); });
    const tw_colorref zero = dif_color(0, -in.full_scale, in.full_scale);
    ASSERT_GT(row64.size(), 30u);
    EXPECT_EQ(row64[0], zero) << "no predecessor: the value 0, not the frame's own level";
    EXPECT_EQ(row64[5], zero) << "a steady tone does not change";
    const tw_colorref rising = row64[3000 / 128];  // the frame holding the step
    EXPECT_NE(rising, zero);
    EXPECT_EQ(rising & 0xFF0000u, 0u) << "a rise goes towards red, not blue";

    // Magnitude against the real and imaginary parts on the level scale: the
    // tone is a pure sine in every frame at a multiple of 128 frames, so its
    // bin is all imaginary.
    in.sel.scale = 1;
    for (int comp : {1, 2, 3}) {
        in.sel.comp = comp;
        std::vector<tw_colorref> c;
        run_freq_frames(in, w.get(), [&](const freq_run& r) { c.push_back(r.colors[N / 2 - 64]); });
        std::complex<double> x = 0;
        for (int k = 0; k < N; ++k)
            x += double(get_frame_sample(buf.data(), 128 + k, 0)) * std::polar(1.0, -2 * kPi * 64 * k / N);
        const double v = comp == 1 ? std::abs(x) : comp == 2 ? std::fabs(x.real()) : std::fabs(x.imag());
        EXPECT_EQ(c[1], lvl_color(v, 0, in.full_scale)) << "component " << comp;
        EXPECT_EQ(c[1] == lvl_color(0, 0, in.full_scale), comp == 2) << "component " << comp;
    }
}

}  // namespace
