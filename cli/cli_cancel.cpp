// tonewarp-cli cancel IN OUT

#include <memory>

#include "cli/cli_commands.h"
#include "cli/cli_common.h"

int cli_cancel(const cli_args& args) {
    cli_start();
    auto doc = std::make_unique<CTonewarpDoc>();
    const int r = cli_open_document(*doc, args[0]);
    if (r == cli_exit_io) return r;
    if (r == cli_exit_bad) {
        // A rejected recording is not processed: OUT is not written.
        cli_report_bad_file();
        return r;
    }
    doc->make_cancel_dt();
    cli_set_range_no_marks(*doc);
    return cli_save_document(*doc, args[1]);
}
