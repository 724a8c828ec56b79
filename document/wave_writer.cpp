// Writing the extraction range of the working copy mdfy_dt as a WAVE file.
//
// The header records are written as held (a widened mono file goes out as
// stereo), except that the RIFF size is the one for a 16-byte format chunk
// and the data length is the range's: 4 bytes a frame.

#include "document/wave_writer.h"

#include <algorithm>
#include <cstring>

#include "document/le_bytes.h"
#include "document/tonewarp_doc.h"

namespace {

// The range as the view left it, kept inside the recording's frames so
// that no byte outside mdfy_dt is ever read.
void write_range(const CTonewarpDoc& doc, std::int64_t& stt, std::int64_t& cnt) {
    const std::int64_t frames = doc.mdfy_dt != nullptr ? doc.frame_count() : 0;
    stt = std::clamp<std::int64_t>(doc.extr_stt_ptr, 0, frames);
    cnt = std::clamp<std::int64_t>(doc.extr_dt_cnt, 0, frames - stt);
}

int write_header(const CTonewarpDoc& doc, byte_ostream& out, std::int64_t data_bytes) {
    unsigned char riff[wv_riff_hdr_len];
    std::memcpy(riff, doc.wv_riff_hdr, sizeof riff);
    le_put_u32(riff + 4, static_cast<std::uint32_t>(data_bytes + 36));

    // L is 1 .. 144 for every read or default document; an empty one has 0.
    const std::int32_t fmt_bytes = std::clamp<std::int32_t>(doc.fmt_len(), 0, wv_fmt_dt_len);

    unsigned char data_hdr[wv_data_hdr_len];
    std::memcpy(data_hdr, doc.wv_data_hdr, 4);
    le_put_u32(data_hdr + 4, static_cast<std::uint32_t>(data_bytes));

    if (!out.write(riff, sizeof riff)) return -1;
    if (!out.write(doc.wv_fmt_dt, fmt_bytes)) return -1;
    if (!out.write(data_hdr, sizeof data_hdr)) return -1;
    return 0;
}

}  // namespace

int CTonewarpDoc::write_wave_file(byte_ostream& out) {
    std::int64_t stt = 0;
    std::int64_t cnt = 0;
    write_range(*this, stt, cnt);
    if (write_header(*this, out, 4 * cnt) != 0) return -1;
    if (cnt > 0 && !out.write(mdfy_dt + 4 * stt, 4 * cnt)) return -1;
    return 0;
}

int write_wave_file_made(const CTonewarpDoc& doc, byte_ostream& out, const wave_frame_fill& fill,
                         std::span<unsigned char> scratch) {
    std::int64_t stt = 0;
    std::int64_t cnt = 0;
    write_range(doc, stt, cnt);
    if (write_header(doc, out, 4 * cnt) != 0) return -1;
    const auto piece = static_cast<std::int64_t>(scratch.size() / 4);
    if (cnt > 0 && piece <= 0) return -1;
    for (std::int64_t done = 0; done < cnt;) {
        const std::int64_t n = std::min(piece, cnt - done);
        fill(stt + done, n, scratch.data());
        if (!out.write(scratch.data(), 4 * n)) return -1;
        done += n;
    }
    return 0;
}
