// One file of `extract --jobs` in a child process of its own.
//
// The child is a fork of the calling process, which must have no other
// thread: it inherits the settings block as loaded and overridden, and the
// diagnostic log switch. It works in a folder of its own, so that its
// diagnostic log lines go into that folder's Err_Log.Lst, and takes the
// names it was given from the parent's folder (cli_set_name_base). It runs
// extract_one as the call with that one file would, its progress and
// result go to the parent as job_report messages, its standard error into
// a second pipe, and it ends with the file's exit status.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "cli/cli_extract_opts.h"

struct job_child {
    pid_t pid = -1;
    int report_fd = -1;  // read end: job_report messages
    int err_fd = -1;     // read end: the child's standard error
};

// The child's folder is work_dir, the parent's folder name_base. fds_to_close: the
// parent's pipe ends that the child must not keep. pid -1 when no process
// could be started (errno tells why).
job_child start_job_child(const std::string& file, const std::string& out_dir, const extract_opts& o,
                          const std::string& work_dir, const std::string& name_base,
                          const std::vector<int>& fds_to_close);
