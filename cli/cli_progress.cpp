#include "cli/cli_progress.h"

#include <cstdio>
#include <utility>

#include "engine/extr_state.h"

double run_fraction(const extr_state& st) {
    const double f = st.anlz_len > 0 ? static_cast<double>(st.anlz_ptr - st.anlz_stt_ptr) / st.anlz_len : 1.0;
    return f < 0.0 ? 0.0 : (f > 1.0 ? 1.0 : f);
}

std::string progress_bar(double fraction, double seconds) {
    constexpr int width = 40;
    const int fill = static_cast<int>(fraction * width);
    std::string bar(static_cast<std::size_t>(fill), '#');
    bar.append(static_cast<std::size_t>(width - fill), '.');
    char tail[48];
    std::snprintf(tail, sizeof tail, "] %5.1f%%  %6.1f s", fraction * 100.0, seconds);
    return "[" + bar + tail;
}

progress_line::progress_line(bool live, std::string label)
    : live_(live), label_(std::move(label)), t0_(clock::now()) {}

void progress_line::show(const extr_state& st) {
    if (!live_) return;
    const auto now = clock::now();
    if (shown_ && now - last_ < std::chrono::milliseconds(100)) return;
    last_ = now;
    shown_ = true;
    const double s = std::chrono::duration<double>(now - t0_).count();
    std::fprintf(stderr, "\r%s%s", label_.c_str(), progress_bar(run_fraction(st), s).c_str());
    std::fflush(stderr);
}

void progress_line::done() {
    if (!live_ || !shown_) return;
    const double s = std::chrono::duration<double>(clock::now() - t0_).count();
    std::fprintf(stderr, "\r%s%s\n", label_.c_str(), progress_bar(1.0, s).c_str());
    std::fflush(stderr);
}
