// What the view's painters read: the display state (marks are written back),
// the layout, the document, the per-part flags of the extraction state and
// the icon bitmaps. The widget builds one for every painting pass.
#pragma once

#include <algorithm>

#include "document/tonewarp_doc.h"
#include "engine/extr_state.h"
#include "view/layout.h"
#include "view/view_state.h"

class part_icons;
class wave_summary_set;
struct freq_scene;

struct paint_scene {
    view_disp_state& st;
    const disp_layout& lay;
    const CTonewarpDoc* doc = nullptr;  // null: nothing to show
    const extr_state* ex = nullptr;     // null: no parts
    const part_icons* icons = nullptr;
    freq_scene* freq = nullptr;        // frequency mode: what the spectrum shows and borrows
    wave_summary_set* sums = nullptr;  // the view's summaries of doc's buffers; null: read every sample

    // Parts listed in the lower area: the view's copy of the part count.
    int part_cnt() const { return ex == nullptr ? 0 : std::clamp(ex->intPart_Cnt, 0, view_part_slots); }
    int prt_top() const { return ex == nullptr ? 0 : ex->prt_list_top; }
    bool running() const { return ex != nullptr && ex->extr_stat == 2; }
    const int* disp_flags() const { return ex == nullptr ? nullptr : ex->prt_disp_flg; }
    visible_parts visible() const { return calc_visible_parts(lay, part_cnt(), prt_top(), st.H); }
};
