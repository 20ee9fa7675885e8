// Numerical faults: the Legendre library and the extended-range operations fed with
// extreme arguments. Whatever the arguments, a call either returns a value that keeps
// the library's promises or ends through XERROR with one of its own messages; it
// never crashes, hangs or trips a sanitizer. Each call runs on a fresh console, error
// package and extended-range set-up.
#include "fresh_state.hpp"
#include "program_stop.hpp"
#include "xdlegf.hpp"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using ormeda::ProgramStop;
using ormeda::testing::FreshState;

constexpr double kHalfPi = 1.5707963267948966;
constexpr double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr int kL = 511;
constexpr int kTwoL = 1022;
constexpr int kKmax = 1073740802;

constexpr const char* kInvalid = "XDLEGF: DNU1,NUDIFF,MU1,MU2, OR ID NOT VALID";
constexpr const char* kTheta = "XDLEGF: THETA OUT OF RANGE";
constexpr const char* kOverflow = "ERR IN XDADJ...OVERFLOW IN AUXILIARY INDEX";

// A hang is a failure: no case here needs more than a few seconds.
class NumericFaults : public ::testing::Test {
protected:
    static void onAlarm(int) {
        constexpr char text[] = "numeric fault case still running after its time limit\n";
        (void)!write(2, text, sizeof text - 1);
        _exit(3);
    }
    void SetUp() override {
        std::signal(SIGALRM, onAlarm);
        alarm(120);
    }
    void TearDown() override { alarm(0); }
};

// What one call did: returned normally, or ended the run with this transcript.
struct Outcome {
    bool returned = false;
    std::optional<ProgramStop> stop;
    std::string transcript;
};

// log2 of |x| * 2^ix, for a finite non-zero principal part.
double log2Magnitude(double x, int ix) {
    return std::log2(std::fabs(x)) + ix;
}

// Whether |x| * 2^ix lies in 2^-1022 .. 2^1022, both ends included, decided exactly
// from the mantissa m in [0.5, 1) and the binary exponent.
bool fitsPlainForm(double x, int ix) {
    int e = 0;
    const double m = std::fabs(std::frexp(x, &e));
    const long long exponent = static_cast<long long>(e) + ix;
    return exponent >= -1021 && (exponent <= 1022 || (exponent == 1023 && m == 0.5));
}

std::string request(double dnu1, int nudiff, int mu1, int mu2, double theta, int id) {
    char text[200];
    std::snprintf(text, sizeof text, "XDLEGF(%.17g, %d, %d, %d, %.17g (%a), %d)", dnu1, nudiff, mu1,
                  mu2, theta, theta, id);
    return text;
}

struct LegendreCall {
    Outcome outcome;
    std::vector<double> prin;
    std::vector<int> iaux;
};

LegendreCall callXdlegf(double dnu1, int nudiff, int mu1, int mu2, double theta, int id,
                        std::size_t entries) {
    FreshState state;
    LegendreCall call;
    call.prin.assign(entries, -7.0); // exactly sized, so that a stray write shows
    call.iaux.assign(entries, -7);
    try {
        ormeda::XDLEGF(dnu1, nudiff, mu1, mu2, theta, id, call.prin, call.iaux);
        call.outcome.returned = true;
    } catch (const ProgramStop& stop) {
        call.outcome.stop = stop;
    }
    call.outcome.transcript = state.transcript();
    return call;
}

// The run ended through the error package (exit status 2) with `message`.
void expectErrorStop(const Outcome& outcome, const std::string& message, const std::string& what) {
    ASSERT_FALSE(outcome.returned) << what << " returned without a report";
    ASSERT_TRUE(outcome.stop.has_value());
    EXPECT_EQ(outcome.stop->kind, ProgramStop::Kind::ErrorAbort) << what;
    EXPECT_EQ(outcome.stop->status, ormeda::kExitErrorAbort) << what;
    EXPECT_NE(outcome.transcript.find("RECOVERABLE ERROR IN...\r\n" + message + "\r\n"),
              std::string::npos)
        << what << "\n"
        << outcome.transcript;
}

// ---- XDLEGF with valid but extreme arguments ---------------------------------------

// Degrees near -1 and the half-integers of the cap basis, up to large degrees.
const std::vector<double> kDegrees = {-1.0,      std::nextafter(-1.0, 0.0),
                                      -0.999999, -0.5,
                                      0.0,       1e-300,
                                      0.5,       1.0,
                                      2.7,       20.25,
                                      49.5,      50.0,
                                      100.25,    1000.0,
                                      2000.5,    12345.5};
const std::vector<int> kOrders = {0, 1, 2, 7, 25, 49, 50};
// Angles near 0 (down to the smallest subnormal) and at pi/2.
const std::vector<double> kAngles = {std::numeric_limits<double>::denorm_min(),
                                     1e-300,
                                     1e-150,
                                     1e-10,
                                     1e-3,
                                     0.5,
                                     1.0,
                                     std::nextafter(kHalfPi, 0.0),
                                     kHalfPi};

// A returned entry is zero, or a finite principal part in range with its index in
// -KMAX..KMAX, in plain form whenever the value lies in 2^-1022..2^1022.
void expectSoundEntries(const LegendreCall& call, std::size_t entries, const std::string& what) {
    for (std::size_t i = 0; i < entries; ++i) {
        const double x = call.prin[i];
        const int ix = call.iaux[i];
        ASSERT_FALSE(std::isnan(x)) << what << " entry " << i + 1;
        if (x == 0.0) {
            EXPECT_EQ(ix, 0) << what << " entry " << i + 1;
            continue;
        }
        if (std::isinf(x)) {
            ADD_FAILURE() << what << " entry " << i + 1 << " is infinite";
            continue;
        }
        EXPECT_LE(std::abs(static_cast<long long>(ix)), kKmax) << what << " entry " << i + 1;
        if (ix != 0) {
            EXPECT_FALSE(fitsPlainForm(x, ix)) << what << " entry " << i + 1 << ": " << x << " * 2^"
                                               << ix << " fits a double but is not in plain form";
        }
    }
}

// The order recurrences and the Q kind multiply a principal part (up to 2^511) by
// 1/sin(theta) and an order factor before adjusting it. Below an angle of about 1e-152
// that product leaves the double range, as the recurrences are defined: there only the
// absence of a crash, a hang and a sanitizer report counts.
bool recurrenceCoefficientsOverflow(double theta) {
    return !std::isfinite(1.0 / std::sin(theta) * 0x1p512 * 100.0);
}

TEST_F(NumericFaults, XdlegfSingleValuesOfEveryKind) {
    int calls = 0;
    for (const double nu : kDegrees) {
        for (const int mu : kOrders) {
            for (const double theta : kAngles) {
                for (int id = 1; id <= 4; ++id) {
                    const bool integerDegree = std::fmod(nu, 1.0) == 0.0;
                    if ((id == 4 && !integerDegree) || (id == 2 && nu == -1.0)) {
                        continue; // refused requests, covered below
                    }
                    const auto what = request(nu, 0, mu, mu, theta, id);
                    const auto call = callXdlegf(nu, 0, mu, mu, theta, id, 1);
                    ++calls;
                    if (!call.outcome.returned) {
                        expectErrorStop(call.outcome, kOverflow, what);
                        continue;
                    }
                    EXPECT_EQ(call.outcome.transcript.find("TROUBLES"), std::string::npos);
                    if (id == 2 && recurrenceCoefficientsOverflow(theta)) {
                        continue;
                    }
                    expectSoundEntries(call, 1, what);
                    if (HasFatalFailure()) {
                        return;
                    }
                }
            }
        }
    }
    EXPECT_GT(calls, 3000);
}

TEST_F(NumericFaults, XdlegfRunsOfDegreesAndOrders) {
    for (const double nu : {-1.0, -0.75, 0.0, 3.5, 40.0, 400.5}) {
        for (const double theta : kAngles) {
            for (int id = 1; id <= 4; ++id) {
                const bool integerDegree = std::fmod(nu, 1.0) == 0.0;
                if ((id == 4 && !integerDegree) || (id == 2 && nu == -1.0)) {
                    continue;
                }
                const bool infiniteCoefficients = recurrenceCoefficientsOverflow(theta);
                // A run of 21 degrees at order 5, and the run of orders 0 to 50.
                const auto degrees = callXdlegf(nu, 20, 5, 5, theta, id, 21);
                const auto orders = callXdlegf(nu, 0, 0, 50, theta, id, 51);
                for (const auto* call : {&degrees, &orders}) {
                    const bool ofOrders = call == &orders;
                    const auto what = request(nu, ofOrders ? 0 : 20, ofOrders ? 0 : 5,
                                              ofOrders ? 50 : 5, theta, id);
                    if (!call->outcome.returned) {
                        expectErrorStop(call->outcome, kOverflow, what);
                        continue;
                    }
                    if (infiniteCoefficients && (ofOrders || id == 2)) {
                        continue;
                    }
                    expectSoundEntries(*call, ofOrders ? 51 : 21, what);
                    if (HasFatalFailure()) {
                        return;
                    }
                }
            }
        }
    }
}

// ---- XDLEGF with arguments it must refuse ------------------------------------------

struct Refused {
    double dnu1;
    int nudiff;
    int mu1;
    int mu2;
    double theta;
    int id;
    std::size_t entries; // the size of the caller's arrays
    const char* message;
};

TEST_F(NumericFaults, XdlegfRefusesBadArgumentsThroughXerror) {
    const double below = std::nextafter(-1.0, -kInf);
    const double abovePi2 = std::nextafter(kHalfPi, kInf);
    const std::vector<Refused> cases = {
        {below, 0, 0, 0, 1.0, 1, 1, kInvalid},
        {-1e300, 0, 0, 0, 1.0, 3, 1, kInvalid},
        {-kInf, 0, 0, 0, 1.0, 3, 1, kInvalid},
        {kInf, 0, 0, 0, 1.0, 3, 1, kInvalid},
        {kNaN, 0, 0, 0, 1.0, 3, 1, kInvalid},
        {kNaN, 0, 0, 0, 1.0, 2, 1, kInvalid},
        {0.5, -1, 0, 0, 1.0, 1, 1, kInvalid},
        {0.5, INT_MIN, 0, 0, 1.0, 1, 1, kInvalid},
        {0.5, 0, 2, 1, 1.0, 1, 1, kInvalid},
        {0.5, 0, -1, 0, 1.0, 1, 2, kInvalid},
        {0.5, 0, INT_MIN, INT_MAX, 1.0, 1, 4, kInvalid}, // a count beyond any array
        {0.5, INT_MAX, 0, 0, 1.0, 1, 4, kInvalid},       // more entries than the arrays hold
        {0.5, 0, 0, INT_MAX, 1.0, 1, 4, kInvalid},
        {0.5, 1, 1, 2, 1.0, 1, 3, kInvalid}, // degrees and orders at once
        {2.5, 0, 1, 1, 1.0, 4, 1, kInvalid}, // normalised needs an integer degree
        {0.5, 0, 0, 0, 1.0, 0, 1, kInvalid},
        {0.5, 0, 0, 0, 1.0, 5, 1, kInvalid},
        {0.5, 0, 0, 0, 1.0, INT_MIN, 1, kInvalid},
        {0.5, 0, 0, 0, 0.0, 3, 1, kTheta},
        {0.5, 0, 0, 0, -0.0, 3, 1, kTheta},
        {0.5, 0, 0, 0, -std::numeric_limits<double>::denorm_min(), 3, 1, kTheta},
        {0.5, 0, 0, 0, abovePi2, 3, 1, kTheta},
        {0.5, 0, 0, 0, 3.141592653589793, 3, 1, kTheta},
        {0.5, 0, 0, 0, kInf, 3, 1, kTheta},
        {0.5, 0, 0, 0, -kInf, 3, 1, kTheta},
        {0.5, 0, 0, 0, kNaN, 3, 1, kTheta},
        {0.5, 0, 0, 0, DBL_MAX, 2, 1, kTheta},
    };
    for (const auto& c : cases) {
        const auto what = request(c.dnu1, c.nudiff, c.mu1, c.mu2, c.theta, c.id);
        const auto call = callXdlegf(c.dnu1, c.nudiff, c.mu1, c.mu2, c.theta, c.id, c.entries);
        expectErrorStop(call.outcome, c.message, what);
        if (c.message == kTheta) {
            EXPECT_TRUE(call.outcome.transcript.starts_with("THETA: ")) << what;
        }
        // The entries of the request that the arrays hold are zero; nothing beyond.
        const long long requested = (static_cast<long long>(c.mu2) - c.mu1) + c.nudiff + 1;
        for (std::size_t i = 0; i < c.entries; ++i) {
            if (static_cast<long long>(i) < requested) {
                EXPECT_EQ(call.prin[i], 0.0) << what << " entry " << i + 1;
                EXPECT_EQ(call.iaux[i], 0) << what << " entry " << i + 1;
            }
        }
    }
}

// ---- Extended-range operations -------------------------------------------------------

struct RangeCall {
    Outcome outcome;
    double x = 0.0;
    int ix = 0;
};

template <class Operation> RangeCall callRange(Operation operation) {
    FreshState state;
    state.range().XDSET(0, 0, 0.0, 0);
    RangeCall call;
    try {
        operation(state.range(), call.x, call.ix);
        call.outcome.returned = true;
    } catch (const ProgramStop& stop) {
        call.outcome.stop = stop;
    }
    call.outcome.transcript = state.transcript();
    return call;
}

const std::vector<double> kPrincipalParts = {DBL_MAX,
                                             0x1p1023,
                                             0x1p1022,
                                             0x1p600,
                                             0x1p511,
                                             0x1.fffffffffffffp510,
                                             3.0,
                                             1.0,
                                             0.75,
                                             0x1p-511,
                                             0x1.fffffffffffffp-512,
                                             0x1p-600,
                                             DBL_MIN,
                                             std::numeric_limits<double>::denorm_min(),
                                             0.0};
const std::vector<int> kIndices = {
    0,         1,     kTwoL,    6 * kL + 1, kKmax - kTwoL - 1, kKmax - kTwoL, kKmax - kTwoL + 1,
    kKmax - 1, kKmax, kKmax + 1};

std::vector<int> signedIndices() {
    std::vector<int> all;
    for (const int i : kIndices) {
        all.push_back(i);
        all.push_back(-i);
    }
    return all;
}

std::string pair(double x, int ix) {
    char text[96];
    std::snprintf(text, sizeof text, "(%a, %d)", x, ix);
    return text;
}

TEST_F(NumericFaults, XdadjKeepsTheValueOrReportsTheIndexOverflow) {
    for (const double part : kPrincipalParts) {
        for (const double x0 : {part, -part}) {
            for (const int ix0 : signedIndices()) {
                const auto what = "XDADJ" + pair(x0, ix0);
                const auto call = callRange([&](auto& range, double& x, int& ix) {
                    x = x0;
                    ix = ix0;
                    range.XDADJ(x, ix);
                });
                // A part left unscaled keeps its index, which must then be in range.
                const bool unscaled = std::fabs(x0) >= 0x1p-511 && std::fabs(x0) < 0x1p511;
                const bool outOfRange = x0 != 0.0 && unscaled && (ix0 > kKmax || ix0 < -kKmax);
                if (!call.outcome.returned) {
                    expectErrorStop(call.outcome, kOverflow, what);
                    // Only an index at the edge of the range may overflow.
                    EXPECT_TRUE(outOfRange || std::abs(static_cast<long long>(ix0)) > kKmax - kTwoL)
                        << what;
                    continue;
                }
                EXPECT_FALSE(outOfRange) << what << " accepted an index beyond KMAX";
                EXPECT_LE(std::abs(static_cast<long long>(call.ix)), kKmax) << what;
                if (x0 == 0.0) {
                    EXPECT_EQ(call.x, 0.0) << what;
                    EXPECT_EQ(call.ix, 0) << what;
                    continue;
                }
                // The same value: the same mantissa, the same binary exponent overall.
                int e0 = 0;
                int e1 = 0;
                const double m0 = std::frexp(x0, &e0);
                const double m1 = std::frexp(call.x, &e1);
                EXPECT_EQ(m0, m1) << what << " -> " << pair(call.x, call.ix);
                EXPECT_EQ(static_cast<long long>(e0) + ix0, static_cast<long long>(e1) + call.ix)
                    << what << " -> " << pair(call.x, call.ix);
                // One scaling by 2^1022 mends every finite double (all lie within
                // 2^-1533 .. 2^1533): the part is in range afterwards.
                EXPECT_GE(std::fabs(call.x), 0x1p-511) << what;
                EXPECT_LT(std::fabs(call.x), 0x1p511) << what;
            }
        }
    }
}

// Adjusted operands across the whole index range, summed: the result is the exact sum
// rounded, to a few units in the last place of the larger operand.
TEST_F(NumericFaults, XdsumOfExtremeOperands) {
    std::vector<std::pair<double, int>> operands;
    for (const double part : {0x1p-511, 0.6, 1.0, 0x1.fffffffffffffp510, 0x1.8p-300, 0x1p300}) {
        for (const int ix : {0, 1, -1, kL, -kL, 6 * kL, -6 * kL, 6 * kL + 1, -(6 * kL + 1),
                             kKmax - kTwoL, -(kKmax - kTwoL), kKmax, -kKmax}) {
            operands.emplace_back(part, ix);
            operands.emplace_back(-part, ix);
        }
    }
    operands.emplace_back(0.0, 0);
    for (const auto& [x, ix] : operands) {
        for (const auto& [y, iy] : operands) {
            const auto what = "XDSUM" + pair(x, ix) + " + " + pair(y, iy);
            const auto call = callRange(
                [&](auto& range, double& z, int& iz) { range.XDSUM(x, ix, y, iy, z, iz); });
            if (!call.outcome.returned) {
                expectErrorStop(call.outcome, kOverflow, what);
                // Only a sum at the top of the range may overflow its index.
                EXPECT_GE(std::max(std::abs(static_cast<long long>(ix)),
                                   std::abs(static_cast<long long>(iy))),
                          kKmax - kTwoL)
                    << what;
                continue;
            }
            ASSERT_TRUE(std::isfinite(call.x)) << what;
            EXPECT_LE(std::abs(static_cast<long long>(call.ix)), kKmax) << what;
            // Compare in units of the larger operand: y / x = 2^(iy - ix) * (y / x).
            const double lx = x == 0.0 ? -INFINITY : log2Magnitude(x, ix);
            const double ly = y == 0.0 ? -INFINITY : log2Magnitude(y, iy);
            if (x == 0.0 && y == 0.0) {
                EXPECT_EQ(call.x, 0.0) << what;
                continue;
            }
            const bool xLarger = lx >= ly;
            const double big = xLarger ? x : y;
            const int bigIndex = xLarger ? ix : iy;
            const double small = xLarger ? y : x;
            const int smallIndex = xLarger ? iy : ix;
            const long long shift = static_cast<long long>(smallIndex) - bigIndex;
            const double smallInBig =
                small == 0.0 || shift < -3000 ? 0.0 : std::ldexp(small / big, int(shift));
            const double expected = 1.0 + smallInBig; // exact sum / big, rounded once
            const double got =
                call.x == 0.0
                    ? 0.0
                    : std::ldexp(call.x / big, int(static_cast<long long>(call.ix) - bigIndex));
            EXPECT_NEAR(got, expected, 8 * DBL_EPSILON) << what << " -> " << pair(call.x, call.ix);
        }
    }
}

TEST_F(NumericFaults, XdplainFoldsExactlyTheValuesThatFitADouble) {
    std::vector<std::pair<double, int>> inputs;
    for (const double part : {0x1p-511, 0.5, 0.75, 1.0, 0x1.fffffffffffffp510}) {
        for (const int ix : {0, 1, -1, 511, -511, 1022, -1022, 1023, -1023, 1533, -1533, 1534,
                             -1534, 2044, -2044, 1000000, -1000000, kKmax, -kKmax}) {
            inputs.emplace_back(part, ix);
            inputs.emplace_back(-part, ix);
        }
    }
    // Values just inside and just outside 2^-1022 .. 2^1022.
    inputs.emplace_back(0.5, 1023);
    inputs.emplace_back(0x1.0000000000001p-1, 1023);
    inputs.emplace_back(1.0, -1022);
    inputs.emplace_back(0x1.fffffffffffffp-1, -1022);
    inputs.emplace_back(DBL_MAX, 0);
    inputs.emplace_back(std::numeric_limits<double>::denorm_min(), 0);
    inputs.emplace_back(0.0, 12345);
    for (const auto& [x0, ix0] : inputs) {
        const auto what = "XDPLAIN" + pair(x0, ix0);
        const auto call = callRange([&](auto& range, double& x, int& ix) {
            x = x0;
            ix = ix0;
            range.XDPLAIN(x, ix);
        });
        ASSERT_TRUE(call.outcome.returned) << what << " reported:\n" << call.outcome.transcript;
        if (x0 == 0.0) {
            EXPECT_EQ(call.x, 0.0);
            EXPECT_EQ(call.ix, 0);
            continue;
        }
        if (fitsPlainForm(x0, ix0)) {
            EXPECT_EQ(call.ix, 0) << what;
            EXPECT_EQ(call.x, std::ldexp(x0, ix0)) << what;
        } else {
            EXPECT_EQ(call.x, x0) << what << " changed a value that has no plain form";
            EXPECT_EQ(call.ix, ix0) << what;
        }
    }
}

// Non-finite principal parts come out of no valid computation, but must not hang or
// trip a sanitizer either: they are returned as they are or reported.
TEST_F(NumericFaults, NonFinitePrincipalPartsEndQuietly) {
    for (const double x0 : {kInf, -kInf, kNaN}) {
        for (const int ix0 : {0, 5, -5, kKmax, -kKmax}) {
            const auto what = pair(x0, ix0);
            const auto plain = callRange([&](auto& range, double& x, int& ix) {
                x = x0;
                ix = ix0;
                range.XDPLAIN(x, ix);
            });
            EXPECT_TRUE(plain.outcome.returned) << "XDPLAIN" << what;
            const auto adjusted = callRange([&](auto& range, double& x, int& ix) {
                x = x0;
                ix = ix0;
                range.XDADJ(x, ix);
            });
            if (!adjusted.outcome.returned) {
                expectErrorStop(adjusted.outcome, kOverflow, "XDADJ" + what);
            }
            const auto sum = callRange(
                [&](auto& range, double& z, int& iz) { range.XDSUM(x0, ix0, 1.0, 0, z, iz); });
            if (!sum.outcome.returned) {
                expectErrorStop(sum.outcome, kOverflow, "XDSUM" + what);
            }
        }
    }
}

} // namespace
