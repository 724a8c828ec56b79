// Writing the extraction range of the working copy mdfy_dt as a WAVE file.
//
// The header records are written as held (a widened mono file goes out as
// stereo), except that the RIFF size is the one for a 16-byte format chunk
// and the data length is the range's: 4 bytes a frame.

#include <cstring>

#include "document/le_bytes.h"
#include "document/tonewarp_doc.h"

int CTonewarpDoc::write_wave_file(byte_ostream& out) {
    // The range as the view left it, kept inside the recording's frames so
    // that no byte outside mdfy_dt is ever read.
    const std::int64_t frames = mdfy_dt != nullptr ? frame_count() : 0;
    std::int64_t stt = extr_stt_ptr;
    std::int64_t cnt = extr_dt_cnt;
    if (stt < 0) stt = 0;
    if (stt > frames) stt = frames;
    if (cnt < 0) cnt = 0;
    if (cnt > frames - stt) cnt = frames - stt;
    const std::int64_t data_bytes = 4 * cnt;

    unsigned char riff[wv_riff_hdr_len];
    std::memcpy(riff, wv_riff_hdr, sizeof riff);
    le_put_u32(riff + 4, static_cast<std::uint32_t>(data_bytes + 36));

    // L is 1 .. 144 for every read or default document; an empty one has 0.
    std::int32_t fmt_bytes = fmt_len();
    if (fmt_bytes < 0) fmt_bytes = 0;
    if (fmt_bytes > wv_fmt_dt_len) fmt_bytes = wv_fmt_dt_len;

    unsigned char data_hdr[wv_data_hdr_len];
    std::memcpy(data_hdr, wv_data_hdr, 4);
    le_put_u32(data_hdr + 4, static_cast<std::uint32_t>(data_bytes));

    if (!out.write(riff, sizeof riff)) return -1;
    if (!out.write(wv_fmt_dt, fmt_bytes)) return -1;
    if (!out.write(data_hdr, sizeof data_hdr)) return -1;
    if (data_bytes > 0 && !out.write(mdfy_dt + 4 * stt, data_bytes)) return -1;
    return 0;
}
