#include "view/header_text.h"

#include <cmath>
#include <cstdio>

#include "app/c_number.h"
#include "view/time_format.h"

namespace {

std::string fmt(const char* f, double v) {
    char buf[64];
    c_snprintf(buf, sizeof buf, f, v);  // "." whatever the locale
    return buf;
}

// Header values sit on the row of the header boxes' middle.
int header_row(const view_disp_state& s) { return (2 * s.hh + 1) / s.ch; }

int col_of(const view_disp_state& s, int x) { return x / s.cw; }

}  // namespace

std::string zoom_text(double zoom) {
    if (zoom >= 1.0) return fmt("×%2.0f    ", zoom);
    char buf[64];
    std::snprintf(buf, sizeof buf, "×1/%-4d", static_cast<int>(std::trunc(1.0 / zoom)));
    return buf;
}

std::vector<cell_text> header_value_texts(const view_disp_state& s, int copy_width) {
    std::vector<cell_text> out;
    if (s.cw <= 0 || s.ch <= 0) return out;
    const int cw = s.cw, hw = s.hw, W = s.W;
    const int row = header_row(s);
    out.push_back({col_of(s, hw + 25 * cw + hw + 1), row, zoom_text(s.zoom)});
    if (copy_width > 60 * cw) {
        std::string t;
        fmt_time_smpl(s.data_cnt, view_rate, t);
        out.push_back({col_of(s, hw + 48 * cw + hw + 1), row, t});
    }
    if (copy_width > 75 * cw) {
        out.push_back({col_of(s, hw + 56 * cw + hw + 1), row,
                       fmt("(%6.2f Sec)", static_cast<double>(s.data_cnt) / view_rate)});
    }
    if (copy_width > 90 * cw) {
        std::string t;
        fmt_num_pic(t, "##,###,###", s.data_cnt);
        out.push_back({col_of(s, hw + 69 * cw + hw + 1), row, t});
        out.push_back({col_of(s, hw + 80 * cw + hw + 1), row, "Cnt"});
    }
    if (copy_width > 100 * cw) {
        out.push_back({col_of(s, W - hw - 40 * cw - hw + 1), row, std::string(17, ' ')});
    }
    std::string t;
    fmt_time_smpl(s.draw_stt, view_rate, t);
    out.push_back({col_of(s, W - hw - 8 * cw - hw + 1), row, t});
    return out;
}

std::vector<cell_text> pos_label_texts(const view_disp_state& s, int copy_width, const char* caption,
                                       long long smpl, bool tracing) {
    std::vector<cell_text> out;
    if (s.cw <= 0 || s.ch <= 0 || copy_width <= 100 * s.cw) return out;
    const int cw = s.cw, hw = s.hw, W = s.W;
    const int row = header_row(s);
    out.push_back({col_of(s, W - hw - 40 * cw - hw + 1), row, caption});
    std::string t;
    fmt_time_smpl(smpl, view_rate, t);
    const int col = col_of(s, W - hw - 31 * cw - hw + 1);
    out.push_back({col, row, t});
    if (tracing) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%8lld", smpl);
        out.push_back({col, row + 1, buf});
    }
    return out;
}

std::vector<cell_text> pos_label_clear(const view_disp_state& s, int copy_width) {
    if (s.cw <= 0 || s.ch <= 0 || copy_width <= 100 * s.cw) return {};
    return {{(s.W - s.hw - 40 * s.cw - s.hw + 1) / s.cw, (2 * s.hh + 1) / s.ch, std::string(17, ' ')}};
}
