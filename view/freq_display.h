// The frequency analysis display: in frequency mode the lower area shows
// the spectrogram of the working copy instead of the part list, with the
// frequency labels on the left, the two channel buttons "Ｌ" and "Ｒ", and
// the picture itself in the inner rectangle.
#pragma once

#include <vector>

#include "view/draw_ops.h"
#include "view/freq_plan.h"
#include "view/paint_scene.h"

// Menu texts of command 32776: each names the mode the command switches to.
inline constexpr const char* disp_mode_txt_to_freq = "周波数解析表示モード(&M)";
inline constexpr const char* disp_mode_txt_to_normal = "通常表示モード(&M)";

// Paints the whole lower area in frequency mode: the outer and inner boxes,
// the channel buttons (the selected one pressed), the labels and their
// lines, then one stripe per frame written straight into the backing image.
// Returns at once in normal mode. Borrows the frame, spectrum and work
// arrays of sc.freq->work (none: the boxes and labels only), so it must only
// run between extraction batches.
void draw_freq_data(draw_ctx* dc, paint_scene& sc);

// Writes one stripe into a 32-bit image: pixels x0 .. x1 - 1 of each row,
// clipped to the image.
void put_freq_run(QImage& img, const freq_run& run);

// Writes the stripes of one picture in frame order. Frames lie closer than
// a stripe is wide (at 64 frames per pixel each stripe is 16 pixels wide and
// the next starts 2 pixels on), and a later stripe paints over an earlier
// one; so each stripe is held until the next arrives and then written only
// left of it, which leaves the same pixels with an eighth of the writing.
class freq_stripe_writer {
   public:
    explicit freq_stripe_writer(QImage& img) : img_(img) {}
    void add(const freq_run& run);
    // Writes the last stripe.
    void flush();

   private:
    QImage& img_;
    freq_run pending_;
    std::vector<tw_colorref> colors_;
    bool has_ = false;
};

// 0x00BBGGRR as an opaque 32-bit pixel.
inline QRgb qrgb_of(tw_colorref c) { return qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }
