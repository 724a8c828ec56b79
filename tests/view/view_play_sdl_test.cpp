// Playback from the view's buttons through the SDL2 output on SDL's disk
// driver: clicks on "→", ">>", "□" and "||", timer 1 feeding the device, and
// what the driver wrote compared byte for byte with the working copy. The
// driver writes at about real-time pace, with silence while the device idles.
#include <gtest/gtest.h>

#include <QTest>
#include <cstdio>
#include <cstdlib>

#include "app/err_log.h"
#include "app/gui/command_ids.h"
#include "platform/sjis.h"
#include "tests/support/test_dir.h"
#include "view/view_control.h"
#include "view_fixture.h"

namespace {

// No frame of it is silent (left 1 .. 30000, right its negative), so the
// device's silence can be told from data.
std::int16_t busy(int i) { return static_cast<std::int16_t>(1 + (i * 7) % 30000); }

struct view_play : in_test_dir {
    std::unique_ptr<CTonewarpDoc> doc;
    std::unique_ptr<CTonewarpView> view;
    recording_presenter messages;

    void SetUp() override {
        test_app();
        setenv("SDL_DISKAUDIOFILE", "played.raw", 1);  // in this test's own directory
        doc = make_doc(make_wave(30000, busy));
        view = make_view(doc.get(), 1300, 500);
        ASSERT_TRUE(view->initialised());
        ASSERT_EQ(view->control().playback().output()->output_dev_count(), 1) << "the disk driver's device";
    }
    void TearDown() override {
        view.reset();
        setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
    }
    // Marks from frame first to frame last, set the way the user sets them.
    void set_range(int first, int last) {
        view->disp().clk_mark = {1, 0, first, 0.0};
        view->on_command(cmd::ID_EXT_START);
        view->disp().clk_mark = {1, 0, last, 0.0};
        view->on_command(cmd::ID_EXT_END);
    }
    void click(int id) {
        const view_rect& b = view->layout().play_btn[id];
        QTest::mouseClick(view.get(), Qt::LeftButton, {},
                          QPoint((b.left + b.right) / 2, (b.top + b.bottom) / 2));
    }
    const view_playback& pb() { return view->control().playback(); }
    bool play_to_end() {
        for (int i = 0; i < 500 && pb().play_flg() == 1; ++i) QTest::qWait(10);
        return pb().play_flg() == 2;
    }
    std::string copy_bytes(int first, int frames) const {
        return std::string(reinterpret_cast<const char*>(doc->mdfy_dt) + 4 * first, 4 * frames);
    }
    // Closes the output so the driver's file is complete; returns its frames that are not silence.
    std::string played() {
        view->control().close_output();
        const std::string all = read_file_bytes("played.raw");
        std::string out;
        for (std::size_t at = 0; at + 4 <= all.size(); at += 4) {
            if (all.compare(at, 4, std::string(4, '\0')) != 0) out.append(all, at, 4);
        }
        return out;
    }
};

TEST_F(view_play, ARangePlayedToTheEndWritesExactlyItsBytesOfTheWorkingCopy) {
    set_range(5000, 13999);
    click(play_btn_play);
    EXPECT_EQ(pb().play_flg(), 1);
    EXPECT_EQ(view->play_btns.playing, 1) << "the frame paints the buttons from playback's state";
    const view_rect& b = view->layout().play_btn[play_btn_play];
    EXPECT_EQ(px(view->image(), b.left + 4, b.top + 4), rgb_of(vc::pressed));
    ASSERT_TRUE(play_to_end());
    EXPECT_EQ(px(view->image(), b.left + 4, b.top + 4), rgb_of(vc::lt_grey));
    EXPECT_EQ(played(), copy_bytes(5000, 9000));
}

TEST_F(view_play, PauseThenPlayContinuesWhereItPausedAndFromTheTopStartsAgainAtTheRangeStart) {
    set_range(2000, 10999);
    const std::string range = copy_bytes(2000, 9000);
    click(play_btn_play);
    QTest::qWait(60);
    click(play_btn_pause);
    EXPECT_EQ(pb().pause_flg(), 1);
    QTest::qWait(150);
    click(play_btn_play);
    ASSERT_TRUE(play_to_end());
    click(play_btn_from_top);
    QTest::qWait(60);
    click(play_btn_pause);
    click(play_btn_from_top);
    EXPECT_EQ(pb().play_mode(), 2);
    ASSERT_TRUE(play_to_end());
    // The range once (nothing lost or repeated at the pause), a prefix cut by the pause, the range again.
    const std::string out = played();
    ASSERT_GT(out.size(), 2 * range.size());
    EXPECT_EQ(out, range + range.substr(0, out.size() - 2 * range.size()) + range);
}

TEST_F(view_play, BothPlayButtonsAreIgnoredWhilePlayingAndStopEndsIt) {
    set_range(0, 8999);
    click(play_btn_play);
    QTest::qWait(30);
    click(play_btn_play);
    click(play_btn_from_top);
    EXPECT_EQ(pb().play_mode(), 1);
    ASSERT_TRUE(play_to_end());
    click(play_btn_from_top);
    QTest::qWait(60);
    click(play_btn_stop);
    EXPECT_EQ(pb().play_flg(), 2);
    EXPECT_EQ(pb().btn_redraw_flg(), 1);
    // The whole range once, then a prefix cut by the stop.
    const std::string range = copy_bytes(0, 9000);
    const std::string out = played();
    ASSERT_GT(out.size(), range.size());
    EXPECT_EQ(out, range + range.substr(0, out.size() - range.size()));
}

TEST_F(view_play, TheOpeningOfTheOutputListsSdlsDevicesInTheLogWhenTracing) {
    view.reset();
    std::remove(err_log_file_name);
    log_on_flg = 1;
    view = make_view(doc.get(), 1300, 500);
    log_on_flg = 0;
    const std::string log = cp932_to_utf8(read_file_bytes(err_log_file_name));
    EXPECT_NE(log.find("waveOutGetNumDevs() =     1\r\n"), std::string::npos) << log;
    const auto name = log.find("szPname        = ");
    ASSERT_NE(name, std::string::npos);
    EXPECT_NE(log.compare(name + 17, 2, "\r\n"), 0) << "the device's name as SDL reports it";
    EXPECT_NE(log.find("wChannels      = "), std::string::npos)
        << "the channels SDL reports (0 when it has none)";
    EXPECT_NE(log.find("waveOutOpen() =     0\r\n\r\nWAVEFORMATEX Values:"), std::string::npos);
    EXPECT_NE(log.find("nSamplesPerSec  =  44100 \r\n"), std::string::npos);
}

}  // namespace
