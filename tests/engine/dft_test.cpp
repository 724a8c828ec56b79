#include "engine/dft.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <random>
#include <vector>

#include "engine/color_scale.h"

namespace {

using vec = std::vector<double>;

vec noise(int n, unsigned seed) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> d(-30000.0, 30000.0);
    vec v(n);
    for (auto& x : v) x = d(gen);
    return v;
}

// One direction on noise, every bin checked against a direct O(N^2)
// transform; a sentinel after each output catches writes past N.
void expect_matches_direct(int n, bool inverse, unsigned seed) {
    const vec re = noise(n, seed), im = noise(n, seed + 1);
    vec o_re(n + 1, 7.0), o_im(n + 1, 7.0);
    ASSERT_EQ((inverse ? exec_ivdft : exec_dft)(n, re.data(), im.data(), o_re.data(), o_im.data()), 0);
    const double sign = inverse ? 1.0 : -1.0;
    std::vector<std::complex<double>> w(n);
    for (int m = 0; m < n; ++m) w[m] = std::polar(1.0, sign * 2.0 * M_PI * m / n);
    const double tol = 3e-5 * (inverse ? 1.0 : n);
    for (int k = 0; k < n; ++k) {
        std::complex<double> acc = 0.0;
        for (int t = 0; t < n; ++t) acc += std::complex<double>(re[t], im[t]) * w[(1LL * k * t) % n];
        if (inverse) acc /= static_cast<double>(n);
        ASSERT_NEAR(o_re[k], acc.real(), tol) << "n=" << n << " bin " << k;
        ASSERT_NEAR(o_im[k], acc.imag(), tol) << "n=" << n << " bin " << k;
    }
    EXPECT_EQ(o_re[n], 7.0);
    EXPECT_EQ(o_im[n], 7.0);
}

TEST(Transform, BothDirectionsMatchTheDirectTransformAtEveryLengthTried) {
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
    const vec re = noise(1024, 5);
    vec im(1024, 0.0), s_re(1024), s_im(1024), b_re(1024), b_im(1024);
    exec_dft(1024, re.data(), im.data(), s_re.data(), s_im.data());
    exec_ivdft(1024, s_re.data(), s_im.data(), b_re.data(), b_im.data());
    for (int i = 0; i < 1024; ++i) {
        ASSERT_NEAR(b_re[i], re[i], 1e-9);
        ASSERT_NEAR(b_im[i], 0.0, 1e-9);
    }
}

TEST(Transform, ImpulseIsFlatAndAConstantFillsOnlyBinZero) {
    vec re(16, 0.0), im(16, 0.0), o_re(16), o_im(16);
    re[0] = 1.0;
    exec_dft(16, re.data(), im.data(), o_re.data(), o_im.data());
    for (int k = 0; k < 16; ++k) EXPECT_TRUE(std::abs(o_re[k] - 1.0) < 1e-15 && std::abs(o_im[k]) < 1e-15);
    std::fill(re.begin(), re.end(), 2.5);
    exec_dft(16, re.data(), im.data(), o_re.data(), o_im.data());
    EXPECT_NEAR(o_re[0], 40.0, 1e-12);
    for (int k = 1; k < 16; ++k) EXPECT_TRUE(std::abs(o_re[k]) < 1e-12 && std::abs(o_im[k]) < 1e-12);
}

TEST(Transform, OutputsMayBeTheInputArraysEvenCrossed) {
    const vec re = noise(512, 9), im = noise(512, 10);
    vec s_re(512), s_im(512);
    exec_dft(512, re.data(), im.data(), s_re.data(), s_im.data());
    vec a_re = re, a_im = im;
    exec_dft(512, a_re.data(), a_im.data(), a_re.data(), a_im.data());
    EXPECT_TRUE(a_re == s_re && a_im == s_im);
    vec c_re = re, c_im = im;
    exec_dft(512, c_re.data(), c_im.data(), c_im.data(), c_re.data());
    EXPECT_TRUE(c_im == s_re && c_re == s_im);
}

TEST(Transform, RejectedLengthsWriteNothing) {
    vec in(8200, 1.0), o_re(8200, 5.0), o_im(8200, 5.0);
    for (int n : {0, -4, 8193, 16384, 3, 1000}) {
        EXPECT_EQ(exec_dft(n, in.data(), in.data(), o_re.data(), o_im.data()), -1) << n;
        EXPECT_EQ(exec_ivdft(n, in.data(), in.data(), o_re.data(), o_im.data()), -1) << n;
    }
    EXPECT_TRUE(o_re == vec(8200, 5.0) && o_im == vec(8200, 5.0));
}

// Colours are 0x00BBGGRR. Over lo 0 .. hi 1024 (resp. 512) the value is
// the band index n itself.
TEST(ColourScales, LevelScaleChangesColourAtEachBandEdge) {
    EXPECT_EQ(lvl_color(0.5, 0.0, 1.0), 0x0000FFu);  // n = 512: pure red
    const std::pair<double, unsigned> cases[] = {
        {0, 0x000000},   {255, 0xFF0000}, {256, 0xFF0000},  {300, 0xD3002C},  {511, 0x0000FF},
        {767, 0x00FFFF}, {768, 0x00FFFF}, {1023, 0xFFFFFF}, {1024, 0xFFFFFF}, {-0.1, 0x000000}};
    for (auto [v, c] : cases) EXPECT_EQ(lvl_color(v, 0.0, 1024.0), c) << v;
    EXPECT_EQ(lvl_color(1.1, 0.0, 1.0), 0xFFFFFFu);
    EXPECT_EQ(lvl_color(0.5, 1.0, 1.0), 0x000000u);  // empty range
    EXPECT_EQ(lvl_color(std::nan(""), 0.0, 1.0), 0x000000u);
}

TEST(ColourScales, DifferenceScaleRunsFromBlueThroughBlackToRed) {
    EXPECT_EQ(dif_color(0.5, 0.0, 1.0), 0x000000u);  // n = 256: black
    const std::pair<double, unsigned> cases[] = {{0, 0xFF0000},   {100, 0x9B0000}, {255, 0x000000},
                                                 {300, 0x00002C}, {511, 0x0000FF}, {512, 0x0000FF},
                                                 {-1, 0xFF0000},  {513, 0x0000FF}};
    for (auto [v, c] : cases) EXPECT_EQ(dif_color(v, 0.0, 512.0), c) << v;
    EXPECT_EQ(dif_color(0.0, 2.0, -2.0), 0x000000u);
}

}  // namespace
