// The whole chain, exactly: for a table of our own with every coefficient non-zero,
// the printed map must equal, to the printed digit, the field computed independently
// in long double (see reference_field.hpp): the cap potential through an explicit
// rotation to the cap pole at 45 N, 8 E on the geocentric sphere, its gradient by
// finite differences in Cartesian coordinates, the table's sign convention (the
// physical field is g0 times the gradient of the potential), and the projection on the
// geodetic north, east and down axes of the GRS 80 ellipsoid.
#include "map_run.hpp"
#include "reference_field.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>

namespace ormeda::validation {
namespace {

// Row at year t: kAtZero + t/1000 * kPerMillennium, so that linear interpolation
// between epochs reproduces the same straight line.
constexpr std::array<double, 20> kAtZero{48.0,  0.50,  0.15,   -0.26, 0.08,  -0.04, 0.05,
                                         -0.03, 0.02,  -0.015, 1.5,   0.01,  0.01,  0.004,
                                         0.004, 0.002, 0.002,  0.002, 0.002, 0.002};
constexpr std::array<double, 20> kPerMillennium{10.0, 0.04,  -0.03, 0.05, -0.06, 0.02, -0.03,
                                                0.02, -0.01, 0.01,  0.0,  0.0,   0.0,  0.0,
                                                0.0,  0.0,   0.0,   0.0,  0.0,   0.0};

std::array<double, 20> tableRow(int i) { // i = 1 ... 381
    const double t = 5.0 * (i - 1);
    std::array<double, 20> row{};
    for (std::size_t c = 0; c < 20; ++c) {
        row[c] = kAtZero[c] + t / 1000.0 * kPerMillennium[c];
    }
    return row;
}

void writeTable(const std::filesystem::path& file) {
    std::ofstream out(file);
    for (int i = 1; i <= 381; ++i) {
        const std::array<double, 20> row = tableRow(i);
        for (std::size_t c = 0; c < 20; ++c) {
            char text[32];
            std::snprintf(text, sizeof text, "%s%.17g", c == 0 ? "" : " ", row[c]);
            out << text;
        }
        out << "\n";
    }
}

// g0 and g1..g9 at a date, interpolated between the two rows around it.
std::array<real, 10> coefficientsAt(double date) {
    const real x = static_cast<real>(date) / 5.0L + 1.0L;
    const int i0 = std::min(static_cast<int>(std::floor(x)), 381);
    const real weight = x - i0;
    const std::array<double, 20> lower = tableRow(i0);
    const std::array<double, 20> upper = tableRow(std::min(i0 + 1, 381));
    std::array<real, 10> g{};
    for (std::size_t c = 0; c < 10; ++c) {
        g[c] = lower[c] + weight * (static_cast<real>(upper[c]) - lower[c]);
    }
    return g;
}

// Two decimals are printed, rounded half away from zero; a value within 1e-6 of a
// half-point may print either way.
constexpr double kPrintTolerance = 0.005 + 1e-6;

class ExactChain : public ::testing::TestWithParam<const char*> {};

TEST_P(ExactChain, MapEqualsIndependentFieldToThePrintedDigit) {
    const std::string date = GetParam();
    ScratchDir dir;
    writeTable(dir.path() / "ORMEDA_coeff.inp");
    ASSERT_EQ(runOrmedaIn(dir.path(), date), 0);
    const std::vector<MapRecord> map = readMap(dir.path() / "grid_ormeda.dat");
    ASSERT_EQ(map.size(), static_cast<std::size_t>(kGridNodes));

    const std::array<real, 10> g = coefficientsAt(std::stod(date));
    const std::array<real, 9> coefficients{g[1], g[2], g[3], g[4], g[5], g[6], g[7], g[8], g[9]};
    const CapRotation rot = capRotation(45.0L, 8.0L);
    auto potential = [&](Vec3 p) { return capPotential(coefficients, rot, p); };

    int failures = 0;
    int halfPoints = 0; // printed the other way, within 1e-6 of a half-point
    double largest = 0.0;
    real minD = 1e9L, maxD = -1e9L, minI = 1e9L, maxI = -1e9L;
    for (int k = 0; k < kGridNodes; ++k) {
        double lat = 0.0;
        double lon = 0.0;
        nodePosition(k, lat, lon);
        const Vec3 p = ellipsoidPoint(lat, lon);
        const Vec3 field = g[0] * gradient(potential, p);
        const Elements ref = elementsAt(field, lat, lon);
        minD = std::min(minD, ref.D);
        maxD = std::max(maxD, ref.D);
        minI = std::min(minI, ref.I);
        maxI = std::max(maxI, ref.I);

        const MapRecord& rec = map[static_cast<std::size_t>(k)];
        const std::array<double, 5> printed{rec.lat, rec.lon, rec.D, rec.I, rec.F};
        const std::array<real, 5> expected{lat, lon, ref.D, ref.I, ref.F};
        for (std::size_t f = 0; f < 5; ++f) {
            const double deviation = static_cast<double>(std::fabs(printed[f] - expected[f]));
            largest = std::max(largest, deviation);
            if (deviation > 0.005 && deviation <= kPrintTolerance) {
                ++halfPoints;
            }
            if (!(deviation <= kPrintTolerance) && ++failures <= 5) {
                ADD_FAILURE() << "node " << lat << " " << lon << " field " << f + 1 << ": printed "
                              << printed[f] << ", reference " << static_cast<double>(expected[f]);
            }
        }
    }
    EXPECT_EQ(failures, 0) << "fields off by more than the printed digit";
    std::printf("date %s: D %.2Lf to %.2Lf, I %.2Lf to %.2Lf; largest |printed - reference| "
                "%.6f, %d printed the other way at a half-point\n",
                date.c_str(), minD, maxD, minI, maxI, largest, halfPoints);
}

INSTANTIATE_TEST_SUITE_P(Dates, ExactChain, ::testing::Values("0", "1234.5", "1900"));

} // namespace
} // namespace ormeda::validation
