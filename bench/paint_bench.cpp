// Painting a whole recording window: the full repaint (frame, then values
// and waveforms) of a 1920 x 1080 view over ten minutes of a generated
// six-voice recording with its seven parts expanded, at every zoom from
// 1/4096 to x8; the values repaint alone after one step of the drawing-start
// scroll bar; and the frequency display over an 1800-pixel-wide tall area at
// 64 frames per pixel. Offscreen platform, one thread.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCryptographicHash>
#include <QScrollBar>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "app/gui/command_ids.h"
#include "app/sys_param.h"
#include "bench/paint_material.h"
#include "view/freq_display.h"
#include "view/input_rules.h"
#include "view/tonewarp_view.h"
#include "view/wave_paint.h"

namespace {

constexpr std::int64_t kFrames = 44100LL * 600;
constexpr int kStartSec = 100;  // drawing start: 100 s into the recording

QApplication& app() {
    static int argc = 1;
    static char name[] = "paint_bench";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("SDL_AUDIODRIVER", "dummy");
    static QApplication* a = new QApplication(argc, argv);
    return *a;
}

CTonewarpDoc& material() {
    static std::unique_ptr<CTonewarpDoc> doc = [] {
        set_default_sys_param(sys_param);
        shared_heap = get_process_heap();
        disp_font_size = 12;
        std::memset(disp_font_name, 0, sizeof disp_font_name);
        std::memcpy(disp_font_name, default_font_name_cp932, sizeof default_font_name_cp932);
        return make_paint_material(kFrames);
    }();
    return *doc;
}

// A shown view of w x h over the material with every part listed and
// expanded, through its first paint and one full repaint.
std::unique_ptr<CTonewarpView> open_view(int w, int h) {
    app();
    CTonewarpDoc& doc = material();
    auto v = std::make_unique<CTonewarpView>(&doc);
    list_all_parts(doc, v->extr());
    v->create_part_scroll();
    v->resize(w, h);
    v->show();
    QApplication::processEvents();
    v->repaint();
    v->on_draw();
    QApplication::processEvents();
    return v;
}

// The zoom of argument k: 2^(k - 12), 1/4096 .. x8.
double zoom_of(std::int64_t k) { return std::ldexp(1.0, static_cast<int>(k) - 12); }

std::string zoom_label(double z) {
    char buf[16];
    if (z >= 1.0) {
        std::snprintf(buf, sizeof buf, "x%d", static_cast<int>(z));
    } else {
        std::snprintf(buf, sizeof buf, "x1/%d", static_cast<int>(1 / z));
    }
    return buf;
}

// First 12 hex digits of the SHA-256 of the view's pixels: a changed
// picture shows in the benchmark's output.
std::string image_tag(const CTonewarpView& v) {
    const QImage& img = v.image();
    QCryptographicHash h(QCryptographicHash::Sha256);
    for (int y = 0; y < img.height(); ++y) {
        h.addData(QByteArrayView(reinterpret_cast<const char*>(img.constScanLine(y)), img.width() * 4));
    }
    return h.result().toHex().left(12).toStdString();
}

void set_view_zoom(CTonewarpView& v, double z) {
    set_zoom(v.disp(), z);
    v.disp().draw_stt = kStartSec * view_rate;
}

// The paint entry of a full repaint: layout, frame, values and waveforms.
void BM_full_repaint(benchmark::State& state) {
    auto v = open_view(1920, 1080);
    const double z = zoom_of(state.range(0));
    set_view_zoom(*v, z);
    for (auto _ : state) v->on_draw();
    state.SetLabel(zoom_label(z) + " picture " + image_tag(*v));
}
BENCHMARK(BM_full_repaint)->DenseRange(0, 15)->Unit(benchmark::kMillisecond);

// One line step of the drawing-start bar (a thousandth of the recording)
// with the values repaint it brings, from 100 s on.
void BM_scroll_step(benchmark::State& state) {
    auto v = open_view(1920, 1080);
    const double z = zoom_of(state.range(0));
    set_view_zoom(*v, z);
    QScrollBar* bar = v->start_scroll().bar;
    const int p0 = kStartSec * scroll_range_max / 600;
    bar->setValue(p0);
    for (auto _ : state) {
        if (bar->value() >= scroll_range_max - 200) bar->setValue(p0);
        v->on_scroll(bar, sb_code::line_down, 0);
    }
    state.SetLabel(zoom_label(z));
}
BENCHMARK(BM_scroll_step)->DenseRange(0, 15)->Unit(benchmark::kMillisecond);

// A view whose spectrum picture is 1800 pixels wide and 518 rows tall, in
// frequency mode, at the initial zoom of 64 frames per pixel.
std::unique_ptr<CTonewarpView> open_freq_view() {
    auto v = open_view(1920, 1080);
    const view_disp_state& st = v->disp();
    v->resize(1800 + 2 * st.hw + 16 * st.cw, 1080);
    QApplication::processEvents();
    v->on_command(cmd::ID_DISP_MODE);
    v->on_draw();
    v->disp().draw_stt = kStartSec * view_rate;
    return v;
}

// The frequency display alone (draw_freq_data over the lower area).
void BM_freq_display(benchmark::State& state) {
    auto v = open_freq_view();
    const view_rect& in = v->layout().spc_inner;
    if (in.width() != 1800 || !v->layout().spc_tall) state.SkipWithError("spectrum area not 1800 x 518");
    for (auto _ : state) {
        auto dc = v->get_dc();
        paint_scene sc = v->scene();
        draw_freq_data(dc.get(), sc);
    }
    state.SetLabel("picture " + image_tag(*v));
}
BENCHMARK(BM_freq_display)->Unit(benchmark::kMillisecond);

// All values of the same view: header, original, copy, marks, spectrum, cursor.
void BM_freq_values(benchmark::State& state) {
    auto v = open_freq_view();
    for (auto _ : state) v->draw_all_data();
    state.SetLabel("picture " + image_tag(*v));
}
BENCHMARK(BM_freq_values)->Unit(benchmark::kMillisecond);

}  // namespace
