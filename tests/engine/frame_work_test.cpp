// The frame loop's bookkeeping around its arrays: slot sums formed when
// read, window sums kept with the slots, the per-bin loops, and the scans of
// the peak search and the de-spiking held against plain references on
// random data.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <vector>

#include "document/le_bytes.h"
#include "engine/chg_window.h"
#include "engine/de_spike.h"
#include "engine/extr_state.h"
#include "engine/frame_bins.h"
#include "engine/peak_search.h"

namespace {

std::vector<double> noise(int n, unsigned seed, double lo, double hi) {
    std::mt19937 g(seed);
    std::uniform_real_distribution<double> d(lo, hi);
    std::vector<double> v(n);
    for (double& x : v) x = d(g);
    return v;
}

// ---- History slots ----

TEST(history_slots, ASlotSumIsTheBinOrderSumOfTheMagnitudesItWasFilledWith) {
    auto ring = std::make_unique<hst_ring>();
    const std::vector<double> v = noise(1024, 1, 0.0, 1e6);
    std::copy(v.begin(), v.end(), ring->refill_abs(0));
    ring->set_sum_of_abs(0, 1000);  // the first 1000 bins only
    double want = 0.0;
    for (int j = 0; j < 1000; ++j) want += v[j];
    ring->shift();  // the sum travels with its slot
    EXPECT_EQ(ring->sum(1), want);
    ring->set_sum(1, 5.0);
    EXPECT_EQ(ring->sum(1), 5.0);
}

TEST(history_slots, WritingMagnitudesInPlaceKeepsTheSumTheSlotHadAndDropsItsWindowSums) {
    auto ring = std::make_unique<hst_ring>();
    const chg_grid g = chg_grid_for(1024, 4);
    std::fill_n(ring->refill_abs(3), 1024, 2.0);
    ring->set_sum_of_abs(3, 1024);
    ring->sum_windows(3, g);
    EXPECT_TRUE(chg_wsum_valid(ring->wsum_tag(3), g));
    EXPECT_EQ(ring->wsum(3)[0], 18.0);
    ring->abs(3)[0] = 1000.0;  // the sum was formed before this write
    EXPECT_EQ(ring->sum(3), 2048.0);
    EXPECT_FALSE(chg_wsum_valid(ring->wsum_tag(3), g));
    ring->clear(1024);
    EXPECT_EQ(ring->sum(3), 0.0);
    EXPECT_FALSE(chg_wsum_valid(ring->wsum_tag(3), g));
    // Sums kept for one grid are not taken for another.
    ring->sum_windows(3, g);
    EXPECT_FALSE(chg_wsum_valid(ring->wsum_tag(3), chg_grid_for(1024, 6)));
    EXPECT_FALSE(chg_wsum_valid(ring->wsum_tag(3), chg_grid_for(2048, 4)));
}

TEST(history_slots, APendingDifferenceIsFormedWhenFirstReadAndThenHeldLikeAnyValue) {
    auto ring = std::make_unique<hst_ring>();
    std::vector<double> a_re = noise(64, 3, -1e6, 1e6), a_im = noise(64, 4, -1e6, 1e6);
    std::vector<double> b_re = noise(64, 5, -1e6, 1e6), b_im = noise(64, 6, -1e6, 1e6);
    ring->re(2)[40] = 7.0;  // beyond the difference's bins: kept
    ring->set_diff(2, 32, a_re.data(), a_im.data(), b_re.data(), b_im.data());
    ring->shift();  // the pending difference travels with its slot
    const hst_ring& r = *ring;
    for (int j = 0; j < 32; ++j) {
        ASSERT_EQ(r.re(3)[j], a_re[j] - b_re[j]) << j;
        ASSERT_EQ(r.im(3)[j], a_im[j] - b_im[j]) << j;
    }
    EXPECT_EQ(r.re(3)[40], 7.0);
    // Formed once: later changes of the sources no longer reach the slot,
    // and a write into the slot stays.
    a_re[0] += 1.0;
    ring->re(3)[1] = -2.0;
    EXPECT_EQ(r.re(3)[0], a_re[0] - 1.0 - b_re[0]);
    EXPECT_EQ(r.re(3)[1], -2.0);
    // A cleared ring forgets what was pending.
    ring->set_diff(0, 32, a_re.data(), a_im.data(), b_re.data(), b_im.data());
    ring->clear(64);
    EXPECT_EQ(r.re(0)[5], 0.0);
    EXPECT_EQ(r.im(0)[5], 0.0);
}

TEST(history_slots, PendingMagnitudesAreFormedBeforeAnyReadOrWriteOfTheirSlot) {
    auto ring = std::make_unique<hst_ring>();
    const std::vector<double> re = noise(64, 7, -1e5, 1e5), im = noise(64, 8, -1e5, 1e5);
    std::copy(re.begin(), re.end(), ring->re(0));
    std::copy(im.begin(), im.end(), ring->im(0));
    ring->defer_magnitudes(0, 32, 64);
    ring->set_sum_of_abs(0, 64);
    double want = 0.0;
    for (int j = 0; j < 64; ++j) want += j < 32 ? 0.0 : std::sqrt(re[j] * re[j] + im[j] * im[j]);
    EXPECT_EQ(ring->sum(0), want);  // the sum takes the formed bins
    const hst_ring& r = *ring;
    for (int j = 32; j < 64; ++j) ASSERT_EQ(r.abs(0)[j], std::sqrt(re[j] * re[j] + im[j] * im[j])) << j;
    // A write into the spectrum after the deferral does not reach the
    // magnitudes: they are formed before the row is handed out.
    ring->defer_magnitudes(0, 32, 64);
    ring->re(0)[40] = 0.0;
    EXPECT_EQ(r.abs(0)[40], std::sqrt(re[40] * re[40] + im[40] * im[40]));

    // Increases of a change slot: of the magnitudes of a over those of b.
    std::vector<double> b_re = noise(64, 9, -1e5, 1e5), b_im = noise(64, 10, -1e5, 1e5);
    ring->set_diff(1, 64, re.data(), im.data(), b_re.data(), b_im.data());
    ring->defer_increases(1, 16, 64);
    ring->refill_abs(2);  // another slot: nothing formed there
    for (int j = 16; j < 64; ++j) {
        const double inc =
            std::sqrt(re[j] * re[j] + im[j] * im[j]) - std::sqrt(b_re[j] * b_re[j] + b_im[j] * b_im[j]);
        ASSERT_EQ(r.abs(1)[j], inc > 0.0 ? inc : 0.0) << j;
    }
    // Refilling drops what was pending.
    ring->defer_increases(1, 16, 64);
    ring->refill_abs(1)[20] = 5.0;
    EXPECT_EQ(r.abs(1)[20], 5.0);
}

TEST(history_slots, TheSpareRowBecomesSlotZeroAndKeepsTheOldestSlotUntilWritten) {
    auto ring = std::make_unique<hst_ring>();
    for (int s = 0; s < hst_depth; ++s) ring->re(s)[0] = s;
    ring->next_re()[0] = -1.0;
    ring->shift();
    EXPECT_EQ(ring->re(0)[0], -1.0);
    for (int s = 1; s < hst_depth; ++s) EXPECT_EQ(ring->re(s)[0], s - 1) << s;
    EXPECT_EQ(ring->next_re()[0], 15.0);                    // the old slot 15
    EXPECT_EQ(ring->re(hst_depth + 2)[0], ring->re(2)[0]);  // slots are taken modulo 16
}

// ---- Window sums ----

TEST(change_windows, TheGridAndItsSumsAreThoseOfThePlainLoopForEveryHalfWidth) {
    std::vector<double> v = noise(8192, 2, 0.0, 5e5);
    // Signed zeros and a few negative terms: a sum starts from +0.0 and
    // adds in window order, so -0.0 + -0.0 windows still give +0.0.
    for (int j = 0; j < 40; ++j) v[j] = j % 3 == 0 ? -0.0 : (j % 3 == 1 ? 0.0 : -1e-3 * j);
    for (const int n : {1024, 64, 8192, 17, 1030}) {
        for (int h = 0; h <= 9; ++h) {
            const chg_grid g = chg_grid_for(n, h);
            int count = 0;
            std::vector<double> want;
            for (int k = h; k < n / 2 - h; k += g.step, ++count) {
                double s = 0.0;
                for (int j = k - h; j <= k + h; ++j) s += v[j];
                want.push_back(s);
            }
            ASSERT_EQ(g.count, count) << "n " << n << " h " << h;
            if (g.tag == chg_wsum_none) continue;
            std::vector<double> got(chg_wsum_cap + 1, -1.0);
            chg_window_sums(v.data(), g, got.data());
            if (!want.empty()) {  // memcmp must not be given the null data of an empty vector
                ASSERT_EQ(std::memcmp(got.data(), want.data(), 8 * want.size()), 0) << "n " << n << " h " << h;
            }
            ASSERT_EQ(got[count], -1.0);
        }
    }
    EXPECT_EQ(chg_grid_for(8192, 1).tag, chg_wsum_none);  // 4095 windows: more than a cache holds
}

// ---- Per-bin loops of a frame ----

TEST(frame_bins, SamplesAreReadFromTheirChannelWithZerosOutsideTheRecording) {
    std::vector<unsigned char> buf(4 * 10);
    for (int f = 0; f < 10; ++f) {
        put_frame_sample(buf.data(), f, 0, static_cast<std::int16_t>(-1000 * f - 1));
        put_frame_sample(buf.data(), f, 1, static_cast<std::int16_t>(f == 9 ? 32767 : 7 * f));
    }
    std::vector<double> out(16, 99.0);
    frame_samples(buf.data(), 10, -3, 1, 15, out.data());
    EXPECT_EQ(out, (std::vector<double>{0, 0, 0, 0, 7, 14, 21, 28, 35, 42, 49, 56, 32767, 0, 0, 99.0}));
    frame_samples(buf.data(), 10, 6, 0, 6, out.data());
    EXPECT_EQ(std::vector<double>(out.begin(), out.begin() + 6),
              (std::vector<double>{-6001, -7001, -8001, -9001, 0, 0}));
    frame_samples(nullptr, 0, 0, 0, 4, out.data());  // no recording: silence
    EXPECT_EQ(std::vector<double>(out.begin(), out.begin() + 4), (std::vector<double>(4, 0.0)));
}

TEST(frame_bins, MagnitudesAreCorrectlyRoundedAndTheVolumeIsTheExactSampleSum) {
    const std::vector<double> re = noise(1024, 3, -1e7, 1e7), im = noise(1024, 4, -1e7, 1e7);
    std::vector<double> frm(1024);
    long long exact = 0;
    for (int j = 0; j < 1024; ++j) {
        frm[j] = j % 3 == 0 ? -32768.0 : static_cast<double>((j * 7919) % 65536 - 32768);
        exact += static_cast<long long>(std::fabs(frm[j]));
    }
    std::vector<double> mag(1024), copy(1024), inc(1024);
    const std::vector<double> p_abs(1024, 0.0);
    const double volume = frame_volume(1023, frm.data());
    frame_abs_changes(1023, re.data(), im.data(), p_abs.data(), mag.data(), copy.data(), inc.data());
    EXPECT_EQ(volume, static_cast<double>(exact - static_cast<long long>(std::fabs(frm[1023]))));
    for (int j = 0; j < 1023; ++j) ASSERT_EQ(mag[j], std::sqrt(re[j] * re[j] + im[j] * im[j])) << j;
    EXPECT_EQ(mag[1023], 0.0);  // past n: untouched
}

TEST(frame_bins, AChangeKeepsOnlyPositiveIncreasesAsPositiveZeros) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    // Magnitudes 3, 1, 2 and 1 against the previous frame's 1, 4, 2 and NaN.
    const double re[] = {3, 1, 0, 1}, im[] = {0, 0, 2, 0};
    const double p_abs[] = {1.0, 4.0, 2.0, nan};
    double abs[4], copy[4], c_abs[4];
    frame_abs_changes(4, re, im, p_abs, abs, copy, c_abs);
    EXPECT_EQ(std::vector<double>(abs, abs + 4), (std::vector<double>{3.0, 1.0, 2.0, 1.0}));
    EXPECT_EQ(std::vector<double>(c_abs, c_abs + 4), (std::vector<double>{2.0, 0.0, 0.0, 0.0}));
    EXPECT_FALSE(std::signbit(c_abs[2]));  // 2 - 2: a positive zero
}

TEST(frame_bins, MagnitudesAndTheirIncreasesInOnePassAreThoseOfThePlainLoops) {
    const int n = 515;  // a tail past the vector width
    const std::vector<double> re = noise(n, 21, -1e6, 1e6), im = noise(n, 22, -1e6, 1e6);
    std::vector<double> p_abs = noise(n, 23, 0.0, 1.5e6);
    std::vector<double> want_abs(n + 1, -1.0), want_c(n + 1, -1.0);
    for (int j = 0; j < n; ++j) want_abs[j] = std::sqrt(re[j] * re[j] + im[j] * im[j]);
    p_abs[7] = want_abs[7];  // no increase: a positive zero
    for (int j = 0; j < n; ++j) {
        const double inc = want_abs[j] - p_abs[j];
        want_c[j] = inc > 0.0 ? inc : 0.0;
    }
    std::vector<double> abs(n + 1, -1.0), copy(n + 1, -1.0), c(n + 1, -1.0);
    frame_abs_changes(n, re.data(), im.data(), p_abs.data(), abs.data(), copy.data(), c.data());
    EXPECT_EQ(std::memcmp(abs.data(), want_abs.data(), 8 * (n + 1)), 0);
    EXPECT_EQ(std::memcmp(copy.data(), want_abs.data(), 8 * (n + 1)), 0);
    EXPECT_EQ(std::memcmp(c.data(), want_c.data(), 8 * (n + 1)), 0);
    EXPECT_FALSE(std::signbit(c[7]));
}

// ---- Peak search against its plain definition ----

std::vector<int> plain_peaks(const std::vector<double>& v, int max_cnt) {
    const int n = static_cast<int>(v.size());
    std::vector<int> out;
    for (int i = 1; i <= n - 1; ++i) {
        const bool peak =
            i == n - 1 ? v[n - 2] < v[n - 1] : (i == 1 ? v[1] > v[2] : v[i - 1] <= v[i] && v[i] > v[i + 1]);
        if (!peak) continue;
        if (static_cast<int>(out.size()) < max_cnt) {
            out.push_back(i);
        } else if (v[out.back()] < v[i]) {
            out.back() = i;
        } else {
            continue;
        }
        for (std::size_t a = 0; a + 1 < out.size(); ++a)
            for (std::size_t b = a + 1; b < out.size(); ++b)
                if (v[out[b]] > v[out[a]]) std::swap(out[a], out[b]);
    }
    return out;
}

TEST(peak_scan, PassingOverWeakBinsFindsThePlainListOnRoughSpectra) {
    std::mt19937 g(5);
    for (int round = 0; round < 300; ++round) {
        std::vector<double> v(512);
        for (double& x : v) x = static_cast<double>(g() % (round % 7 + 2));  // many plateaus and ties
        if (round % 5 == 0) v[g() % 512] = std::numeric_limits<double>::quiet_NaN();
        if (round % 6 == 0) v[g() % 512] = -std::numeric_limits<double>::infinity();
        for (const int m : {1, 4}) {
            std::vector<int> out(m, -1);
            const int cnt = srch_peak(m, 512, v.data(), out.data());
            ASSERT_EQ(std::vector<int>(out.begin(), out.begin() + cnt), plain_peaks(v, m))
                << "round " << round;
        }
    }
}

// ---- De-spiking against its plain definition ----

// The smoothing written out frame by frame (frame -1 reads frame 0).
void plain_de_spike(std::vector<int>& w, std::int64_t cap, std::int64_t len) {
    auto get = [&](std::int64_t k) { return w[std::max<std::int64_t>(k, 0)]; };
    auto clamp16 = [](double x) { return static_cast<int>(std::clamp(x, -32768.0, 32767.0)); };
    std::int64_t i = 4;
    while (i < len - 4 && i + 5 < cap) {
        if (std::abs(get(i) - get(i - 1)) <= 20000) {
            ++i;
            continue;
        }
        const int m = (get(i) + get(i - 1)) / 2;
        w[i] = m;
        for (int c = 4; c >= 2; --c) {
            const std::int64_t k = i - (c - 1);
            const double w1 = get(k - 1), w2 = get(k - 2);
            w[k] = clamp16(w1 + 0.5 * ((w1 - w2) + (m - w1) / c));
        }
        for (int c = 4; c >= 2; --c) {
            const std::int64_t k = i + (c - 1);
            const double w1 = get(k + 1), w2 = get(k + 2);
            w[k] = clamp16(w1 + 0.5 * ((w1 - w2) + (m - w1) / c));
        }
        i += 4;
    }
}

TEST(de_spike_scan, JumpsAnywhereAmongTheFramesAreFoundOnEitherChannel) {
    std::mt19937 g(8);
    for (int round = 0; round < 200; ++round) {
        const int frames = 40 + static_cast<int>(g() % 60);
        std::vector<int> ch[2];
        std::vector<unsigned char> buf(4 * frames);
        for (int c = 0; c < 2; ++c) {
            ch[c].resize(frames);
            for (int f = 0; f < frames; ++f) {
                // Quiet samples with a few full-range jumps.
                ch[c][f] = g() % 9 == 0 ? static_cast<int>(g() % 65536) - 32768
                                        : static_cast<int>(g() % 2001) - 1000;
                put_frame_sample(buf.data(), f, c, static_cast<std::int16_t>(ch[c][f]));
            }
        }
        const int c = round % 2;
        const std::int64_t len = frames - static_cast<int>(g() % 8);
        std::vector<int> want = ch[c];
        plain_de_spike(want, frames, len);
        de_spike_samples(buf.data(), c, frames, len);
        for (int f = 0; f < frames; ++f) {
            ASSERT_EQ(get_frame_sample(buf.data(), f, c), want[f]) << "round " << round << " frame " << f;
            ASSERT_EQ(get_frame_sample(buf.data(), f, 1 - c), ch[1 - c][f]);
        }
    }
}

}  // namespace
