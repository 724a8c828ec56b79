// The coefficient system of the rate solver: its areas, filling, compaction,
// matrix dumps and the solve.
//
// One row per peak bin, one column per part: the coefficients are the parts'
// previous magnitudes at that bin and the row's target is the new frame's
// magnitude there. The areas live in the document (dblCoefMatrix and the
// eight dblCC_ vectors) from the start of a run to its end. The matrix area
// holds 2·N² doubles: the fill area / system matrix in its first half and a
// copy area in its second.
#pragma once

#include <string>

class CTonewarpDoc;
struct extr_state;

// Allocates the matrix area (N·N·16 bytes) and the eight vectors (N·8 bytes
// each) from the process-wide heap. Nothing is cleared. 0, or -1 with
// st.err_stop = 1 after logging the failure.
int alloc_coef_area(extr_state& st, CTonewarpDoc& doc);

// Releases the vectors, the matrix area and the heap handle. A failing
// release is logged and sets st.err_stop = 1. Always 0.
int free_coef_area(extr_state& st, CTonewarpDoc& doc);

// Starts an empty system for part_cnt parts: row stride intVectSize =
// 4·part_cnt, no rows, the fill area and the row-bin list cleared.
void coef_fill_start(const extr_state& st, CTonewarpDoc& doc, int part_cnt);

// True when bin already labels one of the rows filled so far.
bool coef_has_row_bin(const CTonewarpDoc& doc, int bin);

// Appends a row with the given target and bin and returns its coefficient
// array (intVectSize entries, all 0), or null when the system is full.
double* coef_add_row(const extr_state& st, CTonewarpDoc& doc, double target, int bin);

// Dumps the fill area (tracing only), compacts it to the intCoefSetCnt²
// system with row stride intCoefSetCnt, dumps that, and solves it with
// exec_cg_solve. Returns the system size n.
int coef_compact_and_solve(extr_state& st, CTonewarpDoc& doc);

// Conjugate-gradient solve of the compacted n x n system, starting with 1.0
// for every part active on channel st.chnl_slct and 0.0 elsewhere. Leaves
// the rates in dblCC_EndAns[0 .. n-1]. Returns 0.
int exec_cg_solve(extr_state& st, CTonewarpDoc& doc, int n);

// One dump line: "Coef[%3d] : Ptr=%4d, Tgt=%15.1f,  Mat=" then "%12.3f, " per
// column, stopping before a column once the line is longer than 400 characters.
std::string coef_dump_row(int row, int bin, double target, const double* cols, int col_cnt);

inline constexpr int coef_dump_max_chars = 400;
