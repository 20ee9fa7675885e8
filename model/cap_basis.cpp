// The degrees of the cap basis and the nine basis functions at one node. Each term is
// the north (-B_theta), east (B_lambda) and downward (-B_r) component, in the cap
// frame, of -grad V for V = a (a/r)^(n+1) P~_n^m(theta) cos(mL) or sin(mL), and for
// the constant term V = a (a/r).
#include "cap_basis.hpp"

#include "angles.hpp"
#include "capleg.hpp"
#include "program_stop.hpp"

#include <cmath>

namespace ormeda {

namespace {

using model_detail::kDegToRad;

constexpr double kReferenceRadius = 6371.0087714; // km, the model's reference sphere
constexpr int kMaxIndex = 2;                      // k = 0 ... 2, every m from 0 to k
static_assert((kMaxIndex + 1) * (kMaxIndex + 1) == kBasisTerms,
              "every (k, m) with m > 0 gives a cosine and a sine term");

} // namespace

void CAPTAB(DegreeTable& table) {
    // The real degrees of a cap of half-angle 40 degrees: dP~/dtheta vanishes at the
    // cap edge when k - m is even, P~ itself when k - m is odd. They were fixed in single
    // precision; the widened values are the ones the model's coefficients go with.
    table = {};
    table[1][0] = static_cast<double>(2.932276f);
    table[2][0] = static_cast<double>(5.012005f);
    table[1][1] = static_cast<double>(2.2753966f);
    table[2][1] = static_cast<double>(5.012005f);
    table[2][2] = static_cast<double>(4.090469f);
}

void CAPBAS(NodeFrames& frames, const DegreeTable& degrees, double phi, double lambda,
            CapBasis& basis) {
    // Frames: geocentric position, then the node in the cap frame. Both calls leave the
    // rotations that ELMERR will use for this node.
    double psi = 0.0;
    double r = 0.0;
    double unusedX = 0.0;
    double unusedZ = 0.0;
    frames.geodetic.GDGC(phi, 0.0, 0.0, 0.0, psi, r, unusedX, unusedZ);
    double capLat = 0.0;
    double capLon = 0.0;
    double unusedU = 0.0;
    double unusedV = 0.0;
    frames.cap.GEOCAP(psi, lambda, 0.0, 0.0, capLat, capLon, unusedU, unusedV);

    basis.geocentricLat = psi;
    basis.radius = r;
    basis.capColat = 90.0 - capLat;
    basis.capLon = capLon;
    const double theta = basis.capColat;
    const double L = capLon * kDegToRad;

    const double q = kReferenceRadius / r;

    int j = 1;
    basis.north(j) = 0.0;
    basis.east(j) = 0.0;
    basis.down(j) = -std::pow(q, 2.0);

    // cos(mL), sin(mL) for m = 1 and 2; the second by angle addition.
    const double c1 = std::cos(L);
    const double s1 = std::sin(L);
    const double c2 = c1 * std::cos(L) - s1 * std::sin(L);
    const double s2 = c1 * std::sin(L) + s1 * std::cos(L);

    for (int k = 1; k <= kMaxIndex; ++k) {
        for (int m = 0; m <= k; ++m) {
            const double n = degrees[static_cast<std::size_t>(k)][static_cast<std::size_t>(m)];
            double P = 0.0;
            double dP = 0.0;
            double mPs = 0.0;
            CAPLEG(m, n, theta, P, dP, mPs);
            const double f = std::pow(q, n + 2.0);
            if (m == 0) {
                ++j;
                basis.north(j) = dP * f;
                basis.east(j) = 0.0;
                basis.down(j) = -((n + 1.0) * P * f);
            } else {
                const double cm = (m == 1) ? c1 : c2;
                const double sm = (m == 1) ? s1 : s2;
                const double t = -((n + 1.0) * P * f);
                const double u = dP * f;
                const double w = mPs * f;
                ++j;
                basis.north(j) = u * cm;
                basis.east(j) = w * sm;
                basis.down(j) = t * cm;
                ++j;
                basis.north(j) = u * sm;
                basis.east(j) = -(w * cm);
                basis.down(j) = t * sm;
            }
        }
    }

    // The coefficient table has exactly nine columns for the basis; any other count
    // would pair coefficients with the wrong functions.
    if (j != kBasisTerms) {
        stopWithReturnCode(kBasisReturnCode);
    }
}

} // namespace ormeda
