// A tonewarp-cli command line run inside the test process (so that memory
// failures can be injected and the settings block looked at), with its
// standard output and error captured.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "cli/cli_commands.h"

struct cli_run {
    int status;
    std::string out, err;
};

inline cli_run run_in_process(const cli_args& args) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int status = cli_main(args);
    std::string out = testing::internal::GetCapturedStdout();
    return {status, out, testing::internal::GetCapturedStderr()};
}
