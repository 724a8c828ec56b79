// tonewarp-cli info FILE

#include <cstdio>
#include <memory>
#include <string>

#include "cli/cli_commands.h"
#include "cli/cli_common.h"

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

void print_header(const CTonewarpDoc& d) {
    std::printf("riff_tag=%s\n", tag_text(d.wv_riff_hdr + 0).c_str());
    std::printf("riff_size=%ld\n", static_cast<long>(d.riff_size()));
    std::printf("form_type=%s\n", tag_text(d.wv_riff_hdr + 8).c_str());
    std::printf("fmt_tag=%s\n", tag_text(d.wv_riff_hdr + 12).c_str());
    std::printf("fmt_len=%ld\n", static_cast<long>(d.fmt_len()));
    std::printf("format_tag=%d\n", d.fmt_format_tag());
    std::printf("channels=%d\n", d.fmt_channels());
    std::printf("samples_per_sec=%ld\n", static_cast<long>(d.fmt_samples_per_sec()));
    std::printf("avg_bytes_per_sec=%ld\n", static_cast<long>(d.fmt_avg_bytes_per_sec()));
    std::printf("block_align=%d\n", d.fmt_block_align());
    std::printf("bits_per_sample=%d\n", d.fmt_bits_per_sample());
    std::printf("data_tag=%s\n", tag_text(d.wv_data_hdr + 0).c_str());
    std::printf("data_len=%ld\n", static_cast<long>(d.data_len()));
    std::printf("frames=%ld\n", static_cast<long>(d.frame_count()));
    std::printf("rejected=%d\n", d.is_bad_file() ? 1 : 0);
    std::fflush(stdout);
}

}  // namespace

int cli_info(const cli_args& args) {
    cli_start();
    auto doc = std::make_unique<CTonewarpDoc>();
    const int r = cli_open_document(*doc, args[0]);
    if (r == cli_exit_io) return r;
    print_header(*doc);
    if (r == cli_exit_bad) cli_report_bad_file();
    return r;
}
