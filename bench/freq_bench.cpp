// Cost of the frequency analysis display: the frame loop alone (one
// transform per frame and one colour per shown bin) at several zooms, and a
// whole values repaint of a view in frequency mode, stripes written straight
// into the backing image, on the offscreen platform.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "app/gui/command_ids.h"
#include "app/sys_param.h"
#include "document/le_bytes.h"
#include "document/tonewarp_doc.h"
#include "engine/extr_state.h"
#include "view/freq_plan.h"
#include "view/tonewarp_view.h"

namespace {

constexpr int kFrames = 44100 * 60;

const std::vector<unsigned char>& recording() {
    static const std::vector<unsigned char> b = [] {
        std::vector<unsigned char> v(static_cast<size_t>(kFrames) * 4);
        for (int i = 0; i < kFrames; ++i) {
            const auto s = static_cast<std::int16_t>(12000 * std::sin(i * 0.031) + 6000 * std::sin(i * 0.29));
            le_put_i16(&v[4 * static_cast<size_t>(i)], s);
            le_put_i16(&v[4 * static_cast<size_t>(i) + 2], static_cast<std::int16_t>(-s));
        }
        return v;
    }();
    return b;
}

// The frame loop over a 1200-pixel, 518-row area; the argument is frames per pixel.
void BM_freq_frames(benchmark::State& state) {
    auto ex = std::make_unique<extr_state>();
    freq_frames_in in;
    in.frames = recording().data();
    in.data_cnt = kFrames;
    in.smpl_per_pix = static_cast<double>(state.range(0));
    in.full_scale = 355632.475;
    in.IL = 100, in.IT = 0, in.IR = 1300, in.IB = 518;
    long stripes = 0;
    for (auto _ : state) {
        stripes += run_freq_frames(in, engine_freq_work(*ex),
                                   [](const freq_run& r) { benchmark::DoNotOptimize(r.colors); });
    }
    state.counters["stripes"] =
        benchmark::Counter(static_cast<double>(stripes), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_freq_frames)->Arg(1)->Arg(64)->Arg(512)->Arg(4096)->Unit(benchmark::kMillisecond);

// draw_all_data of a 1400 x 1000 view in frequency mode at 64 frames per pixel.
void BM_freq_repaint(benchmark::State& state) {
    static int argc = 1;
    static char name[] = "freq_bench";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
    set_default_sys_param(sys_param);
    shared_heap = get_process_heap();
    auto doc = std::make_unique<CTonewarpDoc>();
    doc->set_default_wave();
    // The default document's buffers replaced by the generated minute.
    doc->free_wave_dt();
    le_put_i32(doc->wv_data_hdr + 4, kFrames * 4);
    doc->alloc_wave_dt();
    std::memcpy(doc->mdfy_dt, recording().data(), recording().size());
    std::memcpy(doc->orgn_dt, recording().data(), recording().size());
    CTonewarpView view(doc.get());
    view.resize(1400, 1000);
    view.show();
    QApplication::processEvents();
    view.repaint();
    view.on_command(cmd::ID_DISP_MODE);
    for (auto _ : state) view.draw_all_data();
}
BENCHMARK(BM_freq_repaint)->Unit(benchmark::kMillisecond);

}  // namespace
