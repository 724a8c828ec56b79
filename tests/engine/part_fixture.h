// Fixture for the part routines: a fresh directory with the settings loaded
// as at start-up (which takes the heap), one document with a recording of
// chosen frames, the extraction state with its range set, and helpers that
// add parts, fill spectra and read the log.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/err_log.h"
#include "app/sys_param.h"
#include "document/le_bytes.h"
#include "document/tonewarp_doc.h"
#include "engine/coef_area.h"
#include "engine/extr_state.h"
#include "engine/work_area.h"
#include "platform/heap.h"
#include "platform/sjis.h"
#include "tests/support/test_dir.h"

class part_test : public in_test_dir {
protected:
    static constexpr int N = extr_frm_len;

    void SetUp() override {
        heap_test::reset();
        load_sys_param();
        log_on_flg = 0;
        reset_work_area_flags();
        st = std::make_unique<extr_state>();
        make_recording(4 * N, [](int, int) { return 0; });
        set_range(0, 4 * N - 1);
    }
    void TearDown() override {
        if (doc && doc->dblCoefMatrix != nullptr) free_coef_area(*st, *doc);
        heap_test::reset();
        log_on_flg = 0;
        reset_work_area_flags();
    }

    // A recording of `frames` frames made by gen(channel 0/1, frame).
    void make_recording(int frames, const std::function<int(int, int)>& gen) {
        doc = std::make_unique<CTonewarpDoc>();
        le_put_i32(doc->wv_data_hdr + 4, 4 * frames);
        ASSERT_EQ(doc->alloc_wave_dt(), 0);
        for (int f = 0; f < frames; ++f) {
            for (int ch = 0; ch < 2; ++ch) put_frame_sample(doc->orgn_dt, f, ch, static_cast<std::int16_t>(gen(ch, f)));
        }
    }

    void set_range(int first, int last) {
        st->anlz_stt_ptr = first;
        st->anlz_end_ptr = last;
        st->anlz_len = last - first + 1;
        doc->extr_stt_ptr = first;
        doc->extr_end_ptr = last;
        doc->extr_dt_cnt = last - first + 1;
    }

    void alloc_coef() { ASSERT_EQ(alloc_coef_area(*st, *doc), 0); }

    // Adds a part's areas as registration does (waveform of (len / N + 1) · N
    // frames) with its name and one record; returns its index.
    int add_part(bool act_L = true, bool act_R = true) {
        const int p = doc->intPart_Cnt;
        const std::int64_t frames = (st->anlz_len / N + 1) * N;
        EXPECT_EQ(doc->alloc_temp_area_add(4 * frames), 0);
        std::snprintf(doc->prt_name[p], sizeof doc->prt_name[p], "P%d", p);
        doc->prt_act_flg_L[p] = act_L ? 1 : 0;
        doc->prt_act_flg_R[p] = act_R ? 1 : 0;
        for (int s = 0; s < prt_spc_slot_cnt; ++s) {
            for (double* a : {L_r(p, s), L_i(p, s), L_s(p, s), R_r(p, s), R_i(p, s), R_s(p, s)}) {
                std::fill_n(a, prt_spc_len, 0.0);
            }
        }
        st->intPart_Cnt = doc->intPart_Cnt;
        return p;
    }

    double* L_r(int p, int s = 0) { return doc->h_dblPrtL_Frq_r[spc_idx(p, s)]; }
    double* L_i(int p, int s = 0) { return doc->h_dblPrtL_Frq_i[spc_idx(p, s)]; }
    double* L_s(int p, int s = 0) { return doc->h_dblPrtL_Frq_s[spc_idx(p, s)]; }
    double* R_r(int p, int s = 0) { return doc->h_dblPrtR_Frq_r[spc_idx(p, s)]; }
    double* R_i(int p, int s = 0) { return doc->h_dblPrtR_Frq_i[spc_idx(p, s)]; }
    double* R_s(int p, int s = 0) { return doc->h_dblPrtR_Frq_s[spc_idx(p, s)]; }

    msc_prt_inf_t& rec(int p, int r = 0) { return doc->h_Mem_msc_prt_inf[p][r]; }
    std::int16_t wave(int p, std::int64_t f, int ch) { return get_frame_sample(doc->h_Mem_wv_temp_dt[p], f, ch); }
    std::int64_t cap(int p) const { return doc->wv_temp_dt_size[p] / 4; }

    // The log's lines as UTF-8, without their CR LF.
    static std::vector<std::string> log_lines() {
        const std::string text = cp932_to_utf8(read_file_bytes(err_log_file_name));
        std::vector<std::string> lines;
        std::size_t pos = 0;
        for (std::size_t e; (e = text.find("\r\n", pos)) != std::string::npos; pos = e + 2)
            lines.push_back(text.substr(pos, e - pos));
        return lines;
    }
    static int count_prefix(const std::vector<std::string>& lines, const std::string& prefix) {
        int n = 0;
        for (const auto& l : lines) n += l.rfind(prefix, 0) == 0 ? 1 : 0;
        return n;
    }

    std::unique_ptr<CTonewarpDoc> doc;
    std::unique_ptr<extr_state> st;
};

// Direct inverse DFT of n bins, real part of sample t (independent of the
// engine's transform).
inline double direct_inverse(const double* re, const double* im, int n, int t) {
    double s = 0.0;
    for (int k = 0; k < n; ++k) {
        const double a = 2.0 * M_PI * k * t / n;
        s += re[k] * std::cos(a) - im[k] * std::sin(a);
    }
    return s / n;
}
