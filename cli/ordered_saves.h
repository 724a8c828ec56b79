// Writing a list of files on up to two threads with the outcome of writing
// them one after another: each file is renamed into place in the list's
// order, and the first one that cannot be written ends the list.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <vector>

#include "document/byte_stream.h"

struct file_save {
    std::filesystem::path path;  // as given (cli_path finds it); messages show it
    // Writes the file's bytes; scratch is the thread's own 1 MB. 0, or -1
    // when the stream refused a write.
    std::function<int(byte_ostream& out, std::span<unsigned char> scratch)> write;
};

// Each file goes through a replacing stream (file_replace_ostream): zero
// blocks left as holes, renamed into place without waiting for the disk.
// threads 2: a second thread writes the next file while the first is
// written (one thread when it cannot be started). The files before the
// first failure are replaced, that one is reported on stderr, those after
// it are left as they were. cli_exit_ok or cli_exit_io.
int save_in_order(const std::vector<file_save>& saves, int threads);
