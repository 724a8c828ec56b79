#include "cli/job_board.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <utility>

#include "cli/cli_progress.h"

namespace {

int terminal_columns() {
    winsize ws{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0) return ws.ws_col;
    return 80;
}

}  // namespace

void job_board::add(std::size_t key, std::string label, std::string name) {
    rows_.push_back({key, std::move(label), std::move(name), 0.0, clock::now()});
    if (live_) draw();
}

void job_board::set_fraction(std::size_t key, double fraction) {
    for (row& r : rows_)
        if (r.key == key) r.fraction = fraction;
}

void job_board::remove(std::size_t key) {
    std::erase_if(rows_, [key](const row& r) { return r.key == key; });
}

void job_board::write_above(std::FILE* stream, std::string_view text) {
    erase();
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
    if (live_) draw();
}

void job_board::tick() {
    if (live_ && clock::now() - last_ >= std::chrono::milliseconds(100)) draw();
}

void job_board::erase() {
    if (!live_ || drawn_ == 0) return;
    std::fprintf(stderr, "\x1b[%dA\r\x1b[J", drawn_);
    std::fflush(stderr);
    drawn_ = 0;
}

void job_board::draw() {
    const auto now = clock::now();
    last_ = now;
    // A line never reaches the last column, so that the terminal never wraps it.
    const auto width = static_cast<std::size_t>(std::max(terminal_columns() - 1, 1));
    std::string out;
    if (drawn_ > 0) out += "\x1b[" + std::to_string(drawn_) + "A\r\x1b[J";
    for (const row& r : rows_) {
        const double s = std::chrono::duration<double>(now - r.t0).count();
        std::string line = r.label + progress_bar(r.fraction, s) + "  " + r.name;
        if (line.size() > width) {
            std::size_t cut = width;  // never inside a character
            while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;
            line.resize(cut);
        }
        out += line + "\n";
    }
    drawn_ = static_cast<int>(rows_.size());
    std::fwrite(out.data(), 1, out.size(), stderr);
    std::fflush(stderr);
}
