// Extraction state of one recording view.
//
// The view owns one extr_state for its whole life and hands it, with the
// document, to every engine operation. The object is large (about 30 MB of
// fixed arrays: twelve per-channel histories of 16 x 8192 doubles with
// their spare and ahead rows, spaced out in memory, plus the frame buffers
// and the onset work areas), so it is
// always created on the heap, e.g. std::make_unique<extr_state>(); it
// starts zero-filled apart from the initial values written below.
//
// Positions ("ptr" values) are sample-frame indices into the recording;
// every per-bin array holds dft_max_len elements of which the first frm_len
// are used. Names ending in _L / _R belong to the left / right channel;
// chnl_slct (1 left, 2 right) selects the channel that the _X accessors
// return.
#pragma once

#include "engine/chg_window.h"
#include "engine/dft.h"

inline constexpr int extr_frm_len = 1024;  // N: frame and transform length
inline constexpr int hst_depth = 16;       // slots of every history; slot 0 is the newest
inline constexpr int prt_slot_cnt = 256;   // part slots of every per-part table
inline constexpr int chg_nrm_rows = 8;     // rows of the onset pattern areas
inline constexpr int hst_ahead_max = 16;   // frames a spectrum history can hold ahead of the frame loop

class frame_ahead;

// One channel's history of per-bin spectra with per-slot sum and positions.
//
// Slot k (0 newest .. 15 oldest) behaves like row k of arrays that are
// shifted one slot back per frame, but the shift only moves the ring's top:
// no data are copied. After shift() slot 0 holds stale values until the
// caller fills it; callers always fill its first N bins, its sum and its
// positions. Slot numbers are taken modulo 16, so no index can leave the
// arrays.
//
// Used for both histories of the frame loop: for the spectrum
// history re/im/abs are the frame spectra, sum the magnitude sum and ptr the
// frame position (prv unused); for the change history re/im are the change
// spectra, abs the magnitude increases, sum their total, prv the previous
// frame's position and ptr the frame's position.
class hst_ring {
   public:
    hst_ring() = default;
    // Slots may refer to rows of another ring (set_diff): never copied.
    hst_ring(const hst_ring&) = delete;
    hst_ring& operator=(const hst_ring&) = delete;

    // Writable rows: whatever is pending in the slot is formed first, so a
    // write never reaches values formed later.
    double* re(int k) {
        form_all(row(k));
        return re_[row(k)];
    }
    double* im(int k) {
        form_all(row(k));
        return im_[row(k)];
    }
    // Writable magnitudes: the slot's sum is formed first, as the slot holds
    // it now, and its window sums are forgotten, since the caller may change
    // what they were summed from.
    double* abs(int k) {
        form_all(row(k));
        sum(k);
        wsum_tag_[row(k)] = chg_wsum_none;
        return abs_[row(k)];
    }
    // Magnitudes of a slot that is about to be filled anew, with its sum and
    // window sums: what it held before is dropped unsummed and unformed.
    double* refill_abs(int k) {
        abs_from_[row(k)] = abs_to_[row(k)] = 0;
        sum_bins_[row(k)] = 0;
        wsum_tag_[row(k)] = chg_wsum_none;
        return abs_[row(k)];
    }
    const double* re(int k) const {
        form_diff(row(k));
        return re_[row(k)];
    }
    const double* im(int k) const {
        form_diff(row(k));
        return im_[row(k)];
    }
    const double* abs(int k) const {
        form_abs(row(k));
        return abs_[row(k)];
    }
    // The magnitudes as they are stored, pending bins not formed: only the
    // bins below a pending range (defer_magnitudes, defer_increases) hold
    // their values. For readers of the lower bins alone.
    const double* abs_head(int k) const { return abs_[row(k)]; }
    // Bins from .. n - 1 of the slot's magnitudes are formed when first read:
    // sqrt(re[j]^2 + im[j]^2) of the slot's own bins.
    void defer_magnitudes(int k, int from, int n);
    // The same for a change slot whose re / im were given by set_diff(k, ...,
    // a_re, a_im, b_re, b_im): the increase of the magnitude of a over that
    // of b where it is greater than 0, else 0 (as frame_abs_changes forms it).
    void defer_increases(int k, int from, int n);
    // The slot's re / im become a_re[j] - b_re[j] and a_im[j] - b_im[j] for
    // j < n, formed when the slot's re or im is first asked for. Until then
    // the four rows must keep their values; the frame loop hands in rows of
    // the spectrum history, which keeps each row for 17 frames (see next_re).
    void set_diff(int k, int n, const double* a_re, const double* a_im, const double* b_re,
                  const double* b_im);

    // Storage of the slot that the next shift() makes slot 0: the spare row,
    // which holds the old slot 15 from one shift until it is written again.
    double* next_re() { return re_[spare_row()]; }
    double* next_im() { return im_[spare_row()]; }
    double* next_abs() { return abs_[spare_row()]; }
    int& prv(int k) { return prv_[row(k)]; }
    int& ptr(int k) { return ptr_[row(k)]; }
    // The slot's sum: for both histories the sum of its magnitudes over the
    // first N bins, added in bin order from 0. The frame loop only records
    // how many bins it filled (set_sum_of_abs); the sum is formed when it is
    // first asked for, from magnitudes that have not changed since.
    double sum(int k) const;
    void set_sum(int k, double v);
    void set_sum_of_abs(int k, int n);
    int prv(int k) const { return prv_[row(k)]; }
    int ptr(int k) const { return ptr_[row(k)]; }

    // Window sums of the slot's magnitudes over the change test's bin
    // windows (engine/chg_window.h), and the tag of the grid they belong to.
    // Kept by the frame loop: it sums each slot once, when it fills it.
    const double* wsum(int k) const { return wsum_[row(k)]; }
    int wsum_tag(int k) const { return wsum_tag_[row(k)]; }
    // Sums of the slot's current magnitudes over grid g.
    void sum_windows(int k, const chg_grid& g);
    // Takes sums made elsewhere from the very magnitudes the slot holds.
    void set_wsum(int k, const double* sums, const chg_grid& g);

    // Slot k - 1 becomes slot k for k = 15 .. 1; the spare row becomes the
    // new slot 0 and the old slot 15 a spare row.
    void shift() { top_ = top_ == 0 ? rows_ - 1 : top_ - 1; }

    // Clears the first n bins of every slot and all sums and positions. The
    // ring then keeps ahead spare rows besides the one the next frame goes
    // into (at most hst_ahead_max): rows that frames computed ahead of the
    // frame loop can be written into while the slots are in use.
    void clear(int n, int ahead = 0);

    // Spectrum storage of the run's frame f (0 = the first after clear):
    // the spare row that frame is stored in, as long as f is no further
    // than the ring's ahead rows beyond the frame in progress. Only the
    // rows' bins are written there; the slot's sums and pending values are
    // the frame loop's to set when the frame is stored.
    double* frame_re(long f) { return re_[row_of_frame(f)]; }
    double* frame_im(long f) { return im_[row_of_frame(f)]; }
    double* frame_abs(long f) { return abs_[row_of_frame(f)]; }

   private:
    // Storage rows: the 16 slots, one spare and up to hst_ahead_max more.
    static constexpr int max_rows = hst_depth + 1 + hst_ahead_max;
    int row(int k) const {
        const int r = top_ + (k & (hst_depth - 1));
        return r >= rows_ ? r - rows_ : r;
    }
    int spare_row() const { return top_ == 0 ? rows_ - 1 : top_ - 1; }
    // clear() puts top_ at row 0 and every frame shifts once: frame f goes
    // into row -(f + 1) modulo the rows.
    int row_of_frame(long f) const { return rows_ - 1 - static_cast<int>(f % rows_); }
    // Forms the pending difference of storage row r, if any.
    void form_diff(int r) const {
        if (diff_n_[r] > 0) form_diff_now(r);
    }
    void form_diff_now(int r) const;
    // Forms the pending magnitudes of storage row r, if any.
    void form_abs(int r) const {
        if (abs_from_[r] < abs_to_[r]) form_abs_now(r);
    }
    void form_abs_now(int r) const;
    void form_all(int r) const {
        form_abs(r);
        form_diff(r);
    }

    // Storage rows are dft_max_len doubles plus a gap: at exactly 64 KB
    // apart, bin j of every row would fall into the same few cache sets and
    // the rows would keep pushing each other out. With the gap, the bins an
    // N = 1024 frame uses of successive rows lie side by side in the cache.
    static constexpr int row_stride = dft_max_len + 1032;

    int top_ = 0;                // storage row of slot 0
    int rows_ = hst_depth + 1;   // storage rows in use: the slots, the spare and the ahead rows
    mutable double re_[max_rows][row_stride]{};  // mutable: a pending difference is formed when read
    mutable double im_[max_rows][row_stride]{};
    mutable double abs_[max_rows][row_stride]{};
    double wsum_[max_rows][chg_wsum_cap]{};
    int wsum_tag_[max_rows]{};
    mutable double sum_[max_rows]{};
    mutable int sum_bins_[max_rows]{};  // bins still to be summed into sum_; 0 = sum_ holds the sum
    int prv_[max_rows]{};
    int ptr_[max_rows]{};
    // Pending difference of each row (set_diff): bins to form, 0 = none,
    // and its rows a_re, a_im, b_re, b_im.
    mutable int diff_n_[max_rows]{};
    const double* diff_src_[max_rows][4]{};
    // Pending magnitudes of each row: bins abs_from_ .. abs_to_ - 1 (none
    // when not below), formed from the row's own spectrum (abs_of_diff_
    // false) or from its set_diff rows (true).
    mutable int abs_from_[max_rows]{};
    mutable int abs_to_[max_rows]{};
    bool abs_of_diff_[max_rows]{};
};

struct extr_state {
    // ---- Fixed values ----
    int frm_len = extr_frm_len;  // N, set at creation, never changed

    // ---- Run state ----
    int extr_stat = 0;  // 0 idle, 1 start requested, 2 running, 3 finishing
    int err_stop = 2;   // 2 while a run proceeds; 1 once any step failed

    // Range to extract: first and last sample (inclusive) and the length
    // anlz_end_ptr - anlz_stt_ptr + 1, set by the view before a run.
    int anlz_stt_ptr = 0;
    int anlz_end_ptr = 0;
    int anlz_len = 0;

    // Maximum number of parts of this run, "Total_Diff." included: the
    // settings' part_max as it was when the run started. A change in the
    // parameter dialog during a run holds from the next run on.
    int part_max = 0;

    int anlz_ptr_L = 0;  // sample at which the next left frame starts
    int anlz_ptr_R = 0;  // the same for the right channel
    int anlz_ptr = 0;    // (anlz_ptr_L + anlz_ptr_R) / 2, truncated
    int chnl_slct = 1;   // channel being analysed: 1 left, 2 right
    int frm_top = 0;     // first sample of the frame handed to the transform
    int hop_L = 0;       // N/8 while running
    int hop_R = 0;

    int snd_top_ptr = -1;  // position of the first loud frame of the run; -1 none yet
    int snd_stat = 1;      // 1 until a loud frame was seen, then 2

    int chg_flg_L = 0;  // 1 while a detected change waits for its onset test
    int chg_flg_R = 0;
    int chg_ptr_L = 0;  // position at which that change was detected
    int chg_ptr_R = 0;
    int atk_top_L = 0;  // first sample of the N-sample window under test / update
    int atk_top_R = 0;
    int upd_ptr_L = 0;  // position of the channel's last registration or update
    int upd_ptr_R = 0;

    int bin_half_w = 4;  // half width of the change test's bin window
    int atk_wait = 4;    // the onset test runs (8 - atk_wait) * N/8 samples after a change
    int hst_cnt = 0;     // filled history slots, 0 .. 16 (one per left/right frame pair)
    int spc_done = 0;    // 1 after each forward transform of a frame

    // ---- Current frame (N values used of each) ----
    double frm_re[dft_max_len]{};  // the frame's samples as doubles
    double frm_im[dft_max_len]{};  // work area of the frequency display; the frame loop leaves it alone
    // The spectrum calc_frm_spc makes; the frame loop's own frames go
    // straight into the spectrum history's spare row instead.
    double spc_re[dft_max_len]{};
    double spc_im[dft_max_len]{};
    // Its magnitudes below N/2, the bins the frame's own tests read; the
    // spectrum history forms the others when they are asked for.
    double spc_abs[dft_max_len]{};
    // Window sums of spc_abs for the change test, made by the frame loop for
    // the frame in progress; spc_abs_wsum_tag is reset when the frame is
    // done, so a test that fills spc_abs itself never meets stale sums.
    double spc_abs_wsum[chg_wsum_cap]{};
    int spc_abs_wsum_tag = chg_wsum_none;

    // ---- Histories, one set per channel ----
    // spc_hst_L.re(k) is spc_hst_re_L[k] (likewise im, abs, sum, ptr):
    // slot k is the frame k + 1 frames before the current one until the
    // current frame is stored at the end of its step.
    // chg_hst_L.re(k) is chg_hst_re_L[k] (likewise im, abs, sum, prv, ptr):
    // slot k is the change of the frame k frames before the current one.
    hst_ring spc_hst_L;
    hst_ring spc_hst_R;
    hst_ring chg_hst_L;
    hst_ring chg_hst_R;

    // ---- Onset and similarity work areas (bins 0 .. N/2 - 1 used) ----
    double chg_nrm[chg_nrm_rows][dft_max_len]{};  // recent-change pattern, oldest row first
    double prt_cmp[chg_nrm_rows][dft_max_len]{};  // stored spectra of the part compared
    int Peak_Pnt1 = 0;                            // bin of the pattern's maximum
    int Peak_Pnt2 = 0;                            // stored peak bin of the part compared

    // Frames computed ahead on a worker thread (engine/frame_ahead.h), or
    // null: the frame loop computes every frame itself. Set by the driver
    // of a run without a window; the window's runs never have one.
    frame_ahead* ahead = nullptr;

    // ---- Per-part tables kept by the view ----
    int prt_mix_flg[prt_slot_cnt]{};   // 1 = the part is in the mix
    int prt_disp_flg[prt_slot_cnt]{};  // 1 = the part is shown expanded
    int intPart_Cnt = 0;               // the view's copy of the document's part count
    int prt_list_top = 0;              // first visible part of the part list

    // ---- Selected-channel accessors (chnl_slct 2 = right, else left) ----
    bool is_right() const { return chnl_slct == 2; }
    int& anlz_ptr_X() { return is_right() ? anlz_ptr_R : anlz_ptr_L; }
    int& chg_flg_X() { return is_right() ? chg_flg_R : chg_flg_L; }
    int& chg_ptr_X() { return is_right() ? chg_ptr_R : chg_ptr_L; }
    int& atk_top_X() { return is_right() ? atk_top_R : atk_top_L; }
    int& upd_ptr_X() { return is_right() ? upd_ptr_R : upd_ptr_L; }
    hst_ring& spc_hst_X() { return is_right() ? spc_hst_R : spc_hst_L; }
    hst_ring& chg_hst_X() { return is_right() ? chg_hst_R : chg_hst_L; }
    const hst_ring& spc_hst_X() const { return is_right() ? spc_hst_R : spc_hst_L; }
    const hst_ring& chg_hst_X() const { return is_right() ? chg_hst_R : chg_hst_L; }

    // N clamped to the arrays' capacity, for loops over bins.
    int bins() const { return frm_len < 1 ? 0 : (frm_len > dft_max_len ? dft_max_len : frm_len); }
};
