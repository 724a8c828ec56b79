#include <gtest/gtest.h>

#include <string>

#include "view/header_text.h"
#include "view/time_format.h"

namespace {

std::string smpl(long long n, int rate = 44100) {
    std::string s;
    fmt_time_smpl(n, rate, s);
    return s;
}

std::string hund(long long n) {
    std::string s;
    fmt_time_10ms(n, s);
    return s;
}

std::string pic(long long v, const std::string& p = "##,###,###") {
    std::string s;
    fmt_num_pic(s, p, v);
    return s;
}

TEST(time_label, ShowsMinutesAndSecondsAndRoundsUpJustBelowAMinute) {
    EXPECT_EQ(smpl(0), " 0:00.00");
    EXPECT_EQ(smpl(44100 * 75 + 22050), " 1:15.50");
    EXPECT_EQ(hund(6001), " 1:00.01");
    EXPECT_EQ(hund(5999), " 0:59.99");
    EXPECT_EQ(smpl(static_cast<long long>(59.996 * 44100)), " 1:00.00") << "negative seconds show as 0";
}

TEST(time_label, HundredMinutesOrMoreAndARateOfZeroAreStars) {
    EXPECT_EQ(smpl(6000LL * 44100), "**:**.**");
    EXPECT_EQ(smpl(5999LL * 44100), "99:59.00");
    EXPECT_EQ(hund(600000), "**:**.**");
    EXPECT_EQ(smpl(2147483647LL * 4), "**:**.**") << "no overflow for huge counts";
    std::string s;
    EXPECT_EQ(fmt_time_smpl(1000, 0, s), -1);
    EXPECT_EQ(s, "**:**.**");
}

TEST(number_picture, FillsDigitsFromTheRightKeepingSeparatorsOnlyBesideDigits) {
    EXPECT_EQ(pic(0), "         0");
    EXPECT_EQ(pic(999), "       999");
    EXPECT_EQ(pic(1000), "     1,000");
    EXPECT_EQ(pic(12345678), "12,345,678");
    EXPECT_EQ(pic(42, "#,#"), "4,2");
}

TEST(number_picture, TooManyDigitsDropTheSeparatorsThenFillWithStars) {
    EXPECT_EQ(pic(123456789), " 123456789");
    EXPECT_EQ(pic(1234567890), "1234567890");
    std::string s;
    EXPECT_EQ(fmt_num_pic(s, "##,###,###", 12345678901LL), -1);
    EXPECT_EQ(s, "**********");
    EXPECT_EQ(pic(-5), "**********") << "negative values cannot be shown";
}

view_disp_state header_state(int data_cnt) {
    view_disp_state s;
    set_char_cell(s, 8, 18);
    s.W = 1200;
    s.data_cnt = data_cnt;
    return s;
}

TEST(header_values, AppearOneAfterAnotherAsTheCopyWidens) {
    EXPECT_EQ(zoom_text(1.0 / 64), "×1/64  ");
    EXPECT_EQ(zoom_text(8.0), "× 8    ");
    const view_disp_state s = header_state(88200);
    auto count = [&](int width) { return header_value_texts(s, width).size(); };
    EXPECT_EQ(count(60 * 8), 2u) << "zoom and drawing start only";
    EXPECT_EQ(count(60 * 8 + 1), 3u);
    EXPECT_EQ(count(75 * 8 + 1), 4u);
    EXPECT_EQ(count(90 * 8 + 1), 6u);
    EXPECT_EQ(count(100 * 8 + 1), 7u);

    const auto all = header_value_texts(s, 100 * 8 + 1);
    EXPECT_EQ(all[1].text, " 0:02.00");
    EXPECT_EQ(all[1].col, (4 + 384 + 4 + 1) / 8);
    EXPECT_EQ(all[2].text, "(  2.00 Sec)");
    EXPECT_EQ(all[3].text, "    88,200");
    EXPECT_EQ(all[5].text, std::string(17, ' '));
    EXPECT_EQ(all[6].col, (1200 - 4 - 64 - 4 + 1) / 8) << "drawing start";
    for (const auto& t : all) EXPECT_EQ(t.row, 1);
}

TEST(header_values, AnEmptyRecordingShowsZeroes) {
    const auto all = header_value_texts(header_state(0), 1000);
    EXPECT_EQ(all[1].text, " 0:00.00");
    EXPECT_EQ(all[2].text, "(  0.00 Sec)");
    EXPECT_EQ(all[3].text, "         0");
}

TEST(position_label, NeedsMoreThanAHundredCellsAndShowsTheFrameWhenTracing) {
    const view_disp_state s = header_state(0);
    EXPECT_TRUE(pos_label_texts(s, 800, "ｸﾘｯｸ位置=", 44100, false).empty());
    EXPECT_TRUE(pos_label_clear(s, 800).empty());
    auto t = pos_label_texts(s, 801, "ｸﾘｯｸ位置=", 44100, true);
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[1].text, " 0:01.00");
    EXPECT_EQ(t[1].col, (1200 - 4 - 248 - 4 + 1) / 8);
    EXPECT_EQ(t[2].text, "   44100");
    EXPECT_EQ(t[2].row, t[1].row + 1);
}

}  // namespace
