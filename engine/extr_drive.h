// One step of an extraction run as its driver takes it: the rule by which
// both the recording window (view/extr_control) and the command-line tool
// (run_extraction) advance a run from the extract command to its end.
#pragma once

class CTonewarpDoc;
struct extr_state;
struct extr_steps;

// What a step did, for the driver's own work around it.
enum class extr_drive_result {
    idle,      // the run was idle (state 0): nothing was called
    batch,     // a batch ran; the run goes on at state 2, or at 3 after a failed step
    end,       // the batch reached the range end: state 3, end-of-run work done
    finished,  // the finishing steps ran, end-of-run work done; the run is idle (0)
};

// One call of extr_step, then the state the run goes on in:
//  1  the extract command (the caller has set err_stop 2 and state 1):
//     initialisation and the first batch; the run is running (2) afterwards
//     unless that batch already reached the end of the range: then it stays
//     finishing (3), so that nothing past the end is analysed;
//  2  a timer tick: one batch; when a step has failed (err_stop 1) the run
//     is finishing (3);
//  3  the tick after that: the finishing steps (smoothing, "Total_Diff.",
//     solver areas freed); the run is idle (0).
// Whenever extr_step leaves the run at 3 (the range end reached, or the
// finishing steps done), the end-of-run work follows (finish_extr_run: every
// part shown, the view's part count the document's). The mix of the parts
// switched on is the driver's to rebuild once the run is idle: the window
// does so under the sound buffers' lock.
extr_drive_result extr_drive_step(extr_state& st, CTonewarpDoc& doc, extr_steps& steps);
