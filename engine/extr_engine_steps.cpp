#include "engine/extr_engine_steps.h"

#include "engine/coef_area.h"
#include "engine/part_mix.h"
#include "engine/part_regist.h"
#include "engine/part_update.h"

int extr_engine_steps::alloc_coef_area(extr_state& st, CTonewarpDoc& doc) {
    return ::alloc_coef_area(st, doc);
}

int extr_engine_steps::free_coef_area(extr_state& st, CTonewarpDoc& doc) { return ::free_coef_area(st, doc); }

int extr_engine_steps::regist_new_part(extr_state& st, CTonewarpDoc& doc) {
    return ::regist_new_part(st, doc);
}

int extr_engine_steps::update_already_part(extr_state& st, CTonewarpDoc& doc, int mode) {
    return ::update_already_part(st, doc, mode);
}

int extr_engine_steps::de_spike_parts(extr_state& st, CTonewarpDoc& doc) { return ::de_spike_parts(st, doc); }

int extr_engine_steps::add_total_diff_part(extr_state& st, CTonewarpDoc& doc) {
    return ::add_total_diff_part(st, doc);
}
