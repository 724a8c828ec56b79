// tonewarp-cli extract run inside the test process, so that memory failures
// can be injected and the settings block inspected.

#include <gtest/gtest.h>

#include <cmath>

#include "app/err_log.h"
#include "app/sys_param.h"
#include "cli/cli_commands.h"
#include "cli/cli_extract_opts.h"
#include "extract_files.h"
#include "platform/heap.h"
#include "platform/sjis.h"

namespace {

// A stereo recording: a 440 Hz tone from `entry` on, silence before.
std::string tone_wave(int frames, int entry, double amp = 8000.0) {
    std::string data;
    for (int f = 0; f < frames; ++f) {
        const int v =
            f < entry ? 0 : static_cast<int>(amp * std::sin(2.0 * M_PI * 440.0 * (f - entry) / 44100.0));
        put_le(data, static_cast<std::uint16_t>(v), 2);
        put_le(data, static_cast<std::uint16_t>(v / 2), 2);
    }
    return stereo_wave(data);
}

struct run_result {
    int status;
    std::string out, err;
};

class extract_cmd : public in_test_dir {
   protected:
    void TearDown() override {
        heap_test::reset();
        log_on_flg = 0;
    }
    static run_result run(const cli_args& args) {
        cli_args all = {"extract"};
        all.insert(all.end(), args.begin(), args.end());
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const int status = cli_main(all);
        std::string out = testing::internal::GetCapturedStdout();
        std::string err = testing::internal::GetCapturedStderr();
        return {status, out, err};
    }
};

TEST(extract_opts, PartFilesAreNamedAfterThePartWithSafeCharactersOnly) {
    EXPECT_EQ(part_file_stem("Part_001"), "Part_001");
    EXPECT_EQ(part_file_stem("Total_Diff."), "Total_Diff");
    EXPECT_EQ(part_file_stem("ﾍﾞｰｽ 1.."), "_____1");
    EXPECT_EQ(part_file_stem("a-b/c.d"), "a-b_c_d");
    EXPECT_EQ(part_file_stem("..."), "_");
    EXPECT_EQ(default_out_dir("dir/song.take1.wav"), "song.take1_parts");
}

TEST(extract_opts, TheRangeIsClampedToTheRecordingBeforeItIsChecked) {
    auto range = [](std::optional<long long> s, std::optional<long long> e, int frames) {
        extract_opts o;
        o.start = s;
        o.end = e;
        int first = -1, last = -1;
        const bool ok = extract_range(o, frames, first, last);
        return std::tuple{ok, first, last};
    };
    EXPECT_EQ(range({}, {}, 1000), std::tuple(true, 0, 999));
    EXPECT_EQ(range(200, {}, 1000), std::tuple(true, 200, 999));
    EXPECT_EQ(range({}, 300, 1000), std::tuple(true, 0, 300));
    EXPECT_EQ(range(-50, 5000, 1000), std::tuple(true, 0, 999));
    EXPECT_EQ(range(5000, {}, 1000), std::tuple(true, 999, 999));  // one frame, as a start mark alone gives
    EXPECT_EQ(range(300, 300, 1000), std::tuple(false, 300, 300));
    EXPECT_EQ(range(2000, 3000, 1000), std::tuple(false, 999, 999));
    EXPECT_EQ(range(500, 100, 1000), std::tuple(false, 500, 100));
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
    EXPECT_EQ(problem({"a.wav", "b.wav"}), "more than one FILE given");
    EXPECT_EQ(problem({"a.wav", "--log=1"}), "--log takes no value");
    extract_opts ok;
    EXPECT_EQ(parse_extract_opts({"--end=99", "a.wav", "--log", "--min-vol", " 7e3xyz"}, ok), "");
    EXPECT_EQ(ok.file, "a.wav");
    EXPECT_EQ(ok.end, 99);
    EXPECT_TRUE(ok.log);
    EXPECT_EQ(ok.min_vol, " 7e3xyz");
}

TEST_F(extract_cmd, ParameterOverridesAreReadLikeTheDialogAndNeverSaved) {
    write_file_bytes("t.wav", tone_wave(20000, 3000));
    run_result r = run({"t.wav"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string settings = read_file_bytes(sys_param_file_name);
    ASSERT_EQ(settings.size(), 240u);
    EXPECT_EQ(read_parts_tsv("t_parts/parts.tsv").size(), 2u);  // the tone and the residual

    // Lenient reading: "1x" is 1, so no part may be registered at all.
    r = run({"t.wav", "--part-max", "1x", "--min-vol", "  6000.5 dB", "--out", "one"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto rows = read_parts_tsv("one/parts.tsv");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].name, "Total_Diff.");
    EXPECT_EQ(sys_param.part_max, 1);
    EXPECT_EQ(sys_param.min_vol_prm, 6000.5);
    EXPECT_EQ(read_file_bytes(sys_param_file_name), settings);

    const std::pair<const char*, const char*> bad[] = {
        {"--part-max", "abc"}, {"--part-max", "257"}, {"--min-vol", "499.99"}, {"--sim-snd", "1e10"}};
    const char* msgs[] = {
        "音楽パート抽出Max数の値が不正です!!　　\n", "音楽パート抽出Max数の値が不正です!!　　\n",
        "最小音量認識ﾊﾟﾗﾒｰﾀの値が不正です!!　　\n", "類似音判断用ﾊﾟﾗﾒｰﾀの値が不正です!!　　\n"};
    for (int i = 0; i < 4; ++i) {
        r = run({"t.wav", bad[i].first, bad[i].second, "--out", "never"});
        EXPECT_EQ(r.status, 2) << bad[i].first;
        EXPECT_EQ(r.err, msgs[i]);
    }
    // Only the first failing field of the dialog's order is reported.
    r = run({"t.wav", "--sim-snd", "0", "--part-max", "0"});
    EXPECT_EQ(r.err, msgs[0]);
    // The part limit is read up to 5 characters: "12345678" is 12345.
    r = run({"t.wav", "--part-max", "00008999"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(std::filesystem::exists("never"));
    EXPECT_EQ(read_file_bytes(sys_param_file_name), settings);
}

TEST_F(extract_cmd, ARangeWhoseStartIsNotBeforeItsEndIsRefused) {
    write_file_bytes("t.wav", tone_wave(5000, 0));
    for (const cli_args& a : {cli_args{"t.wav", "--start", "300", "--end", "300"},
                              cli_args{"t.wav", "--start", "9000", "--end", "7000"}}) {
        const run_result r = run(a);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err, "抽出範囲の指定が不正です!!　\n");
    }
    EXPECT_FALSE(std::filesystem::exists("t_parts"));
    const run_result r = run({"t.wav", "--start", "4000", "--end", "9999"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(wave_data("t_parts/mix.wav"), wave_data("t.wav").substr(4 * 4000));  // the end clamped to 4999
}

TEST_F(extract_cmd, ARejectedOrMissingFileStopsBeforeAnythingIsWritten) {
    wave_spec w;
    w.bits = 8;
    write_file_bytes("b8.wav", make_wave_bytes(w));
    run_result r = run({"b8.wav"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "読み込んだファイルが不正です!!　　\n");
    r = run({"nothing.wav"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("nothing.wav"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists("b8_parts"));
    EXPECT_FALSE(std::filesystem::exists("nothing_parts"));

    write_file_bytes("t.wav", tone_wave(3000, 0));
    write_file_bytes("plain", "a file, not a folder");
    r = run({"t.wav", "--out", "plain"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("plain"), std::string::npos);
}

TEST_F(extract_cmd, TheOutputFolderHoldsTheMixEveryPartAndTheirEpisodes) {
    write_file_bytes("t.wav", tone_wave(30000, 6000));
    const run_result r = run({"t.wav", "--out", "a/b"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::string header;
    const auto rows = read_parts_tsv("a/b/parts.tsv", &header);
    EXPECT_EQ(header, "part\tname\trecord\tstt_orgn_L\tstt_orgn_R\tdata_cnt_L\tdata_cnt_R");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].part, 1);
    EXPECT_EQ(rows[0].name, "Part_001");
    EXPECT_EQ(rows[0].record, 0);
    EXPECT_NEAR(rows[0].stt_orgn_L, 6000, 1024);
    EXPECT_EQ(rows[1].part, 2);
    EXPECT_EQ(rows[1].name, "Total_Diff.");
    EXPECT_EQ(rows[1].stt_orgn_L, 0);
    EXPECT_EQ(rows[1].data_cnt_R, 30000);
    for (const char* f : {"a/b/mix.wav", "a/b/Part_001.wav", "a/b/Total_Diff.wav"}) {
        EXPECT_EQ(wave_data(f).size(), 4u * 30000u) << f;
    }
    EXPECT_EQ(wave_data("a/b/mix.wav"), wave_data("t.wav"));
    EXPECT_NE(r.out.find("parts: 1 (episodes: 1) + Total_Diff."), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("audio: 0.680 s (30000 frames from frame 0)"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("x real time"), std::string::npos) << r.out;
    EXPECT_EQ(r.err, "");  // no progress line when stderr is no terminal
}

TEST_F(extract_cmd, TheLogOptionTracesTheRun) {
    write_file_bytes("t.wav", tone_wave(8000, 2000));
    ASSERT_EQ(run({"t.wav", "--log"}).status, 0);
    const std::string log = cp932_to_utf8(read_file_bytes(err_log_file_name));
    EXPECT_NE(log.find("<regist_new_part> Frq_s copy : Part_ptr=  0, "), std::string::npos);
    EXPECT_NE(log.find(" \r\n<make_mdfy_dt_from_each_part> : intPart_Cnt=   2, \r\n"), std::string::npos);
    ASSERT_EQ(run({"t.wav"}).status, 0);
    EXPECT_FALSE(std::filesystem::exists(err_log_file_name));  // deleted at start, nothing failed
}

TEST_F(extract_cmd, AnEngineFailureEndsTheRunEarlyButItsFilesAreStillWritten) {
    write_file_bytes("t.wav", tone_wave(20000, 3000));
    heap_test::fail_above_size(1 << 20);  // the 16 MB coefficient matrix cannot be had
    const run_result r = run({"t.wav"});
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("stopped early"), std::string::npos) << r.err;
    EXPECT_TRUE(std::filesystem::exists("t_parts/mix.wav"));
    const auto rows = read_parts_tsv("t_parts/parts.tsv");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].name, "Total_Diff.");
    EXPECT_EQ(wave_data("t_parts/Total_Diff.wav"), wave_data("t.wav"));
    const std::string log = cp932_to_utf8(read_file_bytes(err_log_file_name));
    EXPECT_EQ(log, "<h_Mem_CoefMatrix : 16777216 Byte> HeapAlloc NG !!\r\n");
}

}  // namespace
