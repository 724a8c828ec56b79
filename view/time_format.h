// Time labels and picture-formatted numbers of the view's header and rulers.
#pragma once

#include <cstdint>
#include <string>

// Time label " m:ss.ss" of samples / rate seconds ("%2d:%05.2f"); minutes are
// counted from the time plus 0.0049 s, so a time just below a whole minute
// shows as that minute with 00.00 seconds. 100 minutes or more give
// "**:**.**". A rate of 0 gives "**:**.**" and returns -1; otherwise 0.
int fmt_time_smpl(std::int64_t samples, int rate, std::string& out);

// The same for a time given in hundredths of a second.
int fmt_time_10ms(std::int64_t hundredths, std::string& out);

// Formats a non-negative whole number through a picture of '#' and ','
// (digits fill the '#' from the right, a ',' stays only with a digit to its
// left, unused positions become blanks). A value with too many digits is
// formatted through all-'#' of the same length; one that does not fit that
// either, or a negative value, fills the field with '*'. The result always
// has the picture's length. Returns 0, or -1 when the field is all '*'.
int fmt_num_pic(std::string& out, const std::string& picture, std::int64_t value);
