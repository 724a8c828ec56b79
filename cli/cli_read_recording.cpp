#include "cli/cli_read_recording.h"

#include "cli/cli_common.h"
#include "cli/sound_file.h"
#include "cli/wave16_image.h"

namespace {

recording_read refused(const std::string& path, const std::string& why) {
    cli_print_error(std::string(cli_name) + ": " + path + ": " + why);
    return {cli_exit_bad, false, {}, 0};
}

std::string channel_refusal(int channels) {
    return std::to_string(channels) + " channels: extract and convert read mono and stereo recordings only";
}

}  // namespace

recording_read cli_read_recording(CTonewarpDoc& doc, const std::string& path) {
    recording_read r;
    r.status = cli_open_document(doc, path);
    if (r.status == cli_exit_io) return r;
    if (r.status == cli_exit_ok) {
        // The own reader takes more channels as stereo frames; a part of such
        // a mix would mean nothing.
        if (doc.fmt_channels() > 2) return refused(path, channel_refusal(doc.fmt_channels()));
        return r;
    }

    sound_file src;
    if (!src.open(cli_path(path))) {
        cli_report_bad_file();
        return r;
    }
    if (src.channels() > 2) return refused(path, channel_refusal(src.channels()));
    if (const std::string why = wave16_refusal(src); !why.empty()) return refused(path, why);

    wave16_image_stream image(src);
    doc.read_wave_file(image);
    if (doc.is_bad_file()) {  // its sample buffers could not be had
        cli_report_bad_file();
        return r;
    }
    if (!image.decode_error().empty()) {
        return refused(path, "decoding failed after frame " + std::to_string(image.frames_decoded()) + ": " +
                                 image.decode_error());
    }
    r.status = cli_exit_ok;
    r.converted = true;
    r.held = image.held();
    r.source = src.format_name() + ", " + src.encoding_name() + ", " +
               (src.channels() == 1 ? std::string("mono") : std::string("stereo")) + ", " +
               std::to_string(src.rate()) + " Hz";
    return r;
}
