// Every seed of the fuzz corpora, and every input that once broke a fuzz
// target (fuzz/regress/<target>/), replayed through that target's checks.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fuzz/fuzz_checks.h"
#include "tests/support/test_dir.h"

namespace {

namespace fs = std::filesystem;

using check_fn = std::string (*)(const std::uint8_t*, std::size_t);

struct fuzz_target {
    const char* name;
    check_fn check;
};

constexpr fuzz_target targets[] = {
    {"wave_io", check_wave_io},     {"sys_param", check_sys_param_file}, {"cp932", check_cp932},
    {"part_name", check_part_name}, {"extract", check_short_extraction},
};

std::vector<fs::path> inputs_of(const char* target) {
    std::vector<fs::path> files;
    for (const char* set : {"corpus", "regress"}) {
        const fs::path dir = fs::path(TW_SOURCE_DIR) / "fuzz" / set / target;
        if (!fs::is_directory(dir)) continue;
        for (const auto& e : fs::directory_iterator(dir)) {
            if (e.is_regular_file()) files.push_back(e.path());
        }
    }
    return files;
}

class fuzz_inputs : public in_test_dir, public ::testing::WithParamInterface<fuzz_target> {};

TEST_P(fuzz_inputs, EveryKeptInputPassesItsTargetsChecks) {
    const auto files = inputs_of(GetParam().name);
    EXPECT_FALSE(files.empty()) << "no seed corpus for " << GetParam().name;
    for (const auto& f : files) {
        const std::string bytes = read_file_bytes(f);
        const std::string problem =
            GetParam().check(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        EXPECT_EQ(problem, "") << f;
    }
}

INSTANTIATE_TEST_SUITE_P(targets, fuzz_inputs, ::testing::ValuesIn(targets),
                         [](const auto& param_info) { return std::string(param_info.param.name); });

}  // namespace
