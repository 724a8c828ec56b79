#include "view/draw_ops.h"

#include <gtest/gtest.h>

#include <QFontMetrics>

#include "view/part_icons.h"
#include "view_fixture.h"

namespace {

constexpr rgb red{255, 0, 0};
constexpr rgb blue{0, 0, 255};

struct canvas {
    QImage img{64, 48, QImage::Format_RGB32};
    QFont font;
    canvas() {
        test_app();
        img.fill(Qt::black);
        font.setPixelSize(12);
    }
    std::unique_ptr<draw_ctx> dc() { return std::make_unique<draw_ctx>(img, font, 6, 13); }
    QRgb at(int x, int y) const { return px(img, x, y); }
    int count(rgb c) const {
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) n += at(x, y) == rgb_of(c);
        return n;
    }
};

TEST(draw_ops, EveryOperationRefusesAMissingContext) {
    EXPECT_EQ(draw_line_rect(nullptr, 0, 0, 5, 5, red, 0), -1);
    EXPECT_EQ(draw_line_rect_xor(nullptr, 0, 0, 5, 5, red, 2), -1);
    EXPECT_EQ(draw_box(nullptr, 0, 0, 5, 5, 1, red, red, red), -1);
    EXPECT_EQ(set_text_color(nullptr, red), -1);
    EXPECT_EQ(set_back_color(nullptr, red), -1);
    EXPECT_EQ(text_out_cell(nullptr, 1, 1, "x"), -1);
    EXPECT_EQ(text_out_pix(nullptr, 1, 1, "x"), -1);
}

TEST(draw_ops, LinesStopBeforeTheirEndFillsIncludeBothCornersOutlinesRunThroughThem) {
    canvas c;
    {
        auto dc = c.dc();
        EXPECT_EQ(draw_line_rect(dc.get(), 5, 10, 5, 11, red, 0), 0);  // one pixel
        draw_line_rect(dc.get(), 20, 30, 20, 20, red, 0);              // upwards: rows 30 .. 21
        draw_line_rect(dc.get(), 40, 5, 40, 5, red, 0);                // nothing
        draw_line_rect(dc.get(), 30, 40, 36, 43, blue, 0);             // one pixel per column
    }
    EXPECT_EQ(c.at(20, 20), 0u);
    EXPECT_EQ(c.count(red), 1 + 10);
    EXPECT_EQ(c.count(blue), 6);
    EXPECT_EQ(c.at(36, 43), 0u);

    canvas f;
    {
        auto dc = f.dc();
        draw_line_rect(dc.get(), 12, 9, 3, 4, red, 2);
        draw_line_rect(dc.get(), 30, 10, 39, 15, blue, 1);
    }
    EXPECT_EQ(f.count(red), 10 * 6);
    EXPECT_EQ(f.at(12, 9), rgb_of(red));
    EXPECT_EQ(f.count(blue), 2 * 10 + 2 * 4);
    EXPECT_EQ(f.at(39, 15), rgb_of(blue));
}

// A batch of lines sets the same pixels as drawing them one by one:
// vertical, horizontal, diagonal, single points, reversed ends and lines
// running off the image; and a painter that must not be bypassed (a clip)
// is honoured.
TEST(draw_ops, ALineBatchSetsExactlyThePixelsOfSingleLines) {
    const int lines[][4] = {{5, 5, 5, 20},   {7, 20, 7, 5},    {3, 9, 30, 9},  {30, 11, 3, 11},
                            {10, 10, 10, 11}, {12, 12, 12, 12}, {1, 1, 40, 30}, {40, 2, 8, 44},
                            {-5, 3, 70, 3},   {60, -10, 60, 90}, {70, 5, 70, 9}, {2, 47, 2, 60}};
    for (bool clip : {false, true}) {
        canvas one, batch;
        {
            auto d1 = one.dc();
            auto d2 = batch.dc();
            if (clip) {
                d1->painter().setClipRect(QRect(4, 4, 30, 30));
                d2->painter().setClipRect(QRect(4, 4, 30, 30));
            }
            for (const auto& l : lines) draw_line_rect(d1.get(), l[0], l[1], l[2], l[3], red, 0);
            line_batch b(d2.get(), red);
            for (const auto& l : lines) b.line(l[0], l[1], l[2], l[3]);
        }
        EXPECT_EQ(one.img, batch.img) << (clip ? "clipped" : "unclipped");
        EXPECT_GT(batch.count(red), 100);
    }
    line_batch none(nullptr, red);
    none.line(0, 0, 5, 5);  // no context: nothing happens
}

TEST(draw_ops, XorTwiceRestoresTheImageForEveryKind) {
    canvas c;
    {
        auto dc = c.dc();
        draw_line_rect(dc.get(), 0, 0, 63, 47, vc::pane, 2);
    }
    const QImage before = c.img.copy();
    for (int kind = 0; kind < 3; ++kind) {
        {
            auto dc = c.dc();
            draw_line_rect_xor(dc.get(), 3, 3, 30, 20, red, kind);
        }
        EXPECT_EQ(c.at(3, 3), rgb_of(rgb{73 ^ 255, 64, 83})) << kind;
        {
            auto dc = c.dc();
            draw_line_rect_xor(dc.get(), 3, 3, 30, 20, red, kind);
            EXPECT_EQ(dc->painter().compositionMode(), QPainter::CompositionMode_SourceOver)
                << "the raster operation is put back";
        }
        EXPECT_EQ(c.img, before) << kind;
    }
}

TEST(draw_ops, BoxesHaveTheirEdgesInsideXPlusWidthMinusOne) {
    canvas c;
    {
        auto dc = c.dc();
        draw_box(dc.get(), 10, 10, 20, 8, 1, red, vc::light, vc::dark);
        EXPECT_EQ(draw_box(dc.get(), 40, 0, 0, 5, 2, red, vc::light, vc::dark), 0);
    }
    // Style 1: light top and left edges, dark bottom (from x + 1) and right (from y + 1).
    EXPECT_EQ(c.at(29, 10), rgb_of(vc::light));
    EXPECT_EQ(c.at(10, 17), rgb_of(vc::light));
    EXPECT_EQ(c.at(11, 17), rgb_of(vc::dark));
    EXPECT_EQ(c.at(29, 11), rgb_of(vc::dark));
    EXPECT_EQ(c.at(15, 13), rgb_of(red));
    EXPECT_EQ(c.at(30, 13), 0u);
    // Style 2: black outline, two light rows and columns, two dark ones, then the fill.
    c.img.setPixel(10, 30, 0xFFFFFFFF);
    {
        auto dc = c.dc();
        draw_box(dc.get(), 10, 30, 20, 12, 2, red, vc::light, vc::dark);
    }
    EXPECT_EQ(c.at(10, 30), 0u);
    EXPECT_EQ(c.at(15, 31), rgb_of(vc::light));
    EXPECT_EQ(c.at(12, 35), rgb_of(vc::light));
    EXPECT_EQ(c.at(15, 39), rgb_of(vc::dark));
    EXPECT_EQ(c.at(28, 35), rgb_of(vc::dark));
    EXPECT_EQ(c.at(13, 33), rgb_of(red));
    EXPECT_EQ(c.at(40, 2), 0u) << "an empty box draws nothing";
}

TEST(draw_ops, CellTextStartsAtTheCellCornerOnItsBackground) {
    canvas c;
    {
        auto dc = c.dc();
        set_text_color(dc.get(), vc::white);
        set_back_color(dc.get(), blue);
        text_out_cell(dc.get(), 2, 1, "Ab");
    }
    // Cell (2, 1) of a 6 x 13 grid: pixel (12, 13 + 13 / 20).
    EXPECT_EQ(c.at(12, 13), rgb_of(blue));
    EXPECT_EQ(c.at(11, 13), 0u);
    EXPECT_EQ(c.at(12, 12), 0u);
    EXPECT_EQ(c.at(12 + QFontMetrics(c.font).horizontalAdvance("Ab"), 14), 0u);
    EXPECT_GT(c.count(vc::white), 0);
}

// A text drawn again in the same context (its layout kept) takes the colours
// and the place of the second call, and draws as the first time did.
TEST(draw_ops, TheSameTextDrawnAgainTakesTheNewColoursAndPlace) {
    canvas once, twice;
    {
        auto dc = once.dc();
        set_text_color(dc.get(), red);
        set_back_color(dc.get(), blue);
        text_out_pix(dc.get(), 20, 20, "12:34");
    }
    {
        auto dc = twice.dc();
        set_text_color(dc.get(), vc::white);
        set_back_color(dc.get(), blue);
        text_out_pix(dc.get(), 3, 2, "12:34");
        set_text_color(dc.get(), red);
        text_out_pix(dc.get(), 20, 20, "12:34");
    }
    const QRect box(20, 20, QFontMetrics(once.font).horizontalAdvance("12:34"), QFontMetrics(once.font).height());
    EXPECT_EQ(once.img.copy(box), twice.img.copy(box));
    EXPECT_GT(twice.count(red), 0);
    EXPECT_GT(twice.count(vc::white), 0);
}

TEST(part_icon_bitmaps, ShowADotOnGreenOrABarOnDarkBlueAtThreeSizes) {
    test_app();
    const QImage in = make_part_icon(64, true);
    const QImage out = make_part_icon(64, false);
    EXPECT_EQ(in.format(), QImage::Format_RGB888) << "24-bit bitmaps";
    auto green_ish = [](QRgb c) { return qGreen(c) > 2 * qRed(c) && qGreen(c) > 2 * qBlue(c); };
    auto blue_ish = [](QRgb c) { return qBlue(c) > 2 * qRed(c) && qBlue(c) > 2 * qGreen(c); };
    EXPECT_TRUE(green_ish(in.pixel(8, 20)));
    EXPECT_TRUE(blue_ish(out.pixel(8, 20)));
    EXPECT_EQ(in.pixel(50, 40) & 0xFFFFFF, 0xFFFFFFu) << "the dot";
    EXPECT_TRUE(blue_ish(out.pixel(50, 40)));
    EXPECT_EQ(out.pixel(54, 44) & 0xFFFFFF, 0xFFFFFFu) << "the minus bar";
    EXPECT_EQ(in.pixel(21, 45) & 0xFFFFFF, 0xFFFFFFu) << "the note head";
    const part_icons icons;
    EXPECT_EQ(icons.pick(16, true).width(), 16);
    EXPECT_EQ(icons.pick(17, true).width(), 32);
    EXPECT_EQ(icons.pick(33, false).width(), 64);
}

}  // namespace
