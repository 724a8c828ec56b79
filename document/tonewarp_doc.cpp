#include "document/tonewarp_doc.h"

#include <cstring>

#include "app/sys_param.h"
#include "document/le_bytes.h"

// Every field starts zero / null through its initialiser: a new document
// holds nothing until it is read or given the default.
CTonewarpDoc::CTonewarpDoc() = default;

CTonewarpDoc::~CTonewarpDoc() {
    free_wave_dt();
    free_temp_area_all();
    release_coef_blocks();
}

// The solver's areas normally live only while a run does and are released
// when it finishes; a document destroyed in the middle of a run (its window
// closed) gives them back here instead of leaking them.
void CTonewarpDoc::release_coef_blocks() {
    HEAP_HANDLE heap = h_Mem_CoefMatrix != nullptr ? h_Mem_CoefMatrix : shared_heap;
    double** blocks[] = {&dblCoefMatrix, &dblCC_ValVct, &dblCC_SttAns, &dblCC_NxtAns, &dblCC_EndAns,
                         &dblCC_R_Vct,   &dblCC_P_Vct,  &dblCC_Y_Vct,  &dblCC_W_Vct};
    for (double** b : blocks) {
        if (*b != nullptr && heap != nullptr) heap_free(heap, *b);
        *b = nullptr;
    }
    h_Mem_CoefMatrix = nullptr;
}

int CTonewarpDoc::set_default_wave() {
    // A new document holds nothing; a rejected one may already hold buffers
    // or parts from an earlier read, which are released rather than dropped.
    free_wave_dt();
    free_temp_area_all();
    intPart_Cnt = 0;

    std::memset(wv_riff_hdr, 0, sizeof wv_riff_hdr);
    std::memset(wv_fmt_dt, 0, sizeof wv_fmt_dt);
    std::memset(wv_data_hdr, 0, sizeof wv_data_hdr);
    std::memcpy(wv_riff_hdr + 0, "RIFF", 4);
    le_put_i32(wv_riff_hdr + 4, 46);
    std::memcpy(wv_riff_hdr + 8, "WAVE", 4);
    std::memcpy(wv_riff_hdr + 12, "fmt ", 4);
    le_put_i32(wv_riff_hdr + 16, 18);
    le_put_i16(wv_fmt_dt + 0, 1);       // PCM
    le_put_i16(wv_fmt_dt + 2, 2);       // stereo
    le_put_i32(wv_fmt_dt + 4, 44100);   // frames per second
    le_put_i32(wv_fmt_dt + 8, 176400);  // bytes per second
    le_put_i16(wv_fmt_dt + 12, 4);      // bytes per frame
    le_put_i16(wv_fmt_dt + 14, 16);     // bits per sample
    std::memcpy(wv_data_hdr + 0, "data", 4);
    le_put_i32(wv_data_hdr + 4, 2048);  // 512 silent frames

    // Whatever free_wave_dt could not release is dropped here: the document
    // starts over with fresh buffers.
    orgn_dt = nullptr;
    mdfy_dt = nullptr;
    h_Mem_orgn_dt = nullptr;
    h_Mem_mdfy_dt = nullptr;
    for (int k = 0; k < prt_tbl_cnt; ++k) {
        h_Mem_msc_prt_inf[k] = nullptr;
        h_Heap_msc_prt_inf[k] = nullptr;
        h_Mem_wv_temp_dt[k] = nullptr;
        h_Heap_wv_temp_dt[k] = nullptr;
        wv_temp_dt_size[k] = 0;
    }
    for (int j = 0; j < prt_tbl_cnt * prt_spc_slot_cnt; ++j) {
        h_dblPrtL_Frq_r[j] = h_dblPrtL_Frq_i[j] = h_dblPrtL_Frq_s[j] = nullptr;
        h_dblPrtR_Frq_r[j] = h_dblPrtR_Frq_i[j] = h_dblPrtR_Frq_s[j] = nullptr;
        h_Heap_PrtL_Frq_r[j] = h_Heap_PrtL_Frq_i[j] = h_Heap_PrtL_Frq_s[j] = nullptr;
        h_Heap_PrtR_Frq_r[j] = h_Heap_PrtR_Frq_i[j] = h_Heap_PrtR_Frq_s[j] = nullptr;
    }

    alloc_wave_dt();  // 2560 bytes each; a failure leaves the buffer null
    intPart_Cnt = 0;
    return 0;
}

std::int32_t CTonewarpDoc::riff_size() const { return le_get_i32(wv_riff_hdr + 4); }
std::int32_t CTonewarpDoc::fmt_len() const { return le_get_i32(wv_riff_hdr + 16); }
std::int16_t CTonewarpDoc::fmt_format_tag() const { return le_get_i16(wv_fmt_dt + 0); }
std::int16_t CTonewarpDoc::fmt_channels() const { return le_get_i16(wv_fmt_dt + 2); }
std::int32_t CTonewarpDoc::fmt_samples_per_sec() const { return le_get_i32(wv_fmt_dt + 4); }
std::int32_t CTonewarpDoc::fmt_avg_bytes_per_sec() const { return le_get_i32(wv_fmt_dt + 8); }
std::int16_t CTonewarpDoc::fmt_block_align() const { return le_get_i16(wv_fmt_dt + 12); }
std::int16_t CTonewarpDoc::fmt_bits_per_sample() const { return le_get_i16(wv_fmt_dt + 14); }
std::int32_t CTonewarpDoc::data_len() const { return le_get_i32(wv_data_hdr + 4); }

std::int32_t CTonewarpDoc::frame_count() const {
    const std::int32_t d = data_len();
    return d > 0 ? d / 4 : 0;
}

bool CTonewarpDoc::is_bad_file() const { return std::memcmp(wv_riff_hdr, "NG_F", 4) == 0; }
