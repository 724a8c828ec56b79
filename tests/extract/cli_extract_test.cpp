// tonewarp-cli extract run inside the test process, so that memory failures
// can be injected and the settings block looked at.

#include <gtest/gtest.h>

#include <cmath>

#include "app/err_log.h"
#include "app/sys_param.h"
#include "cli/cli_commands.h"
#include "cli/cli_extract_opts.h"
#include "extract_files.h"
#include "platform/heap.h"
#include "platform/sjis.h"
#include "tests/cli/cli_in_process.h"

namespace {

// Stereo: a 440 Hz tone from frame `entry` on (the right channel at half level).
std::string tone_wave(int frames, int entry) { return ::tone_wave(frames, entry, 440.0); }

using run_result = cli_run;

class extract_cmd : public in_test_dir {
   protected:
    void TearDown() override { heap_test::reset(), log_on_flg = 0; }
    static run_result run(cli_args args) {
        args.insert(args.begin(), "extract");
        return run_in_process(args);
    }
};

TEST(extract_opts, PartFilesAreNamedAfterThePartWithSafeCharactersOnly) {
    EXPECT_EQ(part_file_stem("Total_Diff."), "Total_Diff");
    EXPECT_EQ(part_file_stem("ﾍﾞｰｽ 1.."), "_____1");
    EXPECT_EQ(part_file_stem("a-b/c.d"), "a-b_c_d");
    EXPECT_EQ(part_file_stem("..."), "_");
    EXPECT_EQ(default_out_dir("dir/song.take1.wav"), "song.take1_parts");
}

TEST(extract_opts, TheRangeIsClampedToTheRecordingBeforeItIsChecked) {
    auto range = [](std::optional<long long> s, std::optional<long long> e) {
        extract_opts o;
        o.start = s, o.end = e;
        int first = -1, last = -1;
        const bool ok = extract_range(o, 1000, first, last);
        return std::tuple{ok, first, last};
    };
    EXPECT_EQ(range({}, {}), std::tuple(true, 0, 999));
    EXPECT_EQ(range(-50, 5000), std::tuple(true, 0, 999));
    EXPECT_EQ(range(5000, {}), std::tuple(true, 999, 999));  // a start mark alone on the last frame
    EXPECT_EQ(range(300, 300), std::tuple(false, 300, 300));
    EXPECT_EQ(range(2000, 3000), std::tuple(false, 999, 999));
}

TEST(extract_opts, UsageProblemsAreNamed) {
    auto problem = [](const cli_args& a) {
        extract_opts o;
        return parse_extract_opts(a, o);
    };
    EXPECT_EQ(problem({}), "no FILE given");
    EXPECT_EQ(problem({"a.wav", "--start"}), "--start needs a value");
    EXPECT_EQ(problem({"a.wav", "--start", "12x"}), "--start needs a frame index, not '12x'");
    EXPECT_EQ(problem({"a.wav", "--fast"}), "unknown option '--fast'");
    extract_opts ok;
    EXPECT_EQ(parse_extract_opts({"--end=99", "a.wav", "--log", "--min-vol", " 7e3xyz"}, ok), "");
    EXPECT_EQ(std::tuple(ok.files, *ok.end, ok.log, *ok.min_vol),
              std::tuple(std::vector<std::string>{"a.wav"}, 99LL, true, " 7e3xyz"));
}

TEST(extract_opts, ThreadsAndJobsAreCountsWithTheirDefaultsAndLimits) {
    auto parsed = [](const cli_args& a) {
        extract_opts o;
        const std::string problem = parse_extract_opts(a, o);
        EXPECT_EQ(problem, "") << a.back();
        return o;
    };
    extract_opts o = parsed({"a.wav", "b.wav", "c.wav"});
    EXPECT_EQ(std::tuple(engine_threads(o, 1), engine_threads(o, 2), engine_threads(o, 0)), std::tuple(1, 2, 1));
    EXPECT_EQ(batch_jobs(o, 8), 1);
    o = parsed({"a.wav", "--threads=1"});
    EXPECT_EQ(engine_threads(o, 16), 1);
    o = parsed({"a.wav", "--threads", "7"});
    EXPECT_EQ(engine_threads(o, 1), 2);  // one worker at most, also on one core
    o = parsed({"a.wav", "b.wav", "c.wav", "--jobs", "0"});
    EXPECT_EQ(std::tuple(batch_jobs(o, 2), batch_jobs(o, 64), batch_jobs(o, 0)), std::tuple(2, 3, 1));
    o = parsed({"a.wav", "b.wav", "--jobs=5"});
    EXPECT_EQ(batch_jobs(o, 1), 2);  // never more than the files

    extract_opts bad;
    EXPECT_EQ(parse_extract_opts({"a.wav", "--threads", "0"}, bad),
              "--threads needs a whole number of at least 1, not '0'");
    EXPECT_EQ(parse_extract_opts({"a.wav", "--jobs=-1"}, bad), "--jobs needs a whole number of at least 0, not '-1'");
    EXPECT_EQ(parse_extract_opts({"a.wav", "--jobs", "2x"}, bad), "--jobs needs a whole number of at least 0, not '2x'");
}

TEST_F(extract_cmd, ParameterOverridesAreReadLikeTheDialogAndNeverSaved) {
    write_file_bytes("t.wav", tone_wave(20000, 3000));
    run_result r = run({"t.wav"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string settings = read_file_bytes(sys_param_file_name);
    EXPECT_EQ(read_parts_tsv("t_parts/parts.tsv").size(), 2u);  // the tone and the residual

    // Lenient reading: "1x" is 1, so no part may be registered at all.
    r = run({"t.wav", "--part-max", "1x", "--min-vol", "  6000.5 dB", "--out", "one"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(read_parts_tsv("one/parts.tsv").size(), 1u);
    EXPECT_EQ(std::pair(sys_param.part_max, sys_param.min_vol_prm), std::pair(1, 6000.5));

    const char* part_msg = "音楽パート抽出Max数の値が不正です!!　　\n";
    const char* cases[][3] = {{"--part-max", "abc", part_msg},
                              {"--part-max", "00000257", part_msg},  // read up to 5 characters: 0
                              {"--min-vol", "499.99", "最小音量認識ﾊﾟﾗﾒｰﾀの値が不正です!!　　\n"},
                              {"--sim-snd", "1e10", "類似音判断用ﾊﾟﾗﾒｰﾀの値が不正です!!　　\n"}};
    for (const auto& c : cases) {
        r = run({"t.wav", c[0], c[1], "--sim-snd", c[0][2] == 's' ? c[1] : "0", "--out", "never"});
        EXPECT_EQ(r.status, 2) << c[0];
        EXPECT_EQ(r.err, c[2]) << c[0];  // only the first failing field, in the dialog's order
    }
    EXPECT_FALSE(std::filesystem::exists("never"));
    EXPECT_EQ(read_file_bytes(sys_param_file_name), settings);
}

TEST_F(extract_cmd, ARangeWhoseStartIsNotBeforeItsEndIsRefused) {
    write_file_bytes("t.wav", tone_wave(5000, 0));
    for (const char* start : {"300", "9000"}) {
        const run_result r = run({"t.wav", "--start", start, "--end", start[0] == '3' ? "300" : "7000"});
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err, "抽出範囲の指定が不正です!!　\n");
    }
    EXPECT_FALSE(std::filesystem::exists("t_parts"));
    ASSERT_EQ(run({"t.wav", "--start", "4000", "--end", "9999"}).status, 0);
    EXPECT_EQ(wave_data("t_parts/mix.wav"), wave_data("t.wav").substr(4 * 4000));
}

TEST_F(extract_cmd, ARejectedMissingOrUnwritableFileFailsWithItsStatus) {
    // Neither the own reader nor libsndfile takes it.
    write_file_bytes("bad.wav", "neither a WAVE file nor any recording");
    run_result r = run({"bad.wav"});
    EXPECT_EQ(std::pair(r.status, r.err), std::pair(2, std::string("読み込んだファイルが不正です!!　　\n")));
    r = run({"nothing.wav"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("nothing.wav"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists("bad_parts") || std::filesystem::exists("nothing_parts"));
    write_file_bytes("t.wav", tone_wave(3000, 0));
    write_file_bytes("plain", "a file, not a folder");
    EXPECT_EQ(run({"t.wav", "--out", "plain"}).status, 1);
}

TEST_F(extract_cmd, AFileThatCannotBeWrittenEndsTheFolderThereAlsoWhenTwoThreadsWrite) {
    write_file_bytes("t.wav", tone_wave(30000, 6000));
    for (const char* threads : {"1", "2"}) {
        std::filesystem::remove_all("out");
        std::filesystem::create_directories("out/Part_001.wav");  // in the way of the first part
        const run_result r = run({"t.wav", "--out", "out", "--threads", threads});
        EXPECT_EQ(r.status, 1) << threads;
        EXPECT_EQ(r.err, "tonewarp-cli: out/Part_001.wav: Is a directory\n") << threads;
        // The mix before it is written; the residual after it and the table are not, nor any temporary file.
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator("out")) names.push_back(e.path().filename());
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string>{"Part_001.wav", "mix.wav"})) << threads;
    }
}

TEST_F(extract_cmd, TheOutputFolderHoldsTheMixEveryPartAndTheirEpisodes) {
    write_file_bytes("t.wav", tone_wave(30000, 6000));
    const run_result r = run({"t.wav", "--out", "a/b", "--log"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::string header;
    const auto rows = read_parts_tsv("a/b/parts.tsv", &header);
    EXPECT_EQ(header, "part\tname\trecord\tstt_orgn_L\tstt_orgn_R\tdata_cnt_L\tdata_cnt_R");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(std::tuple(rows[0].part, rows[0].name, rows[0].record), std::tuple(1, "Part_001", 0));
    EXPECT_NEAR(rows[0].stt_orgn_L, 6000, 1024);
    EXPECT_EQ(std::tuple(rows[1].part, rows[1].name, rows[1].stt_orgn_L, rows[1].data_cnt_R),
              std::tuple(2, "Total_Diff.", 0L, 30000L));
    for (const char* f : {"a/b/Part_001.wav", "a/b/Total_Diff.wav"})
        EXPECT_EQ(wave_data(f).size(), 4u * 30000u);
    EXPECT_EQ(wave_data("a/b/mix.wav"), wave_data("t.wav"));
    EXPECT_EQ(r.out.substr(0, r.out.find("wall")),
              "parts: 1 (episodes: 1) + Total_Diff.\naudio: 0.680 s (30000 frames from frame 0)\n");
    EXPECT_EQ(r.err, "");  // no progress line when stderr is no terminal
    const std::string log = cp932_to_utf8(read_file_bytes(err_log_file_name));
    EXPECT_NE(log.find(" \r\n<make_mdfy_dt_from_each_part> : intPart_Cnt=   2, \r\n"), std::string::npos);
}

TEST_F(extract_cmd, AnEngineFailureEndsTheRunEarlyButItsFilesAreStillWritten) {
    write_file_bytes("t.wav", tone_wave(20000, 3000));
    heap_test::fail_above_size(1 << 20);  // the 16 MB coefficient matrix cannot be had
    const run_result r = run({"t.wav"});
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("stopped early"), std::string::npos) << r.err;
    const auto rows = read_parts_tsv("t_parts/parts.tsv");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].name, "Total_Diff.");
    EXPECT_EQ(wave_data("t_parts/Total_Diff.wav"), wave_data("t.wav"));
    EXPECT_EQ(wave_data("t_parts/mix.wav"), wave_data("t.wav"));
    EXPECT_EQ(read_file_bytes(err_log_file_name), "<h_Mem_CoefMatrix : 16777216 Byte> HeapAlloc NG !!\r\n");
}

}  // namespace
