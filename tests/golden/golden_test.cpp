// Golden outputs of `tonewarp-cli extract`: every file a run writes (the mix,
// each part, parts.tsv and, with --log, the diagnostic log) must stay byte
// for byte what the engine wrote when the table was recorded. Any change of
// arithmetic order in the engine shows up here as a changed digest.
//
// The table (golden_outputs.txt beside this file) holds one line per file:
// case, file name, size in bytes and its 64-bit FNV-1a digest. To record it
// anew, on purpose, run this test with TW_GOLDEN_RECORD=<path of the table>.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/err_log.h"
#include "cli/cli_commands.h"
#include "golden_material.h"
#include "tests/support/test_dir.h"

namespace {

std::uint64_t fnv1a64(const std::string& bytes) {
    std::uint64_t h = 14695981039346656037ull;
    for (const char c : bytes) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ull;
    }
    return h;
}

std::string table_line(const std::string& name, const std::string& file, const std::string& bytes) {
    char buf[256];
    std::snprintf(buf, sizeof buf, "%s %s %zu %016llx", name.c_str(), file.c_str(), bytes.size(),
                  static_cast<unsigned long long>(fnv1a64(bytes)));
    return buf;
}

// The stored table's lines of one case, in file-name order.
std::vector<std::string> stored_lines(const std::string& name) {
    std::ifstream in(TW_GOLDEN_TABLE);
    std::vector<std::string> out;
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(name + " ", 0) == 0) out.push_back(line);
    }
    return out;
}

// Replaces the case's lines in the table at `path` (recording mode).
void record_lines(const char* path, const std::string& name, const std::vector<std::string>& lines) {
    std::vector<std::string> keep;
    {
        std::ifstream in(path);
        std::string line;
        while (std::getline(in, line)) {
            if (line.rfind(name + " ", 0) != 0) keep.push_back(line);
        }
    }
    keep.insert(keep.end(), lines.begin(), lines.end());
    std::ofstream out(path, std::ios::trunc);
    for (const std::string& l : keep) out << l << '\n';
}

class golden_extract : public in_test_dir {
   protected:
    void TearDown() override { log_on_flg = 0; }

    // Runs extract on `wave` with `opts`, output folder "out", and checks
    // the digest of every file written (plus the log when with_log); once
    // on one thread and once with the frames made ahead on a worker.
    void check(const std::string& name, const std::string& wave, const cli_args& opts, bool with_log) {
        for (const char* threads : {"1", "2"}) {
            SCOPED_TRACE(std::string("--threads ") + threads);
            std::filesystem::remove_all("out");
            std::filesystem::remove("Err_Log.Lst");
            check_once(name, wave, opts, with_log, threads);
            if (HasFailure() || IsSkipped()) return;
        }
    }

    void check_once(const std::string& name, const std::string& wave, const cli_args& opts, bool with_log,
                    const char* threads) {
        write_file_bytes("in.wav", wave);
        cli_args args = {"extract", "in.wav", "--out", "out", "--threads", threads};
        args.insert(args.end(), opts.begin(), opts.end());
        testing::internal::CaptureStdout();
        const int status = cli_main(args);
        testing::internal::GetCapturedStdout();
        ASSERT_EQ(status, 0);

        std::map<std::string, std::string> files;  // sorted by name
        for (const auto& e : std::filesystem::directory_iterator("out"))
            files[e.path().filename().string()] = read_file_bytes(e.path());
        if (with_log) files["Err_Log.Lst"] = read_file_bytes("Err_Log.Lst");
        std::vector<std::string> lines;
        for (const auto& [file, bytes] : files) lines.push_back(table_line(name, file, bytes));

        if (const char* rec = std::getenv("TW_GOLDEN_RECORD"); rec != nullptr && *rec != '\0') {
            record_lines(rec, name, lines);
            GTEST_SKIP() << "recorded " << lines.size() << " lines of " << name << " into " << rec;
        }
        const std::vector<std::string> want = stored_lines(name);
        ASSERT_FALSE(want.empty()) << "no golden lines for " << name;
        EXPECT_EQ(lines.size(), want.size());
        const std::set<std::string> want_set(want.begin(), want.end());
        for (const std::string& l : lines) EXPECT_TRUE(want_set.count(l) == 1) << "differs: " << l;
    }
};

TEST_F(golden_extract, AFourVoiceMixGivesTheRecordedPartsMixAndTable) {
    check("quartet", golden_mix_wave(5.0), {}, false);
}

TEST_F(golden_extract, ARangeWithFewPartsAndALowerSimilarityGivesTheRecordedFiles) {
    // Fewer part slots than voices: later onsets fall on the known parts.
    check("range", golden_mix_wave(5.0),
          {"--start", "30000", "--end", "190000", "--part-max", "3", "--sim-snd", "2000"}, false);
}

TEST_F(golden_extract, AHigherMinimumVolumeGivesTheRecordedFiles) {
    // Parts fall silent and attack again more often.
    check("loud_only", golden_mix_wave(5.0), {"--min-vol", "40000"}, false);
}

TEST_F(golden_extract, TheDiagnosticLogOfAShortRunIsTheRecordedOne) {
    // The trace lines print the rates, volumes and matrices of every update.
    check("traced", golden_mix_wave(2.5), {"--log"}, true);
}

}  // namespace
