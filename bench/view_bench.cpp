// Painting costs of the recording view: one waveform pane at any zoom (one
// line per pixel column, the frames of a column reduced to their minimum and
// maximum), a part pane looked up through its info records, and a whole
// values repaint of a view with parts on the offscreen platform.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "app/sys_param.h"
#include "document/le_bytes.h"
#include "view/tonewarp_view.h"
#include "view/wave_columns.h"

namespace {

// Ten minutes of stereo frames.
constexpr int kFrames = 44100 * 600;

const std::vector<unsigned char>& recording() {
    static const std::vector<unsigned char> b = [] {
        std::vector<unsigned char> v(static_cast<size_t>(kFrames) * 4);
        for (int i = 0; i < kFrames; ++i) {
            const auto s = static_cast<std::int16_t>(20000 * std::sin(i * 0.031) * std::sin(i * 1e-5));
            le_put_i16(&v[4 * static_cast<size_t>(i)], s);
            le_put_i16(&v[4 * static_cast<size_t>(i) + 2], static_cast<std::int16_t>(-s));
        }
        return v;
    }();
    return b;
}

// One pane 1200 pixels wide; the argument is the number of frames per pixel.
void BM_buffer_pane(benchmark::State& state) {
    const buffer_wave_source src(recording().data(), kFrames, 0);
    const view_rect pane{100, 0, 1300, 80};
    long lines = 0;
    for (auto _ : state) {
        plan_wave_pane(pane, src, 0, kFrames, static_cast<double>(state.range(0)),
                       [&](int, int, int, int) { ++lines; });
    }
    benchmark::DoNotOptimize(lines);
}
BENCHMARK(BM_buffer_pane)->Arg(1)->Arg(64)->Arg(1024)->Arg(8192);

// A part pane with 2000 short episodes, at 64 frames per pixel.
void BM_part_pane(benchmark::State& state) {
    std::vector<msc_prt_inf_t> rec(2000);
    std::memset(rec.data(), 0, rec.size() * sizeof(msc_prt_inf_t));
    for (int r = 0; r < 2000; ++r) {
        rec[r].stt_orgn_L = r * 5000;
        rec[r].data_cnt_L = 4000;
        rec[r].stt_ofs_L = r * 4001;
    }
    const part_wave_source src(rec.data(), 2000, recording().data(), kFrames, 0);
    const view_rect pane{100, 0, 1300, 80};
    long lines = 0;
    for (auto _ : state) {
        plan_wave_pane(pane, src, static_cast<std::int64_t>(state.range(0)) * 44100, kFrames, 64.0,
                       [&](int, int, int, int) { ++lines; });
    }
    benchmark::DoNotOptimize(lines);
}
BENCHMARK(BM_part_pane)->Arg(0)->Arg(200);

// draw_all_data of a 1300 x 1000 view over a one-minute recording.
void BM_draw_all_data(benchmark::State& state) {
    static int argc = 1;
    static char name[] = "view_bench";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
    set_default_sys_param(sys_param);
    shared_heap = get_process_heap();
    disp_font_size = 12;
    std::memcpy(disp_font_name, default_font_name_cp932, sizeof default_font_name_cp932);

    CTonewarpDoc doc;
    doc.set_default_wave();
    // One minute of the recording as the document's samples.
    const int frames = 44100 * 60;
    le_put_u32(doc.wv_data_hdr + 4, static_cast<std::uint32_t>(frames) * 4);
    doc.free_wave_dt();
    doc.alloc_wave_dt();
    std::memcpy(doc.orgn_dt, recording().data(), static_cast<size_t>(frames) * 4);
    std::memcpy(doc.mdfy_dt, recording().data(), static_cast<size_t>(frames) * 4);

    CTonewarpView view(&doc);
    view.resize(1300, 1000);
    view.show();
    QApplication::processEvents();
    view.repaint();
    set_zoom(view.disp(), 1.0 / static_cast<double>(state.range(0)));
    for (auto _ : state) view.draw_all_data();
}
BENCHMARK(BM_draw_all_data)->Arg(64)->Arg(2048)->Unit(benchmark::kMillisecond);

}  // namespace
