// Progress of the engine runs of `tonewarp-cli extract`, shown on standard
// error when it is a terminal.
#pragma once

#include <chrono>
#include <string>

struct extr_state;

// How far a run has come through its range, 0 .. 1.
double run_fraction(const extr_state& st);

// The bar of one run: "[####....] 42.0%     1.3 s" (40 marks).
std::string progress_bar(double fraction, double seconds);

// Told how one file's engine run advances.
class extract_progress {
   public:
    virtual ~extract_progress() = default;
    // The run starts.
    virtual void start() {}
    virtual void show(const extr_state& st) = 0;
    // The run has ended.
    virtual void done() = 0;
};

// The live line of one run on a terminal, redrawn at most every 100 ms, and
// left standing at 100 % when the run ends. Nothing when not live.
class progress_line final : public extract_progress {
   public:
    progress_line(bool live, std::string label);
    void start() override { t0_ = clock::now(); }
    void show(const extr_state& st) override;
    void done() override;

   private:
    using clock = std::chrono::steady_clock;
    bool live_;
    std::string label_;  // put before the bar: which file of a batch
    bool shown_ = false;
    clock::time_point t0_;
    clock::time_point last_{};
};
