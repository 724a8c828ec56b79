// The two overlap scores of the similarity test (engine/similarity.cpp),
// summed quickly: the terms of many bins side by side, so in another order
// than the test's own bin-by-bin sums.
#pragma once

struct overlap_sums {
    bool usable = false;  // false: a term was negative or not a number
    double sum1 = 0.0;    // first test: sum of p2 (w == q > 0) or p2 * min(w, q)
    int cnt1 = 0;         // first test: terms p2 * min(w, q) (w == q > 0 excepted) reaching p3
    double sum2 = 0.0;    // second test: sum of 100 * min(w, q)
    int cnt2 = 0;         // second test: terms reaching 30
};

// Over rows 0 .. rows - 1 and bins 0 .. half - 1 of w and q (min as
// std::min(w, q)). With p2 >= 0 and every min(w, q) >= 0 all terms are
// non-negative, so sum1 and sum2 each lie within a relative 1e-12 of the
// test's sums (any order of adding m non-negative terms stays within m *
// 2^-53 of their true sum); the counts are exact. Otherwise usable is false.
overlap_sums sum_overlaps(const double (*w)[8192], const double (*q)[8192], int rows, int half, double p2,
                          double p3);
