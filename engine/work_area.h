// Process-wide work buffers of the engine and their in-use flags.
//
// The part spectrum being built (co_r_1, co_i_1, fr_co_s_1a) and the
// inverse-transform output (ivdft_out_re, ivdft_out_im) are shared by part
// registration and the existing-part update of every view; the spectrum
// display borrows co_r_1 / co_i_1 between engine batches. Everything runs on
// the one user-interface thread, so the flags are not locks: they detect a
// section entered while its buffers are still marked busy.
//
// Flag values: 0 before first use, 1 while the buffers are in use, 2 after
// release. intUse_fr_1a_F guards co_r_1, co_i_1 and fr_co_s_1a;
// intUse_ivdft_1_F guards the inverse-transform output.
#pragma once

#include "engine/dft.h"

extern int intUse_fr_1a_F;
extern int intUse_ivdft_1_F;

// N values used of each (capacity dft_max_len).
extern double co_r_1[dft_max_len];
extern double co_i_1[dft_max_len];
extern double fr_co_s_1a[dft_max_len];
extern double ivdft_out_re[dft_max_len];
extern double ivdft_out_im[dft_max_len];

inline constexpr int use_flag_busy = 1;
inline constexpr int use_flag_free = 2;

// Enters a guarded section. When the flag already reads busy, writes
// busy_line to the diagnostic log (whether or not tracing is on), sets
// err_stop to 1 and returns -1 without touching the flag; otherwise marks
// the flag busy and returns 0.
int take_use_flag(int& flag, const char* busy_line, int& err_stop);

inline void release_use_flag(int& flag) { flag = use_flag_free; }

// Back to the start-of-process values (flags 0). For tests.
void reset_work_area_flags();
