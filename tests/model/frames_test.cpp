// Geodetic <-> geocentric and geographic <-> cap frame conversions against closed forms
// and vector-geometry references (tests/data/model_reference.txt), and round trips of
// the remembered rotations.
#include "cap_frame.hpp"
#include "geodetic_frame.hpp"
#include "reference_lines.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace ormeda {
namespace {

constexpr double kDegToRad = 0.017453292519943295;
constexpr double kAngleTolDeg = 1e-12; // degrees
constexpr double kRadiusTolKm = 1e-9;  // km
constexpr double kUnitTol = 1e-14;     // dimensionless rotation entries

using testing::readReferenceLines;
using testing::withTag;

TEST(GDGC, MatchesEllipsoidClosedForm) {
    // phi h psi r delta
    const auto cases = withTag(readReferenceLines("model_reference.txt"), "gdgc");
    ASSERT_EQ(cases.size(), 5u);
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "phi=" << c.v[0] << " h=" << c.v[1]);
        GeodeticFrame frame;
        double psi = 0, r = 0, Xc = 0, Zc = 0;
        frame.GDGC(c.v[0], c.v[1], 1.0, 0.0, psi, r, Xc, Zc);
        EXPECT_NEAR(psi, c.v[2], kAngleTolDeg);
        EXPECT_NEAR(r, c.v[3], kRadiusTolKm);
        const double delta = c.v[4] * kDegToRad;
        EXPECT_NEAR(frame.state().sinDelta, std::sin(delta), kUnitTol);
        EXPECT_NEAR(frame.state().cosDelta, std::cos(delta), kUnitTol);
        // (1, 0) turns into (cos delta, sin delta).
        EXPECT_NEAR(Xc, std::cos(delta), kUnitTol);
        EXPECT_NEAR(Zc, std::sin(delta), kUnitTol);
    }
}

TEST(GDGC, EquatorIsExactAndPoleGivesPolarRadius) {
    GeodeticFrame frame;
    double psi = 1, r = 0, Xc = 0, Zc = 0;
    frame.GDGC(0.0, 0.0, 0.25, -0.5, psi, r, Xc, Zc);
    EXPECT_EQ(psi, 0.0);
    EXPECT_EQ(r, 6378.137);
    EXPECT_EQ(frame.state().sinDelta, 0.0);
    EXPECT_EQ(frame.state().cosDelta, 1.0);
    EXPECT_EQ(Xc, 0.25);
    EXPECT_EQ(Zc, -0.5);

    // At the pole the arccosine branch is taken; r is the semi-minor axis a sqrt(1 - e2).
    frame.GDGC(90.0, 0.0, 0.0, 0.0, psi, r, Xc, Zc);
    EXPECT_NEAR(psi, 90.0, 1e-12);
    EXPECT_NEAR(r, 6378.137 * std::sqrt(1.0 - 0.0066943800229), kRadiusTolKm);
    frame.GDGC(-90.0, 0.0, 0.0, 0.0, psi, r, Xc, Zc);
    EXPECT_NEAR(psi, -90.0, 1e-12);
}

TEST(GDGC, SouthernLatitudeAboveEllipsoidAndRoundTrip) {
    GeodeticFrame frame;
    double psi = 0, r = 0, Xc = 0, Zc = 0;
    frame.GDGC(-30.0, 10.0, 0.0, 1.0, psi, r, Xc, Zc);
    EXPECT_GT(psi, -30.0);
    EXPECT_LT(psi, -29.8);
    EXPECT_LT(frame.state().sinDelta, 0.0);
    double X = 0, Z = 0;
    frame.GCGDV(Xc, Zc, X, Z);
    EXPECT_NEAR(X, 0.0, kUnitTol);
    EXPECT_NEAR(Z, 1.0, kUnitTol);

    // GCGDV undoes the rotation of the latest GDGC at any latitude.
    for (double phi : {-89.5, -45.0, 12.5, 45.001, 60.0, 89.999}) {
        for (auto [x0, z0] : {std::pair{1.0, 0.0}, {0.0, 1.0}, {-0.3, 0.7}, {12.0, -5.0}}) {
            frame.GDGC(phi, 0.0, x0, z0, psi, r, Xc, Zc);
            frame.GCGDV(Xc, Zc, X, Z);
            EXPECT_NEAR(X, x0, 4e-15 * std::fabs(x0) + 2e-15) << phi;
            EXPECT_NEAR(Z, z0, 4e-15 * std::fabs(z0) + 2e-15) << phi;
        }
    }
}

struct GeocapCase {
    double phi, lambda, capLat, capLon;
};

TEST(GEOCAP, BeforeCapsetTheCapFrameIsGeographic) {
    const GeocapCase cases[] = {
        {50.0, 200.0, 50.0, -160.0},
        {50.0, -190.0, 50.0, 170.0},
        {50.0, 180.0, 50.0, -180.0},
        {-20.0, 45.0, -20.0, 45.0},
    };
    for (const auto& c : cases) {
        CapFrame frame;
        double lat = 0, lon = 0, Uc = 0, Vc = 0;
        frame.GEOCAP(c.phi, c.lambda, 0.5, -2.0, lat, lon, Uc, Vc);
        EXPECT_EQ(lat, c.capLat) << c.lambda;
        EXPECT_EQ(lon, c.capLon) << c.lambda;
        EXPECT_EQ(Uc, 0.5);
        EXPECT_EQ(Vc, -2.0);
        EXPECT_EQ(frame.state().cosGamma, 1.0);
        EXPECT_EQ(frame.state().sinGamma, 0.0);
    }
}

TEST(GEOCAP, PoleAtSouthPoleMirrorsPositionAndComponents) {
    CapFrame frame;
    frame.CAPSET(-90.0, 10.0);
    double lat = 0, lon = 0, Uc = 0, Vc = 0;
    frame.GEOCAP(50.0, 30.0, 0.5, -2.0, lat, lon, Uc, Vc);
    EXPECT_EQ(lat, -50.0);
    EXPECT_EQ(lon, 160.0);
    EXPECT_EQ(Uc, -0.5);
    EXPECT_EQ(Vc, 2.0);
    EXPECT_EQ(frame.state().cosGamma, -1.0);
    double U = 0, V = 0;
    frame.CAPGEV(Uc, Vc, U, V);
    EXPECT_EQ(U, 0.5);
    EXPECT_EQ(V, -2.0);
}

TEST(GEOCAP, MatchesVectorGeometry) {
    // poleLat poleLon phi lambda capLat capLon cosGamma sinGamma
    const auto cases = withTag(readReferenceLines("model_reference.txt"), "geocap");
    ASSERT_EQ(cases.size(), 8u);
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "pole (" << c.v[0] << ", " << c.v[1] << ") point ("
                                          << c.v[2] << ", " << c.v[3] << ")");
        CapFrame frame;
        frame.CAPSET(c.v[0], c.v[1]);
        double lat = 0, lon = 0, Uc = 0, Vc = 0;
        const double U = 0.8, V = -0.6;
        frame.GEOCAP(c.v[2], c.v[3], U, V, lat, lon, Uc, Vc);
        EXPECT_NEAR(lat, c.v[4], 1e-11);
        EXPECT_NEAR(lon, c.v[5], 1e-11);
        EXPECT_GE(lon, -180.0);
        EXPECT_LT(lon, 180.0);
        EXPECT_NEAR(frame.state().cosGamma, c.v[6], 1e-13);
        EXPECT_NEAR(frame.state().sinGamma, c.v[7], 1e-13);
        EXPECT_NEAR(Uc, U * c.v[6] - V * c.v[7], 1e-13);
        EXPECT_NEAR(Vc, V * c.v[6] + U * c.v[7], 1e-13);
        // CAPGEV turns the pair back with the remembered rotation; the rotation's
        // entries come from divisions by cos(cap latitude), so cos^2 + sin^2 is 1 only
        // to a few units of 1e-15.
        double Ub = 0, Vb = 0;
        frame.CAPGEV(Uc, Vc, Ub, Vb);
        EXPECT_NEAR(Ub, U, 1e-14);
        EXPECT_NEAR(Vb, V, 1e-14);
    }
}

TEST(GEOCAP, PoleMeridianAndGeographicNorthPole) {
    CapFrame frame;
    frame.CAPSET(45.0, 8.0);
    double lat = 0, lon = 0, Uc = 0, Vc = 0;
    // South of the pole on its meridian: cap longitude 0, axes aligned.
    frame.GEOCAP(30.0, 8.0, 0.0, 0.0, lat, lon, Uc, Vc);
    EXPECT_NEAR(lat, 75.0, 1e-12);
    EXPECT_EQ(lon, 0.0);
    EXPECT_NEAR(frame.state().cosGamma, 1.0, 1e-14);
    EXPECT_EQ(frame.state().sinGamma, 0.0);
    // North of it: cap longitude -180, axes reversed.
    frame.GEOCAP(60.0, 8.0, 0.0, 0.0, lat, lon, Uc, Vc);
    EXPECT_NEAR(lat, 75.0, 1e-12);
    EXPECT_EQ(lon, -180.0);
    EXPECT_NEAR(frame.state().cosGamma, -1.0, 1e-14);
    // The geographic north pole lies at the pole's colatitude on cap longitude -180.
    frame.GEOCAP(90.0, 20.0, 1.0, 0.0, lat, lon, Uc, Vc);
    EXPECT_EQ(lat, 45.0);
    EXPECT_EQ(lon, -180.0);
    const double gamma = 3.141592653589793 - 12.0 * kDegToRad;
    EXPECT_EQ(frame.state().cosGamma, std::cos(gamma));
    EXPECT_EQ(frame.state().sinGamma, std::sin(gamma));
    EXPECT_EQ(Uc, std::cos(gamma));
    EXPECT_EQ(Vc, std::sin(gamma));
    // Repeating CAPSET with the same pole leaves the last rotation in place.
    frame.CAPSET(45.0, 8.0);
    EXPECT_EQ(frame.state().cosGamma, std::cos(gamma));
}

TEST(GEOCAP, GuardedCasesKeepEveryArgumentInRange) {
    struct Guarded {
        double phi, lambda;
        double capLat, capLon, cosGamma, sinGamma;
    };
    // Pole on the equator at longitude 0: the cap pole itself and its antipode give
    // c = +-1 exactly, and points on the equator give sin(phi) = q exactly.
    const Guarded cases[] = {
        {0.0, 0.0, 90.0, 0.0, 1.0, 0.0},
        {0.0, 180.0, -90.0, 0.0, -1.0, 0.0},
        {0.0, 90.0, 0.0, 90.0, 0.0, 1.0},
        {0.0, -90.0, 0.0, -90.0, 0.0, -1.0},
    };
    for (const auto& c : cases) {
        CapFrame frame;
        frame.CAPSET(0.0, 0.0);
        double lat = 0, lon = 0, Uc = 0, Vc = 0;
        frame.GEOCAP(c.phi, c.lambda, 0.5, -2.0, lat, lon, Uc, Vc);
        EXPECT_NEAR(lat, c.capLat, 1e-14) << c.lambda;
        EXPECT_EQ(lon, c.capLon) << c.lambda;
        EXPECT_NEAR(frame.state().cosGamma, c.cosGamma, 1e-15) << c.lambda;
        EXPECT_EQ(frame.state().sinGamma, c.sinGamma) << c.lambda;
        EXPECT_TRUE(std::isfinite(Uc) && std::isfinite(Vc));
    }
    // The geographic south pole lies at minus the pole's latitude on cap longitude 0.
    CapFrame frame;
    frame.CAPSET(45.0, 8.0);
    double lat = 0, lon = 0, Uc = 0, Vc = 0;
    frame.GEOCAP(-90.0, 20.0, 1.0, 0.0, lat, lon, Uc, Vc);
    EXPECT_EQ(lat, -45.0);
    EXPECT_EQ(lon, 0.0);
    EXPECT_EQ(frame.state().cosGamma, std::cos(12.0 * kDegToRad));
    EXPECT_EQ(frame.state().sinGamma, std::sin(12.0 * kDegToRad));
}

} // namespace
} // namespace ormeda
