// The Legendre driver: which requests it refuses and how, the angle range with its
// console line, the integer-degree rules, and spot values of the cap model's kind.
#include "fresh_state.hpp"
#include "program_stop.hpp"
#include "report_block.hpp"
#include "xdlegf.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <string>

namespace ormeda {
namespace {

using testing::abortBlock;
using testing::FreshState;

constexpr double kHalfPi = 1.5707963267948966;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr int kControlSlot = 2;
constexpr const char* kInvalid = "XDLEGF: DNU1,NUDIFF,MU1,MU2, OR ID NOT VALID";
constexpr const char* kTheta = "XDLEGF: THETA OUT OF RANGE";

constexpr double kFill = 7.0;
constexpr int kFillIndex = 99;

struct Request {
    double dnu1;
    int nudiff;
    int mu1;
    int mu2;
    double theta;
    int id;
};

struct RefusedCase {
    const char* name;
    Request r;
    const char* thetaLine; // the console line before an angle report, else nullptr
    int zeroed;            // entries zeroed before the report
};

const RefusedCase kRefused[] = {
    {"NegativeNudiff", {0.5, -1, 1, 1, 0.5, 3}, nullptr, 0},
    {"DegreeBelowMinusOne", {-1.0000000000000002, 0, 0, 0, 0.5, 1}, nullptr, 1},
    {"DegreeNaN", {kNaN, 0, 0, 0, 0.5, 1}, nullptr, 1},
    {"DegreeInfinite", {HUGE_VAL, 0, 0, 0, 0.5, 1}, nullptr, 1},
    {"OrdersReversed", {0.5, 3, 2, 1, 0.5, 1}, nullptr, 3},
    {"NegativeOrder", {0.5, 0, -1, 0, 0.5, 1}, nullptr, 2},
    {"IdZero", {0.5, 0, 0, 0, 0.5, 0}, nullptr, 1},
    {"IdFive", {0.5, 0, 0, 0, 0.5, 5}, nullptr, 1},
    {"OrdersAndDegrees", {0.5, 1, 1, 2, 0.5, 1}, nullptr, 3},
    {"NormalisedAtRealDegree", {2.5, 0, 1, 1, 0.5, 4}, nullptr, 1},
    {"QAtDegreeMinusOne", {-1.0, 2, 0, 0, 0.5, 2}, nullptr, 3},
    {"ThetaZero", {0.5, 0, 0, 0, 0.0, 1}, "THETA: 0", 1},
    {"ThetaNegative", {0.5, 0, 0, 0, -0.25, 1}, "THETA: -0.25", 1},
    {"ThetaAboveHalfPi", {0.5, 0, 0, 0, 1.5707963267948968, 1}, "THETA: 1.5707963267948968", 1},
    {"ThetaNaN", {0.5, 0, 0, 0, kNaN, 1}, "THETA: nan", 1},
    // The checks run in a fixed order: the order before the angle, the angle before ID.
    {"OrderBeforeAngle", {0.5, 0, -1, 0, 0.0, 1}, nullptr, 2},
    {"AngleBeforeId", {0.5, 0, 0, 0, 2.0, 9}, "THETA: 2", 1},
};

class RefusedTest : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedTest, ReportsEndsTheRunAndLeavesTheEntriesZero) {
    const RefusedCase& c = GetParam();
    FreshState state;
    std::array<double, 6> prin;
    std::array<int, 6> iaux;
    prin.fill(kFill);
    iaux.fill(kFillIndex);
    EXPECT_THROW(XDLEGF(c.r.dnu1, c.r.nudiff, c.r.mu1, c.r.mu2, c.r.theta, c.r.id, prin, iaux),
                 ProgramStop);
    const std::string expected = c.thetaLine != nullptr
                                     ? std::string(c.thetaLine) + "\r\n" + abortBlock(kTheta, 2)
                                     : abortBlock(kInvalid, 1);
    EXPECT_EQ(state.transcript(), expected);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(prin[i], i < c.zeroed ? 0.0 : kFill) << "entry " << i + 1;
        EXPECT_EQ(iaux[i], i < c.zeroed ? 0 : kFillIndex) << "entry " << i + 1;
    }
}

INSTANTIATE_TEST_SUITE_P(Requests, RefusedTest, ::testing::ValuesIn(kRefused),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(XdlegfTest, ArraysShorterThanTheRequestAreRefused) {
    FreshState state;
    std::array<double, 3> prin{kFill, kFill, kFill};
    std::array<int, 3> iaux{1, 1, 1};
    EXPECT_THROW(XDLEGF(0.5, 3, 0, 0, 0.5, 1, prin, iaux), ProgramStop);
    EXPECT_EQ(state.transcript(), abortBlock(kInvalid, 1));
    EXPECT_EQ(prin, (std::array<double, 3>{0.0, 0.0, 0.0}));
}

TEST(XdlegfTest, AReturningReportComputesNothing) {
    FreshState state;
    state.errors().ERRVAL(kControlSlot, 1, 1); // recoverable errors return
    std::array<double, 2> prin{kFill, kFill};
    std::array<int, 2> iaux{kFillIndex, kFillIndex};
    XDLEGF(0.5, 1, 0, 0, 3.0, 1, prin, iaux);
    EXPECT_EQ(prin, (std::array<double, 2>{0.0, 0.0}));
    EXPECT_EQ(iaux, (std::array<int, 2>{0, 0}));
    EXPECT_NE(state.transcript().find("THETA: 3\r\n"), std::string::npos);
}

double one(double dnu1, int mu, double theta, int id, int* index = nullptr) {
    double prin[1] = {kFill};
    int iaux[1] = {kFillIndex};
    XDLEGF(dnu1, 0, mu, mu, theta, id, prin, iaux);
    if (index != nullptr) {
        *index = iaux[0];
    }
    return prin[0];
}

TEST(XdlegfTest, AcceptsTheEdgesOfItsRanges) {
    FreshState state;
    // theta = pi/2 exactly: P^1_1(0) = -1.
    EXPECT_DOUBLE_EQ(one(1.0, 1, kHalfPi, 3), -1.0);
    // Degree -1 is degree 0 (P_(-nu-1) = P_nu): P_(-1) = 1 in both P kinds, and
    // P^1_(-1) = P^1_0 = 0.
    EXPECT_EQ(one(-1.0, 0, 0.5, 1), 1.0);
    EXPECT_EQ(one(-1.0, 0, 0.5, 3), 1.0);
    EXPECT_EQ(one(-1.0, 1, 0.5, 3), 0.0);
    std::array<double, 3> prin{};
    std::array<int, 3> iaux{};
    XDLEGF(-1.0, 2, 0, 0, 0.5, 3, prin, iaux);
    EXPECT_EQ(prin[0], 1.0);
    EXPECT_EQ(prin[1], 1.0);
    EXPECT_DOUBLE_EQ(prin[2], std::cos(0.5));
    // Q accepts any degree above -1; P^(-mu) any degree from -1 on.
    EXPECT_TRUE(std::isfinite(one(-0.999, 0, 0.5, 2)));
    EXPECT_TRUE(std::isfinite(one(2.5, 1, 0.5, 2)));
    EXPECT_TRUE(std::isfinite(one(2.5, 3, 0.5, 1)));
    EXPECT_EQ(state.transcript(), "");
}

TEST(XdlegfTest, IntegerDegreeBelowTheOrderGivesZeroWithoutAMessage) {
    FreshState state;
    int index = kFillIndex;
    EXPECT_EQ(one(2.0, 3, 0.5, 3, &index), 0.0);
    EXPECT_EQ(index, 0);
    std::array<double, 3> prin;
    std::array<int, 3> iaux;
    prin.fill(kFill);
    XDLEGF(1.0, 0, 2, 4, 0.5, 4, prin, iaux);
    EXPECT_EQ(prin, (std::array<double, 3>{0.0, 0.0, 0.0}));
    // The same order at a real degree is computed.
    EXPECT_NE(one(2.5, 3, 0.5, 3), 0.0);
    EXPECT_EQ(state.transcript(), "");
}

// P^m_n(cos theta) with the (-1)^m phase, the cap model's request (ID 3, one value).
// Reference values: mpmath 1.2, Ferrers function of the first kind, 40 digits.
struct SpotValue {
    double nu;
    int mu;
    double theta;
    double value;
};

TEST(XdlegfTest, CapModelRequestMatchesHighPrecisionValues) {
    const SpotValue values[] = {
        {2.7, 0, 0.6, 0.273787004415853081969555591781521617684},
        {2.7, 1, 0.6, -1.894399776713424716172443947378245626377},
        {2.7, 2, 0.6, 2.802940777420976794414265140529555320689},
        {13.43, 2, 0.3, 62.22697541774693744451955277555576281544},
        {1.0, 1, 0.6, -0.5646424733950353388748133913409280932074},
    };
    FreshState state;
    for (const SpotValue& v : values) {
        int index = kFillIndex;
        const double got = one(v.nu, v.mu, v.theta, 3, &index);
        EXPECT_EQ(index, 0);
        EXPECT_NEAR(got, v.value, 1e-14 * std::fabs(v.value))
            << "nu " << v.nu << " mu " << v.mu << " theta " << v.theta;
    }
}

} // namespace
} // namespace ormeda
