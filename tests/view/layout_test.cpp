#include "view/layout.h"

#include <gtest/gtest.h>

#include <memory>

#include "view/hit_test.h"

namespace {

void expect_rect(const view_rect& r, view_rect want, const char* what) {
    EXPECT_EQ(r.left, want.left) << what;
    EXPECT_EQ(r.top, want.top) << what;
    EXPECT_EQ(r.right, want.right) << what;
    EXPECT_EQ(r.bottom, want.bottom) << what;
}

std::unique_ptr<disp_layout> lay_for(int cw, int ch, int W, int H, int mode, const int* flags = nullptr) {
    auto lay = std::make_unique<disp_layout>();
    set_disp_rect(*lay, cw, ch, W, H, mode, flags);
    return lay;
}

TEST(view_state, StartsAtOneSixtyFourthAndFallsBackToAnEightByEighteenCell) {
    view_disp_state s;
    EXPECT_DOUBLE_EQ(s.smpl_per_pix, 64.0);
    EXPECT_DOUBLE_EQ(s.sec_per_pix, 64.0 / 44100);
    EXPECT_EQ(s.disp_mode, disp_mode_normal);
    set_char_cell(s, 0, 0);
    EXPECT_EQ(s.cw, 8);
    EXPECT_EQ(s.ch, 18);
    EXPECT_EQ(s.hh, 9);
    set_char_cell(s, 7, 15);
    EXPECT_EQ(s.hw, 3) << "halves are integer divisions";
    set_zoom(s, 1.0);
    EXPECT_NEAR(s.ruler_dens, 441.0 / 7, 1e-9) << "pixels per hundredth of a second over cw";
}

TEST(layout, FallbackCellPlacesTheOriginalAndTheLowerArea) {
    const auto lay = lay_for(8, 18, 1000, 800, disp_mode_normal);
    EXPECT_EQ(lay->orgn_area.top, 45);
    EXPECT_EQ(lay->orgn_area.bottom, 225);
    EXPECT_EQ(lay->lower_top, 441);
}

TEST(layout, EveryRectangleFollowsTheCharacterGrid) {
    // cw 10, ch 20: hw 5, hh 10; L0 = 135, R0 = 1200 - 5 - 30 = 1165.
    const auto lay = lay_for(10, 20, 1200, 900, disp_mode_normal);
    expect_rect(lay->zoom_in_btn, {5, 10, 95, 50}, "zoom in");
    expect_rect(lay->zoom_in_x8, {60, 20, 80, 40}, "x8 spot");
    expect_rect(lay->zoom_out_btn, {95, 10, 185, 50}, "zoom out");
    expect_rect(lay->zoom_out_x8, {150, 20, 170, 40}, "x1/8 spot");
    expect_rect(lay->orgn_area, {5, 50, 1195, 250}, "original area");
    expect_rect(lay->orgn_wave, {135, 90, 1165, 250}, "original ruler and panes");
    expect_rect(lay->orgn_pane_L, {135, 90, 1165, 170}, "original left");
    expect_rect(lay->orgn_pane_R, {135, 170, 1165, 250}, "original right");
    expect_rect(lay->scroll_line, {135, 250, 1165, 290}, "scroll line");
    expect_rect(lay->play_btn[0], {17, 257, 43, 283}, "play");
    expect_rect(lay->play_btn[3], {107, 257, 133, 283}, "pause");
    expect_rect(lay->copy_area, {5, 290, 1195, 490}, "copy area");
    expect_rect(lay->copy_pane_L, {135, 330, 1165, 410}, "copy left");
    expect_rect(lay->copy_pane_R, {135, 410, 1165, 490}, "copy right");
    expect_rect(lay->prt_scroll, {1165, 490, 1195, 890}, "part-list bar");
    expect_rect(lay->spc_outer, {5, 490, 1195, 890}, "spectrum outer");
    expect_rect(lay->spc_inner, {135, 490, 1165, 890}, "spectrum inner");
}

TEST(layout, ASpectrumWithRoomIsExactly518RowsAndShorterOtherwise) {
    // ch 18: T = 441; H - hh - T = 1000 - 9 - 441 = 550 > 518.
    auto tall = lay_for(8, 18, 1000, 1000, disp_mode_freq);
    EXPECT_TRUE(tall->spc_tall);
    EXPECT_EQ(tall->spc_inner.height(), 518);
    auto edge = lay_for(8, 18, 1000, 441 + 518 + 9, disp_mode_freq);
    EXPECT_FALSE(edge->spc_tall) << "exactly 518 rows of room is not more";
    EXPECT_EQ(lay_for(8, 18, 1000, 700, disp_mode_freq)->lower_bottom, 691);
    EXPECT_EQ(lay_for(8, 18, 1000, 1000, disp_mode_normal)->lower_bottom, 991);
}

TEST(layout, PartRowsStackTenRowsExpandedAndTwoCollapsed) {
    int flags[view_part_slots] = {1, 0, 1};
    const auto lay = lay_for(8, 18, 1000, 800, disp_mode_normal, flags);
    expect_rect(lay->prt_outer[0], {4, 441, 972, 621}, "part 0");
    expect_rect(lay->prt_pane_L[0], {108, 477, 972, 549}, "part 0 left");
    expect_rect(lay->prt_pane_R[0], {108, 549, 972, 621}, "part 0 right");
    expect_rect(lay->prt_outer[1], {4, 621, 972, 657}, "collapsed part 1");
    EXPECT_EQ(lay->prt_pane_L[1].height(), 0);
    EXPECT_EQ(lay->prt_pane_R[1].height(), 0);
    expect_rect(lay->prt_wave[2], {108, 693, 972, 837}, "part 2 waveform region");
}

TEST(part_list, ScrollsByWholePartsAndStopsBelowTheWindow) {
    const auto lay = lay_for(8, 18, 1000, 800, disp_mode_normal);  // every part 180 rows
    visible_parts v = calc_visible_parts(*lay, 5, 0, 800);
    EXPECT_EQ(v.end, 2) << "tops 441 and 621 lie above H, 801 does not";
    EXPECT_EQ(v.next_top, 801);
    v = calc_visible_parts(*lay, 5, 3, 800);
    EXPECT_EQ(v.offset, 540);
    EXPECT_EQ(v.first, 3);
    EXPECT_EQ(v.end, 5);
    EXPECT_EQ(v.next_top, 801) << "the list ends after the last part";
    v = calc_visible_parts(*lay, 0, 0, 800);
    EXPECT_EQ(v.end, v.first);

    int collapsed[view_part_slots] = {};
    const auto all = lay_for(8, 18, 1000, 100000, disp_mode_normal, collapsed);
    v = calc_visible_parts(*all, 400, 0, 100000);
    EXPECT_EQ(v.end, view_part_slots) << "the count is bounded by the tables";
    EXPECT_EQ(v.next_top, 441 + 256 * 36);
}

TEST(hit_test, FindsIconsTitlesWaveAreasAndFunctionButtonsOfTheShiftedRows) {
    const auto lay = lay_for(8, 18, 1000, 800, disp_mode_normal);  // parts at 441, 621, 801
    view_disp_state s;
    set_char_cell(s, 8, 18);
    s.H = 800;
    // Icon cell of the first listed row: x 8 .. 23, y 441 + 3ch + hh = 504 .. 521.
    EXPECT_EQ(hit_part_icon(*lay, s, 3, 0, 8, 504), 0);
    EXPECT_EQ(hit_part_icon(*lay, s, 3, 0, 24, 504), -1);
    EXPECT_EQ(hit_part_icon(*lay, s, 3, 0, 8, 522), -1);
    EXPECT_EQ(hit_part_icon(*lay, s, 3, 1, 8, 504), 1) << "scrolled by one part";
    EXPECT_EQ(hit_part_title(*lay, s, 3, 0, 4, 621), 1);
    EXPECT_EQ(hit_part_title(*lay, s, 3, 0, 108, 621), -1);
    EXPECT_EQ(hit_part_title(*lay, s, 3, 0, 4, 639), -1) << "only the title's first row";
    EXPECT_EQ(hit_part_title(*lay, s, 3, 0, 4, 801), -1) << "part 2 lies below the window";
    // Wave areas: the original, and the band of the listed parts down to H.
    EXPECT_TRUE(hit_wave_area(*lay, s, 3, 0, 500, 100));
    EXPECT_TRUE(hit_wave_area(*lay, s, 3, 0, 500, 799));
    EXPECT_FALSE(hit_wave_area(*lay, s, 3, 0, 500, 460)) << "a title row is not a waveform";
    EXPECT_FALSE(hit_wave_area(*lay, s, 0, 0, 500, 700)) << "no parts";
    // Restore beside the original (rows 144 .. 161), centre cancel beside the copy.
    EXPECT_EQ(hit_fn_button(*lay, s, 44, 144), 1);
    EXPECT_EQ(hit_fn_button(*lay, s, 91, 360), 2);
    EXPECT_EQ(hit_fn_button(*lay, s, 92, 144), 0);
}

}  // namespace
