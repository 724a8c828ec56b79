// The transform must give exactly the doubles of the plain radix-2
// algorithm, whichever kernel runs: a change of one bit in a spectrum can
// change a decision of the engine. The reference below is that algorithm
// written out the straightforward way (scatter, full-circle tables indexed
// with stride G, groups outer, division by N).

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "engine/dft.h"
#include "engine/dft_kernel.h"

namespace {

using vec = std::vector<double>;

void reference(int n, const vec& in_re, const vec& in_im, vec& out_re, vec& out_im, bool inverse) {
    int stages = 0;
    while ((1 << stages) < n) ++stages;
    std::vector<int> t(n, 0);
    for (int b = 1, s = 0; s < stages; ++s, b *= 2) {
        for (int j = 0; j < b; ++j) t[b + j] = t[j] + n / (2 * b);
    }
    vec re(n), im(n), c(n), sn(n);
    for (int i = 0; i < n; ++i) re[t[i]] = in_re[i], im[t[i]] = in_im[i];
    const double step = 2.0 * std::acos(-1.0) / n;
    for (int k = 0; k < n; ++k) {
        c[k] = std::cos(k * step);
        sn[k] = inverse ? -std::sin(k * step) : std::sin(k * step);
    }
    for (int b = 1; b < n; b *= 2) {
        const int groups = n / (2 * b);
        for (int g = 0; g < groups; ++g) {
            for (int j = 0; j < b; ++j) {
                const int u = g * 2 * b + j, l = u + b, k = j * groups, k2 = k + n / 2;
                const double t_re = re[l] * c[k] + im[l] * sn[k];
                const double t_im = im[l] * c[k] - re[l] * sn[k];
                const double l_re = re[u] + (re[l] * c[k2] + im[l] * sn[k2]);
                const double l_im = im[u] + (im[l] * c[k2] - re[l] * sn[k2]);
                re[u] += t_re, im[u] += t_im;
                re[l] = l_re, im[l] = l_im;
            }
        }
    }
    out_re.assign(n, 0.0), out_im.assign(n, 0.0);
    for (int i = 0; i < n; ++i) {
        out_re[i] = inverse ? re[i] / n : re[i];
        out_im[i] = inverse ? im[i] / n : im[i];
    }
}

bool same_bits(const vec& a, const vec& b, std::size_t n) {
    return std::memcmp(a.data(), b.data(), 8 * n) == 0;
}

// Inputs of several kinds: frames of 16-bit samples (imaginary zero), full
// complex noise, and values with signed zeros and tiny magnitudes.
void make_input(int n, int kind, std::mt19937_64& g, vec& re, vec& im) {
    std::uniform_real_distribution<double> d(-40000.0, 40000.0);
    re.assign(n, 0.0), im.assign(n, 0.0);
    for (int i = 0; i < n; ++i) {
        if (kind == 0) {
            re[i] = std::trunc(d(g) * 0.8);
        } else if (kind == 1) {
            re[i] = d(g), im[i] = d(g);
        } else {
            re[i] = i % 3 == 0 ? -0.0 : d(g) * 1e-300;
            im[i] = i % 5 == 0 ? -0.0 : 0.0;
        }
    }
}

class transform_exact : public ::testing::TestWithParam<bool> {
   protected:
    void SetUp() override { dft_select_kernel(GetParam()); }
    void TearDown() override { dft_select_kernel(false); }
};

TEST_P(transform_exact, BothDirectionsGiveTheReferenceBitsAtEveryLength) {
    std::mt19937_64 g(7);
    vec re, im, want_re, want_im;
    for (int n = 1; n <= dft_max_len; n *= 2) {
        for (int kind = 0; kind < 3; ++kind) {
            make_input(n, kind, g, re, im);
            for (const bool inverse : {false, true}) {
                reference(n, re, im, want_re, want_im, inverse);
                vec o_re(n + 1, 9.0), o_im(n + 1, 9.0);  // sentinel after N values
                ASSERT_EQ(
                    (inverse ? exec_ivdft : exec_dft)(n, re.data(), im.data(), o_re.data(), o_im.data()), 0);
                ASSERT_TRUE(same_bits(o_re, want_re, n) && same_bits(o_im, want_im, n))
                    << "n=" << n << " kind " << kind << (inverse ? " inverse" : " forward");
                ASSERT_TRUE(o_re[n] == 9.0 && o_im[n] == 9.0) << "write past N at n=" << n;
            }
        }
    }
}

TEST_P(transform_exact, OutputsWrittenOverTheInputsAndLengthsAlternatingKeepTheBits) {
    std::mt19937_64 g(11);
    vec re, im, want_re, want_im;
    for (const int n : {1024, 16, 8192, 32, 1024}) {
        make_input(n, 1, g, re, im);
        for (const bool inverse : {false, true}) {
            reference(n, re, im, want_re, want_im, inverse);
            vec a = re, b = im;  // in place, real and imaginary crossed
            (inverse ? exec_ivdft : exec_dft)(n, a.data(), b.data(), b.data(), a.data());
            ASSERT_TRUE(same_bits(b, want_re, n) && same_bits(a, want_im, n)) << "n=" << n;
        }
    }
}

TEST_P(transform_exact, RealInputGivesTheBitsOfZeroImaginaryParts) {
    std::mt19937_64 g(13);
    vec re, im, want_re, want_im;
    for (int n = 1; n <= dft_max_len; n *= 2) {
        make_input(n, 0, g, re, im);  // imaginary parts all +0.0
        reference(n, re, im, want_re, want_im, false);
        vec o_re(n + 1, 9.0), o_im(n + 1, 9.0);
        ASSERT_EQ(exec_dft_real(n, re.data(), o_re.data(), o_im.data()), 0);
        ASSERT_TRUE(same_bits(o_re, want_re, n) && same_bits(o_im, want_im, n)) << "n=" << n;
        ASSERT_TRUE(o_re[n] == 9.0 && o_im[n] == 9.0) << "write past N at n=" << n;
        vec a = re;  // output over the input
        exec_dft_real(n, a.data(), a.data(), o_im.data());
        ASSERT_TRUE(same_bits(a, want_re, n)) << "in place, n=" << n;
    }
    vec out(8, 0.0);
    EXPECT_EQ(exec_dft_real(12, re.data(), out.data(), out.data()), -1);
    EXPECT_EQ(exec_dft(8, re.data(), nullptr, out.data(), out.data()), -1);
    EXPECT_EQ(exec_ivdft(8, re.data(), nullptr, out.data(), out.data()), -1);
}

INSTANTIATE_TEST_SUITE_P(kernels, transform_exact, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& p) {
                             return p.param ? "portable" : "fastest";
                         });

}  // namespace
