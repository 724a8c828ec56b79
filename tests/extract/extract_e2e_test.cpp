// End-to-end runs of the built tonewarp-cli extract on recordings made by
// sox (and espeak-ng where it is installed) inside each test's directory.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>

#include "extract_files.h"

namespace {

bool have(const char* tool) {
    return std::system((std::string("command -v ") + tool + " >/dev/null").c_str()) == 0;
}

int extract(const std::string& args) {
    const int w =
        std::system((std::string("'") + TW_CLI_PATH + "' extract " + args + " >out.txt 2>err.txt").c_str());
    return WIFEXITED(w) ? WEXITSTATUS(w) : -1;
}

// True when the 16-bit wrapping sum of every part file in dir is mix.wav.
bool parts_add_up_to_the_mix(const std::filesystem::path& dir) {
    const auto mix = samples_of(wave_data(dir / "mix.wav"));
    std::vector<std::int16_t> sum(mix.size(), 0);
    for (const auto& e : std::filesystem::directory_iterator(dir)) {
        if (e.path().extension() != ".wav" || e.path().filename() == "mix.wav") continue;
        const auto s = samples_of(wave_data(e.path()));
        if (s.size() != sum.size()) return false;
        for (std::size_t i = 0; i < s.size(); ++i) sum[i] = static_cast<std::int16_t>(sum[i] + s[i]);
    }
    return sum == mix;
}

class extract_e2e : public in_test_dir {
   protected:
    void SetUp() override {
        if (!have("sox")) GTEST_SKIP() << "sox is not installed";
    }
};

TEST_F(extract_e2e, TwoInstrumentsBecomeTwoPartsThatTogetherGiveBackTheRecording) {
    // A soft 440 Hz tone from 0.5 s, a brighter square wave from 2 s.
    ASSERT_TRUE(run_sox("-n -r 44100 -b 16 -c 2 a.wav synth 3.5 sine 440 vol 0.3 pad 0.5 0"));
    ASSERT_TRUE(run_sox("-n -r 44100 -b 16 -c 2 b.wav synth 2 square 660 vol 0.2 pad 2 0"));
    ASSERT_TRUE(run_sox("-m a.wav b.wav duo.wav"));
    ASSERT_EQ(extract("duo.wav"), 0) << read_file_bytes("err.txt");
    const auto rows = read_parts_tsv("duo_parts/parts.tsv");
    ASSERT_GE(rows.size(), 3u);
    EXPECT_EQ(std::tuple(rows[0].name, rows[0].record), std::tuple("Part_001", 0));
    EXPECT_NEAR(rows[0].stt_orgn_L, 22050, 2048);
    const auto second = std::find_if(rows.begin(), rows.end(), [](const tsv_row& r) { return r.part == 2; });
    ASSERT_NE(second, rows.end());
    EXPECT_EQ(std::tuple(second->name, second->record), std::tuple("Part_002", 0));
    EXPECT_NEAR(second->stt_orgn_L, 88200, 2048);
    EXPECT_EQ(rows.back().name, "Total_Diff.");
    EXPECT_TRUE(wave_data("duo_parts/mix.wav") == wave_data("duo.wav"));
    EXPECT_TRUE(parts_add_up_to_the_mix("duo_parts"));

    // A range inside the recording comes back over that range.
    ASSERT_EQ(extract("duo.wav --start 60000 --end 120000 --out part"), 0);
    EXPECT_TRUE(wave_data("part/mix.wav") == wave_data("duo.wav").substr(4 * 60000, 4 * 60001));
    EXPECT_TRUE(parts_add_up_to_the_mix("part"));
    for (const auto& r : read_parts_tsv("part/parts.tsv")) EXPECT_GE(r.stt_orgn_L, 60000) << r.name;
}

TEST_F(extract_e2e, SilenceGivesTheResidualPartAlone) {
    ASSERT_TRUE(run_sox("-n -r 44100 -b 16 -c 2 quiet.wav trim 0 1.5"));
    ASSERT_EQ(extract("quiet.wav"), 0);
    const auto rows = read_parts_tsv("quiet_parts/parts.tsv");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(std::tuple(rows[0].name, rows[0].data_cnt_L), std::tuple("Total_Diff.", 66150L));
    EXPECT_TRUE(wave_data("quiet_parts/Total_Diff.wav") == wave_data("quiet.wav"));
    EXPECT_EQ(read_file_bytes("out.txt").rfind("parts: 0 (episodes: 0) + Total_Diff.\n", 0), 0u);
}

TEST_F(extract_e2e, TwoRunsWriteIdenticalFiles) {
    ASSERT_TRUE(run_sox("-n -r 44100 -b 16 -c 2 p.wav synth 3 pluck 196 pluck 247 vol 0.6"));
    ASSERT_EQ(extract("p.wav --out one"), 0);
    ASSERT_EQ(extract("p.wav --out two"), 0);
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator("one")) {
        EXPECT_TRUE(read_file_bytes(e.path()) == read_file_bytes("two" / e.path().filename())) << e.path();
        ++files;
    }
    EXPECT_GE(files, 3);
}

TEST_F(extract_e2e, ASpokenPhraseOverAHumStillAddsUpExactly) {
    if (!have("espeak-ng")) GTEST_SKIP() << "espeak-ng is not installed";
    ASSERT_EQ(std::system("espeak-ng -w voice_raw.wav \"the quick brown fox jumps over the lazy dog\""), 0);
    ASSERT_TRUE(run_sox("voice_raw.wav -r 44100 -b 16 -c 2 voice.wav pad 1 0 vol 0.8"));
    ASSERT_TRUE(run_sox("-n -r 44100 -b 16 -c 2 hum.wav synth 4 sine 110 vol 0.1"));
    ASSERT_TRUE(run_sox("-m -v 1 voice.wav -v 1 hum.wav speech.wav trim 0 4"));
    ASSERT_EQ(extract("speech.wav"), 0) << read_file_bytes("err.txt");
    EXPECT_GE(read_parts_tsv("speech_parts/parts.tsv").size(), 2u);
    EXPECT_TRUE(wave_data("speech_parts/mix.wav") == wave_data("speech.wav"));
    EXPECT_TRUE(parts_add_up_to_the_mix("speech_parts"));
}

}  // namespace
