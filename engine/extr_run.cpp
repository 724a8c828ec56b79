#include "engine/extr_run.h"

#include <cstdint>

#include "document/tonewarp_doc.h"
#include "engine/extr_drive.h"
#include "engine/extr_state.h"
#include "engine/frame_ahead.h"
#include "engine/part_mix.h"

void set_extr_range(extr_state& st, CTonewarpDoc& doc, int first, int last) {
    st.anlz_stt_ptr = first;
    st.anlz_end_ptr = last;
    st.anlz_len = static_cast<int>(static_cast<std::int64_t>(last) - first + 1);
    doc.extr_stt_ptr = st.anlz_stt_ptr;
    doc.extr_end_ptr = st.anlz_end_ptr;
    doc.extr_dt_cnt = st.anlz_len;
}

long run_extraction(extr_state& st, CTonewarpDoc& doc, extr_steps& steps,
                    const std::function<void(const extr_state&)>& on_tick, int threads) {
    // The worker starts with the run (extr_step at state 1) and is stopped
    // once no more frames are analysed, before the finishing tick.
    frame_ahead ahead;
    st.ahead = threads >= 2 ? &ahead : nullptr;

    // The extract command.
    st.err_stop = 2;
    st.extr_stat = 1;
    extr_drive_step(st, doc, steps);
    if (on_tick) on_tick(st);

    // Timer ticks while running.
    long ticks = 0;
    while (st.extr_stat == 2) {
        extr_drive_step(st, doc, steps);
        ++ticks;
        if (on_tick) on_tick(st);
    }
    ahead.stop();
    st.ahead = nullptr;

    // The finishing tick.
    extr_drive_step(st, doc, steps);
    make_mdfy_dt_from_each_part(st, doc);
    return ticks;
}
