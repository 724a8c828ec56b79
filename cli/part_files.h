// The WAVE files `tonewarp-cli extract` writes into a recording's folder:
// the mix and each part alone, over the run's range.
#pragma once

#include <filesystem>

#include "document/tonewarp_doc.h"

struct extr_state;

// mix.wav (the range of mdfy_dt as Save writes it), then one WAVE per part
// (PART.wav, named by part_file_stem), each as Save writes the range with
// only that part in the mix, on up to `threads` threads (save_in_order).
// Each part's file is made in one pass from its records, a megabyte at a
// time, and mdfy_dt is left as it is. While trace lines are written the
// mix of each part is built in mdfy_dt as before, one file after another,
// so that the log gets its lines, and the full mix is put back afterwards.
// Stops at the first file that cannot be written: cli_exit_ok or
// cli_exit_io (reported).
int write_extract_waves(extr_state& st, CTonewarpDoc& doc, const std::filesystem::path& dir, int threads);
