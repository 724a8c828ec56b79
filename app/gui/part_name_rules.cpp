#include "app/gui/part_name_rules.h"

#include "platform/sjis.h"

std::string cut_part_name(std::string_view typed_utf8) {
    std::string bytes = utf8_to_cp932(typed_utf8);
    if (bytes.size() > part_name_read_max) bytes.resize(part_name_read_max);
    if (bytes.size() > part_name_keep) bytes.resize(part_name_keep);
    // A NUL typed into the field ends the name there, as it would in the
    // fixed buffer it is copied into.
    const std::size_t nul = bytes.find('\0');
    if (nul != std::string::npos) bytes.resize(nul);
    return bytes;
}

std::string part_name_of_entry(const char* entry) {
    return std::string(entry, bounded_strlen(entry, part_name_entry));
}

namespace {

bool first_bytes_equal(std::string_view a, std::string_view b, std::size_t n) {
    for (std::size_t k = 0; k < n; ++k) {
        const char ca = k < a.size() ? a[k] : '\0';
        const char cb = k < b.size() ? b[k] : '\0';
        if (ca != cb) return false;
        if (ca == '\0') return true;
    }
    return true;
}

}  // namespace

bool part_name_taken(std::string_view name, const std::vector<std::string>& names, int edited_part) {
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (static_cast<int>(i) == edited_part) continue;
        if (first_bytes_equal(name, names[i], part_name_keep)) return true;
    }
    return false;
}
