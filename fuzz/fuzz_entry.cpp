// libFuzzer entry point of one target; TW_FUZZ_CHECK names its check
// (fuzz_checks.h). Any property that fails stops the run with its text, so
// libFuzzer keeps the input as a crash.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/fuzz_checks.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The program writes its settings and log by bare name: give the target
    // a working directory of its own (corpus paths must be absolute). The
    // fuzz script names one on a memory file system, as the targets write
    // and sync small files at every input; by hand a fresh one is made.
    const char* given = std::getenv("TW_FUZZ_WORKDIR");
    char made[] = "/tmp/tw-fuzz-XXXXXX";
    const char* dir = given != nullptr && *given != '\0' ? given : mkdtemp(made);
    if (dir == nullptr || chdir(dir) != 0) {
        std::perror("tw fuzz: private working directory");
        std::abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string problem = TW_FUZZ_CHECK(data, size);
    if (!problem.empty()) {
        std::fprintf(stderr, "tw fuzz: %s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
