#include "engine/peak_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

// The peaks found with room for max_cnt; the list must not be written past them.
std::vector<int> peaks(std::vector<double> v, int max_cnt = 4) {
    std::vector<int> out(std::max(max_cnt, 0) + 1, -99);
    const int cnt = srch_peak(max_cnt, static_cast<int>(v.size()), v.data(), out.data());
    for (std::size_t i = cnt; i < out.size(); ++i) EXPECT_EQ(out[i], -99);
    return std::vector<int>(out.begin(), out.begin() + cnt);
}

TEST(srch_peak, ARisingSpectrumPeaksOnlyAtItsLastBin) {
    std::vector<double> v(512);
    for (int i = 0; i < 512; ++i) v[i] = i * 0.5;
    EXPECT_EQ(peaks(v), std::vector<int>{511});
}

TEST(srch_peak, AFlatSpectrumHasNoInteriorPeakAndBinOneNeedsOnlyExceedBinTwo) {
    std::vector<double> v(512, 3.0);
    EXPECT_EQ(peaks(v), std::vector<int>{});
    v[1] = 4.0;
    EXPECT_EQ(peaks(v), std::vector<int>{1});
    v.assign(16, 0.0);
    v[0] = 100.0;  // bin 0 is never a peak
    EXPECT_EQ(peaks(v), std::vector<int>{});
}

TEST(srch_peak, APlateauCountsAtItsRightEnd) {
    EXPECT_EQ(peaks({0, 0, 1, 5, 5, 5, 1, 0, 0, 0}), std::vector<int>{5});
}

TEST(srch_peak, PeaksComeStrongestFirstAndOnlyAStrongerOneReplacesTheWeakest) {
    EXPECT_EQ(peaks({0, 2, 0, 9, 0, 4, 0, 7, 0, 1, 0, 8, 0}), (std::vector<int>{3, 11, 7, 5}));
    std::vector<double> v(40, 0.0);
    for (int k : {3, 9, 15, 21, 27}) v[k] = 6.0;  // five equal peaks: the first four stay
    EXPECT_EQ(peaks(v), (std::vector<int>{3, 9, 15, 21}));
    v[27] = 6.5;
    EXPECT_EQ(peaks(v), (std::vector<int>{27, 9, 15, 3}));  // the exchange moves 3 to the end
    EXPECT_EQ(peaks({0, 3, 0, 8, 0, 8, 0, 5, 0}, 1), std::vector<int>{3});
}

TEST(srch_peak, DegenerateArgumentsReadNothingOutsideTheSpectrum) {
    EXPECT_EQ(peaks({5.0}), std::vector<int>{});
    EXPECT_EQ(peaks({0, 1, 0, 2, 0}, 0), std::vector<int>{});
    EXPECT_EQ(peaks({1.0, 2.0}), std::vector<int>{1});  // two bins: bin 1 is the last one
    EXPECT_EQ(peaks({2.0, 1.0}), std::vector<int>{});
}

}  // namespace
