// `tonewarp-cli extract FILE... --jobs N`: files extracted by child
// processes at the same time must come out as extracting them in turn does.

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/extract/extract_files.h"
#include "tests/support/test_dir.h"
#include "tests/support/wave_bytes.h"

namespace {

namespace fs = std::filesystem;

struct cli_result {
    int status = -1;
    std::string out, err;
};

// Lines without their wall time (it differs from run to run), sorted but
// for the last one.
std::vector<std::string> summary_lines(const std::string& out) {
    std::vector<std::string> lines;
    std::istringstream in(out);
    for (std::string l; std::getline(in, l);) lines.push_back(l.substr(0, l.find(", wall time")));
    if (!lines.empty()) std::sort(lines.begin(), lines.end() - 1);
    return lines;
}

std::vector<std::string> sorted_lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    std::sort(lines.begin(), lines.end());
    return lines;
}

class cli_jobs : public in_test_dir {
   protected:
    void SetUp() override {
        fs::create_directories("in/deep");
        for (int k = 0; k < 7; ++k) {
            std::string name = k == 3 ? "in/deep/t" : "in/t";
            name += std::to_string(k);
            name += ".wav";
            write_file_bytes(name, tone_wave(18000 - 1500 * k, 500 * k, 330.0 + 110.0 * k));  // the first the longest
            files_ += ' ';
            files_ += k == 5 ? fs::absolute(name).string() : name;
        }
        write_file_bytes("in/bad.wav", "neither a WAVE file nor any recording");
        files_ += " in/bad.wav";
        fs::create_directory("tmp");
    }
    cli_result run(const std::string& args) {
        fs::create_directories(io_);
        const std::string cmd = "TMPDIR='" + fs::absolute("tmp").string() + "' '" + TW_CLI_PATH + "' " + args +
                                " >" + (io_ / "out").string() + " 2>" + (io_ / "err").string();
        const int w = std::system(cmd.c_str());
        return {WIFEXITED(w) ? WEXITSTATUS(w) : -1, read_file_bytes(io_ / "out"), read_file_bytes(io_ / "err")};
    }
    std::string files_;
    fs::path io_ = dir_.path() / "io";
};

TEST_F(cli_jobs, EightFilesAtOnceGiveTheFilesTheLinesAndTheLogOfOneAfterAnother) {
    const std::string args = "extract" + files_ + " --out out --log --part-max 4 --jobs ";
    const cli_result seq = run(args + "1");
    const std::string seq_log = read_file_bytes("Err_Log.Lst");
    fs::rename("out", "seq");
    const cli_result par = run(args + "3");

    EXPECT_EQ(seq.status, 2);
    EXPECT_EQ(par.status, 2);
    const std::vector<std::string> lines = summary_lines(par.out);
    EXPECT_EQ(lines, summary_lines(seq.out));
    ASSERT_EQ(lines.size(), 9u) << par.out;
    EXPECT_EQ(lines.back(), "8 files: 7 ok, 1 failed; exit status 2");
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "in/bad.wav: status 2 (rejected or invalid input)"), 1);
    EXPECT_EQ(sorted_lines(par.err), sorted_lines(seq.err));
    EXPECT_EQ(read_file_bytes("Err_Log.Lst"), seq_log);
    EXPECT_GT(seq_log.size(), 10000u);  // every file's trace is in it

    for (int k = 0; k < 7; ++k) {
        std::string d = "t";  // built piece by piece: "t" + std::string trips a false -Wrestrict of GCC 12
        d += std::to_string(k);
        d += "_parts";
        const auto want = folder_files(fs::path("seq") / d);
        EXPECT_GE(want.size(), 4u) << d;
        EXPECT_EQ(folder_files(fs::path("out") / d), want) << d;
    }
    EXPECT_FALSE(fs::exists("out/bad_parts"));
    EXPECT_TRUE(fs::is_empty("tmp"));  // the children's folders are cleared away
}

TEST_F(cli_jobs, OneJobPerCoreWithoutTheLogLeavesNoLogAndNoTemporaryFolder) {
    const cli_result r = run("extract in/t0.wav in/t1.wav in/deep/t3.wav --jobs 0 --threads 1");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");  // no progress lines when standard error is no terminal
    EXPECT_EQ(summary_lines(r.out).back(), "3 files: 3 ok, 0 failed; exit status 0");
    EXPECT_EQ(wave_data("t3_parts/mix.wav"), wave_data("in/deep/t3.wav"));
    EXPECT_FALSE(fs::exists("Err_Log.Lst"));
    EXPECT_TRUE(fs::is_empty("tmp"));
}

}  // namespace
