// End-to-end runs of the built tonewarp-cli extract on recordings made by
// sox (and espeak-ng, lame where installed) inside each test's directory.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>

#include "extract_files.h"

namespace {

bool have(const char* tool) {
    return std::system((std::string("command -v ") + tool + " >/dev/null").c_str()) == 0;
}

// The built tool with args; its output goes to out.txt and err.txt.
int cli(const std::string& args) {
    const int w = std::system((std::string("'") + TW_CLI_PATH + "' " + args + " >out.txt 2>err.txt").c_str());
    return WIFEXITED(w) ? WEXITSTATUS(w) : -1;
}

int extract(const std::string& args) { return cli("extract " + args); }

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

// The same 3-second mix of two instruments, as a 16-bit WAVE file: a soft
// tone from 0.5 s, a brighter square wave from 1.5 s.
void make_mix(const std::string& rate_args, const std::string& out) {
    ASSERT_TRUE(run_sox("-n " + rate_args + " -b 16 -c 2 a.wav synth 2.5 sine 440 vol 0.3 pad 0.5 0"));
    ASSERT_TRUE(run_sox("-n " + rate_args + " -b 16 -c 2 b.wav synth 1.5 square 660 vol 0.2 pad 1.5 0"));
    ASSERT_TRUE(run_sox("-m a.wav b.wav " + out));
}

// Extracts file into dir and converts it into dir.in.wav: the mix must be
// that converted input, and the parts must add up to the mix.
void expect_mix_is_the_converted_input(const std::string& file, const std::string& dir) {
    ASSERT_EQ(extract(file + " --out " + dir), 0) << file << ": " << read_file_bytes("err.txt");
    ASSERT_EQ(cli("convert " + file + " " + dir + ".in.wav"), 0) << file << ": " << read_file_bytes("err.txt");
    EXPECT_GE(read_parts_tsv(dir + "/parts.tsv").size(), 3u) << file;
    EXPECT_TRUE(wave_data(dir + "/mix.wav") == wave_data(dir + ".in.wav")) << file;
    EXPECT_TRUE(parts_add_up_to_the_mix(dir)) << file;
}

TEST_F(extract_e2e, EveryFormatOfOneMixGivesThePartsOfItsSixteenBitConversion) {
    ASSERT_NO_FATAL_FAILURE(make_mix("-r 44100", "mix.wav"));
    ASSERT_EQ(extract("mix.wav --out wav16"), 0);
    const auto want = folder_files("wav16");
    // Lossless: their samples convert back to the 16-bit ones, so every
    // file written is the 16-bit version's, byte for byte.
    const char* const lossless[][2] = {
        {"mix24.wav", "-b 24"}, {"mixf.wav", "-e floating-point -b 32"}, {"mix.flac", ""}, {"mix.aiff", ""}};
    for (const auto& [file, sox_args] : lossless) {
        const std::string dir = std::string("d_") + file;
        ASSERT_TRUE(run_sox(std::string("mix.wav ") + sox_args + " " + file)) << file;
        expect_mix_is_the_converted_input(file, dir);
        ASSERT_TRUE(wave_data(dir + ".in.wav") == wave_data("mix.wav")) << file;
        EXPECT_TRUE(folder_files(dir) == want) << file;
    }
    ASSERT_TRUE(run_sox("mix.wav mix.ogg"));
    expect_mix_is_the_converted_input("mix.ogg", "d_ogg");
}

TEST_F(extract_e2e, AnMp3GivesAMixThatIsItsConvertedInput) {
    ASSERT_NO_FATAL_FAILURE(make_mix("-r 44100", "mix.wav"));
    // This sox may lack an MP3 writer; lame is the other way to make one.
    if (!run_sox("mix.wav mix.mp3")) {
        if (!have("lame")) GTEST_SKIP() << "MP3 left out: neither sox nor lame writes MP3 files here";
        ASSERT_EQ(std::system("lame --quiet mix.wav mix.mp3"), 0);
    }
    expect_mix_is_the_converted_input("mix.mp3", "d_mp3");
}

TEST_F(extract_e2e, A48kHzRecordingKeepsItsRateAndSixChannelsAreRefused) {
    ASSERT_NO_FATAL_FAILURE(make_mix("-r 48000", "mix48.wav"));
    ASSERT_TRUE(run_sox("mix48.wav mix48.flac"));
    ASSERT_EQ(extract("mix48.flac"), 0) << read_file_bytes("err.txt");
    EXPECT_NE(read_file_bytes("out.txt").find("\naudio: 3.000 s (144000 frames from frame 0)\n"),
              std::string::npos);
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator("mix48_parts")) {
        if (e.path().extension() != ".wav") continue;
        const std::string b = read_file_bytes(e.path());
        EXPECT_EQ(std::pair(get_le(b, 24, 4), get_le(b, 28, 4)), std::pair(48000L, 192000L)) << e.path();
        ++files;
    }
    EXPECT_GE(files, 4);  // the mix, two parts, Total_Diff.

    ASSERT_TRUE(run_sox("-n -r 44100 -b 16 -c 6 six.flac synth 1 sine 440"));
    EXPECT_EQ(extract("six.flac"), 2);
    EXPECT_EQ(read_file_bytes("err.txt"),
              "tonewarp-cli: six.flac: 6 channels: extract and convert read mono and stereo recordings only\n");
    EXPECT_FALSE(std::filesystem::exists("six_parts"));
}

}  // namespace
