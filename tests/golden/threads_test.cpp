// The frames made ahead on a worker thread change nothing: a run with the
// worker gives the single-thread run's parts, records and waveforms byte for
// byte, and its trace lines one for one, over short and long ranges, with
// an abort, and when no thread can be started.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "app/err_log.h"
#include "app/sys_param.h"
#include "document/byte_stream.h"
#include "document/tonewarp_doc.h"
#include "engine/extr_engine_steps.h"
#include "engine/extr_run.h"
#include "engine/extr_state.h"
#include "engine/frame_ahead.h"
#include "golden_material.h"
#include "platform/heap.h"
#include "tests/support/test_dir.h"

namespace {

struct run_result {
    std::unique_ptr<CTonewarpDoc> doc;
    std::string log;
    int err_stop = 0;
};

class worker_threads : public in_test_dir {
   protected:
    void SetUp() override {
        set_default_sys_param(sys_param);
        shared_heap = get_process_heap();
        wave_ = golden_mix_wave(5.0);
    }
    void TearDown() override {
        log_on_flg = 0;
        frame_ahead::refuse_threads(false);
    }

    // One run over first .. last with the given threads; abort_after > 0
    // ends it (state 3) after that many batches, as the stop command would.
    run_result run(int threads, int first, int last, bool traced, int abort_after = 0) {
        run_result r;
        r.doc = std::make_unique<CTonewarpDoc>();
        memory_istream in(wave_);
        r.doc->read_wave_file(in);
        auto st = std::make_unique<extr_state>();
        extr_engine_steps steps;
        set_extr_range(*st, *r.doc, first, last);
        std::remove(err_log_file_name);
        log_on_flg = traced ? 1 : 0;
        int batches = 0;
        run_extraction(
            *st, *r.doc, steps,
            [&](const extr_state& s) {
                if (abort_after > 0 && ++batches == abort_after && s.extr_stat == 2)
                    const_cast<extr_state&>(s).extr_stat = 3;
            },
            threads);
        log_on_flg = 0;
        r.log = read_file_bytes(err_log_file_name);
        r.err_stop = st->err_stop;
        EXPECT_EQ(st->extr_stat, 0);
        EXPECT_EQ(st->ahead, nullptr) << "the worker is gone with the run";
        return r;
    }

    static void expect_same(const run_result& a, const run_result& b) {
        const CTonewarpDoc& x = *a.doc;
        const CTonewarpDoc& y = *b.doc;
        EXPECT_EQ(a.err_stop, b.err_stop);
        ASSERT_EQ(x.intPart_Cnt, y.intPart_Cnt);
        for (int p = 0; p < x.intPart_Cnt; ++p) {
            SCOPED_TRACE("part " + std::to_string(p + 1));
            EXPECT_STREQ(x.prt_name[p], y.prt_name[p]);
            ASSERT_EQ(x.intPart_Inf_Cnt[p], y.intPart_Inf_Cnt[p]);
            EXPECT_EQ(std::memcmp(x.h_Mem_msc_prt_inf[p], y.h_Mem_msc_prt_inf[p],
                                  sizeof(msc_prt_inf_t) * static_cast<std::size_t>(x.intPart_Inf_Cnt[p])),
                      0)
                << "records";
            ASSERT_EQ(x.wv_temp_dt_size[p], y.wv_temp_dt_size[p]);
            EXPECT_EQ(std::memcmp(x.h_Mem_wv_temp_dt[p], y.h_Mem_wv_temp_dt[p],
                                  static_cast<std::size_t>(x.wv_temp_dt_size[p])),
                      0)
                << "waveform";
        }
        EXPECT_EQ(std::memcmp(x.mdfy_dt, y.mdfy_dt, static_cast<std::size_t>(x.data_len())), 0) << "mix";
        EXPECT_TRUE(a.log == b.log) << "the diagnostic logs differ";
    }

    std::string wave_;
};

TEST_F(worker_threads, GiveTheSingleThreadRunsPartsAndTraceOverShortAndLongRanges) {
    const int frames = 5 * 44100;
    for (const auto& [first, last] : {std::pair{0, frames - 1}, {30000, 190000}, {100000, 100000},
                                      {200000, 202048}, {frames - 3000, frames - 1}}) {
        SCOPED_TRACE("range " + std::to_string(first) + " .. " + std::to_string(last));
        const run_result one = run(1, first, last, false);
        const run_result two = run(2, first, last, false);
        expect_same(one, two);
    }
    // With tracing on, every line of the log in the same order.
    const run_result one = run(1, 0, 2 * 44100, true);
    const run_result two = run(2, 0, 2 * 44100, true);
    ASSERT_GT(one.log.size(), 100000u) << "the trace should hold every update";
    expect_same(one, two);
}

TEST_F(worker_threads, AnAbortedRunAndARunWithoutAThreadEndAsTheSingleThreadRun) {
    const int frames = 5 * 44100;
    expect_same(run(1, 0, frames - 1, false, 40), run(2, 0, frames - 1, false, 40));
    frame_ahead::refuse_threads(true);
    expect_same(run(1, 0, frames - 1, false), run(2, 0, frames - 1, false));
}

}  // namespace
