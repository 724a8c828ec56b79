// Opening the sound output: device enumeration into the diagnostic log, the
// output format from the document's format chunk body, and the open itself.
#include "app/err_log.h"
#include "view/playback.h"

namespace {

constexpr const char* rule_double = "============================================================";
constexpr const char* rule_single = "------------------------------------------------------------";

std::uint16_t read_u16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

std::uint32_t read_u32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// Always PCM with no extra bytes; the rest as the document holds it.
sound_format format_from_fmt_dt(const std::uint8_t* fmt_dt) {
    sound_format f;
    f.format_tag = 1;
    f.channels = read_u16(fmt_dt + 2);
    f.samples_per_sec = read_u32(fmt_dt + 4);
    f.avg_bytes_per_sec = read_u32(fmt_dt + 8);
    f.block_align = read_u16(fmt_dt + 12);
    f.bits_per_sample = read_u16(fmt_dt + 14);
    f.extra_size = 0;
    return f;
}

void log_caps_lines(const sound_dev_caps& c) {
    put_err_logf("wMid           = %5d", c.mid);
    put_err_logf("wPid           = %5d", c.pid);
    put_err_logf("vDriverVersion = %5d", c.driver_version);
    put_err_logf("szPname        = %-s", c.name.c_str());
    put_err_logf("dwFormats      = %08Xh", c.formats);
    put_err_logf("wChannels      = %04X", static_cast<unsigned>(c.channels));
    put_err_logf("wReserved1     = %5d", c.reserved1);
}

// Input devices are only listed; none is ever opened.
void list_devices(sound_out& dev) {
    const bool trace = log_tracing();
    const int n_in = dev.input_dev_count();
    if (trace) {
        put_err_log(rule_double);
        put_err_logf("waveInGetNumDevs() = %5d", n_in);
        put_err_log(rule_single);
    }
    for (int i = 0; i < n_in; ++i) {
        sound_dev_caps c;
        const int r = dev.input_dev_caps(i, c);
        if (!trace) continue;
        put_err_logf("%3d: waveInGetDevCaps() = %5d", i, r);
        if (r == snd_ok) log_caps_lines(c);
    }
    if (trace) put_err_log(rule_double);
    const int n_out = dev.output_dev_count();
    if (trace) {
        put_err_logf("waveOutGetNumDevs() = %5d", n_out);
        put_err_log(rule_single);
    }
    for (int i = 0; i < n_out; ++i) {
        sound_dev_caps c;
        const int r = dev.output_dev_caps(i, c);
        if (!trace) continue;
        put_err_logf("%3d: waveOutGetDevCaps() = %5d", i, r);
        if (r == snd_ok) {
            log_caps_lines(c);
            put_err_logf("dwSupport      = %08Xh", c.support);
        }
    }
    if (trace) put_err_log(rule_single);
}

void log_open(int result, const sound_format& f) {
    put_err_logf("waveOutOpen() = %5d", result);
    put_err_log("");
    put_err_log("WAVEFORMATEX Values:");
    put_err_log("");
    put_err_logf("wFormatTag      = %04Xh", static_cast<unsigned>(f.format_tag));
    put_err_logf("nChannels       = %5d  ", static_cast<int>(f.channels));
    put_err_logf("nSamplesPerSec  = %6ld ", static_cast<long>(f.samples_per_sec));
    put_err_logf("nAvgBytesPerSec = %6ld ", static_cast<long>(f.avg_bytes_per_sec));
    put_err_logf("nBlockAlign     = %5d  ", static_cast<int>(f.block_align));
    put_err_logf("wBitsPerSample  = %5d  ", static_cast<int>(f.bits_per_sample));
    put_err_logf("cbSize          = %04Xh", static_cast<unsigned>(f.extra_size));
}

}  // namespace

int view_playback::open_output(std::unique_ptr<sound_out> dev, const std::uint8_t* wv_fmt_dt) {
    close_output();
    if (!dev) return snd_no_driver;
    list_devices(*dev);
    int result = snd_bad_format;
    sound_format fmt;
    if (wv_fmt_dt != nullptr) {
        fmt = format_from_fmt_dt(wv_fmt_dt);
        result = dev->open(fmt);
    }
    if (log_tracing()) log_open(result, fmt);
    // A failed open leaves the view silent: the stand-in finishes every buffer at once.
    if (result == snd_ok) wv_out_ = std::move(dev);
    return result;
}
