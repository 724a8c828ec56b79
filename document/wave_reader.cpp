// Reading a WAVE file into the document.
//
// Only the format chunk's length (1 .. 144) and the sample width (16 bits)
// are checked. Chunks that writers put between the format chunk and the data
// chunk ("LIST", "JUNK", "bext", "fact" ...) are passed over to the "data"
// chunk. A file in which no "data" chunk follows is read as it always was:
// the eight bytes after the format chunk as the data chunk header whatever
// their tag, the bytes after them as samples. A mono file is widened to
// stereo frames with both channels equal. A file shorter than its header
// claims leaves zeros where its bytes are missing.

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "app/err_log.h"
#include "document/byte_stream.h"
#include "document/le_bytes.h"
#include "document/tonewarp_doc.h"

namespace {

// A chunk tag as log text: its four bytes, up to the first NUL.
std::string tag_text(const unsigned char* p) {
    std::string s;
    for (int i = 0; i < 4 && p[i] != 0; ++i) s += static_cast<char>(p[i]);
    return s;
}

void trace_riff_header(const CTonewarpDoc& d) {
    put_err_logf("チャンクタイプ1        = %-s", tag_text(d.wv_riff_hdr + 0).c_str());
    put_err_logf("合計ファイルサイズ－８ = %8ld", static_cast<long>(d.riff_size()));
    put_err_logf("形式名                 = %-s", tag_text(d.wv_riff_hdr + 8).c_str());
    put_err_logf("チャンクタイプ2        = %-s", tag_text(d.wv_riff_hdr + 12).c_str());
    put_err_logf("形式チャンクデータ長   = %8ld", static_cast<long>(d.fmt_len()));
}

void trace_fmt_body(const CTonewarpDoc& d) {
    put_err_log("形式チャンクデータ: ");
    put_err_logf("  サンプリングデータタイプ           = %3d ", d.fmt_format_tag());
    put_err_logf("  チャンネル数                       = %3d ", d.fmt_channels());
    put_err_logf("  １秒あたりのサンプリング数         = %8ld", static_cast<long>(d.fmt_samples_per_sec()));
    put_err_logf("  １秒あたりの平均バイト数           = %8ld", static_cast<long>(d.fmt_avg_bytes_per_sec()));
    put_err_logf("  ブロック整列(1ﾌﾞﾛｯｸ当りのﾊﾞｲﾄ数)   = %3d ", d.fmt_block_align());
    put_err_logf("  １サンプリングあたりの有効ビット数 = %3d ", d.fmt_bits_per_sample());
}

void trace_data_header(const CTonewarpDoc& d) {
    put_err_logf("チャンクタイプ3        = %-s", tag_text(d.wv_data_hdr + 0).c_str());
    put_err_logf("サウンドデータの長さ   = %8ld", static_cast<long>(d.data_len()));
}

constexpr std::int64_t io_piece = 65536;

// Reads n bytes in pieces, appending them to kept when it is given and
// dropping them otherwise. False when the data ends first.
bool pass_bytes(byte_istream& in, std::int64_t n, std::string* kept) {
    std::vector<unsigned char> tmp;
    if (kept == nullptr) tmp.resize(static_cast<std::size_t>(n < io_piece ? n : io_piece));
    while (n > 0) {
        const std::int64_t want = n < io_piece ? n : io_piece;
        std::int64_t got = 0;
        if (kept != nullptr) {
            const std::size_t at = kept->size();
            kept->resize(at + static_cast<std::size_t>(want));
            got = in.read(kept->data() + at, want);
            kept->resize(at + static_cast<std::size_t>(got));
        } else {
            got = in.read(tmp.data(), want);
        }
        n -= got;
        if (got < want) return false;
    }
    return true;
}

bool is_data_tag(const unsigned char* hdr) { return std::memcmp(hdr, "data", 4) == 0; }

// Bytes a chunk takes after its header: its length (unsigned), padded to even.
std::int64_t padded_body_len(const unsigned char* hdr) {
    const std::int64_t n = static_cast<std::uint32_t>(le_get_i32(hdr + 4));
    return n + (n & 1);
}

// hdr holds the chunk header that follows the format chunk, as read. Unless
// it is the "data" chunk, whole chunks are passed over until one is; its
// header then replaces hdr, the stream stands at its first sample, and the
// result is true. When the data ends first (no "data" chunk, or a chunk or
// its header cut off), hdr stays and first_body holds the bytes that
// followed it up to its length: what the samples of that header are.
bool find_data_chunk(byte_istream& in, unsigned char* hdr, std::string& first_body) {
    if (is_data_tag(hdr)) return true;
    const std::int32_t as_data_len = le_get_i32(hdr + 4);
    const std::int64_t keep = as_data_len > 0 ? as_data_len : 0;
    if (!pass_bytes(in, keep, &first_body)) return false;
    if (!pass_bytes(in, padded_body_len(hdr) - keep, nullptr)) return false;
    unsigned char next[wv_data_hdr_len];
    while (in.read(next, wv_data_hdr_len) == wv_data_hdr_len) {
        if (is_data_tag(next)) {
            std::memcpy(hdr, next, wv_data_hdr_len);
            std::string().swap(first_body);  // not needed: give it back before the buffers come
            return true;
        }
        if (!pass_bytes(in, padded_body_len(next), nullptr)) return false;
    }
    return false;
}

// Mono samples: each 16-bit sample becomes one frame with equal channels.
// Read in pieces; a missing tail (or a missing half sample) stays zero.
// Returns the bytes of frames written: 4 a frame, a half sample's frame
// included.
std::int64_t read_mono_frames(byte_istream& in, unsigned char* frames, std::int64_t frame_cnt) {
    std::vector<unsigned char> tmp(static_cast<std::size_t>(2 * io_piece));
    std::int64_t written = 0;
    for (std::int64_t f0 = 0; f0 < frame_cnt; f0 += io_piece) {
        const std::int64_t n = frame_cnt - f0 < io_piece ? frame_cnt - f0 : io_piece;
        std::memset(tmp.data(), 0, static_cast<std::size_t>(2 * n));
        const std::int64_t got = in.read(tmp.data(), 2 * n);
        const std::int64_t filled = (got + 1) / 2;
        for (std::int64_t f = 0; f < filled; ++f) {
            unsigned char* dst = frames + 4 * (f0 + f);
            dst[0] = dst[2] = tmp[static_cast<std::size_t>(2 * f)];
            dst[1] = dst[3] = tmp[static_cast<std::size_t>(2 * f + 1)];
        }
        written = 4 * (f0 + filled);
        if (got < 2 * n) break;  // the rest of the buffer is already zero
    }
    return written;
}

}  // namespace

void CTonewarpDoc::read_wave_file(byte_istream& in) {
    // A rejected file leaves the default header marked "NG_F" (and its
    // 512 silent frames); nothing is logged for the rejection itself.
    auto reject = [this] {
        set_default_wave();
        std::memcpy(wv_riff_hdr, "NG_F", 4);
    };

    std::memset(wv_riff_hdr, 0, sizeof wv_riff_hdr);
    std::memset(wv_fmt_dt, 0, sizeof wv_fmt_dt);
    std::memset(wv_data_hdr, 0, sizeof wv_data_hdr);

    in.read(wv_riff_hdr, wv_riff_hdr_len);
    if (log_tracing()) trace_riff_header(*this);

    const std::int32_t fmt_bytes = fmt_len();
    if (fmt_bytes <= 0 || fmt_bytes > wv_fmt_dt_len) return reject();

    in.read(wv_fmt_dt, fmt_bytes);
    if (log_tracing()) trace_fmt_body(*this);
    if (fmt_bits_per_sample() != 16) return reject();

    in.read(wv_data_hdr, wv_data_hdr_len);
    // Without a "data" chunk the samples are the bytes read after the first
    // header, which the search has already taken from the stream: they are
    // read back from where it kept them.
    std::string first_body;
    const bool found = find_data_chunk(in, wv_data_hdr, first_body);
    memory_istream first_body_in(first_body);
    byte_istream& samples = found ? in : first_body_in;
    if (log_tracing()) trace_data_header(*this);

    // Whatever the document held before goes.
    free_wave_dt();
    free_temp_area_all();
    orgn_dt = mdfy_dt = nullptr;
    h_Mem_orgn_dt = h_Mem_mdfy_dt = nullptr;

    // A negative length has no frames to read and no buffer size.
    const std::int32_t d_read = data_len();
    if (d_read < 0) return reject();

    const bool mono = fmt_channels() == 1;
    if (mono) {
        // Widened to stereo: twice the data, the frame size and the byte rate.
        // The doubled length must still fit its 32-bit field.
        if (d_read > INT32_MAX / 2) return reject();
        le_put_u32(wv_riff_hdr + 4,
                   static_cast<std::uint32_t>(riff_size()) + static_cast<std::uint32_t>(d_read));
        le_put_i32(wv_data_hdr + 4, d_read * 2);
        le_put_i16(wv_fmt_dt + 2, 2);
        le_put_u32(wv_fmt_dt + 8, static_cast<std::uint32_t>(fmt_avg_bytes_per_sec()) * 2u);
        le_put_i16(wv_fmt_dt + 12,
                   static_cast<std::int16_t>(static_cast<std::uint16_t>(fmt_block_align()) * 2u));
    }

    // Sample buffers that cannot be had make the file a rejected one, so that
    // nothing is ever read into a missing buffer.
    if (alloc_wave_dt() != 0 || orgn_dt == nullptr || mdfy_dt == nullptr) return reject();
    intPart_Cnt = 0;

    const std::int64_t d = data_len();
    const std::int64_t got = mono ? read_mono_frames(samples, orgn_dt, d / 4) : samples.read(orgn_dt, d);
    // Both buffers come zero-filled, so only the bytes read need copying. A
    // header written into a pipe declares about 2 GB whatever the file
    // holds: copying its whole length would make every page of mdfy_dt
    // resident and take seconds, for zeros that are already there.
    if (got > 0) std::memcpy(mdfy_dt, orgn_dt, static_cast<std::size_t>(got));
}
