#include "engine/peak_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

constexpr int untouched = -99;

struct peaks {
    int cnt;
    std::vector<int> list;  // all max_cnt + 2 entries, sentinels included
};

peaks search(int max_cnt, const std::vector<double>& v) {
    std::vector<int> out(std::max(max_cnt, 0) + 2, untouched);
    const int cnt = srch_peak(max_cnt, static_cast<int>(v.size()), v.data(), out.data());
    return {cnt, out};
}

TEST(srch_peak, ARisingSpectrumHasOnePeakAtTheLastBin) {
    std::vector<double> v(512);
    for (int i = 0; i < 512; ++i) v[i] = i * 0.5;
    auto p = search(4, v);
    ASSERT_EQ(p.cnt, 1);
    EXPECT_EQ(p.list[0], 511);
    EXPECT_EQ(p.list[1], untouched);
}

TEST(srch_peak, AFlatSpectrumHasNoInteriorPeak) {
    std::vector<double> v(512, 3.0);
    EXPECT_EQ(search(4, v).cnt, 0);

    v[1] = 4.0;  // bin 1 only needs to exceed bin 2
    auto p = search(4, v);
    ASSERT_EQ(p.cnt, 1);
    EXPECT_EQ(p.list[0], 1);
}

TEST(srch_peak, BinZeroIsNeverAPeak) {
    std::vector<double> v(16, 0.0);
    v[0] = 100.0;
    EXPECT_EQ(search(4, v).cnt, 0);
}

TEST(srch_peak, ThePlateauCountsAtItsRightEnd) {
    std::vector<double> v = {0, 0, 1, 5, 5, 5, 1, 0, 0, 0};
    auto p = search(4, v);
    ASSERT_EQ(p.cnt, 1);
    EXPECT_EQ(p.list[0], 5);
}

TEST(srch_peak, PeaksComeStrongestFirstAndAWeakerOneIsDropped) {
    //                       1     3     5     7     9
    std::vector<double> v = {0, 2, 0, 9, 0, 4, 0, 7, 0, 1, 0, 8, 0};
    auto p = search(4, v);
    ASSERT_EQ(p.cnt, 4);
    EXPECT_EQ((std::vector<int>(p.list.begin(), p.list.begin() + 4)), (std::vector<int>{3, 11, 7, 5}));
    EXPECT_EQ(p.list[4], untouched);
    EXPECT_EQ(p.list[5], untouched);
}

TEST(srch_peak, OfFiveEqualPeaksTheFirstFourStay) {
    std::vector<double> v(40, 0.0);
    for (int k : {3, 9, 15, 21, 27}) v[k] = 6.0;
    auto p = search(4, v);
    ASSERT_EQ(p.cnt, 4);
    EXPECT_EQ((std::vector<int>(p.list.begin(), p.list.begin() + 4)), (std::vector<int>{3, 9, 15, 21}));
}

TEST(srch_peak, AStrongerLatePeakReplacesTheWeakest) {
    std::vector<double> v(40, 0.0);
    v[3] = 1.0;
    v[9] = 2.0;
    v[15] = 3.0;
    v[21] = 4.0;
    v[27] = 2.5;
    auto p = search(4, v);
    ASSERT_EQ(p.cnt, 4);
    EXPECT_EQ((std::vector<int>(p.list.begin(), p.list.begin() + 4)), (std::vector<int>{21, 15, 27, 9}));
}

TEST(srch_peak, DegenerateArgumentsFindNothingAndReadNoFurther) {
    std::vector<double> one = {5.0};
    EXPECT_EQ(search(4, one).cnt, 0);
    std::vector<double> v = {0, 1, 0, 2, 0};
    EXPECT_EQ(search(0, v).cnt, 0);
    EXPECT_EQ(search(-3, v).cnt, 0);

    // Two bins: bin 1 is the last bin and compares with bin 0 only.
    std::vector<double> two = {1.0, 2.0};
    auto p = search(4, two);
    ASSERT_EQ(p.cnt, 1);
    EXPECT_EQ(p.list[0], 1);
    std::vector<double> falling = {2.0, 1.0};
    EXPECT_EQ(search(4, falling).cnt, 0);
}

TEST(srch_peak, ASingleSlotListKeepsTheStrongest) {
    std::vector<double> v = {0, 3, 0, 8, 0, 8, 0, 5, 0};
    auto p = search(1, v);
    ASSERT_EQ(p.cnt, 1);
    EXPECT_EQ(p.list[0], 3);
    EXPECT_EQ(p.list[1], untouched);
}

}  // namespace
