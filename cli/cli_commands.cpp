// Command table and dispatch of tonewarp-cli.

#include "cli/cli_commands.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "cli/cli_common.h"

const cli_command cli_command_table[] = {
    {"info", "FILE", "print the header of FILE as held after reading, as key=value lines", 1, cli_info},
    {"cancel", "IN OUT", "centre cancel: OUT gets left minus right of IN in both channels", 2, cli_cancel},
    {"extract",
     "FILE [--start FRAME] [--end FRAME] [--out DIR] [--part-max N] [--min-vol V] [--sim-snd V] [--log]",
     "extract the sound-source parts of FILE into DIR (default: FILE's base name + _parts):\n"
     "                     mix.wav, one WAVE file per part and parts.tsv, the parts' episodes",
     -1, cli_extract},
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
    std::printf(
        "\nEvery command reads and may create Tonewarp.Inf and deletes Err_Log.Lst in the current\n"
        "directory, as the application does at start.\n"
        "Exit status: 0 success; 1 a file could not be opened, read or written; 2 rejected or\n"
        "invalid input; 3 an engine failure ended an extraction early (its files are still written).\n");
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
