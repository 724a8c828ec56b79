#include "engine/cg_solver.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr double sentinel = -777.0;

// Solves A·x = b from x0 with vectors that carry a sentinel tail; returns
// the rates and checks that nothing past n was written.
struct solve {
    int n;
    std::vector<double> a, b, x0, v[6];  // x, result, r, p, y, w
    int updates = 0;

    solve(int size, std::vector<double> mat, std::vector<double> rhs, std::vector<double> start,
          const int* err_stop = nullptr)
        : n(size), a(std::move(mat)), b(std::move(rhs)), x0(std::move(start)) {
        for (auto& vec : v) vec.assign(n + 2, sentinel);
        cg_vectors cv{b.data(),    x0.data(),   v[0].data(), v[1].data(),
                      v[2].data(), v[3].data(), v[4].data(), v[5].data()};
        updates = cg_solve(n, a.data(), cv, err_stop);
        for (auto& vec : v) EXPECT_EQ(vec[n], sentinel);
    }
    double rate(int i) const { return v[1][i]; }
};

TEST(cg_solver, SmallSystemsGiveTheirExactRates) {
    EXPECT_EQ(solve(0, {}, {}, {}).updates, 1);  // n = 0: one pass, no result written

    const solve one(1, {4.0}, {10.0}, {1.0});  // v / a
    EXPECT_EQ(one.updates, 2);
    EXPECT_DOUBLE_EQ(one.rate(0), 2.5);

    const solve two(2, {2, 1, 1, 3}, {7, 11}, {1, 1});  // x = (2, 3)
    EXPECT_NEAR(two.rate(0), 2.0, 1e-9);
    EXPECT_NEAR(two.rate(1), 3.0, 1e-9);
}

TEST(cg_solver, ASilentPartsZeroColumnKeepsItsRateAtZero) {
    const solve s(3, {5, 0, 0, 1, 0, 0, 0, 0, 2}, {20, 4, 6}, {1, 0, 1});
    EXPECT_EQ(s.rate(1), 0.0);
    EXPECT_NEAR(s.rate(0), 4.0, 1e-9);
    EXPECT_NEAR(s.rate(2), 3.0, 1e-9);
}

TEST(cg_solver, AStepThatWouldGoNegativeShrinksTheOldValueByAThousand) {
    EXPECT_DOUBLE_EQ(solve(1, {2.0}, {-8.0}, {1.0}).rate(0), 0.001);
}

TEST(cg_solver, ResultsAreClippedToPlusMinus32767) {
    EXPECT_EQ(solve(1, {0.001}, {100.0}, {1.0}).rate(0), 32767.0);
    EXPECT_EQ(solve(1, {1.0}, {-1e12}, {-1e12}).rate(0), -32767.0);  // two shrinks leave -1e6
}

TEST(cg_solver, AnErrorStopOnEntryLeavesTheClippedStartVector) {
    const int stop = 1;
    const solve s(2, {1, 0, 0, 1}, {50, 50}, {1.0, 40000.0}, &stop);
    EXPECT_EQ(s.updates, 0);
    EXPECT_EQ(s.rate(0), 1.0);
    EXPECT_EQ(s.rate(1), 32767.0);
}

TEST(cg_solver, TheIterateIsUpdatedOneTimeMoreThanTheStepLimit) {
    EXPECT_EQ(cg_step_limit(127), 63);
    EXPECT_EQ(cg_step_limit(255), 63);
    EXPECT_EQ(cg_step_limit(511), 63);
    for (const auto& [n, updates] : {std::pair{63, 64}, {64, 33}, {512, 33}, {1024, 65}}) {
        std::vector<double> a(static_cast<std::size_t>(n) * n, 0.0);
        for (int i = 0; i < n; ++i) a[static_cast<std::size_t>(i) * n + i] = 1.0 + i % 7;
        EXPECT_EQ(solve(n, a, std::vector<double>(n, 3.0), std::vector<double>(n, 1.0)).updates, updates)
            << n;
    }
}

}  // namespace
