// Opening, centre-cancelling and saving a one-minute stereo recording
// (10.6 MB of samples) held in memory, so that disk speed stays out of it.

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <string>

#include "app/sys_param.h"
#include "document/byte_stream.h"
#include "document/le_bytes.h"
#include "document/tonewarp_doc.h"

namespace {

constexpr int bench_frames = 44100 * 60;

std::string make_file(int channels) {
    const std::int32_t d = bench_frames * 2 * channels;
    std::string s(44 + static_cast<std::size_t>(d), '\0');
    auto* p = reinterpret_cast<unsigned char*>(s.data());
    std::memcpy(p, "RIFF\0\0\0\0WAVEfmt ", 16);
    le_put_i32(p + 16, 16);
    le_put_i16(p + 20, 1);
    le_put_i16(p + 22, static_cast<std::int16_t>(channels));
    le_put_i32(p + 24, 44100);
    le_put_i32(p + 28, 44100 * 2 * channels);
    le_put_i16(p + 32, static_cast<std::int16_t>(2 * channels));
    le_put_i16(p + 34, 16);
    std::memcpy(p + 36, "data", 4);
    le_put_i32(p + 40, d);
    std::uint32_t x = 1;
    for (std::int32_t i = 0; i < d; ++i)
        p[44 + i] = static_cast<unsigned char>((x = x * 1664525u + 1013904223u) >> 24);
    return s;
}

void read_file(benchmark::State& state) {
    shared_heap = get_process_heap();
    const std::string file = make_file(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        auto doc = std::make_unique<CTonewarpDoc>();
        memory_istream in(file);
        doc->read_wave_file(in);
        benchmark::DoNotOptimize(doc->mdfy_dt);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(file.size()));
}
BENCHMARK(read_file)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void cancel_and_save(benchmark::State& state) {
    shared_heap = get_process_heap();
    const std::string file = make_file(2);
    auto doc = std::make_unique<CTonewarpDoc>();
    memory_istream in(file);
    doc->read_wave_file(in);
    doc->extr_dt_cnt = doc->frame_count();
    for (auto _ : state) {
        doc->make_cancel_dt();
        memory_ostream out;
        doc->write_wave_file(out);
        benchmark::DoNotOptimize(out.bytes().data());
    }
}
BENCHMARK(cancel_and_save)->Unit(benchmark::kMillisecond);

}  // namespace
