// The commands of tonewarp-cli. Each takes the arguments after its name and
// returns the exit status; each starts like the application (cli_start).
#pragma once

#include <string>
#include <vector>

using cli_args = std::vector<std::string>;

struct cli_command {
    const char* name;
    const char* usage;  // arguments, for the help text
    const char* summary;
    int arg_cnt;  // exact number of arguments; -1: the command checks them itself
    int (*run)(const cli_args& args);
};

// Every command, in the order the help lists them; ends with a null name.
extern const cli_command cli_command_table[];

// info FILE: the header as held after reading, key=value lines.
int cli_info(const cli_args& args);
// cancel IN OUT: centre cancel of IN, saved as OUT.
int cli_cancel(const cli_args& args);
// convert IN OUT: IN read as extract reads it, saved as the 16-bit stereo
// WAVE file the application opens.
int cli_convert(const cli_args& args);
// extract FILE [options]: a whole extraction run; the mix, every part and a
// table of the parts' episodes written into a folder.
int cli_extract(const cli_args& args);

// Runs a whole command line (argv without the program name).
int cli_main(const cli_args& argv);
