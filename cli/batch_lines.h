// The summary lines of `tonewarp-cli extract` with several files.
#pragma once

#include <cstddef>
#include <string>

#include "cli/cli_extract_one.h"

// A file's line, written as soon as the file is done (with its line end):
//   FILE: ok -> DIR: parts: N (episodes: E) + Total_Diff., audio X s, wall time Y s[, held samples H]
//   FILE: status S (reason)[ -> DIR: ...]
std::string batch_line(const std::string& file, const std::string& dir, const extract_result& r);

// The closing line: "N files: K ok, F failed; exit status S".
std::string batch_total_line(std::size_t files, int ok, int status);
