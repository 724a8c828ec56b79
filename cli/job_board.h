// The progress display of `extract --jobs` on a terminal: one line per file
// being extracted, drawn on standard error below everything else written,
// redrawn at most every 100 ms. Lines of text (summary lines, messages of
// the children) are written above it. When not live only the text is
// written.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

class job_board {
   public:
    explicit job_board(bool live) : live_(live) {}
    job_board(const job_board&) = delete;
    job_board& operator=(const job_board&) = delete;

    // A file starts: its line shows label, bar and name.
    void add(std::size_t key, std::string label, std::string name);
    void set_fraction(std::size_t key, double fraction);
    // The file is done: its line goes.
    void remove(std::size_t key);
    // Writes text to stream above the lines (flushed).
    void write_above(std::FILE* stream, std::string_view text);
    // Redraws when the last drawing is 100 ms old.
    void tick();
    // Takes every line off the terminal.
    void erase();

   private:
    using clock = std::chrono::steady_clock;
    struct row {
        std::size_t key;
        std::string label, name;
        double fraction = 0.0;
        clock::time_point t0;
    };
    void draw();

    bool live_;
    std::vector<row> rows_;
    int drawn_ = 0;  // lines on the terminal now, the cursor below them
    clock::time_point last_{};
};
