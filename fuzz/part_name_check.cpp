// The part-name dialog's cut-and-compare rule on arbitrary input.

#include <cstring>
#include <string>
#include <vector>

#include "app/gui/part_name_rules.h"
#include "fuzz/check_util.h"
#include "fuzz/fuzz_checks.h"
#include "platform/sjis.h"

std::string check_part_name(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return {};
    const int edited = static_cast<signed char>(data[0]);
    std::size_t entries = data[1];
    std::size_t at = 2;
    if (entries > (size - at) / part_name_entry) entries = (size - at) / part_name_entry;

    // The name table as the document holds it: 14-byte entries, read up to
    // their first NUL.
    std::vector<std::string> names;
    for (std::size_t i = 0; i < entries; ++i, at += part_name_entry) {
        const char* entry = reinterpret_cast<const char*>(data + at);
        const std::string name = part_name_of_entry(entry);
        const void* nul = std::memchr(entry, 0, part_name_entry);
        const std::size_t len = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - entry) : 14;
        if (name != std::string(entry, len)) return "a name-table entry was not read up to its NUL";
        names.push_back(name);
    }
    const std::string typed(reinterpret_cast<const char*>(data + at), size - at);

    // The cut: the first 12 of the typed text's CP932 bytes, ending at a NUL.
    const std::string cut = cut_part_name(typed);
    std::string want = utf8_to_cp932(typed).substr(0, part_name_keep);
    want = want.substr(0, want.find('\0'));
    if (cut != want) return "the cut name is not the first 12 CP932 bytes of the typed text";

    // Refused exactly when another part's name has the same first 12 bytes.
    bool taken = false;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (static_cast<int>(i) != edited && names[i].substr(0, part_name_keep) == cut) taken = true;
    }
    if (part_name_taken(cut, names, edited) != taken) {
        return taken ? "a name another part has was accepted" : "a name no other part has was refused";
    }

    // Accepted, it is stored as the dialog stores it and read back unchanged.
    if (!taken) {
        char stored[part_name_entry + 2];
        std::memset(stored, 0x7E, sizeof stored);  // guard bytes past the entry
        std::memset(stored, 0, part_name_entry);
        std::memcpy(stored, cut.data(), cut.size() < part_name_keep ? cut.size() : part_name_keep);
        if (part_name_of_entry(stored) != cut) return "a stored name does not read back as typed";
        if (stored[part_name_entry] != 0x7E || stored[part_name_entry + 1] != 0x7E)
            return "the entry overflowed";
    }
    return {};
}
