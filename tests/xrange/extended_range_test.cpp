// Extended-range numbers: the one-time set-up with its defaults and its errors, and
// the adjust, add and plain-form operations on the program's parameters.
#include "extended_range.hpp"
#include "fresh_state.hpp"
#include "program_stop.hpp"
#include "report_block.hpp"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>

namespace ormeda {
namespace {

using testing::abortBlock;
using testing::FreshState;

constexpr int kKmax = 1073740802; // 2^30 - 1022
constexpr int kControlSlot = 2;

std::string describe(double x, int ix) {
    char text[80];
    std::snprintf(text, sizeof text, "(%.17g = %a, %d)", x, x, ix);
    return text;
}

// ---- XDSET -------------------------------------------------------------------

TEST(XdsetTest, DefaultsGiveTheProgramsParameters) {
    FreshState state;
    state.range().XDSET(0, 0, 0.0, 0);
    const ExtendedRangeParameters& p = state.range().parameters();
    EXPECT_TRUE(state.range().isSet());
    EXPECT_EQ(p.BASE, 2.0);
    EXPECT_EQ(p.L, 511);
    EXPECT_EQ(p.TWOL, 1022);
    EXPECT_EQ(p.BASEL, std::ldexp(1.0, 511));
    EXPECT_EQ(p.BASEL, 6.703903964971299e153);
    EXPECT_EQ(p.BASE2L, std::ldexp(1.0, 1022));
    EXPECT_EQ(p.KMAX, kKmax);
    EXPECT_EQ(p.MANTBITS, 53);
    EXPECT_EQ(state.transcript(), "");
}

TEST(XdsetTest, OnlyTheFirstCallHasAnEffect) {
    FreshState state;
    state.range().XDSET(0, 0, 0.0, 0);
    state.range().XDSET(16, 0, 0.0, 0); // would be accepted as a first call
    state.range().XDSET(10, 0, 0.0, 0); // would be an error as a first call
    EXPECT_EQ(state.range().parameters().BASE, 2.0);
    EXPECT_EQ(state.range().parameters().L, 511);
    EXPECT_EQ(state.transcript(), "");
}

TEST(XdsetTest, DzeroSetsHalfTheExponentRange) {
    FreshState state;
    state.range().XDSET(0, 0, 1.0e300, 0);
    const ExtendedRangeParameters& p = state.range().parameters();
    EXPECT_EQ(p.L, 497);
    EXPECT_EQ(p.TWOL, 994);
    EXPECT_EQ(p.BASEL, std::ldexp(1.0, 497));
    EXPECT_EQ(p.KMAX, (1 << 30) - 994);
    EXPECT_EQ(state.transcript(), "");
}

struct XdsetErrorCase {
    const char* name;
    int irad;
    int nradpl;
    double dzero;
    int nbits;
    bool wideFormat; // defaults from a format with a far wider exponent range
    const char* message;
    int nerr;
    // What a returning report leaves behind: the steps before the failing one ran.
    int L;
    int MANTBITS;
    int KMAX;
};

// A format with a 15-bit exponent, the only way for 6*L to exceed KMAX.
constexpr NumberFormat kWideFormat{2, 113, -16381, 16384, 31};

const XdsetErrorCase kXdsetErrors[] = {
    {"Radix10", 10, 0, 0.0, 0, false, "ERR IN XDSET...IMPROPER VALUE OF IRAD", 1, 0, 0, 0},
    {"Dzero100", 0, 0, 100.0, 0, false, "ERR IN XDSET...IMPROPER VALUE OF DZERO", 2, 2, 53, 0},
    {"NegativeDzero", 0, 0, -1.0e300, 0, false, "ERR IN XDSET...IMPROPER VALUE OF DZERO", 2, 0, 53,
     0},
    {"InfiniteDzero", 0, 0, HUGE_VAL, 0, false, "ERR IN XDSET...IMPROPER VALUE OF DZERO", 2, 0, 53,
     0},
    {"Nbits14", 0, 0, 0.0, 14, false, "ERR IN XDSET...IMPROPER VALUE OF NBITS", 3, 511, 53, 0},
    {"Nbits32", 0, 0, 0.0, 32, false, "ERR IN XDSET...IMPROPER VALUE OF NBITS", 3, 511, 53, 0},
    {"Nbits63", 0, 0, 0.0, 63, false, "ERR IN XDSET...IMPROPER VALUE OF NBITS", 3, 511, 53, 0},
    {"Nradpl121", 2, 121, 0.0, 0, false, "ERR IN XDSET...IMPROPER VALUE OF NRADPL", 4, 511, 121,
     kKmax},
    {"NegativeNradpl", 0, -3, 0.0, 0, false, "ERR IN XDSET...IMPROPER VALUE OF NRADPL", 4, 511, -3,
     kKmax},
    {"Dzero1e4", 0, 0, 1.0e4, 0, false, "ERR IN XDSET...NRADPL .GE. L", 5, 5, 53, (1 << 30) - 10},
    {"KmaxTooSmall", 0, 0, 0.0, 15, true, "ERR IN XDSET...6*L .GT. KMAX", 6, 8191, 113,
     (1 << 14) - 16382},
};

class XdsetErrorTest : public ::testing::TestWithParam<XdsetErrorCase> {};

void runXdset(ExtendedRange& range, const XdsetErrorCase& c) {
    if (c.wideFormat) {
        range.XDSET(c.irad, c.nradpl, c.dzero, c.nbits, kWideFormat);
    } else {
        range.XDSET(c.irad, c.nradpl, c.dzero, c.nbits);
    }
}

TEST_P(XdsetErrorTest, ReportsAndEndsTheRun) {
    const XdsetErrorCase& c = GetParam();
    FreshState state;
    EXPECT_THROW(runXdset(state.range(), c), ProgramStop);
    EXPECT_EQ(state.transcript(), abortBlock(c.message, c.nerr));
}

TEST_P(XdsetErrorTest, AReturningReportLeavesTheLaterFieldsZeroAndTheFlagSet) {
    const XdsetErrorCase& c = GetParam();
    FreshState state;
    state.errors().ERRVAL(kControlSlot, 1, 1); // recoverable errors return
    runXdset(state.range(), c);
    const ExtendedRangeParameters& p = state.range().parameters();
    EXPECT_TRUE(state.range().isSet());
    EXPECT_EQ(p.L, c.L);
    EXPECT_EQ(p.MANTBITS, c.MANTBITS);
    EXPECT_EQ(p.KMAX, c.KMAX);
    EXPECT_NE(state.transcript().find(c.message), std::string::npos);

    // The failed set-up is not attempted again.
    FreshState unused;
    state.range().XDSET(0, 0, 0.0, 0);
    EXPECT_EQ(state.range().parameters().KMAX, c.KMAX);
}

INSTANTIATE_TEST_SUITE_P(EachError, XdsetErrorTest, ::testing::ValuesIn(kXdsetErrors),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Operations on the program's parameters ------------------------------------

class OperationsTest : public ::testing::Test {
protected:
    void SetUp() override { state_.range().XDSET(0, 0, 0.0, 0); }
    const ExtendedRange& range() { return state_.range(); }
    FreshState state_;
};

double p2(int e) {
    return std::ldexp(1.0, e);
}

struct Pair {
    double x;
    int ix;
};

struct AdjCase {
    Pair in;
    Pair out;
};

TEST_F(OperationsTest, XdadjKeepsThePrincipalPartInRange) {
    const AdjCase cases[] = {
        {{0.0, 17}, {0.0, 0}},
        {{p2(600), 0}, {p2(-422), 1022}},
        {{p2(-600), 0}, {p2(422), -1022}},
        {{-p2(600), 5}, {-p2(-422), 1027}},
        {{1.5, 7}, {1.5, 7}},             // already in range
        {{p2(511), 0}, {p2(-511), 1022}}, // BASEL itself is scaled
        {{p2(-511), 0}, {p2(-511), 0}},   // BASE^-L is in range
        {{std::nextafter(p2(-511), 0.0), 0}, {std::nextafter(p2(511), 0.0), -1022}},
        {{p2(600), kKmax - 1022}, {p2(-422), kKmax}}, // the largest index reached
        {{p2(-600), -(kKmax - 1022)}, {p2(422), -kKmax}},
        {{1.0, -kKmax}, {1.0, -kKmax}},
    };
    for (const AdjCase& c : cases) {
        double x = c.in.x;
        int ix = c.in.ix;
        range().XDADJ(x, ix);
        EXPECT_TRUE(x == c.out.x && ix == c.out.ix)
            << describe(c.in.x, c.in.ix) << " gave " << describe(x, ix);
    }
    EXPECT_EQ(state_.transcript(), "");
}

struct OverflowCase {
    const char* name;
    double x;
    int ix;
};

class XdadjOverflowTest : public ::testing::TestWithParam<OverflowCase> {};

TEST_P(XdadjOverflowTest, ReportsTheIndexOverflow) {
    FreshState state;
    state.range().XDSET(0, 0, 0.0, 0);
    double x = GetParam().x;
    int ix = GetParam().ix;
    EXPECT_THROW(state.range().XDADJ(x, ix), ProgramStop);
    EXPECT_EQ(state.transcript(), abortBlock("ERR IN XDADJ...OVERFLOW IN AUXILIARY INDEX", 1));
}

INSTANTIATE_TEST_SUITE_P(Cases, XdadjOverflowTest,
                         ::testing::Values(OverflowCase{"IndexAboveKmax", 1.5, kKmax + 1},
                                           OverflowCase{"IndexBelowMinusKmax", 1.5, -kKmax - 1},
                                           OverflowCase{"ScalingUpPastKmax", p2(600), 1073739800},
                                           OverflowCase{"ScalingDownPastMinusKmax", p2(-600),
                                                        -(kKmax - 1021)}),
                         [](const auto& info) { return std::string(info.param.name); });

struct SumCase {
    Pair a;
    Pair b;
    Pair sum;
};

TEST_F(OperationsTest, XdsumEdgeCases) {
    const SumCase cases[] = {
        {{1.0, 0}, {1.0, 0}, {2.0, 0}},
        {{3.0, 0}, {5.0, 0}, {p2(-508), 511}},   // the value 8, not in plain form
        {{0.25, 0}, {0.25, 0}, {p2(510), -511}}, // both small: the sum is taken at index -L
        {{0.0, 5}, {p2(600), 3}, {p2(-422), 1025}},
        {{p2(600), 3}, {0.0, 9}, {p2(-422), 1025}},
        {{1.0, 5000}, {1.0, -5000}, {1.0, 5000}},
        {{1.0, -5000}, {1.0, 5000}, {1.0, 5000}},
        {{-1.0, -3067}, {1.0, 3}, {1.0, 3}},
        {{1.0, 0}, {-1.0, 0}, {0.0, 0}},
        {{1.0, 100000}, {1.0, 0}, {1.0, 100000}}, // too far apart for s to move
    };
    for (const SumCase& c : cases) {
        double z = 0.0;
        int iz = 0;
        range().XDSUM(c.a.x, c.a.ix, c.b.x, c.b.ix, z, iz);
        EXPECT_TRUE(z == c.sum.x && iz == c.sum.ix)
            << describe(c.a.x, c.a.ix) << " + " << describe(c.b.x, c.b.ix) << " gave "
            << describe(z, iz);
    }
    double x = 3.0;
    int ix = 0;
    range().XDPLAIN(x, ix);
    EXPECT_EQ(x, 3.0);
    double z = 3.0;
    int iz = 0;
    range().XDSUM(z, iz, 5.0, 0, z, iz); // the result may be an input's variables
    range().XDPLAIN(z, iz);
    EXPECT_EQ(z, 8.0);
    EXPECT_EQ(iz, 0);
}

// Sums compared with the same sum formed in 80-bit extended precision, whose
// exponent range holds every value here (indices up to about 12000).
TEST_F(OperationsTest, XdsumAgreesWithWideArithmetic) {
    if (LDBL_MANT_DIG < 64 || LDBL_MAX_EXP < 16384) {
        GTEST_SKIP() << "needs an 80-bit long double";
    }
    std::mt19937_64 random(20261211);
    std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
    std::uniform_int_distribution<int> exponent(-700, 700);
    std::uniform_int_distribution<int> index(-5000, 5000);
    std::uniform_int_distribution<int> offset(-2100, 2100);
    const double bandLow = p2(-511);
    const double bandHigh = p2(511);
    for (int n = 0; n < 200000; ++n) {
        const double x = std::ldexp(mantissa(random), exponent(random));
        const int ix = index(random);
        const double y = std::ldexp(mantissa(random), exponent(random));
        const int iy = (n % 2 == 0) ? ix + offset(random) : index(random);
        double z = 0.0;
        int iz = 0;
        range().XDSUM(x, ix, y, iy, z, iz);
        const long double wide = std::ldexp(static_cast<long double>(x), ix) +
                                 std::ldexp(static_cast<long double>(y), iy);
        const long double got = std::ldexp(static_cast<long double>(z), iz);
        const long double scale = std::max(std::fabs(std::ldexp(static_cast<long double>(x), ix)),
                                           std::fabs(std::ldexp(static_cast<long double>(y), iy)));
        // One rounding of each operand on its way and one of the sum.
        ASSERT_LE(std::fabs(got - wide), 4.0L * DBL_EPSILON * scale)
            << describe(x, ix) << " + " << describe(y, iy) << " gave " << describe(z, iz);
        if (z != 0.0 && std::fabs(z) >= p2(-1533) && std::fabs(z) < p2(1533)) {
            ASSERT_TRUE(std::fabs(z) >= bandLow && std::fabs(z) < bandHigh) << describe(z, iz);
        }
    }
}

TEST_F(OperationsTest, XdplainEdgeCases) {
    const AdjCase cases[] = {
        {{1.0, 1000}, {p2(1000), 0}},
        {{1.0, 1100}, {1.0, 1100}},
        {{1.0, -1100}, {1.0, -1100}},
        {{-0.75, 0}, {-0.75, 0}},
        {{0.0, 9}, {0.0, 0}},
        {{1.0, 1022}, {p2(1022), 0}}, // both ends of the band are included
        {{1.0, -1022}, {p2(-1022), 0}},
        {{2.0, 1022}, {2.0, 1022}}, // just outside it
        {{0.5, -1022}, {0.5, -1022}},
        {{-1.5, -1}, {-0.75, 0}},
        {{p2(-1000), 2000}, {p2(1000), 0}}, // more than one step of 2L
        {{p2(1000), -2000}, {p2(-1000), 0}},
        {{p2(-100), 3000}, {p2(-100), 3000}},
        {{p2(1023), 0}, {p2(1023), 0}}, // a plain value beyond the band stays as it is
        {{p2(-1050), 0}, {p2(-1050), 0}},
        {{HUGE_VAL, 5}, {HUGE_VAL, 5}},
    };
    for (const AdjCase& c : cases) {
        double x = c.in.x;
        int ix = c.in.ix;
        range().XDPLAIN(x, ix);
        EXPECT_TRUE(x == c.out.x && ix == c.out.ix)
            << describe(c.in.x, c.in.ix) << " gave " << describe(x, ix);
    }
}

// Every adjusted value inside the band becomes the exact double; every other value
// is left as it was.
TEST_F(OperationsTest, XdplainConvertsExactlyTheBand) {
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> mantissa(0.5, 1.0);
    std::uniform_int_distribution<int> exponent(-3200, 3200);
    for (int n = 0; n < 100000; ++n) {
        const int e = exponent(random);
        const double m = (n % 2 == 0 ? 1.0 : -1.0) * mantissa(random);
        double x = m;
        int ix = 0;
        // m * 2^e as an adjusted pair: index a multiple of 1022, principal part in range.
        ix = 1022 * ((e + 511) / 1022 - (e + 511 < 0 && (e + 511) % 1022 != 0 ? 1 : 0));
        x = std::ldexp(m, e - ix);
        const double x0 = x;
        const int ix0 = ix;
        range().XDPLAIN(x, ix);
        const bool inBand = std::fabs(std::ldexp(static_cast<long double>(m), e)) >= p2(-1022) &&
                            std::fabs(std::ldexp(static_cast<long double>(m), e)) <= p2(1022);
        if (inBand) {
            ASSERT_TRUE(ix == 0 && x == std::ldexp(m, e)) << describe(x0, ix0);
        } else {
            ASSERT_TRUE(x == x0 && ix == ix0) << describe(x0, ix0);
        }
    }
}

} // namespace
} // namespace ormeda
