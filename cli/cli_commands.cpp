// Command table and dispatch of tonewarp-cli.

#include "cli/cli_commands.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "cli/cli_common.h"

const cli_command cli_command_table[] = {
    {"info", "FILE", "print FILE's header as held after reading, key=value lines", 1, cli_info},
    {"cancel", "IN OUT", "centre cancel: both channels of OUT = IN's left minus right", 2, cli_cancel},
    {"convert", "IN OUT", "IN (any format below) as the 16-bit stereo WAVE OUT", 2, cli_convert},
    {"extract", "FILE... [OPTIONS]", "extract the parts of every FILE, each into its own folder", -1,
     cli_extract},
    {nullptr, nullptr, nullptr, 0, nullptr},
};

namespace {

void print_help() {
    std::printf("Usage: %s COMMAND ARGUMENTS...\n", cli_name);
    std::printf("       %s --help | --version\n\nCommands:\n", cli_name);
    for (const cli_command* c = cli_command_table; c->name != nullptr; ++c) {
        const std::string head = std::string(c->name) + " " + c->usage;
        if (head.size() <= 18) {
            std::printf("  %-18s %s\n", head.c_str(), c->summary);
        } else {
            std::printf("  %s\n  %-18s %s\n", head.c_str(), "", c->summary);  // a long usage on its own line
        }
    }
    std::fputs(
        "\n"
        "Options of extract (also written --name=VALUE):\n"
        "  --start FRAME   first frame of the range (default 0); frames count at the\n"
        "                  recording's own sample rate\n"
        "  --end FRAME     last frame of the range (default the recording's last frame)\n"
        "                  Both are clamped to each recording; a range whose start is\n"
        "                  not before its end is refused with status 2.\n"
        "  --out DIR       one FILE: the folder for its results (default: FILE's base\n"
        "                  name + _parts, in the current directory); several FILEs: the\n"
        "                  folder in which each FILE gets its own BASE_parts folder\n"
        "  --part-max N    most parts to register, 1 to 256\n"
        "  --min-vol V     minimum-volume recognition parameter, 500 to 999999999\n"
        "  --sim-snd V     similar-sound judgement parameter, 500 to 999999999\n"
        "  --log           write the engine's trace lines to Err_Log.Lst\n"
        "  --threads N     threads of each file's engine run, N >= 1: 1 runs it on\n"
        "                  one thread, 2 adds a worker that computes frames ahead;\n"
        "                  more than 2 runs as 2 (one worker). Default: 2 when the\n"
        "                  machine has at least two cores, else 1. Results are the\n"
        "                  same either way.\n"
        "  --jobs N        several FILEs: extract up to N of them at the same time,\n"
        "                  each in a process of its own (0: one per core; default 1).\n"
        "                  Every folder gets the same files as with --jobs 1, the\n"
        "                  summary lines come as files finish, the log holds each\n"
        "                  file's lines in the order of the FILEs.\n"
        "The three parameters default to the values in Tonewarp.Inf (8, 5000, 3000\n"
        "unless changed in the application). They are read like the fields of the\n"
        "extraction parameter dialog, hold for this call only and are never saved.\n"
        "\n"
        "Recordings extract and convert read:\n"
        "  A 16-bit WAVE file of one or two channels that the application opens is\n"
        "  read exactly as the application reads it. Any other recording libsndfile\n"
        "  reads (FLAC, Ogg Vorbis and Opus, MP3, AIFF, WAVE of 8, 24 or 32 bits or\n"
        "  of floats, and more) becomes what reading its conversion to a 16-bit\n"
        "  stereo WAVE file at the same sample rate would give:\n"
        "  - mono is copied to both channels, as the application widens mono;\n"
        "  - more than two channels: the file is refused with status 2;\n"
        "  - each sample x (full scale 1.0) becomes x * 32768 rounded to the nearest\n"
        "    integer, halves away from zero, held at -32768 ... 32767, no dither:\n"
        "    24-bit v becomes v / 256 and 32-bit v becomes v / 65536 (rounded),\n"
        "    float -1.0 becomes -32768 and float 1.0 is held at 32767;\n"
        "  - the sample rate is kept, and the part files carry it;\n"
        "  - the summary says how many samples were held, when any was.\n"
        "  The same file therefore always gives the same parts. convert writes that\n"
        "  16-bit stereo file: the way to look at such a recording in the window.\n"
        "info and cancel read only what the application reads; for a file it\n"
        "refuses, info adds what libsndfile reads in it (source_*) and, when\n"
        "convertible=1, the header a conversion gives (conv_*); it still exits 2.\n"
        "\n"
        "Files extract writes into a FILE's folder (existing ones are replaced):\n"
        "  mix.wav         every part mixed over the range, the residual included:\n"
        "                  the recording as rebuilt from its parts\n"
        "  PART.wav        each part alone over the range, named after the part:\n"
        "                  Part_001.wav, Part_002.wav, ... and Total_Diff.wav, what the\n"
        "                  parts leave over; characters other than letters, digits, _\n"
        "                  and - become _\n"
        "  parts.tsv       a header line, then a line per sounding episode of a part:\n"
        "                  part number, name, record, start frame left and right,\n"
        "                  length in frames left and right (frames of the recording)\n"
        "Summary on standard output: for one FILE the parts found, the length of the\n"
        "range and the time taken; for several FILEs a line per file as it is done,\n"
        "then a total. A progress bar is drawn on standard error when it is a terminal\n"
        "(with --jobs, one line per file being extracted).\n"
        "\n"
        "Every command reads and may create Tonewarp.Inf and deletes Err_Log.Lst in the\n"
        "current directory, as the application does at start.\n"
        "\n"
        "Exit status:\n"
        "  0  success\n"
        "  1  a file could not be opened, read or written\n"
        "  2  rejected or invalid input, usage errors included\n"
        "  3  an engine failure ended an extraction early (its files are still written)\n"
        "With several FILEs every file is tried, also after one fails, and the status\n"
        "is the highest of the files' statuses: 0 only when every file succeeded.\n",
        stdout);
}

}  // namespace

int cli_main(const cli_args& argv) {
    if (argv.empty()) {
        cli_print_usage_error("no command given");
        return cli_exit_bad;
    }
    const std::string& cmd = argv[0];
    // --help and --version only print: no settings file, no log touched.
    if (cmd == "--help" || cmd == "-h") {
        print_help();
        return cli_exit_ok;
    }
    if (cmd == "--version") {
        std::printf("%s\n", cli_version_line);
        return cli_exit_ok;
    }
    for (const cli_command* c = cli_command_table; c->name != nullptr; ++c) {
        if (cmd != c->name) continue;
        const cli_args args(argv.begin() + 1, argv.end());
        if (c->arg_cnt >= 0 && static_cast<int>(args.size()) != c->arg_cnt) {
            cli_print_usage_error(std::string("usage: ") + cli_name + " " + c->name + " " + c->usage);
            return cli_exit_bad;
        }
        return c->run(args);
    }
    cli_print_usage_error("unknown command '" + cmd + "'");
    return cli_exit_bad;
}
