// The series and the degree recurrence of the Legendre library (XDPQDEG) and its
// digamma function (XDDIGAM), against closed forms: integer degrees of P and Q, the
// low-degree Q forms, and digamma at integers and half-integers; and which entries
// a run of degrees writes.
#include "legendre_detail.hpp"
#include "library_run.hpp"
#include "xdlegf.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <string>
#include <vector>

namespace ormeda {
namespace {

using detail::XDDIGAM;
using detail::XDPQDEG;
using testing::EntryRun;
using testing::LibraryState;

constexpr double kHalfPi = 1.5707963267948966;
constexpr long double kEuler = 0.57721566490153286060651209008240243L; // Euler's gamma
constexpr long double kLn2 = 0.69314718055994530941723212145817657L;
constexpr long double kPi = 3.14159265358979323846264338327950288L;
constexpr int kP = kLegendrePNegativeOrder;
constexpr int kQ = kLegendreQ;

// The digamma order and shift limit that XDPQDEG uses with 53 mantissa bits.
constexpr int kDigammaOrder = 6;
constexpr int kDigammaShift = 30;

// psi(n) = H(n-1) - gamma and psi(n + 1/2) = -gamma - 2 ln 2 + sum 2/(2k - 1).
long double digammaAtInteger(int n) {
    long double h = 0.0L;
    for (int k = 1; k < n; ++k) {
        h += 1.0L / k;
    }
    return h - kEuler;
}
long double digammaAtHalf(int n) {
    long double s = 0.0L;
    for (int k = 1; k <= n; ++k) {
        s += 2.0L / (2 * k - 1);
    }
    return s - kEuler - 2.0L * kLn2;
}

struct DigammaCase {
    double z;
    long double psi;
};

// Absolute error allowed: rounding of the shifted sum of up to 30 reciprocals and of
// the logarithm, a few units in the last place of values near 4. Measured largest:
// 8.2e-16.
constexpr long double kDigammaTolerance = 2e-15L;

TEST(XddigamTest, MatchesTheClosedForms) {
    const DigammaCase cases[] = {
        {1.0, -kEuler},                             // the documented -0.57721566490153...
        {2.0, digammaAtInteger(2)},                 // 1 - gamma
        {0.5, digammaAtHalf(0)},                    // -gamma - 2 ln 2
        {0.25, -kEuler - kPi / 2.0L - 3.0L * kLn2}, // Gauss's digamma theorem
        {29.5, digammaAtHalf(29)},                  // one shift step
        {30.5, digammaAtHalf(30)},                  // no shift: the asymptotic series alone
        {31.0, digammaAtInteger(31)},
        {100.0, digammaAtInteger(100)},
    };
    for (const DigammaCase& c : cases) {
        const double psi = XDDIGAM(c.z, kDigammaOrder, kDigammaShift);
        EXPECT_LE(std::fabs(psi - c.psi), kDigammaTolerance)
            << "z " << c.z << ": " << psi << " against " << static_cast<double>(c.psi);
    }
    EXPECT_NEAR(XDDIGAM(1.0, kDigammaOrder, kDigammaShift), -0.57721566490153, 1e-14);
}

// One run of degrees at one order against closed forms of the angle.
struct SeriesCase {
    const char* name;
    double nu1;
    double nu2;
    int mu;
    int id;
    std::vector<long double> (*expected)(long double theta);
    double tolerance;  // relative, per entry, against max(|value|, floor)
    long double floor; // where the function vanishes, the size of its neighbours
};

// The closed forms are evaluated from the angle in long double, with 1 - x^2 as
// sin^2 t and ln((1 + x)/(1 - x)) as -2 ln tan(t/2), so that no digits are lost
// where x = cos t is close to 1.
struct Trig {
    explicit Trig(long double t)
        : x(std::cos(t)), s(std::sin(t)), w(s * s), q0(-std::log(std::tan(t / 2.0L))) {}
    long double x;
    long double s;
    long double w;  // 1 - x^2
    long double q0; // Q_0 = 1/2 ln((1 + x)/(1 - x))
};

// Errors allowed. The P values at these integer degrees come out to rounding: the
// series stop at their first term and the climb from degrees -1 and 0 is nearly
// exact. The Q values carry the 53-term logarithmic series. At pi/2 Q_0, Q^1_1 and
// Q_2 vanish and are measured against 1, the size of their neighbours. Measured
// largest, P and Q alike: 3.9e-16.
constexpr double kPTolerance = 8 * DBL_EPSILON;
constexpr double kQTolerance = 2e-15;

const SeriesCase kSeriesCases[] = {
    {"PDegreeZero", 0.0, 0.0, 0, kP, [](long double) { return std::vector<long double>{1.0L}; },
     0.0, 0.0L},
    {"PDegreeOne", 1.0, 1.0, 0, kP,
     [](long double t) { return std::vector<long double>{Trig(t).x}; }, kPTolerance, 0.0L},
    {"POrderOneDegreeOne", 1.0, 1.0, 1, kP,
     [](long double t) { return std::vector<long double>{Trig(t).s / 2.0L}; }, kPTolerance, 0.0L},
    {"PDegreesMinusOneToZero", -1.0, 0.0, 0, kP,
     [](long double) {
         return std::vector<long double>{1.0L, 1.0L};
     },
     0.0, 0.0L},
    {"PDegreesZeroToThree", 0.0, 3.0, 0, kP,
     [](long double t) {
         const long double x = Trig(t).x;
         return std::vector<long double>{1.0L, x, (3.0L * x * x - 1.0L) / 2.0L,
                                         (5.0L * x * x * x - 3.0L * x) / 2.0L};
     },
     kPTolerance, 0.0L},
    // P^(-1)_n = (n - 1)!/(n + 1)! (-P^1_n): sin/2, x sin/2, (5x^2 - 1) sin/8.
    {"POrderOneDegreesOneToThree", 1.0, 3.0, 1, kP,
     [](long double t) {
         const Trig g(t);
         return std::vector<long double>{g.s / 2.0L, g.x * g.s / 2.0L,
                                         (5.0L * g.x * g.x - 1.0L) * g.s / 8.0L};
     },
     kPTolerance, 0.0L},
    {"QDegreeZero", 0.0, 0.0, 0, kQ,
     [](long double t) { return std::vector<long double>{Trig(t).q0}; }, kQTolerance, 1.0L},
    {"QDegreeOne", 1.0, 1.0, 0, kQ,
     [](long double t) {
         const Trig g(t);
         return std::vector<long double>{g.x * g.q0 - 1.0L};
     },
     kQTolerance, 1.0L},
    {"QOrderOneDegreeZero", 0.0, 0.0, 1, kQ,
     [](long double t) { return std::vector<long double>{-1.0L / Trig(t).s}; }, kQTolerance, 1.0L},
    {"QOrderOneDegreeOne", 1.0, 1.0, 1, kQ,
     [](long double t) {
         const Trig g(t);
         return std::vector<long double>{-g.s * (g.q0 + g.x / g.w)};
     },
     kQTolerance, 1.0L},
    // Q_2 = P_2 Q_0 - 3x/2 by the climb from Q_0 and Q_1.
    {"QDegreesZeroToTwo", 0.0, 2.0, 0, kQ,
     [](long double t) {
         const Trig g(t);
         return std::vector<long double>{g.q0, g.x * g.q0 - 1.0L,
                                         (3.0L * g.x * g.x - 1.0L) / 2.0L * g.q0 - 1.5L * g.x};
     },
     kQTolerance, 1.0L},
};

class SeriesTest : public ::testing::TestWithParam<SeriesCase> {};

TEST_P(SeriesTest, MatchesTheClosedForms) {
    const SeriesCase& c = GetParam();
    LibraryState state;
    const double base = state.range().parameters().BASE;
    for (const double theta : {1e-3, 0.2, 0.6, 1.2, kHalfPi}) {
        const std::vector<long double> expected = c.expected(theta);
        EntryRun run(expected.size() + 1);
        XDPQDEG(c.nu1, c.nu2, c.mu, theta, c.id, run.P(), run.I());
        for (std::size_t i = 1; i <= expected.size(); ++i) {
            const long double e = expected[i - 1];
            const long double got = run.value(i, base);
            EXPECT_LE(std::fabs(got - e) / std::max(std::fabs(e), c.floor), c.tolerance)
                << "theta " << theta << " entry " << i << ": " << static_cast<double>(got)
                << " against " << static_cast<double>(e);
        }
        EXPECT_TRUE(run.untouched(expected.size() + 1)) << "theta " << theta;
    }
}

TEST(XdpqdegTest, DegreeZeroIsExactlyOne) {
    LibraryState state;
    for (const double theta : {1e-300, 0.6, kHalfPi}) {
        for (const double nu : {0.0, -1.0}) {
            EntryRun run(1);
            XDPQDEG(nu, nu, 0, theta, kP, run.P(), run.I());
            EXPECT_EQ(run.prin[0], 1.0) << "nu " << nu << " theta " << theta;
            EXPECT_EQ(run.iaux[0], 0) << "nu " << nu << " theta " << theta;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Runs, SeriesTest, ::testing::ValuesIn(kSeriesCases),
                         [](const auto& info) { return std::string(info.param.name); });

// theta = 0.6, the three low-degree Q values worked out as numbers (x = cos 0.6).
TEST(XdpqdegTest, QAtThetaPointSixMatchesItsClosedForms) {
    LibraryState state;
    const double x = std::cos(0.6);
    const double l = std::log((1.0 + x) / (1.0 - x));
    struct {
        double nu;
        int mu;
        double value;
    } const cases[] = {
        {1.0, 0, (x / 2.0) * l - 1.0},
        {1.0, 1, -std::sqrt(1.0 - x * x) * (0.5 * l + x / (1.0 - x * x))},
        {0.0, 1, -1.0 / std::sqrt(1.0 - x * x)},
    };
    for (const auto& c : cases) {
        EntryRun run(1);
        XDPQDEG(c.nu, c.nu, c.mu, 0.6, kQ, run.P(), run.I());
        // Absolute: the values are of order 1 and the forms in double carry a few 1e-16.
        EXPECT_NEAR(static_cast<double>(run.value(1, state.range().parameters().BASE)), c.value,
                    1e-15)
            << "nu " << c.nu << " mu " << c.mu;
    }
}

// A run whose two degrees are the two starting values stores both as they are: the
// same bits as each degree asked for alone, no climb, nothing written past the run.
TEST(XdpqdegTest, ARunOfTheTwoStartingDegreesStoresBoth) {
    LibraryState state;
    for (const int mu : {0, 1, 4}) {
        EntryRun both(3);
        XDPQDEG(-0.7, 0.3, mu, 0.6, kP, both.P(), both.I());
        EntryRun low(1);
        XDPQDEG(-0.7, -0.7, mu, 0.6, kP, low.P(), low.I());
        EntryRun high(1);
        XDPQDEG(0.3, 0.3, mu, 0.6, kP, high.P(), high.I());
        EXPECT_EQ(both.prin[0], low.prin[0]) << "mu " << mu;
        EXPECT_EQ(both.iaux[0], low.iaux[0]) << "mu " << mu;
        EXPECT_EQ(both.prin[1], high.prin[0]) << "mu " << mu;
        EXPECT_EQ(both.iaux[1], high.iaux[0]) << "mu " << mu;
        EXPECT_TRUE(both.untouched(3)) << "mu " << mu;
    }
    // P_(-0.7) = P_(-0.3), which the series reaches from the other side of -1/2.
    EntryRun mirror(1);
    XDPQDEG(-0.3, -0.3, 0, 0.6, kP, mirror.P(), mirror.I());
    EntryRun both(2);
    XDPQDEG(-0.7, 0.3, 0, 0.6, kP, both.P(), both.I());
    EXPECT_NEAR(both.prin[0], mirror.prin[0], 1e-15);
}

// One degree alone climbs from the same starting values as a longer run, so it gives
// the same bits as that degree inside the run (2.75 for P: starts -1.25 and -0.25,
// then 0.75, 1.75, 2.75; all exact in binary); the run writes one entry per degree
// and nothing more.
TEST(XdpqdegTest, OneDegreeEqualsTheSameDegreeInALongerRun) {
    LibraryState state;
    for (const int id : {kP, kQ}) {
        for (const int mu : {0, 1}) {
            EntryRun single(2);
            XDPQDEG(2.75, 2.75, mu, 0.6, id, single.P(), single.I());
            EXPECT_TRUE(single.untouched(2));
            EntryRun run(6);
            XDPQDEG(-0.25, 3.75, mu, 0.6, id, run.P(), run.I());
            EXPECT_EQ(run.prin[3], single.prin[0]) << "ID " << id << " mu " << mu;
            EXPECT_EQ(run.iaux[3], single.iaux[0]) << "ID " << id << " mu " << mu;
            EXPECT_FALSE(run.untouched(5));
            EXPECT_TRUE(run.untouched(6));
        }
    }
}

} // namespace
} // namespace ormeda
