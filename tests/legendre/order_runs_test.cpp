// The order recurrences and Q runs of the Legendre library (XDPORD, XDQORD, XDQDEG)
// against single calls of the series (XDPQDEG) and against the closed forms of Q at
// degrees 0 and 1: runs of orders, the starting values they take over unchanged,
// and runs of degrees at a high order.
#include "legendre_detail.hpp"
#include "library_run.hpp"
#include "xdlegf.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace ormeda {
namespace {

using detail::XDPORD;
using detail::XDPQDEG;
using detail::XDQDEG;
using detail::XDQORD;
using testing::EntryRun;
using testing::LibraryState;

constexpr double kHalfPi = 1.5707963267948966;
constexpr int kP = kLegendrePNegativeOrder;
constexpr int kQ = kLegendreQ;
const double kAngles[] = {1e-3, 0.2, 0.6, 1.2, kHalfPi};

// The arguments XDLEGF hands on with the angle.
struct Angle {
    double theta;
    double x;
    double s;
};
Angle angle(double theta) {
    return {theta, std::cos(theta), 1.0 / std::sin(theta)};
}

// One order alone, straight from the series.
EntryRun single(double nu, int mu, double theta, int id) {
    EntryRun run(1);
    XDPQDEG(nu, nu, mu, theta, id, run.P(), run.I());
    return run;
}

// Relative error of a recurrence result against a single call, measured against a
// thousandth of the largest magnitude in the run where the entry is smaller still
// (near a zero of the function in the order the recurrence carries its neighbours'
// absolute error). Near such a zero the two terms of the recurrence cancel by up to
// a factor of ten: P^(-2)_13.43(cos 0.6) = -1.3e-4 beside P^(-1) = 0.02 has the
// largest error measured, 1.4e-14.
constexpr long double kOrderTolerance = 5e-14L;

TEST(XdpordTest, RunOfOrdersAgreesWithSingleOrders) {
    LibraryState state;
    const double base = state.range().parameters().BASE;
    for (const double nu : {-0.7, 0.0, 2.7, 13.43, 29.3}) {
        for (const double theta : kAngles) {
            const Angle a = angle(theta);
            EntryRun run(6);
            XDPORD(nu, nu, 0, 4, a.theta, a.x, a.s, kP, run.P(), run.I());
            std::vector<long double> expected;
            long double largest = 0.0L;
            for (int mu = 0; mu <= 4; ++mu) {
                expected.push_back(single(nu, mu, theta, kP).value(1, base));
                largest = std::max(largest, std::fabs(expected.back()));
            }
            for (int mu = 0; mu <= 4; ++mu) {
                const long double e = expected[mu];
                const long double scale = std::max(std::fabs(e), 1e-3L * largest);
                EXPECT_LE(std::fabs(run.value(mu + 1, base) - e) / scale, kOrderTolerance)
                    << "nu " << nu << " theta " << theta << " mu " << mu;
            }
            EXPECT_TRUE(run.untouched(6));
        }
    }
}

// With two orders no recurrence runs: both entries are the series values.
TEST(XdpordTest, TwoOrdersAreTheSeriesValues) {
    LibraryState state;
    const Angle a = angle(0.6);
    EntryRun run(3);
    XDPORD(2.7, 2.7, 3, 4, a.theta, a.x, a.s, kP, run.P(), run.I());
    for (int mu = 3; mu <= 4; ++mu) {
        const EntryRun one = single(2.7, mu, 0.6, kP);
        EXPECT_EQ(run.prin[mu - 3], one.prin[0]) << "mu " << mu;
        EXPECT_EQ(run.iaux[mu - 3], one.iaux[0]) << "mu " << mu;
    }
    EXPECT_TRUE(run.untouched(3));
}

// Ferrers Q^mu at degrees 0 and 1, with Q_0 = 1/2 ln((1 + x)/(1 - x)), w = 1 - x^2:
//   Q^1_0 = -1/sqrt(w), Q^2_0 = 2x/w, Q^3_0 = -(2 + 6x^2)/w^(3/2),
//   Q_1 = x Q_0 - 1, Q^1_1 = -sqrt(w) (Q_0 + x/w), Q^2_1 = 2/w, Q^3_1 = -8x/w^(3/2),
// evaluated from the angle in long double (sqrt(w) = sin t, Q_0 = -ln tan(t/2)) so
// that no digits are lost where x is close to 1.
std::vector<long double> qOrders(int nu, long double t) {
    const long double x = std::cos(t);
    const long double s = std::sin(t);
    const long double w = s * s;
    const long double q0 = -std::log(std::tan(t / 2.0L));
    if (nu == 0) {
        return {q0, -1.0L / s, 2.0L * x / w, -(2.0L + 6.0L * x * x) / (w * s)};
    }
    return {x * q0 - 1.0L, -s * (q0 + x / w), 2.0L / w, -8.0L * x / (w * s)};
}

// Relative error of Q runs against the closed forms, measured against 1 where the
// value is smaller (at pi/2 the even orders at degree 0 and the odd ones at degree 1
// vanish beside neighbours of order 1). Measured largest: 2.9e-16.
constexpr long double kQTolerance = 2e-15L;

// XDQDEG's climb down the degrees against the order runs at each degree, measured as
// for XDPORD. Measured largest: 7.2e-16.
constexpr long double kQDegreeTolerance = 4e-15L;

void expectQ(const EntryRun& run, std::size_t first, const std::vector<long double>& expected,
             double base, const char* what, int nu, double theta) {
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const long double scale = std::max(std::fabs(expected[i]), 1.0L);
        EXPECT_LE(std::fabs(run.value(first + i, base) - expected[i]) / scale, kQTolerance)
            << what << " nu " << nu << " theta " << theta << " entry " << first + i;
    }
}

TEST(XdqordTest, RunsOfOrdersMatchTheClosedForms) {
    LibraryState state;
    const double base = state.range().parameters().BASE;
    for (const int nu : {0, 1}) {
        for (const double theta : kAngles) {
            const Angle a = angle(theta);
            const std::vector<long double> q = qOrders(nu, theta);
            EntryRun all(5);
            XDQORD(nu, nu, 0, 3, a.theta, a.x, a.s, kQ, all.P(), all.I());
            expectQ(all, 1, q, base, "orders 0..3", nu, theta);
            EXPECT_TRUE(all.untouched(5));

            // Orders 2 and 3 alone: only the recurrence results, the same bits.
            EntryRun upper(3);
            XDQORD(nu, nu, 2, 3, a.theta, a.x, a.s, kQ, upper.P(), upper.I());
            EXPECT_EQ(upper.prin[0], all.prin[2]);
            EXPECT_EQ(upper.prin[1], all.prin[3]);
            EXPECT_TRUE(upper.untouched(3));

            // Orders 0 and 1: the series values unchanged.
            EntryRun lower(3);
            XDQORD(nu, nu, 0, 1, a.theta, a.x, a.s, kQ, lower.P(), lower.I());
            for (int mu = 0; mu <= 1; ++mu) {
                const EntryRun one = single(nu, mu, theta, kQ);
                EXPECT_EQ(lower.prin[mu], one.prin[0]) << "nu " << nu << " mu " << mu;
                EXPECT_EQ(lower.iaux[mu], one.iaux[0]) << "nu " << nu << " mu " << mu;
            }
            EXPECT_TRUE(lower.untouched(3));
        }
    }
}

TEST(XdqdegTest, RunOfDegreesAtOrderThreeAgreesWithOrderRunsPerDegree) {
    LibraryState state;
    const double base = state.range().parameters().BASE;
    for (const double theta : kAngles) {
        const Angle a = angle(theta);
        EntryRun run(6);
        XDQDEG(0.3, 4.3, 3, a.theta, a.x, a.s, kQ, run.P(), run.I());
        std::vector<long double> expected;
        for (int k = 0; k < 5; ++k) {
            EntryRun orders(4);
            XDQORD(0.3 + k, 0.3 + k, 0, 3, a.theta, a.x, a.s, kQ, orders.P(), orders.I());
            expected.push_back(orders.value(4, base));
        }
        const long double largest = std::fabs(
            *std::max_element(expected.begin(), expected.end(), [](long double u, long double v) {
                return std::fabs(u) < std::fabs(v);
            }));
        for (int k = 0; k < 5; ++k) {
            const long double scale = std::max(std::fabs(expected[k]), 1e-3L * largest);
            EXPECT_LE(std::fabs(run.value(k + 1, base) - expected[k]) / scale, kQDegreeTolerance)
                << "theta " << theta << " degree " << 0.3 + k;
        }
        EXPECT_TRUE(run.untouched(6));
    }
}

TEST(XdqdegTest, RunsOfDegreesAtIntegerDegreesMatchTheClosedForms) {
    LibraryState state;
    const double base = state.range().parameters().BASE;
    for (const double theta : kAngles) {
        const Angle a = angle(theta);
        for (const int mu : {2, 3}) {
            EntryRun run(3);
            XDQDEG(0.0, 1.0, mu, a.theta, a.x, a.s, kQ, run.P(), run.I());
            expectQ(run, 1, {qOrders(0, theta)[mu]}, base, "degree 0", mu, theta);
            expectQ(run, 2, {qOrders(1, theta)[mu]}, base, "degree 1", mu, theta);
            EXPECT_TRUE(run.untouched(3));
        }
    }
}

// Orders 0 and 1 return the series run unchanged; a single degree at a higher order
// is the order pass alone, the same bits as the run of orders there.
TEST(XdqdegTest, LowOrdersAndSingleDegreesTakeTheShortPaths) {
    LibraryState state;
    const Angle a = angle(0.6);
    for (const int mu : {0, 1}) {
        EntryRun run(5);
        XDQDEG(0.3, 3.3, mu, a.theta, a.x, a.s, kQ, run.P(), run.I());
        EntryRun series(5);
        XDPQDEG(0.3, 3.3, mu, a.theta, kQ, series.P(), series.I());
        EXPECT_EQ(run.prin, series.prin) << "mu " << mu;
        EXPECT_EQ(run.iaux, series.iaux) << "mu " << mu;
        EXPECT_TRUE(run.untouched(5));
    }
    EntryRun one(2);
    XDQDEG(2.7, 2.7, 4, a.theta, a.x, a.s, kQ, one.P(), one.I());
    EntryRun orders(5);
    XDQORD(2.7, 2.7, 0, 4, a.theta, a.x, a.s, kQ, orders.P(), orders.I());
    EXPECT_EQ(one.prin[0], orders.prin[4]);
    EXPECT_EQ(one.iaux[0], orders.iaux[4]);
    EXPECT_TRUE(one.untouched(2));
}

} // namespace
} // namespace ormeda
