#include "engine/cg_solver.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
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

// The iteration written out plainly, every sum in index order from 0.
std::vector<double> plain_solve(int n, const std::vector<double>& a, const std::vector<double>& b,
                                const std::vector<double>& x0) {
    auto mul = [&](const std::vector<double>& in, bool transposed) {
        std::vector<double> out(n);
        for (int i = 0; i < n; ++i) {
            double s = 0.0;
            for (int j = 0; j < n; ++j) s += (transposed ? a[j * n + i] : a[i * n + j]) * in[j];
            out[i] = s;
        }
        return out;
    };
    auto dot = [&](const std::vector<double>& u, const std::vector<double>& v) {
        double s = 0.0;
        for (int i = 0; i < n; ++i) s += u[i] * v[i];
        return s;
    };
    std::vector<double> x = x0, w = mul(x0, false);
    for (int i = 0; i < n; ++i) w[i] = b[i] - w[i];
    std::vector<double> r = mul(w, true), p = r;
    for (int t = 0;; ++t) {
        w = mul(p, false);
        const std::vector<double> y = mul(w, true);
        const double num = dot(r, p), den = dot(y, p);
        const double alpha = den == 0.0 ? 0.0 : num / den;
        for (int i = 0; i < n; ++i) {
            const double next = x[i] + alpha * p[i];
            x[i] = next < 0.0 ? x[i] * 0.001 : next;
        }
        if (t >= cg_step_limit(n)) break;
        const std::vector<double> old = r;
        for (int i = 0; i < n; ++i) r[i] = r[i] - alpha * y[i];
        const double beta = dot(old, old) == 0.0 ? 0.0 : dot(r, r) / dot(old, old);
        for (int i = 0; i < n; ++i) p[i] = p[i] * beta + r[i];
    }
    for (double& v : x) v = v > cg_rate_clip ? cg_rate_clip : (v < -cg_rate_clip ? -cg_rate_clip : v);
    return x;
}

TEST(cg_solver, RatesAreBitForBitThoseOfThePlainIterationAtEverySize) {
    std::mt19937_64 g(5);
    std::uniform_real_distribution<double> d(0.0, 3e5);
    for (int n = 1; n <= 37; ++n) {
        std::vector<double> a(n * n), b(n), x0(n, 1.0);
        for (double& v : a) v = d(g) * (d(g) < 1e5 ? 0.0 : 1e-5);
        for (double& v : b) v = d(g);
        const solve got(n, a, b, x0);
        const std::vector<double> want = plain_solve(n, a, b, x0);
        ASSERT_EQ(std::memcmp(got.v[1].data(), want.data(), 8 * n), 0) << "n " << n;
    }
}

}  // namespace
