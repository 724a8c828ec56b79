#include "cli/job_report.h"

#include <charconv>
#include <cstdint>
#include <vector>

namespace {

// A double written so that it reads back as the same double, whatever the locale.
std::string exact(double v) {
    char buf[64];
    const auto end = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::hex).ptr;
    return std::string(buf, end);
}

template <typename T>
bool read_int(std::string_view f, T& v) {
    const auto r = std::from_chars(f.data(), f.data() + f.size(), v);
    return r.ec == std::errc() && r.ptr == f.data() + f.size();
}

bool read_double(std::string_view f, double& v, std::chars_format fmt) {
    const auto r = std::from_chars(f.data(), f.data() + f.size(), v, fmt);
    return r.ec == std::errc() && r.ptr == f.data() + f.size();
}

// The first n space-separated fields, and the rest of the line after them.
std::vector<std::string_view> fields(std::string_view line, std::size_t n, std::string_view& rest) {
    std::vector<std::string_view> f;
    while (f.size() < n) {
        const std::size_t sp = line.find(' ');
        f.push_back(line.substr(0, sp));
        if (sp == std::string_view::npos) {
            line = {};
            break;
        }
        line.remove_prefix(sp + 1);
    }
    rest = line;
    return f;
}

}  // namespace

std::string progress_message(double fraction) {
    char buf[32];
    const auto end = std::to_chars(buf, buf + sizeof buf, fraction, std::chars_format::fixed, 4).ptr;
    return "p " + std::string(buf, end) + "\n";
}

std::string result_message(const extract_result& r) {
    std::string m = "r";
    for (const long long v : {static_cast<long long>(r.status), static_cast<long long>(r.ran),
                              static_cast<long long>(r.parts), static_cast<long long>(r.episodes),
                              static_cast<long long>(r.residual), static_cast<long long>(r.frames),
                              static_cast<long long>(r.first), static_cast<long long>(r.converted),
                              static_cast<long long>(r.held)}) {
        m += ' ';
        m += std::to_string(v);
    }
    // Appended piece by piece: " " + std::string trips a false -Wrestrict of GCC 12 at -O3.
    for (const std::string& f : {exact(r.audio_s), exact(r.wall_s), r.source}) {
        m += ' ';
        m += f;
    }
    m += '\n';
    return m;
}

std::optional<job_message> read_job_message(std::string_view line) {
    job_message m;
    if (line.starts_with("p ")) {
        if (!read_double(line.substr(2), m.fraction, std::chars_format::fixed)) return std::nullopt;
        return m;
    }
    if (!line.starts_with("r ")) return std::nullopt;
    std::string_view rest;
    const auto f = fields(line.substr(2), 11, rest);
    if (f.size() != 11) return std::nullopt;
    extract_result& r = m.result;
    int ran = 0, residual = 0, converted = 0;
    if (!read_int(f[0], r.status) || !read_int(f[1], ran) || !read_int(f[2], r.parts) ||
        !read_int(f[3], r.episodes) || !read_int(f[4], residual) || !read_int(f[5], r.frames) ||
        !read_int(f[6], r.first) || !read_int(f[7], converted) || !read_int(f[8], r.held) ||
        !read_double(f[9], r.audio_s, std::chars_format::hex) ||
        !read_double(f[10], r.wall_s, std::chars_format::hex))
        return std::nullopt;
    r.ran = ran != 0;
    r.residual = residual != 0;
    r.converted = converted != 0;
    r.source = std::string(rest);
    m.is_result = true;
    return m;
}
