// tonewarp-cli info FILE

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "cli/cli_commands.h"
#include "cli/cli_common.h"
#include "cli/sound_file.h"
#include "cli/wave16_image.h"

namespace {

// A chunk tag as its four bytes of text; a byte that is not printable ASCII
// is shown as \xNN so that the output stays valid UTF-8 on one line.
std::string tag_text(const unsigned char* p) {
    std::string s;
    for (int i = 0; i < 4; ++i) {
        if (p[i] >= 0x20 && p[i] < 0x7F && p[i] != '\\') {
            s += static_cast<char>(p[i]);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", p[i]);
            s += buf;
        }
    }
    return s;
}

// The header records as held, each key after prefix.
void print_header(const CTonewarpDoc& d, const char* prefix) {
    auto line = [prefix](const char* key, const std::string& value) {
        std::printf("%s%s=%s\n", prefix, key, value.c_str());
    };
    auto num = [](long v) { return std::to_string(v); };
    line("riff_tag", tag_text(d.wv_riff_hdr + 0));
    line("riff_size", num(d.riff_size()));
    line("form_type", tag_text(d.wv_riff_hdr + 8));
    line("fmt_tag", tag_text(d.wv_riff_hdr + 12));
    line("fmt_len", num(d.fmt_len()));
    line("format_tag", num(d.fmt_format_tag()));
    line("channels", num(d.fmt_channels()));
    line("samples_per_sec", num(d.fmt_samples_per_sec()));
    line("avg_bytes_per_sec", num(d.fmt_avg_bytes_per_sec()));
    line("block_align", num(d.fmt_block_align()));
    line("bits_per_sample", num(d.fmt_bits_per_sample()));
    line("data_tag", tag_text(d.wv_data_hdr + 0));
    line("data_len", num(d.data_len()));
    line("frames", num(d.frame_count()));
}

// For a file the own reader rejects: what libsndfile reads in it and, when
// extract and convert take it, the header the document would then hold.
void print_source(const std::string& path) {
    sound_file src;
    if (!src.open(path)) {
        std::printf("convertible=0\n");
        return;
    }
    std::printf("source_format=%s\n", src.format_name().c_str());
    std::printf("source_encoding=%s\n", src.encoding_name().c_str());
    std::printf("source_channels=%d\n", src.channels());
    std::printf("source_samples_per_sec=%d\n", src.rate());
    std::printf("source_frames=%lld\n", static_cast<long long>(src.frames()));
    std::printf("source_seconds=%.3f\n", src.rate() > 0 ? static_cast<double>(src.frames()) / src.rate() : 0.0);
    const bool convertible = wave16_refusal(src).empty();
    std::printf("convertible=%d\n", convertible ? 1 : 0);
    if (!convertible) return;
    // The converted file's header as the reader copies it: the RIFF
    // records, the 16-byte format body, the data header.
    const auto h = wave16_header(src.rate(), src.frames());
    auto conv = std::make_unique<CTonewarpDoc>();
    std::memcpy(conv->wv_riff_hdr, h.data(), wv_riff_hdr_len);
    std::memcpy(conv->wv_fmt_dt, h.data() + wv_riff_hdr_len, 16);
    std::memcpy(conv->wv_data_hdr, h.data() + wv_riff_hdr_len + 16, wv_data_hdr_len);
    print_header(*conv, "conv_");
}

}  // namespace

int cli_info(const cli_args& args) {
    cli_start();
    auto doc = std::make_unique<CTonewarpDoc>();
    const int r = cli_open_document(*doc, args[0]);
    if (r == cli_exit_io) return r;
    print_header(*doc, "");
    std::printf("rejected=%d\n", doc->is_bad_file() ? 1 : 0);
    if (r == cli_exit_bad) print_source(args[0]);
    std::fflush(stdout);
    // A file File Open refuses stays refused here, also when extract reads it.
    if (r == cli_exit_bad) cli_report_bad_file();
    return r;
}
