// The nine basis functions of the spherical cap expansion at one node: their north,
// east and downward components in the cap frame, with the real degrees fixed by the
// cap's boundary conditions.
#pragma once

#include "cap_frame.hpp"
#include "geodetic_frame.hpp"

#include <array>

namespace ormeda {

inline constexpr int kBasisTerms = 9;

// Real degrees n_k(m), indexed [k][m], k and m from 0 to 2.
using DegreeTable = std::array<std::array<double, 3>, 3>;
void CAPTAB(DegreeTable& table);

// The two remembered frame conversions of one node: CAPBAS sets them, ELMERR uses them.
struct NodeFrames {
    GeodeticFrame geodetic;
    CapFrame cap;
};

// Components of basis function j (1 to 9) are north(j), east(j), down(j).
struct CapBasis {
    std::array<double, kBasisTerms> northJ{};
    std::array<double, kBasisTerms> eastJ{};
    std::array<double, kBasisTerms> downJ{};
    double geocentricLat = 0.0; // degrees
    double radius = 0.0;        // km
    double capColat = 0.0;      // degrees
    double capLon = 0.0;        // degrees

    double& north(int j) { return northJ[static_cast<std::size_t>(j - 1)]; }
    double& east(int j) { return eastJ[static_cast<std::size_t>(j - 1)]; }
    double& down(int j) { return downJ[static_cast<std::size_t>(j - 1)]; }
    double north(int j) const { return northJ[static_cast<std::size_t>(j - 1)]; }
    double east(int j) const { return eastJ[static_cast<std::size_t>(j - 1)]; }
    double down(int j) const { return downJ[static_cast<std::size_t>(j - 1)]; }
};

// phi, lambda geodetic degrees (height 0) after the driver's nudges. The cap pole must
// have been set with frames.cap.CAPSET. Stops the run with return code 150 if the
// stored terms do not number nine.
void CAPBAS(NodeFrames& frames, const DegreeTable& degrees, double phi, double lambda,
            CapBasis& basis);

} // namespace ormeda
