// Runs the built tonewarp-cli in a fresh directory per test.

#include <sys/wait.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "tests/support/test_dir.h"
#include "tests/support/wave_bytes.h"

namespace {

const char* const bad_file_line = "読み込んだファイルが不正です!!　　\n";

struct cli_result {
    int status = -1;
    std::string out, err;
    int err_lines() const { return static_cast<int>(std::count(err.begin(), err.end(), '\n')); }
};

class cli : public in_test_dir {
   protected:
    // Output is captured in a subfolder, away from the files the tool handles.
    cli_result run(const std::string& args) {
        std::filesystem::create_directories(io_);
        const std::string cmd = std::string("'") + TW_CLI_PATH + "' " + args + " >" + (io_ / "out").string() +
                                " 2>" + (io_ / "err").string();
        const int w = std::system(cmd.c_str());
        return {WIFEXITED(w) ? WEXITSTATUS(w) : -1, read_file_bytes(io_ / "out"),
                read_file_bytes(io_ / "err")};
    }
    std::filesystem::path io_ = dir_.path() / "io";
};

}  // namespace

TEST_F(cli, prints_version_and_help_without_touching_any_file) {
    write_file_bytes("Err_Log.Lst", "old log");
    cli_result r = run("--version");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Tonewarp Version 1.03\n");
    r = run("--help");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("cancel IN OUT"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists("Err_Log.Lst"));
    EXPECT_FALSE(std::filesystem::exists("Tonewarp.Inf"));
}

TEST_F(cli, help_documents_every_command_option_output_file_and_exit_status) {
    const std::string help = run("--help").out;
    auto documented = [&](const std::string& what) { return help.find(what) != std::string::npos; };
    for (const char* what : {"info FILE", "cancel IN OUT", "convert IN OUT", "extract FILE...", "--version",
                             "FLAC", "MP3", "Ogg", "AIFF", "mono is copied", "more than two channels",
                             "x * 32768 rounded", "held at -32768 ... 32767", "sample rate is kept"})
        EXPECT_TRUE(documented(what)) << what;
    for (const char* opt :
         {"--start FRAME", "--end FRAME", "--out DIR", "--part-max N", "--min-vol V", "--sim-snd V", "--log",
          "--threads N", "--jobs N"})
        EXPECT_TRUE(documented(std::string("\n  ") + opt)) << opt;
    EXPECT_TRUE(documented("--name=VALUE"));
    for (const char* file :
         {"mix.wav", "PART.wav", "Total_Diff.wav", "parts.tsv", "Tonewarp.Inf", "Err_Log.Lst"})
        EXPECT_TRUE(documented(file)) << file;
    for (const char* status : {"  0  success", "  1  a file", "  2  rejected", "  3  an engine failure",
                               "highest of the files' statuses"})
        EXPECT_TRUE(documented(status)) << status;
    // Every line fits a terminal of 80 columns.
    std::istringstream in(help);
    for (std::string line; std::getline(in, line);) {
        EXPECT_LE(line.size(), 80u) << line;
    }
}

TEST_F(cli, refuses_usage_errors_with_status_2_and_one_line) {
    for (const char* args : {"", "bogus", "info", "info a.wav b.wav", "cancel a.wav", "--verbose",
                             "extract a.wav b.wav --jobs -1", "extract a.wav --threads 0"}) {
        const cli_result r = run(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_EQ(r.out, "") << args;
        EXPECT_EQ(r.err_lines(), 1) << args << ": " << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists("Tonewarp.Inf"));
}

TEST_F(cli, info_starts_like_the_application_and_prints_the_header_as_held) {
    write_file_bytes("Err_Log.Lst", "old log");
    wave_spec w;
    w.channels = 1;
    w.rate = 22050;
    w.data = pattern_samples(500);  // D = 1000
    write_file_bytes("m.wav", make_wave_bytes(w));
    cli_result r = run("info m.wav");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(
        r.out,
        "riff_tag=RIFF\nriff_size=2036\nform_type=WAVE\nfmt_tag=fmt \nfmt_len=16\nformat_tag=1\n"
        "channels=2\nsamples_per_sec=22050\navg_bytes_per_sec=88200\nblock_align=4\nbits_per_sample=16\n"
        "data_tag=data\ndata_len=2000\nframes=500\nrejected=0\n");
    EXPECT_FALSE(std::filesystem::exists("Err_Log.Lst"));
    EXPECT_EQ(read_file_bytes("Tonewarp.Inf").size(), 240u);

    std::string odd = stereo_wave("");  // tag bytes that are not text are escaped
    odd[1] = '\x01';
    odd[38] = '\xE9';
    write_file_bytes("odd.wav", odd);
    r = run("info odd.wav");
    EXPECT_NE(r.out.find("riff_tag=R\\x01FF\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("data_tag=da\\xE9a\n"), std::string::npos) << r.out;

    // The data chunk is found past a "LIST" chunk before it.
    w.extra_chunk = std::string("LIST\x04\0\0\0INFO", 12);
    write_file_bytes("list.wav", make_wave_bytes(w));
    r = run("info list.wav");
    EXPECT_NE(r.out.find("data_tag=data\ndata_len=2000\nframes=500\n"), std::string::npos) << r.out;
    w.extra_chunk.clear();

    w.bits = 8;
    write_file_bytes("b8.wav", make_wave_bytes(w));
    r = run("info b8.wav");
    EXPECT_EQ(r.status, 2);  // File Open refuses it, also though extract reads it
    // Then what libsndfile reads in it and the header its conversion gives:
    // mono 8-bit at 22050 Hz becomes 16-bit stereo at 22050 Hz.
    EXPECT_EQ(
        r.out,
        "riff_tag=NG_F\nriff_size=46\nform_type=WAVE\nfmt_tag=fmt \nfmt_len=18\nformat_tag=1\nchannels=2\n"
        "samples_per_sec=44100\navg_bytes_per_sec=176400\nblock_align=4\nbits_per_sample=16\n"
        "data_tag=data\ndata_len=2048\nframes=512\nrejected=1\n"
        "source_format=WAV (Microsoft)\nsource_encoding=Unsigned 8 bit PCM\nsource_channels=1\n"
        "source_samples_per_sec=22050\nsource_frames=1000\nsource_seconds=0.045\nconvertible=1\n"
        "conv_riff_tag=RIFF\nconv_riff_size=4036\nconv_form_type=WAVE\nconv_fmt_tag=fmt \nconv_fmt_len=16\n"
        "conv_format_tag=1\nconv_channels=2\nconv_samples_per_sec=22050\nconv_avg_bytes_per_sec=88200\n"
        "conv_block_align=4\nconv_bits_per_sample=16\nconv_data_tag=data\nconv_data_len=4000\n"
        "conv_frames=1000\n");
    EXPECT_EQ(r.err, bad_file_line);

    // Neither reader takes it: nothing past rejected=1 but convertible=0.
    write_file_bytes("junk.wav", "neither a WAVE file nor any recording");
    r = run("info junk.wav");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out.substr(r.out.find("rejected=")), "rejected=1\nconvertible=0\n");
}

TEST_F(cli, exits_1_naming_the_file_it_cannot_open_or_write) {
    write_file_bytes("in.wav", stereo_wave(sample_bytes({1, 2})));
    std::filesystem::create_directory("folder");
    const char* const cases[][3] = {
        {"info missing.wav", "missing.wav", "No such file or directory"},
        {"info folder", "folder", "Is a directory"},
        {"cancel in.wav folder", "folder", "Is a directory"},
        {"cancel in.wav no/such/out.wav", "no/such/out.wav", "No such file or directory"},
    };
    for (const auto& c : cases) {
        const cli_result r = run(c[0]);
        EXPECT_EQ(r.status, 1) << c[0];
        EXPECT_EQ(r.err_lines(), 1) << c[0];
        EXPECT_NE(r.err.find(c[1]), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(c[2]), std::string::npos) << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists("out.wav"));
}

TEST_F(cli, cancel_saves_the_wrapped_channel_difference_and_refuses_a_rejected_input) {
    const std::string in = stereo_wave(sample_bytes({32767, -32768, 1000, 250, -5, 7}));
    write_file_bytes("in.wav", in);
    write_file_bytes("out.wav", "an older file");
    cli_result r = run("cancel in.wav out.wav");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(read_file_bytes("out.wav"), stereo_wave(sample_bytes({-1, -1, 750, 750, -12, -12})));
    EXPECT_EQ(read_file_bytes("in.wav"), in);

    wave_spec bad;
    bad.fmt_len = 145;
    write_file_bytes("bad.wav", make_wave_bytes(bad));
    r = run("cancel bad.wav out2.wav");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, bad_file_line);
    EXPECT_FALSE(std::filesystem::exists("out2.wav"));
}
