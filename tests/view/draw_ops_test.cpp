#include <gtest/gtest.h>

#include <QFontMetrics>

#include "view/draw_ops.h"
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
    int count(rgb c) const {
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) n += px(img, x, y) == rgb_of(c);
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
    canvas c;
    auto dc = c.dc();
    EXPECT_EQ(draw_line_rect(dc.get(), 0, 0, 5, 5, red, 0), 0);
    EXPECT_EQ(text_out_cell(dc.get(), 1, 1, "x"), 0);
}

TEST(draw_ops, FillsIncludeBothCornersInEitherOrder) {
    canvas c;
    {
        auto dc = c.dc();
        draw_line_rect(dc.get(), 12, 9, 3, 4, red, 2);
    }
    EXPECT_EQ(c.count(red), 10 * 6);
    EXPECT_EQ(px(c.img, 3, 4), rgb_of(red));
    EXPECT_EQ(px(c.img, 12, 9), rgb_of(red));
    EXPECT_EQ(px(c.img, 13, 9), 0u);
}

TEST(draw_ops, LinesStopJustBeforeTheirEndPoint) {
    canvas c;
    {
        auto dc = c.dc();
        draw_line_rect(dc.get(), 5, 10, 5, 11, red, 0);   // one pixel
        draw_line_rect(dc.get(), 20, 30, 20, 20, red, 0);  // upwards: rows 30 .. 21
        draw_line_rect(dc.get(), 40, 5, 40, 5, red, 0);    // nothing
        draw_line_rect(dc.get(), 30, 40, 36, 43, blue, 0);  // diagonal
    }
    EXPECT_EQ(px(c.img, 5, 10), rgb_of(red));
    EXPECT_EQ(px(c.img, 5, 11), 0u);
    EXPECT_EQ(px(c.img, 20, 30), rgb_of(red));
    EXPECT_EQ(px(c.img, 20, 21), rgb_of(red));
    EXPECT_EQ(px(c.img, 20, 20), 0u);
    EXPECT_EQ(px(c.img, 40, 5), 0u);
    EXPECT_EQ(c.count(red), 1 + 10);
    EXPECT_EQ(c.count(blue), 6) << "one pixel per column of the longer axis, end excluded";
    EXPECT_EQ(px(c.img, 30, 40), rgb_of(blue));
    EXPECT_EQ(px(c.img, 36, 43), 0u);
}

TEST(draw_ops, OutlinesRunThroughBothCorners) {
    canvas c;
    {
        auto dc = c.dc();
        draw_line_rect(dc.get(), 10, 10, 19, 15, red, 1);
    }
    EXPECT_EQ(c.count(red), 2 * 10 + 2 * 4);
    EXPECT_EQ(px(c.img, 19, 15), rgb_of(red));
    EXPECT_EQ(px(c.img, 14, 12), 0u);
}

TEST(draw_ops, XorTwiceRestoresTheImageForEveryKind) {
    canvas c;
    {
        auto dc = c.dc();
        draw_line_rect(dc.get(), 0, 0, 63, 47, rgb{73, 64, 83}, 2);
    }
    const QImage before = c.img.copy();
    for (int kind = 0; kind < 3; ++kind) {
        {
            auto dc = c.dc();
            EXPECT_EQ(draw_line_rect_xor(dc.get(), 3, 3, 30, 20, red, kind), 0);
        }
        EXPECT_EQ(px(c.img, 3, 3), rgb_of(rgb{73 ^ 255, 64, 83})) << kind;
        EXPECT_NE(c.img, before);
        {
            auto dc = c.dc();
            draw_line_rect_xor(dc.get(), 3, 3, 30, 20, red, kind);
            // The raster operation is put back afterwards.
            EXPECT_EQ(dc->painter().compositionMode(), QPainter::CompositionMode_SourceOver);
        }
        EXPECT_EQ(c.img, before) << kind;
    }
}

TEST(draw_ops, StyleOneBoxesHaveLightTopLeftAndDarkBottomRightEdges) {
    canvas c;
    {
        auto dc = c.dc();
        draw_box(dc.get(), 10, 10, 20, 8, 1, red, vc::light, vc::dark);
    }
    EXPECT_EQ(px(c.img, 10, 10), rgb_of(vc::light));
    EXPECT_EQ(px(c.img, 29, 10), rgb_of(vc::light)) << "top edge reaches the right column";
    EXPECT_EQ(px(c.img, 10, 17), rgb_of(vc::light)) << "left edge reaches the bottom row";
    EXPECT_EQ(px(c.img, 11, 17), rgb_of(vc::dark));
    EXPECT_EQ(px(c.img, 29, 11), rgb_of(vc::dark));
    EXPECT_EQ(px(c.img, 29, 17), rgb_of(vc::dark));
    EXPECT_EQ(px(c.img, 15, 13), rgb_of(red));
    EXPECT_EQ(px(c.img, 30, 13), 0u) << "right edge is x + width - 1";
    EXPECT_EQ(px(c.img, 15, 18), 0u);
}

TEST(draw_ops, StyleTwoBoxesHaveABlackOutlineAndATwoPixelBevel) {
    canvas c;
    c.img.fill(Qt::white);
    {
        auto dc = c.dc();
        draw_box(dc.get(), 10, 10, 20, 12, 2, red, vc::light, vc::dark);
    }
    EXPECT_EQ(px(c.img, 10, 10), 0u);
    EXPECT_EQ(px(c.img, 29, 21), 0u);
    EXPECT_EQ(px(c.img, 15, 11), rgb_of(vc::light));
    EXPECT_EQ(px(c.img, 15, 12), rgb_of(vc::light));
    EXPECT_EQ(px(c.img, 11, 15), rgb_of(vc::light));
    EXPECT_EQ(px(c.img, 15, 20), rgb_of(vc::dark));
    EXPECT_EQ(px(c.img, 15, 19), rgb_of(vc::dark));
    EXPECT_EQ(px(c.img, 28, 15), rgb_of(vc::dark));
    EXPECT_EQ(px(c.img, 27, 15), rgb_of(vc::dark));
    EXPECT_EQ(px(c.img, 15, 15), rgb_of(red));
    EXPECT_EQ(px(c.img, 13, 13), rgb_of(red));
    // Nothing for an empty box.
    const QImage before = c.img.copy();
    {
        auto dc = c.dc();
        EXPECT_EQ(draw_box(dc.get(), 40, 40, 0, 5, 2, red, vc::light, vc::dark), 0);
    }
    EXPECT_EQ(c.img, before);
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
    EXPECT_EQ(px(c.img, 12, 13), rgb_of(blue));
    EXPECT_EQ(px(c.img, 11, 13), 0u);
    EXPECT_EQ(px(c.img, 12, 12), 0u);
    const int width = QFontMetrics(c.font).horizontalAdvance("Ab");
    EXPECT_EQ(px(c.img, 12 + width, 14), 0u);
    EXPECT_GT(c.count(vc::white), 0) << "the glyphs are drawn in the text colour";
}

TEST(part_icon_bitmaps, ShowADotOnGreenOrABarOnDarkBlue) {
    test_app();
    const QImage in = make_part_icon(64, true);
    const QImage out = make_part_icon(64, false);
    EXPECT_EQ(in.format(), QImage::Format_RGB888) << "24-bit bitmaps";
    auto green_ish = [](QRgb c) { return qGreen(c) > 2 * qRed(c) && qGreen(c) > 2 * qBlue(c); };
    auto blue_ish = [](QRgb c) { return qBlue(c) > 2 * qRed(c) && qBlue(c) > 2 * qGreen(c); };
    EXPECT_TRUE(green_ish(in.pixel(8, 20)));
    EXPECT_TRUE(blue_ish(out.pixel(8, 20)));
    EXPECT_EQ(in.pixel(50, 40) & 0xFFFFFF, 0xFFFFFFu) << "the dot";
    EXPECT_TRUE(blue_ish(out.pixel(50, 40))) << "no dot on the left-out icon";
    EXPECT_EQ(out.pixel(54, 44) & 0xFFFFFF, 0xFFFFFFu) << "the minus bar";
    EXPECT_EQ(in.pixel(21, 45) & 0xFFFFFF, 0xFFFFFFu) << "the note head";
    EXPECT_EQ(in.pixel(0, 0) & 0xFFFFFF, rgb_of(vc::under_title)) << "corners outside the rounded square";

    const part_icons icons;
    EXPECT_EQ(icons.pick(16, true).width(), 16);
    EXPECT_EQ(icons.pick(17, true).width(), 32);
    EXPECT_EQ(icons.pick(32, false).width(), 32);
    EXPECT_EQ(icons.pick(33, false).width(), 64);
}

}  // namespace
