// Radix-2 fast Fourier transform on doubles, both directions.
//
// exec_dft computes X[k] = sum_n x[n] * e^(-2*pi*i*k*n/N), unscaled;
// exec_ivdft computes x[n] = (1/N) * sum_k X[k] * e^(+2*pi*i*k*n/N).
// N is a power of two from 1 to dft_max_len. Both return 0, or -1 for any
// other N, in which case nothing is written. The outputs may be the very
// arrays passed as inputs: the input is scattered into process-wide work
// arrays before anything is written.
//
// Each thread has its own pair of work arrays; the bit-reversal table and
// each direction's full-circle twiddle tables are process-wide. Each table
// is rebuilt only when the requested N differs from the N it was last built
// for, so alternating lengths stay correct. Nothing is allocated per call.
// Threads may transform at the same time once dft_prepare(N) has run and
// as long as no thread asks for another N meanwhile.
#pragma once

inline constexpr int dft_max_len = 8192;

int exec_dft(int n, const double* in_re, const double* in_im, double* out_re, double* out_im);
int exec_ivdft(int n, const double* in_re, const double* in_im, double* out_re, double* out_im);

// exec_dft of in_re with every imaginary part +0.0, which are not read: the
// same doubles as exec_dft with an array of zeros as in_im.
int exec_dft_real(int n, const double* in_re, double* out_re, double* out_im);

// Builds the tables of both directions for N (and chooses the kernel), so
// that transforms of length N read them only.
void dft_prepare(int n);
