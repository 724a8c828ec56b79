// tonewarp-cli convert IN OUT

#include <cstdio>
#include <memory>

#include "cli/cli_commands.h"
#include "cli/cli_common.h"
#include "cli/cli_read_recording.h"

int cli_convert(const cli_args& args) {
    cli_start();
    auto doc = std::make_unique<CTonewarpDoc>();
    const recording_read in = cli_read_recording(*doc, args[0]);
    if (in.status != cli_exit_ok) return in.status;  // OUT is not written
    cli_set_range_no_marks(*doc);
    const int status = cli_save_document(*doc, args[1]);
    if (status == cli_exit_ok && in.held > 0) {
        std::printf("held samples: %lld (at -32768 or 32767)\n", static_cast<long long>(in.held));
        std::fflush(stdout);
    }
    return status;
}
