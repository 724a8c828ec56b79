// Test double of the frame loop's steps: records every call with the
// channel, its analysis position, window start and last change position,
// so that tests read the loop's decisions from the call list.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/sys_param.h"
#include "document/le_bytes.h"
#include "document/tonewarp_doc.h"
#include "engine/extr_drive.h"
#include "engine/extr_state.h"
#include "engine/extr_steps.h"
#include "engine/frame_loop.h"

struct step_call {
    std::string name;
    int chnl, pos, mode, atk_top, chg_ptr;  // mode: update mode, else 0
};

class recording_steps : public extr_steps {
public:
    std::vector<step_call> calls;
    std::function<void(extr_state&)> on_regist;  // runs inside regist_new_part when set

    int alloc_coef_area(extr_state& st, CTonewarpDoc&) override { return log("alloc_coef_area", st); }
    int free_coef_area(extr_state& st, CTonewarpDoc&) override { return log("free_coef_area", st); }
    int regist_new_part(extr_state& st, CTonewarpDoc&) override {
        if (on_regist) on_regist(st);
        return log("regist_new_part", st);
    }
    int update_already_part(extr_state& st, CTonewarpDoc&, int mode) override {
        return log("update_already_part", st, mode);
    }
    int de_spike_parts(extr_state& st, CTonewarpDoc&) override { return log("de_spike_parts", st); }
    int add_total_diff_part(extr_state& st, CTonewarpDoc&) override { return log("add_total_diff_part", st); }
    void part_list_reset(extr_state& st) override { log("part_list_reset", st); }

    // Calls of one name, of one channel (0 = both).
    std::vector<step_call> of(const std::string& name, int chnl = 0) const {
        std::vector<step_call> out;
        for (const auto& c : calls) {
            if (c.name == name && (chnl == 0 || c.chnl == chnl)) out.push_back(c);
        }
        return out;
    }

private:
    int log(const char* name, extr_state& st, int mode = 0) {
        calls.push_back({name, st.chnl_slct, st.anlz_ptr_X(), mode, st.atk_top_X(), st.chg_ptr_X()});
        return 0;
    }
};

// A document of `frames` stereo frames made by gen(channel 0/1, frame).
inline std::unique_ptr<CTonewarpDoc> make_test_doc(int frames, const std::function<int(int, int)>& gen) {
    shared_heap = get_process_heap();
    auto doc = std::make_unique<CTonewarpDoc>();
    le_put_i32(doc->wv_data_hdr + 4, 4 * frames);
    doc->alloc_wave_dt();
    for (int f = 0; f < frames; ++f) {
        for (int ch = 0; ch < 2; ++ch)
            put_frame_sample(doc->orgn_dt, f, ch, static_cast<std::int16_t>(gen(ch, f)));
    }
    return doc;
}

// A whole run the way the view's extraction control drives it: the
// command's step, batches until the engine finishes the range or a step
// failed, the finishing step.
inline void drive_run(extr_state& st, CTonewarpDoc& doc, extr_steps& steps, int stt, int end) {
    st.anlz_stt_ptr = stt;
    st.anlz_end_ptr = end;
    st.anlz_len = end - stt + 1;
    st.err_stop = 2;
    st.extr_stat = 1;
    extr_drive_step(st, doc, steps);
    while (st.extr_stat == 2) extr_drive_step(st, doc, steps);
    extr_drive_step(st, doc, steps);
}
