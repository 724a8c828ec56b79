// Per-channel views of a part's values in the document, and the checks the
// engine makes before it touches a part's memory areas.
#pragma once

#include <cstdint>

#include "document/tonewarp_doc.h"

// The document's per-part values of one channel.
struct part_chan {
    std::int32_t* act_flg;    // 1 = the part sounds on this channel
    std::int32_t* shift_val;  // intShiftVal taken at the last re-attack
    std::int32_t* cur_len;    // current extent: maximum length of the latest record; 0 while silent
    std::int32_t* peak;       // bin of the largest reference magnitude
    double* vol;              // dblVolAdd
    double* vol_prv;          // the volume before the latest update
    double* wv_lvl;           // sum of |sample| over the second half of the latest frame
    double** frq_r;           // spectrum areas, index spc_idx(part, slot)
    double** frq_i;
    double** frq_s;
};

inline part_chan doc_chan(CTonewarpDoc& doc, bool right) {
    if (right) {
        return {doc.prt_act_flg_R,   doc.prt_shift_val_R, doc.prt_cur_len_R, doc.prt_peak_R,
                doc.dblVolAdd_R,     doc.dblVolPrv_R,     doc.dblWvLvl_R,    doc.h_dblPrtR_Frq_r,
                doc.h_dblPrtR_Frq_i, doc.h_dblPrtR_Frq_s};
    }
    return {doc.prt_act_flg_L,   doc.prt_shift_val_L, doc.prt_cur_len_L, doc.prt_peak_L,
            doc.dblVolAdd_L,     doc.dblVolPrv_L,     doc.dblWvLvl_L,    doc.h_dblPrtL_Frq_r,
            doc.h_dblPrtL_Frq_i, doc.h_dblPrtL_Frq_s};
}

// Parts the document holds, kept inside its tables.
inline int doc_part_cnt(const CTonewarpDoc& doc) {
    return doc.intPart_Cnt < 0 ? 0 : (doc.intPart_Cnt > prt_tbl_cnt ? prt_tbl_cnt : doc.intPart_Cnt);
}

// Capacity of part k's waveform in frames (0 when it has none).
inline std::int64_t part_wave_frames(const CTonewarpDoc& doc, int k) {
    return doc.h_Mem_wv_temp_dt[k] == nullptr ? 0 : doc.wv_temp_dt_size[k] / 4;
}

// Info records of part k in use, kept inside the area's capacity.
inline int part_inf_cnt(const CTonewarpDoc& doc, int k) {
    const int c = doc.intPart_Inf_Cnt[k];
    return c < 0 ? 0 : (c > prt_inf_rec_cnt ? prt_inf_rec_cnt : c);
}

// True when part k has its info area, its waveform and, on both channels,
// the three spectrum areas of every slot 0 .. last_slot: everything the
// engine reads or writes while it follows the part.
bool part_areas_ok(const CTonewarpDoc& doc, int k, int last_slot);

// A resynthesised sample value truncated toward zero into 32 bits (values
// beyond that range are held at its ends, NaN gives 0); callers store it
// through to_part_sample.
inline std::int32_t trunc_to_i32(double v) {
    if (!(v == v)) return 0;
    if (v >= 2147483647.0) return INT32_MAX;
    if (v <= -2147483648.0) return INT32_MIN;
    return static_cast<std::int32_t>(v);
}

// A resynthesised sample as a part's waveform stores it: held at -32768 ..
// 32767. A part may come out louder than full scale even where the recording
// is not clipped; its low 16 bits would turn that peak into a full-scale
// click of the other sign. The residual part is formed from the stored
// samples, so the mix still adds up to the recording.
inline std::int16_t to_part_sample(std::int32_t s) {
    return static_cast<std::int16_t>(s > INT16_MAX ? INT16_MAX : (s < INT16_MIN ? INT16_MIN : s));
}

// Sets part k's name to "Part_%03d" with its 1-based number, or to text,
// cut to the 12 bytes the name table holds.
void set_part_name(CTonewarpDoc& doc, int k, const char* text = nullptr);

// Slots of a part's spectra the engine uses: 0 the current spectrum, 1 .. 8
// the reference pattern.
inline constexpr int part_last_used_slot = 8;
