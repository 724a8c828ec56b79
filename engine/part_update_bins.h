// Per-bin loops of the existing-part update (engine/part_update.cpp) for
// runs without trace lines: the same operations on every bin, in the same
// order per bin, run for several bins side by side.
#pragma once

#include <cstdint>

// sm2[i] for i < n: 0 plus rate[a] * mag[a][i] for a = 0 .. cnt - 1 in that
// order, then 0 where the sum is not greater than 0.
void upd_rate_sm2(int n, int cnt, const double* rate, const double* const* mag, double* sm2);

// The residual for two or more parts: res_r[i] = fr[i], res_i[i] = fi[i],
// then where sm2[i] > 0, for a = 0 .. cnt - 1 in that order, with share =
// rate[a] * mag[a][i] / sm2[i]: res_r[i] -= fr[i] * share and res_i[i] -=
// fi[i] * share.
void upd_residual(int n, int cnt, const double* rate, const double* const* mag, const double* sm2,
                  const double* fr, const double* fi, double* res_r, double* res_i);

// One part's new spectrum, for i < n: tgt2 = r * mag[i] / sm2[i] where sm2[i]
// > 0 and that quotient is greater than 0, else 0; co_r[i] = res_r[i] *
// rate_tgt + fr[i] * tgt2; co_i[i] likewise with res_i and fi; co_s[i] =
// sqrt(co_r[i]^2 + co_i[i]^2). Returns the part's volume: 0 plus co_s[0],
// co_s[1], ... co_s[n - 1], added in that order.
double upd_part_spectrum(int n, double r, double rate_tgt, const double* mag, const double* sm2,
                         const double* res_r, const double* res_i, const double* fr, const double* fi,
                         double* co_r, double* co_i, double* co_s);

// The resynthesised samples: s[i] = trunc_to_i32(x[i]) (engine/part_access.h:
// 0 for a NaN, clamped to the 32-bit range, else truncated) for i < n.
// Returns the wave level, the sum of |s[i]| for half <= i < n: integers
// below 2^31 each, so with n <= 8192 every partial sum is exact and equals
// the bin-order sum of the doubles |s[i]|.
double upd_wave_samples(int n, int half, const double* x, std::int32_t* s);
