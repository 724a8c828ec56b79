#include "view/ruler.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

view_disp_state state(int cw, int ch, double zoom, int draw_stt = 0) {
    view_disp_state s;
    set_char_cell(s, cw, ch);
    set_zoom(s, zoom);
    s.draw_stt = draw_stt;
    return s;
}

TEST(ruler_step, RoundsUpToEvenTwentiesAndTwoHundredsByDecade) {
    // Densities chosen so that 1 + trunc(10 / d) is the raw step.
    const long long raw[] = {2, 3, 9, 10, 11, 12, 21, 99, 100, 101, 102, 999, 1001, 1002, 10002};
    const long long want[] = {2, 4, 10, 10, 11, 20, 40, 100, 100, 101, 200, 1000, 1001, 2000, 20000};
    for (int i = 0; i < 15; ++i) EXPECT_EQ(ruler_label_step(10.0 / (raw[i] - 0.5)), want[i]) << raw[i];
    EXPECT_EQ(ruler_label_step(10.0), 1);
    EXPECT_EQ(ruler_label_step(0.0), 0);
}

TEST(ruler_plan, AtTheStartZoomLabelsEveryFifthOfASecond137PixelsApart) {
    const view_disp_state s = state(8, 18, 1.0 / 64);
    EXPECT_NEAR(s.ruler_dens, 0.861328125, 1e-12);
    const view_rect r{100, 200, 1100, 400};
    const ruler_plan pl = plan_time_scale(r, 0, s);
    ASSERT_TRUE(pl.drawn);
    EXPECT_EQ(pl.step, 20);
    EXPECT_EQ(pl.spacing, 137);
    ASSERT_GE(pl.labels.size(), 3u);
    EXPECT_EQ(pl.labels[0].x, 101);
    EXPECT_EQ(pl.labels[0].text, "0:00.00") << "the leading blank is dropped";
    EXPECT_EQ(pl.labels[1].x, 238);
    EXPECT_EQ(pl.labels[1].text, "0:00.20");
    EXPECT_EQ(pl.labels[2].x, 375);
    EXPECT_EQ(pl.labels[1].col, 238 / 8 + 1);
    EXPECT_EQ(pl.labels.back().x, 923) << "labels stop 8 cells and a half before the right edge";
    // The ruler's two rows above the rectangle.
    EXPECT_EQ(pl.y0, 200 - 36 + 1);
    EXPECT_EQ(pl.label_row, (9 + 165) / 18);
    EXPECT_EQ(pl.long_y1, 165 + 18);
    EXPECT_EQ(pl.short_y1, 165 + 18 + 10);
    EXPECT_EQ(pl.short_y2, 165 + 34);
}

TEST(ruler_plan, AtZoomOneALabelStandsEveryHundredthWithTicks44PixelsApart) {
    const view_disp_state s = state(8, 18, 1.0);
    const view_rect r{0, 100, 2000, 300};
    const ruler_plan pl = plan_time_scale(r, 0, s);
    ASSERT_TRUE(pl.drawn);
    EXPECT_EQ(pl.step, 1);
    EXPECT_EQ(pl.spacing, 441);
    ASSERT_GE(pl.labels.size(), 2u);
    EXPECT_EQ(pl.labels[0].time_10ms, 1);
    EXPECT_EQ(pl.labels[0].x, 1 + 441);
    EXPECT_EQ(pl.labels[1].x - pl.labels[0].x, 441);
    // Short ticks at 44, 88, ... 396 pixels after each label and before the first.
    auto has = [&](int x) { return std::find(pl.short_x.begin(), pl.short_x.end(), x) != pl.short_x.end(); };
    for (int d : {44, 88, 132, 176, 220, 264, 308, 352, 396}) EXPECT_TRUE(has(442 + d)) << d;
    EXPECT_TRUE(has(442 - 44));
    for (int x : pl.short_x) {
        EXPECT_GE(x, 1);
        EXPECT_LT(x, 2000 - 1);
    }
}

TEST(ruler_plan, AScrolledStartPutsTheFirstLabelOnTheNextStep) {
    // Drawing start at 0.05 s, step 0.20 s: the label for 0.00 lies left of
    // the rectangle and is skipped; 0.20 s stands 0.15 s further right.
    const view_disp_state s = state(8, 18, 1.0 / 64, 2205);
    const view_rect r{100, 200, 1100, 400};
    const ruler_plan pl = plan_time_scale(r, 0, s);
    ASSERT_FALSE(pl.labels.empty());
    EXPECT_EQ(pl.labels[0].time_10ms, 20);
    EXPECT_EQ(pl.labels[0].x, 101 - 34 + 137);
    for (int x : pl.long_x) EXPECT_GE(x, 101);
}

TEST(ruler_plan, ANarrowRectangleGetsNoRulerAndAShiftedPartMovesItUp) {
    const view_disp_state s = state(8, 18, 1.0);  // a hundredth is 441 pixels
    EXPECT_FALSE(plan_time_scale(view_rect{0, 100, 440, 200}, 0, s).drawn);
    EXPECT_TRUE(plan_time_scale(view_rect{0, 100, 441, 200}, 0, s).drawn);
    EXPECT_EQ(plan_time_scale(view_rect{0, 1000, 1000, 1200}, 500, s).y0, 1000 - 36 - 500 + 1);
}

}  // namespace
