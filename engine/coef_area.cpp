#include "engine/coef_area.h"

#include <algorithm>
#include <cstring>

#include "app/err_log.h"
#include "app/sys_param.h"
#include "document/tonewarp_doc.h"
#include "engine/cg_solver.h"
#include "engine/extr_state.h"
#include "engine/trace_line.h"

namespace {

constexpr const char* dump_rule = "------------------------------------------------";

int frame_len(const extr_state& st) { return st.bins(); }

// The rows a system may hold: the fill stride, but never more than the N
// entries of the vectors.
int row_capacity(const extr_state& st, const CTonewarpDoc& doc) {
    return std::min(doc.intVectSize, frame_len(st));
}

struct vec_slot {
    double* CTonewarpDoc::*field;
    const char* free_ng;
};

constexpr vec_slot vec_slots[] = {
    {&CTonewarpDoc::dblCC_ValVct, "<dblCC_ValVct> Free NG !!"},
    {&CTonewarpDoc::dblCC_SttAns, "<dblCC_SttAns> Free NG !!"},
    {&CTonewarpDoc::dblCC_NxtAns, "<dblCC_NxtAns> Free NG !!"},
    {&CTonewarpDoc::dblCC_EndAns, "<dblCC_EndAns> Free NG !!"},
    {&CTonewarpDoc::dblCC_R_Vct, "<dblCC_R_Vct > Free NG !!"},
    {&CTonewarpDoc::dblCC_P_Vct, "<dblCC_P_Vct > Free NG !!"},
    {&CTonewarpDoc::dblCC_Y_Vct, "<dblCC_Y_Vct > Free NG !!"},
    {&CTonewarpDoc::dblCC_W_Vct, "<dblCC_W_Vct > Free NG !!"},
};

void dump_fill_area(const extr_state& st, const CTonewarpDoc& doc) {
    put_err_log(dump_rule);
    std::string head = "<update_already_part> 各音楽パートの係数マトリックス(更新前) : ";
    trc_add(head, "intVectSize=%3d ", doc.intVectSize);
    trc_add(head, "intCoefSetCnt=%3d ", doc.intCoefSetCnt);
    trc_add_pos4(head, st);
    put_err_log(head.c_str());
    const int stride = doc.intVectSize;
    for (int r = 0; r < stride; ++r) {
        const std::string row = coef_dump_row(r, doc.intCoefRowBin[r], doc.dblCC_ValVct[r],
                                              doc.dblCoefMatrix + static_cast<long>(r) * stride, stride);
        put_err_log(row.c_str());
    }
    put_err_log(dump_rule);
}

void dump_system(const CTonewarpDoc& doc, int n) {
    put_err_log(dump_rule);
    put_err_log("<update_already_part> 各音楽パートの係数マトリックス(更新後) : ");
    for (int r = 0; r < n; ++r) {
        const std::string row = coef_dump_row(r, doc.intCoefRowBin[r], doc.dblCC_ValVct[r],
                                              doc.dblCoefMatrix + static_cast<long>(r) * n, n);
        put_err_log(row.c_str());
    }
    put_err_log(dump_rule);
}

}  // namespace

int alloc_coef_area(extr_state& st, CTonewarpDoc& doc) {
    const long n = frame_len(st);
    doc.h_Mem_CoefMatrix = nullptr;
    doc.dblCoefMatrix = nullptr;
    doc.h_Mem_CoefMatrix = shared_heap;
    if (doc.h_Mem_CoefMatrix != nullptr) {
        const long bytes = n * n * 16;
        doc.dblCoefMatrix = static_cast<double*>(heap_alloc(doc.h_Mem_CoefMatrix, bytes));
        if (doc.dblCoefMatrix == nullptr) {
            put_err_logf("<h_Mem_CoefMatrix : %8ld Byte> HeapAlloc NG !!", bytes);
            st.err_stop = 1;
            return -1;
        }
    }
    for (const auto& v : vec_slots) doc.*v.field = nullptr;
    bool all = true;
    for (const auto& v : vec_slots) {
        doc.*v.field = static_cast<double*>(heap_alloc(doc.h_Mem_CoefMatrix, n * 8));
        if (doc.*v.field == nullptr) all = false;
    }
    if (!all) {
        put_err_logf("<計算用ワーク : %8ld Byte> HeapAlloc NG !!", n * 8);
        st.err_stop = 1;
        return -1;
    }
    return 0;
}

int free_coef_area(extr_state& st, CTonewarpDoc& doc) {
    for (const auto& v : vec_slots) {
        double*& p = doc.*v.field;
        if (p == nullptr) continue;  // never allocated: nothing to give back
        if (heap_free(doc.h_Mem_CoefMatrix, p)) {
            p = nullptr;
        } else {
            put_err_log(v.free_ng);
            st.err_stop = 1;
        }
    }
    if (doc.dblCoefMatrix == nullptr) return 0;
    if (!heap_free(doc.h_Mem_CoefMatrix, doc.dblCoefMatrix)) {
        put_err_log("<dblCoefMatrix> Free NG !!");
        st.err_stop = 1;
        return 0;
    }
    doc.dblCoefMatrix = nullptr;
    if (doc.h_Mem_CoefMatrix != nullptr) {
        if (doc.h_Mem_CoefMatrix == shared_heap) {
            doc.h_Mem_CoefMatrix = nullptr;
        } else if (heap_destroy(doc.h_Mem_CoefMatrix)) {
            doc.h_Mem_CoefMatrix = nullptr;
        } else {
            put_err_log("<h_Mem_CoefMatrix> Destroy NG !!");
            st.err_stop = 1;
        }
    }
    return 0;
}

void coef_fill_start(const extr_state& st, CTonewarpDoc& doc, int part_cnt) {
    const int n = frame_len(st);
    // The stride stays within N so the fill area fits the first N² doubles.
    doc.intVectSize = std::clamp(4 * part_cnt, 0, n);
    doc.intCoefSetCnt = 0;
    // Only the first intVectSize² doubles are ever read again (the dump of the
    // fill area and the compaction), so only they need clearing.
    const long used = static_cast<long>(doc.intVectSize) * doc.intVectSize;
    std::fill_n(doc.dblCoefMatrix, used, 0.0);
    // Bins are read for the rows added since (the lookup) and for the first
    // intVectSize rows (the dump), so those are cleared.
    std::fill_n(doc.intCoefRowBin, std::min(doc.intVectSize, coef_row_bin_cnt), 0);
    // Targets too, so that the rows the dump shows unfilled read 0 rather
    // than whatever an earlier update (or the fresh heap block) left there.
    std::fill_n(doc.dblCC_ValVct, doc.intVectSize, 0.0);
}

bool coef_has_row_bin(const CTonewarpDoc& doc, int bin) {
    for (int r = 0; r < doc.intCoefSetCnt; ++r) {
        if (doc.intCoefRowBin[r] == bin) return true;
    }
    return false;
}

double* coef_add_row(const extr_state& st, CTonewarpDoc& doc, double target, int bin) {
    const int g = doc.intCoefSetCnt;
    if (g >= row_capacity(st, doc)) return nullptr;
    doc.dblCC_ValVct[g] = target;
    doc.intCoefRowBin[g] = bin;
    doc.intCoefSetCnt = g + 1;
    return doc.dblCoefMatrix + static_cast<long>(g) * doc.intVectSize;
}

int coef_compact_and_solve(extr_state& st, CTonewarpDoc& doc) {
    if (log_tracing()) dump_fill_area(st, doc);
    const long big_n = frame_len(st);
    const long stride = doc.intVectSize;
    const int n = doc.intCoefSetCnt;
    double* fill = doc.dblCoefMatrix;
    double* copy = doc.dblCoefMatrix + big_n * big_n;
    std::copy_n(fill, stride * stride, copy);
    // The system needs n² doubles; the rest of the first half is never read.
    std::fill_n(fill, std::max(stride * stride, static_cast<long>(n) * n), 0.0);
    for (long r = 0; r < n; ++r) std::copy_n(copy + r * stride, n, fill + r * n);
    if (log_tracing()) dump_system(doc, n);
    exec_cg_solve(st, doc, n);
    return n;
}

int exec_cg_solve(extr_state& st, CTonewarpDoc& doc, int n) {
    const std::int32_t* act = st.is_right() ? doc.prt_act_flg_R : doc.prt_act_flg_L;
    for (int i = 0; i < n; ++i) {
        doc.dblCC_SttAns[i] = (i < doc.intPart_Cnt && i < prt_tbl_cnt && act[i] == 1) ? 1.0 : 0.0;
    }
    const cg_vectors v{doc.dblCC_ValVct, doc.dblCC_SttAns, doc.dblCC_NxtAns, doc.dblCC_EndAns,
                       doc.dblCC_R_Vct,  doc.dblCC_P_Vct,  doc.dblCC_Y_Vct,  doc.dblCC_W_Vct};
    cg_solve(n, doc.dblCoefMatrix, v, &st.err_stop);
    return 0;
}

std::string coef_dump_row(int row, int bin, double target, const double* cols, int col_cnt) {
    std::string line;
    trc_add(line, "Coef[%3d] : Ptr=%4d, Tgt=", row, bin);
    trc_add(line, "%15.1f,  Mat=", target);
    for (int c = 0; c < col_cnt; ++c) {
        if (line.size() > coef_dump_max_chars) break;
        trc_add(line, "%12.3f, ", cols[c]);
    }
    return line;
}
