// Fixture for the part routines: a fresh directory with the settings loaded
// as at start-up (which takes the heap), a document with a silent recording
// of 4N frames, the extraction state with that range, and helpers to add
// parts, reach their areas and read the log.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
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
        st->part_max = sys_param.part_max;  // as a run takes it when it starts
        reset_work_area_flags();
        doc = std::make_unique<CTonewarpDoc>();
        le_put_i32(doc->wv_data_hdr + 4, 4 * 4 * N);
        ASSERT_EQ(doc->alloc_wave_dt(), 0);
        set_range(0, 4 * N - 1);
    }
    void TearDown() override {
        if (doc->dblCoefMatrix != nullptr) free_coef_area(*st, *doc);
        heap_test::reset();
        log_on_flg = 0;
        reset_work_area_flags();
    }

    void set_range(int first, int last) {
        st->anlz_stt_ptr = doc->extr_stt_ptr = first;
        st->anlz_end_ptr = doc->extr_end_ptr = last;
        st->anlz_len = doc->extr_dt_cnt = last - first + 1;
    }

    // Adds a part's areas as registration does, spectra cleared; returns its index.
    int add_part(bool act_L = true, bool act_R = true) {
        const int p = doc->intPart_Cnt;
        EXPECT_EQ(doc->alloc_temp_area_add(4 * (st->anlz_len / N + 1) * N), 0);
        doc->prt_act_flg_L[p] = act_L ? 1 : 0;
        doc->prt_act_flg_R[p] = act_R ? 1 : 0;
        for (int s = 0; s < prt_spc_slot_cnt; ++s) {
            for (int c = 0; c < 6; ++c) std::fill_n(spc(c, p, s), prt_spc_len, 0.0);
        }
        return p;
    }

    // Spectrum area c (0 L_r, 1 L_i, 2 L_s, 3 R_r, 4 R_i, 5 R_s) of part p, slot s.
    double* spc(int c, int p, int s) {
        double** t[6] = {doc->h_dblPrtL_Frq_r, doc->h_dblPrtL_Frq_i, doc->h_dblPrtL_Frq_s,
                         doc->h_dblPrtR_Frq_r, doc->h_dblPrtR_Frq_i, doc->h_dblPrtR_Frq_s};
        return t[c][spc_idx(p, s)];
    }
    double* L_r(int p, int s = 0) { return spc(0, p, s); }
    double* L_i(int p, int s = 0) { return spc(1, p, s); }
    double* L_s(int p, int s = 0) { return spc(2, p, s); }
    double* R_s(int p, int s = 0) { return spc(5, p, s); }

    msc_prt_inf_t& rec(int p, int r = 0) { return doc->h_Mem_msc_prt_inf[p][r]; }
    std::int16_t wave(int p, std::int64_t f, int ch) {
        return get_frame_sample(doc->h_Mem_wv_temp_dt[p], f, ch);
    }
    void put_wave(int p, std::int64_t f, int ch, int v) {
        put_frame_sample(doc->h_Mem_wv_temp_dt[p], f, ch, static_cast<std::int16_t>(v));
    }
    std::int64_t cap(int p) const { return doc->wv_temp_dt_size[p] / 4; }

    // The log's lines as UTF-8, without their CR LF.
    static std::vector<std::string> log_lines() {
        const std::string text = cp932_to_utf8(read_file_bytes(err_log_file_name));
        std::vector<std::string> lines;
        for (std::size_t pos = 0, e; (e = text.find("\r\n", pos)) != std::string::npos; pos = e + 2)
            lines.push_back(text.substr(pos, e - pos));
        return lines;
    }

    std::unique_ptr<CTonewarpDoc> doc;
    std::unique_ptr<extr_state> st = std::make_unique<extr_state>();
};

// A real signal's spectrum line: value r + i·j at bin k, its conjugate at N - k.
inline void line(double* re, double* im, int k, double r, double i = 0.0) {
    re[k] = re[extr_frm_len - k] = r;
    if (im != nullptr) im[k] = i, im[extr_frm_len - k] = -i;
}
