// The steps the frame loop calls out to, with the view's one notification.
//
// extr_step (engine/frame_loop.h) decides when a run starts, when a part is
// registered or updated and when the run finishes; the work of those steps
// is done behind this interface. The engine's own implementation does the
// registration, update, coefficient areas and finishing steps; tests use a
// recording double to observe the decisions. Every method receives the
// view's extraction state and the document; failures are reported the
// engine's way (log line, st.err_stop = 1, result -1), never by throwing.
#pragma once

class CTonewarpDoc;
struct extr_state;

struct extr_steps {
    virtual ~extr_steps() = default;

    // Coefficient areas of the solver: allocated when a run starts (0, or -1
    // with err_stop set), released when it finishes (always 0).
    virtual int alloc_coef_area(extr_state& st, CTonewarpDoc& doc) = 0;
    virtual int free_coef_area(extr_state& st, CTonewarpDoc& doc) = 0;

    // Registers the onset just found to be new on channel st.chnl_slct
    // (window start in st.atk_top_L / atk_top_R; onset pattern in
    // st.chg_nrm). 0, or -1 with err_stop set.
    virtual int regist_new_part(extr_state& st, CTonewarpDoc& doc) = 0;

    // Carries the known parts forward on channel st.chnl_slct. mode: 1 left
    // / 3 right after an onset that is no new part (re-attack bookkeeping),
    // 2 left / 6 right for the regular update. Always 0.
    virtual int update_already_part(extr_state& st, CTonewarpDoc& doc, int mode) = 0;

    // Finishing steps, in this order: smoothing of the part waveforms, then
    // the residual part and the mix (0, or -1 with err_stop set).
    virtual int de_spike_parts(extr_state& st, CTonewarpDoc& doc) = 0;
    virtual int add_total_diff_part(extr_state& st, CTonewarpDoc& doc) = 0;

    // The view puts its part-list scroll bar back to position 0 at the start
    // of a run. The engine has no view; a headless caller keeps this empty.
    virtual void part_list_reset(extr_state& st) { (void)st; }
};
