#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <random>
#include <vector>

#include "engine/color_scale.h"
#include "engine/dft.h"

namespace {

using cvec = std::vector<std::complex<double>>;

// Direct O(N^2) transform: sign -1 forward (unscaled), +1 inverse (scaled 1/N).
cvec direct_dft(const std::vector<double>& re, const std::vector<double>& im, int sign) {
    const int n = static_cast<int>(re.size());
    cvec w(n), out(n);
    for (int m = 0; m < n; ++m) w[m] = std::polar(1.0, sign * 2.0 * M_PI * m / n);
    for (int k = 0; k < n; ++k) {
        std::complex<double> acc = 0.0;
        for (int t = 0; t < n; ++t) {
            acc += std::complex<double>(re[t], im[t]) * w[(static_cast<long long>(k) * t) % n];
        }
        out[k] = sign > 0 ? acc / static_cast<double>(n) : acc;
    }
    return out;
}

std::vector<double> noise(int n, unsigned seed) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> d(-30000.0, 30000.0);
    std::vector<double> v(n);
    for (auto& x : v) x = d(gen);
    return v;
}

// Runs one direction and checks every bin against the direct transform.
void expect_matches_direct(int n, bool inverse, unsigned seed) {
    const auto re = noise(n, seed);
    const auto im = noise(n, seed + 1);
    std::vector<double> out_re(n + 1, 7.0), out_im(n + 1, 7.0);  // one sentinel past the end
    const int rc = inverse ? exec_ivdft(n, re.data(), im.data(), out_re.data(), out_im.data())
                           : exec_dft(n, re.data(), im.data(), out_re.data(), out_im.data());
    ASSERT_EQ(rc, 0);
    const cvec ref = direct_dft(re, im, inverse ? 1 : -1);
    const double tol = 1e-9 * 30000.0 * (inverse ? 1.0 : n);
    for (int k = 0; k < n; ++k) {
        ASSERT_NEAR(out_re[k], ref[k].real(), tol) << "n=" << n << " bin " << k;
        ASSERT_NEAR(out_im[k], ref[k].imag(), tol) << "n=" << n << " bin " << k;
    }
    EXPECT_EQ(out_re[n], 7.0);
    EXPECT_EQ(out_im[n], 7.0);
}

TEST(Transform, BothDirectionsMatchTheDirectTransformForEveryLengthTried) {
    for (int n : {1, 2, 4, 8, 64, 1024, 8192}) {
        expect_matches_direct(n, false, 10u + n);
        expect_matches_direct(n, true, 20u + n);
    }
}

TEST(Transform, AlternatingLengthsRebuildTheTablesEachTime) {
    for (int round = 0; round < 2; ++round) {
        expect_matches_direct(256, false, 1);
        expect_matches_direct(32, true, 2);
        expect_matches_direct(32, false, 3);
        expect_matches_direct(256, true, 4);
    }
}

TEST(Transform, ForwardThenInverseReturnsA1024SampleFrame) {
    auto re = noise(1024, 5);
    std::vector<double> im(1024, 0.0), s_re(1024), s_im(1024), b_re(1024), b_im(1024);
    ASSERT_EQ(exec_dft(1024, re.data(), im.data(), s_re.data(), s_im.data()), 0);
    ASSERT_EQ(exec_ivdft(1024, s_re.data(), s_im.data(), b_re.data(), b_im.data()), 0);
    for (int i = 0; i < 1024; ++i) {
        EXPECT_NEAR(b_re[i], re[i], 1e-9);
        EXPECT_NEAR(b_im[i], 0.0, 1e-9);
    }
}

TEST(Transform, ImpulseGivesAFlatSpectrumAndAConstantOnlyBinZero) {
    std::vector<double> re(16, 0.0), im(16, 0.0), o_re(16), o_im(16);
    re[0] = 1.0;
    exec_dft(16, re.data(), im.data(), o_re.data(), o_im.data());
    for (int k = 0; k < 16; ++k) {
        EXPECT_NEAR(o_re[k], 1.0, 1e-15);
        EXPECT_NEAR(o_im[k], 0.0, 1e-15);
    }
    std::fill(re.begin(), re.end(), 2.5);
    exec_dft(16, re.data(), im.data(), o_re.data(), o_im.data());
    EXPECT_NEAR(o_re[0], 40.0, 1e-12);
    for (int k = 1; k < 16; ++k) {
        EXPECT_NEAR(o_re[k], 0.0, 1e-12);
        EXPECT_NEAR(o_im[k], 0.0, 1e-12);
    }
}

TEST(Transform, LengthOneCopiesForwardAndDividesByOneInverse) {
    double re = -3.25, im = 8.0, o_re = 0.0, o_im = 0.0;
    ASSERT_EQ(exec_dft(1, &re, &im, &o_re, &o_im), 0);
    EXPECT_EQ(o_re, -3.25);
    EXPECT_EQ(o_im, 8.0);
    ASSERT_EQ(exec_ivdft(1, &re, &im, &o_re, &o_im), 0);
    EXPECT_EQ(o_re, -3.25);
    EXPECT_EQ(o_im, 8.0);
}

TEST(Transform, OutputsMayBeTheInputArrays) {
    auto re = noise(512, 9);
    auto im = noise(512, 10);
    std::vector<double> s_re(512), s_im(512);
    exec_dft(512, re.data(), im.data(), s_re.data(), s_im.data());
    auto a_re = re, a_im = im;
    ASSERT_EQ(exec_dft(512, a_re.data(), a_im.data(), a_re.data(), a_im.data()), 0);
    EXPECT_EQ(a_re, s_re);
    EXPECT_EQ(a_im, s_im);
    // Crossed aliasing: the real output written over the imaginary input.
    auto c_re = re, c_im = im;
    ASSERT_EQ(exec_dft(512, c_re.data(), c_im.data(), c_im.data(), c_re.data()), 0);
    EXPECT_EQ(c_im, s_re);
    EXPECT_EQ(c_re, s_im);
}

TEST(Transform, RejectedLengthsWriteNothing) {
    std::vector<double> in(8200, 1.0), o_re(8200, 5.0), o_im(8200, 5.0);
    for (int n : {0, -4, 8193, 16384, 3, 1000}) {
        EXPECT_EQ(exec_dft(n, in.data(), in.data(), o_re.data(), o_im.data()), -1) << n;
        EXPECT_EQ(exec_ivdft(n, in.data(), in.data(), o_re.data(), o_im.data()), -1) << n;
    }
    for (int i = 0; i < 8200; ++i) ASSERT_TRUE(o_re[i] == 5.0 && o_im[i] == 5.0);
}

TEST(ColourScales, LevelScaleBandEdges) {
    // lo 0, hi 1024: the value is the band index n itself.
    EXPECT_EQ(lvl_color(0.5, 0.0, 1.0), 0x0000FFu);  // n = 512: pure red
    EXPECT_EQ(lvl_color(0.0, 0.0, 1024.0), 0x000000u);
    EXPECT_EQ(lvl_color(255.0, 0.0, 1024.0), 0xFF0000u);   // full blue
    EXPECT_EQ(lvl_color(256.0, 0.0, 1024.0), 0xFF0000u);   // blue to red starts at blue
    EXPECT_EQ(lvl_color(300.0, 0.0, 1024.0), 0xD3002Cu);   // blue 211, red 44
    EXPECT_EQ(lvl_color(511.0, 0.0, 1024.0), 0x0000FFu);
    EXPECT_EQ(lvl_color(767.0, 0.0, 1024.0), 0x00FFFFu);   // yellow
    EXPECT_EQ(lvl_color(768.0, 0.0, 1024.0), 0x00FFFFu);
    EXPECT_EQ(lvl_color(1023.0, 0.0, 1024.0), 0xFFFFFFu);  // blue 255
    EXPECT_EQ(lvl_color(1024.0, 0.0, 1024.0), 0xFFFFFFu);
    EXPECT_EQ(lvl_color(-0.1, 0.0, 1.0), 0x000000u);
    EXPECT_EQ(lvl_color(1.1, 0.0, 1.0), 0xFFFFFFu);
    EXPECT_EQ(lvl_color(0.5, 1.0, 1.0), 0x000000u);  // empty range
    EXPECT_EQ(lvl_color(std::nan(""), 0.0, 1.0), 0x000000u);
}

TEST(ColourScales, DifferenceScaleBandEdges) {
    EXPECT_EQ(dif_color(0.5, 0.0, 1.0), 0x000000u);  // n = 256: black
    EXPECT_EQ(dif_color(0.0, 0.0, 512.0), 0xFF0000u);
    EXPECT_EQ(dif_color(100.0, 0.0, 512.0), 0x9B0000u);  // blue 155
    EXPECT_EQ(dif_color(255.0, 0.0, 512.0), 0x000000u);
    EXPECT_EQ(dif_color(511.0, 0.0, 512.0), 0x0000FFu);
    EXPECT_EQ(dif_color(300.0, 0.0, 512.0), 0x00002Cu);  // red 44
    EXPECT_EQ(dif_color(512.0, 0.0, 512.0), 0x0000FFu);
    EXPECT_EQ(dif_color(-1.0, 0.0, 512.0), 0xFF0000u);
    EXPECT_EQ(dif_color(513.0, 0.0, 512.0), 0x0000FFu);
    EXPECT_EQ(dif_color(0.0, 2.0, -2.0), 0x000000u);
}

}  // namespace
