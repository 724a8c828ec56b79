#include "engine/peak_search.h"

#include <limits>
#include <utility>

namespace {

// Orders the held list by falling value with the exchange rule: a later
// entry moves up only when strictly greater, so equal values keep their order
// relative to each other as far as the exchanges allow.
void order_peaks(int cnt, const double* v, int* out) {
    for (int a = 0; a + 1 < cnt; ++a) {
        for (int b = a + 1; b < cnt; ++b) {
            if (v[out[b]] > v[out[a]]) std::swap(out[a], out[b]);
        }
    }
}

}  // namespace

int srch_peak(int max_cnt, int n, const double* v, int* out) {
    if (max_cnt < 1 || n <= 1) return 0;
    int held = 0;
    // A peak changes the list only while fewer than max_cnt are held or when
    // it beats the weakest held one; `floor` is the value it must exceed then
    // (minus infinity while the list has room: every peak exceeds it, since a
    // peak is greater than a neighbour). Bins not above it are passed over.
    double floor = -std::numeric_limits<double>::infinity();
    auto take = [&](int i) {
        if (held < max_cnt) {
            out[held++] = i;
        } else if (v[out[held - 1]] < v[i]) {
            out[held - 1] = i;
        } else {
            return;
        }
        order_peaks(held, v, out);
        if (held == max_cnt) floor = v[out[held - 1]];
    };
    for (int i = 1; i <= n - 1; ++i) {
        if (!(v[i] > floor)) continue;
        bool peak;
        if (i == n - 1) {
            // The last bin (also when n == 2, where bin 1 has no right neighbour).
            peak = v[n - 2] < v[n - 1];
        } else if (i == 1) {
            peak = v[1] > v[2];
        } else {
            peak = v[i - 1] <= v[i] && v[i] > v[i + 1];
        }
        if (peak) take(i);
    }
    return held;
}
