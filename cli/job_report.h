// What a child process of `extract --jobs` tells its parent through a pipe:
// one text line per message.
//   p FRACTION    how far the engine run has come (0 .. 1)
//   r ...         what became of the file (extract_result), exactly
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "cli/cli_extract_one.h"

std::string progress_message(double fraction);
std::string result_message(const extract_result& r);

struct job_message {
    bool is_result = false;
    double fraction = 0.0;  // a progress message
    extract_result result;  // a result message
};

// One line without its line end; nothing when it is neither message.
std::optional<job_message> read_job_message(std::string_view line);
