// The Legendre library against reference values computed independently at high
// precision (tests/data/legendre_reference.txt, made by
// tools/fixtures/legendre_reference.py with mpmath): every kind, runs of degrees
// from -1 to 30 and runs of orders 0 to 10, angles from 1e-40 to pi/2. Values
// beyond the double range must come back in extended form and carry the value.
#include "fresh_state.hpp"
#include "xdlegf.hpp"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace ormeda {
namespace {

using testing::FreshState;

struct Reference {
    int kind = 0;
    double dnu1 = 0.0;
    int nudiff = 0;
    int mu1 = 0;
    int mu2 = 0;
    double theta = 0.0;
    std::vector<long double> values;
    std::vector<std::string> texts;
};

std::vector<Reference> loadReferences() {
    std::ifstream in(std::string(ORMEDA_TEST_DATA_DIR) + "/legendre_reference.txt");
    std::vector<Reference> refs;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        if (line[0] == 'R') {
            std::istringstream fields(line.substr(1));
            Reference r;
            std::string dnu1;
            std::string theta;
            fields >> r.kind >> dnu1 >> r.nudiff >> r.mu1 >> r.mu2 >> theta;
            r.dnu1 = std::strtod(dnu1.c_str(), nullptr);
            r.theta = std::strtod(theta.c_str(), nullptr);
            refs.push_back(r);
        } else if (!refs.empty()) {
            refs.back().values.push_back(std::strtold(line.c_str(), nullptr));
            refs.back().texts.push_back(line);
        }
    }
    return refs;
}

// Relative error allowed, per kind, where the value lies in the double range and
// where it lies beyond it (then compared as PRIN * 2^IAUX in 80-bit precision).
// Measured largest: P^(-mu) 1.3e-13, P^mu 6.8e-14, normalised 2.3e-13; Q 8.7e-12, in
// the run from degree -0.999, whose climb divides by nu - 1 = 0.001 near the pole.
struct Tolerance {
    double plain;
    double extended;
};
const Tolerance kTolerance[5] = {
    {0, 0}, {5e-13, 1e-14}, {2e-11, 2e-13}, {5e-13, 1e-14}, {5e-13, 1e-14}};

// The magnitude an error is measured against: the value itself, except near a zero
// of the function along its run (a value far below both its neighbours), where the
// computed value carries the absolute error of its neighbours: there, a hundredth of
// the smaller neighbour. At pi/2 the even orders of Q are almost zero beside the odd
// ones and the order recurrence carries the odd ones' absolute error into them, so
// for Q the single neighbour of an end entry counts as well.
long double errorScale(const std::vector<long double>& values, std::size_t i, int kind) {
    const long double own = std::fabs(values[i]);
    const std::size_t n = values.size();
    long double neighbour = 0.0L;
    if (i > 0 && i + 1 < n) {
        neighbour = std::min(std::fabs(values[i - 1]), std::fabs(values[i + 1]));
    } else if (kind == kLegendreQ && n > 1) {
        neighbour = std::fabs(values[i == 0 ? 1 : n - 2]);
    }
    return std::max(own, neighbour / 100.0L);
}

TEST(LegendreReferenceTest, EveryKindMatchesTheHighPrecisionValues) {
    if (LDBL_MANT_DIG < 64 || LDBL_MAX_EXP < 16384) {
        GTEST_SKIP() << "needs an 80-bit long double for the extended values";
    }
    const std::vector<Reference> refs = loadReferences();
    ASSERT_GT(refs.size(), 100u);
    FreshState state;
    double worst[5] = {};
    double worstExtended[5] = {};
    int extendedCount[5] = {};
    const long double low = std::ldexp(1.0L, -1022);
    const long double high = std::ldexp(1.0L, 1022);
    for (const Reference& r : refs) {
        const std::size_t n = r.values.size();
        ASSERT_EQ(n, static_cast<std::size_t>(r.mu2 - r.mu1 + r.nudiff + 1));
        std::vector<double> prin(n, 7.0);
        std::vector<int> iaux(n, 99);
        XDLEGF(r.dnu1, r.nudiff, r.mu1, r.mu2, r.theta, r.kind, prin, iaux);
        for (std::size_t i = 0; i < n; ++i) {
            const long double ref = r.values[i];
            char where[200];
            std::snprintf(where, sizeof where,
                          "kind %d, degree %.17g, order %d, theta %.17g: got (%.17g, %d), want %s",
                          r.kind, r.dnu1 + (r.mu1 == r.mu2 ? static_cast<double>(i) : 0.0),
                          r.mu1 + (r.mu1 == r.mu2 ? 0 : static_cast<int>(i)), r.theta, prin[i],
                          iaux[i], r.texts[i].c_str());
            if (ref == 0.0L) {
                EXPECT_TRUE(prin[i] == 0.0 && iaux[i] == 0) << where;
                continue;
            }
            const long double got = std::ldexp(static_cast<long double>(prin[i]), iaux[i]);
            const double err =
                static_cast<double>(std::fabs(got - ref) / errorScale(r.values, i, r.kind));
            const bool plain = std::fabs(ref) >= low && std::fabs(ref) <= high;
            if (plain) {
                EXPECT_EQ(iaux[i], 0) << where;
                EXPECT_LE(err, kTolerance[r.kind].plain) << where;
                worst[r.kind] = std::max(worst[r.kind], err);
            } else {
                EXPECT_NE(iaux[i], 0) << where;
                EXPECT_TRUE(std::fabs(prin[i]) >= std::ldexp(1.0, -511) &&
                            std::fabs(prin[i]) < std::ldexp(1.0, 511))
                    << where;
                EXPECT_LE(err, kTolerance[r.kind].extended) << where;
                worstExtended[r.kind] = std::max(worstExtended[r.kind], err);
                ++extendedCount[r.kind];
            }
        }
    }
    for (int kind = 1; kind <= 4; ++kind) {
        std::printf("kind %d: largest relative error %.3g in the double range, %.3g in %d "
                    "extended values\n",
                    kind, worst[kind], worstExtended[kind], extendedCount[kind]);
        EXPECT_GT(extendedCount[kind], 0);
    }
    EXPECT_EQ(state.transcript(), "");
}

} // namespace
} // namespace ormeda
