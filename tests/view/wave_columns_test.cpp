#include "view/wave_columns.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "document/le_bytes.h"
#include "view/marks.h"

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

std::vector<line> plan(const view_rect& pane, const wave_source& src, long long stt, long long cnt,
                       double spp) {
    std::vector<line> out;
    plan_wave_pane(pane, src, stt, cnt, spp, [&](int a, int b, int c, int d) {
        out.push_back({a, b, c, d});
    });
    return out;
}

// A pane of 65538 rows maps every sample value to a row of its own: y = 32769 - v.
const view_rect tall{100, 0, 1000, 65538};
constexpr int Y(int v) { return 32769 - v; }

TEST(wave_columns, AtOneSixtyFourthColumnIStartsAtFrame64IAndCarriesTheLastSample) {
    const auto b = frames(44100, [](int i) { return i % 1000; });
    const auto lines = plan(tall, buffer_wave_source(b.data(), 44100, 0), 0, 44100, 64.0);
    ASSERT_EQ(lines.size(), 689u) << "44100 frames fill 689 columns";
    EXPECT_EQ(lines[0].x1, 100 + 1 + 1);
    EXPECT_EQ(lines[0].x2, lines[0].x1) << "one vertical line per column";
    // Column 1 covers frames 64 .. 127 and the carried frame-0 value; column 2
    // covers 128 .. 191 and the carried 127.
    EXPECT_EQ(lines[0].y1, Y(0));
    EXPECT_EQ(lines[0].y2, Y(127));
    EXPECT_EQ(lines[1].y1, Y(127));
    EXPECT_EQ(lines[1].y2, Y(191));
    const auto right = plan(tall, buffer_wave_source(b.data(), 44100, 1), 0, 44100, 64.0);
    EXPECT_EQ(right[1].y1, Y(-191)) << "the right channel is the second sample of a frame";
}

TEST(wave_columns, AFlatColumnStillDrawsOnePixelAndNoColumnReadsPastTheDataCount) {
    // Frames past the data count hold a sentinel that must never show.
    auto b = frames(300, [](int i) { return i < 200 ? 100 : 30000; });
    const auto lines = plan(tall, buffer_wave_source(b.data(), 200, 0), 0, 200, 64.0);
    ASSERT_EQ(lines.size(), 3u) << "frames 64, 128, 192";
    for (const auto& l : lines) {
        EXPECT_EQ(l.y1, Y(100));
        EXPECT_EQ(l.y2, Y(100) + 1);
    }
}

TEST(wave_columns, NothingIsDrawnForAnEmptyRecordingANarrowPaneOrANegativeStart) {
    const view_rect tiny{0, 10, 50, 11};  // amp -1: still inside the pane
    EXPECT_GE(wave_y(tiny, 32767), 10);
    const auto b = frames(10, [](int) { return 1; });
    const buffer_wave_source src(b.data(), 10, 0);
    EXPECT_TRUE(plan(tall, src, 0, 0, 64.0).empty());
    EXPECT_TRUE(plan(view_rect{0, 0, 3, 100}, src, 0, 10, 0.5).empty()) << "a 3-pixel pane has no columns";
    EXPECT_EQ(plan(view_rect{0, 0, 4, 100}, src, 0, 10, 0.5).size(), 1u);
    EXPECT_TRUE(plan(tall, src, -1000, 10, 64.0).empty());
}

TEST(wave_columns, AtOneFramePerPixelOrLessLinesJoinSuccessiveSamples) {
    const auto b = frames(100, [](int i) { return i * 100; });
    const auto lines = plan(tall, buffer_wave_source(b.data(), 100, 0), 10, 100, 0.5);
    ASSERT_EQ(lines.size(), 179u) << "frame 10 once, frames 11 .. 99 at two columns each";
    EXPECT_EQ(lines[0].x1, 101);
    EXPECT_EQ(lines[0].x2, 102);
    EXPECT_EQ(lines[0].y1, Y(1000)) << "carried from the drawing start";
    EXPECT_EQ(lines[1].y2, Y(1100));
    EXPECT_EQ(lines[2].y1, Y(1100));
}

// A part whose left channel sounds in two episodes: recording frames
// 500 .. 599 from buffer offset 0, and 2000 .. 2100 from offset 300.
struct part_fixture {
    std::vector<unsigned char> buf = frames(1000, [](int i) { return 1000 + i; });
    std::array<msc_prt_inf_t, 2> rec{};
    part_fixture() {
        rec[0].stt_orgn_L = 500;
        rec[0].data_cnt_L = 99;
        rec[1].stt_orgn_L = 2000;
        rec[1].data_cnt_L = 100;
        rec[1].stt_ofs_L = 300;
    }
    part_wave_source src(long long cap = 1000) const {
        return part_wave_source(rec.data(), 2, buf.data(), cap, 0);
    }
};

TEST(part_lookup, TheFirstCoveringRecordSuppliesSamplesUpToItsStartPlusLength) {
    const part_fixture f;
    const auto src = f.src();
    EXPECT_EQ(src.run_at(499).n, 0);
    EXPECT_EQ(src.run_at(500).n, 100);
    EXPECT_EQ(src.run_at(500).at(0), 1000);
    EXPECT_EQ(src.run_at(599).n, 1) << "start + length itself is still accepted";
    EXPECT_EQ(src.run_at(600).n, 0);
    EXPECT_EQ(src.run_at(2010).at(0), 1310);
    EXPECT_EQ(part_wave_source(f.rec.data(), 2, f.buf.data(), 1000, 1).run_at(550).n, 0)
        << "the right channel has no samples here";
}

TEST(part_lookup, ReadsNeverLeaveThePartsWaveform) {
    const part_fixture f;
    const auto src = f.src(350);  // episode 2 would need offsets 300 .. 400
    EXPECT_EQ(src.run_at(2000).n, 50);
    EXPECT_EQ(src.run_at(2050).n, 0);
    part_fixture bad;
    bad.rec[0].stt_ofs_L = -5;
    EXPECT_EQ(bad.src().run_at(500).n, 0) << "a negative offset covers nothing";
    EXPECT_EQ(part_wave_source(nullptr, 2, f.buf.data(), 1000, 0).run_at(500).n, 0);
}

TEST(part_lane, ColumnsNoRecordCoversAreLeftEmptyWhenZoomedOut) {
    const part_fixture f;
    const std::vector<line> lines = plan(tall, f.src(), 0, 5000, 16.0);
    ASSERT_FALSE(lines.empty());
    // Column 31 starts at frame 496, which no record covers, although its
    // span reaches into the first episode; column 32 starts at 512.
    EXPECT_EQ(lines.front().x1 - 101, 32);
    // The column's minimum and maximum start afresh (no carried value).
    EXPECT_EQ(lines.front().y1, Y(1012));
    EXPECT_EQ(lines.front().y2, Y(1027));
    // Column 37 (frames 592 ..) stops at the record's end.
    const auto c37 = std::find_if(lines.begin(), lines.end(), [](const line& l) { return l.x1 - 101 == 37; });
    ASSERT_NE(c37, lines.end());
    EXPECT_EQ(c37->y2, Y(1099));
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const line& l) { return l.x1 - 101 == 38; }), 0);
}

TEST(part_lane, UncoveredFramesDrawTheZeroLineWhenZoomedIn) {
    const part_fixture f;
    const auto lines = plan(tall, f.src(), 495, 5000, 1.0);
    ASSERT_GE(lines.size(), 10u);
    EXPECT_EQ(lines[0].y1, Y(0)) << "the carried value starts at the uncovered frame 495";
    EXPECT_EQ(lines[0].y2, Y(0));
    EXPECT_EQ(lines[4].y2, Y(1000)) << "frame 500";
}

TEST(marks, VisibleRangeAndColumnFollowTheZoom) {
    view_disp_state s;
    set_char_cell(s, 8, 18);
    s.draw_stt = 1000;
    const view_rect pane{100, 0, 201, 50};  // 101 pixels at 64 frames each
    const smpl_range r = visible_smpl_range(s, pane);
    EXPECT_EQ(r.first, 1000);
    EXPECT_EQ(r.last, 1000 + 6400);
    EXPECT_FALSE(r.contains(7401));
    EXPECT_EQ(mark_column(s, pane, 1127), 101);
    EXPECT_EQ(mark_column(s, pane, 1128), 102);
}

TEST(marks, ArrowheadsPointIntoTheRangeOnlyWhereTheyFit) {
    const view_rect pane{100, 50, 300, 90};
    const view_rect wave{100, 50, 300, 130};
    auto start = ext_mark_lines(150, true, pane, wave);
    ASSERT_EQ(start.size(), 2u + 8u);
    EXPECT_EQ(start[1].x1, 151);
    EXPECT_EQ(start[0].y1, 51);
    EXPECT_EQ(start[0].y2, 129);
    // First arrow line: (x + 1, m - 6) -> (x + 6, m); the end mark's points left.
    EXPECT_EQ(start[2].y1, 84);
    EXPECT_EQ(start[2].x2, 156);
    EXPECT_EQ(ext_mark_lines(150, false, pane, wave)[2].x2, 144);
    EXPECT_EQ(ext_mark_lines(299, true, pane, wave).size(), 1u) << "no room right of the pane";
    EXPECT_EQ(ext_mark_lines(100, false, pane, wave).size(), 1u);
    EXPECT_EQ(ext_mark_lines(105, false, pane, wave).size(), 2u);
    EXPECT_EQ(ext_mark_lines(106, false, pane, wave).size(), 10u);
}

}  // namespace
