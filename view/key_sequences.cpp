#include "view/key_sequences.h"

#include <cstring>

namespace {

constexpr const char* seq_texts[key_seq_count] = {
    "Xq1Alpha", "Xq2Bravo", "Xq3Charl", "Xq4Delta", "Xq5Echoo",
    "Xq6Foxtr", "Xq7Golfy", "Xq8Hotel", "Xq9India", "Xq0Julie",
};

}  // namespace

const char* key_seq_text(key_seq s) {
    const int i = static_cast<int>(s);
    return i >= 0 && i < key_seq_count ? seq_texts[i] : "";
}

bool key_seq_freq_only(key_seq s) { return static_cast<int>(s) >= static_cast<int>(key_seq::comp_mag); }

key_seq_buf::key_seq_buf() { buf_.fill(' '); }

key_seq key_seq_buf::push(char c) {
    for (int i = 0; i + 1 < key_buf_len; ++i) buf_[i] = buf_[i + 1];
    buf_[key_buf_len - 1] = c;
    return match();
}

key_seq key_seq_buf::match() const {
    for (int i = 0; i < key_seq_count; ++i) {
        if (std::memcmp(buf_.data(), seq_texts[i], key_buf_len) == 0) return static_cast<key_seq>(i);
    }
    return key_seq::none;
}
