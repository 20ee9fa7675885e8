// Declination, inclination and intensity at one node with their 95% errors. The basis
// is weighted by the coefficients in the cap frame, turned back to geographic and then
// to geodetic north/east/down axes, and the elements are formed there. The errors are
// first-order propagations of the table's uncertainty columns, taken as independent.
#include "elmerr.hpp"

#include "angles.hpp"

#include <cmath>

namespace ormeda {

namespace {

using model_detail::kDegToRad;

// The map's own value of pi for radians to degrees, kept short on purpose: the printed
// digits depend on it.
constexpr double kPiDegrees = 3.14159265358979;
// Squared semi-axes of the ellipsoid, as stored (b^2 is not recomputed from b).
constexpr double kSemiMajorSq = 40680631.59076899;  // km^2
constexpr double kSemiMinorSq = 40408299.982815705; // km^2
// Angular distance from the geographic pole to the cap pole.
constexpr double kPoleDistanceDeg = 45.0;

double sq(double x) {
    return std::pow(x, 2.0);
}
double toDegrees(double radians) {
    return radians * 180.0 / kPiDegrees;
}

} // namespace

void ELMERR(const NodeFrames& frames, const CapBasis& basis, const EpochRow& row, double phi,
            FieldElements& out) {
    const double g0 = row.g0();
    const double s0 = row.s0();

    // The normalised field in the cap frame and its variances from the coefficients'
    // uncertainties alone.
    double X = 0.0;
    double Y = 0.0;
    double Z = 0.0;
    double VX = 0.0;
    double VY = 0.0;
    double VZ = 0.0;
    for (int j = 1; j <= kBasisTerms; ++j) {
        X = X + row.g(j) * basis.north(j);
        Y = Y + row.g(j) * basis.east(j);
        Z = Z + row.g(j) * basis.down(j);
    }
    for (int j = 1; j <= kBasisTerms; ++j) {
        VX = VX + sq(row.s(j)) * sq(basis.north(j));
        VY = VY + sq(row.s(j)) * sq(basis.east(j));
        VZ = VZ + sq(row.s(j)) * sq(basis.down(j));
    }

    out.F = std::sqrt(sq(X) + sq(Y) + sq(Z)) * g0;

    // Variances of the scaled components g0*gj, with the scale's uncertainty included.
    double WX = 0.0;
    double WY = 0.0;
    double WZ = 0.0;
    for (int j = 1; j <= kBasisTerms; ++j) {
        const double E = std::sqrt(sq(row.g(j)) * sq(s0) + sq(row.s(j)) * sq(g0));
        WX = WX + sq(E) * sq(basis.north(j));
        WY = WY + sq(E) * sq(basis.east(j));
        WZ = WZ + sq(E) * sq(basis.down(j));
    }
    // The intensity does not depend on the orientation of the axes, so its error is
    // taken in the cap frame.
    out.eF = std::sqrt(sq(X) * WX + sq(Y) * WY + sq(Z) * WZ) * g0 / out.F;

    double Xg = 0.0;
    double Yg = 0.0;
    frames.cap.CAPGEV(X, Y, Xg, Yg);

    // Horizontal variances turned by the angle alpha, at the node, between the
    // directions to the geographic pole and to the cap pole (spherical triangle).
    const double theta = basis.capColat * kDegToRad;
    const double thetaC = (90.0 - basis.geocentricLat) * kDegToRad;
    const double p = kPoleDistanceDeg * kDegToRad;
    const double alpha = std::acos((std::cos(p) - std::cos(theta) * std::cos(thetaC)) /
                                   (std::sin(theta) * std::sin(thetaC)));
    const double cos2 = sq(std::cos(alpha));
    const double sin2 = sq(std::sin(alpha));
    const double VXg = cos2 * VX + sin2 * VY;
    const double VYg = sin2 * VX + cos2 * VY;

    double Xd = 0.0;
    double Zd = 0.0;
    frames.geodetic.GCGDV(Xg, Z, Xd, Zd);

    // The north and down variances turned by the angle between the geodetic and
    // geocentric verticals, from the geodetic latitude on the ellipsoid's surface.
    const double t = (90.0 - phi) * kDegToRad;
    const double st = std::sin(t);
    const double ct = std::cos(t);
    const double A = kSemiMajorSq * sq(st);
    const double B = kSemiMinorSq * sq(ct);
    const double rho = std::sqrt(A + B);
    const double R = std::sqrt((kSemiMajorSq * A + kSemiMinorSq * B) / (A + B));
    const double CD = rho / R;
    const double SD = (kSemiMajorSq - kSemiMinorSq) * st * ct / (R * rho);
    const double VXd = sq(SD) * VZ + sq(CD) * VXg;
    const double VZd = sq(CD) * VZ + sq(SD) * VXg;

    // The model's horizontal vector points opposite to the field, so the declination is
    // the principal value of the arctangent of the quotient (never a two-argument
    // arctangent) and the inclination is negated.
    const double H2 = sq(Yg) + sq(Xd);
    out.D = toDegrees(std::atan(Yg / Xd));
    out.I = -toDegrees(std::atan(Zd / std::sqrt(H2)));

    out.eD = toDegrees(std::sqrt(sq(Yg) * VXd + sq(Xd) * VYg) / H2);
    const double SH = (sq(Yg) * VYg + sq(Xd) * VXd) / H2;
    out.eI = toDegrees(std::sqrt(sq(Zd) * SH + H2 * VZd) / (sq(Zd) + H2));
}

} // namespace ormeda
