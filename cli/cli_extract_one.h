// One recording of `tonewarp-cli extract`, from reading it to the files in
// its output folder.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "cli/cli_extract_opts.h"
#include "cli/cli_progress.h"

// What became of one file: its exit status and, when the engine ran, what
// the summary reports.
struct extract_result {
    int status = 0;         // cli_exit_ok, _io, _bad or _engine
    bool ran = false;       // the engine ran (the files may still have failed to write)
    int parts = 0;          // parts found, the residual "Total_Diff." not counted
    long episodes = 0;      // their episodes (info records)
    bool residual = false;  // "Total_Diff." was added
    int frames = 0;         // the range's length in frames
    int first = 0;          // and its first frame
    double audio_s = 0.0;   // the range's length in seconds at the file's rate
    double wall_s = 0.0;    // time the run took
    bool converted = false;  // the recording was decoded by libsndfile
    std::string source;      // then: its container, encoding, channels and rate
    std::int64_t held = 0;   // and its samples held at -32768 or 32767
};

// Reads file (cli_read_recording), extracts over the range the options give (clamped to this
// recording) and writes mix.wav, one WAVE per part and parts.tsv into dir,
// creating it. Every problem is reported on stderr as it happens. The
// settings block must already be loaded and overridden; progress is told
// how the engine run advances. The run uses engine_threads(o) threads.
extract_result extract_one(const std::string& file, const std::filesystem::path& dir, const extract_opts& o,
                           extract_progress& progress);
