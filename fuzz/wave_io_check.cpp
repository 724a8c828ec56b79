// WAVE reading then writing of arbitrary bytes.
//
// What the reader must do is worked out here from the bytes alone (format
// length, sample width, the chunks up to "data", data length, channel count,
// the heap's size cap), then compared with what the document holds, with the
// file the writer makes of it, and with a second read-and-write round of
// that file.

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "document/byte_stream.h"
#include "document/tonewarp_doc.h"
#include "fuzz/check_util.h"
#include "fuzz/fuzz_checks.h"

namespace {

// The header records a rejected file leaves: the default header with the
// first four bytes replaced by "NG_F".
void rejected_header(unsigned char (&riff)[20], unsigned char (&fmt)[144], unsigned char (&data)[8]) {
    const unsigned char r[20] = {'N', 'G', '_', 'F', 46,  0,   0,  0, 'W', 'A',
                                 'V', 'E', 'f', 'm', 't', ' ', 18, 0, 0,   0};
    const unsigned char f[16] = {1, 0, 2, 0, 0x44, 0xAC, 0, 0, 0x10, 0xB1, 2, 0, 4, 0, 16, 0};
    const unsigned char d[8] = {'d', 'a', 't', 'a', 0, 8, 0, 0};
    std::memcpy(riff, r, sizeof r);
    std::memset(fmt, 0, sizeof fmt);
    std::memcpy(fmt, f, sizeof f);
    std::memcpy(data, d, sizeof d);
}

// The reader's verdict and the document it must leave, from the bytes alone.
struct expected_doc {
    bool rejected = false;
    unsigned char riff[20] = {};
    unsigned char fmt[144] = {};
    unsigned char data_hdr[8] = {};
    std::vector<unsigned char> frames;  // the D data bytes of orgn_dt (after widening)
    std::int64_t buffer_bytes = 0;      // D * 5 / 4
};

void put32(unsigned char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

expected_doc expect_read(const padded_bytes& in) {
    expected_doc e;
    auto reject = [&e] {
        e.rejected = true;
        rejected_header(e.riff, e.fmt, e.data_hdr);
        e.frames.assign(2048, 0);
        e.buffer_bytes = 2560;
        return e;
    };
    const std::int32_t len = in.i32(16);
    if (len < 1 || len > 144) return reject();
    for (int i = 0; i < 20; ++i) e.riff[i] = in.at(i);
    for (int i = 0; i < len; ++i) e.fmt[i] = in.at(20 + i);
    const auto fmt16 = [&e](int i) {
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(e.fmt[i] | (e.fmt[i + 1] << 8)));
    };
    if (fmt16(14) != 16) return reject();
    // The data header: the first "data" chunk reached over whole chunks
    // (each padded to even) from the one after the format chunk; when the
    // bytes end first, the chunk after the format chunk, whatever its tag.
    const auto is_data = [&in](std::int64_t p) {
        return in.at(p) == 'd' && in.at(p + 1) == 'a' && in.at(p + 2) == 't' && in.at(p + 3) == 'a';
    };
    const auto next_chunk = [&in](std::int64_t p) {
        const std::int64_t n = static_cast<std::uint32_t>(in.i32(p + 4));
        return p + 8 + n + (n & 1);
    };
    std::int64_t hdr_at = 20 + len;
    if (!is_data(hdr_at)) {
        for (std::int64_t p = next_chunk(hdr_at); p + 8 <= static_cast<std::int64_t>(in.size);
             p = next_chunk(p)) {
            if (is_data(p)) {
                hdr_at = p;
                break;
            }
        }
    }
    for (int i = 0; i < 8; ++i) e.data_hdr[i] = in.at(hdr_at + i);
    const std::int32_t d = in.i32(hdr_at + 4);
    if (d < 0) return reject();
    const bool mono = fmt16(2) == 1;
    if (mono && d > INT32_MAX / 2) return reject();
    const std::int64_t d2 = mono ? 2 * static_cast<std::int64_t>(d) : d;
    e.buffer_bytes = d2 * 5 / 4;
    if (e.buffer_bytes > wave_check_heap_cap) return reject();

    const std::int64_t at = hdr_at + 8;
    // Bytes past the end of the input stay zero: only the ones it has are copied.
    e.frames.assign(static_cast<std::size_t>(d2), 0);
    const std::int64_t avail = std::max<std::int64_t>(0, static_cast<std::int64_t>(in.size) - at);
    if (mono) {
        put32(e.riff + 4, static_cast<std::uint32_t>(in.i32(4)) + static_cast<std::uint32_t>(d));
        put32(e.data_hdr + 4, static_cast<std::uint32_t>(d2));
        e.fmt[2] = 2;
        e.fmt[3] = 0;
        std::uint32_t avg = 0;
        for (int i = 0; i < 4; ++i) avg |= static_cast<std::uint32_t>(e.fmt[8 + i]) << (8 * i);
        put32(e.fmt + 8, avg * 2u);
        const auto block = static_cast<std::uint16_t>((e.fmt[12] | (e.fmt[13] << 8)) * 2u);
        e.fmt[12] = static_cast<unsigned char>(block & 0xFF);
        e.fmt[13] = static_cast<unsigned char>(block >> 8);
        for (std::int64_t f = 0; f < d2 / 4 && 2 * f < avail; ++f) {
            for (int ch = 0; ch < 2; ++ch) {
                e.frames[static_cast<std::size_t>(4 * f + 2 * ch)] = in.at(at + 2 * f);
                e.frames[static_cast<std::size_t>(4 * f + 2 * ch + 1)] = in.at(at + 2 * f + 1);
            }
        }
    } else if (avail > 0 && d2 > 0) {
        std::memcpy(e.frames.data(), in.data + at, static_cast<std::size_t>(std::min(avail, d2)));
    }
    return e;
}

bool all_zero(const unsigned char* p, std::int64_t n) {
    return n <= 0 || (p[0] == 0 && std::memcmp(p, p + 1, static_cast<std::size_t>(n - 1)) == 0);
}

std::string compare_doc(const CTonewarpDoc& doc, const expected_doc& e) {
    if (std::memcmp(doc.wv_riff_hdr, e.riff, 20) != 0) return "RIFF header record differs";
    if (std::memcmp(doc.wv_fmt_dt, e.fmt, 144) != 0) return "format chunk body differs";
    if (std::memcmp(doc.wv_data_hdr, e.data_hdr, 8) != 0) return "data chunk header differs";
    if (doc.intPart_Cnt != 0) return "a read document holds parts";
    if (doc.orgn_dt == nullptr || doc.mdfy_dt == nullptr) return "a sample buffer is missing";
    const auto d = static_cast<std::int64_t>(e.frames.size());
    if (doc.data_len() != d) return check_fail("data length %d, expected %lld", doc.data_len(), (long long)d);
    if (d > 0 && std::memcmp(doc.orgn_dt, e.frames.data(), e.frames.size()) != 0) {
        return "orgn_dt does not hold the file's samples";
    }
    if (d > 0 && std::memcmp(doc.mdfy_dt, doc.orgn_dt, e.frames.size()) != 0) {
        return "mdfy_dt is not a copy of orgn_dt";
    }
    if (!all_zero(doc.orgn_dt + d, e.buffer_bytes - d) || !all_zero(doc.mdfy_dt + d, e.buffer_bytes - d)) {
        return "the padding after the samples is not zero";
    }
    return {};
}

// The file the writer must make of doc for frames stt .. stt + cnt - 1,
// kept inside the recording.
std::string expected_file(const CTonewarpDoc& doc, std::int64_t stt, std::int64_t cnt) {
    const std::int64_t frames = doc.frame_count();
    stt = std::clamp<std::int64_t>(stt, 0, frames);
    cnt = std::clamp<std::int64_t>(cnt, 0, frames - stt);
    std::string f(reinterpret_cast<const char*>(doc.wv_riff_hdr), 20);
    put32(reinterpret_cast<unsigned char*>(f.data()) + 4, static_cast<std::uint32_t>(4 * cnt + 36));
    f.append(reinterpret_cast<const char*>(doc.wv_fmt_dt), static_cast<std::size_t>(doc.fmt_len()));
    f.append(reinterpret_cast<const char*>(doc.wv_data_hdr), 4);
    std::string len(4, '\0');
    put32(reinterpret_cast<unsigned char*>(len.data()), static_cast<std::uint32_t>(4 * cnt));
    f += len;
    f.append(reinterpret_cast<const char*>(doc.mdfy_dt) + 4 * stt, static_cast<std::size_t>(4 * cnt));
    return f;
}

std::string write_doc(CTonewarpDoc& doc, std::int64_t stt, std::int64_t cnt, std::string& out_bytes) {
    doc.extr_stt_ptr = static_cast<std::int32_t>(stt);
    doc.extr_dt_cnt = static_cast<std::int32_t>(cnt);
    memory_ostream out;
    if (doc.write_wave_file(out) != 0) return "writing into memory failed";
    out_bytes = out.bytes();
    if (out_bytes != expected_file(doc, stt, cnt)) {
        return check_fail("written file differs (range %lld + %lld of %d frames)", (long long)stt,
                          (long long)cnt, doc.frame_count());
    }
    return {};
}

}  // namespace

std::string check_wave_io(const std::uint8_t* data, std::size_t size) {
    check_scope scope;
    heap_test::fail_above_size(wave_check_heap_cap);
    // The header lines are traced for every input; the log goes with the scope.
    log_on_flg = 1;
    const padded_bytes in{data, size};
    const expected_doc want = expect_read(in);
    std::string first, second;
    {
        auto doc = std::make_unique<CTonewarpDoc>();
        memory_istream stream(std::string_view(reinterpret_cast<const char*>(data), size));
        doc->read_wave_file(stream);
        if (std::string r = compare_doc(*doc, want); !r.empty()) {
            return (want.rejected ? "rejected file: " : "accepted file: ") + r;
        }
        // Saved with no marks set: every frame.
        if (std::string r = write_doc(*doc, 0, doc->frame_count(), first); !r.empty()) return r;
        // Any range the view may hand over stays inside the recording.
        const std::int32_t bits = in.i32(4);
        const std::int64_t stt = static_cast<std::int16_t>(bits & 0xFFFF);
        const std::int64_t cnt = static_cast<std::int16_t>((bits >> 16) & 0xFFFF);
        std::string ranged;
        if (std::string r = write_doc(*doc, stt, cnt, ranged); !r.empty()) return r;
    }
    {
        auto doc = std::make_unique<CTonewarpDoc>();
        memory_istream stream(first);
        doc->read_wave_file(stream);
        if (doc->data_len() != 4 * static_cast<std::int64_t>(doc->frame_count()) ||
            doc->fmt_bits_per_sample() != 16) {
            return "the written file does not read back as written";
        }
        if (std::string r = write_doc(*doc, 0, doc->frame_count(), second); !r.empty())
            return "second round: " + r;
    }
    if (second != first) return "a second read-and-write round changes the file";
    if (scope.blocks_held() != 0) return check_fail("%lld heap blocks left", (long long)scope.blocks_held());
    return {};
}
