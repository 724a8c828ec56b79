// A new part's memory areas during an extraction run, under the part limit
// the run started with.
#pragma once

class CTonewarpDoc;
struct extr_state;

// Adds part doc.intPart_Cnt with a waveform of (anlz_len / N + 1) * N
// frames, the document holding at most st.part_max parts. Returns the new
// part's index, or -1 with st.err_stop = 1 when the limit is reached or the
// memory could not be had; a part the document counted although its
// waveform could not be had is named (name, or "Part_%03d" without one) and
// the view's part count follows the document's.
int add_run_part(extr_state& st, CTonewarpDoc& doc, const char* name = nullptr);
