// The degree table and the cap basis at a node: the widened single-precision degrees,
// the basis against an independent reference (mpmath Ferrers functions, numerical
// gradient of the potential; tests/data/model_reference.txt) and its invariants.
#include "cap_basis.hpp"
#include "fresh_state.hpp"
#include "reference_lines.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace ormeda {
namespace {

using testing::readReferenceLines;
using testing::ReferenceLine;

constexpr double kReferenceRadius = 6371.0087714;

TEST(CAPTAB, HoldsTheWidenedSinglePrecisionDegrees) {
    DegreeTable table;
    table.fill({-1.0, -1.0, -1.0});
    CAPTAB(table);
    const double expected[3][3] = {
        {0.0, 0.0, 0.0},
        {2.9322760105133057, 2.2753965854644775, 0.0},
        {5.012004852294922, 5.012004852294922, 4.090468883514404},
    };
    for (int k = 0; k < 3; ++k) {
        for (int m = 0; m < 3; ++m) {
            EXPECT_EQ(table[k][m], expected[k][m]) << "k=" << k << " m=" << m;
        }
    }
    EXPECT_NE(table[1][0], 2.932276);
}

// One node of the fixture: its position, nine terms and elements.
struct ReferenceNode {
    ReferenceLine node;
    std::vector<ReferenceLine> terms;
    ReferenceLine elements;
};

std::vector<ReferenceNode> referenceNodes() {
    std::vector<ReferenceNode> nodes;
    for (const auto& line : readReferenceLines("model_reference.txt")) {
        if (line.tag == "node") {
            nodes.push_back({line, {}, {}});
        } else if (line.tag == "term") {
            nodes.back().terms.push_back(line);
        } else if (line.tag == "elements") {
            nodes.back().elements = line;
        }
    }
    return nodes;
}

CapBasis basisAt(double phi, double lambda, NodeFrames& frames) {
    DegreeTable degrees;
    CAPTAB(degrees);
    frames.cap.CAPSET(45.0, 8.0);
    CapBasis basis;
    CAPBAS(frames, degrees, phi, lambda, basis);
    return basis;
}

TEST(CAPBAS, MatchesGradientOfThePotential) {
    const auto nodes = referenceNodes();
    ASSERT_EQ(nodes.size(), 7u);
    for (const auto& ref : nodes) {
        SCOPED_TRACE(::testing::Message()
                     << "node (" << ref.node.v[0] << ", " << ref.node.v[1] << ")");
        ormeda::testing::FreshState state;
        NodeFrames frames;
        const CapBasis basis = basisAt(ref.node.v[0], ref.node.v[1], frames);
        EXPECT_NEAR(basis.geocentricLat, ref.node.v[2], 1e-12);
        EXPECT_NEAR(basis.radius, ref.node.v[3], 1e-9);
        EXPECT_NEAR(basis.capColat, ref.node.v[4], 1e-11);
        EXPECT_NEAR(basis.capLon, ref.node.v[5], 1e-9);
        ASSERT_EQ(ref.terms.size(), 9u);
        // Components are of order 1 to 6; 1e-11 absolute allows for the Legendre
        // library's rounding and the cancellation in the derivative.
        for (int j = 1; j <= kBasisTerms; ++j) {
            const auto& t = ref.terms[static_cast<std::size_t>(j - 1)].v;
            EXPECT_NEAR(basis.north(j), t[1], 1e-11) << "north j=" << j;
            EXPECT_NEAR(basis.east(j), t[2], 1e-11) << "east j=" << j;
            EXPECT_NEAR(basis.down(j), t[3], 1e-11) << "down j=" << j;
        }
        EXPECT_EQ(state.transcript(), "");
    }
}

TEST(CAPBAS, InvariantsOverTheWholeGrid) {
    ormeda::testing::FreshState state;
    double largestColat = 0.0;
    double smallestColat = 90.0;
    for (int lon = -15; lon <= 30; ++lon) {
        for (int lat = 35; lat <= 60; ++lat) {
            const double phi = (lat == 45) ? 45.001 : lat;
            const double lambda = (lon == 8) ? 8.001 : lon;
            NodeFrames frames;
            const CapBasis basis = basisAt(phi, lambda, frames);
            // The constant term is purely radial; the zonal terms have no east component.
            ASSERT_EQ(basis.north(1), 0.0);
            ASSERT_EQ(basis.east(1), 0.0);
            ASSERT_EQ(basis.east(2), 0.0);
            ASSERT_EQ(basis.east(5), 0.0);
            ASSERT_EQ(basis.down(1), -std::pow(kReferenceRadius / basis.radius, 2.0));
            for (int j = 1; j <= kBasisTerms; ++j) {
                ASSERT_TRUE(std::isfinite(basis.north(j)) && std::isfinite(basis.east(j)) &&
                            std::isfinite(basis.down(j)))
                    << phi << " " << lambda << " j=" << j;
            }
            largestColat = std::max(largestColat, basis.capColat);
            smallestColat = std::min(smallestColat, basis.capColat);
            const double q = kReferenceRadius / basis.radius;
            if (lat == 35) {
                EXPECT_LT(q, 1.0);
                EXPECT_GT(q, 0.9999);
            }
            if (lat == 60) {
                EXPECT_NEAR(q, 1.0014, 0.0001);
            }
        }
    }
    // The grid stays well inside the 40-degree cap, and off its pole.
    EXPECT_LT(largestColat, 20.3);
    EXPECT_GT(largestColat, 20.2);
    EXPECT_NEAR(smallestColat, 0.19, 0.005);
    EXPECT_EQ(state.transcript(), "");
}

TEST(CAPBAS, SineTermsVanishOnThePoleMeridian) {
    ormeda::testing::FreshState state;
    for (double phi : {35.0, 38.0, 52.0, 60.0}) {
        NodeFrames frames;
        const CapBasis basis = basisAt(phi, 8.001, frames);
        EXPECT_TRUE(std::fabs(basis.capLon) < 0.02 || std::fabs(basis.capLon) > 179.98)
            << basis.capLon;
        for (auto [sine, cosine] : {std::pair{4, 3}, {7, 6}, {9, 8}}) {
            EXPECT_LT(std::fabs(basis.north(sine)), 1e-3 * std::fabs(basis.north(cosine)))
                << phi << " j=" << sine;
            EXPECT_LT(std::fabs(basis.down(sine)), 1e-3 * std::fabs(basis.down(cosine)) + 1e-12)
                << phi << " j=" << sine;
        }
    }
}

} // namespace
} // namespace ormeda
