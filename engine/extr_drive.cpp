#include "engine/extr_drive.h"

#include "engine/extr_state.h"
#include "engine/frame_loop.h"
#include "engine/part_mix.h"

extr_drive_result extr_drive_step(extr_state& st, CTonewarpDoc& doc, extr_steps& steps) {
    const int before = st.extr_stat;
    if (before != 1 && before != 2 && before != 3) return extr_drive_result::idle;
    extr_step(st, doc, steps);
    if (st.extr_stat == 3) finish_extr_run(st, doc);
    if (before == 3) {
        st.extr_stat = 0;
        return extr_drive_result::finished;
    }
    if (st.extr_stat == 3) return extr_drive_result::end;
    if (before == 1) {
        // Running; a failure in the command's own batch is seen at the first tick.
        st.extr_stat = 2;
    } else if (st.err_stop == 1) {
        st.extr_stat = 3;
    }
    return extr_drive_result::batch;
}
