#include "engine/extr_state.h"

#include <algorithm>

void hst_ring::clear(int n) {
    n = std::clamp(n, 0, dft_max_len);
    for (int r = 0; r < hst_depth; ++r) {
        std::fill_n(re_[r], n, 0.0);
        std::fill_n(im_[r], n, 0.0);
        std::fill_n(abs_[r], n, 0.0);
        sum_[r] = 0.0;
        prv_[r] = 0;
        ptr_[r] = 0;
    }
    top_ = 0;
}
