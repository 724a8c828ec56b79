// CTonewarpDoc: one opened recording and all of its large memory.
//
// The document holds a copy of the WAVE file's header records, the two
// sample buffers (orgn_dt as read, mdfy_dt the working copy that is played
// and saved), the extraction range copied in by the view, and for every
// sound-source part of an extraction run its name, its info records, its
// waveform work area and its spectrum areas, plus the per-part values and
// the coefficient areas the extraction engine keeps here. Fields are public
// and keep the names the engine and the view use for them.
//
// Sample buffers and part waveforms are stereo frames of 4 bytes: left then
// right, signed 16-bit little-endian (see document/le_bytes.h). Every large
// area comes from the process-wide heap `shared_heap` and records the heap
// it came from. A null pointer always means "the area does not exist".
//
// The object is large (about 0.5 MB of tables): create it on the heap.
#pragma once

#include <cstdint>

#include "document/byte_stream.h"
#include "platform/heap.h"

// Capacities of the per-part tables.
inline constexpr int prt_tbl_cnt = 256;        // part slots in every per-part table
inline constexpr int prt_spc_slot_cnt = 17;    // spectrum slots per part and component
inline constexpr int prt_spc_len = 8192;       // doubles in one spectrum area
inline constexpr int prt_inf_rec_cnt = 8192;   // info records per part
inline constexpr int coef_row_bin_cnt = 8192;  // entries of the coefficient row-bin list

inline constexpr std::int64_t spc_area_bytes = 65536;       // one spectrum area: 8192 doubles
inline constexpr std::int64_t prt_inf_area_bytes = 393216;  // 8192 records of 48 bytes

// Header record sizes.
inline constexpr int wv_riff_hdr_len = 20;
inline constexpr int wv_fmt_dt_len = 144;
inline constexpr int wv_data_hdr_len = 8;

// Shown (caption "確認") when a document carries the bad-file mark "NG_F".
inline constexpr const char* bad_wave_file_msg = "読み込んだファイルが不正です!!　　";

// Index into a per-part-and-slot table: part-major, part k, slot i.
constexpr int spc_idx(int k, int i) { return prt_spc_slot_cnt * k + i; }

// One sounding episode of a part: twelve signed 32-bit fields, 48 bytes.
// Offsets count frames from the first frame of the extraction range and
// index the part's waveform; start samples are frame indices of the recording.
struct msc_prt_inf_t {
    std::int32_t opn_L;       // 1 once the episode has a left start
    std::int32_t opn_R;       // 1 once the episode has a right start
    std::int32_t stt_ofs;     // common start offset
    std::int32_t stt_ofs_L;   // where the left samples begin in the part's waveform
    std::int32_t stt_ofs_R;   // where the right samples begin
    std::int32_t data_cnt;    // common length
    std::int32_t data_cnt_L;  // number of left samples of the episode
    std::int32_t data_cnt_R;  // number of right samples
    std::int32_t max_len;     // largest length seen; N when the record is opened
    std::int32_t stt_orgn;    // mean of the two start samples
    std::int32_t stt_orgn_L;  // frame of the recording where the left samples belong
    std::int32_t stt_orgn_R;  // the same for the right samples
};
static_assert(sizeof(msc_prt_inf_t) == 48);

class CTonewarpDoc {
   public:
    CTonewarpDoc();
    // Releases the sample buffers, then every part area.
    ~CTonewarpDoc();
    CTonewarpDoc(const CTonewarpDoc&) = delete;
    CTonewarpDoc& operator=(const CTonewarpDoc&) = delete;

    // ---- WAVE file (document/wave_reader.cpp, wave_writer.cpp) ----

    // Reads a WAVE file. Always completes: a file that fails the checks
    // leaves the default header marked "NG_F" and 512 silent frames.
    void read_wave_file(byte_istream& in);
    // Writes frames extr_stt_ptr .. + extr_dt_cnt - 1 of mdfy_dt as a WAVE
    // file. 0, or -1 when the stream refused a write.
    int write_wave_file(byte_ostream& out);
    // Default header ("RIFF", 44100 Hz stereo 16-bit, 2048 data bytes) and
    // two silent buffers. Returns 0.
    int set_default_wave();

    // ---- Memory areas (document/sample_areas.cpp, part_areas.cpp) ----

    // Both sample buffers for D of wv_data_hdr: D * 5 / 4 bytes each, zero.
    // 0, or -1 when an allocation failed (that buffer stays null).
    int alloc_wave_dt();
    int free_wave_dt();
    // Adds part intPart_Cnt's areas with a waveform area of size * 5 / 4
    // bytes. 0, or -1 at the parts limit, for size <= 0, and when the
    // waveform area could not be had.
    int alloc_temp_area_add(std::int64_t size);
    // Releases every area of parts 0 .. intPart_Cnt - 1; the count itself is
    // left to the caller. Returns 0.
    int free_temp_area_all();

    // ---- Whole-recording buffer operations (document/buffer_ops.cpp) ----

    // mdfy_dt frame i, both channels := left - right of orgn_dt frame i,
    // wrapped to 16 bits. Returns 0.
    int make_cancel_dt();
    // mdfy_dt := the D data bytes of orgn_dt. Returns 0.
    int restore_copy_dt();

    // ---- Header fields as held (little-endian inside the records) ----

    std::int32_t riff_size() const;
    std::int32_t fmt_len() const;  // L: bytes of the format chunk body
    std::int16_t fmt_format_tag() const;
    std::int16_t fmt_channels() const;
    std::int32_t fmt_samples_per_sec() const;
    std::int32_t fmt_avg_bytes_per_sec() const;
    std::int16_t fmt_block_align() const;
    std::int16_t fmt_bits_per_sample() const;
    std::int32_t data_len() const;  // D: data bytes
    // Frames of the recording: D / 4 (0 for a negative D).
    std::int32_t frame_count() const;
    // True when the document carries the bad-file mark "NG_F".
    bool is_bad_file() const;

    // ---- Sample buffers ----

    unsigned char* orgn_dt = nullptr;  // frames as read, then zero padding
    unsigned char* mdfy_dt = nullptr;  // working copy: played, mixed into, saved
    HEAP_HANDLE h_Mem_orgn_dt = nullptr;
    HEAP_HANDLE h_Mem_mdfy_dt = nullptr;

    // ---- Parts ----

    // Number of parts whose areas exist; the next part number.
    std::int32_t intPart_Cnt = 0;
    // Part names: CP932, NUL-terminated, at most 12 bytes of text.
    char prt_name[prt_tbl_cnt][14] = {};

    std::int32_t intPart_Inf_Cnt[prt_tbl_cnt] = {};  // info records in use
    // Info area: prt_inf_rec_cnt records, zero at allocation.
    msc_prt_inf_t* h_Mem_msc_prt_inf[prt_tbl_cnt] = {};
    HEAP_HANDLE h_Heap_msc_prt_inf[prt_tbl_cnt] = {};
    // Waveform work area: stereo frames like the sample buffers, zero at
    // allocation. Frame 0 is the first frame of the extraction range.
    unsigned char* h_Mem_wv_temp_dt[prt_tbl_cnt] = {};
    HEAP_HANDLE h_Heap_wv_temp_dt[prt_tbl_cnt] = {};
    // Bytes of h_Mem_wv_temp_dt as allocated (0 when none); capacity in
    // frames is this / 4. 64-bit: a request near 2 GB grows by a quarter.
    std::int64_t wv_temp_dt_size[prt_tbl_cnt] = {};

    // ---- Extraction range, copied in by the view ----

    std::int32_t extr_stt_ptr = 0;  // first frame
    std::int32_t extr_end_ptr = 0;  // last frame (inclusive)
    std::int32_t extr_dt_cnt = 0;   // end - start + 1

    // ---- Per-part values of the extraction engine (index = part) ----

    std::int32_t prt_act_flg_L[prt_tbl_cnt] = {};  // 1 = the part sounds on the left
    std::int32_t prt_act_flg_R[prt_tbl_cnt] = {};
    std::int32_t prt_shift_val_L[prt_tbl_cnt] = {};  // intShiftVal taken at the last re-attack
    std::int32_t prt_shift_val_R[prt_tbl_cnt] = {};
    // Current extent: samples covered by the latest info record; 0 while silent.
    std::int32_t prt_cur_len_L[prt_tbl_cnt] = {};
    std::int32_t prt_cur_len_R[prt_tbl_cnt] = {};
    std::int32_t prt_peak_L[prt_tbl_cnt] = {};  // bin of the largest reference magnitude
    std::int32_t prt_peak_R[prt_tbl_cnt] = {};
    // Volume: sum of the part's magnitudes over all N bins at its latest update.
    double dblVolAdd_L[prt_tbl_cnt] = {};
    double dblVolAdd_R[prt_tbl_cnt] = {};
    double dblVolPrv_L[prt_tbl_cnt] = {};  // the volume before the latest update
    double dblVolPrv_R[prt_tbl_cnt] = {};
    // Wave level: sum of |sample| over the second half of the latest resynthesised frame.
    double dblWvLvl_L[prt_tbl_cnt] = {};
    double dblWvLvl_R[prt_tbl_cnt] = {};

    // 1-based number of the known part whose new attack was recognised; 0 = none.
    std::int32_t intNowAtackPartNmb = 0;
    std::int32_t intShiftVal = 0;  // shift reported by the similarity test (always 0)

    // ---- Spectrum areas (index spc_idx(part, slot); slot 0 = current spectrum) ----
    // prt_spc_len doubles each, zero at allocation. L = left, R = right channel;
    // r real part, i imaginary part, s magnitude.

    double* h_dblPrtL_Frq_r[prt_tbl_cnt * prt_spc_slot_cnt] = {};
    double* h_dblPrtL_Frq_i[prt_tbl_cnt * prt_spc_slot_cnt] = {};
    double* h_dblPrtL_Frq_s[prt_tbl_cnt * prt_spc_slot_cnt] = {};
    double* h_dblPrtR_Frq_r[prt_tbl_cnt * prt_spc_slot_cnt] = {};
    double* h_dblPrtR_Frq_i[prt_tbl_cnt * prt_spc_slot_cnt] = {};
    double* h_dblPrtR_Frq_s[prt_tbl_cnt * prt_spc_slot_cnt] = {};
    HEAP_HANDLE h_Heap_PrtL_Frq_r[prt_tbl_cnt * prt_spc_slot_cnt] = {};
    HEAP_HANDLE h_Heap_PrtL_Frq_i[prt_tbl_cnt * prt_spc_slot_cnt] = {};
    HEAP_HANDLE h_Heap_PrtL_Frq_s[prt_tbl_cnt * prt_spc_slot_cnt] = {};
    HEAP_HANDLE h_Heap_PrtR_Frq_r[prt_tbl_cnt * prt_spc_slot_cnt] = {};
    HEAP_HANDLE h_Heap_PrtR_Frq_i[prt_tbl_cnt * prt_spc_slot_cnt] = {};
    HEAP_HANDLE h_Heap_PrtR_Frq_s[prt_tbl_cnt * prt_spc_slot_cnt] = {};

    // Gives back the solver's areas if a run left them allocated.
    void release_coef_blocks();

    // ---- Coefficient areas of the rate solver (allocated per extraction run) ----

    HEAP_HANDLE h_Mem_CoefMatrix = nullptr;  // heap of the areas below
    // 2 * N * N doubles: fill area / system matrix, then a copy area.
    double* dblCoefMatrix = nullptr;
    // N doubles each (N = frame length).
    double* dblCC_ValVct = nullptr;  // right-hand side b
    double* dblCC_SttAns = nullptr;  // start vector x0
    double* dblCC_NxtAns = nullptr;  // iterate x
    double* dblCC_EndAns = nullptr;  // result: each part's rate
    double* dblCC_R_Vct = nullptr;   // residual r; per-bin residual real part after the solve
    double* dblCC_P_Vct = nullptr;   // direction p; per-bin residual imaginary part after
    double* dblCC_Y_Vct = nullptr;   // y = At A p
    double* dblCC_W_Vct = nullptr;   // w = A p / previous r; per-bin Rate_Sm2 after
    // Solver scratch.
    double dblCC_Alpha = 0.0;
    double dblCC_Beta = 0.0;
    double dblCC_Numer = 0.0;        // numerator of the current quotient
    double dblCC_Denom = 0.0;        // denominator of the current quotient
    std::int32_t intVectSize = 0;    // row stride of the fill area: 4 * part count
    std::int32_t intCoefSetCnt = 0;  // rows filled
    // Spectrum bin of each matrix row.
    std::int32_t intCoefRowBin[coef_row_bin_cnt] = {};

    // ---- WAVE header records as held ----

    unsigned char wv_riff_hdr[wv_riff_hdr_len] = {};  // tag, RIFF size, form, fmt tag, L
    unsigned char wv_fmt_dt[wv_fmt_dt_len] = {};      // format chunk body, zero past L
    unsigned char wv_data_hdr[wv_data_hdr_len] = {};  // data tag, D
};
