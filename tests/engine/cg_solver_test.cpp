#include "engine/cg_solver.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Owns the eight vectors of one solve, each with a sentinel tail that the
// solver must never write.
struct solve_bench {
    static constexpr double sentinel = -777.0;
    int n;
    std::vector<double> a, b, x0, x, end, r, p, y, w;

    explicit solve_bench(int size)
        : n(size),
          a(static_cast<std::size_t>(size) * size, 0.0),
          b(size + 4, 0.0),
          x0(size + 4, 0.0),
          x(size + 4, sentinel),
          end(size + 4, sentinel),
          r(size + 4, sentinel),
          p(size + 4, sentinel),
          y(size + 4, sentinel),
          w(size + 4, sentinel) {}

    double& at(int i, int j) { return a[static_cast<std::size_t>(i) * n + j]; }

    int solve(const int* err_stop = nullptr) {
        cg_vectors v{b.data(), x0.data(), x.data(), end.data(), r.data(), p.data(), y.data(), w.data()};
        return cg_solve(n, a.data(), v, err_stop);
    }

    bool tails_untouched() const {
        for (const auto* vec : {&x, &end, &r, &p, &y, &w}) {
            for (std::size_t i = n; i < vec->size(); ++i) {
                if ((*vec)[i] != sentinel) return false;
            }
        }
        return true;
    }
};

TEST(cg_solver, AnEmptySystemTakesOnePassAndWritesNoResult) {
    solve_bench s(0);
    EXPECT_EQ(s.solve(), 1);
    EXPECT_EQ(s.end[0], solve_bench::sentinel);
    EXPECT_TRUE(s.tails_untouched());
}

TEST(cg_solver, OnePartGivesTheTargetOverItsCoefficient) {
    solve_bench s(1);
    s.at(0, 0) = 4.0;
    s.b[0] = 10.0;
    s.x0[0] = 1.0;
    EXPECT_EQ(s.solve(), 2);  // step limit 1: x is updated twice, the second time with p = 0
    EXPECT_DOUBLE_EQ(s.end[0], 2.5);
    EXPECT_TRUE(s.tails_untouched());
}

TEST(cg_solver, ASmallWellPosedSystemReachesItsExactSolution) {
    // A = [[2,1],[1,3]], x = (2,3) → b = (7,11). Two conjugate steps solve a
    // 2 x 2 system; the third update only adds rounding.
    solve_bench s(2);
    s.at(0, 0) = 2.0;
    s.at(0, 1) = 1.0;
    s.at(1, 0) = 1.0;
    s.at(1, 1) = 3.0;
    s.b[0] = 7.0;
    s.b[1] = 11.0;
    s.x0[0] = s.x0[1] = 1.0;
    EXPECT_EQ(s.solve(), 3);
    EXPECT_NEAR(s.end[0], 2.0, 1e-9);
    EXPECT_NEAR(s.end[1], 3.0, 1e-9);
}

TEST(cg_solver, ASilentPartWithAZeroColumnKeepsRateZero) {
    // Part 1 is silent: its column is 0 and it starts at 0.
    solve_bench s(3);
    s.at(0, 0) = 5.0;
    s.at(1, 0) = 1.0;
    s.at(2, 2) = 2.0;
    s.b[0] = 20.0;
    s.b[1] = 4.0;
    s.b[2] = 6.0;
    s.x0[0] = 1.0;
    s.x0[2] = 1.0;
    s.solve();
    EXPECT_EQ(s.end[1], 0.0);
    EXPECT_NEAR(s.end[0], 4.0, 1e-9);
    EXPECT_NEAR(s.end[2], 3.0, 1e-9);
}

TEST(cg_solver, AStepThatWouldGoNegativeShrinksTheOldValueByAThousand) {
    solve_bench s(1);
    s.at(0, 0) = 2.0;
    s.b[0] = -8.0;  // the unconstrained step would land on −4
    s.x0[0] = 1.0;
    s.solve();
    EXPECT_DOUBLE_EQ(s.end[0], 0.001);
}

TEST(cg_solver, ResultsAreClippedToPlusMinus32767) {
    solve_bench big(1);
    big.at(0, 0) = 0.001;
    big.b[0] = 100.0;  // v/a = 100000
    big.x0[0] = 1.0;
    big.solve();
    EXPECT_EQ(big.end[0], 32767.0);

    // A negative start can only shrink toward 0: two shrinks of −1e12 leave −1e6.
    solve_bench low(1);
    low.at(0, 0) = 1.0;
    low.b[0] = -1e12;
    low.x0[0] = -1e12;
    low.solve();
    EXPECT_EQ(low.end[0], -32767.0);
}

TEST(cg_solver, AnErrorStopOnEntryLeavesTheClippedStartVector) {
    solve_bench s(2);
    s.at(0, 0) = s.at(1, 1) = 1.0;
    s.b[0] = s.b[1] = 50.0;
    s.x0[0] = 1.0;
    s.x0[1] = 40000.0;
    const int stop = 1;
    EXPECT_EQ(s.solve(&stop), 0);
    EXPECT_EQ(s.end[0], 1.0);
    EXPECT_EQ(s.end[1], 32767.0);

    const int running = 2;
    EXPECT_EQ(s.solve(&running), 3);
    EXPECT_NEAR(s.end[1], 50.0, 1e-9);
}

TEST(cg_solver, TheStepLimitFallsWithTheSystemSize) {
    EXPECT_EQ(cg_step_limit(0), 0);
    EXPECT_EQ(cg_step_limit(63), 63);
    EXPECT_EQ(cg_step_limit(64), 32);
    EXPECT_EQ(cg_step_limit(127), 63);
    EXPECT_EQ(cg_step_limit(128), 32);
    EXPECT_EQ(cg_step_limit(255), 63);
    EXPECT_EQ(cg_step_limit(256), 32);
    EXPECT_EQ(cg_step_limit(511), 63);
    EXPECT_EQ(cg_step_limit(512), 32);
    EXPECT_EQ(cg_step_limit(1024), 64);
}

TEST(cg_solver, TheIterateIsUpdatedOneTimeMoreThanTheStepLimit) {
    for (const auto& [n, updates] : {std::pair{63, 64}, {64, 33}, {512, 33}, {1024, 65}}) {
        solve_bench s(n);
        for (int i = 0; i < n; ++i) {
            s.at(i, i) = 1.0 + i % 7;
            s.b[i] = 3.0;
            s.x0[i] = 1.0;
        }
        EXPECT_EQ(s.solve(), updates) << "n = " << n;
        EXPECT_TRUE(s.tails_untouched()) << "n = " << n;
    }
}

}  // namespace
