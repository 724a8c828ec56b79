// tonewarp-cli: the core of Tone_Warp Extractor without a window.

#include "cli/cli_commands.h"

int main(int argc, char** argv) {
    cli_args args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    return cli_main(args);
}
