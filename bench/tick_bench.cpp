// One timer tick's batch (2N samples per channel, extr_step at state 2) with
// seven parts active on both channels, the most the default part limit
// (part_max 8) allows.
//
// The recording is made here: nine sustained tones of two timbres, spread
// over five octaves and between the channels, entering 0.6 s apart, each
// with a strong attack that falls within a third of a second to a held
// level. The run registers seven of them as parts. With the default minimum
// volume most parts soon fall silent, so this benchmark sets min_vol_prm to
// 0 (parts never switch off) and, before each timed batch, marks every
// registered part active on both channels: each timed batch then carries
// seven parts through every update of both channels, a worst case for the
// part count. Batches that do not start with seven parts run untimed; a run
// that reaches its end is finished and started again.
//
// Reported per iteration: one batch (take the median of
// --benchmark_repetitions).
//
//   tick_bench --probe   one run, printing per batch the parts and the
//                        active ones on each channel, without forcing

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#include "app/sys_param.h"
#include "document/le_bytes.h"
#include "document/tonewarp_doc.h"
#include "engine/extr_engine_steps.h"
#include "engine/extr_run.h"
#include "engine/extr_state.h"
#include "engine/frame_loop.h"
#include "engine/part_mix.h"

namespace {

constexpr int bench_rate = 44100;
constexpr int bench_frames = bench_rate * 20;
constexpr int part_goal = 7;            // parts active in a timed batch
constexpr double sustain_share = 0.04;  // held level as a share of the attack

struct voice {
    double hz, amp, pan;  // pan: share of the left channel
};

constexpr voice voices[] = {
    {110.0, 9000.0, 0.5},   {155.56, 9000.0, 0.3},   {233.08, 9000.0, 0.7},
    {329.63, 9000.0, 0.4},  {466.16, 9000.0, 0.6},   {659.26, 9000.0, 0.35},
    {932.33, 9000.0, 0.65}, {1318.51, 9000.0, 0.45}, {1864.66, 9000.0, 0.55},
};

std::unique_ptr<CTonewarpDoc> make_recording() {
    shared_heap = get_process_heap();
    auto doc = std::make_unique<CTonewarpDoc>();
    le_put_i32(doc->wv_data_hdr + 4, 4 * bench_frames);
    doc->alloc_wave_dt();
    for (int f = 0; f < bench_frames; ++f) {
        double l = 0.0, r = 0.0;
        for (int v = 0; v < static_cast<int>(std::size(voices)); ++v) {
            const double t = static_cast<double>(f) / bench_rate - 0.6 * v;
            if (t < 0.0) continue;
            const double w = 2.0 * M_PI * voices[v].hz * t;
            const double env = sustain_share + (1.0 - sustain_share) * std::exp(-t / 0.08);
            // Even voices: four partials of falling strength; odd voices: odd
            // partials only (a clarinet-like timbre).
            const double tone =
                v % 2 == 0
                    ? std::sin(w) + 0.5 * std::sin(2 * w) + 0.3 * std::sin(3 * w) + 0.2 * std::sin(4 * w)
                    : std::sin(w) + 0.4 * std::sin(3 * w) + 0.25 * std::sin(5 * w) + 0.15 * std::sin(7 * w);
            const double s = voices[v].amp * env * tone;
            l += s * voices[v].pan;
            r += s * (1.0 - voices[v].pan);
        }
        put_frame_sample(doc->orgn_dt, f, 0, static_cast<std::int16_t>(l));
        put_frame_sample(doc->orgn_dt, f, 1, static_cast<std::int16_t>(r));
    }
    return doc;
}

int active_parts(const CTonewarpDoc& doc, bool right) {
    const std::int32_t* act = right ? doc.prt_act_flg_R : doc.prt_act_flg_L;
    int n = 0;
    for (int k = 0; k < doc.intPart_Cnt && k < prt_tbl_cnt; ++k) n += act[k] == 1 ? 1 : 0;
    return n;
}

// A run driven batch by batch, the way the view's timer drives it.
struct tick_driver {
    std::unique_ptr<CTonewarpDoc> doc = make_recording();
    std::unique_ptr<extr_state> st = std::make_unique<extr_state>();
    extr_engine_steps steps;

    void start() {
        set_extr_range(*st, *doc, 0, bench_frames - 1);
        st->err_stop = 2;
        st->extr_stat = 1;
        extr_step(*st, *doc, steps);
        st->extr_stat = 2;
    }
    void finish() {
        extr_step(*st, *doc, steps);  // state 3: smoothing, residual, areas freed
        st->extr_stat = 0;
        make_mdfy_dt_from_each_part(*st, *doc);
    }
    // One batch; a run that has reached its end is finished and started again.
    void tick() {
        if (st->extr_stat != 2) {
            if (st->extr_stat == 3) finish();
            start();
            return;
        }
        extr_step(*st, *doc, steps);
    }
};

void tick_with_7_parts(benchmark::State& state) {
    set_default_sys_param(sys_param);
    sys_param.min_vol_prm = 0.0;
    tick_driver d;
    d.start();
    for (auto _ : state) {
        while (d.st->extr_stat != 2 || d.doc->intPart_Cnt < part_goal) d.tick();
        for (int k = 0; k < part_goal; ++k) d.doc->prt_act_flg_L[k] = d.doc->prt_act_flg_R[k] = 1;
        const auto t0 = std::chrono::steady_clock::now();
        extr_step(*d.st, *d.doc, d.steps);
        const auto t1 = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
        if (active_parts(*d.doc, false) != part_goal || active_parts(*d.doc, true) != part_goal) {
            state.SkipWithError("a part fell silent inside a timed batch");
            break;
        }
    }
    state.counters["parts"] = d.doc->intPart_Cnt;
}

BENCHMARK(tick_with_7_parts)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

int probe() {
    set_default_sys_param(sys_param);
    tick_driver d;
    d.start();
    for (int n = 0; d.st->extr_stat == 2; ++n) {
        const auto t0 = std::chrono::steady_clock::now();
        d.tick();
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
        std::printf("batch %4d  parts %d  active L %d R %d  %.3f ms\n", n, d.doc->intPart_Cnt,
                    active_parts(*d.doc, false), active_parts(*d.doc, true), ms);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--probe") == 0) return probe();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
