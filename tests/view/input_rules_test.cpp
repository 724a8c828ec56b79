#include "view/input_rules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "view/key_sequences.h"

namespace {

view_disp_state cell_8x18() {
    view_disp_state s;
    set_char_cell(s, 8, 18);
    set_zoom(s, 1.0 / 64);
    return s;
}

TEST(zoom_rules, AZoomNearOneSnapsToOneAndAnOutOfLimitZoomOutChangesNothing) {
    view_disp_state s = cell_8x18();
    set_zoom(s, 1.0 / 4096);
    const double dens = s.ruler_dens;
    EXPECT_FALSE(zoom_out_by(s, 2)) << "1/8192 is not above 1/8192";
    EXPECT_EQ(s.zoom, 1.0 / 4096);
    EXPECT_EQ(s.ruler_dens, dens);

    // A zoom within 0.1 of 1 becomes exactly 1, with everything that follows it.
    set_zoom(s, 0.95 / 2);
    zoom_in_by(s, 2);
    EXPECT_EQ(s.zoom, 1.0);
    EXPECT_EQ(s.smpl_per_pix, 1.0);
    EXPECT_DOUBLE_EQ(s.sec_per_pix, 1.0 / 44100);
    EXPECT_DOUBLE_EQ(s.ruler_dens, 441.0 / 8);
}

TEST(zoom_rules, FromOneSixtyFourthTheButtonsReachThePowersOfTwoFromOneIn4096ToEight) {
    std::set<double> seen, todo{1.0 / 64};
    while (!todo.empty()) {
        const double z = *todo.begin();
        todo.erase(todo.begin());
        if (!seen.insert(z).second) continue;
        for (int f : {2, 8}) {
            view_disp_state s = cell_8x18();
            set_zoom(s, z);
            zoom_in_by(s, f);
            todo.insert(s.zoom);
            set_zoom(s, z);
            zoom_out_by(s, f);
            todo.insert(s.zoom);
        }
    }
    std::set<double> want;
    for (int e = -12; e <= 3; ++e) want.insert(std::ldexp(1.0, e));
    EXPECT_EQ(seen, want);
}

TEST(click_mark, TakesTheFrameAndTimeUnderTheColumn) {
    view_disp_state s = cell_8x18();
    s.draw_stt = 1000;
    s.draw_stt_sec = 1000.0 / 44100;
    set_click_mark(s, 108, 118);
    EXPECT_EQ(s.clk_mark.set, 1);
    EXPECT_EQ(s.clk_mark.x, 118);
    EXPECT_EQ(s.clk_mark.smpl, 1640);
    EXPECT_DOUBLE_EQ(s.clk_mark.sec, 640.0 / 44100 + 1000.0 / 44100);
    s.draw_stt = 2147483000;
    set_click_mark(s, 108, 1108);
    EXPECT_EQ(s.clk_mark.smpl, 2147483647) << "kept within 32 bits";
}

TEST(scroll_rules, ThePartListMovesOnReleaseAndTheDrawingStartWhileDragging) {
    using sb = sb_code;
    EXPECT_EQ(vscroll_pos(sb::page_down, 9000, 0, 10000, 0), 10000) << "clamped";
    EXPECT_EQ(vscroll_pos(sb::page_up, 3000, 0, 10000, 0), 500);
    EXPECT_EQ(vscroll_pos(sb::thumb_track, 0, 0, 10000, 7000), std::nullopt);
    EXPECT_EQ(vscroll_pos(sb::bottom, 0, 0, 10000, 0), 10000);
    EXPECT_EQ(vscroll_pos(sb::line_up, 3, 0, 10, 0), 2) << "a step of at least 1";
    EXPECT_TRUE(vscroll_moves_list(sb::thumb_position));
    EXPECT_FALSE(vscroll_moves_list(sb::end_scroll));

    EXPECT_EQ(hscroll_pos(sb::page_up, 500, 0, 10000, 0), 0);
    EXPECT_EQ(hscroll_pos(sb::end_scroll, 77, 0, 10000, 4321), 77);
    EXPECT_EQ(hscroll_pos(sb::thumb_track, 77, 0, 10000, 4321), 4321) << "the thumb is followed while dragged";
    EXPECT_EQ(hscroll_pos(sb::line_down, 9995, 0, 10000, 0), 10000) << "a step of 10, clamped";
    EXPECT_TRUE(hscroll_moves_view(sb::thumb_track));
    EXPECT_FALSE(hscroll_moves_view(sb::thumb_position));

    EXPECT_EQ(first_part_for_pos(10000, 0, 10000, 3, 0), 2) << "at most the last part";
    EXPECT_EQ(first_part_for_pos(10000, 0, 10000, 0, 0), 0) << "no parts";
    EXPECT_EQ(first_part_for_pos(5000, 7, 7, 3, 2), 2) << "an empty range changes nothing";
    EXPECT_EQ(draw_stt_for_pos(9999, 0, 10000, 500000000, 0), 499950000) << "no 32-bit overflow";
    EXPECT_EQ(draw_stt_for_pos(1, 0, 10000, 3000, 0), 0);
}

TEST(key_sequences, ASequenceMatchesOnItsEighthCharacterAndIsShiftedOutByTheNinth) {
    key_seq_buf b;
    for (char c : b.chars()) EXPECT_EQ(c, ' ');
    for (char c : std::string("Xq4Delt")) EXPECT_EQ(b.push(c), key_seq::none);
    EXPECT_EQ(b.push('a'), key_seq::centre_cancel);
    EXPECT_EQ(b.push('a'), key_seq::none);

    // Every sequence in its place; the case counts; only the last five are the spectrum's.
    for (int i = 0; i < key_seq_count; ++i) {
        key_seq_buf k;
        key_seq got = key_seq::none;
        for (const char* p = key_seq_text(static_cast<key_seq>(i)); *p != '\0'; ++p) got = k.push(*p);
        EXPECT_EQ(got, static_cast<key_seq>(i)) << key_seq_text(static_cast<key_seq>(i));
        EXPECT_EQ(key_seq_freq_only(got), i >= 5);
    }
    key_seq_buf k;
    for (char c : std::string("xq2Bravo")) k.push(c);
    EXPECT_EQ(k.match(), key_seq::none);
    for (char c : std::string("zzXq0Julie")) k.push(c);
    EXPECT_EQ(k.match(), key_seq::scale_dif) << "earlier characters have left the buffer";
}

}  // namespace
