// Frames of a run made ahead of the frame loop on a worker thread.
//
// Most of a frame's work depends only on the recording's samples and the
// frame's position: the forward transform, the magnitudes below N/2, the
// frame volume and the change test's window sums. Frame positions advance
// by the fixed hop N/8 from the range start, so a worker can make them a
// bounded number of frames ahead, while the frame loop keeps everything
// that reads or changes the run's state (decisions, onset test,
// registration, update, solver, resynthesis) in its own order on its own
// thread.
//
// The frame loop takes the frames in its order: left then right of frame
// 0, of frame 1, ... A frame the worker has not started yet is made by the
// frame loop itself. Either thread makes it with the same routines into the
// same place, so the values are the same whichever thread made it, and the
// same as the frame loop's own.
//
// The spectrum of frame f of a channel goes straight into the row of the
// channel's spectrum history that frame f is stored in (hst_ring::frame_re);
// the histories keep hst_ahead_max rows for that (hst_ring::clear).
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

#include "engine/chg_window.h"
#include "engine/dft.h"
#include "engine/extr_state.h"

class CTonewarpDoc;

// What a frame leaves besides its spectrum and magnitudes.
struct frame_extra {
    double volume = 0.0;            // sum of |sample| over the frame
    double wsum[chg_wsum_cap] = {};  // the change test's window sums of the magnitudes
    int wsum_tag = chg_wsum_none;
};

class frame_ahead {
   public:
    frame_ahead() = default;
    ~frame_ahead();
    frame_ahead(const frame_ahead&) = delete;
    frame_ahead& operator=(const frame_ahead&) = delete;

    // Starts the worker on the run st has just started: its range set, its
    // spectrum histories cleared with hst_ahead_max ahead rows. Returns
    // false, and leaves the frame loop to make every frame, when no thread
    // could be started.
    bool start(extr_state& st, const CTonewarpDoc& doc);

    // The frame loop's next frame of channel ch (0 left, 1 right), at
    // position pos: its spectrum and its magnitudes below N/2 are in the
    // channel's spectrum history rows of that frame, the rest is returned.
    // The result stays valid until the next take.
    const frame_extra& take(int ch, std::int64_t pos);

    // Stops the worker and waits for it; later frames are made by take.
    void stop();

    // For tests: start() behaves as when the system gives no thread.
    static void refuse_threads(bool refuse);

   private:
    void work();
    // Makes the frame of channel ch at pos into re / im / abs and e.
    void make(int ch, std::int64_t pos, double* re, double* im, double* abs, frame_extra& e,
              double* samples) const;
    // Frame c (2 f + channel) into its history row and extras slot.
    void make_ahead(long c, double* samples);
    // Until the worker has made frame c, makes the frames after it that
    // nobody has started.
    void wait_for(long c);

    static constexpr int slots = 2 * hst_ahead_max;  // frames in flight, both channels

    hst_ring* ring_[2] = {};
    const unsigned char* buf_ = nullptr;
    std::int64_t frame_cnt_ = 0;
    std::int64_t stt_ = 0;
    int hop_ = 1;
    int n_ = 0;
    chg_grid grid_{};
    long total_ = 0;  // frames of the run, both channels: 2 x frames per channel
    long next_ = 0;   // the frame loop's next frame

    std::atomic<long> claim_{0};     // next frame nobody has started
    std::atomic<long> consumed_{0};  // frames the frame loop has taken
    std::atomic<bool> stop_{false};
    std::atomic<long> ready_[slots] = {};  // c + 1 once frame c is in its slot
    frame_extra extra_[slots];
    double loop_samples_[dft_max_len] = {};    // the frame loop's own frames
    double worker_samples_[dft_max_len] = {};  // the worker's
    std::thread worker_;
    bool running_ = false;
};
