#include "cli/cli_common.h"

#include <cstdio>
#include <cstring>

#include "app/sys_param.h"
#include "document/wave_file_io.h"

void cli_start() { load_sys_param(); }

namespace {

std::string name_base;  // empty: the current directory

}  // namespace

void cli_set_name_base(const std::string& folder) { name_base = folder; }

std::string cli_path(const std::string& name) {
    if (name_base.empty() || name.empty() || name[0] == '/') return name;
    return name_base + "/" + name;
}

void cli_print_error(const std::string& line) {
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
}

void cli_print_file_error(const std::string& path, int e) {
    cli_print_error(std::string(cli_name) + ": " + path + ": " + std::strerror(e));
}

void cli_print_usage_error(const std::string& what) {
    cli_print_error(std::string(cli_name) + ": " + what + " (try '" + cli_name + " --help')");
}

int cli_open_document(CTonewarpDoc& doc, const std::string& path) {
    if (const int e = open_wave_file(doc, cli_path(path)); e != 0) {
        cli_print_file_error(path, e);
        return cli_exit_io;
    }
    return doc.is_bad_file() ? cli_exit_bad : cli_exit_ok;
}

void cli_report_bad_file() { cli_print_error(bad_wave_file_msg); }

void cli_set_range_no_marks(CTonewarpDoc& doc) {
    doc.extr_stt_ptr = 0;
    doc.extr_end_ptr = doc.frame_count() - 1;
    doc.extr_dt_cnt = doc.extr_end_ptr - doc.extr_stt_ptr + 1;
}

int cli_save_document(CTonewarpDoc& doc, const std::string& path) {
    if (const int e = save_wave_file(doc, cli_path(path)); e != 0) {
        cli_print_file_error(path, e);
        return cli_exit_io;
    }
    return cli_exit_ok;
}
