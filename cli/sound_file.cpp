#include "cli/sound_file.h"

namespace {

// libsndfile's name of a container (major) or sample encoding (subtype) value.
std::string format_info_name(int format) {
    SF_FORMAT_INFO fi{};
    fi.format = format;
    if (sf_command(nullptr, SFC_GET_FORMAT_INFO, &fi, sizeof fi) != 0 || fi.name == nullptr) return "unknown";
    return fi.name;
}

}  // namespace

sound_file::~sound_file() {
    if (file_ != nullptr) sf_close(file_);
}

bool sound_file::open(const std::string& path) {
    info_ = SF_INFO{};
    file_ = sf_open(path.c_str(), SFM_READ, &info_);
    if (file_ == nullptr) {
        why_ = sf_strerror(nullptr);
        return false;
    }
    // Normalised doubles: integer samples arrive as s / 2^(bits-1), floats unchanged.
    sf_command(file_, SFC_SET_NORM_DOUBLE, nullptr, SF_TRUE);
    return true;
}

std::string sound_file::format_name() const {
    return format_info_name(info_.format & SF_FORMAT_TYPEMASK);
}

std::string sound_file::encoding_name() const {
    return format_info_name(info_.format & SF_FORMAT_SUBMASK);
}

std::int64_t sound_file::read(double* buf, std::int64_t n) {
    return file_ != nullptr ? sf_readf_double(file_, buf, n) : 0;
}

std::string sound_file::read_error() const {
    if (file_ == nullptr || sf_error(file_) == SF_ERR_NO_ERROR) return {};
    return sf_strerror(file_);
}
