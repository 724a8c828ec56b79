// Carrying the known parts forward by one frame on one channel.
#pragma once

class CTonewarpDoc;
struct extr_state;

// Divides the frame that starts at the window start (spectrum-history slot 7
// of channel st.chnl_slct) among the parts: rates from the coefficient
// system at the parts' peaks, then a bin-by-bin split in proportion to
// rate × previous magnitude, the unexplained rest in proportion to the
// rates. Stores each active part's new spectrum, writes its resynthesised
// frame into its waveform, measures its volume and switches it off below
// the minimum volume. Modes 1, 3 and 5 first book the re-attack of part
// doc.intNowAtackPartNmb; modes 2 and 6 do not. Always 0 (a busy work
// buffer sets st.err_stop = 1 and ends the call).
int update_already_part(extr_state& st, CTonewarpDoc& doc, int mode);
