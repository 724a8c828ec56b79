// Shift-JIS (code page 932) text conversion.
//
// The system's own byte fields (part names, the settings file's font name,
// the diagnostic log) hold CP932 bytes; everything else in the program is
// UTF-8. Both directions never fail: bytes or characters that have no
// counterpart become '?' (CP932) or U+FFFD (UTF-8), and a lone lead byte at
// the end of the input is treated the same way.
#pragma once

#include <string>
#include <string_view>

std::string utf8_to_cp932(std::string_view utf8);
std::string cp932_to_utf8(std::string_view cp932);

// True when byte b starts a two-byte CP932 character.
bool is_cp932_lead_byte(unsigned char b);

// Length in bytes of a NUL-terminated field of at most cap bytes.
std::size_t bounded_strlen(const char* field, std::size_t cap);
