// The positive-order and normalising factors of the Legendre library (XDPPOS,
// XDNORM) applied in place to given entries: closed-form factor products for single
// values, runs of degrees and runs of orders, the zeroed entries of an integer degree
// below the order, and values held in extended form.
#include "legendre_detail.hpp"
#include "library_run.hpp"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <string>
#include <vector>

namespace ormeda {
namespace {

using detail::XDNORM;
using detail::XDPPOS;
using testing::EntryRun;
using testing::LibraryState;
using testing::relativeError;

// A factor is a product of at most 2 mu terms (square roots for XDNORM), each
// rounded once, then one multiplication into the entry: a few units in the last
// place. Measured largest: 1.8e-16.
constexpr long double kFactorTolerance = 8 * DBL_EPSILON;

struct FactorCase {
    const char* name;
    double nu1;
    double nu2;
    int mu1;
    int mu2;
    std::vector<double> in;       // the P^(-mu) entries handed over
    std::vector<long double> out; // the expected entries
};

const double kTheta = 0.6;
const double kSin = std::sin(kTheta);
const double kCos = std::cos(kTheta);

long double sq(long double v) {
    return std::sqrt(v);
}

const FactorCase kPositiveOrder[] = {
    {"OrderZeroUnchanged", 2.7, 2.7, 0, 0, {0.3}, {0.3L}},
    // P^(-1)_1 = sin/2 becomes P^1_1 = -sin; P^(-2)_2 = (1 - cos^2)/8 becomes 3 sin^2.
    {"DegreeOneOrderOne", 1.0, 1.0, 1, 1, {kSin / 2.0}, {-static_cast<long double>(kSin)}},
    {"DegreeTwoOrderTwo", 2.0, 2.0, 2, 2, {(1.0 - kCos * kCos) / 8.0}, {3.0L * kSin * kSin}},
    // Degrees 0 and 1 lie below the order and become 0; then x24 and x120.
    {"DegreesZeroToThreeOrderTwo",
     0.0,
     3.0,
     2,
     2,
     {0.5, 0.25, 0.75, 1.5},
     {0.0L, 0.0L, 18.0L, 180.0L}},
    // Real degrees keep every entry: -(nu)(nu + 1) at order 1.
    {"RealDegreesOrderOne",
     0.3,
     2.3,
     1,
     1,
     {1.0, 1.0, 1.0},
     {-0.3L * 1.3L, -1.3L * 2.3L, -2.3L * 3.3L}},
    // (-1)^mu (nu - mu + 1) ... (nu + mu) at nu = 2.5.
    {"OrdersZeroToThreeRealDegree",
     2.5,
     2.5,
     0,
     3,
     {1.0, 1.0, 1.0, 1.0},
     {1.0L, -8.75L, 59.0625L, -162.421875L}},
    // At an integer degree the factor itself reaches 0 above the degree.
    {"OrdersOneToThreeDegreeTwo", 2.0, 2.0, 1, 3, {1.0, 1.0, 1.0}, {-6.0L, 24.0L, 0.0L}},
    {"OrdersAboveTheDegree", 1.0, 1.0, 2, 4, {1.0, 2.0, 3.0}, {0.0L, 0.0L, 0.0L}},
    // Order 10 at degree 30.5: the 20-term product 21.5 x 22.5 x ... x 40.5.
    {"HighOrder", 30.5, 30.5, 10, 10, {1e-20}, {[] {
         long double f = 1.0L;
         for (int l = 1; l <= 20; ++l) {
             f *= 20.5L + l;
         }
         return 1e-20L * f;
     }()}},
};

const FactorCase kNormalised[] = {
    {"OrderZero", 2.0, 2.0, 0, 0, {1.0}, {sq(2.5L)}},
    {"OrdersOneToThreeDegreeThree",
     3.0,
     3.0,
     1,
     3,
     {1.0, 1.0, 1.0},
     {sq(3.5L) * sq(12.0L), sq(3.5L) * sq(120.0L), sq(3.5L) * sq(720.0L)}},
    {"DegreesOneToThreeOrderOne",
     1.0,
     3.0,
     1,
     1,
     {1.0, 1.0, 1.0},
     {sq(1.5L) * sq(2.0L), sq(2.5L) * sq(6.0L), sq(3.5L) * sq(12.0L)}},
    {"OrdersTwoToFourDegreeThree",
     3.0,
     3.0,
     2,
     4,
     {1.0, 1.0, 1.0},
     {sq(3.5L) * sq(120.0L), sq(3.5L) * sq(720.0L), 0.0L}},
    {"DegreesZeroToThreeOrderTwo",
     0.0,
     3.0,
     2,
     2,
     {1.0, 1.0, 0.5, 2.0},
     {0.0L, 0.0L, 0.5L * sq(2.5L) * sq(24.0L), 2.0L * sq(3.5L) * sq(120.0L)}},
    {"OrdersZeroToTwoDegreeZero", 0.0, 0.0, 0, 2, {1.0, 1.0, 1.0}, {sq(0.5L), 0.0L, 0.0L}},
    // The normalised P^1_1 from P^(-1)_1 = sin/2: sqrt(3)/2 sin.
    {"DegreeOneOrderOne", 1.0, 1.0, 1, 1, {kSin / 2.0}, {sq(3.0L) / 2.0L * kSin}},
};

void check(const FactorCase& c, const EntryRun& run, double base) {
    for (std::size_t i = 1; i <= c.out.size(); ++i) {
        const long double got = run.value(i, base);
        if (c.out[i - 1] == 0.0L) {
            EXPECT_EQ(run.prin[i - 1], 0.0) << "entry " << i;
            EXPECT_EQ(run.iaux[i - 1], 0) << "entry " << i;
        } else {
            EXPECT_LE(relativeError(got, c.out[i - 1]), kFactorTolerance)
                << "entry " << i << ": " << static_cast<double>(got) << " against "
                << static_cast<double>(c.out[i - 1]);
        }
    }
}

class PositiveOrderTest : public ::testing::TestWithParam<FactorCase> {};

TEST_P(PositiveOrderTest, MultipliesByTheFactor) {
    const FactorCase& c = GetParam();
    LibraryState state;
    EntryRun run(c.in, std::vector<int>(c.in.size(), 0));
    XDPPOS(c.nu1, c.nu2, c.mu1, c.mu2, run.P(), run.I());
    check(c, run, state.range().parameters().BASE);
}

INSTANTIATE_TEST_SUITE_P(Factors, PositiveOrderTest, ::testing::ValuesIn(kPositiveOrder),
                         [](const auto& info) { return std::string(info.param.name); });

class NormalisedTest : public ::testing::TestWithParam<FactorCase> {};

TEST_P(NormalisedTest, MultipliesByTheFactor) {
    const FactorCase& c = GetParam();
    LibraryState state;
    EntryRun run(c.in, std::vector<int>(c.in.size(), 0));
    XDNORM(c.nu1, c.nu2, c.mu1, c.mu2, run.P(), run.I());
    check(c, run, state.range().parameters().BASE);
}

INSTANTIATE_TEST_SUITE_P(Factors, NormalisedTest, ::testing::ValuesIn(kNormalised),
                         [](const auto& info) { return std::string(info.param.name); });

// An entry in extended form keeps its index through the factor: the factor's own
// index adds to it and the principal part stays normalised.
TEST(FactorsTest, EntriesInExtendedFormKeepTheirIndex) {
    LibraryState state;
    const auto& p = state.range().parameters();
    const int index = -p.TWOL; // the value is 0.75 BASE^(-2L), far below the double range
    {
        EntryRun run({0.75, 0.75}, {index, index});
        XDPPOS(2.5, 2.5, 0, 1, run.P(), run.I());
        EXPECT_EQ(run.iaux[0], index);
        EXPECT_EQ(run.prin[0], 0.75);
        EXPECT_EQ(run.iaux[1], index);
        EXPECT_EQ(run.prin[1], -0.75 * 8.75);
    }
    {
        EntryRun run({0.75}, {index});
        XDNORM(3.0, 3.0, 3, 3, run.P(), run.I());
        EXPECT_EQ(run.iaux[0], index);
        const long double factor = sq(3.5L) * sq(720.0L);
        EXPECT_LE(relativeError(run.prin[0], 0.75L * factor), kFactorTolerance);
    }
}

} // namespace
} // namespace ormeda
