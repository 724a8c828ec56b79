// Reading what `tonewarp-cli extract` writes: WAVE sample data and the parts table.
#pragma once

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/test_dir.h"
#include "tests/support/wave_bytes.h"

// A 16-bit stereo WAVE file: a tone of hz from frame `entry` on, the right
// channel at half level.
inline std::string tone_wave(int frames, int entry, double hz) {
    std::string data;
    for (int f = 0; f < frames; ++f) {
        const int v =
            f < entry ? 0 : static_cast<int>(8000.0 * std::sin(2.0 * M_PI * hz * (f - entry) / 44100.0));
        put_le(data, static_cast<std::uint16_t>(v), 2);
        put_le(data, static_cast<std::uint16_t>(v / 2), 2);
    }
    return stereo_wave(data);
}

// The bytes of a WAVE file's "data" chunk (chunks walked from offset 12).
inline std::string wave_data(const std::filesystem::path& p) {
    const std::string b = read_file_bytes(p);
    for (std::size_t at = 12; at + 8 <= b.size();) {
        const std::size_t len = static_cast<std::uint32_t>(get_le(b, at + 4, 4));
        if (b.compare(at, 4, "data") == 0) return b.substr(at + 8, len);
        at += 8 + len + (len & 1);
    }
    return {};
}

// Every file of a folder by name, with its bytes.
inline std::map<std::string, std::string> folder_files(const std::filesystem::path& dir) {
    std::map<std::string, std::string> m;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        m[e.path().filename().string()] = read_file_bytes(e.path());
    return m;
}

inline std::vector<std::int16_t> samples_of(const std::string& data) {
    std::vector<std::int16_t> s(data.size() / 2);
    for (std::size_t i = 0; i < s.size(); ++i) s[i] = static_cast<std::int16_t>(get_le(data, 2 * i, 2));
    return s;
}

struct tsv_row {
    int part = 0, record = 0;
    std::string name;
    long stt_orgn_L = 0, stt_orgn_R = 0, data_cnt_L = 0, data_cnt_R = 0;
};

// The parts table's rows after its header line (returned in header when asked).
inline std::vector<tsv_row> read_parts_tsv(const std::filesystem::path& p, std::string* header = nullptr) {
    std::istringstream in(read_file_bytes(p));
    std::string line;
    std::getline(in, line);
    if (header != nullptr) *header = line;
    std::vector<tsv_row> rows;
    while (std::getline(in, line)) {
        std::istringstream f(line);
        tsv_row r;
        f >> r.part;
        f.ignore(1);
        std::getline(f, r.name, '\t');
        f >> r.record >> r.stt_orgn_L >> r.stt_orgn_R >> r.data_cnt_L >> r.data_cnt_R;
        rows.push_back(r);
    }
    return rows;
}
