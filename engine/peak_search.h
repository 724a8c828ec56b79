// Peak search over a magnitude spectrum.
#pragma once

// Finds up to max_cnt local peaks of v[0 .. n-1] and leaves their indices in
// out[0 .. result-1], strongest first. Bin 0 is never a peak; an interior bin
// is a peak when v[i-1] <= v[i] > v[i+1] (so the right end of a plateau
// counts); the last bin when it rises above its left neighbour. Once max_cnt
// peaks are held, a new one replaces the weakest only when strictly
// stronger, so among equal values the lowest bins stay. out needs max_cnt
// entries; entries past the result are left as they were.
int srch_peak(int max_cnt, int n, const double* v, int* out);
