#include "view/draw_ops.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QPoint>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>
#include <vector>

namespace {
bool fixed_pitch(const QFont& f);
}  // namespace

draw_ctx::draw_ctx(QImage& target, const QFont& font, int cw, int ch, std::function<void()> on_release)
    : image_(target),
      painter_(&target),
      font_(font),
      metrics_(font_),
      cw_(cw),
      ch_(ch),
      on_release_(std::move(on_release)) {
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setFont(font_);
    metrics_ = QFontMetrics(painter_.font());
    if (fixed_pitch(font_)) raw_ = QRawFont::fromFont(font_);
}

namespace {

// A fixed-pitch face in the sense of the Japanese gothic faces: every
// half-width character equally wide and a full-width one twice that wide
// (fontconfig calls them dual-width, so Qt does not report them as fixed).
bool fixed_pitch(const QFont& f) {
    if (QFontInfo(f).fixedPitch()) return true;
    const QFontMetricsF m(f);
    const qreal half = m.horizontalAdvance(QLatin1Char('0'));
    if (half <= 0) return false;
    for (QChar c : {QChar('i'), QChar('M'), QChar(' ')}) {
        if (std::abs(m.horizontalAdvance(c) - half) > 0.01) return false;
    }
    return std::abs(m.horizontalAdvance(QChar(0xFF21)) - 2 * half) <= 0.01;  // "Ａ"
}

// Cells a character takes in a fixed-pitch face: one for the characters
// that are a single byte in CP932 (ASCII and the half-width katakana), two
// for every other.
int cells_of(QChar c) {
    const char16_t u = c.unicode();
    return u < 0x80 || (u >= 0xFF61 && u <= 0xFF9F) ? 1 : 2;
}

}  // namespace

const draw_ctx::laid_text& draw_ctx::lay_out(const char* utf8) {
    const auto [it, fresh] = texts_.try_emplace(utf8);
    if (!fresh) return it->second;
    laid_text& t = it->second;
    const QString s = QString::fromUtf8(utf8);
    if (raw_.isValid()) {
        const QList<quint32> glyphs = raw_.glyphIndexesForString(s);
        bool all = glyphs.size() == s.size();
        for (quint32 g : glyphs) all = all && g != 0;
        if (all) {
            QList<QPointF> at;
            at.reserve(s.size());
            int cell = 0;
            for (QChar c : s) {
                at.append(QPointF(cell * cw_, metrics_.ascent()));
                cell += cells_of(c);
            }
            t.run.setRawFont(raw_);
            t.run.setGlyphIndexes(glyphs);
            t.run.setPositions(at);
            t.on_grid = true;
            t.width = cell * cw_;
            return t;
        }
    }
    t.text = QStaticText(s);
    t.text.setTextFormat(Qt::PlainText);
    t.text.prepare(QTransform(), painter_.font());
    t.width = metrics_.horizontalAdvance(s);
    return t;
}

draw_ctx::~draw_ctx() {
    painter_.end();
    if (on_release_) on_release_();
}

namespace {

// The image the painter draws on when a solid fill may be written straight
// into its pixels with the same result: a 32-bit image, no clipping, no
// transformation, full opacity and plain source-over (so an opaque colour
// replaces what is there). Null when the painter must do the fill itself
// (the XOR lines among others).
QImage* direct_target(QPainter& p) {
    QPaintDevice* dev = p.device();
    if (dev == nullptr || dev->devType() != QInternal::Image) return nullptr;
    auto* img = static_cast<QImage*>(dev);
    const QImage::Format f = img->format();
    if (f != QImage::Format_RGB32 && f != QImage::Format_ARGB32 && f != QImage::Format_ARGB32_Premultiplied) {
        return nullptr;
    }
    if (p.compositionMode() != QPainter::CompositionMode_SourceOver || p.hasClipping() ||
        p.opacity() != 1.0 || (p.worldMatrixEnabled() && !p.worldTransform().isIdentity())) {
        return nullptr;
    }
    return img;
}

void fill_span(QPainter& p, int x1, int y1, int x2, int y2, const QColor& c) {
    // Pixels x1..x2, y1..y2 inclusive, any order.
    const int l = std::min(x1, x2), r = std::max(x1, x2);
    const int t = std::min(y1, y2), b = std::max(y1, y2);
    QImage* img = c.alpha() == 255 ? direct_target(p) : nullptr;
    if (img == nullptr) {
        p.fillRect(QRect(l, t, r - l + 1, b - t + 1), c);
        return;
    }
    // Clipped to the image, as the painter clips.
    const int xa = std::max(l, 0), xb = std::min(r, img->width() - 1);
    const int ya = std::max(t, 0), yb = std::min(b, img->height() - 1);
    if (xa > xb || ya > yb) return;
    const QRgb px = c.rgba();
    uchar* bits = img->bits();
    const qsizetype stride = img->bytesPerLine();
    for (int y = ya; y <= yb; ++y) {
        auto* line = reinterpret_cast<QRgb*>(bits + stride * y);
        std::fill(line + xa, line + xb + 1, px);
    }
}

// A line from (x1, y1) towards (x2, y2), the end point excluded.
void line(QPainter& p, int x1, int y1, int x2, int y2, const QColor& c) {
    if (x1 == x2 && y1 == y2) return;
    if (x1 == x2) {
        fill_span(p, x1, y1, x1, y2 > y1 ? y2 - 1 : y2 + 1, c);
        return;
    }
    if (y1 == y2) {
        fill_span(p, x1, y1, x2 > x1 ? x2 - 1 : x2 + 1, y1, c);
        return;
    }
    // Bresenham over the longer axis.
    std::vector<QPoint> pts;
    const int dx = std::abs(x2 - x1), dy = std::abs(y2 - y1);
    const int sx = x2 > x1 ? 1 : -1, sy = y2 > y1 ? 1 : -1;
    int err = dx - dy;
    int x = x1, y = y1;
    pts.reserve(std::max(dx, dy));
    while (x != x2 || y != y2) {
        pts.emplace_back(x, y);
        const int e2 = 2 * err;
        if (e2 > -dy) {
            err -= dy;
            x += sx;
        }
        if (e2 < dx) {
            err += dx;
            y += sy;
        }
    }
    QPen pen(c);
    pen.setWidth(1);
    pen.setCosmetic(true);
    p.setPen(pen);
    p.drawPoints(pts.data(), static_cast<int>(pts.size()));
}

void line_rect(QPainter& p, int x1, int y1, int x2, int y2, const QColor& c, int kind) {
    switch (kind) {
        case 0:
            line(p, x1, y1, x2, y2, c);
            break;
        case 1: {
            const int l = std::min(x1, x2), r = std::max(x1, x2);
            const int t = std::min(y1, y2), b = std::max(y1, y2);
            // Four edges with no pixel set twice, so the XOR form stays reversible.
            fill_span(p, l, t, r, t, c);
            if (b > t) fill_span(p, l, b, r, b, c);
            if (b - t > 1) {
                fill_span(p, l, t + 1, l, b - 1, c);
                if (r > l) fill_span(p, r, t + 1, r, b - 1, c);
            }
            break;
        }
        case 2:
            fill_span(p, x1, y1, x2, y2, c);
            break;
        default:
            break;
    }
}

}  // namespace

int draw_line_rect(draw_ctx* dc, int x1, int y1, int x2, int y2, rgb c, int kind) {
    if (dc == nullptr) return -1;
    line_rect(dc->painter(), x1, y1, x2, y2, to_qcolor(c), kind);
    return 0;
}

line_batch::line_batch(draw_ctx* dc, rgb c) : dc_(dc), color_(to_qcolor(c)) {
    if (dc_ == nullptr) return;
    img_ = direct_target(dc_->painter());
    if (img_ != nullptr) {
        px_ = color_.rgba();
        bits_ = img_->bits();
        stride_ = img_->bytesPerLine();
        w_ = img_->width();
        h_ = img_->height();
    }
}

void line_batch::line(int x1, int y1, int x2, int y2) {
    if (dc_ == nullptr) return;
    if (img_ == nullptr || (x1 != x2 && y1 != y2) || (x1 == x2 && y1 == y2)) {
        ::line(dc_->painter(), x1, y1, x2, y2, color_);
        return;
    }
    // A vertical or horizontal line: the span fill_span would make, end point excluded.
    if (x1 == x2) {
        y2 = y2 > y1 ? y2 - 1 : y2 + 1;
    } else {
        x2 = x2 > x1 ? x2 - 1 : x2 + 1;
    }
    const int xa = std::max(std::min(x1, x2), 0), xb = std::min(std::max(x1, x2), w_ - 1);
    const int ya = std::max(std::min(y1, y2), 0), yb = std::min(std::max(y1, y2), h_ - 1);
    if (xa > xb || ya > yb) return;
    for (int y = ya; y <= yb; ++y) {
        auto* row = reinterpret_cast<QRgb*>(bits_ + stride_ * y);
        std::fill(row + xa, row + xb + 1, px_);
    }
}

int draw_line_rect_xor(draw_ctx* dc, int x1, int y1, int x2, int y2, rgb c, int kind) {
    if (dc == nullptr) return -1;
    QPainter& p = dc->painter();
    const QPainter::CompositionMode old = p.compositionMode();
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    line_rect(p, x1, y1, x2, y2, to_qcolor(c), kind);
    p.setCompositionMode(old);
    return 0;
}

int draw_box(draw_ctx* dc, int x, int y, int w, int h, int style, rgb fill, rgb light, rgb dark) {
    if (dc == nullptr) return -1;
    if (w <= 0 || h <= 0) return 0;
    QPainter& p = dc->painter();
    const int r = x + w - 1;
    const int b = y + h - 1;
    const QColor f = to_qcolor(fill), lt = to_qcolor(light), dk = to_qcolor(dark);
    fill_span(p, x, y, r, b, f);
    if (style == 1) {
        fill_span(p, x, y, r, y, lt);                 // top
        fill_span(p, x, y, x, b, lt);                 // left
        if (b > y) fill_span(p, x + 1, b, r, b, dk);  // bottom, from x + 1
        if (r > x) fill_span(p, r, y + 1, r, b, dk);  // right, from y + 1
    } else if (style == 2) {
        line_rect(p, x, y, r, b, Qt::black, 1);
        // Two pixels of bevel inside the outline: light above and left, dark below and right.
        for (int k = 1; k <= 2; ++k) {
            if (r - k < x + k || b - k < y + k) break;
            fill_span(p, x + k, y + k, r - k, y + k, lt);
            fill_span(p, x + k, y + k, x + k, b - k, lt);
            fill_span(p, x + k + 1, b - k, r - k, b - k, dk);
            fill_span(p, r - k, y + k + 1, r - k, b - k, dk);
        }
    }
    return 0;
}

int set_text_color(draw_ctx* dc, rgb c) {
    if (dc == nullptr) return -1;
    dc->text_color = c;
    return 0;
}

int set_back_color(draw_ctx* dc, rgb c) {
    if (dc == nullptr) return -1;
    dc->back_color = c;
    return 0;
}

int text_out_pix(draw_ctx* dc, int x, int y, const char* text) {
    if (dc == nullptr) return -1;
    if (text == nullptr || *text == '\0') return 0;
    QPainter& p = dc->painter();
    const draw_ctx::laid_text& t = dc->lay_out(text);
    // Opaque text: the background colour fills the text's cells first, a
    // whole cell high (the face may be a pixel shorter than the cell).
    p.fillRect(QRect(x, y, t.width, std::max(dc->ch(), dc->metrics().height())), to_qcolor(dc->back_color));
    p.setPen(to_qcolor(dc->text_color));
    if (t.on_grid) {
        p.drawGlyphRun(QPointF(x, y), t.run);
    } else {
        p.drawStaticText(QPoint(x, y), t.text);
    }
    return 0;
}

int text_out_cell(draw_ctx* dc, int column, int row, const char* text) {
    if (dc == nullptr) return -1;
    return text_out_pix(dc, column * dc->cw(), row * dc->ch() + dc->ch() / 20, text);
}
