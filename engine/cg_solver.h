// Conjugate-gradient solver of the parts' rates, over plain arrays.
//
// The system is n x n, row-major with row stride n (A[i][j] at i*n + j): one
// row per peak bin, one column per part. The iteration runs on the normal
// equations Aᵀ·A·x = Aᵀ·b from a given start vector, shrinks any value that
// a step would make negative to a thousandth of its old value, stops after a
// size-dependent number of steps (or as soon as *err_stop becomes 1) and
// clips the result to ±32767. There is no convergence test.
#pragma once

struct cg_vectors {
    const double* val;  // b, the row targets (n entries read)
    const double* stt;  // x0, the start vector (n entries read)
    double* nxt;        // x, the iterate
    double* end;        // result, written only for indices 0 .. n-1
    double* r;          // residual of the normal equations
    double* p;          // search direction
    double* y;          // Aᵀ·A·p
    double* w;          // A·p; during the update of r, the previous r
};

// Number of direction updates allowed for a system of size n; x itself is
// updated one time more.
int cg_step_limit(int n);

// Solves the system; every vector needs n entries (n may be 0). err_stop is
// read at the top of every iteration (null: never stops early). Returns the
// number of times x was updated.
int cg_solve(int n, const double* a, const cg_vectors& v, const int* err_stop);

// The clip applied to every result value.
inline constexpr double cg_rate_clip = 32767.0;
