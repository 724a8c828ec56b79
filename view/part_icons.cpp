#include "view/part_icons.h"

#include <QPainterPath>

namespace {

// Icon colours.
constexpr rgb icon_in_mix{20, 150, 60};    // green square
constexpr rgb icon_left_out{16, 32, 110};  // dark blue square

}  // namespace

QImage make_part_icon(int size, bool in_mix) {
    QImage img(size, size, QImage::Format_RGB888);
    img.fill(to_qcolor(vc::under_title));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    // Geometry on a 64-unit grid, scaled to the bitmap.
    p.scale(size / 64.0, size / 64.0);
    p.setPen(Qt::NoPen);

    p.setBrush(to_qcolor(in_mix ? icon_in_mix : icon_left_out));
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 13, 13);

    p.setBrush(Qt::white);
    // Note head, tilted like a hand-written one.
    p.save();
    p.translate(21, 45);
    p.rotate(-22);
    p.drawEllipse(QPointF(0, 0), 9.5, 6.5);
    p.restore();
    // Stem on the head's right side, and the flag of an eighth note.
    p.drawRect(QRectF(27.5, 12, 3.5, 32));
    QPainterPath flag;
    flag.moveTo(28, 12);
    flag.cubicTo(31, 21, 46, 23, 41, 39);
    flag.cubicTo(41, 29, 35, 26, 28, 23);
    flag.closeSubpath();
    p.drawPath(flag);

    if (in_mix) {
        p.drawEllipse(QPointF(50, 44), 5, 5);  // the dot: in the mix
    } else {
        p.drawRect(QRectF(43, 41.5, 14, 5));  // the minus bar: left out
    }
    p.end();
    return img;
}

part_icons::part_icons() {
    for (int k = 0; k < 3; ++k) {
        incl_[k] = make_part_icon(sizes[k], true);
        excl_[k] = make_part_icon(sizes[k], false);
    }
}

const QImage& part_icons::pick(int s, bool in_mix) const {
    const int k = s <= 16 ? 0 : (s <= 32 ? 1 : 2);
    return in_mix ? incl_[k] : excl_[k];
}

void draw_part_icon(draw_ctx* dc, const paint_scene& sc) {
    if (dc == nullptr || sc.icons == nullptr || sc.ex == nullptr) return;
    const view_disp_state& st = sc.st;
    const int S = st.hw + 2 * st.cw;
    const visible_parts vis = sc.visible();
    for (int i = vis.first; i < vis.end; ++i) {
        const view_rect& o = sc.lay.prt_outer[i];
        const QImage& img = sc.icons->pick(S, sc.ex->prt_mix_flg[i] == 1);
        dc->painter().drawImage(QRect(o.left + st.hw / 2, o.top - vis.offset + 3 * st.ch + st.hh, S, S), img);
    }
}
