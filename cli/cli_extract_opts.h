// Command line of `tonewarp-cli extract` and the range it selects.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/cli_commands.h"

struct extract_opts {
    std::vector<std::string> files;  // in the order given; at least one after parsing
    std::optional<long long> start;  // frame index as given
    std::optional<long long> end;
    std::string out_dir;                  // as given; see out_dir_for
    std::optional<std::string> part_max;  // texts as typed, read like the dialog's fields
    std::optional<std::string> min_vol;
    std::optional<std::string> sim_snd;
    bool log = false;
    std::optional<long long> threads;  // --threads N, N >= 1
    long long jobs = 1;                // --jobs N, N >= 0 (0: one per core)
};

// Parses the arguments after "extract". Returns an empty string, or the
// usage problem to report.
std::string parse_extract_opts(const cli_args& args, extract_opts& o);

// Threads of each engine run: 1 runs it on the calling thread alone, 2 adds
// the worker that makes frames ahead. --threads N gives N, any N above 2
// running as 2 (the run has one worker); without it 2 when the machine has
// at least two cores, else 1. cores: std::thread::hardware_concurrency(),
// 0 when unknown.
int engine_threads(const extract_opts& o, unsigned cores);
int engine_threads(const extract_opts& o);

// Files extracted at the same time: --jobs N, 0 meaning one per core (1
// when the count is unknown), never more than there are files.
int batch_jobs(const extract_opts& o, unsigned cores);

// Applies --part-max, --min-vol and --sim-snd to the settings block in the
// extraction parameter dialog's order, reading and testing each as that
// dialog does. Returns null, or the first failing field's message.
const char* apply_param_overrides(const extract_opts& o);

// The range the start and end marks would give: a missing start is frame 0,
// a missing end the last frame; given values are first clamped to the
// recording. false when both were given and the start is not below the end.
bool extract_range(const extract_opts& o, int frame_cnt, int& first, int& last);

// Default output folder: FILE's base name without its extension + "_parts".
std::string default_out_dir(const std::string& file);

// The folder a file's results go into. One FILE: --out DIR itself, or the
// default folder in the current directory. Several FILEs: each file's
// default folder, inside DIR when --out was given.
std::string out_dir_for(const extract_opts& o, const std::string& file);

// Several FILEs must not share an output folder (two files of one base name,
// or one file given twice): the later would overwrite the earlier's results.
// Returns an empty string, or the usage problem naming the folder.
std::string check_out_dirs(const extract_opts& o);

// The exit status of a batch: the highest of the files' statuses, so 0 only
// when every file succeeded.
int batch_status(const std::vector<int>& statuses);

// File name of a part's WAVE: its name without trailing dots, every
// character other than ASCII letters, digits, '_' and '-' replaced by '_'.
std::string part_file_stem(const std::string& utf8_name);

inline constexpr const char* bad_range_msg = "抽出範囲の指定が不正です!!　";
