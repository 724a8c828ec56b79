// Per-part memory areas: the info area, the waveform work area and the 102
// spectrum areas of every part, added one part at a time during an
// extraction run and released all together.
//
// Every failure line goes to the diagnostic log whether or not tracing is on.

#include "app/err_log.h"
#include "app/sys_param.h"
#include "document/tonewarp_doc.h"

namespace {

// One of the six spectrum tables with its heap table and its name in the log.
struct spc_table {
    const char* name;
    double** area;
    HEAP_HANDLE* heap;
};

// The six tables in allocation and release order: L_r, L_i, L_s, R_r, R_i, R_s.
void spc_tables(CTonewarpDoc& d, spc_table (&t)[6]) {
    t[0] = {"h_dblPrtL_Frq_r", d.h_dblPrtL_Frq_r, d.h_Heap_PrtL_Frq_r};
    t[1] = {"h_dblPrtL_Frq_i", d.h_dblPrtL_Frq_i, d.h_Heap_PrtL_Frq_i};
    t[2] = {"h_dblPrtL_Frq_s", d.h_dblPrtL_Frq_s, d.h_Heap_PrtL_Frq_s};
    t[3] = {"h_dblPrtR_Frq_r", d.h_dblPrtR_Frq_r, d.h_Heap_PrtR_Frq_r};
    t[4] = {"h_dblPrtR_Frq_i", d.h_dblPrtR_Frq_i, d.h_Heap_PrtR_Frq_i};
    t[5] = {"h_dblPrtR_Frq_s", d.h_dblPrtR_Frq_s, d.h_Heap_PrtR_Frq_s};
}

// Allocates size bytes from heap, reading as zeros; null on failure.
void* alloc_cleared(HEAP_HANDLE heap, std::int64_t size) { return heap_alloc_zeroed(heap, size); }

// Releases one area: frees the block to its heap; after a successful free a
// private heap is destroyed (the process-wide one is only forgotten). The
// pointer is cleared in every case, the handle only when released.
// Returns 0 on success, 1 when the free failed, 2 when the destroy failed.
int release_area(void* area, HEAP_HANDLE& heap) {
    if (!heap_free(heap, area)) return 1;
    if (heap == shared_heap) {
        heap = nullptr;
    } else if (heap != nullptr) {
        if (!heap_destroy(heap)) return 2;
        heap = nullptr;
    }
    return 0;
}

}  // namespace

int CTonewarpDoc::alloc_temp_area_add(std::int64_t size) {
    const std::int32_t k = intPart_Cnt;
    std::int32_t limit = sys_param.part_max;
    if (limit > prt_tbl_cnt) limit = prt_tbl_cnt;  // the tables hold 256 parts
    if (k < 0 || k >= limit) {
        put_err_log("<alloc_temp_area_add>  Limit reached !!");
        return -1;
    }
    if (size <= 0) return -1;

    // Info area: 8192 records of 48 bytes. A failure here is only logged.
    intPart_Inf_Cnt[k] = 0;
    h_Mem_msc_prt_inf[k] = nullptr;
    h_Heap_msc_prt_inf[k] = shared_heap;
    if (h_Heap_msc_prt_inf[k] == nullptr) {
        put_err_logf("<h_Mem_msc_prt_inf[%3d] = %08X> Handle Value NG !!", k, 0u);
    } else {
        h_Mem_msc_prt_inf[k] =
            static_cast<msc_prt_inf_t*>(alloc_cleared(h_Heap_msc_prt_inf[k], prt_inf_area_bytes));
        if (h_Mem_msc_prt_inf[k] == nullptr) {
            put_err_logf("<h_Mem_msc_prt_inf[%3d] : %8ld Byte> HeapAlloc NG !!", k,
                         static_cast<long>(prt_inf_area_bytes));
        }
    }

    // Waveform area: a quarter more than requested, in 64 bits.
    const std::int64_t wv_size = size * 5 / 4;
    h_Mem_wv_temp_dt[k] = nullptr;
    wv_temp_dt_size[k] = 0;
    h_Heap_wv_temp_dt[k] = shared_heap;
    if (h_Heap_wv_temp_dt[k] == nullptr) {
        put_err_logf("<h_Mem_wv_temp_dt[%3d] = %08X>  Handle Value NG !!", k, 0u);
        return -1;
    }
    h_Mem_wv_temp_dt[k] = static_cast<unsigned char*>(alloc_cleared(h_Heap_wv_temp_dt[k], wv_size));
    if (h_Mem_wv_temp_dt[k] == nullptr) {
        put_err_logf("<h_Mem_wv_temp_dt[%3d] : %8ld Byte> HeapAlloc NG !!", k, static_cast<long>(wv_size));
        // The part counts, so that its info area is released with the others.
        ++intPart_Cnt;
        return -1;
    }
    wv_temp_dt_size[k] = wv_size;

    // Spectrum areas: 17 slots x 6 tables of 8192 doubles, cleared so that a
    // slot nothing wrote reads as silence. Failures are logged one by one.
    spc_table t[6];
    spc_tables(*this, t);
    for (int i = 0; i < prt_spc_slot_cnt; ++i) {
        const int j = spc_idx(k, i);
        for (auto& tb : t) {
            tb.area[j] = nullptr;
            tb.heap[j] = nullptr;
        }
        for (auto& tb : t) {
            tb.heap[j] = shared_heap;
            if (tb.heap[j] == nullptr) {
                put_err_logf("<%s[%3d][%2d] = %08X>  Handle Value NG !!", tb.name, k, i, 0u);
                continue;
            }
            tb.area[j] = static_cast<double*>(alloc_cleared(tb.heap[j], spc_area_bytes));
            if (tb.area[j] == nullptr) {
                put_err_logf("<%s[%3d][%2d] : %8ld Byte> HeapAlloc NG !!", tb.name, k, i,
                             static_cast<long>(spc_area_bytes));
            }
        }
    }

    ++intPart_Cnt;
    return 0;
}

int CTonewarpDoc::free_temp_area_all() {
    std::int32_t cnt = intPart_Cnt;
    if (cnt > prt_tbl_cnt) cnt = prt_tbl_cnt;
    spc_table t[6];
    spc_tables(*this, t);

    for (int k = 0; k < cnt; ++k) {
        if (h_Mem_msc_prt_inf[k] != nullptr) {
            const int r = release_area(h_Mem_msc_prt_inf[k], h_Heap_msc_prt_inf[k]);
            if (r == 1) put_err_logf("<h_Mem_msc_prt_inf[%3d]> HeapFree NG_All !!", k);
            if (r == 2) put_err_logf("<h_Mem_msc_prt_inf[%3d]> Destroy NG_All !!", k);
            h_Mem_msc_prt_inf[k] = nullptr;
        }
        if (h_Mem_wv_temp_dt[k] != nullptr) {
            const int r = release_area(h_Mem_wv_temp_dt[k], h_Heap_wv_temp_dt[k]);
            if (r == 1) put_err_logf("<h_Mem_wv_temp_dt[%3d]> HeapFree NG_All !!", k);
            if (r == 2) put_err_logf("<h_Mem_wv_temp_dt[%3d]> Destroy NG_All !!", k);
            h_Mem_wv_temp_dt[k] = nullptr;
        }
        wv_temp_dt_size[k] = 0;
        for (int i = 0; i < prt_spc_slot_cnt; ++i) {
            const int j = spc_idx(k, i);
            for (auto& tb : t) {
                if (tb.area[j] == nullptr) continue;
                const int r = release_area(tb.area[j], tb.heap[j]);
                if (r == 1) put_err_logf("<%s[%3d][%3d]> HeapFree NG_All !!", tb.name, k, i);
                if (r == 2) put_err_logf("<%s[%3d][%3d]> Destroy NG_All !!", tb.name, k, i);
                tb.area[j] = nullptr;
            }
        }
    }
    return 0;
}
