#include "engine/work_area.h"

#include "app/err_log.h"

int intUse_fr_1a_F = 0;
int intUse_ivdft_1_F = 0;

double co_r_1[dft_max_len];
double co_i_1[dft_max_len];
double fr_co_s_1a[dft_max_len];
double ivdft_out_re[dft_max_len];
double ivdft_out_im[dft_max_len];

int take_use_flag(int& flag, const char* busy_line, int& err_stop) {
    if (flag == use_flag_busy) {
        put_err_log(busy_line);
        err_stop = 1;
        return -1;
    }
    flag = use_flag_busy;
    return 0;
}

void reset_work_area_flags() {
    intUse_fr_1a_F = 0;
    intUse_ivdft_1_F = 0;
}
