// Drawing operations of the recording view over its backing image.
//
// A draw_ctx stands for the view's device context: it holds a painter open
// on the backing image, the display font and cell, and the current text and
// text-background colours. Everything drawn through it lands in the image at
// once; when the context is released the window is asked to show the image.
// Every operation returns 0, or -1 and draws nothing when it is given no
// context.
//
// Lines follow the platform's line rule: a line from (x1, y1) to (x2, y2)
// sets the pixels from the first point up to, not including, the second, so
// a line from y to y + 1 sets exactly one pixel.
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QImage>
#include <QPainter>
#include <QRawFont>
#include <QStaticText>
#include <functional>
#include <string>
#include <unordered_map>

#include "view/view_colors.h"

class draw_ctx {
   public:
    // Opens a painter on target. on_release runs when the context is destroyed
    // (the view uses it to have the window repainted from the image).
    draw_ctx(QImage& target, const QFont& font, int cw, int ch, std::function<void()> on_release = {});
    ~draw_ctx();
    draw_ctx(const draw_ctx&) = delete;
    draw_ctx& operator=(const draw_ctx&) = delete;

    QPainter& painter() { return painter_; }
    QImage& image() { return image_; }
    int cw() const { return cw_; }
    int ch() const { return ch_; }

    rgb text_color = vc::black;
    rgb back_color = vc::white;

    // A text laid out once per context in the display font, with its width:
    // a repaint draws the same labels (the time scale of every lane) many
    // times over.
    // A fixed-pitch face is set on the character grid, as the platform's
    // fixed-pitch fonts are: a half-width character takes one cell, any
    // other two, whatever the face's own (possibly fractional) advances.
    // Other faces, and texts with characters the face lacks, keep the
    // face's own layout.
    struct laid_text {
        QStaticText text;
        QGlyphRun run;
        bool on_grid = false;
        int width = 0;
    };
    const laid_text& lay_out(const char* utf8);
    const QFontMetrics& metrics() const { return metrics_; }

   private:
    QImage& image_;
    QPainter painter_;
    QFont font_;
    QFontMetrics metrics_;
    QRawFont raw_;  // the face's glyphs, when it is fixed-pitch
    std::unordered_map<std::string, laid_text> texts_;
    int cw_;
    int ch_;
    std::function<void()> on_release_;
};

inline QColor to_qcolor(rgb c) { return QColor(c.r, c.g, c.b); }

// kind 0: a 1-pixel line; kind 1: the 1-pixel outline of the rectangle with
// corners (x1, y1) and (x2, y2); kind 2: the rectangle filled, both corners
// included, in whichever order they come.
int draw_line_rect(draw_ctx* dc, int x1, int y1, int x2, int y2, rgb c, int kind);

// Many kind-0 lines of one colour in a row (a waveform pane's columns):
// each line sets exactly the pixels draw_line_rect would, but the painter's
// state and the colour are looked up once, not per line. Nothing else may
// draw through the context while a batch is open.
class line_batch {
   public:
    line_batch(draw_ctx* dc, rgb c);
    void line(int x1, int y1, int x2, int y2);

   private:
    draw_ctx* dc_;
    QColor color_;
    QImage* img_ = nullptr;  // the image to write straight into, or null
    QRgb px_ = 0;
    uchar* bits_ = nullptr;
    qsizetype stride_ = 0;
    int w_ = 0, h_ = 0;
};

// The same, each pixel XORed with the colour (drawing it twice restores the image).
int draw_line_rect_xor(draw_ctx* dc, int x1, int y1, int x2, int y2, rgb c, int kind);

// A 3-D box over x .. x + w - 1, y .. y + h - 1. Style 1: fill, light top and
// left edges, dark bottom and right edges. Style 2: fill, a black outline and
// a 2-pixel bevel inside it.
int draw_box(draw_ctx* dc, int x, int y, int w, int h, int style, rgb fill, rgb light, rgb dark);

int set_text_color(draw_ctx* dc, rgb c);
int set_back_color(draw_ctx* dc, rgb c);

// Text (UTF-8) with the display font in the text colour on an opaque cell
// background, top-left at (column * cw, row * ch + ch / 20).
int text_out_cell(draw_ctx* dc, int column, int row, const char* text);
// The same at a pixel position.
int text_out_pix(draw_ctx* dc, int x, int y, const char* text);
