// Fixed-point fields, as one table: rounding half away from zero on the exact binary
// value, no zero before the point, the sign of values that round to zero, asterisks.
#include "fixed_point.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace ormeda {
namespace {

struct FieldCase {
    double value;
    int width;
    int decimals;
    const char* expected;
};

const double kMax = std::numeric_limits<double>::max();
const double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();
// The doubles on either side of one thousandth: the tenth of the last place at 2 decimals.
const double kAboveThousandth = 0.001; // the double is 0.001000000000000000020816...
const double kBelowThousandth = std::nextafter(0.001, 0.0);

const std::vector<FieldCase> kCases = {
    // Plain values and alignment.
    {35.0, 7, 2, "  35.00"},
    {-15.0, 8, 2, "  -15.00"},
    {45.001, 7, 2, "  45.00"},
    {8.001, 8, 2, "    8.00"},
    {1234.5, 7, 2, "1234.50"},
    // No zero before the point.
    {0.5, 7, 2, "    .50"},
    {-0.25, 7, 2, "   -.25"},
    {0.0, 7, 2, "    .00"},
    {0.85, 12, 2, "         .85"},
    {0.996, 7, 2, "   1.00"},
    // Exact binary ties round away from zero (printf would round them to even).
    {0.125, 7, 2, "    .13"},
    {-0.125, 7, 2, "   -.13"},
    {0.625, 7, 2, "    .63"},
    {2.5, 4, 0, "  3."},
    {0.25, 8, 1, "      .3"},
    {12.25, 8, 1, "    12.3"},
    {1900.0, 8, 1, "  1900.0"},
    {0.0, 8, 1, "      .0"},
    // Decimal ties that are not binary ties: the exact value decides.
    {1.005, 7, 2, "   1.00"},  // 1.00499999999999989...
    {2.675, 7, 2, "   2.67"},  // 2.67499999999999982...
    {0.015, 7, 2, "    .01"},  // 0.01499999999999999944...
    {1.015, 7, 2, "   1.01"},  // 1.01499999999999990230...
    {0.045, 7, 2, "    .04"},  // 0.04499999999999999833...
    {0.05, 8, 1, "      .1"},  // 0.05000000000000000277...
    {9.995, 7, 2, "   9.99"},  // 9.99499999999999921840...
    {9.9951, 7, 2, "  10.00"}, // carry into a new digit
    // Sign of a negative value that rounds to zero.
    {-0.004, 7, 2, "   -.00"},
    {-0.0049999, 7, 2, "   -.00"},
    {-0.005, 7, 2, "   -.01"}, // -0.005000000000000000104... rounds away
    {-kAboveThousandth, 7, 2, "   -.00"},
    {-kBelowThousandth, 7, 2, "    .00"},
    {-0.0009, 7, 2, "    .00"},
    {-0.0, 7, 2, "    .00"},
    {-std::numeric_limits<double>::denorm_min(), 7, 2, "    .00"},
    {-0.04, 8, 1, "     -.0"},
    {-0.009, 8, 1, "      .0"},
    // Too wide: asterisks over the whole field.
    {12345.678, 7, 2, "*******"},
    {-1234.5, 7, 2, "*******"},
    {999.999, 6, 2, "******"},
    {1e300, 12, 2, "************"},
    {-kMax, 11, 2, "***********"},
    {-0.25, 3, 2, "***"},
    {-0.25, 4, 2, "-.25"},
    // Not finite.
    {kNaN, 7, 2, "    NaN"},
    {kInf, 7, 2, "    Inf"},
    {-kInf, 7, 2, "   -Inf"},
    {kNaN, 2, 2, "**"},
    // Without decimals a field still shows one digit.
    {0.4, 4, 0, "  0."},
    {-0.4, 4, 0, " -0."},
};

TEST(FixedPoint, TableOfFields) {
    for (const FieldCase& c : kCases) {
        EXPECT_EQ(fixedField(c.value, c.width, c.decimals), c.expected)
            << "value " << c.value << " (" << std::hexfloat << c.value << std::defaultfloat
            << ") in F" << c.width << "." << c.decimals;
    }
}

TEST(FixedPoint, AppendsAfterExistingText) {
    std::string line = "Time: ";
    appendFixed(line, 12.5, 8, 1);
    EXPECT_EQ(line, "Time:     12.5");
}

} // namespace
} // namespace ormeda
