#include "engine/part_access.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

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

void set_part_name(CTonewarpDoc& doc, int k, const char* text) {
    if (k < 0 || k >= prt_tbl_cnt) return;
    char buf[32];
    if (text == nullptr) {
        std::snprintf(buf, sizeof buf, "Part_%03d", k + 1);
        text = buf;
    }
    char* name = doc.prt_name[k];
    std::memset(name, 0, sizeof doc.prt_name[k]);
    std::memcpy(name, text, std::min(std::strlen(text), sizeof doc.prt_name[k] - 2));
}
