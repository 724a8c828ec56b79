// Whole-recording operations on the working copy mdfy_dt. The caller
// repaints afterwards.

#include <cstring>

#include "document/le_bytes.h"
#include "document/tonewarp_doc.h"

int CTonewarpDoc::make_cancel_dt() {
    if (orgn_dt == nullptr || mdfy_dt == nullptr) return 0;
    // Centre cancel: what the two channels of the original do not share.
    // The difference is kept to 16 bits by two's-complement wrap-around, not
    // clipped: left 32767, right -32768 gives -1.
    const std::int64_t frames = frame_count();
    for (std::int64_t i = 0; i < frames; ++i) {
        const int l = get_frame_sample(orgn_dt, i, 0);
        const int r = get_frame_sample(orgn_dt, i, 1);
        const auto d = static_cast<std::int16_t>(static_cast<std::uint16_t>(l - r));
        put_frame_sample(mdfy_dt, i, 0, d);
        put_frame_sample(mdfy_dt, i, 1, d);
    }
    return 0;
}

int CTonewarpDoc::restore_copy_dt() {
    if (orgn_dt == nullptr || mdfy_dt == nullptr) return 0;
    const std::int32_t d = data_len();
    if (d > 0) std::memcpy(mdfy_dt, orgn_dt, static_cast<std::size_t>(d));
    return 0;
}
