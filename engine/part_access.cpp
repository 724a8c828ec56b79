#include "engine/part_access.h"

bool part_areas_ok(const CTonewarpDoc& doc, int k, int last_slot) {
    if (k < 0 || k >= prt_tbl_cnt) return false;
    if (doc.h_Mem_msc_prt_inf[k] == nullptr || doc.h_Mem_wv_temp_dt[k] == nullptr) return false;
    for (int s = 0; s <= last_slot && s < prt_spc_slot_cnt; ++s) {
        const int i = spc_idx(k, s);
        for (double* const* tbl : {doc.h_dblPrtL_Frq_r, doc.h_dblPrtL_Frq_i, doc.h_dblPrtL_Frq_s,
                                   doc.h_dblPrtR_Frq_r, doc.h_dblPrtR_Frq_i, doc.h_dblPrtR_Frq_s}) {
            if (tbl[i] == nullptr) return false;
        }
    }
    return true;
}
