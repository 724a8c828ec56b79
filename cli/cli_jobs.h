// `tonewarp-cli extract FILE... --jobs N`: up to N files at the same time.
//
// Each file is extracted by a child process of its own (cli/job_child.h):
// the engine keeps process-wide state (the settings block, the diagnostic
// log, its transform work arrays and shared work areas), so two runs never
// share a process. Each file's folder therefore gets exactly the bytes that
// extracting the files in turn gives. The summary line of a file is
// written when it is done, the total last; the exit status is the highest
// of the files' statuses. What each child writes to the diagnostic log is
// appended to Err_Log.Lst in the order of the files, so the log is the one
// that extracting them in turn writes. On a terminal each file being
// extracted has a progress line on standard error.
#pragma once

#include <optional>

#include "cli/cli_extract_opts.h"

// Runs the batch with up to jobs children; the settings must be loaded and
// overridden, the caller's process must have no other thread. Nothing when
// the batch cannot be run that way (no folder for the children's logs, the
// current directory unknown): the caller then extracts the files in turn.
std::optional<int> extract_in_parallel(const extract_opts& o, int jobs);
