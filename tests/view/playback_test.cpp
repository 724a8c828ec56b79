#include "view/playback.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/view/playback_fakes.h"

namespace {

// A cell of 8 x 18 and a window wide enough for the position label:
// the copy rectangle is 1200 - 8 - 128 = 1064 pixels, more than 100 cells.
constexpr play_geom wide{8, 18, 1200, 1064};
constexpr play_geom narrow{8, 18, 900, 800};  // exactly 100 cells: no label

// Button centres for that cell: buttons start at cells 2, 5, 8, 11 and are two cells wide.
constexpr int btn_x(int id) { return (2 + 3 * id) * 8 + 8; }
constexpr int btn_y = 9 * 2 + 12 * 18 + 9;

// The fixture owns a working copy of `frames` frames and a playback on a fake device.
class playback : public ::testing::Test {
protected:
    void make(std::int64_t piece, std::int64_t frames) {
        copy.assign(static_cast<std::size_t>(frames * 4), 0x5a);
        pb = std::make_unique<view_playback>(piece);
        pb->open_output(std::make_unique<fake_sound_out>(dev), fmt_dt);
        src = play_source{copy.data(), frames, 0, frames};
    }
    bool click(int id, const play_geom& g = wide) { return pb->btn_click(btn_x(id), btn_y, src, g, surf); }
    void tick(const play_geom& g = wide) { pb->timer_step(src, g, surf); }
    std::int64_t offset_of(std::size_t k) const { return dev.writes.at(k).data - copy.data(); }

    std::uint8_t fmt_dt[144] = {1, 0, 2, 0, 0x44, 0xac, 0, 0, 0x10, 0xb1, 2, 0, 4, 0, 16, 0};
    fake_log dev;
    recording_surface surf;
    std::vector<std::uint8_t> copy;
    std::unique_ptr<view_playback> pb;
    play_source src;
};

TEST(play_pieces, ARangeOfExactlyOnePieceIsOnePieceAndOneFrameMoreAddsAFourBytePiece) {
    EXPECT_EQ(play_piece_count(62000000, play_piece_size), 1);
    EXPECT_EQ(play_piece_length(62000000, play_piece_size, 0), 62000000);
    EXPECT_EQ(play_piece_count(62000004, play_piece_size), 2);
    EXPECT_EQ(play_piece_length(62000004, play_piece_size, 0), 62000000);
    EXPECT_EQ(play_piece_length(62000004, play_piece_size, 1), 4);
    EXPECT_EQ(play_piece_length(62000004, play_piece_size, 2), 0);
    EXPECT_EQ(play_piece_count(3 * 400, 400), 3);
    EXPECT_EQ(play_piece_length(3 * 400, 400, 2), 400);
    EXPECT_EQ(play_piece_count(0, 400), 0);
    // A full 2^31-frame recording does not overflow the byte arithmetic.
    EXPECT_EQ(play_piece_count(std::int64_t{1} << 33, play_piece_size), 139);
}

TEST_F(playback, TheDefaultPieceSizeIsSixtyTwoMillionBytesAndOddSizesKeepWholeFrames) {
    EXPECT_EQ(view_playback().piece_size(), 62000000);
    EXPECT_EQ(view_playback(401).piece_size(), 400);
    EXPECT_EQ(view_playback(0).piece_size(), 4);
}

TEST_F(playback, ARangeOfExactlyThePieceSizeIsQueuedWholeAndStopsWhenDone) {
    make(400, 300);
    src.rng_stt = 20;
    src.rng_len = 100;  // 400 bytes
    EXPECT_TRUE(click(play_btn_play));
    ASSERT_EQ(dev.writes.size(), 1u);
    EXPECT_EQ(offset_of(0), 80);
    EXPECT_EQ(dev.writes[0].length, 400);
    EXPECT_EQ(pb->piece_cnt(), 1);
    EXPECT_EQ(pb->piece_wrt_cnt(), 1);
    EXPECT_EQ(pb->play_flg(), 1);
    EXPECT_EQ(pb->play_mode(), 1);
    EXPECT_EQ(surf.btn_draws, 1);

    tick();  // still playing
    EXPECT_EQ(pb->play_flg(), 1);
    dev.done = true;
    surf.clear();
    tick();
    EXPECT_EQ(pb->play_flg(), 2);
    EXPECT_EQ(dev.writes.size(), 1u);
    EXPECT_EQ(dev.resets, 1);
    EXPECT_EQ(surf.btn_draws, 1);
    ASSERT_FALSE(surf.texts.empty());
    EXPECT_EQ(surf.texts.back().text, play_pos_blank);  // the label is cleared at the end
}

TEST_F(playback, OneFrameMoreThanAPiecePlaysAFourByteSecondPieceAtTheNextTickAfterDone) {
    make(400, 300);
    src.rng_stt = 20;
    src.rng_len = 101;
    click(play_btn_from_top);
    EXPECT_EQ(pb->piece_cnt(), 2);
    EXPECT_EQ(pb->play_mode(), 2);
    dev.done = true;
    tick();
    ASSERT_EQ(dev.writes.size(), 2u);
    EXPECT_EQ(offset_of(1), 80 + 400);
    EXPECT_EQ(dev.writes[1].length, 4);
    EXPECT_EQ(pb->play_flg(), 1);
    EXPECT_EQ(dev.resets, 0);  // the position keeps counting across pieces
    dev.done = true;
    tick();
    EXPECT_EQ(pb->play_flg(), 2);
    EXPECT_EQ(dev.writes.size(), 2u);
}

TEST_F(playback, EveryPieceOfALongRangeIsQueuedInOrderAndCoversTheRangeOnce) {
    make(400, 1000);
    src.rng_stt = 7;
    src.rng_len = 950;  // 3800 bytes: nine pieces of 400 and one of 200
    click(play_btn_play);
    for (int i = 0; i < 20 && pb->play_flg() == 1; ++i) {
        dev.done = true;
        tick();
    }
    ASSERT_EQ(dev.writes.size(), 10u);
    std::int64_t next = 7 * 4;
    for (std::size_t k = 0; k < dev.writes.size(); ++k) {
        EXPECT_EQ(offset_of(k), next) << "piece " << k;
        next += dev.writes[k].length;
    }
    EXPECT_EQ(next, (7 + 950) * 4);
    EXPECT_EQ(dev.writes.back().length, 200);
}

TEST_F(playback, ThePositionLabelShowsTheRangeStartPlusTheDevicePositionInEveryUnit) {
    make(62000000, 100000);
    src.rng_stt = 1000;
    src.rng_len = 5000;
    click(play_btn_play);
    const int title_col = (1200 - 4 - 320 - 4 + 1) / 8;  // 109
    const int time_col = (1200 - 4 - 248 - 4 + 1) / 8;   // 118

    dev.pos = {sound_pos::samples, 441};
    surf.clear();
    tick();
    ASSERT_EQ(surf.texts.size(), 2u);
    EXPECT_EQ(surf.texts[0].col, title_col);
    EXPECT_EQ(surf.texts[0].row, 1);
    EXPECT_EQ(surf.texts[0].text, "演奏位置=");
    EXPECT_EQ(surf.texts[1].col, time_col);
    EXPECT_EQ(surf.texts[1].text, "@1441");

    dev.pos = {sound_pos::bytes, 4000};
    surf.clear();
    tick();
    EXPECT_EQ(surf.texts.at(1).text, "@2000");

    dev.pos = {sound_pos::millis, 1000};
    surf.clear();
    tick();
    EXPECT_EQ(surf.texts.at(1).text, "@45100");
    EXPECT_EQ(pb->play_pos(), 45100);
}

TEST_F(playback, ThePositionLabelIsNotWrittenWhenTheCopyIsOneHundredCellsOrLess) {
    make(62000000, 1000);
    click(play_btn_play, narrow);
    tick(narrow);
    click(play_btn_stop, narrow);
    EXPECT_TRUE(surf.texts.empty());
    EXPECT_EQ(pb->play_pos(), 0);
}

TEST_F(playback, PlayThenPauseContinuesWherePausedAndFromTopStartsAgainAtTheRangeStart) {
    make(400, 1000);
    src.rng_stt = 10;
    src.rng_len = 500;
    click(play_btn_play);
    dev.pos = {sound_pos::samples, 60};
    surf.clear();
    click(play_btn_pause);
    EXPECT_EQ(dev.pauses, 1);
    EXPECT_EQ(pb->pause_flg(), 1);
    EXPECT_EQ(pb->play_flg(), 2);
    EXPECT_EQ(pb->play_pos(), 70);
    EXPECT_EQ(surf.btn_draws, 1);
    EXPECT_TRUE(pb->btn_looks(8, 18)[play_btn_pause].pressed);

    tick();  // paused: nothing is polled or queued
    EXPECT_EQ(dev.writes.size(), 1u);

    // "→" continues: the device restarts, nothing is queued again, the buttons follow at the tick.
    surf.clear();
    click(play_btn_play);
    EXPECT_EQ(dev.restarts, 1);
    EXPECT_EQ(dev.writes.size(), 1u);
    EXPECT_EQ(dev.resets, 0);
    EXPECT_EQ(pb->play_flg(), 1);
    EXPECT_EQ(pb->pause_flg(), 2);
    EXPECT_EQ(pb->btn_redraw_flg(), 1);
    EXPECT_EQ(surf.btn_draws, 0);
    tick();
    EXPECT_EQ(surf.btn_draws, 1);
    EXPECT_EQ(pb->btn_redraw_flg(), 2);

    // ">>" from a pause resets the device and starts again at the range start.
    click(play_btn_pause);
    click(play_btn_from_top);
    EXPECT_EQ(dev.resets, 1);
    ASSERT_EQ(dev.writes.size(), 2u);
    EXPECT_EQ(offset_of(1), 40);
    EXPECT_EQ(pb->piece_wrt_cnt(), 1);
    EXPECT_EQ(pb->play_mode(), 2);
    EXPECT_EQ(pb->play_flg(), 1);
}

TEST_F(playback, BothPlayButtonsAreIgnoredWhilePlaying) {
    make(400, 1000);
    click(play_btn_play);
    surf.clear();
    EXPECT_TRUE(click(play_btn_from_top));
    EXPECT_TRUE(click(play_btn_play));
    EXPECT_EQ(dev.writes.size(), 1u);
    EXPECT_EQ(dev.resets, 0);
    EXPECT_EQ(pb->play_mode(), 1);
    EXPECT_EQ(surf.btn_draws, 0);
}

TEST_F(playback, StopWhileStoppedShowsTheStopButtonPressedUntilTheNextTickAndClearsTheLabel) {
    make(400, 1000);
    EXPECT_TRUE(click(play_btn_stop));
    EXPECT_EQ(dev.resets, 0);  // nothing was playing
    EXPECT_EQ(surf.btn_draws, 1);
    ASSERT_EQ(surf.texts.size(), 1u);
    EXPECT_EQ(surf.texts[0].text, play_pos_blank);
    EXPECT_EQ(surf.texts[0].col, 109);
    EXPECT_EQ(std::string(play_pos_blank).size(), 17u);
    EXPECT_TRUE(pb->btn_looks(8, 18)[play_btn_stop].pressed);
    tick();
    EXPECT_FALSE(pb->btn_looks(8, 18)[play_btn_stop].pressed);
    EXPECT_EQ(surf.btn_draws, 2);
}

TEST_F(playback, StopWhilePlayingOrPausedResetsTheDevice) {
    make(400, 1000);
    click(play_btn_play);
    click(play_btn_stop);
    EXPECT_EQ(dev.resets, 1);
    EXPECT_EQ(pb->play_flg(), 2);
    click(play_btn_play);
    click(play_btn_pause);
    click(play_btn_stop);
    EXPECT_EQ(dev.resets, 2);
    EXPECT_EQ(pb->pause_flg(), 2);
    // From stopped, "→" starts afresh at the range start.
    click(play_btn_play);
    EXPECT_EQ(dev.restarts, 0);
    EXPECT_EQ(offset_of(dev.writes.size() - 1), 0);
}

TEST_F(playback, PauseWhileStoppedOnlyRepaintsTheButtons) {
    make(400, 1000);
    click(play_btn_pause);
    EXPECT_EQ(dev.pauses, 0);
    EXPECT_EQ(pb->pause_flg(), 2);
    EXPECT_EQ(surf.btn_draws, 1);
}

TEST_F(playback, ClicksAreTakenOnTheButtonEdgesAndNotBetweenThem) {
    make(400, 1000);
    const play_rect r = play_btn_rect(play_btn_stop, 8, 18);
    EXPECT_EQ(r.left, 8 * 8 - 3);
    EXPECT_EQ(r.right, 10 * 8 + 3);
    EXPECT_EQ(r.top, 18 + 12 * 18 - 3);
    EXPECT_EQ(r.bottom, 18 + 13 * 18 + 3);
    EXPECT_TRUE(pb->btn_click(r.left, r.top, src, wide, surf));
    EXPECT_TRUE(pb->btn_click(r.right, r.bottom, src, wide, surf));
    EXPECT_FALSE(pb->btn_click(r.right + 1, btn_y, src, wide, surf));  // the gap to "||"
    EXPECT_FALSE(pb->btn_click(r.left, r.bottom + 1, src, wide, surf));
    EXPECT_FALSE(pb->btn_click(-1, -1, src, wide, surf));
}

TEST_F(playback, PressedButtonsAreGreenWithTheEdgesSwappedAndLabelsSitFourPixelsIn) {
    make(400, 1000);
    click(play_btn_from_top);
    const auto looks = pb->btn_looks(8, 18);
    const char* labels[4] = {"→", ">>", "□", "||"};
    for (int i = 0; i < 4; ++i) {
        const play_btn_look& b = looks[static_cast<std::size_t>(i)];
        EXPECT_STREQ(b.label, labels[i]);
        EXPECT_EQ(b.col, (b.rect.left + 4) / 8);
        EXPECT_EQ(b.row, (b.rect.top + 4) / 18);
    }
    const play_btn_look& on = looks[play_btn_from_top];
    const play_btn_look& off = looks[play_btn_play];
    EXPECT_TRUE(on.pressed);
    EXPECT_FALSE(off.pressed);
    EXPECT_EQ(on.fill.g, 255);
    EXPECT_EQ(on.fill.r, 0);
    EXPECT_EQ(on.light.r, 111);
    EXPECT_EQ(on.dark.r, 255);
    EXPECT_EQ(off.fill.r, 191);
    EXPECT_EQ(off.light.r, 255);
    EXPECT_EQ(off.dark.b, 111);
    EXPECT_EQ(looks[1].col, (5 * 8 - 3 + 4) / 8);
}

TEST_F(playback, ARangeBeyondTheRecordingIsClampedToTheWorkingCopy) {
    make(400, 100);
    src.rng_stt = 90;
    src.rng_len = 50;  // marks past the last frame
    click(play_btn_play);
    ASSERT_EQ(dev.writes.size(), 1u);
    EXPECT_EQ(offset_of(0), 360);
    EXPECT_EQ(dev.writes[0].length, 40);

    click(play_btn_stop);
    src.rng_stt = -5;
    src.rng_len = 1000;
    click(play_btn_play);
    EXPECT_EQ(offset_of(1), 0);
    EXPECT_EQ(dev.writes[1].length, 400);
}

TEST_F(playback, NothingPlaysWithoutAWorkingCopyOrWithAnEmptyRange) {
    make(400, 100);
    src.rng_len = 0;
    click(play_btn_play);
    EXPECT_EQ(pb->play_flg(), 2);
    src = play_source{nullptr, 100, 0, 100};
    click(play_btn_from_top);
    EXPECT_EQ(pb->play_flg(), 2);
    src = play_source{copy.data(), 0, 0, 1};
    click(play_btn_play);
    EXPECT_EQ(pb->play_flg(), 2);
    EXPECT_TRUE(dev.writes.empty());
    EXPECT_EQ(surf.btn_draws, 3);
}

TEST_F(playback, LaterPiecesKeepTheRangeTakenAtTheStartEvenWhenTheMarksMove) {
    make(400, 1000);
    src.rng_stt = 10;
    src.rng_len = 150;  // 600 bytes: 400 + 200
    click(play_btn_play);
    src.rng_stt = 995;  // a mark set while playing
    src.rng_len = 5;
    dev.pos = {sound_pos::samples, 100};
    dev.done = true;
    tick();
    ASSERT_EQ(dev.writes.size(), 2u);
    EXPECT_EQ(offset_of(1), 40 + 400);
    EXPECT_EQ(dev.writes[1].length, 200);
    EXPECT_EQ(pb->play_pos(), 110);
}

TEST_F(playback, APieceNeverReachesPastAWorkingCopyThatShrankWhilePlaying) {
    make(400, 1000);
    click(play_btn_play);  // 4000 bytes in ten pieces
    src.data_cnt = 150;    // the copy now holds 600 bytes
    dev.done = true;
    tick();
    ASSERT_EQ(dev.writes.size(), 2u);
    EXPECT_EQ(dev.writes[1].length, 200);
    dev.done = true;
    tick();
    EXPECT_EQ(dev.writes.size(), 2u);
    EXPECT_EQ(pb->play_flg(), 2);
    EXPECT_EQ(dev.resets, 1);
}

TEST_F(playback, ClosingTheOutputStopsAndClosesTheDeviceOnce) {
    make(400, 1000);
    click(play_btn_play);
    pb.reset();
    EXPECT_EQ(dev.resets, 1);
    EXPECT_EQ(dev.closes, 1);
}

}  // namespace
