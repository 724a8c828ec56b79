// Reading and checking a part name typed into the part-name dialog, without
// a toolkit.
//
// Part names are CP932 byte strings in 14-byte entries of the document's
// name table. The dialog reads at most 29 bytes from its edit field and
// keeps the first 12, cutting bytes, not characters: a name whose 12th byte
// starts a double-byte character keeps that lone lead byte.
#pragma once

#include <string>
#include <string_view>
#include <vector>

inline constexpr std::size_t part_name_read_max = 29;  // bytes taken from the edit field
inline constexpr std::size_t part_name_keep = 12;      // bytes kept and compared
inline constexpr std::size_t part_name_entry = 14;     // bytes of one name-table entry

// The typed text (UTF-8) as the CP932 bytes the dialog keeps.
std::string cut_part_name(std::string_view typed_utf8);

// A name-table entry as a string: its bytes up to the first NUL, at most 14.
std::string part_name_of_entry(const char* entry);

// True when the first 12 bytes of name equal another part's name, compared
// as NUL-terminated strings of at most 12 bytes. The edited part itself is
// skipped, so its own name is accepted again.
bool part_name_taken(std::string_view name, const std::vector<std::string>& names, int edited_part);
