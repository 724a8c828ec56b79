// The insert/overwrite mode switched by the Insert key (process-wide).
//
// 0 until the Insert key is first pressed, then 1 (insert, "挿入") or
// 2 (overwrite, "上書"). Both the child frame and the recording view switch
// it; nothing else in the program reads it.
#pragma once

extern int ins_ovr_mode;

// Switches to 2 when the mode is 1, otherwise to 1; returns the new mode's
// text ("上書" or "挿入", UTF-8).
const char* toggle_ins_ovr_mode();
