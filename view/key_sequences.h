// The view's typed commands: an eight-character buffer that every typed
// character shifts one place to the front, compared after each character
// with ten fixed eight-character sequences. Toolkit-free.
#pragma once

#include <array>

inline constexpr int key_buf_len = 8;

// The sequences, in the order they are tested.
enum class key_seq {
    none = -1,
    sys_param_dlg = 0,  // "Xq1Alpha": the full parameter dialog
    log_on,             // "Xq2Bravo": diagnostic logging on
    log_off,            // "Xq3Charl": diagnostic logging off
    centre_cancel,      // "Xq4Delta": working copy := left - right of the original
    restore,            // "Xq5Echoo": working copy := the original
    comp_mag,           // "Xq6Foxtr": spectrum of magnitudes (frequency mode only)
    comp_re,            // "Xq7Golfy": spectrum of |real part| (frequency mode only)
    comp_im,            // "Xq8Hotel": spectrum of |imaginary part| (frequency mode only)
    scale_lvl,          // "Xq9India": level scale (frequency mode only)
    scale_dif,          // "Xq0Julie": difference scale (frequency mode only)
};

inline constexpr int key_seq_count = 10;

// The text of a sequence (eight characters, no terminator counted).
const char* key_seq_text(key_seq s);

// True for the five sequences that only act in frequency mode.
bool key_seq_freq_only(key_seq s);

class key_seq_buf {
   public:
    // Eight blanks.
    key_seq_buf();

    // Shifts the buffer one place to the front and puts c last. Returns the
    // sequence the whole buffer now spells (compared case-sensitively), or
    // none. The buffer is not cleared after a match, so a ninth character
    // shifts the sequence out again.
    key_seq push(char c);

    key_seq match() const;
    const std::array<char, key_buf_len>& chars() const { return buf_; }

   private:
    std::array<char, key_buf_len> buf_;
};
