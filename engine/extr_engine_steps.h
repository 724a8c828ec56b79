// The engine's own steps behind the frame loop: registration, the
// existing-part update, the coefficient areas and the finishing steps.
#pragma once

#include "engine/extr_steps.h"

class extr_engine_steps : public extr_steps {
   public:
    int alloc_coef_area(extr_state& st, CTonewarpDoc& doc) override;
    int free_coef_area(extr_state& st, CTonewarpDoc& doc) override;
    int regist_new_part(extr_state& st, CTonewarpDoc& doc) override;
    int update_already_part(extr_state& st, CTonewarpDoc& doc, int mode) override;
    int de_spike_parts(extr_state& st, CTonewarpDoc& doc) override;
    int add_total_diff_part(extr_state& st, CTonewarpDoc& doc) override;
    // part_list_reset stays empty here; the view overrides it.
};
