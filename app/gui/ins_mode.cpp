#include "app/gui/ins_mode.h"

int ins_ovr_mode = 0;

const char* toggle_ins_ovr_mode() {
    if (ins_ovr_mode == 1) {
        ins_ovr_mode = 2;
        return "上書";
    }
    ins_ovr_mode = 1;
    return "挿入";
}
