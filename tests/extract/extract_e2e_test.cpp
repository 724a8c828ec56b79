// End-to-end runs of the built tonewarp-cli extract on recordings made by
// sox (and espeak-ng where it is installed) inside each test's directory.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>

#include "extract_files.h"

namespace {

bool have(const char* tool) {
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// Sample-wise 16-bit wrapping sum of the data of the given files.
std::vector<std::int16_t> wrapped_sum(const std::vector<std::filesystem::path>& files) {
    std::vector<std::int16_t> sum;
    for (const auto& f : files) {
        const auto s = samples_of(wave_data(f));
        if (sum.empty()) sum.assign(s.size(), 0);
        EXPECT_EQ(s.size(), sum.size()) << f;
        for (std::size_t i = 0; i < s.size() && i < sum.size(); ++i) {
            sum[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>(sum[i]) +
                                               static_cast<std::uint16_t>(s[i]));
        }
    }
    return sum;
}

class extract_e2e : public in_test_dir {
   protected:
    void SetUp() override {
        if (!have("sox")) GTEST_SKIP() << "sox is not installed";
    }

    int extract(const std::string& args) {
        const std::string cmd = std::string("'") + TW_CLI_PATH + "' extract " + args + " >out.txt 2>err.txt";
        const int w = std::system(cmd.c_str());
        return WIFEXITED(w) ? WEXITSTATUS(w) : -1;
    }

    // Every part file of a run, in the table's part order.
    static std::vector<std::filesystem::path> part_files(const std::filesystem::path& dir) {
        std::vector<std::filesystem::path> files;
        int last = 0;
        for (const auto& r : read_parts_tsv(dir / "parts.tsv")) {
            if (r.part == last) continue;
            last = r.part;
            std::string stem = r.name;
            while (!stem.empty() && stem.back() == '.') stem.pop_back();
            files.push_back(dir / (stem + ".wav"));
        }
        return files;
    }

    // Two instruments: a soft 440 Hz tone from 0.5 s and a brighter square wave from 2 s.
    void make_two_instruments() {
        ASSERT_TRUE(run_sox("-n -r 44100 -b 16 -c 2 a.wav synth 3.5 sine 440 vol 0.3 pad 0.5 0"));
        ASSERT_TRUE(run_sox("-n -r 44100 -b 16 -c 2 b.wav synth 2 square 660 vol 0.2 pad 2 0"));
        ASSERT_TRUE(run_sox("-m a.wav b.wav duo.wav"));
    }
};

TEST_F(extract_e2e, TwoInstrumentsEnteringAtDifferentTimesBecomeTwoParts) {
    make_two_instruments();
    ASSERT_EQ(extract("duo.wav"), 0) << read_file_bytes("err.txt");
    const auto rows = read_parts_tsv("duo_parts/parts.tsv");
    ASSERT_GE(rows.size(), 3u);
    EXPECT_EQ(rows[0].name, "Part_001");
    EXPECT_EQ(rows[0].record, 0);
    EXPECT_NEAR(rows[0].stt_orgn_L, 22050, 2048);
    const auto second = std::find_if(rows.begin(), rows.end(), [](const tsv_row& r) { return r.part == 2; });
    ASSERT_NE(second, rows.end());
    EXPECT_EQ(second->name, "Part_002");
    EXPECT_EQ(second->record, 0);
    EXPECT_NEAR(second->stt_orgn_L, 88200, 2048);
    EXPECT_EQ(rows.back().name, "Total_Diff.");
}

TEST_F(extract_e2e, WithEveryPartInTheMixTheRecordingComesBackByteForByte) {
    make_two_instruments();
    ASSERT_EQ(extract("duo.wav"), 0);
    EXPECT_TRUE(wave_data("duo_parts/mix.wav") == wave_data("duo.wav"));
    // Saved with only itself in the mix, every part adds up to the mix.
    EXPECT_TRUE(wrapped_sum(part_files("duo_parts")) == samples_of(wave_data("duo_parts/mix.wav")));
}

TEST_F(extract_e2e, ARangeInsideTheRecordingIsReproducedOverThatRange) {
    make_two_instruments();
    ASSERT_EQ(extract("duo.wav --start 60000 --end 120000 --out part"), 0);
    const std::string all = wave_data("duo.wav");
    EXPECT_TRUE(wave_data("part/mix.wav") == all.substr(4 * 60000, 4 * 60001));
    EXPECT_TRUE(wrapped_sum(part_files("part")) == samples_of(wave_data("part/mix.wav")));
    for (const auto& r : read_parts_tsv("part/parts.tsv")) EXPECT_GE(r.stt_orgn_L, 60000) << r.name;
}

TEST_F(extract_e2e, SilenceGivesTheResidualPartAlone) {
    ASSERT_TRUE(run_sox("-n -r 44100 -b 16 -c 2 quiet.wav trim 0 1.5"));
    ASSERT_EQ(extract("quiet.wav"), 0);
    const auto rows = read_parts_tsv("quiet_parts/parts.tsv");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].name, "Total_Diff.");
    EXPECT_EQ(rows[0].data_cnt_L, 66150);
    EXPECT_TRUE(std::filesystem::exists("quiet_parts/Total_Diff.wav"));
    EXPECT_TRUE(wave_data("quiet_parts/mix.wav") == wave_data("quiet.wav"));
    EXPECT_NE(read_file_bytes("out.txt").find("parts: 0 (episodes: 0) + Total_Diff."), std::string::npos);
}

TEST_F(extract_e2e, TwoRunsWriteIdenticalFiles) {
    ASSERT_TRUE(run_sox("-n -r 44100 -b 16 -c 2 p.wav synth 3 pluck 196 pluck 247 vol 0.6"));
    ASSERT_EQ(extract("p.wav --out one"), 0);
    ASSERT_EQ(extract("p.wav --out two"), 0);
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator("one"))
        names.push_back(e.path().filename().string());
    ASSERT_GE(names.size(), 3u);
    for (const auto& n : names) EXPECT_TRUE(read_file_bytes("one/" + n) == read_file_bytes("two/" + n)) << n;
}

TEST_F(extract_e2e, ASpokenPhraseOverAToneStillAddsUpExactly) {
    if (!have("espeak-ng")) GTEST_SKIP() << "espeak-ng is not installed";
    ASSERT_EQ(
        std::system(
            "espeak-ng -w voice_raw.wav \"the quick brown fox jumps over the lazy dog\" >/dev/null 2>&1"),
        0);
    ASSERT_TRUE(run_sox("voice_raw.wav -r 44100 -b 16 -c 2 voice.wav pad 1 0 vol 0.8"));
    ASSERT_TRUE(run_sox("-n -r 44100 -b 16 -c 2 hum.wav synth 4 sine 110 vol 0.1"));
    ASSERT_TRUE(run_sox("-m -v 1 voice.wav -v 1 hum.wav speech.wav trim 0 4"));
    ASSERT_EQ(extract("speech.wav"), 0) << read_file_bytes("err.txt");
    const auto rows = read_parts_tsv("speech_parts/parts.tsv");
    EXPECT_GE(rows.size(), 2u);
    EXPECT_TRUE(wave_data("speech_parts/mix.wav") == wave_data("speech.wav"));
    EXPECT_TRUE(wrapped_sum(part_files("speech_parts")) == samples_of(wave_data("speech_parts/mix.wav")));
}

}  // namespace
