// A whole extraction run over a generated 10 s stereo recording: three
// instruments entering at 0 s, 3 s and 6 s (decaying harmonic tones, each
// placed differently between the channels). Reported: seconds per run and
// the rate "x_real_time", audio seconds extracted per wall-clock second.
// Run with --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
// for the median. The argument is the run's threads: /1 the single-thread
// path, /2 with the frames made ahead on a worker thread.
//
// With --recording=FILE (a 16-bit PCM WAVE file) a second benchmark,
// extract_recording, runs the same whole extraction over that file, the
// way `tonewarp-cli extract` runs it but without writing files.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "app/sys_param.h"
#include "document/le_bytes.h"
#include "document/tonewarp_doc.h"
#include "document/wave_file_io.h"
#include "engine/extr_engine_steps.h"
#include "engine/extr_run.h"
#include "engine/extr_state.h"

namespace {

constexpr int bench_rate = 44100;
constexpr int bench_frames = bench_rate * 10;

struct voice {
    double entry_s, hz, amp, pan;  // pan: share of the left channel
};

constexpr voice bench_voices[] = {
    {0.0, 220.0, 6000.0, 0.7},
    {3.0, 330.0, 9000.0, 0.4},
    {6.0, 523.25, 12000.0, 0.5},
};

std::unique_ptr<CTonewarpDoc> make_recording() {
    shared_heap = get_process_heap();
    auto doc = std::make_unique<CTonewarpDoc>();
    le_put_i32(doc->wv_data_hdr + 4, 4 * bench_frames);
    doc->alloc_wave_dt();
    for (int f = 0; f < bench_frames; ++f) {
        double l = 0.0, r = 0.0;
        for (const voice& v : bench_voices) {
            const double t = static_cast<double>(f) / bench_rate - v.entry_s;
            if (t < 0.0) continue;
            // Three harmonics under a slow decay.
            const double w = 2.0 * M_PI * v.hz * t;
            const double s =
                v.amp * std::exp(-0.4 * t) * (std::sin(w) + 0.5 * std::sin(2 * w) + 0.25 * std::sin(3 * w));
            l += s * v.pan;
            r += s * (1.0 - v.pan);
        }
        put_frame_sample(doc->orgn_dt, f, 0, static_cast<std::int16_t>(l));
        put_frame_sample(doc->orgn_dt, f, 1, static_cast<std::int16_t>(r));
    }
    return doc;
}

void extract_10s_stereo(benchmark::State& state) {
    set_default_sys_param(sys_param);
    auto doc = make_recording();
    auto st = std::make_unique<extr_state>();
    extr_engine_steps steps;
    for (auto _ : state) {
        set_extr_range(*st, *doc, 0, bench_frames - 1);
        run_extraction(*st, *doc, steps, {}, static_cast<int>(state.range(0)));
        benchmark::DoNotOptimize(doc->mdfy_dt[0]);
    }
    state.counters["parts"] = doc->intPart_Cnt;
    state.counters["x_real_time"] = benchmark::Counter(static_cast<double>(bench_frames) / bench_rate,
                                                       benchmark::Counter::kIsIterationInvariantRate);
}

BENCHMARK(extract_10s_stereo)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

void extract_recording(benchmark::State& state, const std::string& path) {
    set_default_sys_param(sys_param);
    shared_heap = get_process_heap();
    auto doc = std::make_unique<CTonewarpDoc>();
    if (open_wave_file(*doc, path) != 0 || doc->is_bad_file()) {
        state.SkipWithError("the recording cannot be read");
        return;
    }
    const int frames = doc->frame_count();
    auto st = std::make_unique<extr_state>();
    extr_engine_steps steps;
    for (auto _ : state) {
        set_extr_range(*st, *doc, 0, frames - 1);
        run_extraction(*st, *doc, steps, {}, static_cast<int>(state.range(0)));
        benchmark::DoNotOptimize(doc->mdfy_dt[0]);
    }
    state.counters["parts"] = doc->intPart_Cnt;
    state.counters["x_real_time"] = benchmark::Counter(static_cast<double>(frames) / bench_rate,
                                                       benchmark::Counter::kIsIterationInvariantRate);
}

}  // namespace

int main(int argc, char** argv) {
    // --recording=FILE is ours; everything else goes to the benchmark library.
    std::string recording;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--recording=", 12) == 0) {
            recording = argv[i] + 12;
        } else {
            argv[kept++] = argv[i];
        }
    }
    argc = kept;
    if (!recording.empty()) {
        benchmark::RegisterBenchmark("extract_recording", extract_recording, recording)
            ->Arg(1)
            ->Arg(2)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->MinTime(2.0);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
