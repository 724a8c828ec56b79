#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "document/le_bytes.h"
#include "view/marks.h"
#include "view/wave_columns.h"

namespace {

struct line {
    int x1, y1, x2, y2;
};

// Stereo frames: left = f(i), right = -f(i).
std::vector<unsigned char> frames(int n, int (*f)(int)) {
    std::vector<unsigned char> b(static_cast<size_t>(n) * 4);
    for (int i = 0; i < n; ++i) {
        le_put_i16(&b[i * 4], static_cast<std::int16_t>(f(i)));
        le_put_i16(&b[i * 4 + 2], static_cast<std::int16_t>(-f(i)));
    }
    return b;
}

std::vector<line> plan(const view_rect& pane, const wave_source& src, long long stt, long long cnt, double spp,
                       int* columns = nullptr) {
    std::vector<line> out;
    const int c = plan_wave_pane(pane, src, stt, cnt, spp,
                                 [&](int a, int b, int c2, int d) { out.push_back({a, b, c2, d}); });
    if (columns != nullptr) *columns = c;
    return out;
}

const view_rect wide{100, 0, 1000, 100};  // 900 pixels: columns 1 .. 897
// A pane of 65538 rows maps every sample value to a row of its own: y = 32769 - v.
const view_rect tall{100, 0, 1000, 65538};

TEST(wave_y, MapsFullScaleToThePaneEdgesAndClamps) {
    EXPECT_EQ(wave_y(tall, 1234), 32769 - 1234);
    EXPECT_EQ(wave_y(tall, -32768), 65537);
    const view_rect p{0, 100, 50, 200};  // mid 150, amp 49
    EXPECT_EQ(wave_y(p, 0), 150);
    EXPECT_EQ(wave_y(p, 32767), 150 - 48);
    EXPECT_EQ(wave_y(p, -32768), 150 + 49);
    EXPECT_EQ(wave_y(p, 16384), 150 - 24);
    const view_rect tiny{0, 10, 50, 11};  // amp -1: still inside the pane
    EXPECT_GE(wave_y(tiny, 32767), 10);
    EXPECT_LE(wave_y(tiny, 32767), 11);
}

TEST(wave_columns, AtOneSixtyFourthColumnIStartsAtFrame64I) {
    const auto b = frames(44100, [](int i) { return i % 1000; });
    const buffer_wave_source src(b.data(), 44100, 0);
    int columns = 0;
    const auto lines = plan(tall, src, 0, 44100, 64.0, &columns);
    EXPECT_EQ(columns, 689) << "44100 frames fill 689 columns";
    ASSERT_EQ(lines.size(), 689u);
    EXPECT_EQ(lines[0].x1, 100 + 1 + 1);
    EXPECT_EQ(lines[0].x2, lines[0].x1) << "one vertical line per column";
    // Column 1 covers frames 64 .. 127 and the carried frame-0 value.
    EXPECT_EQ(lines[0].y1, 32769 - 0);
    EXPECT_EQ(lines[0].y2, 32769 - 127);
    // Column 2 covers 128 .. 191 plus the carried 127.
    EXPECT_EQ(lines[1].y1, 32769 - 127);
    EXPECT_EQ(lines[1].y2, 32769 - 191);
    EXPECT_EQ(column_frame(0, 64.0, 689), 44096);
    EXPECT_EQ(column_frame(1000, 64.0, 1), 1064);
}

TEST(wave_columns, TheRightChannelReadsTheSecondSampleOfEachFrame) {
    const auto b = frames(1000, [](int) { return 8000; });
    const buffer_wave_source left(b.data(), 1000, 0);
    const buffer_wave_source right(b.data(), 1000, 1);
    EXPECT_EQ(plan(wide, left, 0, 1000, 4.0)[3].y1, wave_y(wide, 8000));
    EXPECT_EQ(plan(wide, right, 0, 1000, 4.0)[3].y1, wave_y(wide, -8000));
}

TEST(wave_columns, AFlatColumnStillDrawsOnePixel) {
    const auto b = frames(1000, [](int) { return 0; });
    const buffer_wave_source src(b.data(), 1000, 0);
    const auto lines = plan(wide, src, 0, 1000, 2.0);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0].y2, lines[0].y1 + 1);
}

TEST(wave_columns, AColumnNeverReadsPastTheDataCount) {
    // The buffer is longer than the recording; the frames past data_cnt hold
    // a sentinel that must never show.
    auto b = frames(300, [](int i) { return i < 200 ? 100 : 30000; });
    const buffer_wave_source src(b.data(), 200, 0);
    int columns = 0;
    const auto lines = plan(wide, src, 0, 200, 64.0, &columns);
    EXPECT_EQ(columns, 3) << "frames 64, 128, 192";
    for (const auto& l : lines) EXPECT_GE(std::min(l.y1, l.y2), wave_y(wide, 100) - 1);
}

TEST(wave_columns, NothingIsDrawnForAnEmptyRecordingOrANarrowPane) {
    const auto b = frames(10, [](int) { return 1; });
    const buffer_wave_source src(b.data(), 10, 0);
    EXPECT_TRUE(plan(wide, src, 0, 0, 64.0).empty());
    EXPECT_TRUE(plan(view_rect{0, 0, 3, 100}, src, 0, 10, 0.5).empty()) << "a 3-pixel pane has no columns";
    EXPECT_EQ(plan(view_rect{0, 0, 4, 100}, src, 0, 10, 0.5).size(), 1u);
    EXPECT_TRUE(plan(wide, src, -1000, 10, 64.0).empty()) << "a negative frame stops at once";
}

TEST(wave_columns, AtOneFramePerPixelOrLessLinesJoinSuccessiveSamples) {
    const auto b = frames(100, [](int i) { return i * 100; });
    const buffer_wave_source src(b.data(), 100, 0);
    const auto lines = plan(wide, src, 10, 100, 0.5);
    ASSERT_GE(lines.size(), 3u);
    // Column 1 is frame 10 (trunc 0.5) joined from the carried frame 10.
    EXPECT_EQ(lines[0].x1, 101);
    EXPECT_EQ(lines[0].x2, 102);
    EXPECT_EQ(lines[0].y1, wave_y(wide, 1000));
    EXPECT_EQ(lines[0].y2, wave_y(wide, 1100 - 100));
    EXPECT_EQ(lines[1].y2, wave_y(wide, 1100)) << "column 2 shows frame 11";
    EXPECT_EQ(lines[2].y1, lines[1].y2);
    EXPECT_EQ(lines.size(), 179u) << "frame 10 once, frames 11 .. 99 at two columns each";
}

// A part of 1000 frames of capacity whose left channel sounds in two episodes.
struct part_fixture {
    std::vector<unsigned char> buf = frames(1000, [](int i) { return 1000 + i; });
    std::array<msc_prt_inf_t, 2> rec{};
    part_fixture() {
        std::memset(rec.data(), 0, sizeof rec);
        // Episode 1: recording frames 500 .. 599 from buffer offset 0.
        rec[0].stt_orgn_L = 500;
        rec[0].data_cnt_L = 99;
        rec[0].stt_ofs_L = 0;
        // Episode 2: recording frames 2000 .. 2099 from buffer offset 300.
        rec[1].stt_orgn_L = 2000;
        rec[1].data_cnt_L = 100;
        rec[1].stt_ofs_L = 300;
        rec[1].stt_orgn_R = 2000;
        rec[1].data_cnt_R = 100;
        rec[1].stt_ofs_R = 300;
    }
    part_wave_source src(int chnl, long long cap = 1000) const {
        return part_wave_source(rec.data(), 2, buf.data(), cap, chnl);
    }
};

TEST(part_lookup, TheFirstCoveringRecordSuppliesTheSampleUpToItsStartPlusLength) {
    const part_fixture f;
    const auto src = f.src(0);
    EXPECT_EQ(src.run_at(499).n, 0);
    wave_run r = src.run_at(500);
    ASSERT_EQ(r.n, 100);
    EXPECT_EQ(r.at(0), 1000);
    r = src.run_at(599);
    ASSERT_EQ(r.n, 1) << "start + length itself is still accepted";
    EXPECT_EQ(r.at(0), 1099);
    EXPECT_EQ(src.run_at(600).n, 0);
    r = src.run_at(2010);
    EXPECT_EQ(r.at(0), 1310);
    EXPECT_EQ(f.src(1).run_at(550).n, 0) << "the right channel has only episode 2";
}

TEST(part_lookup, RecordsReachingPastTheWaveformAreCutAtItsCapacity) {
    const part_fixture f;
    const auto src = f.src(0, 350);  // episode 2 would need offsets 300 .. 400
    EXPECT_EQ(src.run_at(2000).n, 50);
    EXPECT_EQ(src.run_at(2049).n, 1);
    EXPECT_EQ(src.run_at(2050).n, 0);
    part_fixture bad;
    bad.rec[0].stt_ofs_L = -5;
    EXPECT_EQ(bad.src(0).run_at(500).n, 0) << "a negative offset covers nothing";
    EXPECT_EQ(bad.src(0).run_at(505).at(0), 1000);
    const part_wave_source none(nullptr, 2, f.buf.data(), 1000, 0);
    EXPECT_EQ(none.run_at(500).n, 0) << "a part without an info area shows nothing";
}

TEST(part_lane, ColumnsNoRecordCoversAreLeftEmptyWhenZoomedOut) {
    const part_fixture f;
    const auto src = f.src(0);
    // 16 frames per pixel from frame 0: columns 31 .. 37 cover 496 .. 607.
    std::vector<line> lines = plan(tall, src, 0, 5000, 16.0);
    std::vector<int> xs;
    for (const auto& l : lines) xs.push_back(l.x1 - 101);
    ASSERT_FALSE(xs.empty());
    EXPECT_EQ(xs.front(), 32) << "column 32 (frame 512) is the first covered one";
    EXPECT_EQ(std::count(xs.begin(), xs.end(), 31), 0) << "frame 496 is not covered";
    // The column's min and max start afresh and stop at the record's end.
    const line& first = lines.front();
    EXPECT_EQ(first.y1, 32769 - 1012);
    EXPECT_EQ(first.y2, 32769 - 1027);
    const auto last_ep1 = std::find_if(lines.begin(), lines.end(), [](const line& l) { return l.x1 - 101 == 37; });
    ASSERT_NE(last_ep1, lines.end());
    EXPECT_EQ(last_ep1->y1, 32769 - 1092);
    EXPECT_EQ(last_ep1->y2, 32769 - 1099) << "frames 592 .. 599 only";
}

TEST(part_lane, UncoveredFramesDrawTheZeroLineWhenZoomedIn) {
    const part_fixture f;
    const auto src = f.src(0);
    const auto lines = plan(wide, src, 495, 5000, 1.0);
    ASSERT_GE(lines.size(), 10u);
    EXPECT_EQ(lines[0].y1, wave_y(wide, 0)) << "the carried value starts at the uncovered frame 495";
    EXPECT_EQ(lines[0].y2, wave_y(wide, 0)) << "frame 496";
    EXPECT_EQ(lines[4].y2, wave_y(wide, 1000)) << "frame 500";
}

TEST(marks, VisibleRangeAndColumnFollowTheZoom) {
    view_disp_state s;
    set_char_cell(s, 8, 18);
    set_zoom(s, 1.0 / 64);
    s.draw_stt = 1000;
    const view_rect pane{100, 0, 201, 50};  // 101 pixels
    const smpl_range r = visible_smpl_range(s, pane);
    EXPECT_EQ(r.first, 1000);
    EXPECT_EQ(r.last, 1000 + 6400);
    EXPECT_TRUE(r.contains(7400));
    EXPECT_FALSE(r.contains(7401));
    EXPECT_FALSE(r.contains(999));
    EXPECT_EQ(mark_column(s, pane, 1000), 100);
    EXPECT_EQ(mark_column(s, pane, 1127), 101);
    EXPECT_EQ(mark_column(s, pane, 1128), 102);
}

TEST(marks, ArrowheadsPointIntoTheRangeOnlyWhereTheyFit) {
    const view_rect pane{100, 50, 300, 90};
    const view_rect wave{100, 50, 300, 130};
    auto start = ext_mark_lines(150, true, pane, wave);
    ASSERT_EQ(start.size(), 2u + 8u);
    EXPECT_EQ(start[0].x1, 150);
    EXPECT_EQ(start[1].x1, 151);
    EXPECT_EQ(start[0].y1, 51);
    EXPECT_EQ(start[0].y2, 129);
    // First arrow line of i = 0: (x + 1, m - 6) -> (x + 6, m).
    EXPECT_EQ(start[2].x1, 151);
    EXPECT_EQ(start[2].y1, 84);
    EXPECT_EQ(start[2].x2, 156);
    EXPECT_EQ(start[2].y2, 90);
    auto end = ext_mark_lines(150, false, pane, wave);
    EXPECT_EQ(end[1].x1, 149);
    EXPECT_EQ(end[2].x2, 144) << "the end mark's arrow points left";
    // At the right edge the start mark has no room for its arrow or its second line.
    EXPECT_EQ(ext_mark_lines(299, true, pane, wave).size(), 1u);
    // At the left edge the end mark keeps one line and no arrow.
    EXPECT_EQ(ext_mark_lines(100, false, pane, wave).size(), 1u);
    EXPECT_EQ(ext_mark_lines(105, false, pane, wave).size(), 2u);
    EXPECT_EQ(ext_mark_lines(106, false, pane, wave).size(), 10u);
}

}  // namespace
