// Speed of the engine's transform against FFTW at the engine's frame length
// and at the largest length. FFTW is linked here only, as a yardstick.
#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <cmath>
#include <vector>

#include "engine/dft.h"

namespace {

std::vector<double> test_signal(int n) {
    std::vector<double> v(n);
    for (int i = 0; i < n; ++i) v[i] = 8000.0 * std::sin(0.037 * i) + 1500.0 * std::cos(0.91 * i);
    return v;
}

void bm_exec_dft(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    auto re = test_signal(n);
    std::vector<double> im(n, 0.0), o_re(n), o_im(n);
    exec_dft(n, re.data(), im.data(), o_re.data(), o_im.data());  // tables built outside the loop
    for (auto _ : state) {
        exec_dft(n, re.data(), im.data(), o_re.data(), o_im.data());
        benchmark::DoNotOptimize(o_re.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}

void bm_exec_ivdft(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    auto re = test_signal(n);
    auto im = test_signal(n);
    std::vector<double> o_re(n), o_im(n);
    exec_ivdft(n, re.data(), im.data(), o_re.data(), o_im.data());
    for (auto _ : state) {
        exec_ivdft(n, re.data(), im.data(), o_re.data(), o_im.data());
        benchmark::DoNotOptimize(o_re.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}

// The same complex-to-complex transforms with FFTW's measured plans
// (backward: unscaled, so it does a little less than exec_ivdft).
void run_fftw(benchmark::State& state, int sign) {
    const int n = static_cast<int>(state.range(0));
    auto* in = static_cast<fftw_complex*>(fftw_malloc(sizeof(fftw_complex) * n));
    auto* out = static_cast<fftw_complex*>(fftw_malloc(sizeof(fftw_complex) * n));
    fftw_plan plan = fftw_plan_dft_1d(n, in, out, sign, FFTW_MEASURE);
    const auto sig = test_signal(n);
    for (int i = 0; i < n; ++i) {
        in[i][0] = sig[i];
        in[i][1] = sign == FFTW_FORWARD ? 0.0 : sig[i];
    }
    for (auto _ : state) {
        fftw_execute(plan);
        benchmark::DoNotOptimize(out);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
    fftw_destroy_plan(plan);
    fftw_free(in);
    fftw_free(out);
}

void bm_fftw(benchmark::State& state) { run_fftw(state, FFTW_FORWARD); }
void bm_fftw_backward(benchmark::State& state) { run_fftw(state, FFTW_BACKWARD); }

}  // namespace

BENCHMARK(bm_exec_dft)->Arg(1024)->Arg(8192);
BENCHMARK(bm_exec_ivdft)->Arg(1024)->Arg(8192);
BENCHMARK(bm_fftw)->Arg(1024)->Arg(8192);
BENCHMARK(bm_fftw_backward)->Arg(1024)->Arg(8192);
