// What every command of tonewarp-cli shares: start-up, exit codes, opening
// and saving recordings, and the one-line error reports on stderr.
#pragma once

#include <string>
#include <vector>

#include "document/tonewarp_doc.h"

// Exit statuses.
inline constexpr int cli_exit_ok = 0;
inline constexpr int cli_exit_io = 1;   // a file could not be opened, read or written
inline constexpr int cli_exit_bad = 2;  // rejected or invalid input, usage errors included
inline constexpr int cli_exit_engine = 3;  // an engine failure ended an extraction early

inline constexpr const char* cli_name = "tonewarp-cli";
inline constexpr const char* cli_version_line = "Tonewarp Version 1.03";

// Starts like the application: loads and validates the settings block from
// "Tonewarp.Inf" in the current directory (creating it when missing),
// switches the diagnostic log off and deletes the old log, takes the heap.
void cli_start();

// Where a file name given relative is looked up: the current directory, or
// the folder set here (a child of `extract --jobs` works in a folder of its
// own, for its diagnostic log, and names files as they were given). Every
// message shows the name as given.
void cli_set_name_base(const std::string& folder);
std::string cli_path(const std::string& name);

// One line on stderr: the text as given.
void cli_print_error(const std::string& line);
// One line on stderr naming the file and the system's reason for errno e.
void cli_print_file_error(const std::string& path, int e);
// One line on stderr for a usage error.
void cli_print_usage_error(const std::string& what);

// Reads path as File Open does. cli_exit_ok, cli_exit_io (reported), or
// cli_exit_bad when the file was read but rejected (not reported: the
// caller may still print what the document holds, then report_bad_file).
int cli_open_document(CTonewarpDoc& doc, const std::string& path);
void cli_report_bad_file();

// The range the view uses when no mark is set: every frame.
void cli_set_range_no_marks(CTonewarpDoc& doc);

// Writes the document's range as Save does. cli_exit_ok or cli_exit_io (reported).
int cli_save_document(CTonewarpDoc& doc, const std::string& path);
