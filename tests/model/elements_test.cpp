// Field elements and their errors: against an independent reference (field vector
// projected on the geodetic axes; tests/data/model_reference.txt), and the properties
// that hold for any coefficients: zero uncertainties, scaling, a purely radial field.
#include "elmerr.hpp"
#include "fresh_state.hpp"
#include "reference_lines.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace ormeda {
namespace {

using testing::readReferenceLines;
using testing::withTag;

constexpr double kElementTolDeg = 1e-9; // D, I, eD, eI in degrees
constexpr double kRelTol = 1e-11;       // F, eF relative

EpochRow referenceRow() {
    const auto rows = withTag(readReferenceLines("model_reference.txt"), "row");
    EpochRow row;
    for (int c = 1; c <= kTableColumns; ++c) {
        row(c) = rows.at(0).v.at(static_cast<std::size_t>(c - 1));
    }
    return row;
}

struct Node {
    NodeFrames frames;
    CapBasis basis;
};

Node nodeAt(double phi, double lambda) {
    DegreeTable degrees;
    CAPTAB(degrees);
    Node node;
    node.frames.cap.CAPSET(45.0, 8.0);
    CAPBAS(node.frames, degrees, phi, lambda, node.basis);
    return node;
}

// The north component in geodetic axes, as ELMERR forms it before the declination.
double geodeticNorth(const Node& node, const EpochRow& row) {
    double X = 0, Y = 0, Z = 0;
    for (int j = 1; j <= kBasisTerms; ++j) {
        X += row.g(j) * node.basis.north(j);
        Y += row.g(j) * node.basis.east(j);
        Z += row.g(j) * node.basis.down(j);
    }
    double Xg = 0, Yg = 0, Xd = 0, Zd = 0;
    node.frames.cap.CAPGEV(X, Y, Xg, Yg);
    node.frames.geodetic.GCGDV(Xg, Z, Xd, Zd);
    return Xd;
}

TEST(ELMERR, MatchesFieldVectorOnGeodeticAxes) {
    ormeda::testing::FreshState state;
    const EpochRow row = referenceRow();
    std::vector<double> nodeLine;
    int checked = 0;
    int southward = 0;
    for (const auto& line : readReferenceLines("model_reference.txt")) {
        if (line.tag == "node") {
            nodeLine = line.v;
            continue;
        }
        if (line.tag != "elements") {
            continue;
        }
        const double phi = nodeLine[0];
        SCOPED_TRACE(::testing::Message() << "node (" << phi << ", " << nodeLine[1] << ")");
        Node node = nodeAt(phi, nodeLine[1]);
        FieldElements e;
        ELMERR(node.frames, node.basis, row, phi, e);
        // D I F eD eI eF Xd
        const auto& r = line.v;
        EXPECT_NEAR(e.D, r[0], kElementTolDeg);
        EXPECT_NEAR(e.I, r[1], kElementTolDeg);
        EXPECT_NEAR(e.F, r[2], kRelTol * r[2]);
        EXPECT_NEAR(e.eD, r[3], kElementTolDeg);
        EXPECT_NEAR(e.eI, r[4], kElementTolDeg);
        EXPECT_NEAR(e.eF, r[5], kRelTol * r[5]);
        // With the horizontal vector pointing south the declination is still the
        // principal value, within +-90 degrees.
        const double Xd = geodeticNorth(node, row);
        EXPECT_NEAR(Xd, r[6], 1e-12);
        if (Xd < 0.0) {
            ++southward;
            EXPECT_GT(e.D, -90.0);
            EXPECT_LT(e.D, 90.0);
        }
        ++checked;
    }
    EXPECT_EQ(checked, 7);
    EXPECT_GE(southward, 5);
}

TEST(ELMERR, ZeroUncertaintiesGiveZeroErrors) {
    ormeda::testing::FreshState state;
    EpochRow row = referenceRow();
    for (int c = 11; c <= 20; ++c) {
        row(c) = 0.0;
    }
    for (auto [phi, lambda] : {std::pair{35.0, -15.0}, {45.001, 8.001}, {60.0, 30.0}}) {
        Node node = nodeAt(phi, lambda);
        FieldElements e;
        ELMERR(node.frames, node.basis, row, phi, e);
        EXPECT_EQ(e.eD, 0.0);
        EXPECT_EQ(e.eI, 0.0);
        EXPECT_EQ(e.eF, 0.0);
        EXPECT_GT(e.F, 0.0);
    }
}

TEST(ELMERR, ScaleAndItsUncertaintyEnterOnlyIntensity) {
    ormeda::testing::FreshState state;
    const EpochRow row = referenceRow();
    Node node = nodeAt(48.0, 22.0);
    FieldElements base;
    ELMERR(node.frames, node.basis, row, 48.0, base);

    // Doubling g0 and s0 together doubles F and eF exactly (powers of two).
    EpochRow doubled = row;
    doubled(1) = 2.0 * row(1);
    doubled(11) = 2.0 * row(11);
    // Changing either alone leaves the directional elements untouched.
    EpochRow scaleOnly = row;
    scaleOnly(1) = 3.7 * row(1);
    EpochRow uncertaintyOnly = row;
    uncertaintyOnly(11) = 5.0 * row(11);

    FieldElements e;
    ELMERR(node.frames, node.basis, doubled, 48.0, e);
    EXPECT_EQ(e.F, 2.0 * base.F);
    EXPECT_EQ(e.eF, 2.0 * base.eF);
    for (const EpochRow& changed : {doubled, scaleOnly, uncertaintyOnly}) {
        ELMERR(node.frames, node.basis, changed, 48.0, e);
        EXPECT_EQ(e.D, base.D);
        EXPECT_EQ(e.I, base.I);
        EXPECT_EQ(e.eD, base.eD);
        EXPECT_EQ(e.eI, base.eI);
    }
    ELMERR(node.frames, node.basis, uncertaintyOnly, 48.0, e);
    EXPECT_EQ(e.F, base.F);
    EXPECT_GT(e.eF, base.eF);
}

TEST(ELMERR, RadialFieldLeansByTheAngleBetweenVerticals) {
    ormeda::testing::FreshState state;
    // Only g1: the field is radial in the geocentric frame, so its inclination in
    // geodetic axes is 90 degrees less the angle delta between the verticals.
    EpochRow row;
    row(1) = 0.05;
    row(2) = 1.0;
    row(12) = 0.01;
    const double delta45 = 0.1924232169267333367; // degrees, geodetic latitude 45
    Node node = nodeAt(45.0, 8.001);
    FieldElements e;
    ELMERR(node.frames, node.basis, row, 45.0, e);
    EXPECT_NEAR(e.I, 90.0 - delta45, 1e-10);
    EXPECT_EQ(e.D, 0.0);
    const double q = 6371.0087714 / node.basis.radius;
    EXPECT_NEAR(e.F, 0.05 * q * q, 1e-15);
    EXPECT_GT(e.eI, 0.0);
}

} // namespace
} // namespace ormeda
