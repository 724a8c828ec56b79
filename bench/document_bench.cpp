// Opening, centre-cancelling and saving a one-minute stereo recording
// (10.6 MB of samples) held in memory, so that disk speed stays out of it;
// and opening a one-second recording as written and with the header a
// program writes into a pipe, which cannot seek back to fill in the length.

#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <memory>
#include <string>

#include "app/sys_param.h"
#include "document/byte_stream.h"
#include "document/le_bytes.h"
#include "document/tonewarp_doc.h"

namespace {

constexpr int bench_frames = 44100 * 60;

std::string make_file(int channels, int frames = bench_frames) {
    const std::int32_t d = frames * 2 * channels;
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

// The data length sox declares when it writes a WAVE file into a pipe: the
// most it could write, whatever the recording holds.
constexpr std::int32_t pipe_data_len = 0x7FFFF000;

// One second of stereo samples; with pipe_header, declaring pipe_data_len.
std::string one_second_file(bool pipe_header) {
    std::string s = make_file(2, 44100);
    if (pipe_header) {
        auto* p = reinterpret_cast<unsigned char*>(s.data());
        le_put_i32(p + 4, pipe_data_len + 36);
        le_put_i32(p + 40, pipe_data_len);
    }
    return s;
}

// A field of /proc/self/status in kB ("VmRSS", "VmHWM"), -1 when missing.
long status_kb(const std::string& field) {
    std::ifstream in("/proc/self/status");
    for (std::string line; std::getline(in, line);) {
        if (line.compare(0, field.size() + 1, field + ":") == 0)
            return std::stol(line.substr(field.size() + 1));
    }
    return -1;
}

// How far the resident size rises while one document opens file (and holds
// it), in MB: measured in a child process, whose peak starts at its resident
// size when forked, so that neither this process's earlier peak nor the
// blocks its C library keeps count. -1 when it could not be measured.
double open_peak_rss_mb(const std::string& file) {
    int fds[2];
    if (pipe(fds) != 0) return -1;
    const pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        close(fds[0]);
        const long before = status_kb("VmRSS");
        {
            auto doc = std::make_unique<CTonewarpDoc>();
            memory_istream in(file);
            doc->read_wave_file(in);
            benchmark::DoNotOptimize(doc->mdfy_dt);
        }
        const long peak = status_kb("VmHWM");
        const double mb = before < 0 || peak < 0 ? -1.0 : static_cast<double>(peak - before) / 1024.0;
        const ssize_t w = write(fds[1], &mb, sizeof mb);
        _exit(w == sizeof mb ? 0 : 1);
    }
    close(fds[1]);
    double mb = -1;
    if (read(fds[0], &mb, sizeof mb) != sizeof mb) mb = -1;
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return mb;
}

// Arg 0: the file as written; 1: the same file with the pipe header. Both
// documents get the same samples; the second one is D / 4 frames long.
void read_1s_file(benchmark::State& state) {
    shared_heap = get_process_heap();
    const bool pipe_header = state.range(0) != 0;
    const std::string file = one_second_file(pipe_header);
    for (auto _ : state) {
        auto doc = std::make_unique<CTonewarpDoc>();
        memory_istream in(file);
        doc->read_wave_file(in);
        benchmark::DoNotOptimize(doc->mdfy_dt);
    }
    state.counters["peak_rss_mb"] = open_peak_rss_mb(file);
    state.SetLabel(pipe_header ? "header declares 2147479552 bytes" : "header as written");
}
BENCHMARK(read_1s_file)->ArgName("pipe_header")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
