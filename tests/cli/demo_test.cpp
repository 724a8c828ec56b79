// The demo recording that start.sh offers, made by scripts/make-demo.sh with
// each of its two synthesisers, then read and extracted by tonewarp-cli.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>

#include "tests/extract/extract_files.h"

namespace {

int shell(const std::string& cmd) {
    const int w = std::system(cmd.c_str());
    return WIFEXITED(w) ? WEXITSTATUS(w) : -1;
}

class demo : public in_test_dir, public ::testing::WithParamInterface<const char*> {
   protected:
    void SetUp() override {
        if (shell("command -v sox >/dev/null") != 0) GTEST_SKIP() << "sox is not installed";
    }
    // Runs the built tonewarp-cli with args; its stdout lands in out.txt.
    static int cli(const std::string& args) {
        return shell(std::string("'") + TW_CLI_PATH + "' " + args + " >out.txt 2>err.txt");
    }
};

TEST_P(demo, IsAFourteenSecondStereoRecordingWhoseInstrumentsBecomeParts) {
    const std::string how = GetParam();
    ASSERT_EQ(shell(std::string("sh '") + TW_SOURCE_DIR + "/scripts/make-demo.sh' " + how +
                    " d/demo.wav >made.txt"),
              0);
    if (how == "--sox") {
        EXPECT_EQ(read_file_bytes("made.txt"), "d/demo.wav (sox)\n");
    }

    ASSERT_EQ(cli("info d/demo.wav"), 0) << read_file_bytes("err.txt");
    const std::string info = read_file_bytes("out.txt");
    for (const char* line : {"channels=2\n", "samples_per_sec=44100\n", "bits_per_sample=16\n",
                             "frames=617400\n", "rejected=0\n"})
        EXPECT_NE(info.find(line), std::string::npos) << line << info;

    // Loud enough to see in the window, without clipping.
    const auto s = samples_of(wave_data("d/demo.wav"));
    const auto peak = std::max(std::abs(static_cast<int>(*std::min_element(s.begin(), s.end()))),
                               static_cast<int>(*std::max_element(s.begin(), s.end())));
    EXPECT_GT(peak, 16000);
    EXPECT_LT(peak, 32000);

    ASSERT_EQ(cli("extract d/demo.wav"), 0) << read_file_bytes("err.txt");
    const auto rows = read_parts_tsv("demo_parts/parts.tsv");
    int parts = 0;
    bool at_start = false, later = false;
    for (const auto& r : rows) {
        if (r.name == "Total_Diff.") continue;
        parts = std::max(parts, r.part);
        const long first =
            std::min(r.data_cnt_L > 0 ? r.stt_orgn_L : 617400L, r.data_cnt_R > 0 ? r.stt_orgn_R : 617400L);
        // Sounding episodes from the first second (the piano) and after the
        // flute (3.2 s) and the bass (6.4 s) have come in.
        at_start |= first < 44100;
        later |= first >= 3 * 44100;
    }
    EXPECT_GE(parts, 2);
    EXPECT_TRUE(at_start && later) << read_file_bytes("demo_parts/parts.tsv");
    EXPECT_EQ(rows.back().name, "Total_Diff.");
    EXPECT_TRUE(wave_data("demo_parts/mix.wav") == wave_data("d/demo.wav"));
}

std::string synth_name(const ::testing::TestParamInfo<const char*>& p) {
    return std::string(p.param).empty() ? "default" : "sox";
}

INSTANTIATE_TEST_SUITE_P(made_with, demo, ::testing::Values("", "--sox"), synth_name);

}  // namespace
