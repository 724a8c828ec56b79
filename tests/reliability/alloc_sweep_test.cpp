// A full extraction of a real recording in which the k-th heap allocation
// of the run fails, for every k that the run makes: it never crashes or
// leaks, always ends through the finishing state with exactly the failure
// lines of the allocation concerned in the log, and wherever the residual
// part "Total_Diff." was built the mix equals the recording over the range.
// Likewise every release of a second run and of the document failing in
// turn: its line is logged, the block stays allocated (a solver area until
// the document goes), nothing else changes.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/err_log.h"
#include "app/sys_param.h"
#include "document/tonewarp_doc.h"
#include "document/wave_file_io.h"
#include "engine/extr_engine_steps.h"
#include "engine/extr_run.h"
#include "engine/extr_state.h"
#include "engine/part_mix.h"
#include "platform/heap.h"
#include "platform/sjis.h"
#include "tests/support/test_dir.h"
#include "tests/support/wave_bytes.h"

namespace {

// Allocations of a run, in order: the solver's matrix and its eight vectors,
// then per part its info area, its waveform and 17 slots x 6 spectrum areas.
constexpr int coef_allocs = 9;
constexpr int part_allocs = 2 + 17 * 6;
constexpr const char* spc_names[6] = {"h_dblPrtL_Frq_r", "h_dblPrtL_Frq_i", "h_dblPrtL_Frq_s",
                                      "h_dblPrtR_Frq_r", "h_dblPrtR_Frq_i", "h_dblPrtR_Frq_s"};

template <typename... A>
std::string fmt(const char* f, A... a) {
    char buf[256];
    std::snprintf(buf, sizeof buf, f, a...);
    return buf;
}

// The log's lines as UTF-8, CR LF stripped.
std::vector<std::string> log_lines() {
    std::vector<std::string> lines;
    std::istringstream in(cp932_to_utf8(read_file_bytes(err_log_file_name)));
    for (std::string l; std::getline(in, l);) {
        if (!l.empty() && l.back() == '\r') l.pop_back();
        lines.push_back(l);
    }
    return lines;
}

// The lines a failure of allocation k must leave in the log (tracing off),
// and whether it stops the run, for a run whose parts (the residual last)
// each get a waveform of wave_bytes.
struct expected_failure {
    std::vector<std::string> lines;
    bool stops_run = true;
};

expected_failure expect_for(int k, int part_cnt, long wave_bytes) {
    if (k == 1) return {{"<h_Mem_CoefMatrix : 16777216 Byte> HeapAlloc NG !!"}};
    if (k <= coef_allocs) return {{"<計算用ワーク :     8192 Byte> HeapAlloc NG !!"}};
    const int j = k - coef_allocs - 1;
    const int p = j / part_allocs;
    const int r = j % part_allocs;
    const bool residual = p == part_cnt - 1;
    const std::string area_ng = fmt(residual ? "<add_total_diff_part> Part_ptr=%3d Area NG !!"
                                             : "<regist_new_part> Part_ptr=%3d Area NG !!",
                                    p);
    if (r == 0) return {{fmt("<h_Mem_msc_prt_inf[%3d] : %8ld Byte> HeapAlloc NG !!", p, 393216L), area_ng}};
    if (r == 1) return {{fmt("<h_Mem_wv_temp_dt[%3d] : %8ld Byte> HeapAlloc NG !!", p, wave_bytes)}};
    const int slot = (r - 2) / 6;
    const std::string line =
        fmt("<%s[%3d][%2d] : %8ld Byte> HeapAlloc NG !!", spc_names[(r - 2) % 6], p, slot, 65536L);
    // The engine follows a part with slots 0 .. 8; the residual needs none.
    if (residual || slot > 8) return {{line}, false};
    return {{line, area_ng}};
}

// The lines a failure of release k must leave, counted from the start of a
// second run over the parts of the first: that run releases them (part by
// part: info, waveform, 17 slots x 6 spectrum areas), frees the solver's
// vectors and matrix when it finishes, and the document's destruction
// releases the two sample buffers (no line) and the parts again.
std::vector<std::string> expect_release(int k, int part_cnt) {
    const int parts = part_allocs * part_cnt;
    int j = k - 1;
    if (j >= parts) {
        j -= parts;
        constexpr const char* coef[coef_allocs] = {
            "<dblCC_ValVct> Free NG !!", "<dblCC_SttAns> Free NG !!", "<dblCC_NxtAns> Free NG !!",
            "<dblCC_EndAns> Free NG !!", "<dblCC_R_Vct > Free NG !!", "<dblCC_P_Vct > Free NG !!",
            "<dblCC_Y_Vct > Free NG !!", "<dblCC_W_Vct > Free NG !!", "<dblCoefMatrix> Free NG !!"};
        if (j < coef_allocs) return {coef[j]};
        j -= coef_allocs;
        if (j < 2) return {};  // orgn_dt, mdfy_dt
        j -= 2;
    }
    const int p = j / part_allocs;
    const int r = j % part_allocs;
    if (r == 0) return {fmt("<h_Mem_msc_prt_inf[%3d]> HeapFree NG_All !!", p)};
    if (r == 1) return {fmt("<h_Mem_wv_temp_dt[%3d]> HeapFree NG_All !!", p)};
    return {fmt("<%s[%3d][%3d]> HeapFree NG_All !!", spc_names[(r - 2) % 6], p, (r - 2) / 6)};
}

// Each sweep runs on the single-thread path (1) and with the frames made
// ahead on a worker thread (2): a failure must end the run the same way.
class alloc_sweep : public in_test_dir, public testing::WithParamInterface<int> {
   protected:
    void SetUp() override {
        // About 1.2 s: a soft tone from 0.2 s and a brighter one from 0.6 s.
        if (!run_sox("-n -r 44100 -b 16 -c 2 a.wav synth 1 sine 440 vol 0.3 pad 0.2 0") ||
            !run_sox("-n -r 44100 -b 16 -c 2 b.wav synth 0.5 square 660 vol 0.2 pad 0.6 0") ||
            !run_sox("-m a.wav b.wav duo.wav")) {
            GTEST_SKIP() << "sox is not installed";
        }
        load_sys_param();
    }
    void TearDown() override {
        heap_test::reset();
        log_on_flg = 0;
    }

    struct outcome {
        int last_state = -1;
        int err_stop = 0;
        int part_cnt = 0;
        long allocs = 0;
        bool mix_is_recording = false;
        bool residual_built = false;
        std::string residual_name;
    };

    // One whole run over duo.wav, with allocation k of the run failing (0: none).
    outcome run_with_failure(long k) {
        auto doc = std::make_unique<CTonewarpDoc>();
        EXPECT_EQ(open_wave_file(*doc, "duo.wav"), 0);
        auto st = std::make_unique<extr_state>();
        extr_engine_steps steps;
        const int frames = doc->frame_count();
        set_extr_range(*st, *doc, 0, frames - 1);
        std::remove(err_log_file_name);

        outcome o;
        heap_test::reset();
        heap_test::fail_nth_alloc(k);
        run_extraction(
            *st, *doc, steps, [&o](const extr_state& s) { o.last_state = s.extr_stat; }, GetParam());
        o.allocs = heap_test::alloc_calls();
        heap_test::reset();

        o.err_stop = st->err_stop;
        o.part_cnt = doc->intPart_Cnt;
        const int last = o.part_cnt - 1;
        if (last >= 0) o.residual_name = doc->prt_name[last];
        o.residual_built =
            last >= 0 && o.residual_name == total_diff_part_name && doc->intPart_Inf_Cnt[last] == 1;
        o.mix_is_recording =
            std::memcmp(doc->mdfy_dt, doc->orgn_dt, 4 * static_cast<std::size_t>(frames)) == 0;
        EXPECT_EQ(st->extr_stat, 0);
        EXPECT_EQ(doc->dblCoefMatrix, nullptr);
        return o;
    }

    // Two runs over duo.wav on one document, then its release; release k
    // from the start of the second run on fails. Returns the log lines.
    std::vector<std::string> run_with_failed_release(long k, outcome& o) {
        auto doc = std::make_unique<CTonewarpDoc>();
        EXPECT_EQ(open_wave_file(*doc, "duo.wav"), 0);
        auto st = std::make_unique<extr_state>();
        extr_engine_steps steps;
        const int frames = doc->frame_count();
        set_extr_range(*st, *doc, 0, frames - 1);
        run_extraction(*st, *doc, steps);
        std::remove(err_log_file_name);

        heap_test::reset();
        heap_test::fail_nth_free(k);
        run_extraction(
            *st, *doc, steps, [&o](const extr_state& s) { o.last_state = s.extr_stat; }, GetParam());
        o.err_stop = st->err_stop;
        o.part_cnt = doc->intPart_Cnt;
        o.mix_is_recording =
            std::memcmp(doc->mdfy_dt, doc->orgn_dt, 4 * static_cast<std::size_t>(frames)) == 0;
        doc.reset();
        heap_test::reset();
        return log_lines();
    }
};

TEST_P(alloc_sweep, EveryAllocationOfARunFailingInTurnEndsTheRunCleanlyWithItsOwnLogLines) {
    const std::int64_t live_before = heap_test::live_blocks();
    const outcome base = run_with_failure(0);
    ASSERT_EQ(base.last_state, 3);
    ASSERT_EQ(base.err_stop, 2);
    ASSERT_GE(base.part_cnt, 3) << "the recording should give two parts and the residual";
    ASSERT_EQ(base.allocs, coef_allocs + part_allocs * base.part_cnt);
    EXPECT_TRUE(base.residual_built && base.mix_is_recording);
    EXPECT_TRUE(log_lines().empty());

    auto doc = std::make_unique<CTonewarpDoc>();
    ASSERT_EQ(open_wave_file(*doc, "duo.wav"), 0);
    const long wave_bytes = (doc->frame_count() / 1024 + 1) * 1024L * 4 * 5 / 4;
    doc.reset();

    for (long k = 1; k <= base.allocs; ++k) {
        SCOPED_TRACE("allocation " + std::to_string(k) + " of " + std::to_string(base.allocs) + " fails");
        const outcome o = run_with_failure(k);
        const expected_failure want = expect_for(static_cast<int>(k), base.part_cnt, wave_bytes);
        EXPECT_EQ(o.last_state, 3);
        EXPECT_EQ(o.err_stop, want.stops_run ? 1 : 2);
        EXPECT_EQ(log_lines(), want.lines);
        if (o.residual_built) {
            EXPECT_TRUE(o.mix_is_recording) << "the mix differs from the recording";
        } else {
            // Only a failure among the residual part's own areas leaves it unbuilt.
            EXPECT_GE(k, coef_allocs + part_allocs * (base.part_cnt - 1) + 1);
            EXPECT_LE(k, coef_allocs + part_allocs * (base.part_cnt - 1) + 2);
        }
        EXPECT_EQ(heap_test::live_blocks(), live_before) << "heap blocks left after the document went";
        if (HasFailure()) break;  // one broken case tells enough
    }
}

TEST_P(alloc_sweep, EveryReleaseOfARunAndOfTheDocumentFailingInTurnIsLoggedAndKeepsItsBlock) {
    const outcome base = run_with_failure(0);
    ASSERT_GE(base.part_cnt, 3);
    const long releases = 2L * part_allocs * base.part_cnt + coef_allocs + 2;
    for (long k = 1; k <= releases; ++k) {
        SCOPED_TRACE("release " + std::to_string(k) + " of " + std::to_string(releases) + " fails");
        const std::int64_t live_before = heap_test::live_blocks();
        outcome o;
        const std::vector<std::string> lines = run_with_failed_release(k, o);
        const bool coef = k > part_allocs * base.part_cnt && k <= part_allocs * base.part_cnt + coef_allocs;
        EXPECT_EQ(lines, expect_release(static_cast<int>(k), base.part_cnt));
        EXPECT_EQ(o.last_state, 3);
        EXPECT_EQ(o.err_stop, coef ? 1 : 2);
        EXPECT_EQ(o.part_cnt, base.part_cnt);
        EXPECT_TRUE(o.mix_is_recording);
        // The block whose release failed stays with the heap, except a solver
        // area, which the document gives back when it goes; nothing else stays.
        EXPECT_EQ(heap_test::live_blocks(), live_before + (coef ? 0 : 1));
        if (HasFailure()) break;
    }
}

INSTANTIATE_TEST_SUITE_P(threads, alloc_sweep, testing::Values(1, 2));

}  // namespace
