#include <gtest/gtest.h>

#include <cmath>

#include "view/ruler.h"

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
    auto step_for_raw = [](long long raw) { return ruler_label_step(10.0 / (raw - 1 + 0.5)); };
    EXPECT_EQ(step_for_raw(2), 2);
    EXPECT_EQ(step_for_raw(3), 4);
    EXPECT_EQ(step_for_raw(9), 10);
    EXPECT_EQ(step_for_raw(10), 10) << "10 and 11 stay";
    EXPECT_EQ(step_for_raw(11), 11);
    EXPECT_EQ(step_for_raw(12), 20);
    EXPECT_EQ(step_for_raw(21), 40);
    EXPECT_EQ(step_for_raw(99), 100);
    EXPECT_EQ(step_for_raw(100), 100);
    EXPECT_EQ(step_for_raw(101), 101);
    EXPECT_EQ(step_for_raw(102), 200);
    EXPECT_EQ(step_for_raw(999), 1000);
    EXPECT_EQ(step_for_raw(1001), 1001);
    EXPECT_EQ(step_for_raw(1002), 2000);
    EXPECT_EQ(step_for_raw(10002), 20000);
    EXPECT_EQ(ruler_label_step(10.0), 1);
    EXPECT_EQ(ruler_label_step(55.0), 1);
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
    // Labels stop before the last 8 cells and a half.
    for (const auto& lb : pl.labels) EXPECT_LT(lb.x, 1100 - 64 - 4);
    EXPECT_EQ(pl.labels.back().x + 137 >= 1100 - 68, true);
    // Rows: the ruler's two rows above the rectangle.
    EXPECT_EQ(pl.y0, 200 - 36 + 1);
    EXPECT_EQ(pl.label_row, (9 + 165) / 18);
    EXPECT_EQ(pl.long_y1, 165 + 18);
    EXPECT_EQ(pl.long_y2, 165 + 34);
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
    // Short ticks after the first label at 44, 88, ... 396 pixels.
    for (int j = 1; j <= 9; ++j) {
        const int want = 442 + static_cast<int>(std::trunc(j * 441 * 0.1));
        EXPECT_NE(std::find(pl.short_x.begin(), pl.short_x.end(), want), pl.short_x.end()) << j;
    }
    EXPECT_NE(std::find(pl.short_x.begin(), pl.short_x.end(), 442 + 396), pl.short_x.end());
    // Short ticks left of the first label, within the rectangle.
    EXPECT_NE(std::find(pl.short_x.begin(), pl.short_x.end(), 442 - 44), pl.short_x.end());
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

TEST(ruler_plan, AShiftedPartMovesTheRulerUp) {
    const view_disp_state s = state(8, 18, 1.0 / 64);
    const view_rect r{100, 1000, 1100, 1200};
    EXPECT_EQ(plan_time_scale(r, 500, s).y0, 1000 - 36 - 500 + 1);
}

TEST(ruler_plan, ARectangleNarrowerThanAHundredthGetsNoRuler) {
    const view_disp_state s = state(8, 18, 1.0);  // a hundredth is 441 pixels
    EXPECT_FALSE(plan_time_scale(view_rect{0, 100, 440, 200}, 0, s).drawn);
    EXPECT_TRUE(plan_time_scale(view_rect{0, 100, 441, 200}, 0, s).drawn);
}

}  // namespace
