// `tonewarp-cli extract` with several files, run inside the test process so
// that memory failures can be injected into one file of a batch.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "app/err_log.h"
#include "cli/cli_commands.h"
#include "cli/cli_extract_opts.h"
#include "platform/heap.h"
#include "tests/cli/cli_in_process.h"
#include "tests/extract/extract_files.h"

namespace {

namespace fs = std::filesystem;

// The stdout lines without the wall time (it differs from run to run).
std::vector<std::string> lines_without_wall_time(const std::string& out) {
    std::vector<std::string> lines;
    std::istringstream in(out);
    for (std::string l; std::getline(in, l);) lines.push_back(l.substr(0, l.find(", wall time")));
    return lines;
}

using run_result = cli_run;

class extract_batch : public in_test_dir {
   protected:
    void SetUp() override {
        write_file_bytes("a.wav", tone_wave(20000, 3000, 440.0));
        fs::create_directory("sub");
        write_file_bytes("sub/c.wav", tone_wave(24000, 8000, 660.0));
        // Neither the own reader nor libsndfile takes it.
        write_file_bytes("bad.wav", "neither a WAVE file nor any recording");
    }
    void TearDown() override { heap_test::reset(), log_on_flg = 0; }
    static run_result run(cli_args args) {
        args.insert(args.begin(), "extract");
        return run_in_process(args);
    }
};

TEST_F(extract_batch, EveryFileIsTriedInTurnAndTheCallExitsWithTheHighestStatus) {
    const run_result r = run({"a.wav", "bad.wav", "missing.wav", "sub/c.wav"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(lines_without_wall_time(r.out),
              (std::vector<std::string>{
                  "a.wav: ok -> a_parts: parts: 1 (episodes: 1) + Total_Diff., audio 0.454 s",
                  "bad.wav: status 2 (rejected or invalid input)",
                  "missing.wav: status 1 (a file could not be opened, read or written)",
                  "sub/c.wav: ok -> c_parts: parts: 1 (episodes: 1) + Total_Diff., audio 0.544 s",
                  "4 files: 2 ok, 2 failed; exit status 2"}));
    // The failures are reported as they happen, one line each.
    EXPECT_EQ(r.err.substr(0, r.err.find('\n') + 1), "読み込んだファイルが不正です!!　　\n");
    EXPECT_NE(r.err.find("missing.wav: No such file or directory\n"), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 2);

    for (const char* dir : {"a_parts", "c_parts"}) {
        EXPECT_EQ(read_parts_tsv(fs::path(dir) / "parts.tsv").size(), 2u) << dir;
        EXPECT_TRUE(fs::exists(fs::path(dir) / "Part_001.wav")) << dir;
    }
    EXPECT_EQ(wave_data("c_parts/mix.wav"), wave_data("sub/c.wav"));
    EXPECT_FALSE(fs::exists("bad_parts") || fs::exists("missing_parts"));

    // Statuses rank by number: an io failure alone gives 1, all good gives 0.
    EXPECT_EQ(run({"a.wav", "missing.wav"}).status, 1);
    EXPECT_EQ(run({"a.wav", "sub/c.wav"}).status, 0);
}

TEST_F(extract_batch, ABatchWritesWhatOneRunPerFileWrites) {
    // The overrides and the range hold for every file; nothing of one run reaches the next.
    const cli_args opts = {"--part-max", "3", "--sim-snd", "2500", "--start", "1000"};
    cli_args batch = {"a.wav", "sub/c.wav", "--out", "all"};
    batch.insert(batch.end(), opts.begin(), opts.end());
    ASSERT_EQ(run(batch).status, 0);
    for (const char* f : {"a.wav", "sub/c.wav"}) {
        cli_args one = {f, "--out", "one"};
        one.insert(one.end(), opts.begin(), opts.end());
        ASSERT_EQ(run(one).status, 0) << f;
        const auto want = folder_files("one");
        EXPECT_EQ(want.size(), 4u);  // mix, Part_001, Total_Diff, parts.tsv
        EXPECT_EQ(folder_files(fs::path("all") / default_out_dir(f)), want) << f;
        fs::remove_all("one");
    }
}

TEST_F(extract_batch, AnEngineFailureInOneFileLeavesTheNextFileWhole) {
    ASSERT_EQ(run({"sub/c.wav", "--out", "clean"}).status, 0);

    // The first allocation after a.wav's two sample buffers is the engine's:
    // failing it stops a.wav's run, and c.wav must come out as if alone.
    heap_test::reset();
    heap_test::fail_nth_alloc(3);
    const run_result r = run({"a.wav", "sub/c.wav", "bad.wav"});
    EXPECT_EQ(r.status, 3);
    const auto lines = lines_without_wall_time(r.out);
    ASSERT_EQ(lines.size(), 4u) << r.out;
    EXPECT_EQ(lines[0],
              "a.wav: status 3 (stopped early on an engine failure) -> a_parts: parts: 0 (episodes: 0) + "
              "Total_Diff., audio 0.454 s");
    EXPECT_EQ(lines[3], "3 files: 1 ok, 2 failed; exit status 3");
    EXPECT_NE(r.err.find("stopped early"), std::string::npos) << r.err;
    EXPECT_EQ(wave_data("a_parts/Total_Diff.wav"), wave_data("a.wav"));
    EXPECT_EQ(folder_files("c_parts"), folder_files("clean"));
}

TEST_F(extract_batch, FilesThatWouldShareAFolderAreRefusedBeforeAnyWork) {
    const char* const cases[][4] = {
        {"a.wav", "sub/a.wav", "", "a_parts"},
        {"a.wav", "a.wav", "", "a_parts"},
        {"a.wav", "a.WAV", "--out=d", "d/a_parts"},
    };
    for (const auto& c : cases) {
        cli_args args = {c[0], c[1]};
        if (c[2][0] != '\0') args.emplace_back(c[2]);
        const run_result r = run(args);
        EXPECT_EQ(r.status, 2) << c[1];
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, std::string("tonewarp-cli: two FILEs would write into the same folder '") + c[3] +
                             "' (try 'tonewarp-cli --help')\n");
    }
    EXPECT_FALSE(fs::exists("a_parts") || fs::exists("d") || fs::exists("Tonewarp.Inf"));
}

}  // namespace
