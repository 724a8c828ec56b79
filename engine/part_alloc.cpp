#include "engine/part_alloc.h"

#include <algorithm>
#include <cstdint>

#include "app/sys_param.h"
#include "document/tonewarp_doc.h"
#include "engine/extr_state.h"
#include "engine/part_access.h"

int add_run_part(extr_state& st, CTonewarpDoc& doc, const char* name) {
    const std::int64_t n = std::max(1, st.frm_len);
    const std::int64_t frames = (std::max(st.anlz_len, 0) / n + 1) * n;
    const int p = doc.intPart_Cnt;
    // The document holds its parts to the settings' limit, which the
    // parameter dialog may have lowered since the run started: for this call
    // the limit is the run's own. The dialog and the run share the
    // user-interface thread, so nobody sees the settings in between.
    const std::int32_t setting = sys_param.part_max;
    sys_param.part_max = st.part_max;
    const int rc = doc.alloc_temp_area_add(4 * frames);
    sys_param.part_max = setting;
    if (rc != 0) {
        if (doc.intPart_Cnt > p) {
            // Counted although its waveform could not be had: it keeps a name.
            set_part_name(doc, p, name);
            st.intPart_Cnt = doc.intPart_Cnt;
        }
        st.err_stop = 1;
        return -1;
    }
    return p;
}
