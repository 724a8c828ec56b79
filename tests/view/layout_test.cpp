#include <gtest/gtest.h>

#include <memory>

#include "view/layout.h"
#include "view/view_state.h"

namespace {

void expect_rect(const view_rect& r, int l, int t, int rr, int b, const char* what) {
    EXPECT_EQ(r.left, l) << what;
    EXPECT_EQ(r.top, t) << what;
    EXPECT_EQ(r.right, rr) << what;
    EXPECT_EQ(r.bottom, b) << what;
}

std::unique_ptr<disp_layout> lay_for(int cw, int ch, int W, int H, int mode, const int* flags = nullptr) {
    auto lay = std::make_unique<disp_layout>();
    set_disp_rect(*lay, cw, ch, W, H, mode, flags);
    return lay;
}

TEST(char_cell, ZeroFontMetricsFallBackToEightByEighteen) {
    view_disp_state s;
    set_char_cell(s, 0, 0);
    EXPECT_EQ(s.cw, 8);
    EXPECT_EQ(s.ch, 18);
    EXPECT_EQ(s.hw, 4);
    EXPECT_EQ(s.hh, 9);
    set_char_cell(s, 7, 15);
    EXPECT_EQ(s.hw, 3) << "halves are integer divisions";
    EXPECT_EQ(s.hh, 7);
}

TEST(view_state, StartsAtOneSixtyFourthInNormalModeWithNoMarks) {
    view_disp_state s;
    EXPECT_DOUBLE_EQ(s.zoom, 1.0 / 64);
    EXPECT_DOUBLE_EQ(s.smpl_per_pix, 64.0);
    EXPECT_DOUBLE_EQ(s.sec_per_pix, 64.0 / 44100);
    EXPECT_EQ(s.disp_mode, disp_mode_normal);
    EXPECT_EQ(s.draw_stt, 0);
    EXPECT_EQ(s.clk_mark.set, 0);
    EXPECT_EQ(s.stt_mark.set, 0);
    EXPECT_EQ(s.end_mark.set, 0);
}

TEST(view_state, RulerDensityIsPixelsPerHundredthOverTheCellWidth) {
    view_disp_state s;
    set_char_cell(s, 8, 18);
    set_zoom(s, 1.0 / 64);
    EXPECT_NEAR(s.ruler_dens, 44100.0 / 64 / 100 / 8, 1e-12);
    set_zoom(s, 1.0);
    EXPECT_NEAR(s.ruler_dens, 441.0 / 8, 1e-9);
    EXPECT_DOUBLE_EQ(s.smpl_per_pix, 1.0);
}

TEST(layout, FallbackCellPlacesTheOriginalAndTheLowerArea) {
    const auto lay = lay_for(8, 18, 1000, 800, disp_mode_normal);
    EXPECT_EQ(lay->orgn_area.top, 45);
    EXPECT_EQ(lay->orgn_area.bottom, 225);
    EXPECT_EQ(lay->lower_top, 441);
    EXPECT_EQ(lay->L0, 4 + 104);
    EXPECT_EQ(lay->R0, 1000 - 4 - 24);
}

TEST(layout, EveryRectangleFollowsTheCharacterGrid) {
    // cw 10, ch 20: hw 5, hh 10; L0 = 135, R0 = 1200 - 5 - 30 = 1165.
    const auto lay = lay_for(10, 20, 1200, 900, disp_mode_normal);
    expect_rect(lay->zoom_in_btn, 5, 10, 95, 50, "zoom in");
    expect_rect(lay->zoom_in_x8, 60, 20, 80, 40, "x8 spot");
    expect_rect(lay->zoom_out_btn, 95, 10, 185, 50, "zoom out");
    expect_rect(lay->zoom_out_x8, 150, 20, 170, 40, "x1/8 spot");
    expect_rect(lay->orgn_area, 5, 50, 1195, 250, "original area");
    expect_rect(lay->orgn_wave, 135, 90, 1165, 250, "original ruler and panes");
    expect_rect(lay->orgn_pane_L, 135, 90, 1165, 170, "original left");
    expect_rect(lay->orgn_pane_R, 135, 170, 1165, 250, "original right");
    expect_rect(lay->scroll_line, 135, 250, 1165, 290, "scroll line");
    expect_rect(lay->play_btn[0], 17, 257, 43, 283, "play");
    expect_rect(lay->play_btn[1], 47, 257, 73, 283, "play from start");
    expect_rect(lay->play_btn[2], 77, 257, 103, 283, "stop");
    expect_rect(lay->play_btn[3], 107, 257, 133, 283, "pause");
    expect_rect(lay->copy_area, 5, 290, 1195, 490, "copy area");
    expect_rect(lay->copy_wave, 135, 330, 1165, 490, "copy ruler and panes");
    expect_rect(lay->copy_pane_L, 135, 330, 1165, 410, "copy left");
    expect_rect(lay->copy_pane_R, 135, 410, 1165, 490, "copy right");
    EXPECT_EQ(lay->lower_top, 490);
    EXPECT_EQ(lay->lower_bottom, 890);
    expect_rect(lay->prt_scroll, 1165, 490, 1195, 890, "part-list bar");
    expect_rect(lay->spc_outer, 5, 490, 1195, 890, "spectrum outer");
    expect_rect(lay->spc_inner, 135, 490, 1165, 890, "spectrum inner");
}

TEST(layout, ASpectrumWithRoomIsExactly518RowsAndShorterOtherwise) {
    // ch 18: T = 441; H - hh - T = 1000 - 9 - 441 = 550 > 518.
    auto tall = lay_for(8, 18, 1000, 1000, disp_mode_freq);
    EXPECT_TRUE(tall->spc_tall);
    EXPECT_EQ(tall->spc_inner.height(), 518);
    EXPECT_EQ(tall->lower_bottom, 441 + 518);
    // Exactly 518 rows of room is not "more": the area takes the room.
    auto edge = lay_for(8, 18, 1000, 441 + 518 + 9, disp_mode_freq);
    EXPECT_FALSE(edge->spc_tall);
    EXPECT_EQ(edge->lower_bottom, 441 + 518);
    auto short_ = lay_for(8, 18, 1000, 700, disp_mode_freq);
    EXPECT_FALSE(short_->spc_tall);
    EXPECT_EQ(short_->lower_bottom, 691);
    // Normal mode ignores the spectrum rule.
    EXPECT_EQ(lay_for(8, 18, 1000, 1000, disp_mode_normal)->lower_bottom, 991);
}

TEST(layout, PartRowsStackTenRowsExpandedAndTwoCollapsed) {
    int flags[view_part_slots] = {};
    flags[0] = 1;
    flags[1] = 0;
    flags[2] = 1;
    const auto lay = lay_for(8, 18, 1000, 800, disp_mode_normal, flags);
    expect_rect(lay->prt_outer[0], 4, 441, 972, 441 + 180, "part 0");
    expect_rect(lay->prt_pane_L[0], 108, 441 + 36, 972, 441 + 108, "part 0 left");
    expect_rect(lay->prt_pane_R[0], 108, 441 + 108, 972, 441 + 180, "part 0 right");
    expect_rect(lay->prt_outer[1], 4, 621, 972, 621 + 36, "collapsed part 1");
    EXPECT_EQ(lay->prt_wave[1].height(), 0);
    EXPECT_EQ(lay->prt_pane_L[1].height(), 0);
    EXPECT_EQ(lay->prt_pane_R[1].height(), 0);
    EXPECT_EQ(lay->prt_outer[2].top, 657);
    expect_rect(lay->prt_wave[2], 108, 657 + 36, 972, 657 + 180, "part 2 waveform region");
}

TEST(part_list, ScrollsByWholePartsAndStopsBelowTheWindow) {
    const auto lay = lay_for(8, 18, 1000, 800, disp_mode_normal);  // every part 180 rows
    // From the first part: tops 441, 621, 801 -> 801 is not above H = 800.
    visible_parts v = calc_visible_parts(*lay, 5, 0, 800);
    EXPECT_EQ(v.first, 0);
    EXPECT_EQ(v.end, 2);
    EXPECT_EQ(v.offset, 0);
    EXPECT_EQ(v.next_top, 801);
    // Scrolled to part 3: the offset is top(3) - top(0), parts 3 and 4 fit.
    v = calc_visible_parts(*lay, 5, 3, 800);
    EXPECT_EQ(v.offset, 540);
    EXPECT_EQ(v.first, 3);
    EXPECT_EQ(v.end, 5);
    EXPECT_EQ(v.next_top, 441 + 360) << "the list ends after the last part";
    EXPECT_EQ(part_scroll_offset(*lay, 3), 540);
    // No parts: nothing is painted.
    v = calc_visible_parts(*lay, 0, 0, 800);
    EXPECT_EQ(v.end - v.first, 0);
}

TEST(part_list, TheLastSlotEndsTheListInsideTheTables) {
    int flags[view_part_slots] = {};  // all collapsed: 36 rows each
    const auto lay = lay_for(8, 18, 1000, 100000, disp_mode_normal, flags);
    const visible_parts v = calc_visible_parts(*lay, 400, 0, 100000);
    EXPECT_EQ(v.end, view_part_slots) << "the count is bounded by the tables";
    EXPECT_EQ(v.next_top, 441 + 256 * 36);
}

TEST(rects, ContainLeftAndTopEdgesButNotRightAndBottom) {
    const view_rect r{10, 20, 30, 40};
    EXPECT_TRUE(r.contains(10, 20));
    EXPECT_TRUE(r.contains(29, 39));
    EXPECT_FALSE(r.contains(30, 25));
    EXPECT_FALSE(r.contains(15, 40));
    EXPECT_FALSE(r.contains(9, 25));
}

}  // namespace
