// The six part icons: a part in the mix (white eighth note with a white dot
// on a green rounded square) and a part left out of it (the same note with
// a white minus bar on a dark blue one), each drawn at 16, 32 and 64 pixels.
#pragma once

#include <QImage>

#include "view/draw_ops.h"
#include "view/paint_scene.h"

class part_icons {
   public:
    // Draws all six bitmaps (24-bit, no alpha; corners in the colour of the
    // box the icons stand on).
    part_icons();

    // The bitmap for an icon of s pixels: the 16-pixel set up to 16, the
    // 32-pixel set up to 32, else the 64-pixel set.
    const QImage& pick(int s, bool in_mix) const;

    static constexpr int sizes[3] = {16, 32, 64};

   private:
    QImage incl_[3];
    QImage excl_[3];
};

// Draws one icon of the given size and kind.
QImage make_part_icon(int size, bool in_mix);

// Each visible part's icon, stretched onto a square of hw + 2cw pixels at
// (part left + hw/2, shifted part top + 3ch + hh); the in-mix icon for a part
// whose mix flag is 1, the left-out icon otherwise.
void draw_part_icon(draw_ctx* dc, const paint_scene& sc);
